// Simplified/traditional, full-width/half-width and zone/position forms.
#include "text/charset_forms.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/st_table.h"
#include "platform/codepage/codepage.h"

namespace zorvadel::text {
namespace {

struct CharTable {
  const data::CharPair* pairs;
  size_t size;
};

char16_t MapChar(const CharTable& table, char16_t c) {
  const data::CharPair* end = table.pairs + table.size;
  const data::CharPair* it = std::lower_bound(
      table.pairs, end, c, [](const data::CharPair& pair, char16_t key) { return pair.from < key; });
  return it != end && it->from == c ? it->to : c;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The text's round trip through code page 936 with the table applied to
// each character on the way, which is what mapping the byte form amounts to.
std::u16string MapThroughGbk(std::u16string_view text, const CharTable& table) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == 0) break;  // the byte form is a zero-terminated string
    if (c < 0x80) {
      out.push_back(c);
    } else if (!codepage::HasGbk(c)) {
      if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
      out.push_back(u'?');
    } else {
      out.push_back(MapChar(table, c));
    }
  }
  return out;
}

// The runtime's width conversion: ASCII graphics sit at a fixed distance from
// their full-width forms; the blank pairs with the ideographic space.
constexpr char16_t kNarrowFirst = 0x21;
constexpr char16_t kNarrowLast = 0x7E;
constexpr char16_t kWideOffset = 0xFF01 - 0x21;
constexpr char16_t kBlank = 0x20;
constexpr char16_t kIdeographicSpace = 0x3000;

// GB2312 rows and cells are bytes 0xA1-0xFE, numbered from 1.
constexpr int kZoneBase = 160;
constexpr int kGb2312ByteFirst = 0xA1;

void AppendTwoDigits(int value, std::u16string* out) {
  out->push_back(static_cast<char16_t>(u'0' + value / 10));
  out->push_back(static_cast<char16_t>(u'0' + value % 10));
}

// The whole text read as a (possibly negative) decimal integer.
int ParseSmallInt(std::u16string_view text) {
  bool negative = !text.empty() && text[0] == u'-';
  int value = 0;
  for (size_t i = negative ? 1 : 0; i < text.size(); ++i) value = value * 10 + (text[i] - u'0');
  return negative ? -value : value;
}

}  // namespace

std::u16string JToF(std::u16string_view text) {
  return MapThroughGbk(text, {data::kSimplifiedToTraditional, data::kSimplifiedToTraditionalSize});
}

std::u16string FToJ(std::u16string_view text) {
  return MapThroughGbk(text, {data::kTraditionalToSimplified, data::kTraditionalToSimplifiedSize});
}

std::u16string StrToWide(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= kNarrowFirst && c <= kNarrowLast) {
      c = static_cast<char16_t>(c + kWideOffset);
    } else if (c == kBlank) {
      c = kIdeographicSpace;
    }
  }
  return out;
}

std::u16string StrToNarrow(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= kNarrowFirst + kWideOffset && c <= kNarrowLast + kWideOffset) {
      c = static_cast<char16_t>(c - kWideOffset);
    } else if (c == kIdeographicSpace) {
      c = kBlank;
    }
  }
  return out;
}

std::u16string QWMEnCode(std::u16string_view text, std::u16string_view split_mark) {
  std::u16string out;
  for (char16_t c : text) {
    const uint16_t code = c == 0 ? 0 : codepage::GbkCode(c);
    const int lead = code >> 8;
    const int trail = code & 0xFF;
    if (lead < kGb2312ByteFirst || trail < kGb2312ByteFirst) continue;
    out.push_back(c);
    out.push_back(u':');
    AppendTwoDigits(lead - kZoneBase, &out);
    AppendTwoDigits(trail - kZoneBase, &out);
    out.append(split_mark);
  }
  return out;
}

std::u16string QWMDeCode(int16_t code) {
  std::u16string digits;
  for (int v = code < 0 ? -code : code; v != 0 || digits.empty(); v /= 10) {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
  }
  if (code < 0) {
    digits.insert(digits.begin(), u'-');
  } else if (digits.size() < 4) {
    digits.insert(0, 4 - digits.size(), u'0');
  }
  // Zone and position are the first and the last two characters of that
  // text, whatever lies between them; a minus sign goes with its digit.
  const int zone = ParseSmallInt(std::u16string_view(digits).substr(0, 2));
  const int position = ParseSmallInt(std::u16string_view(digits).substr(digits.size() - 2));
  const int value = (zone + kZoneBase) * 256 + position + kZoneBase;
  if (value < 0x100 || value > 0xFFFF) return std::u16string();
  const char16_t c = codepage::FromGbkCode(static_cast<uint16_t>(value));
  if (c == 0) return std::u16string();
  return std::u16string(1, c);
}

}  // namespace zorvadel::text
