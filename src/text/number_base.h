// Conversions between numbers and binary, octal and hexadecimal digit texts,
// in the two conventions the classes offer: Common's (leading zeros kept,
// binary groups read from the left) and the XHTML classes' (32-bit integers,
// leading zeros stripped, zero as the empty text). Digit texts of any length
// are accepted; hexadecimal results are upper case.
#ifndef ZORVADEL_TEXT_NUMBER_BASE_H_
#define ZORVADEL_TEXT_NUMBER_BASE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvadel::text {

// ---- Common's convention (never raise) ----------------------------------------

// Groups of four characters from the left, each read by BinaryToNumber and
// written as hexadecimal: "11111" gives "F1", "00001010" gives "0A".
std::u16string BinaryGroupsToHex(std::u16string_view binary);
// Each "1" adds 2 to the power of its position from the right (from 0); other
// characters add nothing. A power or sum beyond the range of a double is
// left out.
double BinaryToNumber(std::u16string_view binary);
// Each hexadecimal digit (either case) of the text with its blanks trimmed as
// four binary digits; a character that is no hexadecimal digit gives nothing.
std::u16string HexToBinaryGroups(std::u16string_view hex);
// The binary digits of the whole part of |x|, with "-" for a negative x;
// zero gives "0". An infinity or NaN gives the empty text.
std::u16string NumberToBinary(double x);

// ---- The XHTML classes' convention ---------------------------------------------

// The digits of `value` in `base` (2, 8 or 16); zero and negative values give
// the empty text.
std::u16string IntegerToDigits(int32_t value, int base);
// value = value * 2 + the character's digit value (0 to 9, 0 for any other
// character), from the left. Raises 6 (overflow) above 2,147,483,647.
int32_t BinaryToInteger(std::u16string_view binary);
// Sum of digit * base^position, positions counted from the right from 0; a
// character that is no digit of the base (hexadecimal: either case) adds
// nothing but keeps its position. `base` is 8 or 16. Raises 6 above
// 2,147,483,647.
int32_t DigitsToInteger(std::u16string_view digits, int base);
// Each digit of `base` (8 or 16) as three or four binary digits, other
// characters dropped, leading zeros stripped.
std::u16string DigitsToBinary(std::u16string_view digits, int base);
// The binary text padded on the left to whole groups of three or four, each
// group as one digit of `base` (8 or 16) (a group that is not binary gives
// nothing), leading zeros stripped.
std::u16string BinaryToDigits(std::u16string_view binary, int base);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_NUMBER_BASE_H_
