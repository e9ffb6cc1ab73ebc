#include "output/sql_guard.h"

#include <bitset>

#include "zorvadel/runtime.h"

namespace zorvadel::output {

std::u16string GuardHaystack(std::u16string_view query_string, std::u16string_view host) {
  return LCase(query_string) + LCase(host);
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
