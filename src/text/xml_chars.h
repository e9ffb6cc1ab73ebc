// Which characters a WML or XHTML page can carry: the one rule of the output
// filter and the attribute escape, and the character references written in
// XML's own syntax, which name a character just as the character itself
// does. A deck that holds one character outside the rule, or a reference to
// one, is no longer well-formed and a gateway refuses the whole of it.
#ifndef ZORVADEL_TEXT_XML_CHARS_H_
#define ZORVADEL_TEXT_XML_CHARS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvadel::text {

// Whether XML 1.0 can carry the character `v`: tab, line feed, carriage
// return, U+0020-U+D7FF, U+E000-U+FFFD and U+10000-U+10FFFF. Of one UTF-16
// unit taken alone it says whether the unit may stand as it is: a surrogate
// is carried only with its partner.
constexpr bool IsXmlChar(char32_t v) {
  if (v < 0x20) return v == 0x9 || v == 0xA || v == 0xD;
  if (v < 0xD800) return true;
  if (v < 0xE000) return false;
  return v < 0xFFFE || (v >= 0x10000 && v <= 0x10FFFF);
}

// The reference that starts with the "&" at `amp`, as XML reads one: "&#",
// decimal digits and ";", or "&#x" (lower-case x), hexadecimal digits and
// ";". `length` is 0 when none starts there; `value` is the number it
// names, or a value past the last code point for a longer one.
struct XmlReference {
  size_t length = 0;
  char32_t value = 0;
};
XmlReference ReadXmlReference(std::u16string_view text, size_t amp);

// Appends `text` less what XML cannot carry: every unit that IsXmlChar
// rejects (a surrogate that has its partner stays) and every reference that
// ReadXmlReference reads to such a character, whole, including one that
// only comes together once a unit inside it has gone ("&#\x01" "0;"). The
// rest, bare ampersands and markup included, is copied unchanged. What
// `out` held before is never looked at.
void AppendXmlCarried(std::u16string_view text, std::u16string* out);

// The same drop on `text` in place: a text with nothing to drop is only
// read, neither copied nor written.
void KeepXmlCarried(std::u16string* text);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_XML_CHARS_H_
