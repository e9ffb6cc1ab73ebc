#include "markup/ubb.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/regexp/regexp.h"
#include "text/attribute_escape.h"
#include "text/xml_chars.h"
#include "zorvadel/runtime.h"

namespace zorvadel::markup {
namespace {

enum class RuleKind : uint8_t {
  // A regular expression, letters in any case, every match replaced.
  kPattern,
  // A simple tag: WML replaces `find` in any case; XHTML replaces `find`
  // exactly and then `twin` exactly.
  kTag,
  // A plain replacement, letters in any case.
  kAnyCase,
};

enum : uint8_t { kWml = 1, kXhtml = 2, kBoth = kWml | kXhtml };

// In a replacement, "$1" and "$2" stand for a group as matched; "@1" and
// "@2" for a group made safe inside a quoted attribute.
struct UbbRule {
  RuleKind kind;
  uint8_t dialects;
  std::u16string_view find;  // the pattern or the code
  std::u16string_view twin;  // kTag: the XHTML dialect's upper-case twin
  std::u16string_view replacement;
};

// The link title is the confirm word "确定" as character references, in
// both languages.
constexpr std::array kRules = {
    // Links and images.
    UbbRule{RuleKind::kPattern, kBoth, u"(\\[img\\])(.[^\\]]*)(\\[\\/img\\])", u"",
            u"<img src=\"@2\" alt=\"\"/>"},
    UbbRule{RuleKind::kPattern, kBoth, u"\\[img=(.[^\\]]*)\\](.[^\\[]*)\\[\\/img]", u"",
            u"<img src=\"@1\" alt=\"@2\"/>"},
    UbbRule{RuleKind::kPattern, kBoth, u"\\[url=(.[^\\]]*)\\](.[^\\[]*)\\[\\/url]", u"",
            u"<a title=\"&#x786E;&#x5B9A;\" href=\"@1\">$2</a>"},
    UbbRule{RuleKind::kPattern, kBoth, u"\\[url](.[^\\[]*)\\[\\/url]", u"",
            u"<a title=\"&#x786E;&#x5B9A;\" href=\"@1\">$1</a>"},
    UbbRule{RuleKind::kPattern, kBoth, u"\\[ia=(.[^\\]]*)\\](.[^\\[]*)\\[\\/ia]", u"",
            u"<a title=\"&#x786E;&#x5B9A;\" href=\"@2\"><img src=\"@1\" alt=\"\"/></a>"},
    // XHTML alignment and divisions; the alignment word keeps its case.
    UbbRule{RuleKind::kPattern, kXhtml, u"\\[p=(center|left|right)\\]", u"",
            u"<p style=\"text-align:$1\">"},
    UbbRule{RuleKind::kPattern, kXhtml, u"\\[/p\\]", u"", u"</p>"},
    UbbRule{RuleKind::kPattern, kXhtml, u"\\[align=(center|left|right)\\]", u"",
            u"<div align=\"$1\">"},
    UbbRule{RuleKind::kPattern, kXhtml, u"\\[/align\\]", u"", u"</div>"},
    UbbRule{RuleKind::kPattern, kXhtml, u"\\[div=(center|left|right)\\]", u"",
            u"<div align=\"$1\">"},
    UbbRule{RuleKind::kPattern, kXhtml, u"\\[/div\\]", u"", u"</div>"},
    // Simple tags.
    UbbRule{RuleKind::kTag, kBoth, u"[b]", u"[B]", u"<b>"},
    UbbRule{RuleKind::kTag, kBoth, u"[/b]", u"[/B]", u"</b>"},
    UbbRule{RuleKind::kTag, kBoth, u"[strong]", u"[STRONG]", u"<strong>"},
    UbbRule{RuleKind::kTag, kBoth, u"[/strong]", u"[/STRONG]", u"</strong>"},
    UbbRule{RuleKind::kTag, kBoth, u"[i]", u"[I]", u"<i>"},
    UbbRule{RuleKind::kTag, kBoth, u"[/i]", u"[/I]", u"</i>"},
    UbbRule{RuleKind::kTag, kBoth, u"[u]", u"[U]", u"<u>"},
    UbbRule{RuleKind::kTag, kBoth, u"[/u]", u"[/U]", u"</u>"},
    UbbRule{RuleKind::kTag, kBoth, u"[em]", u"[EM]", u"<em>"},
    UbbRule{RuleKind::kTag, kBoth, u"[/em]", u"[/EM]", u"</em>"},
    UbbRule{RuleKind::kTag, kBoth, u"[big]", u"[BIG]", u"<big>"},
    UbbRule{RuleKind::kTag, kBoth, u"[/big]", u"[/BIG]", u"</big>"},
    UbbRule{RuleKind::kTag, kBoth, u"[/small]", u"[/SMALL]", u"</small>"},
    UbbRule{RuleKind::kTag, kBoth, u"[small]", u"[SMALL]", u"<small>"},
    UbbRule{RuleKind::kTag, kBoth, u"[br]", u"[BR]", u"<br/>"},
    UbbRule{RuleKind::kTag, kXhtml, u"[br/]", u"[BR/]", u"<br/>"},
    // WML paragraphs: the card holds an open paragraph, so every code
    // closes it and opens the next.
    UbbRule{RuleKind::kAnyCase, kWml, u"[p=left]", u"", u"</p><p align=\"left\">"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[p]", u"", u"</p><p>"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[/p]", u"", u"</p><p>"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[p=center]", u"", u"</p><p align=\"center\">"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[/p=left]", u"", u"</p><p align=\"left\">"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[/p=center]", u"", u"</p><p align=\"center\">"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[/p=right]", u"", u"</p><p align=\"right\">"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[/p=wrap]", u"", u"</p><p mode=\"wrap\">"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[/p=nowrap]", u"", u"</p><p mode=\"nowrap\">"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[p=right]", u"", u"</p><p align=\"right\">"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[p=wrap]", u"", u"</p><p mode=\"wrap\">"},
    UbbRule{RuleKind::kAnyCase, kWml, u"[p=nowrap]", u"", u"</p><p mode=\"nowrap\">"},
    // Code blocks lose their markers; uploads become linked pictures.
    UbbRule{RuleKind::kPattern, kBoth, u"\\[/code\\]", u"", u""},
    UbbRule{RuleKind::kPattern, kBoth, u"\\[code\\]", u"", u""},
    UbbRule{RuleKind::kPattern, kBoth, u"\\[upload=(.[^\\]]*)\\](.[^\\[]*)\\[\\/upload]", u"",
            u"<a href=\"../@2\"><img src=\"../@2\" alt=\"@1\" width=\"150\"/></a>"},
};

using CompiledRules = std::array<std::shared_ptr<const regexp::Compiled>, kRules.size()>;

// Compiled at first use; a pattern that cannot be compiled stays null and
// its rule is skipped, the plain replacements still apply.
const CompiledRules& Compiled() {
  static const CompiledRules compiled = [] {
    CompiledRules all;
    for (size_t i = 0; i < kRules.size(); ++i) {
      if (kRules[i].kind != RuleKind::kPattern) continue;
      Step([&] { all[i] = regexp::Compile(kRules[i].find, /*ignore_case=*/true); });
    }
    return all;
  }();
  return compiled;
}

// Writes `replacement` for one match, its group references expanded.
void Expand(std::u16string_view replacement, const regexp::MatchView& match,
            std::u16string& out) {
  for (size_t i = 0; i < replacement.size(); ++i) {
    char16_t c = replacement[i];
    bool reference = (c == u'$' || c == u'@') && i + 1 < replacement.size() &&
                     replacement[i + 1] >= u'1' && replacement[i + 1] <= u'9';
    if (!reference) {
      out += c;
      continue;
    }
    std::u16string_view group = match.Group(replacement[i + 1] - u'0');
    if (c == u'$') {
      out += group;
    } else {
      text::AppendAttributeText(group, &out);
    }
    ++i;
  }
}

bool ApplyPattern(const regexp::Compiled& re, const UbbRule& rule, std::u16string& text) {
  return regexp::ReplaceEachInPlace(re, text, /*global=*/true,
                                    [&](const regexp::MatchView& match, std::u16string& out) {
                                      Expand(rule.replacement, match, out);
                                    });
}

// Whether `code` ("[...]") is the code of `rule` in this dialect: the WML
// dialect and the any-case rules compare without regard to ASCII case (the
// codes are ASCII, and no other letter folds to an ASCII one), the XHTML tags
// take the code as written or its upper-case twin.
bool IsCodeOf(const UbbRule& rule, std::u16string_view code, UbbDialect dialect) {
  if (rule.kind == RuleKind::kTag && dialect == UbbDialect::kXhtml) {
    return code == rule.find || code == rule.twin;
  }
  if (code.size() != rule.find.size()) return false;
  for (size_t i = 0; i < code.size(); ++i) {
    char16_t a = code[i], b = rule.find[i];
    if (a >= u'A' && a <= u'Z') a += 32;
    if (b >= u'A' && b <= u'Z') b += 32;
    if (a != b) return false;
  }
  return true;
}

// Applies a run of plain rules in one scan. Every code they name is one
// "[...]" with no bracket inside, and no replacement writes a bracket, so
// taking each code in the text in turn, with the first rule of the run that
// names it, gives what applying the rules one after another would.
void ApplyPlainRun(std::span<const UbbRule> run, UbbDialect dialect, std::u16string& text) {
  const uint8_t mask = dialect == UbbDialect::kWml ? kWml : kXhtml;
  std::u16string out;
  bool changed = false;
  size_t copied = 0;
  size_t open = text.find(u'[');
  while (open != std::u16string::npos) {
    const size_t close = text.find(u']', open + 1);
    if (close == std::u16string::npos) break;
    const size_t inner = text.find(u'[', open + 1);
    if (inner < close) {
      open = inner;
      continue;
    }
    const std::u16string_view code(text.data() + open, close - open + 1);
    for (const UbbRule& rule : run) {
      if ((rule.dialects & mask) == 0 || !IsCodeOf(rule, code, dialect)) continue;
      if (!changed) {
        out.reserve(text.size() + text.size() / 4);
        changed = true;
      }
      out.append(text, copied, open - copied).append(rule.replacement);
      copied = close + 1;
      break;
    }
    open = text.find(u'[', close + 1);
  }
  if (!changed) return;
  out.append(text, copied);
  text = std::move(out);
}

}  // namespace

std::u16string ConvertUbb(std::u16string_view input, UbbDialect dialect) {
  const uint8_t mask = dialect == UbbDialect::kWml ? kWml : kXhtml;
  const CompiledRules& compiled = Compiled();
  std::u16string text(input);
  for (size_t i = 0; i < kRules.size();) {
    const UbbRule& rule = kRules[i];
    if (rule.kind != RuleKind::kPattern) {
      size_t end = i;
      while (end < kRules.size() && kRules[end].kind != RuleKind::kPattern) ++end;
      Step([&] { ApplyPlainRun(std::span(kRules).subspan(i, end - i), dialect, text); });
      i = end;
      continue;
    }
    if ((rule.dialects & mask) != 0 && compiled[i]) {
      Step([&] { ApplyPattern(*compiled[i], rule, text); });
    }
    ++i;
  }
  // Last, so that the codes are read as the visitor wrote them and what a
  // rule builds is judged too.
  text::KeepXmlCarried(&text);
  return text;
}

}  // namespace zorvadel::markup
