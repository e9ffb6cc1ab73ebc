// Date serials, date texts, week days and the text form of dates.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

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
