// The small shared helpers at the edges of their ranges, where a slip in a
// bound or a table shows first.
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "runtime/decimal_text.h"
#include "runtime/hex_digits.h"
#include "runtime/utf16.h"

namespace zorvadel {
namespace {

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
