// The string helpers at their edges, with the runtime's results, and the
// small shared helpers at the edges of their ranges, where a slip in a bound
// or a table shows first.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/decimal_text.h"
#include "runtime/hex_digits.h"
#include "runtime/utf16.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using Pieces = std::vector<std::u16string>;
constexpr CompareMode kText = CompareMode::kText;

TEST(StringsTest, InStr) {
  EXPECT_EQ(InStr(u"abc", u""), 1);
  EXPECT_EQ(InStr(4, u"abc", u""), 4);
  EXPECT_EQ(InStr(5, u"abc", u""), 0);
  EXPECT_EQ(InStr(4, u"abcabc", u"c"), 6);
  EXPECT_EQ(InStr(7, u"abcabc", u"c"), 0);
  EXPECT_EQ(InStr(u"ABC", u"b"), 0);
  EXPECT_EQ(InStr(u"ABC", u"b", kText), 2);
  EXPECT_THROW(InStr(0, u"abc", u"a"), ScriptError);
}

TEST(StringsTest, InStrRev) {
  EXPECT_EQ(InStrRev(u"abcabc", u"bc"), 5);
  EXPECT_EQ(InStrRev(u"abcabc", u"bc", 5), 2);
  EXPECT_EQ(InStrRev(u"abc", u"", 2), 2);
  EXPECT_EQ(InStrRev(u"abc", u"a", 4), 0);
  EXPECT_EQ(InStrRev(u"aBC", u"Bc", -1, kText), 2);
  EXPECT_EQ(InStrRev(u"", u"a"), 0);
  EXPECT_THROW(InStrRev(u"abc", u"a", 0), ScriptError);
}

TEST(StringsTest, MidLeftRight) {
  EXPECT_EQ(Mid(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(Mid(u"abcdef", 5, 10), u"ef");
  EXPECT_EQ(Mid(u"abcdef", 7), u"");
  EXPECT_THROW(Mid(u"abc", 0), ScriptError);
  EXPECT_THROW(Mid(u"abc", 1, -2), ScriptError);
  EXPECT_EQ(Left(u"abc", 5), u"abc");
  EXPECT_EQ(Right(u"abc", 2), u"bc");
  EXPECT_EQ(Right(u"abc", 0), u"");
  EXPECT_THROW(Left(u"abc", -1), ScriptError);
}

TEST(StringsTest, Replace) {
  EXPECT_EQ(Replace(u"aXbXc", u"X", u"-", 3), u"b-c");  // text before start dropped
  EXPECT_EQ(Replace(u"aXbXc", u"X", u"-", 1, 1), u"a-bXc");
  EXPECT_EQ(Replace(u"aXbx", u"x", u"-", 1, -1, kText), u"a-b-");
  EXPECT_EQ(Replace(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(Replace(u"abc", u"", u"-", 2), u"bc");
  EXPECT_EQ(Replace(u"abc", u"b", u"-", 1, 0), u"abc");
  EXPECT_EQ(Replace(u"abc", u"b", u"-", 4), u"");
  EXPECT_THROW(Replace(u"abc", u"b", u"-", 0), ScriptError);
  EXPECT_THROW(Replace(u"abc", u"b", u"-", 1, -2), ScriptError);
}

TEST(StringsTest, SplitAndJoin) {
  EXPECT_EQ(Split(u""), Pieces{});
  EXPECT_EQ(Split(u"a b"), (Pieces{u"a", u"b"}));
  EXPECT_EQ(Split(u"a,b,,c", u","), (Pieces{u"a", u"b", u"", u"c"}));
  EXPECT_EQ(Split(u"abc", u""), (Pieces{u"abc"}));
  EXPECT_EQ(Split(u"a,b,c", u",", 2), (Pieces{u"a", u"b,c"}));
  EXPECT_EQ(Split(u"a,b,c", u",", 0), Pieces{});
  EXPECT_EQ(Split(u"aXbxc", u"x", -1, kText), (Pieces{u"a", u"b", u"c"}));
  EXPECT_EQ(Split(u"a<>b<>", u"<>"), (Pieces{u"a", u"b", u""}));
  EXPECT_THROW(Split(u"a", u",", -2), ScriptError);
  EXPECT_EQ(Join({u"a", u"", u"c"}, u"--"), u"a----c");
  EXPECT_EQ(Join({}, u","), u"");
}

TEST(StringsTest, LetterCase) {
  EXPECT_EQ(LCase(u"ABC\u00c4\u00d6\u03a3\u0416\uff21\u0100z1"),
            u"abc\u00e4\u00f6\u03c3\u0436\uff41\u0101z1");
  EXPECT_EQ(UCase(u"abc\u00e4\u00f6\u03c3\u0436\uff41\u0101Z1\u4e2d"),
            u"ABC\u00c4\u00d6\u03a3\u0416\uff21\u0100Z1\u4e2d");
  EXPECT_EQ(UCase(u"\u00ff"), u"\u0178");
  // Nothing non-ASCII folds into ASCII (Kelvin sign, long s).
  EXPECT_EQ(LCase(u"\u212a"), u"\u212a");
  EXPECT_EQ(UCase(u"\u017f"), u"\u017f");
}

TEST(StringsTest, TrimAndHex) {
  EXPECT_EQ(Trim(u"  a b \t "), u"a b \t");
  EXPECT_EQ(RTrim(u"  a "), u"  a");
  EXPECT_EQ(Trim(u"   "), u"");
  EXPECT_EQ(Trim(u"\u3000a"), u"\u3000a");
  EXPECT_EQ(Hex(255), u"FF");
  EXPECT_EQ(Hex(-1), u"FFFFFFFF");
  EXPECT_EQ(Hex(INT32_MIN), u"80000000");
}

// ---- Unit helpers ----------------------------------------------------------------

TEST(UnitHelpersTest, Surrogates) {
  struct Row {
    char16_t unit;
    bool high, low;
  };
  for (const Row& row : {Row{0xD7FF, false, false}, Row{0xD800, true, false},
                         Row{0xDBFF, true, false}, Row{0xDC00, false, true},
                         Row{0xDFFF, false, true}, Row{0xE000, false, false}}) {
    SCOPED_TRACE(static_cast<int>(row.unit));
    EXPECT_EQ(IsHighSurrogate(row.unit), row.high);
    EXPECT_EQ(IsLowSurrogate(row.unit), row.low);
    EXPECT_EQ(IsSurrogate(row.unit), row.high || row.low);
  }
  using Pair = std::tuple<char32_t, char16_t, char16_t>;
  for (auto [c, high, low] : {Pair{0x10000, 0xD800, 0xDC00}, Pair{0x1F600, 0xD83D, 0xDE00},
                              Pair{0x10FFFF, 0xDBFF, 0xDFFF}}) {
    SCOPED_TRACE(static_cast<uint32_t>(c));
    EXPECT_EQ(HighSurrogateOf(c), high);
    EXPECT_EQ(LowSurrogateOf(c), low);
    EXPECT_EQ(CombineSurrogates(high, low), c);
  }
}

TEST(UnitHelpersTest, HexDigitValues) {
  struct Row {
    char32_t c;
    int value;
  };
  // The neighbours of each digit run, and wide forms that only look alike.
  for (const Row& row : {Row{'0', 0}, Row{'9', 9}, Row{'A', 10}, Row{'F', 15}, Row{'a', 10},
                         Row{'f', 15}, Row{'/', -1}, Row{':', -1}, Row{'@', -1}, Row{'G', -1},
                         Row{'`', -1}, Row{'g', -1}, Row{0x7F, -1}, Row{0x80, -1},
                         Row{0xFF10, -1}, Row{0xFF21, -1}}) {
    SCOPED_TRACE(static_cast<uint32_t>(row.c));
    EXPECT_EQ(HexDigitValue(row.c), row.value);
  }
  // A byte above 0x7F in a plain char, negative where char is signed.
  EXPECT_EQ(HexDigitValue(static_cast<char>(0xB0)), -1);
  EXPECT_EQ(HexDigitValue(static_cast<char>(0xC1)), -1);
}

TEST(UnitHelpersTest, DecimalText) {
  struct Row {
    int64_t value;
    size_t width;
    std::u16string text;
  };
  for (const Row& row : {Row{0, 0, u"0"}, Row{-32768, 0, u"-32768"}, Row{7, 4, u"0007"},
                         Row{12345, 4, u"12345"},
                         Row{std::numeric_limits<int64_t>::min(), 0, u"-9223372036854775808"}}) {
    SCOPED_TRACE(row.value);
    std::u16string out = u"x";
    AppendDecimal(&out, row.value, row.width);
    EXPECT_EQ(out, u"x" + row.text);
    if (row.width == 0) {
      EXPECT_EQ(DecimalText(row.value), row.text);
    }
  }
}

}  // namespace
}  // namespace zorvadel
