// Coercions, the numeric test and the text form of numbers, with the values
// the scripting runtime gives; date serials, date texts, week days and the
// text form of dates; the string helpers at their edges; and the small
// shared helpers at the edges of their ranges, where a slip in a bound or a
// table shows first.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/decimal_text.h"
#include "runtime/hex_digits.h"
#include "runtime/utf16.h"
#include "support/error_of.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

constexpr int32_t kOk = 0;

using test::ErrorOf;

struct IntCase {
  Variant in;
  int32_t expected;  // value when error == kOk
  int32_t error;
};

TEST(CoercionTest, CInt) {
  const IntCase cases[] = {
      {2.5, 2, kOk},           {3.5, 4, kOk},          {-2.5, -2, kOk},
      {32767.49, 32767, kOk},  {32767.5, 0, 6},        {-32768.5, -32768, kOk},
      {-32769.0, 0, 6},        {true, -1, kOk},        {Variant(), 0, kOk},
      {Variant::Null(), 0, 94}, {u"\t-7 ", -7, kOk},    {u"2.5", 2, kOk},
      {u"1e3", 1000, kOk},     {u"&H7FFF", 32767, kOk}, {u"&HFFFF", -1, kOk},
      {u"&H8000", -32768, kOk}, {u"&h10000", 0, 6},     {u"&O17", 15, kOk},
      {u"abc", 0, 13},         {u"", 0, 13},           {u"1,000", 0, 13},
      {Variant::Date(1.5), 2, kOk}, {Variant::Nothing(), 0, 13}, {std::nan(""), 0, 6},
  };
  for (const IntCase& c : cases) {
    int16_t got = 0;
    EXPECT_EQ(ErrorOf([&] { got = CInt(c.in); }), c.error) << c.expected;
    if (c.error == kOk) {
      EXPECT_EQ(got, c.expected);
    }
  }
}

TEST(CoercionTest, CLng) {
  const IntCase cases[] = {
      {2147483647.49, 2147483647, kOk}, {2147483647.5, 0, 6},
      {-2147483648.5, INT32_MIN, kOk},  {u"&HFFFF", -1, kOk},
      {u"&H10000", 65536, kOk},         {u"&HFFFFFFFF", -1, kOk},
      {u"&H100000000", 0, 13},          {u"1e10", 0, 6},
  };
  for (const IntCase& c : cases) {
    int32_t got = 0;
    EXPECT_EQ(ErrorOf([&] { got = CLng(c.in); }), c.error) << c.expected;
    if (c.error == kOk) {
      EXPECT_EQ(got, c.expected);
    }
  }
}

TEST(CoercionTest, CDbl) {
  EXPECT_EQ(CDbl(u".5"), 0.5);
  EXPECT_EQ(CDbl(u"5."), 5.0);
  EXPECT_EQ(CDbl(u"-1.5E-3"), -0.0015);
  EXPECT_EQ(CDbl(u"1e-400"), 0.0);
  EXPECT_EQ(CDbl(Variant::Date(2.25)), 2.25);
  EXPECT_EQ(ErrorOf([] { CDbl(u"1e400"); }), 6);
  EXPECT_EQ(ErrorOf([] { CDbl(u"1.2.3"); }), 13);
  EXPECT_EQ(ErrorOf([] { CDbl(Variant::Null()); }), 94);
}

TEST(CoercionTest, CBool) {
  EXPECT_TRUE(CBool(u"TRUE"));
  EXPECT_FALSE(CBool(u" false "));
  EXPECT_TRUE(CBool(u"-0.5"));
  EXPECT_TRUE(CBool(Variant(int16_t{2})));
  EXPECT_FALSE(CBool(Variant()));
  EXPECT_EQ(ErrorOf([] { CBool(u"yes"); }), 13);
  EXPECT_EQ(ErrorOf([] { CBool(u""); }), 13);
  EXPECT_EQ(ErrorOf([] { CBool(Variant::Null()); }), 94);
}

TEST(CoercionTest, IsNumeric) {
  const std::u16string_view numeric[] = {u"12",  u" 12 ",  u"\t1\t", u"+1",   u"-1.5",
                                         u".5",  u"5.",    u"1e5",   u"1E-5", u"&HFF",
                                         u"&hff", u"&O17", u"0.000"};
  const std::u16string_view not_numeric[] = {u"",    u"  ",   u"1,000", u"$1",  u"1e",
                                             u".",   u"e5",   u"&H",    u"&O8", u"&H123456789",
                                             u"1 2", u"--1",  u"-&H1",  u"1e400", u"0x10"};
  for (auto t : numeric) EXPECT_TRUE(IsNumeric(t)) << std::string(t.begin(), t.end());
  for (auto t : not_numeric) EXPECT_FALSE(IsNumeric(t)) << std::string(t.begin(), t.end());
  EXPECT_TRUE(IsNumeric(Variant(true)));
  EXPECT_TRUE(IsNumeric(Variant()));
  EXPECT_TRUE(IsNumeric(Variant(u"7")));
  EXPECT_FALSE(IsNumeric(Variant::Null()));
  EXPECT_FALSE(IsNumeric(Variant::Date(1.0)));
  EXPECT_FALSE(IsNumeric(Variant::Nothing()));
}

TEST(CoercionTest, CStrOfValues) {
  const std::pair<Variant, std::u16string_view> cases[] = {
      {0.1 + 0.2, u"0.3"},
      {1.0 / 3.0, u"0.333333333333333"},
      {1e20, u"1E+20"},
      {1.5e-5, u"1.5E-05"},
      {-1234567890123456.0, u"-1.23456789012346E+15"},
      {123456789012345.0, u"123456789012345"},
      {1e100, u"1E+100"},
      {-0.0, u"0"},
      {100.0, u"100"},
      {Variant(int16_t{-5}), u"-5"},
      {Variant(INT32_MIN), u"-2147483648"},
      {true, u"True"},
      {Variant(), u""},
  };
  for (const auto& [in, expected] : cases) EXPECT_EQ(CStr(in), expected);
  EXPECT_EQ(ErrorOf([] { CStr(Variant::Null()); }), 94);
  EXPECT_EQ(ErrorOf([] { CStr(Variant::Nothing()); }), 13);
  EXPECT_EQ(ErrorOf([] { CStr(Variant::Missing()); }), 13);
}

TEST(VariantTest, ErrorsAndTypeNames) {
  ScriptError overflow(kErrOverflow);
  EXPECT_EQ(overflow.description(), u"Overflow");
  EXPECT_STREQ(overflow.what(), "Overflow");
  EXPECT_STREQ(ScriptError(1, u"\u00e9\u4e2d").what(), "\xc3\xa9\xe4\xb8\xad");
  EXPECT_EQ(ScriptError(kErrNoMember).description(),
            u"Object doesn't support this property or method");
  EXPECT_EQ(Variant(int16_t{1}).TypeName(), u"Integer");
  EXPECT_EQ(Variant::Nothing().TypeName(), u"Nothing");
  EXPECT_EQ(Variant::Missing().TypeName(), u"Error");
  EXPECT_TRUE(Variant(int16_t{1}) == Variant(int16_t{1}));
  EXPECT_FALSE(Variant(int16_t{1}) == Variant(int32_t{1}));
  EXPECT_TRUE(Variant(1.0).IsNumber());
  EXPECT_FALSE(Variant(true).IsNumber());
}

TEST(RuntimeTest, StepAndRnd) {
  EXPECT_TRUE(Step([] {}));
  EXPECT_FALSE(Step([] { CInt(u"x"); }));
  // A fixed seed repeats its sequence: RndNumberTest of the output group.
  for (int i = 0; i < 1000; ++i) {
    float r = Rnd();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
  }
}

// ---- Dates -----------------------------------------------------------------------

std::string Narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }

TEST(DatesTest, SerialsOfKnownDays) {
  EXPECT_EQ(DateSerial({2000, 1, 1}), 36526.0);
  EXPECT_EQ(DateSerial({1900, 1, 1}), 2.0);
  EXPECT_EQ(DateSerial({1899, 12, 30, 12, 0, 0}), 0.5);
  EXPECT_EQ(DateSerial({1899, 12, 29, 6, 0, 0}), -1.25);
  EXPECT_EQ(DateSerial({2021, 13, 1}), DateSerial({2022, 1, 1}));  // months carry over
  EXPECT_EQ(DateSerial({2021, 3, 0}), DateSerial({2021, 2, 28}));
  DateParts p = SplitDate(-1.25);
  EXPECT_EQ(p.year * 10000 + p.month * 100 + p.day, 18991229);
  EXPECT_EQ(p.hour, 6);
  // 23:59:59.6 rounds to the next midnight.
  p = SplitDate(36526.0 + 86399.6 / 86400.0);
  EXPECT_EQ(p.day * 100 + p.hour, 200);
  // Beyond the range or not a number: a defined date, no crash.
  SplitDate(1e300);
  SplitDate(-1e300);
  SplitDate(std::nan(""));
}

struct DateTextCase {
  std::u16string_view text;
  DateParts parts;
};

TEST(DatesTest, ParseValidTexts) {
  const DateTextCase cases[] = {
      {u"2020/02/29", {2020, 2, 29}},
      {u"2000-2-29", {2000, 2, 29}},
      {u"2021-12-31 23:59:59", {2021, 12, 31, 23, 59, 59}},
      {u" 2021-1-2  3:04 ", {2021, 1, 2, 3, 4, 0}},
      {u"29-1-1", {2029, 1, 1}},
      {u"30-1-1", {1930, 1, 1}},
      {u"7:05:09", {1899, 12, 30, 7, 5, 9}},
      {u"0:00", {1899, 12, 30}},
      {u"1899-12-29 6:00", {1899, 12, 29, 6, 0, 0}},
  };
  for (const DateTextCase& c : cases) {
    double serial = -999999;
    ASSERT_TRUE(ParseDate(c.text, &serial)) << Narrow(c.text);
    EXPECT_EQ(serial, DateSerial(c.parts)) << Narrow(c.text);
    EXPECT_TRUE(IsDate(Variant(c.text)));
  }
}

TEST(DatesTest, RejectImpossibleAndMalformedTexts) {
  const std::u16string_view bad[] = {
      u"2021-2-30",  u"2019-2-29",  u"1900-2-29",       u"2021-13-1",  u"2021-0-1",
      u"2021-1-0",   u"2021-1-1 24:00", u"2021-1-1 12:60", u"12:5:60",  u"2021-1-1T12:00",
      u"2021-1/1",   u"2021-001-1", u"1-2-3",           u"202-1-1",    u"0099-1-1",
      u"2021-1-1 12", u"12:",       u"abc",             u"",           u"  ",
      u"2021-1-1 1:2:3:4", u"12:00 2021-1-1",
  };
  for (auto text : bad) {
    double serial = 0;
    EXPECT_FALSE(ParseDate(text, &serial)) << Narrow(text);
  }
  EXPECT_FALSE(IsDate(Variant(36526.0)));
  EXPECT_TRUE(IsDate(Variant::Date(36526.0)));
}

TEST(DatesTest, CDateSerial) {
  EXPECT_EQ(CDateSerial(Variant()), 0.0);
  EXPECT_EQ(CDateSerial(Variant(36526.5)), 36526.5);
  EXPECT_EQ(CDateSerial(Variant(u"2000-1-1 12:00")), 36526.5);
  EXPECT_THROW(CDateSerial(Variant(u"2000-2-30")), ScriptError);
  EXPECT_THROW(CDateSerial(Variant(1e10)), ScriptError);
  EXPECT_THROW(CDateSerial(Variant::Null()), ScriptError);
}

TEST(DatesTest, Weekday) {
  const struct {
    double serial;
    int first_day, expected;
  } cases[] = {
      {36526.0, 1, 7},  // 2000-01-01, a Saturday
      {36526.0, 2, 6},  {36526.0, 7, 1}, {36526.0, 0, 7},
      {46362.75, 1, 1},  // 2026-12-06 18:00, a Sunday
      {46362.0, 2, 7},  {0.0, 1, 7},     {-6.0, 1, 1},  // 1899-12-24, a Sunday
      {-1.25, 1, 6},    // 1899-12-29 06:00, a Friday
  };
  for (const auto& c : cases) EXPECT_EQ(Weekday(c.serial, c.first_day), c.expected) << c.serial;
  EXPECT_THROW(Weekday(0.0, 8), ScriptError);
}

TEST(DatesTest, CStrOfDates) {
  EXPECT_EQ(CStr(Variant::Date(DateSerial({2026, 12, 6, 7, 5, 9}))), u"2026-12-6 7:05:09");
  EXPECT_EQ(CStr(Variant::Date(DateSerial({2026, 1, 16}))), u"2026-1-16");
  EXPECT_EQ(CStr(Variant::Date(DateSerial({1899, 12, 30, 7, 5, 9}))), u"7:05:09");
  EXPECT_EQ(CStr(Variant::Date(0.0)), u"0:00:00");
  EXPECT_EQ(CStr(Variant::Date(-1.25)), u"1899-12-29 6:00:00");
  EXPECT_EQ(CStr(Variant::Date(DateSerial({100, 1, 1, 23, 0, 0}))), u"0100-1-1 23:00:00");
}

TEST(DatesTest, NowIsAPlausibleLocalTime) {
  double now = Now();
  EXPECT_GT(now, DateSerial({2020, 1, 1}));
  EXPECT_EQ(Today(), std::trunc(Today()));
  EXPECT_LE(Today(), Now());
}

// ---- Strings ---------------------------------------------------------------------

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
