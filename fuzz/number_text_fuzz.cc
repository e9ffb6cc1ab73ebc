// The reading of numbers in text, as Double and as Decimal. The input is
// read as UTF-8 and as UTF-16LE units. A Double read is the C library's
// correctly rounded reading of the same text; a Decimal read holds at most
// 28 places, prints back to itself, and stands within its rounding of the
// Double read; the two agree on which texts are numbers.
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "platform/codepage/codepage.h"
#include "runtime/decimal.h"
#include "runtime/runtime_internal.h"

namespace {

namespace rd = zorvadel::runtime_detail;
using rd::NumberParse;

// The largest magnitude a Decimal holds, 2^96 - 1, as a Double.
constexpr double kDecimalMost = 79228162514264337593543950335.0;

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return text;
}

bool IsAscii(std::u16string_view text) {
  for (const char16_t c : text) {
    if (c == 0 || c >= 0x80) return false;
  }
  return true;
}

// "&H" and "&O" forms: a value that fits 16 bits is a 16-bit two's
// complement number, one that fits 32 bits a 32-bit one, and a longer one
// no number.
void CheckRadix(std::u16string_view bare, NumberParse parse, double value) {
  const char16_t letter = bare[1];
  const int radix = (letter == u'H' || letter == u'h')   ? 16
                    : (letter == u'O' || letter == u'o') ? 8
                                                         : 0;
  const std::u16string_view body = bare.substr(2);
  uint64_t reference = 0;
  bool number = radix != 0 && !body.empty();
  for (size_t i = 0; number && i < body.size(); ++i) {
    const char16_t c = body[i];
    int digit = 99;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    if (digit >= radix) number = false;
    reference = reference * radix + digit;
    if (reference > 0xFFFFFFFFu) number = false;
  }
  ZORVADEL_FUZZ_CHECK((parse == NumberParse::kOk) == number);
  if (!number) return;
  const double expected = reference <= 0xFFFF ? static_cast<int16_t>(reference)
                                              : static_cast<int32_t>(reference);
  ZORVADEL_FUZZ_CHECK(value == expected);
}

void CheckText(std::u16string_view text) {
  double value = 0.0;
  const NumberParse as_double = rd::ParseNumberText(text, &value);
  zorvadel::DecimalValue decimal;
  const NumberParse as_decimal = rd::ParseDecimalText(text, &decimal);
  const std::u16string_view bare = Trimmed(text);
  const bool radix_form = bare.size() >= 2 && bare[0] == u'&';

  if (as_double == NumberParse::kOk) ZORVADEL_FUZZ_CHECK(std::isfinite(value));
  if (radix_form) {
    ZORVADEL_FUZZ_CHECK(as_decimal == NumberParse::kNotNumeric);
    CheckRadix(bare, as_double, value);
    return;
  }
  // The same texts are numbers either way.
  ZORVADEL_FUZZ_CHECK((as_double == NumberParse::kNotNumeric) ==
                      (as_decimal == NumberParse::kNotNumeric));

  // The C library reads a decimal form the same way, rounding correctly.
  if (as_double == NumberParse::kOk && IsAscii(bare)) {
    const std::string narrow(bare.begin(), bare.end());
    char* end = nullptr;
    errno = 0;
    const double reference = std::strtod(narrow.c_str(), &end);
    ZORVADEL_FUZZ_CHECK(end == narrow.c_str() + narrow.size());
    // Below the normal range the library may keep a subnormal where the
    // text reads as zero.
    ZORVADEL_FUZZ_CHECK(value == reference || (value == 0.0 && std::fabs(reference) < DBL_MIN));
  }

  if (as_decimal == NumberParse::kOk) {
    ZORVADEL_FUZZ_CHECK(decimal.scale <= rd::kMaxDecimalScale);
    ZORVADEL_FUZZ_CHECK(!decimal.negative || rd::Magnitude(decimal) != 0);
    // Printed and read again, the same number.
    const std::u16string printed = rd::DecimalToText(decimal);
    zorvadel::DecimalValue again;
    ZORVADEL_FUZZ_CHECK(rd::ParseDecimalText(printed, &again) == NumberParse::kOk);
    ZORVADEL_FUZZ_CHECK(rd::DecimalToText(again) == printed);
    // A Decimal's range lies well inside a Double's; the Decimal is
    // rounded to 28 places, or to 29 significant digits.
    ZORVADEL_FUZZ_CHECK(as_double == NumberParse::kOk);
    const double near = rd::DecimalToDouble(decimal);
    ZORVADEL_FUZZ_CHECK(std::fabs(near - value) <= std::fabs(value) * 1e-15 + 1e-28);
  } else if (as_decimal == NumberParse::kOverflow && as_double == NumberParse::kOk) {
    ZORVADEL_FUZZ_CHECK(std::fabs(value) >= kDecimalMost * (1 - 1e-15));
  }
  if (as_double == NumberParse::kOverflow) {
    ZORVADEL_FUZZ_CHECK(as_decimal == NumberParse::kOverflow);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckText(zorvadel::codepage::FromUtf8(bytes));
  CheckText(zorvadel::fuzz::Utf16Le(bytes));
  return 0;
}
