// The URL, number-base and digest members as a script reaches them (which
// class has which, and what each gives by name in every class that has it);
// number-base conversions: Common's variant converters (which never raise)
// and the XHTML classes' typed converters (which raise overflow and type
// mismatch to the caller); URL escaping in the UTF-8 and the GB2312 dialect:
// the escapes of known characters, malformed escapes and the Mode switch; MD5
// digests of many sizes whole, stepwise and as files, against md5sum; the
// registers, rotation, and digests past the old 256 MiB limit. File digests
// read regular files only (a device or a FIFO would be read, or waited on,
// forever), and in a page a relative name is one of the site's files, never
// one of the server's working folder; a failed one leaves the digest before.
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
#include "support/member_calls.h"
#include "support/text_cases.h"
#include "text/md5.h"
#include "text/url_coding.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/memory_page.h"

namespace zorvadel {
namespace {

using test::CallRow;

TEST(CodingMembersTest, WhichClassHasWhich) {
  const test::Presence kTable[] = {
      {u"UrlEncode", "XxWw-C"}, {u"UrlDecode", "XxWw-C"}, {u"UniCodeToGb", "XxWw--"},
      {u"C2To16", "XxWw-C"},    {u"DEC_to_BIN", "Xx----"}, {u"Md5", "XxWwP-"},
  };
  test::ExpectPresence(kTable);
}

const Variant kMissing = Variant::Missing();
constexpr char16_t kAdmin[] = u"21232F297A57A5A743894A0E4A801FC3";  // MD5 of "admin"

// clang-format off
const CallRow kCalls[] = {
    {u"UrlDecode", "XxWw-C", {u"%D6%D0"}, Variant(u"中")},
    {u"GoogleUrlEncode", "-----C", {u"é"}, Variant(u"%C3%A9")},
    {u"HEX_to_DEC", "Xx----", {u"ff"}, Variant(int32_t{255}), 0, false},
    {u"DEC_to_BIN", "Xx----", {1e12}, Variant(), kErrOverflow},
    {u"C2To16", "XxWw-C", {u"11111"}, Variant(u"F1")},
    {u"C16To2", "XxWw-C", {u"F"}, Variant(u"1111")},
    {u"C2To10", "XxWw-C", {u"101"}, Variant(5.0)},
    {u"digeststrtohexstr", "-----C", {u"abc"}, Variant(u"900150983CD24FB0D6963F7D28E17F72")},
    {u"DigestStrToHexStr", "-----C", {u"  abc  "}, Variant(u"A064C2F1646E31D3C8E7AB5EAD8864F5")},
    {u"LongLeftRotate", "-----C", {int16_t{1}, int16_t{33}}, Variant(int32_t{2})},
    {u"MD5Update", "-----C", {int16_t{1}, u"中"}, Variant(), kErrTypeMismatch},
    // XML and PHPXML digest with their CC and trim the text; the others
    // digest by themselves.
    {u"Md5", "X---P-", {}, Variant(kAdmin)},
    {u"Md5", "X---P-", {u"  abc  "}, Variant(u"900150983CD24FB0D6963F7D28E17F72")},
    {u"Md5", "X---P-", {u"admin", int16_t{16}}, Variant(u"7A57A5A743894A0E")},
    {u"Md5", "X---P-", {u"中文", int16_t{32}, int16_t{0}}, Variant(u"bcce109775e8e1972e9f5fcda3e12895")},
    {u"Md5", "X---P-", {u"\u0E01"}, Variant(u"")},  // no code page 936 form
    {u"md5", "-xWw--", {kMissing, int16_t{16}}, Variant(u"7A57A5A743894A0E"), 0, false},
    {u"Md5", "-xWw--", {u"abc", int16_t{16}, int16_t{0}}, Variant(u"3cd24fb0d6963f7d"), 0, false},
};
// clang-format on

TEST(CodingMembersTest, ByNameInEveryClassThatHasIt) { test::ExpectCalls(kCalls); }

TEST(CodingMembersTest, DigestStepsByName) {
  auto common = std::make_shared<Common>();
  Invoke(*common, u"MD5Init", {});
  EXPECT_EQ(Invoke(*common, u"RegisterB", {}), Variant(u"-271733879"));
  Invoke(*common, u"MD5Update", {Variant(int16_t{3}), Variant(u"abc")});
  Invoke(*common, u"MD5Final", {});
  EXPECT_EQ(Invoke(*common, u"GetValues", {}), Variant(u"900150983CD24FB0D6963F7D28E17F72"));
  EXPECT_THROW(Invoke(*common, u"RegisterA", {Variant(u"x")}, CallKind::kLet), ScriptError);
  // The CC of XML did the digest.
  XML xml;
  xml.Md5(u"abc");
  EXPECT_EQ(xml.state().CC->GetValues(), u"900150983CD24FB0D6963F7D28E17F72");
}

// ---- Number bases ----------------------------------------------------------------

using test::ErrorOf;

TEST(CommonNumberBase, Examples) {
  Common c;
  EXPECT_EQ(c.C2To16(u"00001010"), Variant(u"0A"));
  EXPECT_EQ(c.C2To10(u"0"), Variant(int16_t{0}));
  EXPECT_EQ(c.C2To10(u"1x1"), Variant(5.0));
  EXPECT_EQ(c.C16To2(u"0A"), Variant(u"00001010"));
  EXPECT_EQ(c.C16To2(u" a"), Variant(u"1010"));
  EXPECT_EQ(c.C16To2(u"fG1"), Variant(u"11110001"));  // a non-digit gives nothing
  EXPECT_EQ(c.C10To2(int16_t{10}), Variant(u"1010"));
  EXPECT_EQ(c.C10To2(int16_t{0}), Variant(u"0"));
  EXPECT_EQ(c.C10To2(2.9), Variant(u"10"));
  EXPECT_EQ(c.C10To2(int32_t{INT32_MIN}), Variant(u"-1" + std::u16string(31, u'0')));
}

TEST(CommonNumberBase, BadArgumentsNeverRaise) {
  Common c;
  EXPECT_EQ(c.C10To2(u"abc"), Variant());
  EXPECT_EQ(c.C10To2(Variant::Null()), Variant());
  EXPECT_EQ(c.C2To16(Variant::Null()), Variant());
  EXPECT_EQ(c.C16To2(Variant(std::make_shared<Common>())), Variant());
  EXPECT_EQ(c.C10To2(1e300).string().size(), 997u);
  EXPECT_EQ(c.C2To10(std::u16string(5000, u'1')).type(), VarType::kDouble);
}

TEST(CommonNumberBase, TextsLongerThan32767Characters) {
  Common c;
  const std::u16string binary = std::u16string(40000, u'0') + u"1010";
  const Variant hex = c.C2To16(binary);
  EXPECT_EQ(hex, Variant(std::u16string(10000, u'0') + u"A"));
  EXPECT_EQ(c.C16To2(hex.string()), Variant(binary));
  EXPECT_EQ(c.C2To10(binary), Variant(10.0));
}

TEST(XhtmlNumberBase, Examples) {
  XML x;
  EXPECT_EQ(x.DEC_to_BIN(10), u"1010");
  EXPECT_EQ(x.DEC_to_OCT(8), u"10");
  EXPECT_EQ(x.DEC_to_HEX(INT32_MAX), u"7FFFFFFF");
  for (int32_t n : {0, -1, INT32_MIN}) {
    EXPECT_EQ(x.DEC_to_BIN(n), u"");
    EXPECT_EQ(x.DEC_to_OCT(n), u"");
    EXPECT_EQ(x.DEC_to_HEX(n), u"");
  }
  EXPECT_EQ(x.HEX_to_BIN(u"0"), u"");
  EXPECT_EQ(x.HEX_to_BIN(u"ff"), u"11111111");
  EXPECT_EQ(x.BIN_to_HEX(u"11111"), u"1F");
  EXPECT_EQ(x.BIN_to_HEX(u"0000"), u"");
  EXPECT_EQ(x.BIN_to_HEX(u"1x11"), u"");  // a group that is not binary
  EXPECT_EQ(x.OCT_to_HEX(u"17"), u"F");
  EXPECT_EQ(x.HEX_to_OCT(u"FF"), u"377");
  EXPECT_EQ(x.OCT_to_BIN(u"0178"), u"1111");
  EXPECT_EQ(x.BIN_to_OCT(u"1000"), u"10");
  EXPECT_EQ(x.HEX_to_DEC(u"7FFFFFFF"), INT32_MAX);
  EXPECT_EQ(x.HEX_to_DEC(u"1G"), 16);
  EXPECT_EQ(x.OCT_to_DEC(u"17777777777"), INT32_MAX);
  EXPECT_EQ(x.BIN_to_DEC(u"12"), 4);
  EXPECT_EQ(x.BIN_to_DEC(u""), 0);
  EXPECT_EQ(x.BIN_to_DEC(std::u16string(31, u'1')), INT32_MAX);
  // Leading zeros of any length are no overflow.
  EXPECT_EQ(x.HEX_to_DEC(std::u16string(40000, u'0') + u"A"), 10);
  EXPECT_EQ(x.BIN_to_HEX(std::u16string(40000, u'0') + u"1"), u"1");
}

TEST(XhtmlNumberBase, OverflowReachesTheCaller) {
  XML x;
  EXPECT_EQ(ErrorOf([&] { x.OCT_to_DEC(u"20000000000"); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([&] { x.BIN_to_DEC(std::u16string(31, u'0').insert(0, 1, u'1')); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([&] { x.BIN_to_DEC(std::u16string(32, u'9')); }), kErrOverflow);
}

// ---- URL escaping ----------------------------------------------------------------

using test::Case;  // plain text in, its escaped form out

TEST(GoogleUrlEncode, KnownEscapes) {
  const Case cases[] = {
      {u"", u""},
      {u"中", u"%E4%B8%AD"},
      {u"a b.c", u"a%20b%2Ec"},
      {u"Az09-_~!*()", u"Az09-_~!*()"},
      {u"`=\\@#$%^&+|{}[]:;\"'<>,?/",
       u"%60%3D%5C%40%23%24%25%5E%26%2B%7C%7B%7D%5B%5D%3A%3B%22%27%3C%3E%2C%3F%2F"},
      // Control characters.
      {u"a\tb\r\n\x7f", u"a%09b%0D%0A%7F"},
      {std::u16string(1, u'\0'), u"%00"},
      // A surrogate pair is one four-byte sequence.
      {u"\U0001F600", u"%F0%9F%98%80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text::GoogleUrlEncode(c.in), c.out);
    EXPECT_EQ(text::GoogleUrlDecode(c.out), c.in);
  }
  // A lone surrogate has no UTF-8 form.
  EXPECT_EQ(text::GoogleUrlEncode(u"\xD800x"), u"%EF%BF%BDx");
}

TEST(GoogleUrlDecode, LiteralAndMalformedInput) {
  const Case cases[] = {  // escaped in, plain out
      {u"a+b", u"a+b"},
      {u"%20x%20", u" x "},
      {u"%e4%b8%ad", u"中"},
      {u"50%", u"50%"},
      {u"5%2", u"5%2"},
      {u"%E4%B8", u"%E4%B8"},       // cut off by the end
      {u"%zz%41", u"%zzA"},         // no hexadecimal digits
      {u"%80%41", u"%80A"},         // stray continuation byte
      {u"%C3%28", u"%C3("},         // continuation of the wrong form
      {u"%F8%88%80%80", u"%F8%88%80%80"},
      {u"%F4%90%80%80", u"%F4%90%80%80"},  // past U+10FFFF
      {u"%ED%A0%BD%ED%B8%80", u"\U0001F600"},  // older encoders' pair form
  };
  for (const Case& c : cases) EXPECT_EQ(text::GoogleUrlDecode(c.in), c.out);
}

TEST(BaiduUrlCoding, KnownEscapes) {
  EXPECT_EQ(text::BaiduUrlEncode(u"中"), u"%D6%D0");
  EXPECT_EQ(text::BaiduUrlEncode(u"a b&c=%+?#€\u0E01"), u"a b&c=%+?#€\u0E01");
  EXPECT_EQ(text::BaiduUrlEncode(u"x體y"), u"x%F3%77y");
  const Case decodes[] = {  // "+" and a closing "%": the page script coding_members
      {u"中", u"%D6%D0"},
      {u"中", u"%d6%d0"},
      {u"A", u"%41"},
      {u"x中", u"%D6x%D0"},        // the plain character comes first
      {u"%zz中", u"%zz%D6%D0"},    // a lone "%" eats nothing
      {u"5%A", u"5%A"},
      {u"\uFFFD", u"%D6"},          // a lead byte left over
      {u"\uFFFD", u"%81%20"},       // a pair naming no character
  };
  for (const Case& c : decodes) EXPECT_EQ(text::BaiduUrlDecode(c.out), c.in);
}

// Encoding in both modes: the page script coding_members.
TEST(UrlCoding, ModeSelectsTheDialect) {
  Common common;
  EXPECT_EQ(common.UrlDecode(u"%D6%D0+"), u"中 ");
  EXPECT_EQ(common.UrlDecode(u"%E4%B8%AD+", 0), u"中+");
  for (int16_t mode : {2, -1}) {
    EXPECT_EQ(common.UrlEncode(u"中", mode), u"");
    EXPECT_EQ(common.UrlDecode(u"%D6%D0", mode), u"");
  }
}

// ---- MD5 -------------------------------------------------------------------------

namespace fs = std::filesystem;

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
