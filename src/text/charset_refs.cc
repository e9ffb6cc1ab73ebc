// Numeric character references: the keep rule of ampersands, the repair of
// bare ones alone, and the reading of references back. The pass that writes
// references is escape_pass.cc's.
#include "text/charset_refs.h"

#include <string>
#include <string_view>

#include "runtime/hex_digits.h"
#include "runtime/utf16.h"
#include "zorvadel/runtime.h"

namespace zorvadel::text {
namespace {

constexpr size_t kLongestName = 5;

constexpr std::u16string_view kRefOpen = u"&#x";
constexpr std::u16string_view kAmpTail = u"amp;";
constexpr char32_t kLastCodePoint = 0x10FFFF;

// Digits of one reference to the character they name; false for an empty
// text, a non-digit or a value beyond the last code point.
bool ParseCodePoint(std::u16string_view digits, char32_t* code_point) {
  if (digits.empty()) return false;
  char32_t value = 0;
  for (char16_t c : digits) {
    const int d = HexDigitValue(c);
    if (d < 0) return false;
    value = value * 16 + static_cast<char32_t>(d);
    if (value > kLastCodePoint) return false;
  }
  *code_point = value;
  return true;
}

// A value from a reference as UTF-16. Values in the surrogate range are
// written one unit each, so the two references of a pair (the form older
// pages carry) come back as the pair.
void AppendCodePoint(char32_t v, std::u16string* out) {
  if (v <= 0xFFFF) {
    out->push_back(static_cast<char16_t>(v));
    return;
  }
  out->push_back(HighSurrogateOf(v));
  out->push_back(LowSurrogateOf(v));
}

}  // namespace

bool KeepsEntity(std::u16string_view segment) {
  if (segment.size() < 2 || segment[0] != u'&') return false;
  if (segment[1] != u'#') {
    // Long pieces (every "&" before one far ";" brings one) are no name.
    if (segment.size() > kLongestName) return false;
    for (std::u16string_view name : kKeptEntities) {
      if (segment == name) return true;
    }
    return false;
  }
  // The named entities hold no second "&", and a number can hold one only as
  // the "&H"/"&O" that opens it ("&#&H41" is the one such shape that passes).
  // Deciding the rest here keeps the numeric parse off the long pieces that a
  // run of ampersands before one far ";" would otherwise hand it again and
  // again.
  const size_t inner = segment.find(u'&', 1);
  if (inner != std::u16string_view::npos &&
      segment.find(u'&', inner + 1) != std::u16string_view::npos) {
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
  if (!cursor->known ||
      (cursor->semicolon != std::u16string_view::npos && cursor->semicolon < amp)) {
    cursor->semicolon = text.find(u';', amp);
    cursor->known = true;
  }
  if (cursor->semicolon == std::u16string_view::npos) return false;
  return KeepsEntity(text.substr(amp, cursor->semicolon - amp));
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
    out.append(kAmpTail);
    copied = amp + 1;
  }
  out.append(text.substr(copied));
  return out;
}

std::u16string Uni(std::u16string_view text) { return RepairAndEscape(text, false); }

std::u16string UtfToGb(std::u16string_view text) {
  constexpr size_t kNone = std::u16string_view::npos;
  std::u16string out;
  out.reserve(text.size());
  size_t ref = text.find(kRefOpen);
  out.append(text.substr(0, ref));
  // Each reference reaches up to the next "&#x" (or the end); the ";"
  // searched from its digits only moves forward, so the walk is linear.
  size_t semicolon = 0;
  while (ref != kNone) {
    const size_t digits = ref + kRefOpen.size();
    if (semicolon != kNone && semicolon < digits) semicolon = text.find(u';', digits);
    const size_t next = text.find(kRefOpen, digits);
    const size_t end = next == kNone ? text.size() : next;
    char32_t v = 0;
    if (semicolon < end && ParseCodePoint(text.substr(digits, semicolon - digits), &v)) {
      AppendCodePoint(v, &out);
      out.append(text.substr(semicolon + 1, end - semicolon - 1));
    } else {
      // Unreadable: it and the text after it stay as they are.
      out.append(text.substr(ref, end - ref));
    }
    ref = next;
  }
  return out;
}

}  // namespace zorvadel::text
