// The stripping member group: Common chains the passes of text/strip.h and
// converts UBB codes through WH; the page classes hand every call to CC.
#include "zorvadel/strip_members.h"

#include <string>
#include <vector>

#include "text/strip.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"
#include "zorvadel/runtime.h"

namespace zorvadel {

Common& CommonStripMembers::self() { return static_cast<Common&>(*this); }
PageObject& PageStripMembers::self() { return static_cast<PageObject&>(*this); }

// ---- Common --------------------------------------------------------------------
// A step that fails leaves its own text empty and the next step goes on
// with that.

std::u16string CommonStripMembers::MoveJS(const std::u16string& to_do_string) {
  std::u16string without_scripts;
  Step([&] { without_scripts = text::RemoveScriptElements(to_do_string); });
  std::u16string result;
  Step([&] { result = text::RemoveTagRuns(without_scripts); });
  return result;
}

std::u16string CommonStripMembers::FilterHtml(const std::u16string& to_do_string) {
  if (Trim(to_do_string).empty()) return u"";
  const std::u16string stripped = text::RemoveShortTags(to_do_string);
  return self().UseWH().UbbXML(stripped);
}

std::u16string CommonStripMembers::DelHtml(const std::u16string& str_html) {
  std::u16string with_line_ends;
  Step([&] { with_line_ends = text::BreakTagsToLineEnds(str_html); });
  std::u16string stripped;
  Step([&] { stripped = text::RemoveLetterTags(with_line_ends); });
  std::u16string escaped;
  Step([&] { escaped = text::EscapeAngleBrackets(stripped); });
  // The escaped text goes on to the UBB conversion: handing on the text from
  // before the escape would throw that step away and let stray brackets
  // through as markup.
  std::u16string result;
  Step([&] { result = self().UseWH().UbbXML(escaped); });
  return result;
}

// ---- Page classes --------------------------------------------------------------

std::u16string PageStripMembers::MoveJS(const std::u16string& to_do_string) {
  return self().ForwardToCC([&](Common& cc) { return cc.MoveJS(to_do_string); });
}

std::u16string PageStripMembers::FilterHtml(const std::u16string& to_do_string) {
  return self().UseCC().FilterHtml(to_do_string);
}

std::u16string PageStripMembers::DelHtml(const std::u16string& str_html) {
  return self().ForwardToCC([&](Common& cc) { return cc.DelHtml(str_html); });
}

// ---- Member tables -------------------------------------------------------------

std::vector<MemberInfo> CommonStripMemberTable() {
  using C = CommonStripMembers;
  return ClassBuilder<C>(u"")
      .Method<&C::MoveJS>(u"MoveJS", {Req(u"ToDoString")})
      .Method<&C::FilterHtml>(u"FilterHtml", {Req(u"ToDoString")})
      .Method<&C::DelHtml>(u"DelHtml", {Req(u"StrHtml")})
      .BuildMembers();
}

// All five page classes have the three members.
std::vector<MemberInfo> PageStripMemberTable(const PageClassTraits& /*traits*/) {
  using P = PageStripMembers;
  return ClassBuilder<P>(u"")
      .Method<&P::MoveJS>(u"MoveJS", {Req(u"ToDoString")})
      .Method<&P::FilterHtml>(u"FilterHtml", {Req(u"ToDoString")})
      .Method<&P::DelHtml>(u"DelHtml", {Req(u"StrHtml")})
      .BuildMembers();
}

}  // namespace zorvadel
