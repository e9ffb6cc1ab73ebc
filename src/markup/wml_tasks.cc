// WML tasks, events and variables: their shapes, and the WML classes'
// builders that fill them. Labels and task names pass the output filter;
// task, event, method and character-set keywords are lower-cased;
// addresses, extra markup and variable lists are written unchanged.
#include "markup/wml_tasks.h"

#include <string>
#include <string_view>

#include "markup/links.h"
#include "zorvadel/classes.h"
#include "zorvadel/link_members.h"
#include "zorvadel/runtime.h"

namespace zorvadel {

// ---- Shapes ------------------------------------------------------------------------

namespace markup {

std::u16string DoOpenMarkup(std::u16string_view type, std::u16string_view name,
                            std::u16string_view label, bool optional) {
  std::u16string out(u"<do type=\"");
  out.append(type).append(u"\"");
  if (!name.empty()) out.append(u" name=\"").append(name).append(u"\"");
  out.append(u" label=\"").append(label).append(u"\"");
  if (optional) out.append(u" optional=\"true\"");
  out.append(u">");
  return out;
}

std::u16string GoTaskMarkup(std::u16string_view url, std::u16string_view charset,
                            std::u16string_view method, std::u16string_view other) {
  std::u16string out(u"<go href=\"");
  out.append(url).append(u"\"");
  if (!method.empty()) out.append(u" method=\"").append(method).append(u"\"");
  out.append(u" accept-charset=\"").append(charset).append(u"\"");
  out.append(method.empty() ? u" " : u"  ").append(other).append(u"/>");
  return out;
}

std::u16string GoHrefMarkup(std::u16string_view url, std::u16string_view inner) {
  std::u16string out(u"<go href=\"");
  out.append(url);
  if (inner.empty()) {
    out.append(u"\"/>");
  } else {
    out.append(u"\">").append(inner).append(u"</go>");
  }
  return out;
}

std::u16string EventMarkup(std::u16string_view type, std::u16string_view task) {
  std::u16string out(u"<onevent type=\"");
  out.append(type).append(u"\">").append(task).append(u"</onevent>");
  return out;
}

std::u16string RefreshMarkup(std::u16string_view content) {
  std::u16string out(u"<refresh>");
  out.append(content).append(u"</refresh>");
  return out;
}

std::u16string TemplateBackMarkup(std::u16string_view type, std::u16string_view name,
                                  std::u16string_view label) {
  std::u16string out(u"<template><do type=\"");
  out.append(type).append(u"\" name=\"").append(name).append(u"\" label=\"").append(label);
  out.append(u"\">").append(kPrevTask).append(kDoClose).append(u"</template>");
  return out;
}

}  // namespace markup

// ---- Builders ------------------------------------------------------------------------

// IncTaskDo, IncTaskGo and DoNoop are pieces that callers assemble, so an
// error inside them goes to the caller, which decides whether to go on.

std::u16string PageLinkMembers::IncTaskDo(const std::u16string& do_type,
                                          const std::u16string& do_label,
                                          const std::u16string& do_name, bool ignore) {
  PageObject& page = self();
  const std::u16string name = do_name.empty() ? std::u16string() : page.Ascii(do_name);
  return markup::DoOpenMarkup(LCase(do_type), name, page.Ascii(do_label), ignore);
}

std::u16string PageLinkMembers::IncTaskGo(const std::u16string& url, const std::u16string& char_set,
                                          const std::u16string& method,
                                          const std::u16string& other_att) {
  // "get" is the default method, so only that exact spelling is left out;
  // "GET" is written, lower-cased like any other.
  const bool default_method = method.empty() || method == u"get";
  return markup::GoTaskMarkup(url, LCase(char_set), default_method ? u"" : LCase(method),
                              other_att);
}

std::u16string PageLinkMembers::DoPrev(const std::u16string& do_type,
                                       const std::u16string& do_label,
                                       const std::u16string& do_name, bool ignore) {
  std::u16string result;
  if (IsWeb()) {
    Step([&] { result = A(do_label, std::u16string(markup::kHistoryBack), do_label); });
    return result;
  }
  Step([&] { result = IncTaskDo(do_type, do_label, do_name, ignore); });
  result.append(markup::kPrevTask).append(markup::kDoClose);
  return result;
}

std::u16string PageLinkMembers::DoNoop(const std::u16string& do_type,
                                       const std::u16string& do_label,
                                       const std::u16string& do_name, bool ignore) {
  std::u16string result = IncTaskDo(do_type, do_label, do_name, ignore);
  result.append(markup::kNoopTask).append(markup::kDoClose);
  return result;
}

std::u16string PageLinkMembers::DoGo(const std::u16string& url, const std::u16string& do_type,
                                     const std::u16string& do_label, const std::u16string& do_name,
                                     bool ignore, const std::u16string& other_att) {
  std::u16string result;
  if (IsWeb()) {
    Step([&] { result = A(do_label, url, do_label); });
    return result;
  }
  Step([&] { result = IncTaskDo(do_type, do_label, do_name, ignore); });
  result.append(markup::GoHrefMarkup(url, other_att)).append(markup::kDoClose);
  return result;
}

std::u16string PageLinkMembers::IncEvent(const std::u16string& one_event_type,
                                         const std::u16string& other_att) {
  return markup::EventMarkup(LCase(one_event_type), other_att);
}

std::u16string PageLinkMembers::EventGo(const std::u16string& url,
                                        const std::u16string& one_event_type,
                                        const std::u16string& other_att) {
  return IncEvent(one_event_type, markup::GoHrefMarkup(url) + other_att);
}

std::u16string PageLinkMembers::EventPrev(const std::u16string& one_event_type) {
  return IncEvent(one_event_type, std::u16string(markup::kPrevTask));
}

std::u16string PageLinkMembers::EventNoop(const std::u16string& one_event_type) {
  return IncEvent(one_event_type, std::u16string(markup::kNoopTask));
}

std::u16string PageLinkMembers::Fresh(const std::u16string& content) {
  return markup::RefreshMarkup(content);
}

std::u16string PageLinkMembers::IncSetVar(const std::u16string& names, const std::u16string& values,
                                          const std::u16string& split_mark) {
  std::u16string result;
  Step([&] {
    result = self().SplitRichText(names, values, split_mark, std::u16string(markup::kSetVarPre),
                                  std::u16string(markup::kSetVarMid),
                                  std::u16string(markup::kSetVarLast));
  });
  return result;
}

std::u16string PageLinkMembers::DoSetVar(const std::u16string& names, const std::u16string& values,
                                         const std::u16string& split_mark,
                                         const std::u16string& do_type,
                                         const std::u16string& do_label,
                                         const std::u16string& do_name,
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

std::u16string PageLinkMembers::EventSetVar(const std::u16string& one_event_type,
                                            const std::u16string& names,
                                            const std::u16string& values,
                                            const std::u16string& split_mark) {
  return IncEvent(one_event_type, Fresh(IncSetVar(names, values, split_mark)));
}

std::u16string PageLinkMembers::TemplateBack(const std::u16string& do_type,
                                             const std::u16string& do_name,
                                             const std::u16string& do_label) {
  PageObject& page = self();
  return markup::TemplateBackMarkup(LCase(do_type), page.Ascii(do_name), page.Ascii(do_label));
}

void PageLinkMembers::BackFooter(const std::u16string& do_type, const std::u16string& do_label,
                                 const std::u16string& go_url) {
  PageObject& page = self();
  std::u16string text;
  if (IsWeb()) {
    Step([&] { text = A(do_label, go_url, do_label); });
  } else {
    Step([&] {
      text = markup::DoOpenMarkup(LCase(do_type), u"", page.Ascii(do_label), false);
      text.append(markup::GoHrefMarkup(go_url)).append(markup::kDoClose);
    });
  }
  Step([&] {
    if (!page.state().Response) throw ScriptError(kErrObjectNotSet);
    page.state().Response->Write(text);
  });
}

}  // namespace zorvadel
