// Texts joined into one string with one allocation: page start and the
// link builders join many short pieces on every page.
#ifndef ZORVADEL_RUNTIME_JOINED_H_
#define ZORVADEL_RUNTIME_JOINED_H_

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zorvadel {

// `out` becomes the pieces joined, in its own buffer when that has room:
// page start refills the buffers the last page object on its thread left.
inline void AssignJoined(std::u16string& out,
                         std::initializer_list<std::u16string_view> pieces) {
  size_t size = 0;
  for (std::u16string_view piece : pieces) size += piece.size();
  out.clear();
  out.reserve(size);
  for (std::u16string_view piece : pieces) out.append(piece);
}

inline std::u16string Joined(std::initializer_list<std::u16string_view> pieces) {
  std::u16string out;
  AssignJoined(out, pieces);
  return out;
}

}  // namespace zorvadel

#endif  // ZORVADEL_RUNTIME_JOINED_H_
