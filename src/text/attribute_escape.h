// The one escaping of text written inside a quoted attribute value, on every
// page class and every terminal: whatever a caller or a record hands in, the
// value cannot end early, open a tag or carry a character that makes a WML or
// XHTML page ill-formed. Text that was safe already comes out unchanged, so
// an entity or character reference the text holds stays as it is.
#ifndef ZORVADEL_TEXT_ATTRIBUTE_ESCAPE_H_
#define ZORVADEL_TEXT_ATTRIBUTE_ESCAPE_H_

#include <initializer_list>
#include <string>
#include <string_view>

namespace zorvadel::text {

// The quote that delimits the value: inside a single-quoted value the
// apostrophe must not stand either.
enum class AttributeQuote { kDouble, kSingle };

// - a "&" that starts a reference stays: "&#123;" or "&#x1f4a9;" naming a
//   character XML can carry, or one of the entities "&lt;", "&gt;", "&apos;",
//   "&quot;", "&amp;" and "&nbsp;" that the output filter keeps as well
//   (another name, declared by no DTD the page loads, would make it
//   ill-formed); every other "&" becomes "&amp;";
// - '"', "<" and ">" become "&quot;", "&lt;" and "&gt;" (with kSingle, "'"
//   becomes "&#39;" too, which HTML and XML both read);
// - what XML 1.0 cannot carry (text::IsXmlChar) is dropped: the C0 controls
//   but tab, line feed and carriage return, U+FFFE, U+FFFF and a surrogate
//   without its partner, and a reference to such a character ("&#0;",
//   "&#xFFFE;", "&#x110000;") whole;
// - everything else, "$" of a WML variable included, is copied.
// Escaping an escaped text again changes nothing.
void AppendAttributeText(std::u16string_view text, std::u16string* out,
                         AttributeQuote quote = AttributeQuote::kDouble);
std::u16string AttributeText(std::u16string_view text,
                             AttributeQuote quote = AttributeQuote::kDouble);

// A tag as the builders write it: `parts` in turn markup, written as it is,
// and a double-quoted attribute's value, escaped; so {u"<go href=\"", url,
// u"\">"} writes the address escaped between its quotes.
void AppendTag(std::initializer_list<std::u16string_view> parts, std::u16string* out);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_ATTRIBUTE_ESCAPE_H_
