// Week-day names of date texts and values, today's name, and values that are
// no date.
#include <gtest/gtest.h>

#include <string>

#include "langdata/week.h"
#include "platform/codepage/codepage.h"
#include "zorvadel/runtime.h"

namespace zorvadel::langdata {
namespace {

struct WeekCase {
  Variant date;
  std::u16string_view chinese, english;
};

TEST(QueryWeekNameTest, KnownDates) {
  const WeekCase cases[] = {
      {u"2009-1-26", u"星期一", u"Monday"},
      {u"2010-12-31", u"星期五", u"Friday"},
      {u"1981-9-16", u"星期三", u"Wednesday"},
      {u"2009-1-25", u"星期日", u"Sunday"},
      {u"2009-1-31", u"星期六", u"Saturday"},
      {u"2009-1-26 23:59", u"星期一", u"Monday"},
      {Variant::Date(DateSerial(DateParts{2009, 1, 27})), u"星期二", u"Tuesday"},
      {Variant::Date(DateSerial(DateParts{2009, 1, 29, 18, 0, 0})), u"星期四", u"Thursday"},
      {int32_t{0}, u"星期六", u"Saturday"},  // serial 0 is 1899-12-30
      {u"abc", u"", u""},
      {u" ", u"", u""},
      {u"2021-2-30", u"", u""},
      {Variant::Null(), u"", u""},
  };
  for (const WeekCase& c : cases) {
    EXPECT_EQ(QueryWeekName(c.date, WeekdayLanguage::kChinese), c.chinese) << codepage::ToUtf8(c.english);
    EXPECT_EQ(QueryWeekName(c.date, WeekdayLanguage::kEnglish), c.english);
  }
}

TEST(QueryWeekNameTest, OmittedOrEmptyMeansToday) {
  for (const Variant& v : {Variant::Missing(), Variant(), Variant(u"")}) {
    // Read today before and after, so a call at midnight cannot fail the test.
    const auto before = WeekdayName(Weekday(Today(), 2), WeekdayLanguage::kEnglish);
    const std::u16string name = QueryWeekName(v, WeekdayLanguage::kEnglish);
    const auto after = WeekdayName(Weekday(Today(), 2), WeekdayLanguage::kEnglish);
    EXPECT_TRUE(name == before || name == after);
    EXPECT_FALSE(QueryWeekName(v, WeekdayLanguage::kChinese).empty());
  }
}

}  // namespace
}  // namespace zorvadel::langdata
