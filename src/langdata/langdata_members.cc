#include "zorvadel/langdata_members.h"

#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {

Common& CommonLangDataMembers::self() { return static_cast<Common&>(*this); }
PageObject& PageLangDataMembers::self() { return static_cast<PageObject&>(*this); }

std::vector<MemberInfo> CommonLangDataMemberTable() { return {}; }

std::vector<MemberInfo> PageLangDataMemberTable(const PageClassTraits& /*traits*/) { return {}; }

}  // namespace zorvadel
