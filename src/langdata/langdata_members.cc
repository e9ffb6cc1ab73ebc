// The language-data members of Common (the work, on the arguments alone)
// and of the page classes (forwarders to CC), and their member tables.
#include "zorvadel/langdata_members.h"

#include "langdata/lunar.h"
#include "langdata/pinyin.h"
#include "langdata/week.h"
#include "texts/page_texts.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// The page's output filter; this is the only place that calls it.
std::u16string OutputFilter(PageObject& page, const std::u16string& text) {
  return page.Ascii(text);
}

// GetPinYin's default for scripts: the site name of the class's language
// (only EnXML has the English one).
std::u16string_view PinYinDefault(const PageClassTraits& traits) {
  const bool english = traits.family == Family::kX && traits.language == PageLanguage::kEnglish;
  return TextsFor(english ? PageLanguage::kEnglish : PageLanguage::kChinese).site_name;
}

}  // namespace

Common& CommonLangDataMembers::self() { return static_cast<Common&>(*this); }
PageObject& PageLangDataMembers::self() { return static_cast<PageObject&>(*this); }

std::u16string CommonLangDataMembers::GetPinYin(std::u16string_view str_han_zi) {
  return langdata::GetPinYin(str_han_zi);
}

std::u16string CommonLangDataMembers::NeedPinYin(std::u16string_view to_do_string, int16_t mode) {
  return langdata::NeedPinYin(to_do_string, mode);
}

std::u16string CommonLangDataMembers::LunarDate(std::u16string_view the_day) {
  return langdata::LunarDate(the_day);
}

std::u16string CommonLangDataMembers::QueryWeek(const Variant& your_date) {
  return langdata::QueryWeekName(your_date, langdata::WeekdayLanguage::kChinese);
}

std::u16string CommonLangDataMembers::EnQueryWeek(const Variant& your_date) {
  return langdata::QueryWeekName(your_date, langdata::WeekdayLanguage::kEnglish);
}

std::u16string PageLangDataMembers::GetPinYin(std::u16string_view str_han_zi) {
  return self().ForwardToCC([&](Common& cc) { return cc.GetPinYin(str_han_zi); });
}

std::u16string PageLangDataMembers::NeedPinYin(std::u16string_view to_do_string, int16_t mode) {
  return self().ForwardToCC([&](Common& cc) { return cc.NeedPinYin(to_do_string, mode); });
}

std::u16string PageLangDataMembers::LunarDate(std::u16string_view the_day) {
  return self().ForwardToCC([&](Common& cc) { return cc.LunarDate(the_day); });
}

std::u16string PageLangDataMembers::QueryWeek(const Variant& your_date) {
  PageObject& page = self();
  const bool english = page.language() == PageLanguage::kEnglish;
  std::u16string name = page.ForwardToCC([&](Common& cc) {
    return english ? cc.EnQueryWeek(your_date) : cc.QueryWeek(your_date);
  });
  std::u16string filtered;
  Step([&] { filtered = OutputFilter(page, name); });
  return filtered;
}

std::vector<MemberInfo> CommonLangDataMemberTable() {
  using C = CommonLangDataMembers;
  return ClassBuilder<C>(u"")
      .Method<&C::GetPinYin>(u"GetPinYin",
                             {Opt(u"StrHanZi", TextsFor(PageLanguage::kChinese).site_name)})
      .Method<&C::NeedPinYin>(u"NeedPinYin", {Opt(u"ToDoString", u""), Opt(u"Mode", int16_t{0})})
      .Method<&C::LunarDate>(u"LunarDate", {Req(u"TheDay")})
      .Method<&C::QueryWeek>(u"QueryWeek", {Opt(u"YourDate")})
      .Method<&C::EnQueryWeek>(u"EnQueryWeek", {Opt(u"YourDate")})
      .BuildMembers();
}

std::vector<MemberInfo> PageLangDataMemberTable(const PageClassTraits& traits) {
  if (traits.family == Family::kP) return {};
  using P = PageLangDataMembers;
  return ClassBuilder<P>(u"")
      .Method<&P::GetPinYin>(u"GetPinYin", {Opt(u"StrHanZi", PinYinDefault(traits))})
      .Method<&P::NeedPinYin>(u"NeedPinYin", {Opt(u"ToDoString", u""), Opt(u"Mode", int16_t{0})})
      .Method<&P::LunarDate>(u"LunarDate", {Req(u"TheDay")})
      .Method<&P::QueryWeek>(u"QueryWeek", {Opt(u"YourDate")})
      .BuildMembers();
}

}  // namespace zorvadel
