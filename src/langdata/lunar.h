// The Chinese lunar date of a Gregorian date, from a fixed table of the 100
// lunar years that begin in 1921 to 2020: "农历" + stem and branch of the
// year + "年(" + zodiac animal + ")" + ("闰" for a leap month) + month name +
// "月" + day name, e.g. 农历己丑年(牛)正月初一 for 2009-1-26. The table
// covers 1921-2-8 to 2021-2-11; the day before it, 1921-2-7, gets the
// placeholder day "*" (农历辛酉年(鸡)正月*), and every other date gives "".
#ifndef ZORVADEL_LANGDATA_LUNAR_H_
#define ZORVADEL_LANGDATA_LUNAR_H_

#include <string>
#include <string_view>

namespace zorvadel::langdata {

// First and last Gregorian days the table covers, as days after 1921-2-7.
// Day 0, 1921-2-7 itself, is answered with the placeholder day.
inline constexpr int kLunarFirstDay = 1;
inline constexpr int kLunarLastDay = 36529;

// Of a Gregorian date given by its parts.
std::u16string LunarDateText(int year, int month, int day);

// Of a date text read with the runtime's date rules; a time part plays no
// role. The empty text, and a text that is no date, give "".
std::u16string LunarDate(std::u16string_view the_day);

}  // namespace zorvadel::langdata

#endif  // ZORVADEL_LANGDATA_LUNAR_H_
