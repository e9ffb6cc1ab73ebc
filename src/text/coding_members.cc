#include "zorvadel/coding_members.h"

#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {

Common& CommonCodingMembers::self() { return static_cast<Common&>(*this); }
PageObject& PageCodingMembers::self() { return static_cast<PageObject&>(*this); }

std::vector<MemberInfo> CommonCodingMemberTable() { return {}; }

std::vector<MemberInfo> PageCodingMemberTable(const PageClassTraits& /*traits*/) { return {}; }

}  // namespace zorvadel
