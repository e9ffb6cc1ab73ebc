// Members that read a file the script names read regular files only: a link
// to /dev/zero, a FIFO, a link to a FIFO and a folder take the missing-file
// (or missing-picture) path at once, for the thumbnails, the file probes and
// the file digest alike; the test underneath says what each one is. The
// thumbnails also open only the formats a site's pictures come in, whatever
// the file is named: an SVG, a PDF or a bitmap only an outside converter
// reads, each named ".jpg", is no picture, while PNG, GIF, WebP and TIFF
// under that name still are. A hang would stop the test program with a
// message rather than let it run on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vips/vips.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "database/database_test_util.h"
#include "platform/fso/regular_file.h"
#include "support/bounded.h"
#include "support/error_of.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

namespace fs = std::filesystem;
using Pic = PagePictureMembers;


// A 300 × 200 picture in the format `format` names (".png", ".webp", ...),
// stored at `file` whatever its name says.
void MakePicture(const fs::path& file, const std::string& format) {
  const std::string written = file.string() + format;
  VipsImage* picture = nullptr;
  ASSERT_EQ(vips_black(&picture, 300, 200, nullptr), 0);
  ASSERT_EQ(vips_image_write_to_file(picture, written.c_str(), nullptr), 0);
  g_object_unref(picture);
  fs::rename(written, file);
}

// A 1 × 1 bitmap, a format that only an outside converter reads.
std::string Bitmap() {
  std::string bmp("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0", 30);
  bmp += std::string(24, '\0') + "\xFF\xFF\xFF" + std::string(1, '\0');
  return bmp;
}

class RegularFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Disk("news/pics/folder.jpg"));
    fs::create_symlink("/dev/zero", Disk("news/pics/zero.jpg"));
    ASSERT_EQ(mkfifo(Disk("news/pics/fifo.jpg").c_str(), 0600), 0);
    fs::create_symlink("fifo.jpg", Disk("news/pics/fifo_link.jpg"));
    std::ofstream(Disk("news/pics/text.txt")) << "abc";
  }
  fs::path Disk(const std::string& site_path) const { return scratch_.path() / site_path; }
  ScratchFolder scratch_;
};

constexpr const char* kNotFiles[] = {"zero.jpg", "fifo.jpg", "fifo_link.jpg", "folder.jpg"};

TEST_F(RegularFiles, WhatTheTestSays) {
  const std::pair<std::string, fso::PathKind> kCases[] = {
      {"news/pics/text.txt", fso::PathKind::kRegular},
      {"news/pics/none.txt", fso::PathKind::kMissing},
      {"news/pics/text.txt/x", fso::PathKind::kMissing},
      {"news/pics/zero.jpg", fso::PathKind::kNotRegular},
      {"news/pics/fifo.jpg", fso::PathKind::kNotRegular},
      {"news/pics/fifo_link.jpg", fso::PathKind::kNotRegular},
      {"news/pics/folder.jpg", fso::PathKind::kNotRegular},
  };
  for (const auto& [name, kind] : kCases) {
    SCOPED_TRACE(name);
    const std::u16string path = U16(Disk(name));
    EXPECT_EQ(fso::Probe(path).kind, kind);
    Bounded(name, [&] {
      const fso::RegularFile file(path);
      EXPECT_EQ(file.kind(), kind);
      EXPECT_EQ(file.descriptor() >= 0, kind == fso::PathKind::kRegular);
      if (file.ok()) {
        EXPECT_EQ(file.size(), 3u);
        char bytes[8] = {};
        EXPECT_EQ(file.Read(bytes, sizeof bytes), 3);
        EXPECT_EQ(std::string_view(bytes, 3), "abc");
      }
      // Opened for sending, without a look first: what was opened is told
      // all the same, and a FIFO does not wait for a writer.
      const fso::RegularFile sent(Disk(name).string(), fso::RegularFile::Use::kSend);
      EXPECT_EQ(sent.kind(), kind);
      char bytes[8] = {};
      if (sent.ok()) {
        EXPECT_EQ(sent.ReadAt(bytes, sizeof bytes, 0), 3);
      }
    });
  }
  EXPECT_EQ(fso::Probe(u"").kind, fso::PathKind::kNoName);
  EXPECT_EQ(fso::RegularFile(std::u16string(u"a\0b", 3)).kind(), fso::PathKind::kNoName);
}

TEST_F(RegularFiles, ThumbnailsOfWhatIsNoPicture) {
  std::ofstream(Disk("news/pics/drawing.jpg"))
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"90\" height=\"90\"><rect "
         "width=\"90\" height=\"90\"/></svg>";
  std::ofstream(Disk("news/pics/document.jpg"))
      << "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj 2 0 obj<</Type/Pages/Kids[3 0 "
         "R]/Count 1>>endobj 3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 90 90]>>endobj\n"
         "trailer<</Root 1 0 R>>\n%%EOF\n";
  std::ofstream(Disk("news/pics/bitmap.jpg"), std::ios::binary) << Bitmap();
  std::vector<std::string> names(std::begin(kNotFiles), std::end(kNotFiles));
  for (const char* name : {"drawing.jpg", "document.jpg", "bitmap.jpg"}) names.push_back(name);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    DbPage page(scratch_.path(), u"XML", "/news/page.asp");
    Bounded(name, [&] {
      EXPECT_EQ(CStr(page.Call(u"BuildSmallPic", {codepage::FromUtf8("pics/" + name)})),
                Pic::kMissingPictureMessage);
    });
    const std::string stem = name.substr(0, name.size() - 4);
    EXPECT_FALSE(fs::exists(Disk("news/pics/" + stem + "_small.jpg")));
  }
  // In a photo list, such an item is shown as the plain picture.
  DbPage page(scratch_.path(), u"WAP", "/news/page.asp");
  Bounded("PEPhotoShow", [&] {
    EXPECT_EQ(CStr(page.Call(u"PEPhotoShow", {u"Z|zero.jpg", u"pics/", true})),
              u"<a title=\"pics/zero.jpg\" href=\"pics/zero.jpg\"><img src=\"pics/zero.jpg\" "
              u"alt=\"Z\" Width='150'/></a><br/>");
  });
}

TEST_F(RegularFiles, ThumbnailsOfTheSiteFormatsUnderAnyName) {
  for (const char* format : {".jpg", ".png", ".gif", ".webp", ".tif"}) {
    SCOPED_TRACE(format);
    const std::string name = std::string("as") + (format + 1) + ".jpg";
    MakePicture(Disk("news/pics/" + name), format);
    DbPage page(scratch_.path(), u"EnXML", "/news/page.asp");
    const std::u16string thumb = u"pics/as" + codepage::FromUtf8(format + 1) + u"_small.jpg";
    EXPECT_EQ(CStr(page.Call(u"BuildSmallPic", {codepage::FromUtf8("pics/" + name)})), thumb);
    EXPECT_TRUE(fs::is_regular_file(Disk("news/" + codepage::ToUtf8(thumb))));
  }
}

TEST_F(RegularFiles, FileMembersAndTheDigest) {
  std::vector<std::string> names(std::begin(kNotFiles), std::end(kNotFiles));
  names.push_back("text.txt");
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const bool regular = name == "text.txt";
    DbPage page(scratch_.path(), u"WAP", "/news/page.asp");
    auto common = page.page.context().GetServer()->CreateObject(u"Zorvadel.Common");
    Bounded(name, [&] {
      const std::u16string site = codepage::FromUtf8("pics/" + name);
      EXPECT_EQ(page.Call(u"IsFileExist", {site}), Variant(regular));
      EXPECT_EQ(page.Call(u"GetFileSize", {site}), Variant(int32_t{regular ? 3 : 0}));
      EXPECT_EQ(ErrorOf([&] {
                  Invoke(*common, u"DigestFileToHexStr", {u"news/" + site});
                }),
                regular ? 0 : 75);
    });
  }
}

}  // namespace
}  // namespace zorvadel::test
