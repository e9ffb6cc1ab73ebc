// UTF-8 <-> UTF-16: surrogate pairs, lone surrogates, and the ill-formed
// byte sequences that must each become U+FFFD (one per maximal ill-formed
// part, so the text after a bad spot is never lost).
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage/codepage.h"

namespace zorvadel::codepage {
namespace {

struct Case {
  std::u16string text;
  std::string bytes;
};

TEST(Utf8, Encodes) {
  const Case cases[] = {
      {u"", ""},
      {u"\u00E9\u07FF", "\xC3\xA9\xDF\xBF"},
      {u"中\uFFFF", "\xE4\xB8\xAD\xEF\xBF\xBF"},
      {u"\U00020000\U0010FFFF", "\xF0\xA0\x80\x80\xF4\x8F\xBF\xBF"},
      // A lone surrogate, either half, anywhere, is U+FFFD.
      {u"a\xD800" u"b", "a\xEF\xBF\xBD" "b"},
      {u"\xDBFF", "\xEF\xBF\xBD"},
      {u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {u"\xD800\xD800\xDC00", "\xEF\xBF\xBD\xF0\x90\x80\x80"},
  };
  for (const Case& c : cases) EXPECT_EQ(ToUtf8(c.text), c.bytes) << testing::PrintToString(c.text);
}

TEST(Utf8, Decodes) {
  const Case cases[] = {
      {u"", ""},
      {u"a\uFFFD" u"b", "a\x80" "b"},                          // lone continuation
      {u"\uFFFD\uFFFD", "\xC0\xAF"},                           // overlong
      {u"\uFFFD\uFFFD\uFFFD", "\xE0\x80\xAF"},
      {u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xF0\x80\x80\xAF"},
      {u"\uFFFD\uFFFD\uFFFD", "\xED\xA0\x80"},                // an encoded surrogate
      {u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xF4\x90\x80\x80"},     // above U+10FFFF
      {u"\uFFFD\uFFFD", "\xF5\x80"},
      {u"\uFFFDa", "\xFF" "a"},
      {u"a\uFFFD", "a\xF0\xA0\x80"},                          // cut off by the end
      {u"\uFFFDa", "\xE4\xB8" "a"},
      {u"\uFFFD中", "\xE4\xE4\xB8\xAD"},
      {u"\uFFFD\U00020000", "\xF0\xA0\xF0\xA0\x80\x80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FromUtf8(c.bytes), c.text) << testing::PrintToString(c.bytes);
  }
}

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
