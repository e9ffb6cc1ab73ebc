// Member group: the WML deck frame and the XHTML and HTML page frames (headers, footers,
// the banner comment).
// Each class named below takes the group in as a base; the table functions
// give the members merged into the classes' interfaces.
#ifndef ZORVADEL_FRAME_MEMBERS_H_
#define ZORVADEL_FRAME_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageObject;
struct PageClassTraits;

class PageFrameMembers {
 public:

 protected:
  PageFrameMembers() = default;
  ~PageFrameMembers() = default;

 private:
  PageObject& self();
};

std::vector<MemberInfo> PageFrameMemberTable(const PageClassTraits& traits);

}  // namespace zorvadel

#endif  // ZORVADEL_FRAME_MEMBERS_H_
