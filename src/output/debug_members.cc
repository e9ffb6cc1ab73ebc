#include "zorvadel/debug_members.h"

#include "output/debug_info.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {

PageObject& PageDebugMembers::self() { return static_cast<PageObject&>(*this); }

std::u16string PageDebugMembers::DebugInfo(const std::u16string& show_info) {
  PageObject& page = self();
  return output::SettingsSummary(page.state(), page.language(), show_info);
}

std::vector<MemberInfo> PageDebugMemberTable(const PageClassTraits& traits) {
  if (traits.family != Family::kW) return {};
  return ClassBuilder<PageDebugMembers>(u"")
      .Method<&PageDebugMembers::DebugInfo>(u"DebugInfo", {Opt(u"ShowInfo", u"All")})
      .BuildMembers();
}

}  // namespace zorvadel
