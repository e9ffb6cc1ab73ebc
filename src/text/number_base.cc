#include "text/number_base.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "runtime/hex_digits.h"
#include "zorvadel/runtime.h"
#include "zorvadel/variant.h"

namespace zorvadel::text {
namespace {

constexpr std::u16string_view kHexBits[16] = {
    u"0000", u"0001", u"0010", u"0011", u"0100", u"0101", u"0110", u"0111",
    u"1000", u"1001", u"1010", u"1011", u"1100", u"1101", u"1110", u"1111",
};
constexpr std::u16string_view kOctBits[8] = {
    u"000", u"001", u"010", u"011", u"100", u"101", u"110", u"111",
};
// The value of a digit of `base` (hexadecimal letters of either case), -1 for
// any other character.
int DigitValue(char16_t c, int base) {
  const int value = HexDigitValue(c);
  return value < base ? value : -1;
}

int BitsPerDigit(int base) { return base == 16 ? 4 : 3; }

const std::u16string_view* BitTable(int base) { return base == 16 ? kHexBits : kOctBits; }

std::u16string StripLeadingZeros(std::u16string text) {
  const size_t first = text.find_first_not_of(u'0');
  return first == std::u16string::npos ? std::u16string() : text.substr(first);
}

[[noreturn]] void RaiseOverflow() { throw ScriptError(kErrOverflow); }

}  // namespace

std::u16string BinaryGroupsToHex(std::u16string_view binary) {
  std::u16string out;
  for (size_t i = 0; i < binary.size(); i += 4) {
    // A group of at most four digits is at most 15.
    out += UpperHexDigit(static_cast<unsigned>(BinaryToNumber(binary.substr(i, 4))));
  }
  return out;
}

double BinaryToNumber(std::u16string_view binary) {
  double sum = 0;
  const size_t n = binary.size();
  for (size_t pos = 0; pos < n; ++pos) {
    if (binary[n - 1 - pos] != u'1') continue;
    const double power = std::ldexp(1.0, static_cast<int>(pos < 2048 ? pos : 2048));
    if (std::isfinite(power) && std::isfinite(sum + power)) sum += power;
  }
  return sum;
}

std::u16string HexToBinaryGroups(std::u16string_view hex) {
  const std::u16string trimmed = Trim(hex);
  std::u16string out;
  for (char16_t c : trimmed) {
    const int value = DigitValue(c, 16);
    if (value >= 0) out += kHexBits[value];
  }
  return out;
}

std::u16string NumberToBinary(double x) {
  if (!std::isfinite(x)) return std::u16string();
  const bool negative = x < 0;
  const double rest_start = std::fabs(x);
  int k = 1;
  while (!(rest_start < std::ldexp(1.0, k))) ++k;  // ldexp reaches infinity at 1024
  std::u16string out = negative ? u"-" : u"";
  double rest = rest_start;
  for (int j = k; j >= 1; --j) {
    const double power = std::ldexp(1.0, j - 1);
    if (rest < power) {
      out += u'0';
    } else {
      rest -= power;
      out += u'1';
    }
  }
  return out;
}

std::u16string IntegerToDigits(int32_t value, int base) {
  std::u16string out;
  while (value > 0) {
    out.insert(out.begin(), UpperHexDigit(static_cast<unsigned>(value % base)));
    value /= base;
  }
  return out;
}

int32_t BinaryToInteger(std::u16string_view binary) {
  int64_t value = 0;
  for (char16_t c : binary) {
    const int digit = c >= u'0' && c <= u'9' ? c - u'0' : 0;
    value = value * 2 + digit;
    if (value > INT32_MAX) RaiseOverflow();
  }
  return static_cast<int32_t>(value);
}

int32_t DigitsToInteger(std::u16string_view digits, int base) {
  const int bits = BitsPerDigit(base);
  const size_t n = digits.size();
  int64_t sum = 0;
  for (size_t pos = 0; pos < n; ++pos) {
    const int digit = DigitValue(digits[n - 1 - pos], base);
    if (digit <= 0) continue;
    if (pos * bits >= 32) RaiseOverflow();
    sum += int64_t{digit} << (pos * bits);
    if (sum > INT32_MAX) RaiseOverflow();
  }
  return static_cast<int32_t>(sum);
}

std::u16string DigitsToBinary(std::u16string_view digits, int base) {
  const std::u16string_view* table = BitTable(base);
  std::u16string out;
  for (char16_t c : digits) {
    const int value = DigitValue(c, base);
    if (value >= 0) out += table[value];
  }
  return StripLeadingZeros(std::move(out));
}

std::u16string BinaryToDigits(std::u16string_view binary, int base) {
  const size_t group = static_cast<size_t>(BitsPerDigit(base));
  const std::u16string_view* table = BitTable(base);
  std::u16string padded((group - binary.size() % group) % group, u'0');
  padded += binary;
  std::u16string out;
  for (size_t i = 0; i < padded.size(); i += group) {
    const std::u16string_view piece = std::u16string_view(padded).substr(i, group);
    for (int value = 0; value < base; ++value) {
      if (table[value] == piece) {
        out += UpperHexDigit(static_cast<unsigned>(value));
        break;
      }
    }
  }
  return StripLeadingZeros(std::move(out));
}

}  // namespace zorvadel::text
