// Hexadecimal digits both ways. Inline, since URL coding, character
// references and digests write or read one per half byte.
#ifndef ZORVADEL_RUNTIME_HEX_DIGITS_H_
#define ZORVADEL_RUNTIME_HEX_DIGITS_H_

#include <array>
#include <cstdint>

namespace zorvadel {

namespace hex_detail {

inline constexpr char kUpper[] = "0123456789ABCDEF";
inline constexpr char kLower[] = "0123456789abcdef";

// Digit values of the ASCII characters; -1 for the rest.
inline constexpr std::array<int8_t, 128> kValues = [] {
  std::array<int8_t, 128> value{};
  for (int c = 0; c < 128; ++c) value[c] = -1;
  for (int d = 0; d < 10; ++d) value['0' + d] = static_cast<int8_t>(d);
  for (int d = 0; d < 6; ++d) {
    value['A' + d] = static_cast<int8_t>(10 + d);
    value['a' + d] = static_cast<int8_t>(10 + d);
  }
  return value;
}();

}  // namespace hex_detail

// The digit of a value from 0 to 15, as a unit of text of type Char.
template <typename Char = char16_t>
constexpr Char UpperHexDigit(unsigned value) {
  return static_cast<Char>(hex_detail::kUpper[value]);
}
template <typename Char = char16_t>
constexpr Char LowerHexDigit(unsigned value) {
  return static_cast<Char>(hex_detail::kLower[value]);
}

// The value of a digit of either case; -1 for any other character. A plain
// char above 0x7F (negative where char is signed) is no digit either.
constexpr int HexDigitValue(char32_t c) { return c < 128 ? hex_detail::kValues[c] : -1; }

}  // namespace zorvadel

#endif  // ZORVADEL_RUNTIME_HEX_DIGITS_H_
