// The text-only steps of the output filter before its escaping pass.
#include "output/output_filter.h"

#include <bitset>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvadel::output {
namespace {

constexpr std::u16string_view kComplex = u"complex";
constexpr std::u16string_view kSimple = u"simple";
constexpr std::u16string_view kGb2312 = u"gb2312";
constexpr size_t kNone = std::u16string_view::npos;

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

// `text` equals `lower` (all lower-case ASCII) ignoring ASCII letter case.
// The runtime's LCase maps no other letter onto an ASCII one, so this is
// LCase(text) == lower without building the lower-cased copy.
bool EqualsLowered(std::u16string_view text, std::u16string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (AsciiLower(text[i]) != lower[i]) return false;
  }
  return true;
}

}  // namespace

ChineseForm ChineseFormOf(std::u16string_view chinese_type) {
  size_t b = 0, e = chinese_type.size();
  while (b < e && chinese_type[b] == u' ') ++b;
  while (e > b && chinese_type[e - 1] == u' ') --e;
  const std::u16string_view word = chinese_type.substr(b, e - b);
  if (EqualsLowered(word, kComplex)) return ChineseForm::kTraditional;
  if (EqualsLowered(word, kSimple)) return ChineseForm::kSimplified;
  return ChineseForm::kUnchanged;
}

bool IsGb2312Coding(std::u16string_view wap_en_coding) {
  return EqualsLowered(wap_en_coding, kGb2312);
}

void ReplaceStopWords(std::u16string_view stop_words, std::u16string_view pass_words,
                      std::u16string* text) {
  std::vector<std::u16string_view> words;
  for (size_t start = 0;;) {
    const size_t bar = stop_words.find(u'|', start);
    const std::u16string_view word = stop_words.substr(start, bar == kNone ? kNone : bar - start);
    if (!word.empty()) words.push_back(word);
    if (bar == kNone) break;
    start = bar + 1;
  }
  if (words.empty()) return;
  // The units a word can start with: the pass skips every other one in bulk.
  std::bitset<65536> starts;
  for (const std::u16string_view word : words) starts.set(word[0]);
  // One pass over the text as it came in: pass text that a word put in is
  // never searched again, so the output is bounded by the input.
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

}  // namespace zorvadel::output
