// The text-only steps of the output filter before its escaping pass.
#include "output/output_filter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/word_list.h"

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
  if (text->empty() || stop_words.find_first_not_of(u'|') == kNone) return;
  const std::shared_ptr<const text::WordList> words = text::CachedWordList(stop_words);
  // Which word, if any, the pass would take at each position, found for all
  // positions at once; the pass then only follows them. It goes over the
  // text as it came in, so pass text that a word put in is never searched
  // again and the output is bounded by the input.
  std::vector<uint32_t> first;
  words->FirstWordAt(*text, &first);
  const std::u16string_view in = *text;
  std::u16string out;
  out.reserve(in.size());
  bool changed = false;
  for (size_t at = 0; at < in.size();) {
    const uint32_t word = first[at];
    if (word == text::WordList::kNoWord) {
      const size_t from = at;
      while (at < in.size() && first[at] == text::WordList::kNoWord) ++at;
      if (from == 0 && at == in.size()) return;
      out.append(in, from, at - from);
      continue;
    }
    out.append(pass_words);
    at += words->word(word).size();
    changed = true;
  }
  if (changed) *text = std::move(out);
}

}  // namespace zorvadel::output
