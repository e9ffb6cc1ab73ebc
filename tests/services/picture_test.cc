// Thumbnails of pictures generated in a scratch site: sizes in both
// orientations, the name rule, reuse, the three messages, paths that leave
// the site and pictures too large to decode.
#include <gtest/gtest.h>
#include <vips/vips.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

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

}  // namespace
}  // namespace zorvadel::test
