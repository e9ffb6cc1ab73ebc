// Text forms of values: CStr and Hex. Numbers print the way the runtime
// prints a Double (15 significant digits, the shortest form), dates in the
// server's short date and long time form.
#include <charconv>
#include <cmath>
#include <string>

#include "runtime/decimal.h"
#include "runtime/decimal_text.h"
#include "runtime/hex_digits.h"
#include "runtime/runtime_internal.h"
#include "zorvadel/runtime.h"

namespace zorvadel {

using namespace runtime_detail;

namespace {

// The runtime's Double text is C's "%.15G" with the C locale: fixed notation
// while the decimal exponent lies in [-5, 14], otherwise "d.dddE+XX" with at
// least two exponent digits; trailing zeros dropped in both forms.
std::u16string FormatDouble(double x) {
  if (x == 0.0) return u"0";  // also -0, which the runtime never shows
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 15);
  if (ec != std::errc()) return u"0";
  std::u16string out;
  for (char* p = buffer; p != end; ++p) {
    char c = *p;
    if (c == 'e') c = 'E';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');  // inf, nan
    out += static_cast<char16_t>(c);
  }
  return out;
}

std::u16string FormatDate(double serial) {
  DateParts p = SplitDate(serial);
  bool has_date = !(p.year == 1899 && p.month == 12 && p.day == 30);
  bool has_time = p.hour != 0 || p.minute != 0 || p.second != 0;
  std::u16string out;
  if (has_date) {
    AppendDecimal(&out, p.year, 4);
    out += u'-';
    AppendDecimal(&out, p.month, 1);
    out += u'-';
    AppendDecimal(&out, p.day, 1);
  }
  if (has_time || !has_date) {
    if (has_date) out += u' ';
    AppendDecimal(&out, p.hour, 1);
    out += u':';
    AppendDecimal(&out, p.minute, 2);
    out += u':';
    AppendDecimal(&out, p.second, 2);
  }
  return out;
}

}  // namespace

std::u16string CStr(const Variant& v) {
  switch (v.type()) {
    case VarType::kEmpty:
      return u"";
    case VarType::kNull:
      throw ScriptError(kErrInvalidNull);
    case VarType::kInteger:
    case VarType::kLong:
      return DecimalText(v.long_value());
    case VarType::kDouble:
      return FormatDouble(v.double_value());
    case VarType::kBoolean:
      return v.boolean() ? u"True" : u"False";
    case VarType::kString:
      return v.string();
    case VarType::kDate:
      return FormatDate(v.date());
    case VarType::kLongLong:
      return DecimalText(v.long_long());
    case VarType::kDecimal:
      return DecimalToText(v.decimal());
    case VarType::kObject:
    case VarType::kMissing:
      break;
  }
  throw ScriptError(kErrTypeMismatch);
}

std::u16string Hex(int32_t n) {
  uint32_t u = static_cast<uint32_t>(n);
  char16_t buffer[8];
  int i = 8;
  do {
    buffer[--i] = UpperHexDigit(u & 0xF);
    u >>= 4;
  } while (u != 0);
  return std::u16string(buffer + i, buffer + 8);
}

}  // namespace zorvadel
