#include "text/attribute_escape.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/utf16.h"
#include "text/charset_refs.h"
#include "text/xml_chars.h"

namespace zorvadel::text {
namespace {

// The length of the named entity that starts with the "&" at `at`, 0 when
// it starts none the page may hold.
size_t EntityLength(std::u16string_view text, size_t at) {
  const std::u16string_view rest = text.substr(at);
  for (std::u16string_view name : kKeptEntities) {
    if (rest.size() > name.size() && rest.starts_with(name) && rest[name.size()] == u';') {
      return name.size() + 1;
    }
  }
  return 0;
}

// Whether `c` needs a closer look: anything that is escaped or dropped, the
// first half of a pair, and the "&" whose reference is to be checked.
bool NeedsLook(char16_t c, AttributeQuote quote) {
  if (!IsXmlChar(c)) return true;
  switch (c) {
    case u'&':
    case u'"':
    case u'<':
    case u'>':
      return true;
    case u'\'':
      return quote == AttributeQuote::kSingle;
    default:
      return false;
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
      const XmlReference ref = ReadXmlReference(text, i);
      if (ref.length != 0) {
        // A reference to a character XML cannot carry goes as the character
        // itself would.
        const bool carried = IsXmlChar(ref.value);
        if (!carried) flush(i);
        i += ref.length;
        if (!carried) copied = i;
        continue;
      }
      if (const size_t length = EntityLength(text, i); length != 0) {
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
