// The settings summary of the WML classes: what the page object holds (frame
// texts, listing and database settings, mail, the page's own address and the
// caller's terminal) as a markup fragment, one "label value<br/>" line each.
// Values are copied without escaping, less what XML cannot carry; password
// values never appear.
#ifndef ZORVADEL_OUTPUT_DEBUG_INFO_H_
#define ZORVADEL_OUTPUT_DEBUG_INFO_H_

#include <string>
#include <string_view>

#include "zorvadel/page_state.h"

namespace zorvadel::output {

// Shown in place of the database password, and of any password written into
// the connection string, in both languages.
inline constexpr std::u16string_view kClearedText = u"已被清空。";

// The summary for `show_info`: the common part always; every section when
// show_info is "" or "all" in any case; otherwise the sections whose key
// ("sql", "mdb", "mail", "file", "site", "phone") equals it lower-cased.
// Nothing is trimmed, so " all" or "sql,mail" give the common part alone.
std::u16string SettingsSummary(const PageState& state, PageLanguage language,
                               std::u16string_view show_info);

// `conn` with the value of every "Pwd" and "Password" key (names compared
// without case and without surrounding blanks) replaced by `mask`. A value
// runs to the next ";" or the end; one opened by "{", '"' or "'" runs to its
// closing mark instead, so a quoted password holding ";" is masked whole.
std::u16string MaskConnectionPasswords(std::u16string_view conn, std::u16string_view mask);

}  // namespace zorvadel::output

#endif  // ZORVADEL_OUTPUT_DEBUG_INFO_H_
