// UTF-8 <-> UTF-16. Decoding is strict: overlong forms, encoded surrogates,
// values above U+10FFFF and cut sequences each become one U+FFFD per maximal
// ill-formed part, the same count browsers produce.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/codepage/codepage.h"
#include "runtime/utf16.h"

namespace zorvadel::codepage {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// What a lead byte promises: how many bytes the sequence has, and the range
// its second byte must fall in (this is where overlong forms, surrogates and
// values past U+10FFFF are ruled out). Length 0 = never a lead byte.
struct Lead {
  uint8_t length;
  uint8_t second_min;
  uint8_t second_max;
};

constexpr Lead LeadOf(uint8_t b) {
  if (b < 0xC2) return {0, 0, 0};  // continuation bytes and overlong C0/C1
  if (b < 0xE0) return {2, 0x80, 0xBF};
  if (b == 0xE0) return {3, 0xA0, 0xBF};
  if (b == 0xED) return {3, 0x80, 0x9F};  // stops before D800-DFFF
  if (b < 0xF0) return {3, 0x80, 0xBF};
  if (b == 0xF0) return {4, 0x90, 0xBF};
  if (b < 0xF4) return {4, 0x80, 0xBF};
  if (b == 0xF4) return {4, 0x80, 0x8F};  // stops at U+10FFFF
  return {0, 0, 0};
}

char* PutUtf8(char32_t cp, char* o) {
  if (cp < 0x80) {
    *o++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *o++ = static_cast<char>(0xC0 | cp >> 6);
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *o++ = static_cast<char>(0xE0 | cp >> 12);
    *o++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *o++ = static_cast<char>(0xF0 | cp >> 18);
    *o++ = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    *o++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return o;
}

char16_t* PutUtf16(char32_t cp, char16_t* o) {
  if (cp < 0x10000) {
    *o++ = static_cast<char16_t>(cp);
  } else {
    *o++ = HighSurrogateOf(cp);
    *o++ = LowSurrogateOf(cp);
  }
  return o;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  // A unit takes at most 3 bytes; a pair (two units) takes 4.
  std::string out(text.size() * 3, '\0');
  char* o = out.data();
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
      continue;
    }
    char32_t cp = c;
    if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
      cp = CombineSurrogates(c, text[i + 1]);
      ++i;
    } else if (IsSurrogate(c)) {
      cp = kReplacement;
    }
    o = PutUtf8(cp, o);
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::u16string FromUtf8(std::string_view bytes) {
  // Every byte yields at most one unit (a 4-byte sequence gives two).
  std::u16string out(bytes.size(), u'\0');
  char16_t* o = out.data();
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    const uint8_t b = static_cast<uint8_t>(bytes[i]);
    if (b < 0x80) {
      *o++ = b;
      ++i;
      continue;
    }
    const Lead lead = LeadOf(b);
    if (lead.length == 0) {
      *o++ = static_cast<char16_t>(kReplacement);
      ++i;
      continue;
    }
    char32_t cp = b & (0x7F >> lead.length);
    size_t taken = 1;
    while (taken < lead.length && i + taken < n) {
      const uint8_t next = static_cast<uint8_t>(bytes[i + taken]);
      const uint8_t min = taken == 1 ? lead.second_min : 0x80;
      const uint8_t max = taken == 1 ? lead.second_max : 0xBF;
      if (next < min || next > max) break;
      cp = cp << 6 | (next & 0x3F);
      ++taken;
    }
    // A cut or broken sequence is one U+FFFD; the byte that broke it starts
    // afresh.
    o = PutUtf16(taken == lead.length ? cp : kReplacement, o);
    i += taken;
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

}  // namespace zorvadel::codepage
