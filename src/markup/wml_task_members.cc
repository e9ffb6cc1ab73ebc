// WML tasks, events and variables: their shapes, and the WML classes'
// builders that fill them. Labels and task names pass the output filter;
// task, event, method and character-set keywords are lower-cased; every
// attribute value is escaped as the shape writes it; extra markup is
// written unchanged but for what XML cannot carry.
#include "component/group_calls.h"
#include "zorvadel/markup/wml_task_members.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "markup/links.h"
#include "markup/wml_tasks.h"
#include "text/attribute_escape.h"
#include "text/xml_chars.h"
#include "zorvadel/markup/link_members.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {

// ---- Shapes ------------------------------------------------------------------------

namespace markup {

using text::AppendAttributeText;
using text::AppendXmlCarried;
using text::AppendTag;

std::u16string AttributePairs(std::u16string_view names, std::u16string_view values,
                              std::u16string_view mark, std::u16string_view pre,
                              std::u16string_view mid, std::u16string_view last) {
  const std::vector<std::u16string> name_pieces = Split(names, mark);
  const std::vector<std::u16string> value_pieces = Split(values, mark);
  const size_t pairs = std::min(name_pieces.size(), value_pieces.size());
  std::u16string out;
  for (size_t i = 0; i < pairs; ++i) {
    AppendTag({pre, name_pieces[i], mid, value_pieces[i], last}, &out);
  }
  return out;
}

std::u16string DoOpenMarkup(std::u16string_view type, std::u16string_view name,
                            std::u16string_view label, bool optional) {
  std::u16string out;
  AppendTag({u"<do type=\"", type, u"\""}, &out);
  if (!name.empty()) AppendTag({u" name=\"", name, u"\""}, &out);
  AppendTag({u" label=\"", label, u"\""}, &out);
  if (optional) out.append(u" optional=\"true\"");
  out.append(u">");
  return out;
}

std::u16string GoTaskMarkup(std::u16string_view url, std::u16string_view charset,
                            std::u16string_view method, std::u16string_view other) {
  std::u16string out;
  AppendTag({u"<go href=\"", url, u"\""}, &out);
  if (!method.empty()) AppendTag({u" method=\"", method, u"\""}, &out);
  AppendTag({u" accept-charset=\"", charset, u"\""}, &out);
  out.append(method.empty() ? u" " : u"  ");
  AppendXmlCarried(other, &out);
  out.append(u"/>");
  return out;
}

std::u16string GoHrefMarkup(std::u16string_view url, std::u16string_view inner) {
  std::u16string out(u"<go href=\"");
  AppendAttributeText(url, &out);
  if (inner.empty()) {
    out.append(u"\"/>");
  } else {
    out.append(u"\">");
    AppendXmlCarried(inner, &out);
    out.append(u"</go>");
  }
  return out;
}

std::u16string EventMarkup(std::u16string_view type, std::u16string_view task) {
  std::u16string out;
  AppendTag({u"<onevent type=\"", type, u"\">"}, &out);
  AppendXmlCarried(task, &out);
  out.append(u"</onevent>");
  return out;
}

std::u16string RefreshMarkup(std::u16string_view content) {
  std::u16string out(u"<refresh>");
  AppendXmlCarried(content, &out);
  out.append(u"</refresh>");
  return out;
}

std::u16string TemplateBackMarkup(std::u16string_view type, std::u16string_view name,
                                  std::u16string_view label) {
  std::u16string out;
  AppendTag({u"<template><do type=\"", type, u"\" name=\"", name, u"\" label=\"", label, u"\">"},
            &out);
  out.append(kPrevTask).append(kDoClose).append(u"</template>");
  return out;
}

}  // namespace markup

// ---- Builders ------------------------------------------------------------------------

namespace {

std::u16string Filtered(PageCore& page, const std::u16string& text) {
  return calls::Ascii(page, text);
}

// The desktop-browser form of the builders that have one.
std::u16string LinkTo(PageCore& page, const std::u16string& title, const std::u16string& url,
                      const std::u16string& display_text) {
  return page.As<PageLinkMembers>().A(title, url, display_text);
}

}  // namespace

bool PageWmlTaskMembers::IsWeb() {
  return calls::Displayer(self()) == markup::kWebTerminal;
}

// IncTaskDo, IncTaskGo and DoNoop are pieces that callers assemble, so an
// error inside them goes to the caller, which decides whether to go on.

std::u16string PageWmlTaskMembers::IncTaskDo(const std::u16string& do_type,
                                             const std::u16string& do_label,
                                             const std::u16string& do_name, bool ignore) {
  PageCore& page = self();
  const std::u16string name = do_name.empty() ? std::u16string() : Filtered(page, do_name);
  return markup::DoOpenMarkup(LCase(do_type), name, Filtered(page, do_label), ignore);
}

std::u16string PageWmlTaskMembers::IncTaskGo(const std::u16string& url,
                                             const std::u16string& char_set,
                                             const std::u16string& method,
                                             const std::u16string& other_att) const {
  // "get" is the default method, so only that exact spelling is left out;
  // "GET" is written, lower-cased like any other.
  const bool default_method = method.empty() || method == u"get";
  return markup::GoTaskMarkup(url, LCase(char_set), default_method ? u"" : LCase(method),
                              other_att);
}

std::u16string PageWmlTaskMembers::DoPrev(const std::u16string& do_type,
                                          const std::u16string& do_label,
                                          const std::u16string& do_name, bool ignore) {
  std::u16string result;
  if (IsWeb()) {
    Step([&] {
      result = LinkTo(self(), do_label, std::u16string(markup::kHistoryBack), do_label);
    });
    return result;
  }
  Step([&] { result = IncTaskDo(do_type, do_label, do_name, ignore); });
  result.append(markup::kPrevTask).append(markup::kDoClose);
  return result;
}

std::u16string PageWmlTaskMembers::DoNoop(const std::u16string& do_type,
                                          const std::u16string& do_label,
                                          const std::u16string& do_name, bool ignore) {
  std::u16string result = IncTaskDo(do_type, do_label, do_name, ignore);
  result.append(markup::kNoopTask).append(markup::kDoClose);
  return result;
}

std::u16string PageWmlTaskMembers::DoGo(const std::u16string& url, const std::u16string& do_type,
                                        const std::u16string& do_label,
                                        const std::u16string& do_name, bool ignore,
                                        const std::u16string& other_att) {
  std::u16string result;
  if (IsWeb()) {
    Step([&] { result = LinkTo(self(), do_label, url, do_label); });
    return result;
  }
  Step([&] { result = IncTaskDo(do_type, do_label, do_name, ignore); });
  result.append(markup::GoHrefMarkup(url, other_att)).append(markup::kDoClose);
  return result;
}

std::u16string PageWmlTaskMembers::IncEvent(const std::u16string& one_event_type,
                                            const std::u16string& other_att) const {
  return markup::EventMarkup(LCase(one_event_type), other_att);
}

std::u16string PageWmlTaskMembers::EventGo(const std::u16string& url,
                                           const std::u16string& one_event_type,
                                           const std::u16string& other_att) const {
  return IncEvent(one_event_type, markup::GoHrefMarkup(url) + other_att);
}

std::u16string PageWmlTaskMembers::EventPrev(const std::u16string& one_event_type) const {
  return IncEvent(one_event_type, std::u16string(markup::kPrevTask));
}

std::u16string PageWmlTaskMembers::EventNoop(const std::u16string& one_event_type) const {
  return IncEvent(one_event_type, std::u16string(markup::kNoopTask));
}

std::u16string PageWmlTaskMembers::Fresh(const std::u16string& content) const {
  return markup::RefreshMarkup(content);
}

std::u16string PageWmlTaskMembers::IncSetVar(const std::u16string& names,
                                             const std::u16string& values,
                                             const std::u16string& split_mark) {
  std::u16string result;
  Step([&] {
    result = markup::AttributePairs(names, values, split_mark, markup::kSetVarPre,
                                    markup::kSetVarMid, markup::kSetVarLast);
  });
  return result;
}

std::u16string PageWmlTaskMembers::DoSetVar(
    const std::u16string& names, const std::u16string& values, const std::u16string& split_mark,
    const std::u16string& do_type, const std::u16string& do_label, const std::u16string& do_name,
    const std::u16string& ignore) {
  // A text that is neither a Boolean word nor a number counts as False, so
  // the do element is still opened and the result stays well formed.
  bool optional = false;
  Step([&] { optional = CBool(Variant(ignore)); });
  std::u16string result;
  Step([&] { result = IncTaskDo(do_type, do_label, do_name, optional); });
  result.append(Fresh(IncSetVar(names, values, split_mark))).append(markup::kDoClose);
  return result;
}

std::u16string PageWmlTaskMembers::EventSetVar(const std::u16string& one_event_type,
                                               const std::u16string& names,
                                               const std::u16string& values,
                                               const std::u16string& split_mark) {
  return IncEvent(one_event_type, Fresh(IncSetVar(names, values, split_mark)));
}

std::u16string PageWmlTaskMembers::TemplateBack(const std::u16string& do_type,
                                                const std::u16string& do_name,
                                                const std::u16string& do_label) {
  PageCore& page = self();
  return markup::TemplateBackMarkup(LCase(do_type), Filtered(page, do_name),
                                    Filtered(page, do_label));
}

void PageWmlTaskMembers::BackFooter(const std::u16string& do_type, const std::u16string& do_label,
                                    const std::u16string& go_url) {
  PageCore& page = self();
  std::u16string text;
  if (IsWeb()) {
    Step([&] { text = LinkTo(page, do_label, go_url, do_label); });
  } else {
    Step([&] {
      text = markup::DoOpenMarkup(LCase(do_type), u"", Filtered(page, do_label), false);
      text.append(markup::GoHrefMarkup(go_url)).append(markup::kDoClose);
    });
  }
  Step([&] { Need(page.state().Response).Write(text); });
}

// ---- Member table --------------------------------------------------------------------

std::vector<MemberInfo> PageWmlTaskMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family != Family::kW) return {};
  using M = PageWmlTaskMembers;
  const markup::LinkTexts& t = markup::LinkTextsOf(traits.language);
  auto S = [](std::u16string_view text) { return std::u16string(text); };
  return ClassBuilder<M>(u"")
      .Method<&M::TemplateBack>(u"TemplateBack",
                                {Opt(u"DoType", u"prev"), Opt(u"DoName", u"previous"),
                                 Opt(u"DoLabel", S(t.template_label))})
      .Method<&M::BackFooter>(u"BackFooter",
                              {Opt(u"DoType", u"unknow"), Opt(u"DoLabel", S(t.home_label)),
                               Opt(u"GoUrl", u"Index.asp")})
      .Method<&M::IncTaskDo>(u"IncTaskDo", {Req(u"DoType"), Req(u"DoLabel"), Opt(u"DoName", u""),
                                            Opt(u"Ignore", false)})
      .Method<&M::IncTaskGo>(u"IncTaskGo", {Req(u"Url"), Opt(u"CharSet", u"utf-8"),
                                            Opt(u"Method", u"get").ByRef(), Opt(u"OtherAtt", u"")})
      .Method<&M::DoPrev>(u"DoPrev", {Opt(u"DoType", u"accept"), Opt(u"DoLabel", S(t.prev_label)),
                                      Opt(u"DoName", u""), Opt(u"Ignore", false)})
      .Method<&M::DoNoop>(u"DoNoop", {Opt(u"DoType", u"accept"), Opt(u"DoLabel", u""),
                                      Opt(u"DoName", u""), Opt(u"Ignore", false)})
      .Method<&M::DoGo>(u"DoGo", {Opt(u"Url", u"Index.asp"), Opt(u"DoType", u"accept"),
                                  Opt(u"DoLabel", S(t.go_label)), Opt(u"DoName", u""),
                                  Opt(u"Ignore", false), Opt(u"OtherAtt", u"")})
      .Method<&M::EventGo>(u"EventGo",
                           {Opt(u"Url", u"Index.asp"), Opt(u"OneEventType", u"onenterforward"),
                            Opt(u"OtherAtt", u"")})
      .Method<&M::EventPrev>(u"EventPrev", {Opt(u"OneEventType", u"onenterforward")})
      .Method<&M::EventNoop>(u"EventNoop", {Opt(u"OneEventType", u"onenterforward")})
      .Method<&M::IncEvent>(u"IncEvent",
                            {Opt(u"OneEventType", u"onenterforward"), Opt(u"OtherAtt", u"")})
      .Method<&M::DoSetVar>(u"DoSetVar",
                            {Opt(u"Names", u""), Opt(u"Values", u""), Opt(u"SplitMark", u" "),
                             Opt(u"DoType", u"accept"), Opt(u"DoLabel", S(t.set_var_label)),
                             Opt(u"DoName", u""), Opt(u"Ignore", u"false")})
      .Method<&M::EventSetVar>(u"EventSetVar",
                               {Opt(u"OneEventType", u"onenterforward"), Opt(u"Names", u""),
                                Opt(u"Values", u""), Opt(u"SplitMark", u" ")})
      .Method<&M::Fresh>(u"Fresh", {Opt(u"Content", u"")})
      .Method<&M::IncSetVar>(u"IncSetVar",
                             {Opt(u"Names", u""), Opt(u"Values", u""), Opt(u"SplitMark", u" ")})
      .BuildMembers();
}

}  // namespace zorvadel
