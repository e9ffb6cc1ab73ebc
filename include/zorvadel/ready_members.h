// Member group: the small ready-made pages (week query, call a phone, go to an address,
// picture downloads).
// Each class named below takes the group in as a base; the table functions
// give the members merged into the classes' interfaces.
#ifndef ZORVADEL_READY_MEMBERS_H_
#define ZORVADEL_READY_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageObject;
struct PageClassTraits;

class PageReadyMembers {
 public:

 protected:
  PageReadyMembers() = default;
  ~PageReadyMembers() = default;

 private:
  PageObject& self();
};

std::vector<MemberInfo> PageReadyMemberTable(const PageClassTraits& traits);

}  // namespace zorvadel

#endif  // ZORVADEL_READY_MEMBERS_H_
