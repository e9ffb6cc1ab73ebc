// Coercions, the numeric test and the text form of numbers, with the values
// the scripting runtime gives; date serials, date texts, week days and the
// text form of dates.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

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

}  // namespace
}  // namespace zorvadel
