// Conversions between the library's UTF-16 text and the byte forms it meets
// at the edges: code page 936 (GBK as the server's ANSI code page has it) and
// UTF-8.
#ifndef ZORVADEL_PLATFORM_CODEPAGE_CODEPAGE_H_
#define ZORVADEL_PLATFORM_CODEPAGE_CODEPAGE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvadel::codepage {

// The code pages a session can select for its output.
inline constexpr uint32_t kGbk = 936;
inline constexpr uint32_t kUtf8 = 65001;

// Code page 936 code of one UTF-16 unit: a one-byte code (0x00-0x80, 0x80
// being the euro sign) or a two-byte code (lead byte in the high 8 bits).
// Returns 0 when the character has no code page 936 form (U+0000 gives 0 too:
// test `HasGbk` to tell them apart).
uint16_t GbkCode(char16_t c);
bool HasGbk(char16_t c);
// The character of a code page 936 code; one-byte codes are the values below
// 0x100. Returns 0 when the code names no character.
char16_t FromGbkCode(uint16_t code);

// Text to code page 936 bytes: a character without a form becomes "?".
// A surrogate pair becomes one "?".
std::string ToGbk(std::u16string_view text);
// Code page 936 bytes to text. A lead byte (0x81-0xFE) followed by a trail
// byte (0x40-0xFE but 0x7F) is one pair; a pair naming no character becomes
// one U+FFFD. A lead byte followed by anything else, a lone lead byte at the
// end, and 0xFF each become U+FFFD, and the byte after is read on its own.
std::u16string FromGbk(std::string_view bytes);

// UTF-8 <-> UTF-16. Encoding: a lone surrogate becomes U+FFFD. Decoding:
// overlong forms, encoded surrogates, values past U+10FFFF and cut sequences
// become U+FFFD, one per maximal ill-formed part (as browsers count them);
// supplementary characters become surrogate pairs.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view bytes);

// Encoding with a session's code page: 65001 is UTF-8, anything else is
// treated as 936.
std::string Encode(std::u16string_view text, uint32_t code_page);
std::u16string Decode(std::string_view bytes, uint32_t code_page);

}  // namespace zorvadel::codepage

#endif  // ZORVADEL_PLATFORM_CODEPAGE_CODEPAGE_H_
