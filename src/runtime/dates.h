// The present moment as page start writes it into the visit trail.
#ifndef ZORVADEL_RUNTIME_DATES_H_
#define ZORVADEL_RUNTIME_DATES_H_

#include <string>

namespace zorvadel {

// CStr(Now()): the server's short date and long time of this second. Every
// page start writes it, and a busy thread writes the same second many times,
// so each thread formats it once per second. Valid until the thread's next
// call.
const std::u16string& NowText();

}  // namespace zorvadel

#endif  // ZORVADEL_RUNTIME_DATES_H_
