// Dates as the runtime keeps them: a Double counting days from 1899-12-30,
// the time of day as the fraction. Before that day the serial is negative
// but its fraction still counts forward from midnight (-1.25 is 1899-12-29
// 06:00), so the day and the time are split apart rather than floored.
#include <cmath>
#include <cstdint>
#include <ctime>
#include <mutex>

#include "runtime/dates.h"
#include "runtime/runtime_internal.h"
#include "zorvadel/runtime.h"

namespace zorvadel {

using namespace runtime_detail;

namespace {

constexpr int64_t kSecondsPerDay = 86400;

constexpr int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's method).
constexpr int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, DateParts* p) {
  z += 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  p->year = static_cast<int>(yoe + era * 400 + (m <= 2));
  p->month = static_cast<int>(m);
  p->day = static_cast<int>(d);
}

// Constant-initialised, so that a date made while other files' statics are
// still being set up does not see zero here.
constexpr int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

double Encode(int64_t day, int64_t seconds) {
  double time = static_cast<double>(seconds) / kSecondsPerDay;
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

// A small cursor over the date text.
class Scanner {
 public:
  explicit Scanner(std::u16string_view s) : s_(s) {}
  bool AtEnd() const { return i_ == s_.size(); }
  char16_t Peek() const { return AtEnd() ? u'\0' : s_[i_]; }
  bool Take(char16_t c) {
    if (Peek() != c) return false;
    ++i_;
    return true;
  }
  int SkipBlanks() {
    int n = 0;
    while (Peek() == u' ' || Peek() == u'\t') ++i_, ++n;
    return n;
  }
  // 1..max_digits decimal digits; returns the digit count (0 if none).
  int Number(int max_digits, int* value) {
    int n = 0;
    *value = 0;
    while (n < max_digits && Peek() >= u'0' && Peek() <= u'9') {
      *value = *value * 10 + (s_[i_++] - u'0');
      ++n;
    }
    if (Peek() >= u'0' && Peek() <= u'9') return 0;  // too many digits
    return n;
  }

 private:
  std::u16string_view s_;
  size_t i_ = 0;
};

bool ScanTime(Scanner* in, int64_t* seconds) {
  int h = 0, m = 0, s = 0;
  if (in->Number(2, &h) == 0 || !in->Take(u':') || in->Number(2, &m) == 0) return false;
  if (in->Take(u':') && in->Number(2, &s) == 0) return false;
  if (h > 23 || m > 59 || s > 59) return false;
  *seconds = h * 3600 + m * 60 + s;
  return true;
}

bool ScanDate(Scanner* in, int64_t* day) {
  int y = 0, m = 0, d = 0;
  int year_digits = in->Number(4, &y);
  if (year_digits != 2 && year_digits != 4) return false;
  char16_t sep = in->Peek();
  if (sep != u'-' && sep != u'/') return false;
  in->Take(sep);
  if (in->Number(2, &m) == 0 || !in->Take(sep) || in->Number(2, &d) == 0) return false;
  // Two-digit years fall in the window 1930-2029.
  if (year_digits == 2) y += y < 30 ? 2000 : 1900;
  if (y < 100 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  *day = DaysFromCivil(y, m, d) - kEpochDays;
  return true;
}

}  // namespace

double DateSerial(const DateParts& parts) {
  // Months and days outside their range carry over, as DateSerial(2021, 13, 1)
  // is 2022-01-01; years are taken as they are.
  int64_t month0 = static_cast<int64_t>(parts.month) - 1;
  int64_t year = parts.year + FloorDiv(month0, 12);
  month0 -= FloorDiv(month0, 12) * 12;
  int64_t day = DaysFromCivil(year, month0 + 1, 1) - kEpochDays + parts.day - 1;
  int64_t total = day * kSecondsPerDay + int64_t{parts.hour} * 3600 +
                  int64_t{parts.minute} * 60 + parts.second;
  int64_t d = FloorDiv(total, kSecondsPerDay);
  if (d < kMinDateSerial || d > kMaxDateSerial) throw ScriptError(kErrInvalidArgument);
  return Encode(d, total - d * kSecondsPerDay);
}

DateParts SplitDate(double serial) {
  if (std::isnan(serial)) serial = 0.0;
  if (serial < kMinDateSerial - 0.99999) serial = kMinDateSerial;
  if (serial > kMaxDateSerial) serial = kMaxDateSerial;
  double whole = std::trunc(serial);
  auto day = static_cast<int64_t>(whole);
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(serial - whole) * kSecondsPerDay));
  if (seconds >= kSecondsPerDay) {  // rounded up to the next midnight
    seconds -= kSecondsPerDay;
    day += 1;
  }
  DateParts p;
  CivilFromDays(day + kEpochDays, &p);
  p.hour = static_cast<int>(seconds / 3600);
  p.minute = static_cast<int>(seconds / 60 % 60);
  p.second = static_cast<int>(seconds % 60);
  return p;
}

bool ParseDate(std::u16string_view text, double* serial) {
  Scanner in(text);
  in.SkipBlanks();
  int64_t day = 0, seconds = 0;
  Scanner time_only = in;
  if (ScanTime(&time_only, &seconds)) {
    in = time_only;
  } else {
    if (!ScanDate(&in, &day)) return false;
    if (in.SkipBlanks() > 0 && !in.AtEnd() && !ScanTime(&in, &seconds)) return false;
  }
  in.SkipBlanks();
  if (!in.AtEnd()) return false;
  *serial = Encode(day, seconds);
  return true;
}

bool IsDate(const Variant& v) {
  double ignored = 0.0;
  if (v.type() == VarType::kDate) return true;
  return v.IsString() && ParseDate(v.string(), &ignored);
}

double CDateSerial(const Variant& v) {
  switch (v.type()) {
    case VarType::kDate:
      return v.date();
    case VarType::kString: {
      double serial = 0.0;
      if (!ParseDate(v.string(), &serial)) throw ScriptError(kErrTypeMismatch);
      return serial;
    }
    default: {
      double serial = ToDouble(v);  // raises 94 for Null, 13 for objects
      if (!(serial >= kMinDateSerial - 0.99999 && serial <= kMaxDateSerial)) {
        throw ScriptError(kErrOverflow);
      }
      return serial;
    }
  }
}

int Weekday(double serial, int first_day) {
  if (first_day < 0 || first_day > 7) throw ScriptError(kErrInvalidArgument);
  if (first_day == 0) first_day = 1;  // the system's first day: Sunday
  DateParts p = SplitDate(serial);
  int64_t day = DaysFromCivil(p.year, p.month, p.day);
  // 1970-01-01 was a Thursday: index 4 with Sunday as 0.
  int64_t sunday_based = ((day + 4) % 7 + 7) % 7;
  return static_cast<int>(((sunday_based - (first_day - 1)) % 7 + 7) % 7) + 1;
}

namespace {

// The serial of `t` in local time.
double LocalSerial(std::time_t t) {
  // The local time of a minute is asked of the C library once per thread:
  // std::localtime shares one buffer (hence the lock) and takes the C
  // library's own time-zone lock, which every page start would otherwise
  // contend for. Offsets from UTC change only on whole minutes.
  struct MinuteCache {
    std::time_t minute = -1;
    DateParts parts;  // of the minute's first second
  };
  thread_local MinuteCache cache;
  static std::mutex mutex;
  const std::time_t minute = t - ((t % 60) + 60) % 60;
  if (minute != cache.minute) {
    DateParts p;
    {
      std::lock_guard<std::mutex> lock(mutex);
      const std::tm* tm = std::localtime(&minute);
      if (tm == nullptr) return 0.0;
      p.year = tm->tm_year + 1900;
      p.month = tm->tm_mon + 1;
      p.day = tm->tm_mday;
      p.hour = tm->tm_hour;
      p.minute = tm->tm_min;
    }
    cache.minute = minute;
    cache.parts = p;
  }
  DateParts now = cache.parts;
  now.second = static_cast<int>(t - minute);
  return DateSerial(now);
}

}  // namespace

double Now() { return LocalSerial(std::time(nullptr)); }

const std::u16string& NowText() {
  struct SecondText {
    std::time_t second = -1;
    std::u16string text;
  };
  thread_local SecondText cache;
  const std::time_t t = std::time(nullptr);
  if (t != cache.second) {
    // Taken from the same second, so the text is exactly CStr(Now()) then.
    cache.text = CStr(Variant::Date(LocalSerial(t)));
    cache.second = t;
  }
  return cache.text;
}

double Today() { return std::trunc(Now()); }

}  // namespace zorvadel
