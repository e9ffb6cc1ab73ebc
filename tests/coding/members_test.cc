// The URL, number-base and digest members as a script reaches them (which
// class has which, and what each gives by name in every class that has it);
// number-base conversions: Common's variant converters (which never raise)
// and the XHTML classes' typed converters (which raise overflow and type
// mismatch to the caller); URL escaping in the UTF-8 and the GB2312 dialect:
// the escapes of known characters, malformed escapes and the Mode switch.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/error_of.h"
#include "support/member_calls.h"
#include "support/text_cases.h"
#include "text/url_coding.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"

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
  EXPECT_EQ(ErrorOf([&] { x.BIN_to_DEC(u"1" + std::u16string(31, u'0')); }), kErrOverflow);
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

}  // namespace
}  // namespace zorvadel
