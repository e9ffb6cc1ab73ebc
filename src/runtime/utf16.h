// Surrogate pairs: telling the two halves apart, joining a pair into its
// code point and splitting a code point into its pair. Inline, since the
// code page, URL and character reference coders call them once per unit.
// What a lone half turns into is each caller's own choice.
#ifndef ZORVADEL_RUNTIME_UTF16_H_
#define ZORVADEL_RUNTIME_UTF16_H_

namespace zorvadel {

// The tests take units, not code points: compared at their own width, they
// cost no widening in the coders' loops.
constexpr bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
constexpr bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// The code point of a high half followed by a low half.
constexpr char32_t CombineSurrogates(char16_t high, char16_t low) {
  return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (low - 0xDC00u);
}

// The halves of a code point from U+10000 to U+10FFFF.
constexpr char16_t HighSurrogateOf(char32_t code_point) {
  return static_cast<char16_t>(0xD800 + ((code_point - 0x10000) >> 10));
}
constexpr char16_t LowSurrogateOf(char32_t code_point) {
  return static_cast<char16_t>(0xDC00 + ((code_point - 0x10000) & 0x3FF));
}

}  // namespace zorvadel

#endif  // ZORVADEL_RUNTIME_UTF16_H_
