// What a member needs of the page context: an object that is missing fails
// the way a call on an unset object variable does (error 91), so that the
// member's own error handling decides what happens next.
#ifndef ZORVADEL_NEED_H_
#define ZORVADEL_NEED_H_

#include <memory>

#include "zorvadel/variant.h"

namespace zorvadel {

template <typename T>
T& Need(const std::shared_ptr<T>& object) {
  if (!object) throw ScriptError(kErrObjectNotSet);
  return *object;
}

}  // namespace zorvadel

#endif  // ZORVADEL_NEED_H_
