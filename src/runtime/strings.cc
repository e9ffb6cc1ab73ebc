// The runtime's string functions on UTF-16 text: 1-based positions counted
// in code units, 0 for "not found", error 5 for arguments the runtime
// refuses. A text-mode comparison folds both sides with LCase, which keeps
// every position where it was.
#include <algorithm>
#include <string>
#include <vector>

#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

[[noreturn]] void RaiseInvalid() { throw ScriptError(kErrInvalidArgument); }

// Both texts folded for a text-mode comparison, or left as they are.
struct Folded {
  Folded(std::u16string_view a, std::u16string_view b, CompareMode mode) {
    if (mode == CompareMode::kText) {
      a_store = LCase(a);
      b_store = LCase(b);
      text = a_store;
      pattern = b_store;
    } else {
      text = a;
      pattern = b;
    }
  }
  std::u16string a_store, b_store;
  std::u16string_view text, pattern;
};

}  // namespace

int32_t InStr(int32_t start, std::u16string_view haystack, std::u16string_view needle,
              CompareMode mode) {
  if (start < 1) RaiseInvalid();
  if (static_cast<size_t>(start) > haystack.size() + 1) return 0;
  if (needle.empty()) return start;
  Folded f(haystack, needle, mode);
  size_t pos = f.text.find(f.pattern, static_cast<size_t>(start) - 1);
  return pos == std::u16string_view::npos ? 0 : static_cast<int32_t>(pos) + 1;
}

int32_t InStr(std::u16string_view haystack, std::u16string_view needle, CompareMode mode) {
  return InStr(1, haystack, needle, mode);
}

int32_t InStrRev(std::u16string_view haystack, std::u16string_view needle, int32_t start,
                 CompareMode mode) {
  if (start == 0 || start < -1) RaiseInvalid();
  size_t end = start == -1 ? haystack.size() : static_cast<size_t>(start);
  if (end > haystack.size()) return 0;
  if (needle.empty()) return static_cast<int32_t>(end);
  if (needle.size() > end) return 0;
  Folded f(haystack, needle, mode);
  // The match must end at or before position `end`.
  size_t pos = f.text.rfind(f.pattern, end - needle.size());
  return pos == std::u16string_view::npos ? 0 : static_cast<int32_t>(pos) + 1;
}

std::u16string Mid(std::u16string_view text, int32_t start, int32_t length) {
  if (start < 1 || length < -1) RaiseInvalid();
  if (static_cast<size_t>(start) > text.size()) return u"";
  size_t count = length == -1 ? std::u16string_view::npos : static_cast<size_t>(length);
  return std::u16string(text.substr(static_cast<size_t>(start) - 1, count));
}

std::u16string Left(std::u16string_view text, int32_t length) {
  if (length < 0) RaiseInvalid();
  return std::u16string(text.substr(0, static_cast<size_t>(length)));
}

std::u16string Right(std::u16string_view text, int32_t length) {
  if (length < 0) RaiseInvalid();
  size_t n = std::min(text.size(), static_cast<size_t>(length));
  return std::u16string(text.substr(text.size() - n));
}

std::u16string Replace(std::u16string_view text, std::u16string_view find,
                       std::u16string_view with, int32_t start, int32_t count,
                       CompareMode mode) {
  if (start < 1 || count < -1) RaiseInvalid();
  if (static_cast<size_t>(start) > text.size()) return u"";
  std::u16string_view rest = text.substr(static_cast<size_t>(start) - 1);
  if (find.empty() || count == 0) return std::u16string(rest);
  Folded f(rest, find, mode);
  std::u16string out;
  out.reserve(rest.size());
  size_t from = 0;
  for (int32_t done = 0; count == -1 || done < count; ++done) {
    size_t pos = f.text.find(f.pattern, from);
    if (pos == std::u16string_view::npos) break;
    out.append(rest.substr(from, pos - from));
    out.append(with);
    from = pos + find.size();
  }
  out.append(rest.substr(from));
  return out;
}

std::vector<std::u16string> Split(std::u16string_view text, std::u16string_view delimiter,
                                  int32_t limit, CompareMode mode) {
  if (limit < -1) RaiseInvalid();
  std::vector<std::u16string> pieces;
  if (text.empty() || limit == 0) return pieces;
  if (delimiter.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  Folded f(text, delimiter, mode);
  size_t from = 0;
  while (limit == -1 || pieces.size() + 1 < static_cast<size_t>(limit)) {
    size_t pos = f.text.find(f.pattern, from);
    if (pos == std::u16string_view::npos) break;
    pieces.emplace_back(text.substr(from, pos - from));
    from = pos + delimiter.size();
  }
  pieces.emplace_back(text.substr(from));
  return pieces;
}

std::u16string Join(const std::vector<std::u16string>& pieces, std::u16string_view delimiter) {
  std::u16string out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) out.append(delimiter);
    out.append(pieces[i]);
  }
  return out;
}

std::u16string LTrim(std::u16string_view text) {
  size_t b = text.find_first_not_of(u' ');
  return b == std::u16string_view::npos ? u"" : std::u16string(text.substr(b));
}

std::u16string RTrim(std::u16string_view text) {
  size_t e = text.find_last_not_of(u' ');
  return e == std::u16string_view::npos ? u"" : std::u16string(text.substr(0, e + 1));
}

std::u16string Trim(std::u16string_view text) {
  size_t b = text.find_first_not_of(u' ');
  if (b == std::u16string_view::npos) return u"";
  size_t e = text.find_last_not_of(u' ');
  return std::u16string(text.substr(b, e - b + 1));
}

}  // namespace zorvadel
