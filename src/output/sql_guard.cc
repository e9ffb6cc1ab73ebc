#include "output/sql_guard.h"

#include <bitset>
#include <utility>

#include "zorvadel/runtime.h"

namespace zorvadel::output {

namespace {

// LCase in place for the ASCII text that query strings and hosts nearly
// always are; LCase maps unit by unit, so handing it the rest is the same.
void LowerInPlace(std::u16string& text) {
  for (char16_t& c : text) {
    if (c >= 0x80) {
      text = LCase(text);
      return;
    }
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
}

}  // namespace

std::u16string GuardHaystack(std::u16string_view query_string, std::u16string_view host) {
  std::u16string haystack;
  haystack.reserve(query_string.size() + host.size());
  haystack.append(query_string).append(host);
  LowerInPlace(haystack);
  return haystack;
}

std::u16string GuardHaystack(std::u16string&& query_string, std::u16string&& host) {
  // Most requests have no query string: the host's copy is the haystack.
  std::u16string haystack = query_string.empty() ? std::move(host)
                                                 : std::move(query_string.append(host));
  LowerInPlace(haystack);
  return haystack;
}

int32_t CountGuardWords(std::u16string_view words, std::u16string_view haystack) {
  // An empty haystack cannot hold even the empty word, so a request without
  // query string and host is never a hit.
  if (words.empty() || haystack.empty()) return 0;
  // Every page header runs the guard: a word whose first character is ASCII
  // and not in the haystack at all is passed over without a search.
  std::bitset<128> present;
  for (char16_t c : haystack) {
    if (c < 128) present.set(c);
  }
  int32_t found = 0;
  size_t start = 0;
  while (true) {
    size_t bar = words.find(u'|', start);
    std::u16string_view word = words.substr(
        start, bar == std::u16string_view::npos ? std::u16string_view::npos : bar - start);
    const bool absent = !word.empty() && word.front() < 128 && !present.test(word.front());
    if (!absent && haystack.find(word) != std::u16string_view::npos) ++found;
    if (bar == std::u16string_view::npos) break;
    start = bar + 1;
  }
  return found;
}

}  // namespace zorvadel::output
