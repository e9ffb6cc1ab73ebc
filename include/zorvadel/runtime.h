// The scripting runtime's semantics that the library's members rely on:
// VB coercions, the general numeric test, dates, random numbers and the
// string helpers, all on UTF-16 text. Every function raises ScriptError where
// the runtime would (13 type mismatch, 6 overflow, 5 invalid argument,
// 94 invalid use of Null).
#ifndef ZORVADEL_RUNTIME_H_
#define ZORVADEL_RUNTIME_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zorvadel/variant.h"

namespace zorvadel {

// ---- Coercions -----------------------------------------------------------

// Text form: Booleans "True"/"False", Empty "", numbers as the runtime prints
// them (a Double with up to 15 significant digits, "1E+20", "1.5E-05"; a
// LongLong with all its digits; a Decimal with all its digits and its
// fraction's trailing zeros dropped, never an exponent), dates in the
// server's short form "yyyy-M-d H:mm:ss" (time or date left out when zero).
// Null raises 94, an object raises 13.
std::u16string CStr(const Variant& v);
// Round half to even; out of range raises 6; text that is not numeric 13.
// LongLong and Decimal values round exactly, not through a Double.
int16_t CInt(const Variant& v);
int32_t CLng(const Variant& v);
double CDbl(const Variant& v);
// Decimal text keeps every digit (up to 29, a scale of at most 28; finer
// digits are rounded off half to even); a Double gives its 15 significant
// digits; beyond the Decimal range raises 6.
DecimalValue CDec(const Variant& v);
// Numbers: non-zero is True; texts "True"/"False" (any case) or numeric.
bool CBool(const Variant& v);
// Empty gives 1899-12-30 00:00:00 (serial 0); texts go through ParseDate.
double CDateSerial(const Variant& v);

// Banker's rounding as CInt and CLng do it.
double RoundHalfEven(double x);

// The general numeric test: decimal digits with optional sign, point and
// exponent, blanks around, or "&H" followed by hex digits ("&O" octal too).
// Empty text is not numeric.
bool IsNumeric(std::u16string_view text);
bool IsNumeric(const Variant& v);
// Parses what IsNumeric accepts; false when it is not numeric.
bool ParseNumber(std::u16string_view text, double* out);

// The runtime's comparison of two values: -1, 0 or 1. Numbers of every
// subtype (and Empty, Booleans and dates among them) compare by their
// exact values, so a LongLong or a Decimal is never rounded to a Double
// first; two texts compare by code units; a number is less than a text,
// and Empty against a text is "". Null raises 94, an object 13.
int Compare(const Variant& a, const Variant& b);

// ---- Dates ---------------------------------------------------------------

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// Serial number of a date (days since 1899-12-30; the time as the fraction,
// counted forward from midnight even before that day: -1.25 is 1899-12-29
// 06:00). Months, days and times outside their range carry over
// (2021-13-1 is 2022-1-1); the year is taken as it is. A date outside the
// years 100-9999 raises 5.
double DateSerial(const DateParts& parts);
// The parts of a serial, rounded to the nearest second. Serials outside the
// years 100-9999 are clamped to that range.
DateParts SplitDate(double serial);
// Date texts: "Y-M-D" or "Y/M/D" with one- or two-digit month and day,
// optionally followed by blanks and "H:M" or "H:M:S"; a bare "H:M[:S]" is a
// time of 1899-12-30. The year has four digits or two (00-29 are 2000-2029,
// 30-99 are 1930-1999). Impossible dates (2021-2-30, month 13, hour 24)
// fail. Blanks around are allowed.
bool ParseDate(std::u16string_view text, double* serial);
bool IsDate(const Variant& v);
// Week day with Sunday = 1 (vbSunday) unless `first_day` says otherwise:
// Weekday(d, 2) counts Monday as 1; 0 is the system's first day (Sunday),
// anything outside 0-7 raises 5.
int Weekday(double serial, int first_day = 1);
// Current local date and time, today's date (no time part).
double Now();
double Today();

// ---- Random numbers --------------------------------------------------------

// Randomize with a seed; without one, from the clock. The same seed always
// gives the same sequence (the runtime needs Rnd(-1) first for that).
void Randomize();
void Randomize(double seed);
// Next value in [0, 1), as a single-precision number. The generator is seeded
// once per process from the clock on first use.
float Rnd();

// ---- Strings ---------------------------------------------------------------
// Positions are 1-based like the runtime's; 0 means not found.

enum class CompareMode { kBinary = 0, kText = 1 };

// InStr(start, haystack, needle): an empty needle gives `start` (when start
// does not exceed the length + 1); start < 1 raises 5.
int32_t InStr(int32_t start, std::u16string_view haystack, std::u16string_view needle,
              CompareMode mode = CompareMode::kBinary);
int32_t InStr(std::u16string_view haystack, std::u16string_view needle,
              CompareMode mode = CompareMode::kBinary);
// InStrRev(haystack, needle, start = -1 meaning the end).
int32_t InStrRev(std::u16string_view haystack, std::u16string_view needle, int32_t start = -1,
                 CompareMode mode = CompareMode::kBinary);
// Mid(text, start, length = -1 meaning the rest); start < 1 or length < -1
// raises 5.
std::u16string Mid(std::u16string_view text, int32_t start, int32_t length = -1);
std::u16string Left(std::u16string_view text, int32_t length);
std::u16string Right(std::u16string_view text, int32_t length);
// Replace(text, find, with, start = 1, count = -1): the result starts at
// `start` (the runtime drops what lies before it); an empty `find` returns the
// text from `start` unchanged; occurrences do not overlap.
std::u16string Replace(std::u16string_view text, std::u16string_view find,
                       std::u16string_view with, int32_t start = 1, int32_t count = -1,
                       CompareMode mode = CompareMode::kBinary);
// Split(text, delimiter, limit = -1): an empty text gives no pieces, an empty
// delimiter one piece, the whole text; with a limit the last piece holds the
// rest.
std::vector<std::u16string> Split(std::u16string_view text, std::u16string_view delimiter = u" ",
                                  int32_t limit = -1, CompareMode mode = CompareMode::kBinary);
std::u16string Join(const std::vector<std::u16string>& pieces, std::u16string_view delimiter);
// Letter case of the ASCII and the other cased letters of the BMP (simple
// one-to-one mappings; none maps a non-ASCII letter to an ASCII one).
std::u16string LCase(std::u16string_view text);
std::u16string UCase(std::u16string_view text);
// Trim only blanks (U+0020), as the runtime does.
std::u16string Trim(std::u16string_view text);
std::u16string LTrim(std::u16string_view text);
std::u16string RTrim(std::u16string_view text);
// Hex(n): upper-case hexadecimal without leading zeros (negative Longs in
// two's complement, as the runtime prints them).
std::u16string Hex(int32_t n);

// ---- Error suppression -------------------------------------------------------

// Runs one step of a member with errors suppressed: a ScriptError raised
// inside is swallowed and the member goes on. Returns whether the step ran
// to its end.
template <typename F>
bool Step(F&& step) {
  try {
    std::forward<F>(step)();
    return true;
  } catch (const ScriptError&) {
    return false;
  }
}

}  // namespace zorvadel

#endif  // ZORVADEL_RUNTIME_H_
