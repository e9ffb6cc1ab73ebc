// The text-only steps of the output filter before its escaping pass.
#include "output/output_filter.h"

#include <algorithm>
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
  // A text that holds no word's first unit keeps its text, found sooner
  // than by the full pass.
  if (std::none_of(text->begin(), text->end(), [&](char16_t c) { return words->Begins(c); })) {
    return;
  }
  // Which word, if any, the pass would take at each position, found for all
  // positions at once; the pass then only follows them. It goes over the
  // text as it came in, so pass text that a word put in is never searched
  // again and the output is bounded by the input. The positions' words go
  // to a buffer that the thread keeps, up to a size, as a page filters text
  // after text.
  constexpr size_t kKeptPositions = size_t{1} << 20;
  thread_local std::vector<uint32_t> kept;
  std::vector<uint32_t> own;
  std::vector<uint32_t>& first = text->size() <= kKeptPositions ? kept : own;
  words->FirstWordAt(*text, &first);
  const std::u16string_view in = *text;
  const uint32_t* word_at = first.data();
  std::u16string out;
  bool changed = false;
  for (size_t at = 0; at < in.size();) {
    if (word_at[at] == text::WordList::kNoWord) {
      const size_t from = at;
      while (at < in.size() && word_at[at] == text::WordList::kNoWord) ++at;
      if (from == 0 && at == in.size()) return;
      if (from == 0) out.reserve(in.size());
      out.append(in, from, at - from);
      continue;
    }
    if (at == 0) out.reserve(in.size());
    out.append(pass_words);
    at += words->word_size(word_at[at]);
    changed = true;
  }
  if (changed) *text = std::move(out);
}

}  // namespace zorvadel::output
