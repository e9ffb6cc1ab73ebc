// Lunar dates: the table's first and last days, leap months, the leap-year
// correction, the year names, and dates without an answer.
#include <gtest/gtest.h>

#include <string>

#include "langdata/lunar.h"
#include "platform/codepage/codepage.h"
#include "zorvadel/runtime.h"

namespace zorvadel::langdata {
namespace {

struct LunarCase {
  std::u16string_view day, expected;
};

TEST(LunarDateTest, KnownDates) {
  const LunarCase cases[] = {
      {u"1921-2-8", u"农历辛酉年(鸡)正月初一"},
      {u"1921-3-9", u"农历辛酉年(鸡)正月三十"},
      {u"2021-2-11", u"农历庚子年(鼠)腊月三十"},
      {u"2009-6-23", u"农历己丑年(牛)闰五月初一"},
      {u"2010-12-31", u"农历庚寅年(虎)十一月廿六"},
      {u"2017-6-24", u"农历丁酉年(鸡)六月初一"},
      {u"2017-7-23", u"农历丁酉年(鸡)闰六月初一"},
      {u"2017-8-22", u"农历丁酉年(鸡)七月初一"},
      {u"2020-5-23", u"农历庚子年(鼠)闰四月初一"},
      {u"1984-11-23", u"农历甲子年(鼠)闰十月初一"},
      {u"2000-2-29", u"农历庚辰年(龙)正月廿五"},
      {u"2000-3-1", u"农历庚辰年(龙)正月廿六"},
      {u"2021-1-1", u"农历庚子年(鼠)十一月十八"},
      {u"2009-1-26 23:59", u"农历己丑年(牛)正月初一"},  // other date forms: dates_test.cc
  };
  for (const LunarCase& c : cases) EXPECT_EQ(LunarDate(c.day), c.expected) << codepage::ToUtf8(c.day);
}

TEST(LunarDateTest, NoAnswer) {
  const std::u16string_view days[] = {
      u"1921-2-7", u"1921-2-6", u"1900-1-1", u"100-1-1", u"2021-2-12", u"2021-12-31", u"9999-12-31",
      u"", u"abc", u"2021-2-30", u"2009-13-1", u"12:00",
  };
  for (std::u16string_view day : days) EXPECT_EQ(LunarDate(day), u"") << codepage::ToUtf8(day);
}

// Parts beyond their ranges roll over into the neighbouring months and
// years before the date is looked up.
TEST(LunarDateTest, PartsRollOver) {
  EXPECT_EQ(LunarDateText(2008, 13, 26), u"农历己丑年(牛)正月初一");
  EXPECT_EQ(LunarDateText(2009, 2, -5), LunarDateText(2009, 1, 26));
  EXPECT_EQ(LunarDateText(1921, 1, 38), u"");  // rolls over to 1921-2-7
  EXPECT_EQ(LunarDateText(2021, 1, 42), u"农历庚子年(鼠)腊月三十");
  EXPECT_EQ(LunarDateText(2021, 1, 43), u"");
  EXPECT_EQ(LunarDateText(2022, 0, 0), u"");
  EXPECT_EQ(LunarDateText(-2147483647, 1, 1), u"");
  EXPECT_EQ(LunarDateText(1921, 2147483647, 2147483647), u"");
}

// Walks the whole range day by day: every day has a name, the lunar day runs
// 1, 2, ... and restarts only after day 29 or 30, and the months and leap
// months come out in the numbers the table implies (100 years of 12 months,
// 37 of them with a leap month).
TEST(LunarDateTest, WholeRangeIsContinuous) {
  const double first = DateSerial(DateParts{1921, 2, 8});
  int months = 0, leap_months = 0;
  std::u16string previous;
  for (int i = 0; i < kLunarLastDay; ++i) {
    const DateParts d = SplitDate(first + i);
    const std::u16string text = LunarDateText(d.year, d.month, d.day);
    ASSERT_FALSE(text.empty()) << d.year << "-" << d.month << "-" << d.day;
    if (text.ends_with(u"初一")) {
      ++months;
      if (text.find(u"闰") != std::u16string::npos) ++leap_months;
      if (!previous.empty()) {
        EXPECT_TRUE(previous.ends_with(u"廿九") || previous.ends_with(u"三十")) << i;
      }
    }
    previous = text;
  }
  EXPECT_EQ(months, 1237);
  EXPECT_EQ(leap_months, 37);
  EXPECT_EQ(LunarDateText(1921, 2, 7), u"");  // the day before the table
}

}  // namespace
}  // namespace zorvadel::langdata
