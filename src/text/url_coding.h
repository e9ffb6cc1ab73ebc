// URL escaping of text in the two dialects that Chinese mobile sites meet in
// links: the UTF-8 dialect (every character outside ASCII as the escapes of
// its UTF-8 bytes, plus a fixed set of marks and the control characters) and
// the GB2312 dialect (only the double-byte characters of code page 936, as
// the escapes of their two bytes). An escape is "%" and two upper-case
// hexadecimal digits. No length limit applies to any of them.
#ifndef ZORVADEL_TEXT_URL_CODING_H_
#define ZORVADEL_TEXT_URL_CODING_H_

#include <string>
#include <string_view>

namespace zorvadel::text {

// UTF-8 dialect. A surrogate pair is one four-byte sequence; a lone surrogate
// is written as the escapes of U+FFFD.
std::u16string GoogleUrlEncode(std::u16string_view text);
// Decodes escapes of one to four bytes ("%" and two hexadecimal digits of
// either case per byte); "+" stays "+". A "%" that opens no complete,
// well-formed sequence stays a plain "%" and the walk goes on after it.
// Two- and three-byte sequences give the unit their bits spell, as older
// encoders wrote a surrogate pair as two three-byte sequences.
std::u16string GoogleUrlDecode(std::u16string_view text);

// GB2312 dialect: everything but the double-byte characters is written as it
// stands (blanks, "%", "+", "&" too).
std::u16string BaiduUrlEncode(std::u16string_view text);
// "+" gives a blank; an escape of 0x7F or less gives that character; an escape
// above it is a lead byte that pairs with the next escape (plain characters in
// between are copied first). A pair that names no character, and a lead byte
// left over at the end, give U+FFFD. A "%" not followed by two hexadecimal
// digits stays a plain "%".
std::u16string BaiduUrlDecode(std::u16string_view text);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_URL_CODING_H_
