#include "output/sql_guard.h"

#include <bitset>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

const std::u16string& GuardHaystackIn(std::u16string& query_string, std::u16string& host) {
  // Most requests have no query string: the host's text is the haystack.
  std::u16string& haystack = query_string.empty() ? host : query_string.append(host);
  LowerInPlace(haystack);
  return haystack;
}

namespace {

// A word list split at "|": each word's place in the list, and the ASCII
// characters that words begin with.
struct SplitList {
  std::u16string text;
  std::vector<std::pair<size_t, size_t>> words;  // start, length
  std::bitset<128> ascii_firsts;
  bool other_firsts = false;  // an empty word, or one that begins beyond ASCII
};

void Split(std::u16string_view words, SplitList& out) {
  out.text.assign(words);
  out.words.clear();
  out.ascii_firsts.reset();
  out.other_firsts = false;
  size_t start = 0;
  while (true) {
    size_t bar = words.find(u'|', start);
    size_t end = bar == std::u16string_view::npos ? words.size() : bar;
    out.words.emplace_back(start, end - start);
    if (end > start && words[start] < 128) {
      out.ascii_firsts.set(words[start]);
    } else {
      out.other_firsts = true;
    }
    if (bar == std::u16string_view::npos) break;
    start = bar + 1;
  }
}

// The split of the list last searched on this thread: every page header
// runs the guard with the class's list, which a page seldom changes, and
// splitting it again each time cost more than the search. A list too long
// to keep is split into `scratch`.
const SplitList& SplitOnce(std::u16string_view words, SplitList& scratch) {
  constexpr size_t kLongestKept = 4096;
  if (words.size() > kLongestKept) {
    Split(words, scratch);
    return scratch;
  }
  thread_local SplitList last;
  thread_local bool valid = false;
  // Compared as bytes: the list is long, and this runs on every page.
  if (valid && last.text.size() == words.size() &&
      std::memcmp(last.text.data(), words.data(), words.size() * sizeof(char16_t)) == 0) {
    return last;
  }
  valid = false;
  Split(words, last);
  valid = true;
  return last;
}

}  // namespace

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
  SplitList scratch;
  const SplitList& list = SplitOnce(words, scratch);
  // The usual request holds no word's first character at all.
  if (!list.other_firsts && (list.ascii_firsts & present).none()) return 0;
  const std::u16string_view text = list.text;
  int32_t found = 0;
  for (const auto& [start, length] : list.words) {
    const std::u16string_view word = text.substr(start, length);
    const bool absent = !word.empty() && word.front() < 128 && !present.test(word.front());
    if (!absent && haystack.find(word) != std::u16string_view::npos) ++found;
  }
  return found;
}

}  // namespace zorvadel::output
