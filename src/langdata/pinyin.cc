// Readings of single characters and the two text forms built from them. The
// character's code comes from the code page 936 table; the syllable from the
// constant pinyin table.
#include "langdata/pinyin.h"

#include <algorithm>
#include <cstring>

#include "langdata/pinyin_table.h"
#include "platform/codepage/codepage.h"

namespace zorvadel::langdata {
namespace {

// The code a character stands for in code page 936; one without a form is
// sent as the question mark and so counts as one.
uint16_t CodeOf(char16_t c) {
  const uint16_t code = codepage::GbkCode(c);
  return code != 0 || c == 0 ? code : uint16_t{u'?'};
}

// The most units one character can write: the character, "(", a packed
// syllable moved whole (8 units, of which at most 6 count) and ")".
constexpr size_t kMaxPerChar = 12;

// Collects the text in a small local buffer and moves it to the result in
// blocks, so the per-character appends need no more than one bound check and
// the result grows only by whole blocks (a one-character text stays in the
// string's own storage).
class Builder {
 public:
  // `expected`: the likely size of the result, reserved up front (within
  // reason: a huge text grows as it goes instead).
  explicit Builder(size_t expected) { out_.reserve(std::min(expected, kMaxReserve)); }
  // Before each character.
  void Room() {
    if (at_ > block_ + kBlock - kMaxPerChar) Flush();
  }
  void Add(char16_t c) { *at_++ = c; }
  void Add(std::u16string_view text) {
    for (char16_t c : text) *at_++ = c;
  }
  // One fixed-size move instead of a loop over the letters; what lies past
  // the syllable is overwritten by the next addition.
  void Add(const PackedSyllable& syllable) {
    std::memcpy(at_, &syllable, sizeof(PackedSyllable));
    at_ += syllable.length;
  }
  std::u16string Finish() {
    Flush();
    return std::move(out_);
  }

 private:
  static constexpr size_t kBlock = 2048;
  static constexpr size_t kMaxReserve = size_t{1} << 24;
  void Flush() {
    out_.append(block_, static_cast<size_t>(at_ - block_));
    at_ = block_;
  }

  std::u16string out_;
  char16_t block_[kBlock];
  char16_t* at_ = block_;
};

}  // namespace

bool IsPinyinSkipMark(char16_t c) {
  return std::find(kPinyinSkipMarks.begin(), kPinyinSkipMarks.end(), c) != kPinyinSkipMarks.end();
}

std::u16string_view ReadingOf(char16_t c, char16_t& scratch) {
  const uint16_t code = CodeOf(c);
  if (code >= 1 && code <= 159) {
    scratch = codepage::FromGbkCode(code);
    return std::u16string_view(&scratch, 1);
  }
  return SyllableOfCode(code);
}

// The loops below take ReadingOf apart: a level-1 code gives a packed
// syllable, a code from 1 to 159 one character, any other code nothing.
std::u16string GetPinYin(std::u16string_view str_han_zi) {
  Builder out(str_han_zi.size() * 2);
  for (char16_t c : str_han_zi) {
    out.Room();
    const uint16_t code = CodeOf(c);
    if (const PackedSyllable* syllable = PackedSyllableOfCode(code)) {
      out.Add(*syllable);
    } else if (code >= 1 && code <= 159) {
      out.Add(codepage::FromGbkCode(code));
    }
  }
  return out.Finish();
}

std::u16string NeedPinYin(std::u16string_view to_do_string, int mode) {
  if (mode != 0 && mode != 1) return std::u16string();
  // An annotated Chinese character takes seven units on average.
  Builder out(to_do_string.size() * (mode == 0 ? 8 : 2));
  for (char16_t c : to_do_string) {
    out.Room();
    const uint16_t code = CodeOf(c);
    // A syllable never equals its (level-1) character; a one-byte reading
    // differs from the character only when it stands in for one without a
    // form.
    const PackedSyllable* syllable = PackedSyllableOfCode(code);
    const char16_t single = syllable == nullptr && code >= 1 && code <= 159 ? codepage::FromGbkCode(code) : 0;
    const bool differs = syllable != nullptr || (single != 0 && single != c);
    if (mode == 0) {
      out.Add(c);
      if (differs && !IsPinyinSkipMark(c)) {
        out.Add(u'(');
        if (syllable != nullptr) {
          out.Add(*syllable);
        } else {
          out.Add(single);
        }
        out.Add(u')');
      }
    } else if (differs) {
      if (syllable != nullptr) {
        out.Add(*syllable);
      } else {
        out.Add(single);
      }
      out.Add(u' ');
    } else {
      out.Add(c);
    }
  }
  return out.Finish();
}

}  // namespace zorvadel::langdata
