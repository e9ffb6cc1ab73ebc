// Simplified/traditional, full-width/half-width and zone/position forms.
#include "text/charset_forms.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/st_table.h"
#include "platform/codepage/codepage.h"
#include "runtime/decimal_text.h"

namespace zorvadel::text {
namespace {

// Every UTF-16 unit's image under one direction of the table, built once
// from the sorted pairs: mapping a text is then one load per unit, with no
// search and no code page lookup. 128 KiB per direction; the CJK block that
// real text touches is a small part of it.
using UnitMap = std::array<char16_t, 0x10000>;

std::unique_ptr<const UnitMap> BuildUnitMap(const data::CharPair* pairs, size_t size) {
  auto map = std::make_unique<UnitMap>();
  for (size_t c = 0; c < map->size(); ++c) (*map)[c] = static_cast<char16_t>(c);
  for (size_t i = 0; i < size; ++i) (*map)[pairs[i].from] = pairs[i].to;
  return map;
}

// The table holds BMP characters only, so the units of a surrogate pair and
// any character without a pair map to themselves, and U+0000 is a character
// like any other.
std::u16string MapUnits(std::u16string_view text, const UnitMap& map) {
  std::u16string out(text.size(), u'\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = map[text[i]];
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

// The whole text read as a (possibly negative) decimal integer.
int ParseSmallInt(std::u16string_view text) {
  bool negative = !text.empty() && text[0] == u'-';
  int value = 0;
  for (size_t i = negative ? 1 : 0; i < text.size(); ++i) value = value * 10 + (text[i] - u'0');
  return negative ? -value : value;
}

}  // namespace

std::u16string JToF(std::u16string_view text) {
  static const std::unique_ptr<const UnitMap> map =
      BuildUnitMap(data::kSimplifiedToTraditional, data::kSimplifiedToTraditionalSize);
  return MapUnits(text, *map);
}

std::u16string FToJ(std::u16string_view text) {
  static const std::unique_ptr<const UnitMap> map =
      BuildUnitMap(data::kTraditionalToSimplified, data::kTraditionalToSimplifiedSize);
  return MapUnits(text, *map);
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
    AppendDecimal(&out, lead - kZoneBase, 2);
    AppendDecimal(&out, trail - kZoneBase, 2);
    out.append(split_mark);
  }
  return out;
}

std::u16string QWMDeCode(int16_t code) {
  // At least four digits when not negative.
  std::u16string digits;
  AppendDecimal(&digits, code, code < 0 ? 0 : 4);
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
