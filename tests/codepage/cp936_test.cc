// Code page 936: known codes (checked against glibc iconv CP936), the whole
// table's round trip, and how broken byte sequences decode.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/codepage/codepage.h"

namespace zorvadel::codepage {
namespace {

constexpr std::pair<char16_t, uint16_t> kKnownCodes[] = {
    {u'A', 0x41},    {u'\x7f', 0x7F},  {u'€', 0x80},    {u'丂', 0x8140},
    {u'·', 0xA1A4},  {u'—', 0xA1AA},   {u'、', 0xA1A2},  {u'～', 0xA1AB},
    {u'㈠', 0xA2E5}, {u'Ａ', 0xA3C1},  {u'啊', 0xB0A1},  {u'中', 0xD6D0},
    {u'齄', 0xF7FE}, {u'體', 0xF377},  {u'ˊ', 0xA840},   {u'〇', 0xA996},
    {u'―', 0xA844},
};

TEST(Cp936Codes, KnownCharactersBothWays) {
  for (const auto& [c, code] : kKnownCodes) {
    EXPECT_TRUE(HasGbk(c) && GbkCode(c) == code && FromGbkCode(code) == c) << code;
  }
}

TEST(Cp936Codes, WithoutAForm) {
  for (char16_t c : {u'\u0E01', u'\u00A5', u'\u301C', u'\xD800', u'\xDC00', u'\uE000', u'\u0080'}) {
    EXPECT_TRUE(!HasGbk(c) && GbkCode(c) == 0) << static_cast<int>(c);
  }
  EXPECT_TRUE(HasGbk(u'\0') && GbkCode(u'\0') == 0);
  for (uint16_t code : {0x81, 0xFF, 0x813F, 0x817F, 0x81FF, 0xFF40, 0xA140, 0xA2E3}) {
    EXPECT_EQ(FromGbkCode(code), 0) << code;
  }
}

// Every code the table names must come back from its character, as one or
// two bytes, and the bytes must decode to it.
TEST(Cp936Codes, EveryMappedCharacterRoundTrips) {
  int mapped = 0;
  for (int code = 0; code <= 0xFFFF; ++code) {
    const char16_t c = FromGbkCode(static_cast<uint16_t>(code));
    if (c == 0 && code != 0) continue;
    ++mapped;
    ASSERT_EQ(GbkCode(c), code) << std::hex << code;
    const std::string bytes =
        code < 0x100 ? std::string(1, static_cast<char>(code))
                     : std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    ASSERT_EQ(ToGbk(std::u16string(1, c)), bytes) << std::hex << code;
    ASSERT_EQ(FromGbk(bytes), std::u16string(1, c)) << std::hex << code;
  }
  // 128 ASCII + the euro sign + glibc's 21791 two-byte codes.
  EXPECT_EQ(mapped, 128 + 1 + 21791);
}

TEST(Cp936Text, UnmappableBecomesQuestionMark) {
  EXPECT_EQ(ToGbk(u"x\u0E01y"), "x?y");
  // U+20000 is a surrogate pair: one "?", not two.
  EXPECT_EQ(ToGbk(u"x\U00020000y"), "x?y");
  // Lone surrogates, either half, anywhere.
  EXPECT_EQ(ToGbk(u"\xDC00\xD800"), "??");
  EXPECT_EQ(ToGbk(u"a\xD800"), "a?");
}

TEST(Cp936Text, Decodes) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"", u""},
      {"a\xD6\xD0\x80\xF3\x77z", u"a中€體z"},
      {"\x81\x40\x81\x7E", u"丂\u4E8A"},  // ASCII trail bytes
      {"ab\xD6", u"ab\uFFFD"},             // a lone lead byte at the end
      {"\xD6" "1", u"\uFFFD1"},
      // Letters and 0x80 are trail bytes in this code page.
      {"\xD6" "a", u"謅"},
      {"\xD6\x80", u"謤"},
      {"\xD6\x7F", u"\uFFFD\x7F"},
      {"\xD6\xFF", u"\uFFFD\uFFFD"},
      {"\xFF" "a", u"\uFFFDa"},  // past the last lead byte
      // A lead byte is also a trail byte: pairs are taken left to right.
      {"\xD6\xD6\xD0", u"种\uFFFD"},
      {"\xA1\x40x", u"\uFFFDx"},  // well-formed but unmapped
      {std::string("\0\xD6\xD0", 3), std::u16string(u"\0中", 2)},
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(FromGbk(bytes), text) << testing::PrintToString(bytes);
  }
}

}  // namespace
}  // namespace zorvadel::codepage
