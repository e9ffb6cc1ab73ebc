// The number of the script error a call raises, for tables of error paths.
#ifndef ZORVADEL_TESTS_SUPPORT_ERROR_OF_H_
#define ZORVADEL_TESTS_SUPPORT_ERROR_OF_H_

#include <cstdint>
#include <functional>

#include "zorvadel/variant.h"

namespace zorvadel::test {

// 0 when `call` raises nothing.
inline int32_t ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const ScriptError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace zorvadel::test

#endif  // ZORVADEL_TESTS_SUPPORT_ERROR_OF_H_
