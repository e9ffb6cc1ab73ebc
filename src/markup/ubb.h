// UBB bracket codes ("[b]", "[url=...]...[/url]", "[p=center]", ...) turned
// into markup, in the WML 1.1 dialect of WAPWML.UbbWML or the XHTML dialect
// of WAPXHTML.UbbXML.
//
// The rules are one ordered table; each rule runs over the whole text that
// the rules before it left, so codes are neither nested nor balanced, and a
// code that no rule matches stays as it is. Link and image rules are
// regular expressions (compiled once, shared by every thread); the simple
// tags and the WML paragraph codes are plain replacements.
//
// Addresses and alternative texts taken from a code land inside quoted
// attributes; a '"' or '<' in them is written as an entity, so that a code
// cannot add attributes or elements of its own.
#ifndef ZORVADEL_MARKUP_UBB_H_
#define ZORVADEL_MARKUP_UBB_H_

#include <string>
#include <string_view>

namespace zorvadel::markup {

enum class UbbDialect { kWml, kXhtml };

// Never raises: a rule that fails leaves the text as it was and the next
// rule runs. What XML cannot carry (text/xml_chars.h) is dropped from the
// result, the rest being the rules' work alone.
std::u16string ConvertUbb(std::u16string_view text, UbbDialect dialect);

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_UBB_H_
