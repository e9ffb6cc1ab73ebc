// The runtime's Decimal and the exact reading of numbers that comparisons
// need: a Decimal is a 96-bit whole number with a scale of 0 to 28, read
// from text digit by digit (never through a Double), and printed with all
// its digits. Internal to the runtime; scripts see only its coercions.
#ifndef ZORVADEL_RUNTIME_DECIMAL_H_
#define ZORVADEL_RUNTIME_DECIMAL_H_

#include <string>
#include <string_view>

#include "runtime/runtime_internal.h"
#include "zorvadel/variant.h"

namespace zorvadel::runtime_detail {

using Uint128 = unsigned __int128;
using Int128 = __int128;

inline constexpr int kMaxDecimalScale = 28;
inline constexpr Uint128 kMaxDecimalMagnitude = (Uint128{1} << 96) - 1;

inline Uint128 Magnitude(const DecimalValue& d) {
  return (Uint128{d.high} << 64) | d.low;
}
// `magnitude` must not exceed kMaxDecimalMagnitude, `scale` 28; zero is
// never negative.
DecimalValue MakeDecimal(Uint128 magnitude, int scale, bool negative);

// A number in decimal notation taken apart: its significant digits (no
// leading zeros, trailing ones kept) and the power of ten of the last one.
struct DigitsForm {
  bool negative = false;
  std::string digits;
  int64_t exponent = 0;
};
// Sign, digits with an optional point, optional exponent, and nothing else
// (no blanks). False when `s` is not of that form.
bool SplitDecimal(std::u16string_view s, DigitsForm* out);

// Text in the decimal forms IsNumeric accepts (blanks around, sign, point,
// exponent). Digits past a scale of 28, or past what 96 bits hold, are
// rounded off, half to even; a whole part beyond 96 bits is an overflow.
// "&H"/"&O" forms are not read here (kNotNumeric).
NumberParse ParseDecimalText(std::u16string_view text, DecimalValue* out);

// All the digits, the fraction's trailing zeros dropped, no exponent.
std::u16string DecimalToText(const DecimalValue& d);
// The nearest Double.
double DecimalToDouble(const DecimalValue& d);
// A Double as the runtime turns one into a Decimal: its 15 significant
// digits. False for a value beyond the Decimal range (or not finite).
bool DecimalFromDouble(double x, DecimalValue* out);
// The nearest whole number, a half to the even one, as CInt and CLng round.
Int128 RoundDecimal(const DecimalValue& d);

// A number exactly as written in decimal: digits × 10^exponent.
struct ExactNumber {
  bool negative = false;
  Uint128 digits = 0;
  int exponent = 0;
};
ExactNumber ExactOf(int64_t n);
ExactNumber ExactOf(const DecimalValue& d);
// A Double by the shortest text that reads back as the same Double, so that
// a Decimal 0.1 equals the Double 0.1, and distinct Doubles stay distinct.
ExactNumber ExactOf(double x);
// -1, 0 or 1.
int CompareExact(const ExactNumber& a, const ExactNumber& b);

}  // namespace zorvadel::runtime_detail

#endif  // ZORVADEL_RUNTIME_DECIMAL_H_
