// MD5 digests of many sizes whole, stepwise and as files, against md5sum;
// the registers, rotation, and digests past the old 256 MiB limit. File
// digests read regular files only (a device or a FIFO would be read, or
// waited on, forever), and in a page a relative name is one of the site's
// files, never one of the server's working folder; a failed one leaves the
// digest before.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/codepage/codepage.h"
#include "support/error_of.h"
#include "text/md5.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/memory_page.h"

namespace zorvadel {
namespace {

namespace fs = std::filesystem;
using test::ErrorOf;

// What the system's md5sum prints for the output of a shell command, in
// capitals as the digests give it.
std::string Md5sumOfCommand(const std::string& command) {
  FILE* pipe = popen((command + " | md5sum").c_str(), "r");
  char line[128] = {};
  const bool read = pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr;
  if (pipe != nullptr) pclose(pipe);
  std::string hex = read ? std::string(line).substr(0, 32) : "no output";
  for (char& c : hex) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return hex;
}

struct TempFile {
  explicit TempFile(const std::string& bytes)
      : path(fs::temp_directory_path() / ("zorvadel_md5_" + std::to_string(getpid()))) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  ~TempFile() { fs::remove(path); }
  std::string Md5sum() const { return Md5sumOfCommand("cat '" + path.string() + "'"); }
  fs::path path;
};

// Deterministic message of `size` bytes of every value, or printable ones for
// the string digests (one byte per ASCII character).
std::string Message(size_t size, bool ascii) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>(ascii ? '!' + (i * 7) % 90 : (i * 131 + 7) & 0xFF);
  }
  return bytes;
}

// Around the block edges, past the old 32,767-byte limit of strings, and a
// file of several mebibytes.
constexpr size_t kSizes[] = {0,   1,   55,  56,  57,    63, 64, 65, 119, 120,
                             121, 127, 128, 32768, 5 * 1024 * 1024 + 17};

TEST(Md5Digest, WholeStepwiseAndAsFiles) {
  Common common;
  for (size_t size : kSizes) {
    SCOPED_TRACE(size);
    const std::string ascii = Message(size, true);
    EXPECT_EQ(codepage::ToUtf8(common.DigestStrToHexStr(codepage::FromUtf8(ascii))),
              TempFile(ascii).Md5sum());

    // In uneven pieces: several updates equal one.
    const std::string bytes = Message(size, false);
    common.MD5Init();
    for (size_t at = 0; at < size;) {
      const size_t piece = std::min<size_t>(size - at, 1 + at % 37);
      std::vector<uint8_t> buffer(bytes.begin() + at, bytes.begin() + at + piece);
      buffer.push_back(0xEE);  // bytes past InputLen are not digested
      common.MD5Update(static_cast<int32_t>(piece), buffer);
      at += piece;
    }
    common.MD5Final();
    const TempFile file(bytes);
    const std::string expected = file.Md5sum();
    EXPECT_EQ(codepage::ToUtf8(common.GetValues()), expected);
    EXPECT_EQ(codepage::ToUtf8(common.DigestFileToHexStr(codepage::FromUtf8(file.path.string()))),
              expected);
  }
}

// 2^28 bytes and more once overflowed the bit count.
TEST(Md5Digest, MessagesOf256MebibytesAndMore) {
  const size_t size = (size_t{1} << 28) + 100;
  Common common;
  common.MD5Init();
  const std::vector<uint8_t> zeros(size_t{1} << 25, 0);
  for (size_t left = size; left > 0;) {
    const size_t piece = std::min(left, zeros.size());
    common.MD5Update(static_cast<int32_t>(piece), zeros);
    left -= piece;
  }
  common.MD5Final();
  EXPECT_EQ(codepage::ToUtf8(common.GetValues()),
            Md5sumOfCommand("head -c " + std::to_string(size) + " /dev/zero"));
}

// Non-ASCII text is digested as its code page 936 bytes, so different
// passwords no longer share one (empty) digest.
TEST(Md5Digest, TextOutsideAsciiDigestsItsCodePage936Bytes) {
  Common common;
  const std::u16string text = u"密码€1";
  EXPECT_EQ(codepage::ToUtf8(common.DigestStrToHexStr(text)),
            TempFile(codepage::ToGbk(text)).Md5sum());
  EXPECT_NE(common.DigestStrToHexStr(u"密码1"), common.DigestStrToHexStr(u"密码2"));
  EXPECT_EQ(ErrorOf([&] { common.DigestStrToHexStr(u"a\u0E01"); }), kErrInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { common.DigestStrToHexStr(u"\U0001F600"); }), kErrInvalidArgument);
}

TEST(Md5Steps, RegistersFollowTheChainingWords) {
  Common common;
  EXPECT_EQ(common.RegisterA(), u"0");
  EXPECT_EQ(common.GetValues(), std::u16string(32, u'0'));
  common.MD5Init();
  EXPECT_EQ(common.RegisterA(), u"1732584193");   // 0x67452301
  EXPECT_EQ(common.RegisterB(), u"-271733879");   // 0xEFCDAB89
  EXPECT_EQ(common.RegisterC(), u"-1732584194");  // 0x98BADCFE
  EXPECT_EQ(common.RegisterD(), u"271733878");    // 0x10325476
  const std::u16string initial = u"0123456789ABCDEFFEDCBA9876543210";
  EXPECT_EQ(common.GetValues(), initial);

  const std::vector<uint8_t> block(64, 'a');
  common.MD5Update(63, block);  // an incomplete block changes no word
  EXPECT_EQ(common.GetValues(), initial);
  common.MD5Update(1, block);
  EXPECT_NE(common.GetValues(), initial);
}

TEST(Md5Steps, BadInputLenRaisesBeforeTheStateChanges) {
  Common common;
  common.MD5Init();
  const std::vector<uint8_t> bytes(10, 'x');
  common.MD5Update(5, bytes);
  EXPECT_EQ(ErrorOf([&] { common.MD5Update(11, bytes); }), kErrSubscript);
  EXPECT_EQ(ErrorOf([&] { common.MD5Update(-1, bytes); }), kErrInvalidArgument);
  common.MD5Update(0, {});
  common.MD5Update(5, bytes);
  common.MD5Final();
  EXPECT_EQ(common.GetValues(), common.DigestStrToHexStr(u"xxxxxxxxxx"));
}

TEST(Md5Steps, LongLeftRotate) {
  struct Case {
    int32_t value, bits, result, bits_after;
  };
  constexpr Case kCases[] = {
      {1, 33, 2, 1},
      {0x40000000, 1, INT32_MIN, 1},
      {INT32_MIN, 1, 1, 1},
      {5, -1, 5, -1},
      {5, 0, 5, 0},
      {5, 32, 5, 0},
      {5, -33, 5, -1},
  };
  Common common;
  for (const Case& c : kCases) {
    int32_t value = c.value, bits = c.bits;
    EXPECT_EQ(common.LongLeftRotate(value, bits), c.result) << c.value << " " << c.bits;
    EXPECT_EQ(value, c.result);
    EXPECT_EQ(bits, c.bits_after);
  }
}

// ---- File digests ----------------------------------------------------------------

constexpr char16_t kAbc[] = u"900150983CD24FB0D6963F7D28E17F72";  // RFC 1321's "abc"

struct Site {
  Site() : root(fs::temp_directory_path() / ("zorvadel_digest_" + std::to_string(getpid()))) {
    fs::create_directories(root / "data");
    std::ofstream(root / "data" / "abc.txt", std::ios::binary) << "abc";
    mkfifo((root / "fifo").c_str(), 0600);
  }
  ~Site() { fs::remove_all(root); }
  std::u16string Disk(const char* name) const {
    return codepage::FromUtf8((root / name).string());
  }
  fs::path root;
};

TEST(DigestFile, RegularFilesOnlyAndRelativeNamesFromTheSiteRoot) {
  const Site site;
  engine::MemoryPage page(engine::RequestFacts{}, site.root, nullptr, nullptr);
  auto common = std::dynamic_pointer_cast<Common>(
      page.context().GetServer()->CreateObject(u"Zorvadel.Common"));
  ASSERT_TRUE(common);
  Common plain;  // no page context

  const struct {
    std::u16string name;
    int32_t error;  // 0: the digest of "abc"
  } kCases[] = {
      {u"data/abc.txt", 0},
      {u"data\\abc.txt", 0},
      {site.Disk("data/abc.txt"), 0},
      {u"../abc.txt", 5},  // leaves the site
      {u"none.txt", 53},
      {u"data", 75},
      {u"fifo", 75},
      {site.Disk("fifo"), 75},
      {u"/dev/zero", 75},
      {u"/dev/null", 75},
      {u"", 75},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(codepage::ToUtf8(c.name));
    // An absolute name is the same file with a page context or without; an
    // error leaves the digest of the file before.
    for (Common* object : {common.get(), c.name.starts_with(u'/') ? &plain : nullptr}) {
      if (object == nullptr) continue;
      std::u16string digest = kAbc;
      EXPECT_EQ(ErrorOf([&] { digest = object->DigestFileToHexStr(c.name); }), c.error);
      EXPECT_EQ(digest, kAbc);
      EXPECT_EQ(object->GetValues(), kAbc);
    }
  }
  page.EndPage();
}

}  // namespace
}  // namespace zorvadel
