#include "text/xml_chars.h"

#include <string>
#include <string_view>

#include "runtime/utf16.h"

namespace zorvadel::text {
namespace {

constexpr char32_t kPastLastCodePoint = 0x110000;

int DigitValue(char16_t c, bool hex) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (!hex) return -1;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

XmlReference ReadXmlReference(std::u16string_view text, size_t amp) {
  const size_t n = text.size();
  size_t i = amp + 1;
  if (i >= n || text[i] != u'#') return {};
  ++i;
  const bool hex = i < n && text[i] == u'x';
  if (hex) ++i;
  const size_t first_digit = i;
  char32_t value = 0;
  // A scan stops at the first unit that is no digit, so a text is read a
  // bounded number of times however many ampersands it holds.
  for (int d; i < n && (d = DigitValue(text[i], hex)) >= 0; ++i) {
    value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
    // Past the last code point the value stays out of range, however many
    // digits follow.
    if (value > kPastLastCodePoint) value = kPastLastCodePoint;
  }
  if (i == first_digit || i == n || text[i] != u';') return {};
  return {i + 1 - amp, value};
}

void AppendXmlCarried(std::u16string_view text, std::u16string* out) {
  const size_t n = text.size();
  size_t copied = 0;  // text before it is in `out`
  size_t i = 0;
  while (i < n) {
    const char16_t c = text[i];
    if (c != u'&' && IsXmlChar(c)) {
      ++i;
      continue;
    }
    if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
      i += 2;
      continue;
    }
    size_t dropped = 1;
    if (c == u'&') {
      const XmlReference ref = ReadXmlReference(text, i);
      if (ref.length == 0 || IsXmlChar(ref.value)) {
        i += ref.length == 0 ? 1 : ref.length;
        continue;
      }
      dropped = ref.length;
    }
    out->append(text.substr(copied, i - copied));
    i += dropped;
    copied = i;
  }
  out->append(text.substr(copied));
}

}  // namespace zorvadel::text
