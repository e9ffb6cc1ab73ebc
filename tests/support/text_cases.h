// What the table-driven text tests share: a row of input and expected text,
// long inputs built by repetition, and random texts over a few units.
#ifndef ZORVADEL_TESTS_SUPPORT_TEXT_CASES_H_
#define ZORVADEL_TESTS_SUPPORT_TEXT_CASES_H_

#include <cstddef>
#include <random>
#include <string>
#include <string_view>

namespace zorvadel::test {

struct Case {
  std::u16string in;
  std::u16string out;
};

inline std::u16string Repeat(std::u16string_view piece, size_t times) {
  std::u16string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out.append(piece);
  return out;
}

inline std::u16string RandomText(std::mt19937& random, std::u16string_view units, size_t size) {
  std::u16string text;
  for (size_t i = 0; i < size; ++i) text.push_back(units[random() % units.size()]);
  return text;
}

}  // namespace zorvadel::test

#endif  // ZORVADEL_TESTS_SUPPORT_TEXT_CASES_H_
