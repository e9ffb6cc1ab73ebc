// The general numeric test and the numeric coercions (CInt, CLng, CDbl,
// CBool). Texts are read the way the runtime reads them whatever the server's
// locale: "." is the decimal point and there are no group separators.
#include <charconv>
#include <cmath>
#include <string>

#include "runtime/decimal.h"
#include "runtime/hex_digits.h"
#include "runtime/runtime_internal.h"
#include "zorvadel/runtime.h"

namespace zorvadel {

using namespace runtime_detail;

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// "&H..." and "&O...": a value that fits 16 bits is a 16-bit two's
// complement number ("&HFFFF" is -1) and one that fits 32 bits a 32-bit one,
// as the runtime types such literals Integer or Long.
NumberParse ParseRadix(std::u16string_view body, int radix, double* out) {
  if (body.empty()) return NumberParse::kNotNumeric;
  uint64_t value = 0;
  for (char16_t c : body) {
    int d = HexDigitValue(c);
    if (d < 0 || d >= radix) return NumberParse::kNotNumeric;
    value = value * radix + d;
    if (value > 0xFFFFFFFFu) return NumberParse::kNotNumeric;
  }
  if (value <= 0xFFFF) {
    *out = static_cast<int16_t>(static_cast<uint16_t>(value));
  } else {
    *out = static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  return NumberParse::kOk;
}

NumberParse ParseDecimal(std::u16string_view s, double* out) {
  DigitsForm form;
  if (!SplitDecimal(s, &form)) return NumberParse::kNotNumeric;
  if (form.digits.empty()) {
    *out = 0.0;
    return NumberParse::kOk;
  }
  // Narrow text for from_chars, which rounds correctly.
  std::string narrow = form.negative ? "-" : "";
  narrow += form.digits;
  narrow += 'e';
  narrow += std::to_string(form.exponent);
  double value = 0.0;
  auto [end, ec] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too small rounds to zero; too large is an overflow.
    if (static_cast<int64_t>(form.digits.size()) + form.exponent > 0) {
      return NumberParse::kOverflow;
    }
    *out = 0.0;
    return NumberParse::kOk;
  }
  if (ec != std::errc() || end != narrow.data() + narrow.size() || !std::isfinite(value)) {
    return NumberParse::kOverflow;
  }
  *out = value;
  return NumberParse::kOk;
}

[[noreturn]] void Raise(int32_t number) { throw ScriptError(number); }

// Number a text stands for, raising as a coercion does.
double TextNumber(std::u16string_view text) {
  double value = 0.0;
  switch (ParseNumberText(text, &value)) {
    case NumberParse::kOk:
      return value;
    case NumberParse::kOverflow:
      Raise(kErrOverflow);
    case NumberParse::kNotNumeric:
      break;
  }
  Raise(kErrTypeMismatch);
}

double CheckedRound(const Variant& v, double low, double high) {
  // The wide subtypes round exactly: through a Double a Decimal such as
  // 2.5000000000000000001 would land on the half and round the wrong way.
  if (v.type() == VarType::kLongLong || v.type() == VarType::kDecimal) {
    const Int128 r = v.type() == VarType::kLongLong ? Int128{v.long_long()}
                                                     : RoundDecimal(v.decimal());
    if (r < static_cast<Int128>(low) || r > static_cast<Int128>(high)) Raise(kErrOverflow);
    return static_cast<double>(r);
  }
  double r = RoundHalfEven(ToDouble(v));
  if (!(r >= low && r <= high)) Raise(kErrOverflow);
  return r;
}

DecimalValue DecimalOfDouble(double x) {
  DecimalValue d;
  if (!DecimalFromDouble(x, &d)) Raise(kErrOverflow);
  return d;
}

}  // namespace

NumberParse runtime_detail::ParseNumberText(std::u16string_view text, double* out) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  std::u16string_view s = text.substr(b, e - b);
  if (s.size() >= 2 && s[0] == u'&') {
    if (s[1] == u'H' || s[1] == u'h') return ParseRadix(s.substr(2), 16, out);
    if (s[1] == u'O' || s[1] == u'o') return ParseRadix(s.substr(2), 8, out);
    return NumberParse::kNotNumeric;
  }
  return ParseDecimal(s, out);
}

double runtime_detail::ToDouble(const Variant& v) {
  switch (v.type()) {
    case VarType::kEmpty:
      return 0.0;
    case VarType::kNull:
      Raise(kErrInvalidNull);
    case VarType::kInteger:
    case VarType::kLong:
      return v.long_value();
    case VarType::kBoolean:
      return v.boolean() ? -1.0 : 0.0;
    case VarType::kDouble:
      return v.double_value();
    case VarType::kDate:
      return v.date();
    case VarType::kString:
      return TextNumber(v.string());
    case VarType::kLongLong:
      return static_cast<double>(v.long_long());
    case VarType::kDecimal:
      return DecimalToDouble(v.decimal());
    case VarType::kObject:
    case VarType::kMissing:
      break;
  }
  Raise(kErrTypeMismatch);
}

bool ParseNumber(std::u16string_view text, double* out) {
  double value = 0.0;
  if (ParseNumberText(text, &value) != NumberParse::kOk) return false;
  *out = value;
  return true;
}

bool IsNumeric(std::u16string_view text) {
  double ignored = 0.0;
  return ParseNumberText(text, &ignored) == NumberParse::kOk;
}

bool IsNumeric(const Variant& v) {
  switch (v.type()) {
    case VarType::kEmpty:
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kDouble:
    case VarType::kBoolean:
    case VarType::kLongLong:
    case VarType::kDecimal:
      return true;
    case VarType::kString:
      return IsNumeric(std::u16string_view(v.string()));
    default:
      return false;
  }
}

double RoundHalfEven(double x) {
  if (!std::isfinite(x)) return x;
  double r = std::round(x);  // halves away from zero
  if (std::fabs(x - std::trunc(x)) == 0.5) r = 2.0 * std::round(x / 2.0);
  return r;
}

int16_t CInt(const Variant& v) {
  if (v.type() == VarType::kInteger) return v.integer();
  return static_cast<int16_t>(CheckedRound(v, -32768.0, 32767.0));
}

int32_t CLng(const Variant& v) {
  if (v.type() == VarType::kInteger || v.type() == VarType::kLong) return v.long_value();
  return static_cast<int32_t>(CheckedRound(v, -2147483648.0, 2147483647.0));
}

double CDbl(const Variant& v) { return ToDouble(v); }

DecimalValue CDec(const Variant& v) {
  switch (v.type()) {
    case VarType::kDecimal:
      return v.decimal();
    case VarType::kLongLong:
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kBoolean: {
      const int64_t n = v.type() == VarType::kLongLong ? v.long_long()
                        : v.type() == VarType::kBoolean ? (v.boolean() ? -1 : 0)
                                                        : v.long_value();
      const ExactNumber exact = ExactOf(n);
      return MakeDecimal(exact.digits, 0, exact.negative);
    }
    case VarType::kString: {
      DecimalValue d;
      switch (ParseDecimalText(v.string(), &d)) {
        case NumberParse::kOk:
          return d;
        case NumberParse::kOverflow:
          Raise(kErrOverflow);
        case NumberParse::kNotNumeric:
          break;  // "&H" and "&O" forms are whole numbers a Double holds
      }
      return DecimalOfDouble(TextNumber(v.string()));
    }
    default:
      return DecimalOfDouble(ToDouble(v));  // Empty 0; Null 94, objects 13
  }
}

bool CBool(const Variant& v) {
  if (v.IsString()) {
    std::u16string_view s = v.string();
    size_t b = s.find_first_not_of(u" \t");
    size_t e = s.find_last_not_of(u" \t");
    std::u16string_view word = b == std::u16string_view::npos ? u"" : s.substr(b, e - b + 1);
    std::u16string lower = LCase(word);
    if (lower == u"true") return true;
    if (lower == u"false") return false;
  }
  return ToDouble(v) != 0.0;
}

}  // namespace zorvadel
