// Week-day names in Chinese and English of a date value or a date text, for
// today when the date is left out.
#ifndef ZORVADEL_LANGDATA_WEEK_H_
#define ZORVADEL_LANGDATA_WEEK_H_

#include <string>
#include <string_view>

#include "zorvadel/variant.h"

namespace zorvadel::langdata {

enum class WeekdayLanguage { kChinese, kEnglish };

// Name of the week day numbered with Monday = 1 to Sunday = 7; "" for any
// other number.
std::u16string_view WeekdayName(int monday_based, WeekdayLanguage language);

// Name of the week day of `your_date`: a date value, or anything the
// runtime's date conversion turns into one (the text 2009-1-26, a number).
// Missing, Empty and the empty text stand for today's date (the server's
// local date); a value that is no date, or Null, gives "". Never raises.
std::u16string QueryWeekName(const Variant& your_date, WeekdayLanguage language);

}  // namespace zorvadel::langdata

#endif  // ZORVADEL_LANGDATA_WEEK_H_
