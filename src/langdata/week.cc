// Week-day names: the date through the runtime's conversion, the day from its
// Monday-based week-day number, the name from a table.
#include "langdata/week.h"

#include <array>

#include "zorvadel/runtime.h"

namespace zorvadel::langdata {
namespace {

// Monday = 1 at index 1.
constexpr std::array<std::u16string_view, 8> kChineseWeekdayNames = {
    u"", u"星期一", u"星期二", u"星期三", u"星期四", u"星期五", u"星期六", u"星期日"};
constexpr std::array<std::u16string_view, 8> kEnglishWeekdayNames = {
    u"", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday", u"Sunday"};

constexpr int kMondayFirst = 2;  // the runtime's vbMonday

// What compares equal to the empty text: the text itself and Empty. An
// omitted argument is treated the same way.
bool MeansToday(const Variant& v) {
  return v.IsMissing() || v.IsEmpty() || (v.IsString() && v.string().empty());
}

}  // namespace

std::u16string_view WeekdayName(int monday_based, WeekdayLanguage language) {
  if (monday_based < 1 || monday_based > 7) return {};
  return language == WeekdayLanguage::kEnglish ? kEnglishWeekdayNames[monday_based]
                                               : kChineseWeekdayNames[monday_based];
}

std::u16string QueryWeekName(const Variant& your_date, WeekdayLanguage language) {
  std::u16string name;
  Step([&] {
    const double serial = MeansToday(your_date) ? Today() : CDateSerial(your_date);
    name = WeekdayName(Weekday(serial, kMondayFirst), language);
  });
  return name;
}

}  // namespace zorvadel::langdata
