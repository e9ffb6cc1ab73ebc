// Thumbnails of pictures generated in a scratch site: sizes in both
// orientations, the name rule, reuse, the three messages, paths that leave
// the site and pictures too large to decode; and the download and photo
// lists: the item grammar, the two renderings, the width of a single picture,
// and thumbnails made beside their pictures.
#include <gtest/gtest.h>
#include <vips/vips.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "database/database_test_util.h"
#include "platform/image/jpeg.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

using Pic = PagePictureMembers;

// A w × h picture of a gradient at `file`: PNG for ".png", else JPEG.
void MakePicture(const std::filesystem::path& file, int w, int h) {
  std::filesystem::create_directories(file.parent_path());
  std::filesystem::path written = file;
  written += file.extension() == ".png" ? ".png" : ".jpg";
  VipsImage* xy = nullptr;
  VipsImage* picture = nullptr;
  ASSERT_EQ(vips_xyz(&xy, w, h, nullptr), 0);
  ASSERT_EQ(vips_cast(xy, &picture, VIPS_FORMAT_UCHAR, nullptr), 0);
  ASSERT_EQ(vips_image_write_to_file(picture, written.c_str(), nullptr), 0);
  std::filesystem::rename(written, file);
  g_object_unref(picture);
  g_object_unref(xy);
}

std::array<int32_t, 2> SizeOf(const std::filesystem::path& file) {
  image::Jpeg jpeg;
  jpeg.Open(U16(file));
  return {jpeg.Width(), jpeg.Height()};
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}
std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}
// A PNG whose header claims `w` × `h` pixels and that holds no pixel data.
void MakeClaimingPng(const std::filesystem::path& file, uint32_t w, uint32_t h) {
  const std::string ihdr = "IHDR" + Be32(w) + Be32(h) + std::string("\x08\x02\x00\x00\x00", 5);
  std::ofstream out(file, std::ios::binary);
  out << "\x89PNG\r\n\x1a\n" << Be32(13) << ihdr << Be32(Crc32(ihdr));
}

class Thumbnails : public ::testing::Test {
 protected:
  std::u16string Build(std::vector<Variant> args) {
    DbPage page(scratch_.path(), u"EnWAP", "/news/page.asp");
    return CStr(page.Call(u"BuildSmallPic", std::move(args)));
  }
  std::filesystem::path Disk(const std::string& site_path) const {
    return scratch_.path() / site_path;
  }
  ScratchFolder scratch_;
};

TEST_F(Thumbnails, SizesFitTheMaximums) {
  const struct {
    std::string picture;  // under news/
    int w, h;
    int16_t max_w, max_h;
    std::array<int32_t, 2> thumb;
  } kCases[] = {
      {"land.jpg", 800, 600, 120, 120, {120, 90}},   {"port.jpg", 600, 800, 120, 120, {90, 120}},
      {"land.png", 800, 600, 120, 120, {120, 90}},   {"small.jpg", 100, 50, 120, 120, {100, 50}},
      {"edge.jpg", 120, 300, 120, 120, {48, 120}},   {"thin.jpg", 1000, 333, 120, 120, {120, 40}},
      {"zero.jpg", 50, 40, 0, -5, {1, 1}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.picture);
    MakePicture(Disk("news/pics/" + c.picture), c.w, c.h);
    const std::u16string site = u"pics/" + codepage::FromUtf8(c.picture);
    const std::u16string thumb = Build({site, u"", c.max_w, c.max_h, Variant::Missing()});
    ASSERT_EQ(thumb, site.substr(0, site.size() - 4) + u"_small" + site.substr(site.size() - 4));
    EXPECT_EQ(SizeOf(Disk("news/" + codepage::ToUtf8(thumb))), c.thumb);
  }
}

TEST_F(Thumbnails, NamesAndFolders) {
  for (const char* file : {"pics/a.jpg", "a.jpg", "pics/photo", "pics/a.jpg.jpg", "cats/cat"}) {
    MakePicture(Disk(std::string("news/") + file), 200, 100);
  }
  std::filesystem::create_directories(Disk("news/thumbs"));
  const Variant m = Variant::Missing();
  const struct {
    std::vector<Variant> args;
    std::u16string result;
    std::string disk;  // where the thumbnail lands
  } kCases[] = {
      {{u"pics/a.jpg"}, u"pics/a_small.jpg", "news/pics/a_small.jpg"},
      {{u"a.jpg"}, u"/a_small.jpg", "a_small.jpg"},
      {{u"pics/a.jpg", u"thumbs"}, u"thumbs/a_small.jpg", "news/thumbs/a_small.jpg"},
      {{u"pics/photo"}, u"pics/photo_small", "news/pics/photo_small"},
      {{u"pics/a.jpg.jpg", m, m, m, u"_t"}, u"pics/a_t.jpg", "news/pics/a_t.jpg"},
      // Mended: a folder named like the file keeps its name.
      {{u"cats/cat"}, u"cats/cat_small", "news/cats/cat_small"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.disk);
    EXPECT_EQ(Build(c.args), c.result);
    EXPECT_TRUE(std::filesystem::is_regular_file(Disk(c.disk)));
  }
}

TEST_F(Thumbnails, AnExistingThumbnailIsReused) {
  MakePicture(Disk("news/pics/a.jpg"), 400, 300);
  MakePicture(Disk("news/pics/a_small.jpg"), 10, 10);
  const auto stamp = std::filesystem::last_write_time(Disk("news/pics/a_small.jpg"));
  EXPECT_EQ(Build({u"pics/a.jpg"}), u"pics/a_small.jpg");
  EXPECT_EQ(std::filesystem::last_write_time(Disk("news/pics/a_small.jpg")), stamp);
  // With no mark, the picture is its own thumbnail and stays untouched.
  const auto own = std::filesystem::last_write_time(Disk("news/pics/a.jpg"));
  EXPECT_EQ(Build({u"pics/a.jpg", u"", int16_t{120}, int16_t{120}, u""}), u"pics/a.jpg");
  EXPECT_EQ(std::filesystem::last_write_time(Disk("news/pics/a.jpg")), own);
}

TEST_F(Thumbnails, TheThreeMessages) {
  std::filesystem::create_directories(Disk("outside"));
  std::filesystem::create_directories(Disk("site/news/pics"));
  MakePicture(Disk("site/news/pics/a.jpg"), 300, 200);
  MakePicture(Disk("site/news/pics/gone_small.jpg"), 30, 20);
  MakePicture(Disk("outside/o.jpg"), 300, 200);
  std::ofstream(Disk("site/news/pics/bad.jpg")) << "no picture at all";
  MakeClaimingPng(Disk("site/news/pics/huge.png"), 20000, 20000);
  const std::u16string missing(Pic::kMissingPictureMessage), no_save(Pic::kCannotSaveMessage);
  const std::pair<std::vector<Variant>, std::u16string> kCases[] = {
      {{u"pics/gone.jpg"}, missing},  // its thumbnail exists: the picture must open still
      {{u"pics/bad.jpg"}, missing},
      {{u"pics/huge.png"}, missing},  // mended: refused before decoding
      {{u"../../outside/o.jpg"}, missing},
      {{u"pics/a.jpg", u"../../../outside/"}, no_save},  // mended: never saved
      {{u"pics/a.jpg", u"nofolder/"}, no_save},
  };
  for (const auto& [args, result] : kCases) {
    DbPage page(scratch_.path() / "site", u"XML", "/news/page.asp");
    EXPECT_EQ(CStr(page.Call(u"BuildSmallPic", args)), result) << codepage::ToUtf8(CStr(args[0]));
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Disk("outside")), {}), 1);

  DbPage page(scratch_.path() / "site", u"WAP", "/news/page.asp");
  EXPECT_EQ(page.Call(u"IsAspJpeg"), Variant(true));
  RegisterProgId(u"Persits.Jpeg", [] { return ObjectPtr(); });
  EXPECT_EQ(page.Call(u"IsAspJpeg"), Variant(false));
  EXPECT_EQ(CStr(page.Call(u"BuildSmallPic", {u"pics/a.jpg"})), Pic::kCannotCreateMessage);
  RegisterProgId(u"Persits.Jpeg", [] { return ObjectPtr(std::make_shared<image::Jpeg>()); });
}

// ---- The download and photo lists ------------------------------------------------

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
    MakePicture(scratch_.path() / file, 300, 200);
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
