// Member group of Common and of the page classes: Chinese language data:
// pinyin, lunar dates and week-day names.
// Common takes in CommonLangDataMembers, the page classes PageLangDataMembers;
// each group's member table is merged into its classes' interfaces.
//
// Common does the work on its arguments alone; the page classes XML, EnXML,
// WAP and EnWAP forward to their CC (created on first use) and give "" when
// that call fails. PHPXML's interface has none of these members.
#ifndef ZORVADEL_LANGDATA_MEMBERS_H_
#define ZORVADEL_LANGDATA_MEMBERS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class Common;
class PageObject;
struct PageClassTraits;

class CommonLangDataMembers {
 public:
  // The pinyin of the text: each GB2312 level-1 character becomes its
  // lower-case syllable without tone ("中国" gives "zhongguo"), one-byte
  // characters stay, a character without a code page 936 form becomes "?",
  // everything else is left out. Scripts' default: the site name.
  std::u16string GetPinYin(std::u16string_view str_han_zi);
  // Mode 0: each level-1 character followed by "(" syllable ")" ("中国a"
  // gives "中(zhong)国(guo)a"); Mode 1: each such character replaced by its
  // syllable and a blank ("zhong guo a"); any other mode "".
  std::u16string NeedPinYin(std::u16string_view to_do_string, int16_t mode = 0);
  // The lunar date of a date text, e.g. "2009-1-26" gives
  // "农历己丑年(牛)正月初一"; "" outside 1921-2-8 to 2021-2-11 and for a text
  // that is no date. Never raises.
  std::u16string LunarDate(std::u16string_view the_day);
  // Week-day name of a date value or date text: "星期一" to "星期日", and
  // "Monday" to "Sunday". Omitted (Variant::Missing()), Empty or "" stand for
  // today; a value that is no date gives "". Never raises.
  std::u16string QueryWeek(const Variant& your_date);
  std::u16string EnQueryWeek(const Variant& your_date);

 protected:
  CommonLangDataMembers() = default;
  ~CommonLangDataMembers() = default;

 private:
  Common& self();
};

class PageLangDataMembers {
 public:
  // CC's answers unchanged (no output filter): the Chinese characters of a
  // lunar date come back as characters. The scripts' default of GetPinYin is
  // the class's site name.
  std::u16string GetPinYin(std::u16string_view str_han_zi);
  std::u16string NeedPinYin(std::u16string_view to_do_string, int16_t mode = 0);
  std::u16string LunarDate(std::u16string_view the_day);
  // CC's QueryWeek (EnQueryWeek in the English classes), passed through the
  // page's output filter.
  std::u16string QueryWeek(const Variant& your_date);

 protected:
  PageLangDataMembers() = default;
  ~PageLangDataMembers() = default;

 private:
  PageObject& self();
};

// The members these groups add to Common's interface and to a page class's.
std::vector<MemberInfo> CommonLangDataMemberTable();
std::vector<MemberInfo> PageLangDataMemberTable(const PageClassTraits& traits);

}  // namespace zorvadel

#endif  // ZORVADEL_LANGDATA_MEMBERS_H_
