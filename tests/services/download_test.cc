// The download and photo lists: the item grammar, the two renderings, the
// width of a single picture, and thumbnails made beside their pictures.
#include <gtest/gtest.h>
#include <vips/vips.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

// The anchor that A makes for an empty title on a phone.
std::u16string Link(const std::u16string& url, const std::u16string& text) {
  return u"<a title=\"&#x786E;&#x5B9A;\" href=\"" + url + u"\">" + text + u"</a><br/>";
}
std::u16string Photo(const std::u16string& path, const std::u16string& src,
                     const std::u16string& tip, const std::u16string& att) {
  return u"<a title=\"" + path + u"\" href=\"" + path + u"\"><img src=\"" + src + u"\" alt=\"" +
         tip + u"\" " + att + u"/></a><br/>";
}

class Lists : public ::testing::Test {
 protected:
  Variant Call(const char16_t* cls, std::u16string_view member, std::vector<Variant> args) {
    DbPage page(scratch_.path(), cls, "/news/page.asp");
    return page.Call(member, std::move(args));
  }
  ScratchFolder scratch_;
};

TEST_F(Lists, DownloadList) {
  const std::u16string pre = u"../Soft/Uploadsoft/";
  const std::pair<std::u16string, Variant> kCases[] = {
      {u"", Variant()}, {u"no bar here", Variant()}, {u"$$$$$$", Variant()},
      {u"Game|g.jar", Variant(Link(pre + u"g.jar", u"Game"))},
      {u"A|a.zip$$$B|b.zip|ignored$$$",
       Variant(Link(pre + u"a.zip", u"A") + Link(pre + u"b.zip", u"B"))},
      {u"|$$$X|", Variant(Link(pre, u"") + Link(pre, u"X"))},
      // Mended: a secure address is a full address too, in any case.
      {u"S|https://x.org/s.zip$$$H|HTTP://y.org/h$$$F|ftp://z/f",
       Variant(Link(u"https://x.org/s.zip", u"S") + Link(u"HTTP://y.org/h", u"H") +
               Link(pre + u"ftp://z/f", u"F"))},
  };
  for (const auto& [list, result] : kCases) {
    for (const char16_t* cls : {u"WAP", u"XML"}) {
      EXPECT_EQ(Call(cls, u"PESoftDown", {list}), result) << codepage::ToUtf8(list + u" " + cls);
    }
  }
  EXPECT_EQ(Call(u"WAP", u"PESoftDown", {u"A|a", u"/files/"}), Variant(Link(u"/files/a", u"A")));
}

TEST_F(Lists, PhotoListWithoutThumbnails) {
  const std::u16string pre = u"../Photo/UploadPhotos/";
  const std::pair<std::vector<Variant>, Variant> kCases[] = {
      {{u""}, Variant()},
      {{u"One|a.jpg"}, Variant(Photo(pre + u"a.jpg", pre + u"a.jpg", u"One", u"Width='150'"))},
      {{u"One|a.jpg$$$Two|b/c.jpg|x"},
       Variant(Photo(pre + u"a.jpg", pre + u"a.jpg", u"One", u"Width='120'") +
               Photo(pre + u"b/c.jpg", pre + u"b/c.jpg", u"Two", u"Width='120'"))},
      {{u"One|a.jpg$$$", u"/p/", false, int16_t{64}},
       Variant(Photo(u"/p/a.jpg", u"/p/a.jpg", u"One", u"Width='64'"))},
  };
  for (const auto& [args, result] : kCases) {
    EXPECT_EQ(Call(u"EnXML", u"PEPhotoShow", args), result) << codepage::ToUtf8(CStr(args[0]));
  }
}

// Mended: each item's thumbnail lies beside its own picture, and a picture
// that gives no thumbnail is shown as it is.
TEST_F(Lists, PhotoListWithThumbnails) {
  for (const char* file : {"news/photos/x/cat.jpg", "news/photos/y/cat.jpg"}) {
    std::filesystem::create_directories((scratch_.path() / file).parent_path());
    VipsImage* black = nullptr;
    ASSERT_EQ(vips_black(&black, 300, 200, nullptr), 0);
    ASSERT_EQ(vips_image_write_to_file(black, (scratch_.path() / file).c_str(), nullptr), 0);
    g_object_unref(black);
  }
  const Variant result = Call(u"WAP", u"PEPhotoShow",
                              {u"X|x/cat.jpg$$$Y|y/cat.jpg$$$Z|z/none.jpg", u"photos/", true});
  EXPECT_EQ(result, Variant(Photo(u"photos/x/cat.jpg", u"photos/x/cat_small.jpg", u"X", u"") +
                            Photo(u"photos/y/cat.jpg", u"photos/y/cat_small.jpg", u"Y", u"") +
                            Photo(u"photos/z/none.jpg", u"photos/z/none.jpg", u"Z",
                                  u"Width='120'")));
  EXPECT_TRUE(std::filesystem::exists(scratch_.path() / "news/photos/x/cat_small.jpg"));
  EXPECT_TRUE(std::filesystem::exists(scratch_.path() / "news/photos/y/cat_small.jpg"));
}

}  // namespace
}  // namespace zorvadel::test
