// The pinyin syllables of GB2312 level 1 (codes 0xB0A1 to 0xD7F9). That level
// files its characters by reading, so each syllable covers one run of codes;
// the table keeps only the code at which each run begins, and a code's
// syllable is that of the last run beginning at or before it. Constant data:
// shared by every thread, nothing to build or release.
#ifndef ZORVADEL_LANGDATA_PINYIN_TABLE_H_
#define ZORVADEL_LANGDATA_PINYIN_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zorvadel::langdata {

inline constexpr uint16_t kLevel1First = 0xB0A1;
inline constexpr uint16_t kLevel1Last = 0xD7F9;
inline constexpr size_t kPinyinRowCount = 396;

struct PinyinRow {
  // Lower-case ASCII without tone marks; ü is "v" in lv and nv.
  std::u16string_view syllable;
  // Code page 936 code of the first character filed under the syllable.
  uint16_t start;
};

// The rows in ascending order of start code (lv follows lu, nv follows nu).
std::span<const PinyinRow, kPinyinRowCount> PinyinRows();

// The syllable of a code from kLevel1First to kLevel1Last, both included;
// empty for any other code. Two array reads, no search.
std::u16string_view SyllableOfCode(uint16_t code);

// A syllable padded to a fixed size, so that a text builder can copy it with
// one fixed-size move and then advance by `length`.
struct PackedSyllable {
  char16_t text[7];
  uint16_t length;
};
static_assert(sizeof(PackedSyllable) == 16);

// As SyllableOfCode, packed; null for a code outside level 1.
const PackedSyllable* PackedSyllableOfCode(uint16_t code);

}  // namespace zorvadel::langdata

#endif  // ZORVADEL_LANGDATA_PINYIN_TABLE_H_
