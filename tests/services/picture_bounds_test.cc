// Pictures whose decoding would hold a page's thread: a progressive JPEG of
// more scans than encoders write is refused before decoding (the scan bomb,
// a grey picture with one DC scan and thousands of copies of one AC scan,
// written byte by byte here), and a decoding that runs past the time bound
// is given up, leaving no thumbnail behind. Progressive JPEGs from a real
// encoder, colour and grey, still make thumbnails. The scan count is also
// shown on streams cut short, garbled or holding data that looks like
// markers. A hang would stop the test program with a message.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>

#include "database/database_test_util.h"
#include "platform/image/jpeg.h"
#include "platform/image/jpeg_scans.h"
#include "support/bounded.h"
#include "support/error_of.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;
using Pic = PagePictureMembers;


// Huffman-coded bits, most significant first, with a 0x00 after each data
// byte of 0xFF; the last byte is filled up with ones.
class Bits {
 public:
  void Put(uint32_t value, int count) {
    while (count-- > 0) {
      byte_ = (byte_ << 1) | ((value >> count) & 1);
      if (++filled_ == 8) {
        bytes_ += static_cast<char>(byte_);
        if (byte_ == 0xFF) bytes_ += '\0';
        byte_ = 0;
        filled_ = 0;
      }
    }
  }
  std::string Finish() {
    while (filled_ != 0) Put(1, 1);
    return bytes_;
  }

 private:
  std::string bytes_;
  uint32_t byte_ = 0;
  int filled_ = 0;
};

std::string Segment(unsigned char marker, const std::string& body) {
  const size_t length = body.size() + 2;
  return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                     static_cast<char>(length & 0xFF)} +
         body;
}

// A w × h grey progressive JPEG of one shade: a DC scan, then `ac_scans`
// times the same scan of all AC coefficients, each a few end-of-band runs
// that still cost the decoder a pass over every block.
std::string ScanBomb(int w, int h, int ac_scans) {
  const int blocks = ((w + 7) / 8) * ((h + 7) / 8);
  std::string jpeg = "\xFF\xD8";
  jpeg += Segment(0xDB, std::string(1, '\0') + std::string(64, '\1'));
  jpeg += Segment(0xC2, {8, static_cast<char>(h >> 8), static_cast<char>(h & 0xFF),
                         static_cast<char>(w >> 8), static_cast<char>(w & 0xFF), 1, 1, 0x11, 0});
  // DC table 0: the one code "0", a difference of 0. AC table 0: 4-bit
  // codes n for the runs EOBn, n = 0..14.
  std::string dc = {0x00, 1};
  dc += std::string(15, '\0') + std::string(1, '\0');
  std::string ac = {0x10, 0, 0, 0, 15};
  ac += std::string(12, '\0');
  for (int n = 0; n < 15; ++n) ac += static_cast<char>(n << 4);
  jpeg += Segment(0xC4, dc) + Segment(0xC4, ac);
  // One 0 bit a block, the last byte filled up with ones.
  jpeg += Segment(0xDA, {1, 1, 0x00, 0, 0, 0}) + std::string(blocks / 8, '\0');
  if (blocks % 8 != 0) jpeg += static_cast<char>(0xFF >> (blocks % 8));
  Bits ac_data;
  for (int left = blocks; left > 0;) {
    const int run = std::min(left, 32767);
    const int n = std::bit_width(static_cast<unsigned>(run)) - 1;
    ac_data.Put(static_cast<uint32_t>(n), 4);
    ac_data.Put(static_cast<uint32_t>(run - (1 << n)), n);
    left -= run;
  }
  const std::string ac_scan = Segment(0xDA, {1, 1, 0x00, 1, 63, 0}) + ac_data.Finish();
  for (int s = 0; s < ac_scans; ++s) jpeg += ac_scan;
  return jpeg + "\xFF\xD9";
}

void Write(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// A w × h picture saved by libvips's JPEG encoder, progressive or not, in
// colour or grey.
void MakeJpeg(const fs::path& file, int w, int h, bool colour, bool progressive) {
  fs::create_directories(file.parent_path());
  VipsImage* xy = nullptr;
  VipsImage* x = nullptr;
  VipsImage* grey = nullptr;
  VipsImage* picture = nullptr;
  ASSERT_EQ(vips_xyz(&xy, w, h, nullptr), 0);
  ASSERT_EQ(vips_extract_band(xy, &x, 0, nullptr), 0);
  ASSERT_EQ(vips_cast(x, &grey, VIPS_FORMAT_UCHAR, nullptr), 0);
  if (colour) {
    ASSERT_EQ(vips_falsecolour(grey, &picture, nullptr), 0);
  } else {
    picture = grey;
    g_object_ref(picture);
  }
  ASSERT_EQ(vips_jpegsave(picture, file.c_str(), "interlace", progressive, nullptr), 0);
  for (VipsImage* image : {picture, grey, x, xy}) g_object_unref(image);
}

int64_t CountScans(const fs::path& file, int64_t limit, uint64_t size = UINT64_MAX) {
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int64_t scans = image::CountJpegScans(fd, std::min<uint64_t>(size, fs::file_size(file)),
                                              limit);
  close(fd);
  return scans;
}

TEST(JpegScans, CountedAsADecoderMeetsThem) {
  const std::string soi = "\xFF\xD8", eoi = "\xFF\xD9";
  const std::string sos = Segment(0xDA, {1, 1, 0x00, 1, 63, 0});
  const std::string bomb = ScanBomb(64, 64, 300);
  const struct {
    const char* name;
    std::string bytes;
    int64_t limit;
    int64_t scans;
  } kCases[] = {
      {"no JPEG", "GIF89a\x01\x00\x01\x00"s, 100, 0},
      {"no scan", soi + eoi, 100, 0},
      {"data that looks like markers", soi + sos + "\x12\xFF\x00\x34\xFF\xD3\x56\xFF\xFF"s + sos +
                                           "\xFF\x00"s + eoi,
       100, 2},
      {"stray bytes before a marker", soi + "junk" + sos + "\x01" + sos + eoi, 100, 2},
      {"what follows EOI", soi + sos + "\x01" + eoi + sos + sos + eoi, 100, 1},
      {"cut off in its data", soi + sos + "\x01\x02\x03", 100, 1},
      {"cut off in a length", soi + sos + "\xFF\xDA\x00"s, 100, 1},
      {"ending in 0xFF", soi + sos + "\x01\xFF\xFF", 100, 1},
      {"a length past the end", soi + "\xFF\xE1\xFF\xFF" + sos + sos, 100, 0},
      {"lengths of 0 and 1", soi + "\xFF\xE1\x00\x00"s + sos + "\xFF\xFE\x00\x01"s + sos + eoi, 100,
       2},
      {"a second SOI", soi + sos + soi + sos + eoi, 100, 1},
      {"the bomb within the limit", bomb, 1000, 301},
      {"the bomb past the limit", bomb, 100, 101},
  };
  ScratchFolder scratch;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Write(scratch.path() / "a.jpg", c.bytes);
    EXPECT_EQ(CountScans(scratch.path() / "a.jpg", c.limit), c.scans);
  }
  // Only the bytes of the given size are read.
  Write(scratch.path() / "a.jpg", soi + sos + sos + sos + eoi);
  EXPECT_EQ(CountScans(scratch.path() / "a.jpg", 100, 2 + sos.size() * 2), 2);
}

TEST(JpegScans, OfARealEncoder) {
  ScratchFolder scratch;
  const struct {
    bool colour, progressive;
    int64_t scans;
  } kCases[] = {{true, true, 10}, {false, true, 6}, {true, false, 1}, {false, false, 1}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.colour) + std::to_string(c.progressive));
    MakeJpeg(scratch.path() / "a.jpg", 640, 480, c.colour, c.progressive);
    EXPECT_EQ(CountScans(scratch.path() / "a.jpg", 100), c.scans);
  }
}

class PictureBounds : public ::testing::Test {
 protected:
  std::u16string Build(const std::string& picture) {
    DbPage page(scratch_.path(), u"WAP", "/news/page.asp");
    std::u16string result;
    Bounded(picture, [&] {
      result = CStr(page.Call(u"BuildSmallPic", {codepage::FromUtf8("pics/" + picture)}));
    }, 90s);
    return result;
  }
  fs::path Disk(const std::string& site_path) const { return scratch_.path() / site_path; }
  size_t FilesIn(const std::string& folder) const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(Disk(folder)), {}));
  }
  ScratchFolder scratch_;
};

TEST_F(PictureBounds, ScanBombsAreRefusedAndEncodedPicturesKept) {
  Write(Disk("news/pics/bomb.jpg"), ScanBomb(10000, 10000, 10000));
  Write(Disk("news/pics/most.jpg"), ScanBomb(800, 600, image::kMaxScans - 1));
  Write(Disk("news/pics/over.jpg"), ScanBomb(800, 600, image::kMaxScans));
  MakeJpeg(Disk("news/pics/colour.jpg"), 800, 600, true, true);
  MakeJpeg(Disk("news/pics/grey.jpg"), 600, 800, false, true);
  const std::u16string missing(Pic::kMissingPictureMessage);
  const std::pair<std::string, std::u16string> kCases[] = {
      {"bomb.jpg", missing},
      {"over.jpg", missing},
      {"most.jpg", u"pics/most_small.jpg"},
      {"colour.jpg", u"pics/colour_small.jpg"},
      {"grey.jpg", u"pics/grey_small.jpg"},
  };
  for (const auto& [picture, result] : kCases) {
    SCOPED_TRACE(picture);
    EXPECT_EQ(Build(picture), result);
    if (result != missing) {
      image::Jpeg thumbnail;
      thumbnail.Open(U16(Disk("news/" + codepage::ToUtf8(result))));
      EXPECT_EQ(std::max(thumbnail.Width(), thumbnail.Height()), 120);
    }
  }
  EXPECT_EQ(FilesIn("news/pics"), 8u);
}

TEST_F(PictureBounds, ASlowDecodingIsGivenUp) {
  // The picture opens as an ordinary one and becomes the bomb, in place,
  // before Save: only the time bound stands between Save and its scans,
  // which would take about a minute.
  MakeJpeg(Disk("pics/a.jpg"), 300, 200, false, true);
  std::ostringstream ordinary;
  ordinary << std::ifstream(Disk("pics/a.jpg"), std::ios::binary).rdbuf();
  image::Jpeg jpeg;
  jpeg.Open(U16(Disk("pics/a.jpg")));
  jpeg.SetWidth(120);
  jpeg.SetHeight(80);
  Write(Disk("pics/a.jpg"), ScanBomb(10000, 10000, 10000));
  const auto start = std::chrono::steady_clock::now();
  Bounded("Save", [&] {
    EXPECT_EQ(ErrorOf([&] { jpeg.Save(U16(Disk("pics/a_small.jpg"))); }), image::kErrTooSlow);
  }, 90s);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, image::kMaxDecodeTime);
  EXPECT_LT(took, 20s);
  EXPECT_EQ(FilesIn("pics"), 1u);
  // Given its picture back, the same component saves it: every Save has
  // a clock of its own.
  Write(Disk("pics/a.jpg"), ordinary.str());
  EXPECT_EQ(ErrorOf([&] { jpeg.Save(U16(Disk("pics/a_small.jpg"))); }), 0);
  EXPECT_EQ(FilesIn("pics"), 2u);
}

}  // namespace
}  // namespace zorvadel::test
