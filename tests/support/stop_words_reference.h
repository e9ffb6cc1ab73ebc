// The stop-word pass as it was before the word lists became one automaton:
// at each position every word is tried in list order. Kept as the reference
// that the tests compare the pass with and the benchmark measures it beside.
#ifndef ZORVADEL_TESTS_SUPPORT_STOP_WORDS_REFERENCE_H_
#define ZORVADEL_TESTS_SUPPORT_STOP_WORDS_REFERENCE_H_

#include <bitset>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvadel::test {

inline void ReplaceWordByWord(std::u16string_view stop_words, std::u16string_view pass_words,
                              std::u16string* text) {
  constexpr size_t kNone = std::u16string_view::npos;
  std::vector<std::u16string_view> words;
  for (size_t start = 0;;) {
    const size_t bar = stop_words.find(u'|', start);
    const std::u16string_view word = stop_words.substr(start, bar == kNone ? kNone : bar - start);
    if (!word.empty()) words.push_back(word);
    if (bar == kNone) break;
    start = bar + 1;
  }
  if (words.empty()) return;
  std::bitset<65536> starts;
  for (const std::u16string_view word : words) starts.set(word[0]);
  const std::u16string_view in = *text;
  std::u16string out;
  out.reserve(in.size());
  bool changed = false;
  for (size_t at = 0; at < in.size();) {
    if (!starts.test(in[at])) {
      const size_t from = at;
      while (at < in.size() && !starts.test(in[at])) ++at;
      out.append(in, from, at - from);
      continue;
    }
    const std::u16string_view rest = in.substr(at);
    size_t matched = 0;
    for (const std::u16string_view word : words) {
      if (rest.starts_with(word)) {
        matched = word.size();
        break;
      }
    }
    if (matched == 0) {
      out.push_back(in[at++]);
      continue;
    }
    out.append(pass_words);
    at += matched;
    changed = true;
  }
  if (changed) *text = std::move(out);
}

}  // namespace zorvadel::test

#endif  // ZORVADEL_TESTS_SUPPORT_STOP_WORDS_REFERENCE_H_
