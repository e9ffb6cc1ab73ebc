// Integers as decimal text in UTF-16, the form every text of the library
// takes.
#ifndef ZORVADEL_RUNTIME_DECIMAL_TEXT_H_
#define ZORVADEL_RUNTIME_DECIMAL_TEXT_H_

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zorvadel {

// Appends `value` ("-" before a negative one), with zeros in front of the
// whole text, sign included, until it is `min_width` units long.
inline void AppendDecimal(std::u16string* out, int64_t value, size_t min_width = 0) {
  char buffer[24];  // "-9223372036854775808" is 20
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  const size_t length = static_cast<size_t>(end - buffer);
  if (length < min_width) out->append(min_width - length, u'0');
  out->append(buffer, end);
}

inline std::u16string DecimalText(int64_t value) {
  std::u16string out;
  AppendDecimal(&out, value);
  return out;
}

}  // namespace zorvadel

#endif  // ZORVADEL_RUNTIME_DECIMAL_TEXT_H_
