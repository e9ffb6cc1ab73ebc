// Numeric character references: writing text as ampersand-safe markup with
// "&#xHEX;" references for every character outside 32-255 (the last pass of
// the page classes' output filter, and the utilities' Uni), and reading such
// references back.
#ifndef ZORVADEL_TEXT_CHARSET_REFS_H_
#define ZORVADEL_TEXT_CHARSET_REFS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvadel::text {

// The named entities whose ampersand the output filter keeps (case
// matters), and the only names a page may hold without a DTD that declares
// more.
inline constexpr std::u16string_view kKeptEntities[] = {u"&lt",   u"&gt",  u"&apos",
                                                        u"&quot", u"&amp", u"&nbsp"};

// Whether an "&" may stay as it is. `segment` is the text from the "&" up to
// (not including) the next ";". Kept are "&#x" (any case of the x) followed
// by a hexadecimal number, "&#" followed by a decimal number (both tested
// with the runtime's lenient numeric parse, so "&#x 41", "&#-5" or "&#1e2"
// pass too), and exactly "&lt", "&gt", "&apos", "&quot", "&amp" or "&nbsp".
bool KeepsEntity(std::u16string_view segment);

// The keep rule for the "&" at `amp` of a whole text: the piece up to the
// first ";" after it passes KeepsEntity. Scanning a text's ampersands in
// order with one cursor keeps the search for ";" linear.
struct AmpersandCursor {
  size_t semicolon = 0;
  bool known = false;
};
bool KeepsAmpersand(std::u16string_view text, size_t amp, AmpersandCursor* cursor);

// The escaping of markup text, in one pass:
// - a bare "&" (one that KeepsAmpersand rejects) becomes "&amp;"; a kept one
//   that opens a reference in XML's syntax to a character XML cannot carry
//   ("&#0;", "&#xFFFE;", "&#x110000;"; text/xml_chars.h) is dropped with the
//   whole reference;
// - units 32-255 are copied;
// - tab, line feed and carriage return become "&#x9;", "&#xA;", "&#xD;";
// - what else XML cannot carry is dropped, since XML admits no reference to
//   it: the other units below 32 (U+0000 included), U+FFFE, U+FFFF and a
//   surrogate without its partner;
// - a surrogate pair becomes one reference of its character;
// - every other unit becomes "&#x", its code point in upper-case
//   hexadecimal without leading zeros, ";" (U+4E2D gives "&#x4E2D;").
// With `pinyin` (the XHTML pages' annotation), each reference of a character
// that has a syllable and is no pinyin skip mark is followed by "(" + the
// syllable + " )", as NeedPinYin's mode 1 writes it: "中" gives
// "&#x4E2D;(zhong )".
std::u16string RepairAndEscape(std::u16string_view text, bool pinyin);
// The same, appended to `out` (which must not hold `text`).
void AppendRepairAndEscape(std::u16string_view text, bool pinyin, std::u16string* out);

// Every "&" that does not pass KeepsEntity (or has no ";" after it at all)
// becomes "&amp;"; nothing else changes.
std::u16string RepairAmpersands(std::u16string_view text);

// The page utilities' escaping: RepairAndEscape without pinyin.
std::u16string Uni(std::u16string_view text);

// Turns each "&#x" + hexadecimal digits (either case) + ";" back into its
// character (a value above FFFF into a surrogate pair) and keeps everything
// else. A reference that cannot be read (no digits, not hexadecimal, above
// 10FFFF, or whose ";" lies beyond the next "&#x") is copied as it stands,
// and so is the text after it. "&#X" and decimal references are not
// decoded. Any length works.
std::u16string UtfToGb(std::u16string_view text);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_CHARSET_REFS_H_
