#include "text/attribute_escape.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "text/charset_refs.h"

namespace zorvadel::text {
namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsXmlChar(char32_t v) {
  if (v < 0x20) return v == 0x9 || v == 0xA || v == 0xD;
  if (v >= 0xD800 && v <= 0xDFFF) return false;
  return v != 0xFFFE && v != 0xFFFF && v <= kLastCodePoint;
}


int DigitValue(char16_t c, bool hex) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (!hex) return -1;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The length of the reference that starts with the "&" at `at`, 0 when it
// starts none. A scan stops at the first unit that is no digit, so the
// whole text is read a bounded number of times.
size_t ReferenceLength(std::u16string_view text, size_t at) {
  const size_t n = text.size();
  size_t i = at + 1;
  if (i < n && text[i] == u'#') {
    ++i;
    // XML writes the hexadecimal mark in lower case only.
    const bool hex = i < n && text[i] == u'x';
    if (hex) ++i;
    const size_t first_digit = i;
    char32_t value = 0;
    for (int d; i < n && (d = DigitValue(text[i], hex)) >= 0; ++i) {
      // Past the last code point the value stays out of range, however
      // many digits follow.
      if (value <= kLastCodePoint) value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
    }
    if (i == first_digit || i == n || text[i] != u';' || !IsXmlChar(value)) return 0;
    return i + 1 - at;
  }
  for (std::u16string_view name : kKeptEntities) {
    const std::u16string_view rest = text.substr(at);
    if (rest.size() > name.size() && rest.starts_with(name) && rest[name.size()] == u';') {
      return name.size() + 1;
    }
  }
  return 0;
}

// Whether `c` needs a closer look: anything that is escaped or dropped, the
// first half of a pair, and the "&" whose reference is to be checked.
bool NeedsLook(char16_t c, AttributeQuote quote) {
  if (c < 0x20) return c != 0x9 && c != 0xA && c != 0xD;
  switch (c) {
    case u'&':
    case u'"':
    case u'<':
    case u'>':
      return true;
    case u'\'':
      return quote == AttributeQuote::kSingle;
    default:
      return (c >= 0xD800 && c <= 0xDFFF) || c >= 0xFFFE;
  }
}

}  // namespace

void AppendAttributeText(std::u16string_view text, std::u16string* out, AttributeQuote quote) {
  const size_t n = text.size();
  size_t copied = 0;  // text before it is in `out`
  size_t i = 0;
  // Safe stretches, the usual whole value, are copied in one piece.
  auto flush = [&](size_t end) {
    out->append(text.substr(copied, end - copied));
    copied = end;
  };
  while (i < n) {
    const char16_t c = text[i];
    if (!NeedsLook(c, quote)) {
      ++i;
      continue;
    }
    if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
      i += 2;
      continue;
    }
    if (c == u'&') {
      const size_t length = ReferenceLength(text, i);
      if (length != 0) {
        i += length;
        continue;
      }
    }
    flush(i);
    switch (c) {
      case u'&': out->append(u"&amp;"); break;
      case u'"': out->append(u"&quot;"); break;
      case u'<': out->append(u"&lt;"); break;
      case u'>': out->append(u"&gt;"); break;
      case u'\'': out->append(u"&#39;"); break;
      default: break;  // dropped
    }
    copied = ++i;
  }
  flush(n);
}

std::u16string AttributeText(std::u16string_view text, AttributeQuote quote) {
  std::u16string out;
  out.reserve(text.size());
  AppendAttributeText(text, &out, quote);
  return out;
}

void AppendTag(std::initializer_list<std::u16string_view> parts, std::u16string* out) {
  bool value = false;
  for (std::u16string_view part : parts) {
    if (value) {
      AppendAttributeText(part, out);
    } else {
      out->append(part);
    }
    value = !value;
  }
}

}  // namespace zorvadel::text
