#include "zorvadel/text_members.h"

#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {

Common& CommonTextMembers::self() { return static_cast<Common&>(*this); }
PageObject& PageTextMembers::self() { return static_cast<PageObject&>(*this); }

std::vector<MemberInfo> CommonTextMemberTable() { return {}; }

std::vector<MemberInfo> PageTextMemberTable(const PageClassTraits& /*traits*/) { return {}; }

}  // namespace zorvadel
