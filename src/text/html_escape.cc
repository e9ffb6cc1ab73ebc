#include "text/html_escape.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "zorvadel/runtime.h"

namespace zorvadel::text {
namespace {

constexpr char16_t kTab = 9;
constexpr char16_t kLf = 10;
constexpr char16_t kCr = 13;
constexpr char16_t kBlank = 32;

// A one-character escape: `c` is written as `with`.
struct CharEscape {
  char16_t c;
  std::u16string_view with;
};

// The character-by-character steps of SpecialMark. Its chain escapes "&"
// first and writes no character that a later step rewrites, except the
// blanks that line ends become, which end as "&nbsp;" too; so one pass with
// this table gives the same text.
constexpr CharEscape kSpecialMarkEscapes[] = {
    {u'&', u"&amp;"},   {u'>', u"&gt;"},    {u'<', u"&lt;"},     {kCr, u"&nbsp;"},
    {kLf, u"&nbsp;"},   {u'\'', u"&apos;"}, {u'"', u"&quot;"},   {kBlank, u"&nbsp;"},
};

// The leading character steps of DelSpecialMark, likewise independent.
constexpr CharEscape kDelSpecialMarkEscapes[] = {
    {u'>', u"&gt;"},
    {kTab, u" "},
    {u'<', u"&lt;"},
    {u'\u3000', u" "},
};

// Runs of five, four, three and two breaks become one, each in one pass;
// so a run of 39 or more leaves more than one.
constexpr Replacement kBreakCollapse[] = {
    {u"<br/><br/><br/><br/><br/>", u"<br/>"},
    {u"<br/><br/><br/><br/>", u"<br/>"},
    {u"<br/><br/><br/>", u"<br/>"},
    {u"<br/><br/>", u"<br/>"},
};

constexpr Replacement kLineEnds[] = {{u"\r\n", u"<br/>"}};

constexpr Replacement kDelSpecialMarkTail[] = {
    // A "<br/>" written in the input was escaped above; it is a break again
    // (a run of them stays, the collapse has already run).
    {u"&lt;br/&gt;", u"<br/>"},
    {u"'", u"&apos;"},
    {u"\"", u"&quot;"},
    {u"&nbsp;", u" "},
    {u"  ", u" "},
};

constexpr Replacement kEnterHebingLineEnds[] = {
    {u"&#xD;&#xA;", u"<br/>"},
    {u"\r\n", u"<br/>"},
};

constexpr Replacement kHtmlDecodeNamed[] = {
    {u"&amp;", u"&"}, {u"&quot;", u"\""}, {u"&lt;", u"<"}, {u"&gt;", u">"}, {u"&nbsp;", u" "},
};

std::u16string EscapeChars(std::u16string_view text, std::span<const CharEscape> table) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 8);
  for (char16_t c : text) {
    const CharEscape* hit = nullptr;
    for (const CharEscape& e : table) {
      if (e.c == c) {
        hit = &e;
        break;
      }
    }
    if (hit) {
      out.append(hit->with);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// ---- Decimal references 1 to 255 ---------------------------------------------
//
// The decoder replaces "&#1;" everywhere, then "&#2;", and so on up to
// "&#255;". Doing 255 passes over a long text is slow, so the passes are
// played on a linked list of characters instead: each reference is queued
// under its number, and only a decoded character that can be part of a
// reference ("&", "#", a digit or ";") can make a new one, which must then
// contain that character. A new reference is decoded when its number is
// still to come; one with the number of the running pass or a smaller one
// stays, as the pass-by-pass replacement leaves it.

constexpr uint32_t kNone = UINT32_MAX;
constexpr int kMaxReference = 6;  // "&#255;"

class ReferenceDecoder {
 public:
  explicit ReferenceDecoder(std::u16string_view text)
      : chars_(text), next_(text.size()), prev_(text.size()), queued_(text.size(), 0) {
    const uint32_t n = static_cast<uint32_t>(text.size());
    for (uint32_t i = 0; i < n; ++i) {
      next_[i] = i + 1 < n ? i + 1 : kNone;
      prev_[i] = i > 0 ? i - 1 : kNone;
    }
    for (uint32_t i = 0; i < n; ++i) {
      if (chars_[i] != u'&') continue;
      const Parsed p = ParseAt(i);
      if (p.value != 0) Queue(i, p.value);
    }
  }

  std::u16string Run() {
    for (int value = 1; value <= 255; ++value) {
      const char16_t decoded = Decoded(value);
      // Entries are only appended to later numbers while this one runs.
      for (uint32_t node : queue_[value]) {
        const Parsed p = ParseAt(node);
        if (p.value != value) continue;
        queued_[node] = 0;
        chars_[node] = decoded;
        next_[node] = p.after;
        if (p.after != kNone) prev_[p.after] = node;
        if (CanFormReference(decoded)) FindNewReference(node, value);
      }
    }
    std::u16string out;
    out.reserve(chars_.size());
    for (uint32_t i = chars_.empty() ? kNone : 0; i != kNone; i = next_[i]) {
      out.push_back(chars_[i]);
    }
    return out;
  }

 private:
  struct Parsed {
    int value = 0;      // 0: no decodable reference
    int length = 0;     // in nodes
    uint32_t after = kNone;
  };

  static char16_t Decoded(int value) {
    return codepage::FromGbkCode(static_cast<uint16_t>(value));
  }
  static bool CanFormReference(char16_t c) {
    return c == u'&' || c == u'#' || c == u';' || (c >= u'0' && c <= u'9');
  }

  // "&#" + 1 to 3 digits without a leading zero + ";" at `node`, naming a
  // code that has a character.
  Parsed ParseAt(uint32_t node) const {
    Parsed p;
    if (chars_[node] != u'&') return p;
    uint32_t i = next_[node];
    if (i == kNone || chars_[i] != u'#') return p;
    i = next_[i];
    int value = 0, digits = 0;
    while (i != kNone && chars_[i] >= u'0' && chars_[i] <= u'9' && digits < 4) {
      if (digits == 0 && chars_[i] == u'0') return p;
      value = value * 10 + (chars_[i] - u'0');
      ++digits;
      i = next_[i];
    }
    if (digits == 0 || digits > 3 || value > 255 || i == kNone || chars_[i] != u';') return p;
    if (Decoded(value) == 0) return p;
    p.value = value;
    p.length = digits + 3;
    p.after = next_[i];
    return p;
  }

  void Queue(uint32_t node, int value) {
    if (queued_[node] == value) return;
    queued_[node] = static_cast<uint8_t>(value);
    queue_[value].push_back(node);
  }

  // A reference made by the character now at `node` starts at most five
  // nodes before it.
  void FindNewReference(uint32_t node, int pass) {
    uint32_t start = node;
    for (int back = 0; back < kMaxReference && start != kNone; ++back, start = prev_[start]) {
      if (chars_[start] != u'&') continue;
      const Parsed p = ParseAt(start);
      if (p.value != 0 && p.length > back) {
        if (p.value > pass) Queue(start, p.value);
        return;  // references never overlap, so there is no other
      }
    }
  }

  std::u16string chars_;
  std::vector<uint32_t> next_;
  std::vector<uint32_t> prev_;
  std::vector<uint8_t> queued_;  // the number a node is queued under, or 0
  std::array<std::vector<uint32_t>, 256> queue_;
};

}  // namespace

std::u16string ApplyReplacements(std::u16string text, std::span<const Replacement> chain) {
  for (const Replacement& r : chain) {
    if (text.find(r.find) == std::u16string::npos) continue;
    text = Replace(text, r.find, r.with);
  }
  return text;
}

std::u16string HtmlEnCode(std::u16string_view text) {
  const size_t n = text.size();
  std::u16string out;
  out.reserve(n + n / 8);
  auto folds = [&](size_t i) { return text[i] == kBlank || text[i] == kTab; };
  for (size_t i = 0; i < n; ++i) {
    switch (const char16_t c = text[i]) {
      case u'<': out.append(u"&lt;"); break;
      case u'>': out.append(u"&gt;"); break;
      case kCr: out.append(u"\r\n"); break;
      case u'"': out.append(u"&quot;"); break;
      case u'&': out.append(u"&amp;"); break;
      case kBlank: {
        const bool edge = i == 0 || i + 1 == n;
        out.append(edge || folds(i + 1) || folds(i - 1) ? u"&nbsp;" : u" ");
        break;
      }
      case kTab: out.append(u"    "); break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::u16string HTMLDecode(std::u16string_view text) {
  std::u16string named = ApplyReplacements(std::u16string(text), kHtmlDecodeNamed);
  if (named.find(u"&#") == std::u16string::npos) return named;
  return ReferenceDecoder(named).Run();
}

std::u16string SpecialMark(std::u16string_view text) {
  return EscapeChars(text, kSpecialMarkEscapes);
}

std::u16string DelSpecialMark(std::u16string_view text) {
  std::u16string s = ApplyReplacements(EscapeChars(text, kDelSpecialMarkEscapes), kLineEnds);
  s = ApplyReplacements(std::move(s), kBreakCollapse);
  return ApplyReplacements(std::move(s), kDelSpecialMarkTail);
}

std::u16string EnterHebing(std::u16string_view text) {
  return ApplyReplacements(ApplyReplacements(std::u16string(text), kEnterHebingLineEnds),
                           kBreakCollapse);
}

}  // namespace zorvadel::text
