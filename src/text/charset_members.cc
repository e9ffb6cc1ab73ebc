#include "zorvadel/charset_members.h"

#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {

Common& CommonCharsetMembers::self() { return static_cast<Common&>(*this); }
PageObject& PageCharsetMembers::self() { return static_cast<PageObject&>(*this); }

std::vector<MemberInfo> CommonCharsetMemberTable() { return {}; }

std::vector<MemberInfo> PageCharsetMemberTable(const PageClassTraits& /*traits*/) { return {}; }

}  // namespace zorvadel
