// The text-only steps of the output filter. Every page's titles, links and
// running text pass through here, so the hot loop copies runs of plain text
// in one piece and touches the per-unit path only for "&" and for units it
// escapes.
#include "frame/output_filter.h"

#include <string>
#include <string_view>

#include "langdata/pinyin.h"
#include "text/charset_refs.h"

namespace zorvadel::frame {
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

// Plain units are written as they are; "&" needs the keep rule.
bool IsPlain(char16_t c) { return c >= 32 && c <= 255 && c != u'&'; }

// NeedPinYin(c, 1) of one character: its reading and a blank when it has one
// that differs from the character, else the character itself.
void AppendReading(char16_t c, std::u16string* out) {
  char16_t scratch = 0;
  const std::u16string_view reading = langdata::ReadingOf(c, scratch);
  if (!reading.empty() && !(reading.size() == 1 && reading[0] == c)) {
    out->append(reading);
    out->push_back(u' ');
  } else {
    out->push_back(c);
  }
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
  size_t start = 0;
  while (true) {
    const size_t bar = stop_words.find(u'|', start);
    const std::u16string_view word = stop_words.substr(start, bar == kNone ? kNone : bar - start);
    if (!word.empty()) {
      const size_t at = text->find(word);
      if (at != std::u16string::npos) text->replace(at, word.size(), pass_words);
    }
    if (bar == kNone) break;
    start = bar + 1;
  }
}

std::u16string HexCharRef(char16_t unit) {
  std::u16string out;
  text::AppendHexCharRef(unit, &out);
  return out;
}

std::u16string RepairAndEscape(std::u16string_view text, bool pinyin) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 4 + 8);
  text::AmpersandCursor cursor;
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    size_t run = i;
    while (run < n && IsPlain(text[run])) ++run;
    out.append(text.data() + i, run - i);
    if (run == n) break;
    i = run;
    const char16_t c = text[i];
    if (c == u'&') {
      out.push_back(u'&');
      if (!text::KeepsAmpersand(text, i, &cursor)) out.append(u"amp;");
    } else if (c != 0) {
      // Above 255 or a control character (below 32): a reference.
      text::AppendHexCharRef(c, &out);
      if (pinyin && !langdata::IsPinyinSkipMark(c)) {
        out.push_back(u'(');
        AppendReading(c, &out);
        out.push_back(u')');
      }
    }
    ++i;
  }
  return out;
}

}  // namespace zorvadel::frame
