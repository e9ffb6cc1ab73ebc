// Markup of the WML 1.1 deck frame: the prolog and DOCTYPE, the deck head
// with its Cache-Control meta, the first card of a whole header, the closing
// tags, and the warnings a header writes when the injection guard finds a
// word. Pure functions on texts the caller has already filtered (the card
// title through the output filter); addresses and OtherAtt are written as
// given (OtherAtt less what XML cannot carry), and no line break is written
// anywhere.
#ifndef ZORVADEL_MARKUP_WML_FRAME_H_
#define ZORVADEL_MARKUP_WML_FRAME_H_

#include <string>
#include <string_view>

#include "zorvadel/page_state.h"

namespace zorvadel::markup {

inline constexpr std::u16string_view kWmlDoctype =
    u"<!DOCTYPE wml PUBLIC \"-//WAPFORUM//DTD WML 1.1//EN\" "
    u"\"http://www.wapforum.org/DTD/wml_1.1.xml\">";
// Closes the first card's paragraph, the card and the deck.
inline constexpr std::u16string_view kWmlDeckEnd = u"</p></card></wml>";
inline constexpr std::u16string_view kWmlFirstCardId = u"FirstCard";

// "<?xml version="1.0"?>" without an encoding, else with
// encoding="{encoding}"; then the WML 1.1 DOCTYPE. An empty encoding of a
// whole header still gets the attribute: see AppendWmlDeckStart.
std::u16string WmlPrologAndDoctype(std::u16string_view encoding);

// "<wml><head><meta http-equiv="Cache-Control" content="{cache_control}"
// forua="true|false"/>{other_att}</head>".
std::u16string WmlDeckHead(std::u16string_view cache_control, bool forua,
                           std::u16string_view other_att);

// What PageHeader writes in one piece, appended to `out`: the prolog
// (always with the encoding attribute, empty or not), the DOCTYPE, the deck
// head, and the first card with its paragraph:
// <card id="FirstCard" title="{title}"><p align="left">.
void AppendWmlDeckStart(std::u16string* out, std::u16string_view encoding,
                        std::u16string_view cache_control, bool forua,
                        std::u16string_view other_att, std::u16string_view filtered_title);

// The warnings, each ending with kWmlDeckEnd. The English texts of the two
// headers differ in one capital letter.
enum class WmlHeaderKind { kPutPageHeader, kPageHeader };
std::u16string_view WmlGuardWarning(WmlHeaderKind header, PageLanguage language);

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_WML_FRAME_H_
