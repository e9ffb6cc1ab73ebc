// LongLong and Decimal values at the edges of their ranges: the digits a
// Decimal keeps from text and how it rounds the rest, the text forms, the
// coercions that overflow, and comparisons across subtypes, which must be
// exact where a Double would round two neighbours together.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/error_of.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using test::ErrorOf;

Variant Dec(std::u16string_view text) { return Variant::Decimal(CDec(Variant(text))); }
Variant Big(int64_t n) { return Variant::LongLong(n); }

TEST(WideNumbersTest, DecimalTextKeepsItsDigits) {
  const struct {
    Variant in;
    std::u16string_view text;  // CStr of CDec(in) when error is 0
    int32_t error;
  } cases[] = {
      {u"12345678901234567890.1200", u"12345678901234567890.12", 0},
      {u" -0.5000 ", u"-0.5", 0},
      {u"-0.000", u"0", 0},
      {u"79228162514264337593543950335", u"79228162514264337593543950335", 0},
      {u"79228162514264337593543950336", u"", kErrOverflow},
      // Past 28 places, and past 96 bits, the last digits round half to even.
      {u"1.00000000000000000000000000005", u"1", 0},
      {u"1.00000000000000000000000000015", u"1.0000000000000000000000000002", 0},
      {u"79228162514264337593543950.3355", u"79228162514264337593543950.34", 0},
      {u"1E+28", u"10000000000000000000000000000", 0},
      {u"0E50", u"0", 0},
      {u"-0.0e99999999999", u"0", 0},
      {u"&H10", u"16", 0},
      {u"1,5", u"", kErrTypeMismatch},
      {Variant(0.1 + 0.2), u"0.3", 0},  // a Double's 15 digits
      {Variant(1e300), u"", kErrOverflow},
      {Variant::LongLong(INT64_MIN), u"-9223372036854775808", 0},
      {Variant::Null(), u"", kErrInvalidNull},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    std::u16string text;
    EXPECT_EQ(ErrorOf([&] { text = CStr(Variant::Decimal(CDec(c.in))); }), c.error);
    EXPECT_EQ(text, c.text);
  }
  EXPECT_EQ(Dec(u"1.0"), Dec(u"1.00"));  // the same value whatever the scale
  EXPECT_EQ(Dec(u"1.5").TypeName(), u"Decimal");
  EXPECT_EQ(Big(1).TypeName(), u"LongLong");
  EXPECT_EQ(CDbl(Big(9007199254740993)), 9007199254740992.0);
  EXPECT_EQ(CDbl(Dec(u"-12345678901234567890.12")), -12345678901234567890.12);
}

TEST(WideNumbersTest, WholeNumberCoercionsRoundExactlyAndOverflow) {
  const struct {
    Variant in;
    int32_t clng;  // when clng_error is 0
    int32_t clng_error;
    int32_t cint_error;
  } cases[] = {
      {Big(2147483647), 2147483647, 0, kErrOverflow},
      {Big(2147483648), 0, kErrOverflow, kErrOverflow},
      {Big(-2147483649), 0, kErrOverflow, kErrOverflow},
      {Big(-32768), -32768, 0, 0},
      {Dec(u"2147483647.5"), 0, kErrOverflow, kErrOverflow},
      {Dec(u"32767.5"), 32768, 0, kErrOverflow},
      // Just past the half: a Double would see 2.5 and round to 2.
      {Dec(u"2.5000000000000000001"), 3, 0, 0},
      {Dec(u"-2.5"), -2, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << CDbl(c.in));
    int32_t got = 0;
    EXPECT_EQ(ErrorOf([&] { got = CLng(c.in); }), c.clng_error);
    if (c.clng_error == 0) {
      EXPECT_EQ(got, c.clng);
      EXPECT_EQ(ErrorOf([&] { got = CInt(c.in); }), c.cint_error);
      if (c.cint_error == 0) {
        EXPECT_EQ(got, c.clng);
      }
    }
  }
}

TEST(WideNumbersTest, ComparisonsAreExactAcrossSubtypes) {
  const struct {
    Variant a, b;
    int expected;  // when error is 0
    int32_t error = 0;
  } cases[] = {
      {Big(9007199254740993), Variant(9007199254740992.0), 1},
      {Variant(9007199254740992.0), Big(9007199254740993), -1},
      {Big(-9007199254740993), Big(-9007199254740993), 0},
      {Dec(u"0.1"), Variant(0.1), 0},
      {Dec(u"12345678901234567890.12"), Dec(u"12345678901234567890.1200"), 0},
      {Dec(u"12345678901234567890.12"), Variant(1.2345678901234567e19), 1},
      {Variant(int32_t{5}), Dec(u"5.0000"), 0},
      {Dec(u"-0.5"), Variant(), -1},
      {Variant(true), Big(-1), 0},
      {Variant(u"10"), Big(5), 1},  // a number is less than any text
      {Variant(u"b"), Variant(u"a"), 1},
      {Variant::Null(), Big(1), 0, kErrInvalidNull},
      {Variant::Nothing(), Big(1), 0, kErrTypeMismatch},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.a.type()) << " vs "
                                    << static_cast<int>(c.b.type()) << ", expected "
                                    << c.expected);
    int got = 2;
    EXPECT_EQ(ErrorOf([&] { got = Compare(c.a, c.b); }), c.error);
    if (c.error == 0) {
      EXPECT_EQ(got, c.expected);
    }
  }
}

}  // namespace
}  // namespace zorvadel
