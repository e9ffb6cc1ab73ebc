// Member group: the settings summary of the WML classes.
// Each class named below takes the group in as a base; the table functions
// give the members merged into the classes' interfaces.
#ifndef ZORVADEL_DEBUG_MEMBERS_H_
#define ZORVADEL_DEBUG_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageObject;
struct PageClassTraits;

class PageDebugMembers {
 public:

 protected:
  PageDebugMembers() = default;
  ~PageDebugMembers() = default;

 private:
  PageObject& self();
};

std::vector<MemberInfo> PageDebugMemberTable(const PageClassTraits& traits);

}  // namespace zorvadel

#endif  // ZORVADEL_DEBUG_MEMBERS_H_
