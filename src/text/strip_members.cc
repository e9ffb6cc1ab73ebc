// The stripping member group: Common chains the passes of text/strip.h and
// converts UBB codes through WH; the page classes hand every call to CC.
#include "zorvadel/text/strip_members.h"

#include <string>
#include <vector>

#include "component/group_calls.h"
#include "text/strip.h"
#include "zorvadel/member_table.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {

// A step that fails leaves its own text empty and the next step goes on
// with that.

template <typename Core>
std::u16string StripMembers<Core>::MoveJS(const std::u16string& to_do_string) {
  return this->Shared([&](Common&) {
    std::u16string without_scripts;
    Step([&] { without_scripts = text::RemoveScriptElements(to_do_string); });
    std::u16string result;
    Step([&] { result = text::RemoveTagRuns(without_scripts); });
    return result;
  });
}

template <typename Core>
std::u16string StripMembers<Core>::FilterHtml(const std::u16string& to_do_string) {
  // Not through Shared: a page's FilterHtml lets CC's errors reach the
  // caller instead of giving "".
  Common& cc = [this]() -> Common& {
    if constexpr (StripMembers::kOnPage) {
      return this->self().UseCC();
    } else {
      return this->self();
    }
  }();
  if (Trim(to_do_string).empty()) return u"";
  const std::u16string stripped = text::RemoveShortTags(to_do_string);
  return calls::UbbXmlOfWH(cc, stripped);
}

template <typename Core>
std::u16string StripMembers<Core>::DelHtml(const std::u16string& str_html) {
  return this->Shared([&](Common& cc) {
    std::u16string with_line_ends;
    Step([&] { with_line_ends = text::BreakTagsToLineEnds(str_html); });
    std::u16string stripped;
    Step([&] { stripped = text::RemoveLetterTags(with_line_ends); });
    std::u16string escaped;
    Step([&] { escaped = text::EscapeAngleBrackets(stripped); });
    // The escaped text goes on to the UBB conversion: handing on the text
    // from before the escape would throw that step away and let stray
    // brackets through as markup.
    std::u16string result;
    Step([&] { result = calls::UbbXmlOfWH(cc, escaped); });
    return result;
  });
}

// Common and all five page classes have the three members.
template <typename Core>
std::vector<MemberInfo> StripMembers<Core>::MemberTable(const TableHost& /*host*/) {
  using G = StripMembers;
  return ClassBuilder<G>(u"")
      .template Method<&G::MoveJS>(u"MoveJS", {Req(u"ToDoString")})
      .template Method<&G::FilterHtml>(u"FilterHtml", {Req(u"ToDoString")})
      .template Method<&G::DelHtml>(u"DelHtml", {Req(u"StrHtml")})
      .BuildMembers();
}

template class StripMembers<Common>;
template class StripMembers<PageCore>;

}  // namespace zorvadel
