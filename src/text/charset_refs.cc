// Numeric character references, both directions.
#include "text/charset_refs.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/hex_digits.h"
#include "runtime/utf16.h"
#include "zorvadel/runtime.h"

namespace zorvadel::text {
namespace {

// The named entities whose ampersand stays; case matters.
constexpr std::u16string_view kKeptNames[] = {u"&lt",   u"&gt",  u"&apos",
                                              u"&quot", u"&amp", u"&nbsp"};
constexpr size_t kLongestName = 5;

constexpr std::u16string_view kRefOpen = u"&#x";
constexpr std::u16string_view kAmpTail = u"amp;";
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kReplacement = 0xFFFD;

// The control characters that XML admits, as a bit per unit below 32: tab,
// line feed and carriage return.
constexpr uint32_t kAdmittedControls = (1u << 0x9) | (1u << 0xA) | (1u << 0xD);

// Units that the escaping copies as they are; "&" needs the keep rule.
constexpr bool IsPlain(char16_t c) { return c >= 32 && c <= 255 && c != u'&'; }

// Writes the reference of `v` at `out` and returns its end (at most ten
// units: "&#x10FFFF;").
char16_t* WriteRef(char32_t v, char16_t* out) {
  const int digits = v == 0 ? 1 : (std::bit_width(static_cast<uint32_t>(v)) + 3) / 4;
  out[0] = u'&';
  out[1] = u'#';
  out[2] = u'x';
  char16_t* const end = out + 3 + digits;
  for (char16_t* p = end; p > out + 3; v >>= 4) *--p = UpperHexDigit(v & 0xF);
  *end = u';';
  return end + 1;
}

// The common case: a character of the basic plane from U+1000 up (every
// Chinese one), whose reference has four digits.
constexpr bool HasFourDigits(char16_t c) { return c >= 0x1000 && !IsSurrogate(c); }

// The two digits of every byte, so a four-digit reference takes two look-ups.
struct DigitPairs {
  char16_t pair[256][2];
};
constexpr DigitPairs kDigitPairs = [] {
  DigitPairs t{};
  for (int b = 0; b < 256; ++b) {
    t.pair[b][0] = UpperHexDigit(b >> 4);
    t.pair[b][1] = UpperHexDigit(b & 0xF);
  }
  return t;
}();

char16_t* WriteRef4(char16_t c, char16_t* out) {
  out[0] = u'&';
  out[1] = u'#';
  out[2] = u'x';
  std::memcpy(out + 3, kDigitPairs.pair[c >> 8], sizeof(kDigitPairs.pair[0]));
  std::memcpy(out + 5, kDigitPairs.pair[c & 0xFF], sizeof(kDigitPairs.pair[0]));
  out[7] = u';';
  return out + 8;
}

// What the escaping writes, at most, without annotations: an "&" takes five
// units, any other unit outside 32-255 eight (a pair ten for two). Reserving
// it up front spares the result its reallocations, which copy megabytes.
// Counted in blocks of fixed length, which the compiler turns into vector
// code, so the count costs little beside the escaping.
size_t EscapedBound(std::u16string_view text) {
  constexpr size_t kBlock = 32;
  const char16_t* const s = text.data();
  const size_t n = text.size();
  size_t extra = 0;
  size_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    uint16_t block = 0;
    for (size_t k = 0; k < kBlock; ++k) {
      const char16_t c = s[i + k];
      block += static_cast<uint16_t>(((c < 32) | (c > 255)) * 7 + (c == u'&') * 4);
    }
    extra += block;
  }
  for (; i < n; ++i) extra += ((s[i] < 32) | (s[i] > 255)) * 7 + (s[i] == u'&') * 4;
  return n + extra;
}

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
    for (std::u16string_view name : kKeptNames) {
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

void AppendHexCharRef(char32_t code_point, std::u16string* out) {
  char16_t ref[10];
  out->append(ref, WriteRef(code_point, ref));
}

std::u16string RepairAndEscape(std::u16string_view text, Annotator annotate) {
  // Runs of plain units go to the result in one piece; everything written
  // unit by unit goes through a small buffer first, so the per-unit path
  // stores without a capacity check per character.
  constexpr size_t kBuffer = 1024;
  constexpr size_t kMostPerCharacter = 10 + kMaxAnnotation;
  constexpr size_t kShortRun = 32;
  char16_t buffer[kBuffer];
  char16_t* const flush_at = buffer + kBuffer - kMostPerCharacter;
  char16_t* p = buffer;

  std::u16string out;
  out.reserve(EscapedBound(text));
  AmpersandCursor cursor;
  const char16_t* const s = text.data();
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    if (IsPlain(s[i])) {
      size_t run = i + 1;
      while (run < n && IsPlain(s[run])) ++run;
      const size_t length = run - i;
      if (length <= kShortRun) {
        // Short runs between ampersands or references join the buffer: a
        // call to append for each would cost more than the copy.
        if (p + length > flush_at) {
          out.append(buffer, p);
          p = buffer;
        }
        p = std::copy(s + i, s + run, p);
      } else {
        out.append(buffer, p);
        p = buffer;
        out.append(s + i, length);
      }
      i = run;
      continue;
    }
    if (p > flush_at) {
      out.append(buffer, p);
      p = buffer;
    }
    char16_t c = s[i++];
    if (HasFourDigits(c)) {
      // A run of such characters (Chinese running text) stays in this loop.
      while (true) {
        p = WriteRef4(c, p);
        if (annotate != nullptr) p = annotate(c, p);
        if (i == n || p > flush_at || !HasFourDigits(s[i])) break;
        c = s[i++];
      }
      continue;
    }
    char32_t v = c;
    if (c == u'&') {
      *p++ = u'&';
      if (!KeepsAmpersand(text, i - 1, &cursor)) p = std::copy(kAmpTail.begin(), kAmpTail.end(), p);
      continue;
    }
    if (c < 32) {
      if (((kAdmittedControls >> c) & 1) == 0) continue;
    } else if (IsHighSurrogate(c) && i < n && IsLowSurrogate(s[i])) {
      v = CombineSurrogates(c, s[i++]);
    } else if (IsSurrogate(c)) {
      v = kReplacement;
    }
    p = WriteRef(v, p);
    if (annotate != nullptr) p = annotate(v, p);
  }
  out.append(buffer, p);
  return out;
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

std::u16string Uni(std::u16string_view text) { return RepairAndEscape(text); }

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
