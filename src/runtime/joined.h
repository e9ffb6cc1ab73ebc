// Texts joined into one string with one allocation: page start and the
// link builders join many short pieces on every page.
#ifndef ZORVADEL_RUNTIME_JOINED_H_
#define ZORVADEL_RUNTIME_JOINED_H_

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zorvadel {

inline std::u16string Joined(std::initializer_list<std::u16string_view> pieces) {
  size_t size = 0;
  for (std::u16string_view piece : pieces) size += piece.size();
  std::u16string out;
  out.reserve(size);
  for (std::u16string_view piece : pieces) out.append(piece);
  return out;
}

}  // namespace zorvadel

#endif  // ZORVADEL_RUNTIME_JOINED_H_
