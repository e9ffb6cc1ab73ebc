// Character forms of Chinese text: simplified and traditional characters,
// full-width and half-width characters, and GB2312 zone/position codes.
#ifndef ZORVADEL_TEXT_CHARSET_FORMS_H_
#define ZORVADEL_TEXT_CHARSET_FORMS_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvadel::text {

// Simplified to traditional characters (JToF) and back (FToJ), one
// character at a time through the simplified/traditional table. A character
// the table does not list stays as it is: Latin text, characters without a
// code page 936 form, surrogates and U+0000 (the text after it is kept).
// Both sides of every pair take two bytes in code page 936, so the text's
// length there never changes.
std::u16string JToF(std::u16string_view text);
std::u16string FToJ(std::u16string_view text);

// Half-width to full-width (U+0021-U+007E to U+FF01-U+FF5E, the blank to
// U+3000) and back; other characters stay.
std::u16string StrToWide(std::u16string_view text);
std::u16string StrToNarrow(std::u16string_view text);

// One entry per GB2312 character: the character, ":", zone and position as
// two decimal digits each, and `split_mark` ("中:5448,"). Characters of one
// byte, without a code page 936 form, or of the GBK extension (lead or trail
// byte below 0xA1, which have no zone/position code) write nothing.
std::u16string QWMEnCode(std::u16string_view text, std::u16string_view split_mark);

// The character of a zone/position code: 1614 is zone 16, position 14 (爱),
// 312 is zone 03, position 12. Empty when the code names no character.
std::u16string QWMDeCode(int16_t code);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_CHARSET_FORMS_H_
