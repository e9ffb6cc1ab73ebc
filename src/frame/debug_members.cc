#include "zorvadel/debug_members.h"

#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {

PageObject& PageDebugMembers::self() { return static_cast<PageObject&>(*this); }

std::vector<MemberInfo> PageDebugMemberTable(const PageClassTraits& /*traits*/) { return {}; }

}  // namespace zorvadel
