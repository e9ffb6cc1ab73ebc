// The shapes of WML tasks, events and variable settings: do, go, prev,
// noop, refresh, onevent, setvar and the back template. The WML classes'
// task builders fill them with values already filtered and lower-cased as
// each attribute needs; nothing here filters or asks the terminal kind.
// The shapes escape every attribute value they write; {other}, {inner},
// {task} and {content} are markup and go as given, less what XML cannot
// carry (text/xml_chars.h).
#ifndef ZORVADEL_MARKUP_WML_TASKS_H_
#define ZORVADEL_MARKUP_WML_TASKS_H_

#include <string>
#include <string_view>

namespace zorvadel::markup {

// For each pair of a name and a value piece (`names` and `values` split at
// `mark`, as many pairs as the shorter list has pieces): pre + name + mid +
// value + last, both pieces escaped for the attribute that holds them. The
// frames are written as given.
std::u16string AttributePairs(std::u16string_view names, std::u16string_view values,
                              std::u16string_view mark, std::u16string_view pre,
                              std::u16string_view mid, std::u16string_view last);

// The three texts that AttributePairs puts around each name and value:
// <setvar name="{name}" value="{value}"/>.
inline constexpr std::u16string_view kSetVarPre = u"<setvar name=\"";
inline constexpr std::u16string_view kSetVarMid = u"\" value=\"";
inline constexpr std::u16string_view kSetVarLast = u"\"/>";
// The postfields of the submit anchor; the value names a WML variable, so
// "Send_A" posts $Send_A.
inline constexpr std::u16string_view kPostVarPre = u"<postfield name=\"";
inline constexpr std::u16string_view kPostVarMid = u"\" value=\"$";
inline constexpr std::u16string_view kPostVarLast = u"\"/>";

inline constexpr std::u16string_view kDoClose = u"</do>";
inline constexpr std::u16string_view kPrevTask = u"<prev/>";
inline constexpr std::u16string_view kNoopTask = u"<noop/>";

// <do type="{type}"[ name="{name}"] label="{label}"[ optional="true"]>: the
// name only when given, the optional flag only when set (WML's default is
// false, so it is never written out).
std::u16string DoOpenMarkup(std::u16string_view type, std::u16string_view name,
                            std::u16string_view label, bool optional);
// <go href="{url}"[ method="{method}"] accept-charset="{charset}" {other}/>;
// with a method, two blanks stand before {other}.
std::u16string GoTaskMarkup(std::u16string_view url, std::u16string_view charset,
                            std::u16string_view method, std::u16string_view other);
// <go href="{url}"/> for an empty `inner`, else <go href="{url}">{inner}</go>.
std::u16string GoHrefMarkup(std::u16string_view url, std::u16string_view inner = {});
// <onevent type="{type}">{task}</onevent>
std::u16string EventMarkup(std::u16string_view type, std::u16string_view task);
// <refresh>{content}</refresh>
std::u16string RefreshMarkup(std::u16string_view content);
// <template><do type="{type}" name="{name}" label="{label}"><prev/></do></template>;
// the name is written even when empty.
std::u16string TemplateBackMarkup(std::u16string_view type, std::u16string_view name,
                                  std::u16string_view label);

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_WML_TASKS_H_
