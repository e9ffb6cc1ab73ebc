#include "zorvadel/output/debug_members.h"

#include "output/debug_info.h"
#include "zorvadel/member_table.h"
#include "zorvadel/page_core.h"

namespace zorvadel {

std::u16string PageDebugMembers::DebugInfo(const std::u16string& show_info) const {
  const PageCore& page = self();
  return output::SettingsSummary(page.state(), page.language(), show_info);
}

std::vector<MemberInfo> PageDebugMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family != Family::kW) return {};
  return ClassBuilder<PageDebugMembers>(u"")
      .Method<&PageDebugMembers::DebugInfo>(u"DebugInfo", {Opt(u"ShowInfo", u"All")})
      .BuildMembers();
}

}  // namespace zorvadel
