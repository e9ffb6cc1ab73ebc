// Member group of Common and of the page classes: Chinese language data:
// pinyin, lunar dates and week-day names.
// Common takes in CommonLangDataMembers, the page classes PageLangDataMembers;
// each group's member table is merged into its classes' interfaces.
//
// Common does the work on its arguments alone; the page classes XML, EnXML,
// WAP and EnWAP forward to their CC (created on first use) and give "" when
// that call fails. PHPXML's interface has none of these members, and only
// Common has EnQueryWeek by name.
#ifndef ZORVADEL_LANGDATA_MEMBERS_H_
#define ZORVADEL_LANGDATA_MEMBERS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

template <typename Core>
class LangDataMembers : public MemberGroup<LangDataMembers<Core>, Core> {
 public:
  // The pinyin of the text: each GB2312 level-1 character becomes its
  // lower-case syllable without tone ("中国" gives "zhongguo"), one-byte
  // characters stay, a character without a code page 936 form becomes "?",
  // everything else is left out. By name, StrHanZi defaults to the
  // default site name, "中国青石流云在线" ("Chinese Mardon Varedo" in EnXML),
  // not the page's SiteName.
  std::u16string GetPinYin(std::u16string_view str_han_zi);
  // Mode 0: each level-1 character followed by "(" syllable ")" ("中国a"
  // gives "中(zhong)国(guo)a"); Mode 1: each such character replaced by its
  // syllable and a blank ("zhong guo a"); any other mode "". By name:
  // ToDoString defaults to "", Mode to 0.
  std::u16string NeedPinYin(std::u16string_view to_do_string, int16_t mode = 0);
  // The lunar date of a date text, e.g. "2009-1-26" gives
  // "农历己丑年(牛)正月初一"; "" outside 1921-2-8 to 2021-2-11 and for a text
  // that is no date. Never raises. A page hands back CC's answer unchanged
  // (no output filter): the Chinese characters come back as characters.
  std::u16string LunarDate(std::u16string_view the_day);
  // Week-day name of a date value or date text: "星期一" to "星期日", and
  // "Monday" to "Sunday". Omitted (Variant::Missing()), Empty or "" stand for
  // today; a value that is no date gives "". Never raises. The English page
  // classes' QueryWeek gives the English name, and a page passes the name
  // through its output filter. By name, YourDate may be left out (today).
  std::u16string QueryWeek(const Variant& your_date);
  std::u16string EnQueryWeek(const Variant& your_date);

  static std::vector<MemberInfo> MemberTable(const TableHost& host);
};

ZORVADEL_SHARED_GROUP(LangDataMembers, LangData);

}  // namespace zorvadel

#endif  // ZORVADEL_LANGDATA_MEMBERS_H_
