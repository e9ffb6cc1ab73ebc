#include "text/xml_chars.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

namespace {

constexpr size_t kNone = std::u16string_view::npos;

bool IsHexDigit(char16_t c) { return DigitValue(c, /*hex=*/true) >= 0; }

// Eight units in one vector register; a text with nothing to drop is read
// four registers at a time, and eight units at a time around what needs a
// look.
typedef uint16_t Units __attribute__((vector_size(16)));
constexpr size_t kLanes = sizeof(Units) / sizeof(char16_t);
constexpr size_t kStride = 4 * kLanes;

// All ones in the lanes of the eight units at `s` that need no look of
// their own: a unit that XML carries alone (tab, line feed, carriage
// return, no other control, no surrogate, U+FFFE or U+FFFF) and no "&".
Units Plain(const char16_t* s) {
  Units x;
  std::memcpy(&x, s, sizeof x);
  const Units carried = Units(Units(x - 0x20) < 0xD800 - 0x20) |
                        Units(Units(x - 0xE000) < 0xFFFE - 0xE000) | Units(x == u'\n') |
                        Units(x == u'\r') | Units(x == u'\t');
  return carried & Units(x != u'&');
}

bool AllOnes(Units plain) {
  uint64_t half[2];
  static_assert(sizeof half == sizeof plain);
  std::memcpy(half, &plain, sizeof half);
  return (half[0] & half[1]) == ~uint64_t{0};
}

// Where the first thing to drop starts in `text`: a unit XML cannot carry
// (but a surrogate with its partner) or the "&" of a reference to one.
size_t FirstUncarried(std::u16string_view text) {
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const char16_t* at = text.data() + i;
    if (n - i >= kStride && AllOnes(Plain(at) & Plain(at + kLanes) & Plain(at + 2 * kLanes) &
                                    Plain(at + 3 * kLanes))) {
      i += kStride;
      continue;
    }
    if (n - i >= kLanes && AllOnes(Plain(at))) {
      i += kLanes;
      continue;
    }
    // The eight units that need a look, one by one; a reference or a pair
    // may reach past them.
    for (const size_t end = std::min(n, i + kLanes); i < end;) {
      const char16_t c = text[i];
      if (c == u'&') {
        const XmlReference ref = ReadXmlReference(text, i);
        if (ref.length != 0 && !IsXmlChar(ref.value)) return i;
        i += ref.length == 0 ? 1 : ref.length;
      } else if (IsXmlChar(c)) {
        ++i;
      } else if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
        i += 2;
      } else {
        return i;
      }
    }
  }
  return kNone;
}

// The "&" of the reference to an uncarried character that `kept` ends
// with, its ";" being the last unit; kNone when it ends with none. Nothing
// before `floor` belongs to the text.
size_t UncarriedReferenceAtEnd(std::u16string_view kept, size_t floor) {
  const size_t semicolon = kept.size() - 1;
  size_t digits = semicolon;
  while (digits > floor && IsHexDigit(kept[digits - 1])) --digits;
  if (digits == semicolon) return kNone;
  size_t amp;
  if (digits >= floor + 3 && kept.substr(digits - 3, 3) == u"&#x") {
    amp = digits - 3;
  } else if (digits >= floor + 2 && kept.substr(digits - 2, 2) == u"&#") {
    amp = digits - 2;
  } else {
    return kNone;
  }
  const XmlReference ref = ReadXmlReference(kept, amp);
  if (ref.length != kept.size() - amp || IsXmlChar(ref.value)) return kNone;
  return amp;
}

// Drops from `data[from, size)` what XML cannot carry, moving the rest
// down; returns the new size. A reference is judged by what is kept, at
// its ";", so one that a dropped unit split, or that forms again once an
// inner reference has gone ("&#&#0;0;"), goes too. Every digit is looked
// at again by at most one ";", the one that seals or drops it.
size_t CompactCarried(char16_t* data, size_t from, size_t size, size_t floor) {
  size_t kept = from;
  for (size_t i = from; i < size; ++i) {
    const char16_t c = data[i];
    if (IsHighSurrogate(c) && i + 1 < size && IsLowSurrogate(data[i + 1])) {
      data[kept++] = c;
      data[kept++] = data[++i];
      continue;
    }
    if (!IsXmlChar(c)) continue;
    data[kept++] = c;
    if (c == u';') {
      const size_t amp = UncarriedReferenceAtEnd(std::u16string_view(data, kept), floor);
      if (amp != kNone) kept = amp;
    }
  }
  return kept;
}

}  // namespace

void AppendXmlCarried(std::u16string_view text, std::u16string* out) {
  const size_t first = FirstUncarried(text);
  const size_t floor = out->size();
  out->append(text);
  if (first == kNone) return;
  out->resize(CompactCarried(out->data(), floor + first, out->size(), floor));
}

void KeepXmlCarried(std::u16string* text) {
  const size_t first = FirstUncarried(*text);
  if (first == kNone) return;
  text->resize(CompactCarried(text->data(), first, text->size(), 0));
}

}  // namespace zorvadel::text
