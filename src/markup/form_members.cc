// The form and table member group: the page object's side (its filter, its
// terminal, its response and OnlyOne) around the pure builders of forms.cc
// and tables.cc.
#include "component/group_calls.h"
#include "zorvadel/markup/form_members.h"

#include <string>
#include <string_view>
#include <vector>

#include "markup/forms.h"
#include "markup/tables.h"
#include "markup/wml_tasks.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

markup::TextFilter FilterOf(PageCore& page) {
  return [&page](const std::u16string& text) { return calls::Ascii(page, text); };
}

constexpr std::u16string_view kTableEnd = u"</table>";

}  // namespace

std::u16string PageFormMembers::TextIn(const std::u16string& show_tip,
                                       const std::u16string& input_type,
                                       const std::u16string& input_name,
                                       const std::u16string& input_value,
                                       const std::u16string& input_title,
                                       const std::u16string& other_att) {
  PageCore& page = self();
  PageState& state = page.state();
  // The terminal is asked on every call, so DisplayerInfo always tells the
  // latest answer, even when the form is already open.
  if (calls::Displayer(page) == u"Web" && !state.OnlyOne) {
    Step([&] {
      Need(state.Response)
          .Write(markup::HtmlFormStart(state.PostFileName.empty() ? state.ThisFileName
                                                                  : state.PostFileName));
    });
    state.OnlyOne = true;
  }
  return markup::InputElement(
      {show_tip, input_type, input_name, input_value, input_title, other_att}, FilterOf(page));
}

std::u16string PageFormMembers::PostSet(const std::u16string& do_type,
                                        const std::u16string& do_label,
                                        const std::u16string& go_url,
                                        const std::u16string& char_set,
                                        const std::u16string& /*method*/) {
  return markup::PostTaskStart(do_type, do_label, go_url, char_set, FilterOf(self()));
}

std::u16string PageFormMembers::TextPost(const std::u16string& post_name,
                                         const std::u16string& post_value) {
  return markup::PostVariable(post_name, post_value, FilterOf(self()));
}

std::u16string PageFormMembers::PostField(const std::u16string& names,
                                          const std::u16string& values,
                                          const std::u16string& split_mark) {
  return markup::AttributePairs(names, values, split_mark, markup::kPostFieldPre,
                                markup::kPostFieldMid, markup::kPostFieldLast);
}

std::u16string PageFormMembers::TextMorePost(const std::u16string& names,
                                             const std::u16string& values,
                                             const std::u16string& split_mark) {
  return PostField(names, values, split_mark) + std::u16string(markup::kPostTaskEnd);
}

std::u16string PageFormMembers::Selects(const std::u16string& title, const std::u16string& name,
                                        const std::u16string& value,
                                        const std::u16string& i_name,
                                        const std::u16string& i_value, bool multiple,
                                        const std::u16string& other_att) {
  return markup::SelectStart({title, name, value, i_name, i_value, multiple, other_att},
                             FilterOf(self()));
}

std::u16string PageFormMembers::Options(const std::u16string& titles,
                                        const std::u16string& values,
                                        const std::u16string& hrefs,
                                        const std::u16string& split_mark,
                                        const std::u16string& group_name, bool is_last_group) {
  return markup::OptionElements({titles, values, hrefs, split_mark, group_name, is_last_group},
                                FilterOf(self()));
}

std::u16string PageFormMembers::Table(int16_t columns, const std::u16string& align,
                                      const std::u16string& title) {
  return markup::TableHead(columns, align, title, FilterOf(self()));
}

std::u16string PageFormMembers::IncRow(const std::u16string& content,
                                       const std::u16string& split_mark) {
  return markup::TableRow(content, split_mark, FilterOf(self()));
}

std::u16string PageFormMembers::Row(const std::u16string& content,
                                    const std::u16string& split_mark, bool is_last_row) {
  std::u16string out = IncRow(content, split_mark);
  if (is_last_row) out += kTableEnd;
  return out;
}

std::u16string PageFormMembers::RowOne(const std::u16string& content,
                                       const std::u16string& split_mark) {
  return IncRow(content, split_mark) + std::u16string(kTableEnd);
}

std::vector<MemberInfo> PageFormMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family != Family::kW) return {};
  using F = PageFormMembers;
  using Text = const std::u16string&;
  constexpr auto kTableHead = static_cast<std::u16string (F::*)(int16_t, Text, Text)>(&F::Table);
  const markup::FormTexts& texts = markup::FormTextsOf(traits.language);
  auto text = [](std::u16string_view view) { return std::u16string(view); };
  return ClassBuilder<F>(u"")
      .Method<&F::TextIn>(u"TextIn", {Req(u"ShowTip"), Opt(u"InputType", u"text"),
                                      Opt(u"InputName", u"FirstName"),
                                      Opt(u"InputValue", u"FirstValue"),
                                      Opt(u"InputTitle", text(texts.input_title)),
                                      Opt(u"OtherAtt", u"")})
      .Method<&F::PostSet>(u"PostSet", {Opt(u"DoType", u"options"),
                                        Opt(u"DoLabel", text(texts.do_label)),
                                        Opt(u"GoUrl", u""), Opt(u"CharSet", u"utf-8"),
                                        Opt(u"Method", u"post").ByRef()})
      .Method<&F::TextPost>(u"TextPost", {Req(u"PostName"), Req(u"PostValue")})
      .Method<&F::TextMorePost>(u"TextMorePost",
                                {Req(u"Names"), Req(u"Values"), Opt(u"SplitMark", u" ")})
      .Method<&F::PostField>(u"PostField",
                             {Req(u"Names"), Req(u"Values"), Opt(u"SplitMark", u" ")})
      .Method<&F::Selects>(u"Selects", {Opt(u"Title", u""), Opt(u"Name", u""),
                                        Opt(u"value", u""), Opt(u"IName", u""),
                                        Opt(u"IValue", u""), Opt(u"Multiple", true).ByRef(),
                                        Opt(u"OtherAtt", u"")})
      .Method<&F::Options>(u"Options", {Opt(u"Titles", u""), Opt(u"Values", u""),
                                        Opt(u"Hrefs", u""), Opt(u"SplitMark", u" "),
                                        Opt(u"GroupName", u""), Opt(u"IsLastGroup", false)})
      .Method<kTableHead>(u"Table", {Opt(u"Columns", int16_t{4}), Opt(u"Align", u"LLLL"),
                                     Opt(u"Title", text(texts.table_title))})
      .Method<&F::IncRow>(u"IncRow", {Req(u"Content"), Opt(u"SplitMark", u" ")})
      .Method<&F::Row>(u"Row", {Req(u"Content"), Opt(u"SplitMark", u" "),
                                Opt(u"IsLastRow", false)})
      .Method<&F::RowOne>(u"RowOne", {Req(u"Content"), Opt(u"SplitMark", u" ")})
      .BuildMembers();
}

}  // namespace zorvadel
