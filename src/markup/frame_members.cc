#include "zorvadel/frame_members.h"

#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {

PageObject& PageFrameMembers::self() { return static_cast<PageObject&>(*this); }

std::vector<MemberInfo> PageFrameMemberTable(const PageClassTraits& /*traits*/) { return {}; }

}  // namespace zorvadel
