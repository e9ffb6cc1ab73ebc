// Encoding text for markup and taking markup escapes back out of it: the
// character encoder and decoder of HTML pages, the full and the
// line-break-keeping entity escapes, and the line-break collapse that cut
// repair ends with. Pure functions on UTF-16 text; none of them can fail.
#ifndef ZORVADEL_TEXT_HTML_ESCAPE_H_
#define ZORVADEL_TEXT_HTML_ESCAPE_H_

#include <span>
#include <string>
#include <string_view>

namespace zorvadel::text {

// One exact replacement of a chain: every occurrence of `find`, left to
// right and never overlapping, becomes `with`.
struct Replacement {
  std::u16string_view find;
  std::u16string_view with;
};

// Runs the replacements in order, each on the result of the one before.
std::u16string ApplyReplacements(std::u16string text, std::span<const Replacement> chain);

// Markup characters as entities, a tab as four blanks, a carriage return as
// CR LF, and blanks as "&nbsp;" wherever a browser would fold them (at either
// end of the text or next to another blank or a tab).
std::u16string HtmlEnCode(std::u16string_view text);

// The named entities HtmlEnCode writes and the decimal references 1 to 255
// (the character of that single-byte code of code page 936; a code naming
// no character keeps its reference), in one scan from the left: each is
// decoded once, and the character it gives is never part of another, so
// "&amp;lt;" gives "&lt;".
std::u16string HTMLDecode(std::u16string_view text);

// Everything escaped for WML or XHTML: ampersands, angle brackets, quotes,
// and line ends and blanks as "&nbsp;".
std::u16string SpecialMark(std::u16string_view text);

// Safe for an XHTML text or attribute while keeping line breaks: angle
// brackets and quotes as entities, CR LF as "<br/>" (runs collapsed), a
// written "<br/>" kept as a break, blanks evened out. A bare "&" stays.
std::u16string DelSpecialMark(std::u16string_view text);

// CR LF (raw or as "&#xD;&#xA;") as "<br/>", and runs of "<br/>" collapsed
// (one pass each for runs of five, four, three and two).
std::u16string EnterHebing(std::u16string_view text);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_HTML_ESCAPE_H_
