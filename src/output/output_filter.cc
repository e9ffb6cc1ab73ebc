// The text-only steps of the output filter, and its escaping pass: the
// entity keep rule and the reference form are text/charset_refs.h's (Uni
// writes the same), the pass itself is the filter's own, since every byte of
// every page goes through it.
#include "output/output_filter.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "langdata/pinyin.h"
#include "runtime/hex_digits.h"
#include "runtime/utf16.h"
#include "text/charset_refs.h"

namespace zorvadel::output {
namespace {

constexpr std::u16string_view kComplex = u"complex";
constexpr std::u16string_view kSimple = u"simple";
constexpr std::u16string_view kGb2312 = u"gb2312";
constexpr size_t kNone = std::u16string_view::npos;

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

// `text` equals `lower` (all lower-case ASCII) ignoring ASCII letter case.
// The runtime's LCase maps no other letter onto an ASCII one, so this is
// LCase(text) == lower without building the lower-cased copy.
bool EqualsLowered(std::u16string_view text, std::u16string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (AsciiLower(text[i]) != lower[i]) return false;
  }
  return true;
}

// A syllable is written in small Latin letters; every other reading (the
// character itself for a one-byte character, "?" for one with no code page
// 936 form) says that the character has none.
bool IsSyllable(std::u16string_view reading) {
  if (reading.empty() || reading.size() + 3 > text::kMaxAnnotation) return false;
  for (char16_t c : reading) {
    if (c < u'a' || c > u'z') return false;
  }
  return true;
}

// "(zhong )" behind the reference of a character with a syllable, as
// NeedPinYin's mode 1 writes the syllable; nothing behind any other, which
// would only repeat the character.
char16_t* AnnotatePinyin(char32_t code_point, char16_t* out) {
  if (code_point > 0xFFFF) return out;
  const auto c = static_cast<char16_t>(code_point);
  if (langdata::IsPinyinSkipMark(c)) return out;
  char16_t scratch = 0;
  const std::u16string_view reading = langdata::ReadingOf(c, scratch);
  if (!IsSyllable(reading)) return out;
  *out++ = u'(';
  out = std::copy(reading.begin(), reading.end(), out);
  *out++ = u' ';
  *out++ = u')';
  return out;
}

// ---- The escaping pass -------------------------------------------------------

constexpr char32_t kReplacement = 0xFFFD;

// The control characters that XML admits, as a bit per unit below 32: tab,
// line feed and carriage return. The others are dropped.
constexpr uint32_t kAdmittedControls = (1u << 0x9) | (1u << 0xA) | (1u << 0xD);

// The most that one step of the pass writes: a pair's reference of ten units
// and its annotation, and the unit that WriteRef4 writes beyond its end.
constexpr size_t kMostPerStep = 10 + text::kMaxAnnotation + 1;

// Units that the pass copies as they are; "&" needs the keep rule.
constexpr bool IsPlain(char16_t c) { return c >= 32 && c <= 255 && c != u'&'; }

// The common escaped unit: a character of the basic plane from U+1000 up
// (every Chinese one), whose reference has four digits.
constexpr bool HasFourDigits(char16_t c) { return c >= 0x1000 && !IsSurrogate(c); }

// Eight units in one vector register: plain text is scanned and copied, and
// the size of the result counted, eight units at a time.
typedef uint16_t Units __attribute__((vector_size(16)));
constexpr size_t kLanes = sizeof(Units) / sizeof(char16_t);
constexpr uint16_t kAmpersand = u'&';

Units Load(const char16_t* s) {
  Units x;
  std::memcpy(&x, s, sizeof x);
  return x;
}

// All ones in the lanes whose unit is escaped (below 32 or above 255).
Units Escaped(Units x) { return Units(((x & 0xFF00) != 0) | ((x & 0xFFE0) == 0)); }

// How many of the eight units at `s` are plain before the first that is not.
size_t PlainPrefix(const char16_t* s) {
  const Units x = Load(s);
  const Units stop = Escaped(x) | Units(x == kAmpersand);
  uint64_t half[2];
  static_assert(sizeof half == sizeof stop);
  std::memcpy(half, &stop, sizeof half);
  static_assert(std::endian::native == std::endian::little, "lane 0 is the low end of half[0]");
  if (half[0] != 0) return std::countr_zero(half[0]) / 16;
  if (half[1] != 0) return kLanes / 2 + std::countr_zero(half[1]) / 16;
  return kLanes;
}

// Whether all eight units at `s` have four-digit references.
bool AllFourDigits(const char16_t* s) {
  const Units x = Load(s);
  const Units four = Units(x >= 0x1000) & Units((x & 0xF800) != 0xD800);
  uint64_t half[2];
  std::memcpy(half, &four, sizeof half);
  return (half[0] & half[1]) == ~uint64_t{0};
}

// The two digits of each byte and a ";" (and a unit of padding), so that a
// four-digit reference is three stores.
struct ByteDigits {
  char16_t units[256][4];
};
constexpr ByteDigits kByteDigits = [] {
  ByteDigits t{};
  for (unsigned b = 0; b < 256; ++b) {
    t.units[b][0] = UpperHexDigit(b >> 4);
    t.units[b][1] = UpperHexDigit(b & 0xF);
    t.units[b][2] = u';';
  }
  return t;
}();
constexpr char16_t kRefOpen[4] = {u'&', u'#', u'x', 0};

// Writes "&#xHHHH;" at `out` and returns its end; the unit after the end is
// overwritten too (it is the next step's to write).
char16_t* WriteRef4(char16_t c, char16_t* out) {
  std::memcpy(out, kRefOpen, sizeof kRefOpen);
  std::memcpy(out + 3, kByteDigits.units[c >> 8], 2 * sizeof(char16_t));
  std::memcpy(out + 5, kByteDigits.units[c & 0xFF], sizeof kByteDigits.units[0]);
  return out + 8;
}

// Any other reference, "&#x9;" to "&#x10FFFF;".
char16_t* WriteRef(char32_t v, char16_t* out) {
  const int digits = v == 0 ? 1 : (std::bit_width(static_cast<uint32_t>(v)) + 3) / 4;
  std::memcpy(out, kRefOpen, sizeof kRefOpen);
  char16_t* const end = out + 3 + digits;
  for (char16_t* p = end; p > out + 3; v >>= 4) *--p = UpperHexDigit(v & 0xF);
  *end = u';';
  return end + 1;
}

// What the pass writes, at most, without annotations: an "&" takes five
// units, any other unit outside 32-255 eight (a pair ten for two).
size_t EscapedBound(std::u16string_view text) {
  // Lane sums grow by at most 7 a block: a run of 8192 blocks stays below
  // 65536.
  constexpr size_t kRun = 8192 * kLanes;
  const char16_t* const s = text.data();
  const size_t n = text.size();
  size_t extra = 0;
  size_t i = 0;
  while (i + kLanes <= n) {
    Units sums{};
    for (const size_t stop = std::min(n - n % kLanes, i + kRun); i < stop; i += kLanes) {
      const Units x = Load(s + i);
      sums += (Escaped(x) & 7) + (Units(x == kAmpersand) & 4);
    }
    for (size_t k = 0; k < kLanes; ++k) extra += sums[k];
  }
  for (; i < n; ++i) extra += ((s[i] < 32) | (s[i] > 255)) * 7 + (s[i] == u'&') * 4;
  return n + extra;
}

// The result is written in place: it grows by a chunk at a time (the zeroes
// that resize writes land in the cache just before the pass overwrites them)
// within one allocation sized up front, and is cut to what was written at the
// end. The pass keeps its cursor and the chunk's end in locals, out of the
// string's reach, so that its stores do not make the compiler reload them.
struct Chunk {
  char16_t* p;
  char16_t* end;
};
[[gnu::noinline]] Chunk Grow(std::u16string* out, char16_t* p, size_t chunk) {
  const size_t used = p - out->data();
  out->resize(used + chunk);
  return {out->data() + used, out->data() + out->size()};
}

template <bool kPinyin>
std::u16string Escape(std::u16string_view text) {
  const char16_t* const s = text.data();
  const size_t n = text.size();
  const size_t bound = EscapedBound(text);
  // A short text is written in one chunk; a long one in chunks that stay in
  // the cache, the last of which may reach a chunk beyond the bound.
  constexpr size_t kLongest = 4096;
  const size_t chunk = std::min(bound, kLongest) + kMostPerStep;
  std::u16string out;
  out.reserve(bound <= kLongest ? chunk : bound + chunk);
  char16_t* p = out.data();
  char16_t* end = p;
  auto room = [&](size_t units) {
    if (static_cast<size_t>(end - p) < units) {
      const Chunk next = Grow(&out, p, std::max(chunk, units));
      p = next.p;
      end = next.end;
    }
  };
  text::AmpersandCursor cursor;
  size_t i = 0;
  while (i < n) {
    room(kMostPerStep);
    char16_t c = s[i];
    if (IsPlain(c)) {
      // Eight units are copied before they are tested; the cursor moves over
      // the plain ones only.
      size_t plain = kLanes;
      while (plain == kLanes && i + kLanes <= n) {
        room(kLanes);
        std::memcpy(p, s + i, sizeof(Units));
        plain = PlainPrefix(s + i);
        p += plain;
        i += plain;
      }
      if (plain == kLanes) {
        // Fewer than eight units are left.
        room(kLanes);
        while (i < n && IsPlain(s[i])) *p++ = s[i++];
      }
      continue;
    }
    if (HasFourDigits(c)) {
      // Running Chinese text stays in these loops, eight characters at a
      // time while they last.
      constexpr size_t kMostPerRef = 8 + (kPinyin ? text::kMaxAnnotation : 0);
      while (i + kLanes <= n && AllFourDigits(s + i)) {
        room(kLanes * kMostPerRef + 1);
        for (size_t k = 0; k < kLanes; ++k) {
          p = WriteRef4(s[i + k], p);
          if constexpr (kPinyin) p = AnnotatePinyin(s[i + k], p);
        }
        i += kLanes;
      }
      if (i == n || !HasFourDigits(c = s[i])) continue;
      room(kMostPerStep);
      while (true) {
        p = WriteRef4(c, p);
        if constexpr (kPinyin) p = AnnotatePinyin(c, p);
        if (++i == n || !HasFourDigits(c = s[i])) break;
        room(kMostPerStep);
      }
      continue;
    }
    ++i;
    if (c == u'&') {
      std::memcpy(p, u"&amp;", 5 * sizeof(char16_t));
      p += text::KeepsAmpersand(text, i - 1, &cursor) ? 1 : 5;
      continue;
    }
    char32_t v = c;
    if (c < 32) {
      if (((kAdmittedControls >> c) & 1) == 0) continue;
    } else if (IsHighSurrogate(c) && i < n && IsLowSurrogate(s[i])) {
      v = CombineSurrogates(c, s[i++]);
    } else if (IsSurrogate(c)) {
      v = kReplacement;
    }
    p = WriteRef(v, p);
    if constexpr (kPinyin) p = AnnotatePinyin(v, p);
  }
  out.resize(p - out.data());
  return out;
}

}  // namespace

ChineseForm ChineseFormOf(std::u16string_view chinese_type) {
  size_t b = 0, e = chinese_type.size();
  while (b < e && chinese_type[b] == u' ') ++b;
  while (e > b && chinese_type[e - 1] == u' ') --e;
  const std::u16string_view word = chinese_type.substr(b, e - b);
  if (EqualsLowered(word, kComplex)) return ChineseForm::kTraditional;
  if (EqualsLowered(word, kSimple)) return ChineseForm::kSimplified;
  return ChineseForm::kUnchanged;
}

bool IsGb2312Coding(std::u16string_view wap_en_coding) {
  return EqualsLowered(wap_en_coding, kGb2312);
}

void ReplaceStopWords(std::u16string_view stop_words, std::u16string_view pass_words,
                      std::u16string* text) {
  std::vector<std::u16string_view> words;
  for (size_t start = 0;;) {
    const size_t bar = stop_words.find(u'|', start);
    const std::u16string_view word = stop_words.substr(start, bar == kNone ? kNone : bar - start);
    if (!word.empty()) words.push_back(word);
    if (bar == kNone) break;
    start = bar + 1;
  }
  if (words.empty()) return;
  // The units a word can start with: the pass skips every other one in bulk.
  std::bitset<65536> starts;
  for (const std::u16string_view word : words) starts.set(word[0]);
  // One pass over the text as it came in: pass text that a word put in is
  // never searched again, so the output is bounded by the input.
  const std::u16string_view in = *text;
  std::u16string out;
  out.reserve(in.size());
  bool changed = false;
  for (size_t at = 0; at < in.size();) {
    if (!starts.test(in[at])) {
      const size_t from = at;
      while (at < in.size() && !starts.test(in[at])) ++at;
      out.append(in, from, at - from);
      continue;
    }
    const std::u16string_view rest = in.substr(at);
    size_t matched = 0;
    for (const std::u16string_view word : words) {
      if (rest.starts_with(word)) {
        matched = word.size();
        break;
      }
    }
    if (matched == 0) {
      out.push_back(in[at++]);
      continue;
    }
    out.append(pass_words);
    at += matched;
    changed = true;
  }
  if (changed) *text = std::move(out);
}

std::u16string HexCharRef(char32_t code_point) {
  std::u16string out;
  text::AppendHexCharRef(code_point, &out);
  return out;
}

std::u16string RepairAndEscape(std::u16string_view text, bool pinyin) {
  return pinyin ? Escape<true>(text) : Escape<false>(text);
}

}  // namespace zorvadel::output
