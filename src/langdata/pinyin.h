// Pinyin of Chinese text: spelled out (GetPinYin), or each GB2312 level-1
// character annotated with its syllable (NeedPinYin). Pure functions on their
// arguments; every text has a result.
#ifndef ZORVADEL_LANGDATA_PINYIN_H_
#define ZORVADEL_LANGDATA_PINYIN_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvadel::langdata {

// The characters that never receive an annotation: the blank, the ideographic
// space and the Chinese punctuation. The output filter tests them too before
// it asks for a character's reading.
inline constexpr std::array<char16_t, 19> kPinyinSkipMarks = {
    u'\uFF0C', u'\u201C', u'\u201D', u'\u3002', u' ',      u'\u3000', u'\uFF1B',
    u'\uFF1A', u'\uFF1F', u'\u300A', u'\u300B', u'\u2018', u'\u2019', u'\uFF01',
    u'\u00B7', u'\u2014', u'\u3001', u'|',      u'\uFF0E'};
bool IsPinyinSkipMark(char16_t c);

// What GetPinYin gives for one character, without building a string: a
// level-1 character its syllable; a character with a one-byte code page 936
// form (code 1 to 159) the character of that code, so itself; a character
// that code page 936 cannot represent (a lone surrogate half included) "?";
// anything else (NUL, GB2312 symbols and level 2, the rest of code page 936)
// nothing. `scratch` holds the one-character answers, and the view may point
// into it.
std::u16string_view ReadingOf(char16_t c, char16_t& scratch);

// Every character's reading, joined without separators: "中a国" gives
// "zhongaguo".
std::u16string GetPinYin(std::u16string_view str_han_zi);

// Mode 0: each character, followed by "(" reading ")" when it has a reading
// that differs from it and it is no skip mark. Mode 1: the reading and one
// blank in place of each such character (skip marks included), the character
// itself otherwise. Any other mode gives "".
std::u16string NeedPinYin(std::u16string_view to_do_string, int mode);

}  // namespace zorvadel::langdata

#endif  // ZORVADEL_LANGDATA_PINYIN_H_
