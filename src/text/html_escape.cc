#include "text/html_escape.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

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

// The named entities HtmlEnCode writes, each with its character.
constexpr Replacement kHtmlDecodeNamed[] = {
    {u"&amp;", u"&"}, {u"&quot;", u"\""}, {u"&lt;", u"<"}, {u"&gt;", u">"}, {u"&nbsp;", u" "},
};

// Decimal references run from "&#1;" to "&#255;": no leading zero, at most
// three digits.
constexpr int kMaxReferenceValue = 255;
constexpr size_t kMaxReferenceDigits = 3;

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

// The decoded form of the reference or named entity at the start of `rest`
// (which begins with "&") and the number of units it takes; 0 units when
// there is none. A decimal reference counts only when its code names a
// character of code page 936 as a single byte.
struct Entity {
  char16_t c = 0;
  size_t length = 0;
};

Entity EntityAt(std::u16string_view rest) {
  for (const Replacement& named : kHtmlDecodeNamed) {
    if (rest.starts_with(named.find)) return {named.with[0], named.find.size()};
  }
  if (rest.size() < 4 || rest[1] != u'#' || rest[2] < u'1' || rest[2] > u'9') return {};
  int value = 0;
  size_t i = 2;
  for (; i < rest.size() && i - 2 < kMaxReferenceDigits && rest[i] >= u'0' && rest[i] <= u'9';
       ++i) {
    value = value * 10 + (rest[i] - u'0');
  }
  if (i == rest.size() || rest[i] != u';' || value > kMaxReferenceValue) return {};
  const char16_t c = codepage::FromGbkCode(static_cast<uint16_t>(value));
  if (c == 0) return {};
  return {c, i + 1};
}

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

// One scan: what an entity decodes to is never read again, so "&amp;lt;"
// gives "&lt;" and "&#38;#60;" gives "&#60;".
std::u16string HTMLDecode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t done = 0;  // text before it is in `out`
  for (size_t amp = text.find(u'&'); amp != std::u16string_view::npos;
       amp = text.find(u'&', amp + 1)) {
    const Entity e = EntityAt(text.substr(amp));
    if (e.length == 0) continue;
    out.append(text.substr(done, amp - done));
    out.push_back(e.c);
    done = amp + e.length;
    amp = done - 1;
  }
  out.append(text.substr(done));
  return out;
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
