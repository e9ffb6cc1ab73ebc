// Numeric character references: writing text as ampersand-safe markup with
// "&#xHEX;" references for every unit outside 32-255, and reading such
// references back. The output filter of the page classes reuses the keep
// rule and the escaping of one unit, so both are exposed on their own.
#ifndef ZORVADEL_TEXT_CHARSET_REFS_H_
#define ZORVADEL_TEXT_CHARSET_REFS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvadel::text {

// Whether an "&" may stay as it is. `segment` is the text from the "&" up to
// (not including) the next ";". Kept are "&#x" (any case of the x) followed
// by a hexadecimal number, "&#" followed by a decimal number (both tested
// with the runtime's general numeric parse, so "&#x 41" or "&#1e2" pass too),
// and exactly "&lt", "&gt", "&apos", "&quot", "&amp" or "&nbsp".
bool KeepsEntity(std::u16string_view segment);

// The keep rule for the "&" at `amp` of a whole text: the piece up to the
// first ";" after it passes KeepsEntity. Scanning a text's ampersands in
// order with one cursor keeps the search for ";" linear.
struct AmpersandCursor {
  size_t semicolon = 0;
  bool known = false;
};
bool KeepsAmpersand(std::u16string_view text, size_t amp, AmpersandCursor* cursor);

// Appends the reference of one UTF-16 unit: "&#x", its value in upper-case
// hexadecimal without leading zeros, ";" (U+4E2D gives "&#x4E2D;").
void AppendHexCharRef(char16_t unit, std::u16string* out);

// Appends `unit` as the escaping writes it: itself when 32 <= unit <= 255,
// nothing for U+0000, else its reference. Surrogates are escaped one unit at
// a time.
inline void AppendEscapedUnit(char16_t unit, std::u16string* out) {
  if (unit >= 32 && unit <= 255) {
    out->push_back(unit);
  } else if (unit != 0) {
    AppendHexCharRef(unit, out);
  }
}

// Every "&" that does not pass KeepsEntity (or has no ";" after it at all)
// becomes "&amp;".
std::u16string RepairAmpersands(std::u16string_view text);

// AppendEscapedUnit over a whole text.
std::u16string EscapeHexCharRefs(std::u16string_view text);

// RepairAmpersands, then EscapeHexCharRefs.
std::u16string Uni(std::u16string_view text);

// Turns each "&#x" + hexadecimal digits (either case) + ";" back into its
// unit and keeps everything else. A reference that cannot be read (empty,
// not hexadecimal, above FFFF, or whose ";" lies beyond the next "&#x") is
// dropped together with the text after it up to the next "&#x". "&#X" and
// decimal references are not decoded. Any length works.
std::u16string UtfToGb(std::u16string_view text);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_CHARSET_REFS_H_
