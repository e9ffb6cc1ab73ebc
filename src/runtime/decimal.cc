// Decimal values read from text and printed back digit for digit, and the
// exact comparison of numbers of every subtype. 128-bit arithmetic covers
// it all: a Decimal's magnitude has at most 29 digits, an aligned pair of
// numbers at most 38.
#include "runtime/decimal.h"

#include <charconv>
#include <cmath>
#include <string>

namespace zorvadel::runtime_detail {
namespace {

constexpr int kMaxWideDigits = 38;  // 10^38 < 2^128
constexpr int64_t kExponentCap = int64_t{1} << 40;

Uint128 Pow10(int n) {
  Uint128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

int DigitCount(Uint128 n) {
  int count = 0;
  for (; n != 0; n /= 10) ++count;
  return count;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The first `keep` digits of `form` as a whole number (zeros added when it
// has fewer), rounded half to even on the digits after them. `keep` is at
// most kMaxWideDigits.
Uint128 RoundedPrefix(const DigitsForm& form, int64_t keep) {
  const int64_t count = static_cast<int64_t>(form.digits.size());
  Uint128 value = 0;
  for (int64_t i = 0; i < keep; ++i) {
    value = value * 10 + (i < count ? form.digits[static_cast<size_t>(i)] - '0' : 0);
  }
  if (keep < 0 || keep >= count) return value;  // nothing dropped, or under half a unit
  const char first = form.digits[static_cast<size_t>(keep)];
  bool up = first > '5';
  if (first == '5') {
    up = form.digits.find_first_not_of('0', static_cast<size_t>(keep) + 1) != std::string::npos ||
         (value & 1) != 0;
  }
  return up ? value + 1 : value;
}

void AppendDigits(std::u16string* out, Uint128 n, int min_digits) {
  char16_t buffer[kMaxWideDigits + 2];
  int i = sizeof buffer / sizeof buffer[0];
  int written = 0;
  do {
    buffer[--i] = static_cast<char16_t>(u'0' + static_cast<int>(n % 10));
    n /= 10;
    ++written;
  } while (n != 0 || written < min_digits);
  out->append(buffer + i, buffer + sizeof buffer / sizeof buffer[0]);
}

std::string AsciiDigits(Uint128 n) {
  std::u16string wide;
  AppendDigits(&wide, n, 1);
  return std::string(wide.begin(), wide.end());
}

}  // namespace

bool SplitDecimal(std::u16string_view s, DigitsForm* out) {
  size_t i = 0;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) out->negative = s[i++] == u'-';
  size_t mantissa_digits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++mantissa_digits) {
    if (s[i] != u'0' || !out->digits.empty()) out->digits += static_cast<char>(s[i]);
  }
  if (i < s.size() && s[i] == u'.') {
    for (++i; i < s.size() && IsDigit(s[i]); ++i, ++mantissa_digits) {
      if (s[i] != u'0' || !out->digits.empty()) out->digits += static_cast<char>(s[i]);
      --out->exponent;
    }
  }
  if (mantissa_digits == 0) return false;
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
    ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    int64_t exponent = 0;
    size_t exponent_digits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i, ++exponent_digits) {
      // Beyond any range either way, whatever number of digits the text
      // has; the cap keeps the sum from wrapping.
      if (exponent < kExponentCap) exponent = exponent * 10 + (s[i] - u'0');
    }
    if (exponent_digits == 0) return false;
    out->exponent += negative ? -exponent : exponent;
  }
  return i == s.size();
}

DecimalValue MakeDecimal(Uint128 magnitude, int scale, bool negative) {
  DecimalValue d;
  d.low = static_cast<uint64_t>(magnitude);
  d.high = static_cast<uint32_t>(magnitude >> 64);
  d.scale = static_cast<uint8_t>(scale);
  d.negative = negative && magnitude != 0;
  return d;
}

NumberParse ParseDecimalText(std::u16string_view text, DecimalValue* out) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  DigitsForm form;
  if (!SplitDecimal(text.substr(b, e - b), &form)) return NumberParse::kNotNumeric;
  // Zero is zero whatever its power of ten ("0E50").
  if (form.digits.empty() && form.exponent > 0) form.exponent = 0;
  const int64_t whole_digits = static_cast<int64_t>(form.digits.size()) + form.exponent;
  // The finest scale the text asks for, then coarser ones until the
  // rounded digits fit in 96 bits.
  int64_t scale = -form.exponent;
  if (scale > kMaxDecimalScale) scale = kMaxDecimalScale;
  if (scale < 0) scale = 0;
  for (; scale >= 0; --scale) {
    const int64_t keep = whole_digits + scale;
    if (keep > kMaxWideDigits) continue;
    const Uint128 magnitude = RoundedPrefix(form, keep);
    if (magnitude <= kMaxDecimalMagnitude) {
      *out = MakeDecimal(magnitude, static_cast<int>(scale), form.negative);
      return NumberParse::kOk;
    }
  }
  return NumberParse::kOverflow;
}

std::u16string DecimalToText(const DecimalValue& d) {
  std::u16string out;
  if (d.negative) out += u'-';
  const Uint128 magnitude = Magnitude(d);
  if (d.scale == 0) {
    AppendDigits(&out, magnitude, 1);
    return out;
  }
  const Uint128 unit = Pow10(d.scale);
  AppendDigits(&out, magnitude / unit, 1);
  Uint128 fraction = magnitude % unit;
  if (fraction == 0) return out;
  int digits = d.scale;
  while (fraction % 10 == 0) {
    fraction /= 10;
    --digits;
  }
  out += u'.';
  AppendDigits(&out, fraction, digits);
  return out;
}

double DecimalToDouble(const DecimalValue& d) {
  // from_chars rounds correctly, which no sum of powers of ten would.
  std::string text = AsciiDigits(Magnitude(d)) + "e-" + std::to_string(d.scale);
  double value = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return d.negative ? -value : value;
}

bool DecimalFromDouble(double x, DecimalValue* out) {
  if (!std::isfinite(x)) return false;
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 15);
  if (ec != std::errc()) return false;
  const std::u16string text(buffer, end);
  return ParseDecimalText(text, out) == NumberParse::kOk;
}

Int128 RoundDecimal(const DecimalValue& d) {
  const Uint128 unit = Pow10(d.scale);
  Uint128 whole = Magnitude(d) / unit;
  const Uint128 twice_rest = (Magnitude(d) % unit) * 2;
  if (twice_rest > unit || (twice_rest == unit && (whole & 1) != 0)) ++whole;
  const Int128 value = static_cast<Int128>(whole);
  return d.negative ? -value : value;
}

ExactNumber ExactOf(int64_t n) {
  ExactNumber out;
  out.negative = n < 0;
  // Negated in unsigned arithmetic, so that INT64_MIN has a magnitude too.
  out.digits = out.negative ? Uint128{0} - static_cast<Uint128>(static_cast<Int128>(n))
                            : static_cast<Uint128>(n);
  return out;
}

ExactNumber ExactOf(const DecimalValue& d) {
  ExactNumber out;
  out.negative = d.negative;
  out.digits = Magnitude(d);
  out.exponent = -d.scale;
  return out;
}

ExactNumber ExactOf(double x) {
  ExactNumber out;
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x);
  if (ec != std::errc()) return out;
  DigitsForm form;
  if (!SplitDecimal(std::u16string(buffer, end), &form)) return out;  // not finite
  out.negative = form.negative;
  for (char c : form.digits) out.digits = out.digits * 10 + (c - '0');  // 17 digits at most
  out.exponent = static_cast<int>(form.exponent);
  return out;
}

int CompareExact(const ExactNumber& a, const ExactNumber& b) {
  const bool a_negative = a.negative && a.digits != 0;
  const bool b_negative = b.negative && b.digits != 0;
  if (a_negative != b_negative) return a_negative ? -1 : 1;
  const int sign = a_negative ? -1 : 1;
  if (a.digits == 0 || b.digits == 0) {
    if (a.digits == b.digits) return 0;
    return a.digits == 0 ? -sign : sign;
  }
  // The order of magnitude first; numbers of one order align within
  // max(digit counts) digits, which 128 bits hold.
  const int a_digits = DigitCount(a.digits);
  const int b_digits = DigitCount(b.digits);
  const int64_t a_order = int64_t{a_digits} + a.exponent;
  const int64_t b_order = int64_t{b_digits} + b.exponent;
  if (a_order != b_order) return a_order > b_order ? sign : -sign;
  Uint128 x = a.digits;
  Uint128 y = b.digits;
  if (a.exponent > b.exponent) x *= Pow10(a.exponent - b.exponent);
  if (b.exponent > a.exponent) y *= Pow10(b.exponent - a.exponent);
  if (x == y) return 0;
  return x > y ? sign : -sign;
}

}  // namespace zorvadel::runtime_detail
