// Pieces shared by the runtime's source files and not part of the public
// API (kept in their own namespace): the three-way number parse and the plain numeric reading of a Variant.
#ifndef ZORVADEL_RUNTIME_RUNTIME_INTERNAL_H_
#define ZORVADEL_RUNTIME_RUNTIME_INTERNAL_H_

#include <string_view>

#include "zorvadel/variant.h"

namespace zorvadel::runtime_detail {

enum class NumberParse { kOk, kNotNumeric, kOverflow };

// ParseNumber that tells a text beyond the range of a Double (an overflow,
// 6, for the coercions) from one that is not a number at all (13).
NumberParse ParseNumberText(std::u16string_view text, double* out);

// The value as a Double the way CDbl reads it: Empty 0, Booleans -1/0, dates
// their serial, texts parsed; Null raises 94, objects and Missing 13.
double ToDouble(const Variant& v);

// Serial range of the runtime's dates: 100-01-01 through 9999-12-31.
inline constexpr double kMinDateSerial = -657434.0;
inline constexpr double kMaxDateSerial = 2958465.99999999;

}  // namespace zorvadel::runtime_detail

#endif  // ZORVADEL_RUNTIME_RUNTIME_INTERNAL_H_
