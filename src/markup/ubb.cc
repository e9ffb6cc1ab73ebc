#include "markup/ubb.h"

#include <array>
#include <cstdint>
#include <memory>

#include "platform/regexp/regexp.h"
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

void AppendAttributeSafe(std::u16string_view value, std::u16string& out) {
  for (char16_t c : value) {
    switch (c) {
      case u'"':
        out += u"&quot;";
        break;
      case u'<':
        out += u"&lt;";
        break;
      default:
        out += c;
    }
  }
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
      AppendAttributeSafe(group, out);
    }
    ++i;
  }
}

void ApplyPattern(const regexp::Compiled& re, const UbbRule& rule, std::u16string& text) {
  text = regexp::ReplaceEach(re, text, /*global=*/true,
                             [&](const regexp::MatchView& match, std::u16string& out) {
                               Expand(rule.replacement, match, out);
                             });
}

void ApplyPlain(std::u16string_view find, std::u16string_view with, CompareMode mode,
                std::u16string& text) {
  if (text.empty()) return;
  text = Replace(text, find, with, 1, -1, mode);
}

}  // namespace

std::u16string ConvertUbb(std::u16string_view input, UbbDialect dialect) {
  const uint8_t mask = dialect == UbbDialect::kWml ? kWml : kXhtml;
  const CompiledRules& compiled = Compiled();
  std::u16string text(input);
  for (size_t i = 0; i < kRules.size(); ++i) {
    const UbbRule& rule = kRules[i];
    if ((rule.dialects & mask) == 0) continue;
    Step([&] {
      switch (rule.kind) {
        case RuleKind::kPattern:
          if (compiled[i]) ApplyPattern(*compiled[i], rule, text);
          break;
        case RuleKind::kTag:
          if (dialect == UbbDialect::kWml) {
            ApplyPlain(rule.find, rule.replacement, CompareMode::kText, text);
          } else {
            ApplyPlain(rule.find, rule.replacement, CompareMode::kBinary, text);
            ApplyPlain(rule.twin, rule.replacement, CompareMode::kBinary, text);
          }
          break;
        case RuleKind::kAnyCase:
          ApplyPlain(rule.find, rule.replacement, CompareMode::kText, text);
          break;
      }
    });
  }
  return text;
}

}  // namespace zorvadel::markup
