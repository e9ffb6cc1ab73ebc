// Character forms: simplified/traditional through code page 936, full-width
// and half-width, GB2312 zone/position codes; and numeric character
// references: the keep rule of ampersands, the escaping of units outside
// 32-255, and the decoder that reads references back.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "data/st_table.h"
#include "platform/codepage/codepage.h"
#include "support/text_cases.h"
#include "text/charset_forms.h"
#include "text/charset_refs.h"

namespace zorvadel::text {
namespace {

using test::Case;

// The table's own pairs are checked below; here, what lies outside it.
TEST(CharsetSimplifiedTraditional, CharactersOutsideTheTable) {
  const Case to_traditional[] = {
      {u"", u""},
      {u"a\u0E01b", u"a\u0E01b"},  // no code page 936 form: kept as it is
      {u"😀汉", u"😀漢"},
      {u"\xD800x\xDC00", u"\xD800x\xDC00"},
      {std::u16string(u"汉\0汉", 3), std::u16string(u"漢\0漢", 3)},  // U+0000 ends nothing
  };
  for (const Case& c : to_traditional) EXPECT_EQ(JToF(c.in), c.out);
  EXPECT_EQ(FToJ(u"a\u0E01b"), u"a\u0E01b");
  EXPECT_EQ(FToJ(std::u16string(u"x\0漢", 3)), std::u16string(u"x\0汉", 3));
  // Each character keeps the length of its code page 936 form.
  const std::u16string mixed = u"简体與繁體 mixed 😀 text，€";
  EXPECT_EQ(codepage::ToGbk(JToF(mixed)).size(), codepage::ToGbk(mixed).size());
  EXPECT_EQ(codepage::ToGbk(FToJ(mixed)).size(), codepage::ToGbk(mixed).size());
}

// Every character of code page 936, alone and all in one text, maps to its
// pair in the table, or to itself when the table has none.
TEST(CharsetSimplifiedTraditional, AgreesWithTableOnAllOfCodePage936) {
  const struct {
    std::u16string (*convert)(std::u16string_view);
    const data::CharPair* pairs;
    size_t size;
  } directions[] = {
      {&JToF, data::kSimplifiedToTraditional, data::kSimplifiedToTraditionalSize},
      {&FToJ, data::kTraditionalToSimplified, data::kTraditionalToSimplifiedSize},
  };
  for (const auto& d : directions) {
    std::map<char16_t, char16_t> table;
    for (size_t i = 0; i < d.size; ++i) table.emplace(d.pairs[i].from, d.pairs[i].to);
    std::u16string all, expected_all;
    size_t mapped = 0;
    for (uint32_t code = 1; code <= 0xFFFF; ++code) {
      const char16_t c = codepage::FromGbkCode(static_cast<uint16_t>(code));
      if (c == 0) continue;
      const auto pair = table.find(c);
      const char16_t expected = pair == table.end() ? c : pair->second;
      mapped += pair != table.end();
      ASSERT_EQ(d.convert(std::u16string(1, c)), std::u16string(1, expected)) << std::hex << code;
      all.push_back(c);
      expected_all.push_back(expected);
    }
    EXPECT_GT(all.size(), 21000u);
    EXPECT_EQ(mapped, d.size);  // every key of the table is a character of code page 936
    EXPECT_TRUE(d.convert(all) == expected_all);
    // Far beyond any 16-bit count, nothing is cut or shifted.
    EXPECT_TRUE(d.convert(all + all + all + all) == expected_all + expected_all + expected_all +
                                                       expected_all);
  }
}

TEST(CharsetWidth, WideAndNarrow) {
  const Case pairs[] = {
      {u"Ab 1!~", u"Ａｂ　１！～"},
      {u"中文", u"中文"},
      {u"\t\x7F\x1F", u"\t\x7F\x1F"},
      {u"", u""},
  };
  for (const Case& c : pairs) {
    EXPECT_EQ(StrToWide(c.in), c.out);
    EXPECT_EQ(StrToNarrow(c.out), c.in);
  }
  EXPECT_EQ(StrToNarrow(u"\xFF00\xFF5F\xFFE5"), u"\xFF00\xFF5F\xFFE5");
  EXPECT_EQ(StrToWide(u"Ａ"), u"Ａ");
}

TEST(CharsetZonePosition, Encode) {
  const struct {
    std::u16string text;
    std::u16string mark;
    std::u16string expected;
  } cases[] = {
      {u"中a文", u",", u"中:5448,文:4636,"},
      {u"，", u",", u"，:0312,"},
      {u"爱", u"", u"爱:1614"},
      {u"丂\u0E01😀", u",", u""},  // GBK extension, no form, surrogates
      {std::u16string(u"中\0文", 3), u",", u"中:5448,文:4636,"},
  };
  for (const auto& c : cases) EXPECT_EQ(QWMEnCode(c.text, c.mark), c.expected);
}

TEST(CharsetZonePosition, Decode) {
  const struct {
    int16_t code;
    std::u16string expected;
  } cases[] = {
      {1614, u"爱"}, {312, u"，"}, {1601, u"啊"}, {8794, u"齄"}, {9999, u""}, {9495, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(QWMDeCode(c.code), c.expected) << c.code;
  // Whatever the code, at most one character and never a crash.
  for (int code = -32768; code <= 32767; code += 7) {
    EXPECT_LE(QWMDeCode(static_cast<int16_t>(code)).size(), 1u);
  }
}

// ---- Numeric character references ------------------------------------------------

using test::Repeat;

TEST(CharsetKeepsEntity, Segments) {
  struct Keep {
    std::u16string_view segment;
    bool kept;
  };
  const Keep cases[] = {
      {u"&lt", true},           {u"&gt", true},     {u"&apos", true},   {u"&quot", true},
      {u"&amp", true},          {u"&nbsp", true},   {u"&LT", false},    {u"&Amp", false},
      {u"&copy", false},        {u"&", false},      {u"&#", false},     {u"&#x", false},
      {u"&#X", false},          {u"&#x4e2d", true}, {u"&#X4E2D", true}, {u"&#xFFFF", true},
      {u"&#x4G", false},        {u"&#20013", true}, {u"&#-5", true},    {u"&#1e3", true},
      {u"&#12a", false},        {u"&#1.5", true},   {u"&#x1.5", false}, {u"&lt ", false},
      {u"&#&H41", true},  // the general parse reads radix literals too
      {u"&#xFFFFFFFFF", false},
  };
  for (const Keep& c : cases) {
    EXPECT_EQ(KeepsEntity(c.segment), c.kept) << std::string(c.segment.begin(), c.segment.end());
  }
}

TEST(CharsetUni, RepairsAndEscapes) {
  const Case cases[] = {
      {u"", u""},
      {u"AT&T", u"AT&amp;T"},
      {u"a & b;", u"a &amp; b;"},
      {u"&&#x41;", u"&amp;&#x41;"},
      {u"&lt;&#x41&gt;", u"&lt;&amp;#x41&gt;"},
      {u"中", u"&#x4E2D;"},
      // Control characters, characters outside the basic plane and lone
      // surrogates as the output filter's table has them (Uni is its
      // escaping: OutputFilterTest.AgreesWithTwoPasses).
      {u"\uFFFF", u"&#xFFFF;"},
      {u"&\xD83D", u"&amp;&#xFFFD;"},
      {u"&中;", u"&amp;&#x4E2D;;"},
      {u"&#&H4&1;", u"&amp;#&amp;H4&amp;1;"},
  };
  for (const Case& c : cases) EXPECT_EQ(Uni(c.in), c.out);
}

TEST(CharsetUtfToGb, Decodes) {
  const Case cases[] = {
      {u"", u""},
      {u"&#x4E2D;&#x4e2d;", u"中中"},
      {u"&#X4E2D;&#20013;&lt;", u"&#X4E2D;&#20013;&lt;"},
      {u"a&#x5173;", u"a关"},
      {u"&#x00000000041;", u"A"},
      // Above FFFF: the surrogate pair; the pair written as two references
      // (as older pages carry it) gives the same.
      {u"a&#x10000;b&#x41;c", u"a\U00010000bAc"},
      {u"&#x10FFFF;", u"\U0010FFFF"},
      {u"&#xD83D;&#xDE00;", u"😀"},
      {u"a&#x0;b", std::u16string(u"a\0b", 3)},
      // What cannot be read stays as it stands, and so does the text after it.
      {u"a&#x", u"a&#x"},
      {u"&#x110000;b&#x41;", u"&#x110000;bA"},  // beyond the last character
      {u"&#xFFFFFFFFF41;b", u"&#xFFFFFFFFF41;b"},
      {u"&#x;x&#x41;", u"&#x;xA"},      // no digits
      {u"&#xZZ;q&#x41;", u"&#xZZ;qA"},  // not hexadecimal
      {u"a&#x41&#x42;b", u"a&#x41Bb"},  // ";" beyond the next reference
      {u"&#x&#x41;", u"&#xA"},
  };
  for (const Case& c : cases) EXPECT_EQ(UtfToGb(c.in), c.out);
}

TEST(CharsetUtfToGb, LongTextsHaveNoPositionLimit) {
  EXPECT_EQ(UtfToGb(Repeat(u"&#x41;", 40000) + u"end"), std::u16string(40000, u'A') + u"end");
  const std::u16string unreadable(100000, u'&');
  EXPECT_EQ(UtfToGb(u"&#x" + unreadable + u"&#x42;"), u"&#x" + unreadable + u"B");
  const std::u16string open_refs = Repeat(u"&#x4", 100000);
  EXPECT_EQ(UtfToGb(open_refs + u";"), open_refs.substr(0, open_refs.size() - 4) + u"\x04");
}

}  // namespace
}  // namespace zorvadel::text
