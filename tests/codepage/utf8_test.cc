// UTF-8 <-> UTF-16: surrogate pairs, lone surrogates, and the ill-formed
// byte sequences that must each become U+FFFD (one per maximal ill-formed
// part, so the text after a bad spot is never lost).
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage/codepage.h"

namespace zorvadel::codepage {
namespace {

struct EncodeCase {
  const char* name;
  std::u16string text;
  std::string bytes;
};

class Utf8Encode : public testing::TestWithParam<EncodeCase> {};

TEST_P(Utf8Encode, Encodes) { EXPECT_EQ(ToUtf8(GetParam().text), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Encode,
    testing::Values(
        EncodeCase{"Empty", u"", ""},
        EncodeCase{"Ascii", u"abc", "abc"},
        EncodeCase{"TwoBytes", u"\u00E9\u07FF", "\xC3\xA9\xDF\xBF"},
        EncodeCase{"ThreeBytes", u"中\uFFFF", "\xE4\xB8\xAD\xEF\xBF\xBF"},
        EncodeCase{"SurrogatePair", u"\U00020000\U0010FFFF",
                   "\xF0\xA0\x80\x80\xF4\x8F\xBF\xBF"},
        EncodeCase{"LoneHigh", u"a\xD800" u"b", "a\xEF\xBF\xBD" "b"},
        EncodeCase{"LoneHighAtEnd", u"\xDBFF", "\xEF\xBF\xBD"},
        EncodeCase{"LoneLow", u"\xDC00", "\xEF\xBF\xBD"},
        EncodeCase{"ReversedPair", u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        EncodeCase{"HighHighLow", u"\xD800\xD800\xDC00",
                   "\xEF\xBF\xBD\xF0\x90\x80\x80"}),
    [](const testing::TestParamInfo<EncodeCase>& info) { return info.param.name; });

class Utf8Decode : public testing::TestWithParam<EncodeCase> {};

TEST_P(Utf8Decode, Decodes) { EXPECT_EQ(FromUtf8(GetParam().bytes), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Decode,
    testing::Values(
        EncodeCase{"Empty", u"", ""},
        EncodeCase{"Nul", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
        EncodeCase{"Valid", u"é中\U00020000\U0010FFFF",
                   "\xC3\xA9\xE4\xB8\xAD\xF0\xA0\x80\x80\xF4\x8F\xBF\xBF"},
        EncodeCase{"LoneContinuation", u"a\uFFFD" u"b", "a\x80" "b"},
        EncodeCase{"OverlongTwo", u"\uFFFD\uFFFD", "\xC0\xAF"},
        EncodeCase{"OverlongC1", u"\uFFFD\uFFFD", "\xC1\xBF"},
        EncodeCase{"OverlongThree", u"\uFFFD\uFFFD\uFFFD", "\xE0\x80\xAF"},
        EncodeCase{"OverlongFour", u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xF0\x80\x80\xAF"},
        EncodeCase{"EncodedSurrogate", u"\uFFFD\uFFFD\uFFFD", "\xED\xA0\x80"},
        EncodeCase{"EncodedPair", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD",
                   "\xED\xA0\x80\xED\xB0\x80"},
        EncodeCase{"AboveMax", u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xF4\x90\x80\x80"},
        EncodeCase{"LeadF5", u"\uFFFD\uFFFD", "\xF5\x80"},
        EncodeCase{"ByteFF", u"\uFFFDa", "\xFF" "a"},
        EncodeCase{"TruncatedTwoAtEnd", u"a\uFFFD", "a\xC3"},
        EncodeCase{"TruncatedThreeAtEnd", u"a\uFFFD", "a\xE4\xB8"},
        EncodeCase{"TruncatedFourAtEnd", u"a\uFFFD", "a\xF0\xA0\x80"},
        EncodeCase{"TruncatedThenAscii", u"\uFFFDa", "\xE4\xB8" "a"},
        EncodeCase{"TruncatedThenLead", u"\uFFFD中", "\xE4\xE4\xB8\xAD"},
        EncodeCase{"TruncatedFourThenFour", u"\uFFFD\U00020000",
                   "\xF0\xA0\xF0\xA0\x80\x80"}),
    [](const testing::TestParamInfo<EncodeCase>& info) { return info.param.name; });

// Every BMP character and a spread of supplementary ones survive the trip.
TEST(Utf8RoundTrip, AllScalarValues) {
  std::u16string text;
  for (char32_t cp = 0; cp < 0x110000; cp += cp < 0x10000 ? 1 : 0x3F) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp < 0x10000) {
      text.push_back(static_cast<char16_t>(cp));
    } else {
      text.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
  }
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
}

TEST(CodePageChoice, Utf8OnlyFor65001) {
  EXPECT_EQ(Encode(u"中€", kUtf8), "\xE4\xB8\xAD\xE2\x82\xAC");
  EXPECT_EQ(Decode("\xE4\xB8\xAD", kUtf8), u"中");
  for (uint32_t code_page : {kGbk, 0u, 1252u, 65000u, 54936u}) {
    SCOPED_TRACE(code_page);
    EXPECT_EQ(Encode(u"中€", code_page), "\xD6\xD0\x80");
    EXPECT_EQ(Decode("\xD6\xD0\x80", code_page), u"中€");
  }
}

}  // namespace
}  // namespace zorvadel::codepage
