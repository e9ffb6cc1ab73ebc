// Lunar dates from the packed year table: the year by a search of the days
// before each lunar year, then the months of that year one by one.
#include "langdata/lunar.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "zorvadel/runtime.h"
#include "zorvadel/variant.h"

namespace zorvadel::langdata {
namespace {

constexpr int kFirstLunarYear = 1921;

// One entry per lunar year from 1921. Bits 16-19: the month that the leap
// month repeats (0: none). Below them one bit per month, the first month
// highest: 12 bits for a common year, 13 for a leap year; a set bit is a
// 30-day month, a clear one a 29-day month.
constexpr std::array<uint32_t, 100> kLunarYears = {
    0xA4B,   0x5164B, 0x6A5,   0x6D4,   0x415B5, 0x2B6,   0x957,   0x2092F, 0x497,   0x60C96,
    0xD4A,   0xEA5,   0x50DA9, 0x5AD,   0x2B6,   0x3126E, 0x92E,   0x7192D, 0xC95,   0xD4A,
    0x61B4A, 0xB55,   0x56A,   0x4155B, 0x25D,   0x92D,   0x2192B, 0xA95,   0x71695, 0x6CA,
    0xB55,   0x50AB5, 0x4DA,   0xA5B,   0x30A57, 0x52B,   0x8152A, 0xE95,   0x6AA,   0x615AA,
    0xAB5,   0x4B6,   0x414AE, 0xA57,   0x526,   0x31D26, 0xD95,   0x70B55, 0x56A,   0x96D,
    0x5095D, 0x4AD,   0xA4D,   0x41A4D, 0xD25,   0x81AA5, 0xB54,   0xB6A,   0x612DA, 0x95B,
    0x49B,   0x41497, 0xA4B,   0xA164B, 0x6A5,   0x6D4,   0x615B4, 0xAB6,   0x957,   0x5092F,
    0x497,   0x64B,   0x30D4A, 0xEA5,   0x80D65, 0x5AC,   0xAB6,   0x5126D, 0x92E,   0xC96,
    0x41A95, 0xD4A,   0xDA5,   0x20B55, 0x56A,   0x7155B, 0x25D,   0x92D,   0x5192B, 0xA95,
    0xB4A,   0x416AA, 0xAD5,   0x90AB5, 0x4BA,   0xA5B,   0x60A57, 0x52B,   0xA93,   0x40E95,
};

// The month count comes from the entry's size; every leap year's entry has
// its leap field set, so this agrees with the field.
constexpr int MonthCount(uint32_t entry) { return entry < 0xFFF ? 12 : 13; }
constexpr int LeapMonth(uint32_t entry) { return static_cast<int>(entry >> 16); }
// Length of the month in position `position` (1-based) of the year.
constexpr int MonthLength(uint32_t entry, int position) {
  return 29 + static_cast<int>((entry >> (MonthCount(entry) - position)) & 1);
}
constexpr int YearLength(uint32_t entry) {
  int days = 0;
  for (int p = 1; p <= MonthCount(entry); ++p) days += MonthLength(entry, p);
  return days;
}

constexpr bool TableIsConsistent() {
  int days = 0;
  for (uint32_t entry : kLunarYears) {
    const int leap = LeapMonth(entry);
    if ((leap == 0) != (MonthCount(entry) == 12) || leap == 1 || leap > 11) return false;
    if ((entry & 0xE000) != 0) return false;
    days += YearLength(entry);
  }
  return days == kLunarLastDay;
}
static_assert(TableIsConsistent(), "lunar year table must cover 1921-2-8 to 2021-2-11");
static_assert(YearLength(0xA4B) == 354 && YearLength(0x5164B) == 384);

constexpr std::array<std::u16string_view, 10> kHeavenlyStemNames = {
    u"甲", u"乙", u"丙", u"丁", u"戊", u"己", u"庚", u"辛", u"壬", u"癸"};
constexpr std::array<std::u16string_view, 12> kEarthlyBranchNames = {
    u"子", u"丑", u"寅", u"卯", u"辰", u"巳", u"午", u"未", u"申", u"酉", u"戌", u"亥"};
constexpr std::array<std::u16string_view, 12> kZodiacNames = {
    u"鼠", u"牛", u"虎", u"兔", u"龙", u"蛇", u"马", u"羊", u"猴", u"鸡", u"狗", u"猪"};
// Months 1 to 12 at index 1.
constexpr std::array<std::u16string_view, 13> kLunarMonthNames = {
    u"", u"正", u"二", u"三", u"四", u"五", u"六", u"七", u"八", u"九", u"十", u"十一", u"腊"};
// Days 1 to 30 at index 1; day 0 is the day before the first lunar new year
// the table knows, which has no real lunar day.
constexpr std::array<std::u16string_view, 31> kLunarDayNames = {
    u"*",    u"初一", u"初二", u"初三", u"初四", u"初五", u"初六", u"初七",
    u"初八", u"初九", u"初十", u"十一", u"十二", u"十三", u"十四", u"十五",
    u"十六", u"十七", u"十八", u"十九", u"二十", u"廿一", u"廿二", u"廿三",
    u"廿四", u"廿五", u"廿六", u"廿七", u"廿八", u"廿九", u"三十"};

// Days before each lunar year, counted from 1921-2-7: year i holds the days
// after kYearStart[i] up to kYearStart[i + 1]. Saves walking every earlier
// year's months on each call.
constexpr std::array<int, kLunarYears.size() + 1> BuildYearStarts() {
  std::array<int, kLunarYears.size() + 1> starts{};
  for (size_t i = 0; i < kLunarYears.size(); ++i) starts[i + 1] = starts[i] + YearLength(kLunarYears[i]);
  return starts;
}
constexpr std::array<int, kLunarYears.size() + 1> kYearStart = BuildYearStarts();

struct LunarDay {
  int year_index;  // into kLunarYears
  int month;       // 1 to 12
  bool leap;
  int day;         // 1 to 30; 0 only for 1921-2-7
};

// `t`: days after 1921-2-7, from 0 to kLunarLastDay.
LunarDay Locate(int t) {
  // The last year starting before day t; day 0 sits in the first year's
  // first month, as a walk from the table's start would leave it.
  const int year = t <= 0 ? 0
                          : static_cast<int>(std::lower_bound(kYearStart.begin(), kYearStart.end(), t) -
                                             kYearStart.begin()) - 1;
  t -= kYearStart[year];
  const uint32_t entry = kLunarYears[year];
  int position = 1;
  while (t > MonthLength(entry, position)) t -= MonthLength(entry, position++);
  // In a leap year the month after month L repeats it, and the later
  // positions are one ahead of their month numbers.
  const int leap_month = LeapMonth(entry);
  if (MonthCount(entry) == 13 && position > leap_month) {
    return {year, position - 1, position == leap_month + 1, t};
  }
  return {year, position, false, t};
}

// The longest text: 农历 + 2 + 年( + 1 + ) + 闰 + 2 + 月 + 2 = 14 units.
constexpr size_t kLongestText = 16;

std::u16string Text(const LunarDay& d) {
  const int cycle = (kFirstLunarYear + d.year_index - 4) % 60;
  char16_t buffer[kLongestText];
  char16_t* at = buffer;
  auto add = [&at](std::u16string_view part) {
    for (char16_t c : part) *at++ = c;
  };
  add(u"农历");
  add(kHeavenlyStemNames[cycle % 10]);
  add(kEarthlyBranchNames[cycle % 12]);
  add(u"年(");
  add(kZodiacNames[cycle % 12]);
  add(u")");
  if (d.leap) add(u"闰");
  add(kLunarMonthNames[d.month]);
  add(u"月");
  add(kLunarDayNames[d.day]);
  return std::u16string(buffer, static_cast<size_t>(at - buffer));
}

constexpr std::array<int, 12> kMonthStartDays = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

constexpr std::array<int, 12> kMonthLengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

constexpr bool IsValidDate(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1) return false;
  // Within the years that can have an answer, every fourth year is a leap
  // year (2000 included).
  const int leap_day = month == 2 && year % 4 == 0 ? 1 : 0;
  return day <= kMonthLengths[month - 1] + leap_day;
}

// Days after 1921-2-7 of a valid date in the years 1921 to 2021.
constexpr int DaysAfterDayZero(int year, int month, int day) {
  const int years = year - kFirstLunarYear;
  return years * 365 + years / 4 + kMonthStartDays[month - 1] + day - 38 +
         (year % 4 == 0 && month > 2 ? 1 : 0);
}
static_assert(DaysAfterDayZero(1921, 2, 8) == kLunarFirstDay);
static_assert(DaysAfterDayZero(2021, 2, 11) == kLunarLastDay);
static_assert(DaysAfterDayZero(2000, 3, 1) - DaysAfterDayZero(2000, 2, 28) == 2);

}  // namespace

std::u16string LunarDateText(int year, int month, int day) {
  // Every date before 1921 lies before the table, every date after 2021
  // beyond it (and some have no serial either).
  if (year < kFirstLunarYear - 1 || year > kFirstLunarYear + 101) return std::u16string();
  if (!IsValidDate(year, month, day)) {
    // Parts out of their ranges roll over as DateSerial rolls them.
    DateParts parts;
    if (!Step([&] { parts = SplitDate(DateSerial(DateParts{year, month, day})); })) {
      return std::u16string();
    }
    year = parts.year;
    month = parts.month;
    day = parts.day;
  }
  if (year < kFirstLunarYear || year > kFirstLunarYear + 100) return std::u16string();
  const int t = DaysAfterDayZero(year, month, day);
  // 1921-2-7 (t = 0) lies before the first lunar month: like every earlier
  // day it has no lunar date (a placeholder day with a wrong month would be
  // a wrong answer).
  if (t < kLunarFirstDay || t > kLunarLastDay) return std::u16string();
  return Text(Locate(t));
}

std::u16string LunarDate(std::u16string_view the_day) {
  double serial = 0;
  if (!ParseDate(the_day, &serial)) return std::u16string();
  const DateParts parts = SplitDate(serial);
  return LunarDateText(parts.year, parts.month, parts.day);
}

}  // namespace zorvadel::langdata
