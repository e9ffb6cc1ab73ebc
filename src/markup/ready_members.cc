#include "zorvadel/ready_members.h"

#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {

PageObject& PageReadyMembers::self() { return static_cast<PageObject&>(*this); }

std::vector<MemberInfo> PageReadyMemberTable(const PageClassTraits& /*traits*/) { return {}; }

}  // namespace zorvadel
