// The escaping pass of text/charset_refs.h's RepairAndEscape. It is the last
// pass of the page classes' output filter, which every unit of every page
// goes through, so it is built for speed: one allocation sized by a counting
// pass, plain text scanned and copied eight units at a time, and running
// Chinese text written eight references at a time.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "langdata/pinyin.h"
#include "runtime/hex_digits.h"
#include "runtime/utf16.h"
#include "text/charset_refs.h"
#include "text/xml_chars.h"

namespace zorvadel::text {
namespace {

// ---- The pinyin annotation -------------------------------------------------

// Room for one annotation, "(" + a syllable + " )": a longer reading is no
// syllable.
constexpr size_t kMaxAnnotation = 16;

// A syllable is written in small Latin letters; every other reading (the
// character itself for a one-byte character, "?" for one with no code page
// 936 form) says that the character has none.
bool IsSyllable(std::u16string_view reading) {
  if (reading.empty() || reading.size() + 3 > kMaxAnnotation) return false;
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

// ---- The escaping pass -----------------------------------------------------

// The most that one step of the pass writes: a pair's reference of ten units
// and its annotation, and the unit that WriteRef4 writes beyond its end.
constexpr size_t kMostPerStep = 10 + kMaxAnnotation + 1;

// Units that the pass copies as they are; "&" needs the keep rule.
constexpr bool IsPlain(char16_t c) { return c >= 32 && c <= 255 && c != u'&'; }

// The common escaped unit: a character of the basic plane from U+1000 up
// (every Chinese one) that XML carries, whose reference has four digits.
constexpr bool HasFourDigits(char16_t c) { return c >= 0x1000 && IsXmlChar(c); }

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

// Whether all eight units at `s` have four-digit references: HasFourDigits
// lane by lane, from U+1000 up but for the surrogates, U+FFFE and U+FFFF.
bool AllFourDigits(const char16_t* s) {
  const Units x = Load(s);
  const Units four = Units(Units(x - 0x1000) < 0xFFFE - 0x1000) & Units((x & 0xF800) != 0xD800);
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
// "&#x" and a unit of padding, stored as one piece.
constexpr char16_t kRefOpenPadded[4] = {u'&', u'#', u'x', 0};

// Writes "&#xHHHH;" at `out` and returns its end; the unit after the end is
// overwritten too (it is the next step's to write).
char16_t* WriteRef4(char16_t c, char16_t* out) {
  std::memcpy(out, kRefOpenPadded, sizeof kRefOpenPadded);
  std::memcpy(out + 3, kByteDigits.units[c >> 8], 2 * sizeof(char16_t));
  std::memcpy(out + 5, kByteDigits.units[c & 0xFF], sizeof kByteDigits.units[0]);
  return out + 8;
}

// Any other reference, "&#x9;" to "&#x10FFFF;".
char16_t* WriteRef(char32_t v, char16_t* out) {
  const int digits = v == 0 ? 1 : (std::bit_width(static_cast<uint32_t>(v)) + 3) / 4;
  std::memcpy(out, kRefOpenPadded, sizeof kRefOpenPadded);
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
// Growing is flattened so that resize's fill is a memset of zeroes wherever
// the pass is built: left to a call, the string's fill of one unit at a time
// took more than half of the pass.
struct Chunk {
  char16_t* p;
  char16_t* end;
};
[[gnu::noinline, gnu::flatten]] Chunk Grow(std::u16string* out, char16_t* p, size_t chunk) {
  const size_t used = p - out->data();
  out->resize(used + chunk);
  return {out->data() + used, out->data() + out->size()};
}

// Appends to `out`, after what it holds.
template <bool kPinyin>
void Escape(std::u16string_view text, std::u16string& out) {
  const char16_t* const s = text.data();
  const size_t n = text.size();
  // The bound only sizes the room (each step makes sure of its own), so a
  // short text, as link texts and titles are, takes the most that any text
  // of its length needs instead of a counting pass.
  constexpr size_t kShort = 16;
  const size_t bound = n <= kShort ? n * 8 : EscapedBound(text);
  // A short text is written in one chunk; a long one in chunks that stay in
  // the cache, the last of which may reach a chunk beyond the bound.
  constexpr size_t kLongest = 4096;
  const size_t chunk = std::min(bound, kLongest) + kMostPerStep;
  out.reserve(out.size() + (bound <= kLongest ? chunk : bound + chunk));
  char16_t* p = out.data() + out.size();
  char16_t* end = p;
  auto room = [&](size_t units) {
    if (static_cast<size_t>(end - p) < units) {
      const Chunk next = Grow(&out, p, std::max(chunk, units));
      p = next.p;
      end = next.end;
    }
  };
  AmpersandCursor cursor;
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
      constexpr size_t kMostPerRef = 8 + (kPinyin ? kMaxAnnotation : 0);
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
      if (!KeepsAmpersand(text, i - 1, &cursor)) {
        std::memcpy(p, u"&amp;", 5 * sizeof(char16_t));
        p += 5;
        continue;
      }
      // A kept reference to a character XML cannot carry goes as the
      // character itself would.
      const XmlReference ref = ReadXmlReference(text, i - 1);
      if (ref.length != 0 && !IsXmlChar(ref.value)) {
        i += ref.length - 1;
      } else {
        *p++ = u'&';
      }
      continue;
    }
    char32_t v = c;
    if (!IsXmlChar(c)) {
      // Dropped but for a surrogate that has its partner: the C0 controls
      // but tab, line feed and carriage return, U+FFFE, U+FFFF and a lone
      // surrogate.
      if (!IsHighSurrogate(c) || i == n || !IsLowSurrogate(s[i])) continue;
      v = CombineSurrogates(c, s[i++]);
    }
    p = WriteRef(v, p);
    if constexpr (kPinyin) p = AnnotatePinyin(v, p);
  }
  out.resize(p - out.data());
}

}  // namespace

std::u16string RepairAndEscape(std::u16string_view text, bool pinyin) {
  std::u16string out;
  AppendRepairAndEscape(text, pinyin, &out);
  return out;
}

void AppendRepairAndEscape(std::u16string_view text, bool pinyin, std::u16string* out) {
  if (pinyin) {
    Escape<true>(text, *out);
  } else {
    Escape<false>(text, *out);
  }
}

}  // namespace zorvadel::text
