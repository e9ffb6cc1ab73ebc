// MD5 digests: RFC 1321's vectors, messages of many sizes digested whole,
// stepwise and as files (checked against md5sum), the register properties,
// rotation, the page classes' Md5, and digests past the old 256 MiB limit.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/codepage/codepage.h"
#include "text/md5.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"

namespace zorvadel {
namespace {

namespace fs = std::filesystem;

// What the system's md5sum prints for the output of a shell command.
std::string Md5sumOfCommand(const std::string& command) {
  FILE* pipe = popen((command + " | md5sum").c_str(), "r");
  if (pipe == nullptr) return "popen failed";
  char line[128] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  return read ? std::string(line).substr(0, 32) : "no output";
}

class TempFile {
 public:
  explicit TempFile(const std::string& bytes) {
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            ("zorvadel_md5_" + std::to_string(std::random_device{}()) + "_" +
             std::to_string(++counter));
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~TempFile() { fs::remove(path_); }
  std::u16string Path() const { return codepage::FromUtf8(path_.string()); }
  std::string Md5sum() const { return Md5sumOfCommand("cat '" + path_.string() + "'"); }

 private:
  fs::path path_;
};

int32_t ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const ScriptError& e) {
    return e.number();
  }
  return 0;
}

std::string Lower(const std::u16string& hex) {
  std::string out;
  for (char16_t c : hex) out += static_cast<char>(c >= u'A' && c <= u'F' ? c + 32 : c);
  return out;
}

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// Deterministic message of `size` bytes of every value.
std::string Message(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + 7) & 0xFF);
  return bytes;
}

// Printable form, for the string digests (one byte per ASCII character).
std::string AsciiMessage(size_t size) {
  std::string bytes(size, ' ');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('!' + (i * 7) % 90);
  return bytes;
}

struct Vector {
  const char* message;
  const char* digest;
};

constexpr Vector kRfc1321[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5Digest, Rfc1321Vectors) {
  Common common;
  for (const Vector& v : kRfc1321) {
    SCOPED_TRACE(v.message);
    EXPECT_EQ(Lower(common.DigestStrToHexStr(Widen(v.message))), v.digest);
    EXPECT_EQ(common.GetValues(), common.DigestStrToHexStr(Widen(v.message)));
  }
}

// Around the block edges, past the old 32,767-byte limit of strings, and a
// file of several mebibytes.
constexpr size_t kSizes[] = {0,   1,   55,   56,    57,    63,     64,     65,
                             119, 120, 121,  127,   128,   1000,   32767,  32768,
                             100000, 5 * 1024 * 1024 + 17};

TEST(Md5Digest, WholeStepwiseAndAsFiles) {
  Common common;
  for (size_t size : kSizes) {
    SCOPED_TRACE(size);
    const std::string ascii = AsciiMessage(size);
    EXPECT_EQ(Lower(common.DigestStrToHexStr(Widen(ascii))), TempFile(ascii).Md5sum());

    // In uneven pieces: several updates equal one.
    const std::string bytes = Message(size);
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
    EXPECT_EQ(Lower(common.GetValues()), expected);
    EXPECT_EQ(Lower(common.DigestFileToHexStr(file.Path())), expected);
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
  EXPECT_EQ(Lower(common.GetValues()),
            Md5sumOfCommand("head -c " + std::to_string(size) + " /dev/zero"));
}

// Non-ASCII text is digested as its code page 936 bytes, so different
// passwords no longer share one (empty) digest.
TEST(Md5Digest, TextOutsideAsciiDigestsItsCodePage936Bytes) {
  Common common;
  const std::u16string text = u"密码€1";
  EXPECT_EQ(Lower(common.DigestStrToHexStr(text)), TempFile(codepage::ToGbk(text)).Md5sum());
  EXPECT_NE(common.DigestStrToHexStr(u"密码1"), common.DigestStrToHexStr(u"密码2"));
  EXPECT_EQ(ErrorOf([&] { common.DigestStrToHexStr(u"a\u0E01"); }), kErrInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { common.DigestStrToHexStr(u"\U0001F600"); }), kErrInvalidArgument);
}

TEST(Md5Digest, FileErrorsLeaveTheStateAlone) {
  Common common;
  common.DigestStrToHexStr(u"abc");
  const std::u16string before = common.GetValues();
  struct Case {
    std::u16string path;
    int32_t number;
  };
  const Case cases[] = {
      {u"/nonexistent/zorvadel/none.bin", 53},
      {codepage::FromUtf8(fs::temp_directory_path().string()), 75},
      {u"", 75},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf([&] { common.DigestFileToHexStr(c.path); }), c.number);
    EXPECT_EQ(common.GetValues(), before);
  }
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
  struct Case {
    int32_t length;
    int32_t number;
  };
  for (const Case c : {Case{11, kErrSubscript}, Case{-1, kErrInvalidArgument}}) {
    EXPECT_EQ(ErrorOf([&] { common.MD5Update(c.length, bytes); }), c.number);
  }
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
      {0x12345678, 8, 0x34567812, 8},
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

}  // namespace
}  // namespace zorvadel
