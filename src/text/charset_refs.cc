// Numeric character references, both directions.
#include "text/charset_refs.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "zorvadel/runtime.h"

namespace zorvadel::text {
namespace {

// The named entities whose ampersand stays; case matters.
constexpr std::u16string_view kKeptNames[] = {u"&lt",  u"&gt",  u"&apos",
                                              u"&quot", u"&amp", u"&nbsp"};

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

// The decoder's bracket: the working text starts and ends with a reference
// so that every pass begins at one and the last one marks the end.
constexpr std::u16string_view kSentinel = u"&#x5173;";
constexpr std::u16string_view kRefOpen = u"&#x";

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Digits of one reference to its unit; false for an empty text, a
// non-digit or a value above FFFF.
bool ParseUnit(std::u16string_view digits, char16_t* unit) {
  if (digits.empty()) return false;
  uint32_t value = 0;
  for (char16_t c : digits) {
    const int d = HexValue(c);
    if (d < 0) return false;
    value = value * 16 + static_cast<uint32_t>(d);
    if (value > 0xFFFF) return false;
  }
  *unit = static_cast<char16_t>(value);
  return true;
}

}  // namespace

bool KeepsEntity(std::u16string_view segment) {
  for (std::u16string_view name : kKeptNames) {
    if (segment == name) return true;
  }
  if (segment.size() < 2 || segment[0] != u'&' || segment[1] != u'#') return false;
  // The named entities hold no second "&", and a number can hold one only as
  // the "&H"/"&O" that opens it ("&#&H41" is the one such shape that passes).
  // Deciding the rest here keeps the numeric parse off the long pieces that a
  // run of ampersands before one far ";" would otherwise hand it again and
  // again.
  const size_t inner = segment.find(u'&', 1);
  if (inner != std::u16string_view::npos && segment.find(u'&', inner + 1) != std::u16string_view::npos) {
    return false;
  }
  if (segment.size() > 3 && (segment[2] == u'x' || segment[2] == u'X')) {
    std::u16string radix_form = u"&H";
    radix_form.append(segment.substr(3));
    if (IsNumeric(std::u16string_view(radix_form))) return true;
  }
  return IsNumeric(segment.substr(2));
}

bool KeepsAmpersand(std::u16string_view text, size_t amp, AmpersandCursor* cursor) {
  // The first ";" at or after the "&" only moves forward with the
  // ampersands, so it is searched again only once passed: a text full of
  // bare ampersands stays linear.
  if (!cursor->known || (cursor->semicolon != std::u16string_view::npos && cursor->semicolon < amp)) {
    cursor->semicolon = text.find(u';', amp);
    cursor->known = true;
  }
  if (cursor->semicolon == std::u16string_view::npos) return false;
  return KeepsEntity(text.substr(amp, cursor->semicolon - amp));
}

void AppendHexCharRef(char16_t unit, std::u16string* out) {
  char16_t digits[4];
  int n = 0;
  uint32_t value = unit;
  do {
    digits[n++] = kHexDigits[value & 0xF];
    value >>= 4;
  } while (value != 0);
  out->append(kRefOpen);
  while (n > 0) out->push_back(digits[--n]);
  out->push_back(u';');
}

std::u16string RepairAmpersands(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  AmpersandCursor cursor;
  size_t copied = 0;
  for (size_t amp = text.find(u'&'); amp != std::u16string_view::npos;
       amp = text.find(u'&', amp + 1)) {
    if (KeepsAmpersand(text, amp, &cursor)) continue;
    out.append(text.substr(copied, amp + 1 - copied));
    out.append(u"amp;");
    copied = amp + 1;
  }
  out.append(text.substr(copied));
  return out;
}

std::u16string EscapeHexCharRefs(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t unit : text) AppendEscapedUnit(unit, &out);
  return out;
}

std::u16string Uni(std::u16string_view text) { return EscapeHexCharRefs(RepairAmpersands(text)); }

std::u16string UtfToGb(std::u16string_view text) {
  std::u16string w;
  w.reserve(text.size() + 2 * kSentinel.size());
  w.append(kSentinel).append(text).append(kSentinel);
  const std::u16string_view work = w;
  const size_t last = work.size() - kSentinel.size();  // where the closing sentinel starts

  std::u16string out;
  out.reserve(text.size());
  // Each pass starts at a reference; like the ";" of RepairAmpersands, the
  // ";" searched from its digits only moves forward.
  size_t start = 0;
  size_t semicolon = 0;
  bool first = true;
  while (start != last) {
    const size_t digits = start + kRefOpen.size();
    if (semicolon < digits) semicolon = work.find(u';', digits);
    // The closing sentinel guarantees both a ";" and a next reference.
    const size_t next = work.find(kRefOpen, digits);
    char16_t unit = 0;
    if (semicolon < next && ParseUnit(work.substr(digits, semicolon - digits), &unit)) {
      // The leading sentinel decodes to a character that is not part of the
      // result; the text after it is.
      if (!first) out.push_back(unit);
      out.append(work.substr(semicolon + 1, next - semicolon - 1));
    }
    first = false;
    start = next;
  }
  return out;
}

}  // namespace zorvadel::text
