// Character forms: simplified/traditional through code page 936, full-width
// and half-width, GB2312 zone/position codes.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "data/st_table.h"
#include "platform/codepage/codepage.h"
#include "support/text_cases.h"
#include "text/charset_forms.h"

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

}  // namespace
}  // namespace zorvadel::text
