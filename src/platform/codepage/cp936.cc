// Code page 936: the generated table gives the two-byte codes in code order;
// the encode direction is its inverse, built once on first use.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/cp936_table.h"
#include "platform/codepage/codepage.h"
#include "runtime/utf16.h"

namespace zorvadel::codepage {
namespace {

constexpr char16_t kEuro = 0x20AC;
constexpr uint16_t kEuroCode = 0x80;
constexpr char16_t kReplacement = 0xFFFD;

bool IsLead(uint8_t b) {
  return b >= data::kCp936LeadFirst && b <= data::kCp936LeadLast;
}

bool IsTrail(uint8_t b) {
  return b >= data::kCp936TrailFirst && b <= data::kCp936TrailLast &&
         b != data::kCp936TrailGap;
}

// Caller has checked IsLead(lead) && IsTrail(trail).
char16_t PairChar(uint8_t lead, uint8_t trail) {
  const int cell = (lead - data::kCp936LeadFirst) * data::kCp936TrailsPerLead +
                   (trail - data::kCp936TrailFirst) -
                   (trail > data::kCp936TrailGap ? 1 : 0);
  return data::kCp936Pairs[cell];
}

// Code of every UTF-16 unit (0 = no form). One flat array: 128 KiB buys a
// single read per character on the output path, which every page takes.
class EncodeTable {
 public:
  EncodeTable() : code_{} {
    for (char16_t c = 1; c < 0x80; ++c) code_[c] = c;
    code_[kEuro] = kEuroCode;
    for (int lead = data::kCp936LeadFirst; lead <= data::kCp936LeadLast; ++lead) {
      for (int trail = data::kCp936TrailFirst; trail <= data::kCp936TrailLast; ++trail) {
        if (trail == data::kCp936TrailGap) continue;
        const char16_t c = PairChar(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
        if (c != 0) code_[c] = static_cast<uint16_t>(lead << 8 | trail);
      }
    }
  }

  const uint16_t* codes() const { return code_.data(); }

 private:
  std::array<uint16_t, 0x10000> code_;
};

// Thread-safe: the first caller builds it, everyone after only reads.
const uint16_t* EncodeCodes() {
  static const EncodeTable table;
  return table.codes();
}

}  // namespace

uint16_t GbkCode(char16_t c) { return EncodeCodes()[c]; }

bool HasGbk(char16_t c) { return c == 0 || EncodeCodes()[c] != 0; }

char16_t FromGbkCode(uint16_t code) {
  if (code < 0x80) return code;
  if (code == kEuroCode) return kEuro;
  const uint8_t lead = static_cast<uint8_t>(code >> 8);
  const uint8_t trail = static_cast<uint8_t>(code & 0xFF);
  if (!IsLead(lead) || !IsTrail(trail)) return 0;
  return PairChar(lead, trail);
}

std::string ToGbk(std::u16string_view text) {
  const uint16_t* codes = EncodeCodes();
  std::string out(text.size() * 2, '\0');
  char* o = out.data();
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
      continue;
    }
    // A supplementary character has no form; it must not turn into two "?".
    if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(text[i + 1])) ++i;
    const uint16_t code = codes[c];
    if (code == 0) {
      *o++ = '?';
    } else if (code < 0x100) {
      *o++ = static_cast<char>(code);
    } else {
      *o++ = static_cast<char>(code >> 8);
      *o++ = static_cast<char>(code & 0xFF);
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::u16string FromGbk(std::string_view bytes) {
  // Every byte yields at most one unit.
  std::u16string out(bytes.size(), u'\0');
  char16_t* o = out.data();
  const size_t n = bytes.size();
  for (size_t i = 0; i < n; ++i) {
    const uint8_t b = static_cast<uint8_t>(bytes[i]);
    if (b < 0x80) {
      *o++ = b;
    } else if (b == kEuroCode) {
      *o++ = kEuro;
    } else if (!IsLead(b)) {
      *o++ = kReplacement;
    } else if (i + 1 < n && IsTrail(static_cast<uint8_t>(bytes[i + 1]))) {
      // A well-formed pair is taken whole even when it names nothing, so the
      // trail byte cannot be misread as ASCII.
      const char16_t c = PairChar(b, static_cast<uint8_t>(bytes[i + 1]));
      *o++ = c != 0 ? c : kReplacement;
      ++i;
    } else {
      // A lead byte without a trail: the next byte is read on its own, so a
      // broken pair never swallows the ASCII after it.
      *o++ = kReplacement;
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

}  // namespace zorvadel::codepage
