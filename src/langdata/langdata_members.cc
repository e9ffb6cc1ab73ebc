// The language-data member group and its table.
#include "component/group_calls.h"
#include "zorvadel/langdata/langdata_members.h"

#include "component/page_texts.h"
#include "langdata/lunar.h"
#include "langdata/pinyin.h"
#include "langdata/week.h"
#include "zorvadel/member_table.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// GetPinYin's default for scripts: the site name of the class's language
// (only EnXML has the English one).
std::u16string_view PinYinDefault(const TableHost& host) {
  const PageClassTraits* page = host.page();
  const bool english = page != nullptr && page->family == Family::kX &&
                       page->language == PageLanguage::kEnglish;
  return TextsFor(english ? PageLanguage::kEnglish : PageLanguage::kChinese).site_name;
}

}  // namespace

template <typename Core>
std::u16string LangDataMembers<Core>::GetPinYin(std::u16string_view str_han_zi) {
  return this->Shared([&](Common&) { return langdata::GetPinYin(str_han_zi); });
}

template <typename Core>
std::u16string LangDataMembers<Core>::NeedPinYin(std::u16string_view to_do_string,
                                                 int16_t mode) {
  return this->Shared([&](Common&) { return langdata::NeedPinYin(to_do_string, mode); });
}

template <typename Core>
std::u16string LangDataMembers<Core>::LunarDate(std::u16string_view the_day) {
  return this->Shared([&](Common&) { return langdata::LunarDate(the_day); });
}

template <typename Core>
std::u16string LangDataMembers<Core>::QueryWeek(const Variant& your_date) {
  if constexpr (LangDataMembers::kOnPage) {
    PageCore& page = this->self();
    const langdata::WeekdayLanguage language = page.language() == PageLanguage::kEnglish
                                                   ? langdata::WeekdayLanguage::kEnglish
                                                   : langdata::WeekdayLanguage::kChinese;
    const std::u16string name =
        this->Shared([&](Common&) { return langdata::QueryWeekName(your_date, language); });
    // The page's output filter; this is the only place that calls it.
    std::u16string filtered;
    Step([&] { filtered = calls::Ascii(page, name); });
    return filtered;
  } else {
    return langdata::QueryWeekName(your_date, langdata::WeekdayLanguage::kChinese);
  }
}

template <typename Core>
std::u16string LangDataMembers<Core>::EnQueryWeek(const Variant& your_date) {
  return this->Shared([&](Common&) {
    return langdata::QueryWeekName(your_date, langdata::WeekdayLanguage::kEnglish);
  });
}

template <typename Core>
std::vector<MemberInfo> LangDataMembers<Core>::MemberTable(const TableHost& host) {
  using G = LangDataMembers;
  using H = TableHost;
  ClassBuilder<G> b(u"");
  if (host.In(H::kCommon | H::kXW)) {
    b.template Method<&G::GetPinYin>(u"GetPinYin", {Opt(u"StrHanZi", PinYinDefault(host))})
        .template Method<&G::NeedPinYin>(u"NeedPinYin",
                                         {Opt(u"ToDoString", u""), Opt(u"Mode", int16_t{0})})
        .template Method<&G::LunarDate>(u"LunarDate", {Req(u"TheDay")})
        .template Method<&G::QueryWeek>(u"QueryWeek", {Opt(u"YourDate")});
  }
  if (host.In(H::kCommon)) b.template Method<&G::EnQueryWeek>(u"EnQueryWeek", {Opt(u"YourDate")});
  return b.BuildMembers();
}

template class LangDataMembers<Common>;
template class LangDataMembers<PageCore>;

}  // namespace zorvadel
