// The five page classes: each is its family's shared code with its own
// traits (name, family, language) and member table.
#include <vector>

#include "component/page_properties.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {
namespace {

constexpr PageClassTraits kXml = {u"XML", Family::kX, PageLanguage::kChinese};
constexpr PageClassTraits kEnXml = {u"EnXML", Family::kX, PageLanguage::kEnglish};
constexpr PageClassTraits kWap = {u"WAP", Family::kW, PageLanguage::kChinese};
constexpr PageClassTraits kEnWap = {u"EnWAP", Family::kW, PageLanguage::kEnglish};
constexpr PageClassTraits kPhpXml = {u"PHPXML", Family::kP, PageLanguage::kChinese};

void StartPage(PageObject& page, std::shared_ptr<Context> context) {
  if (!context) throw ScriptError(kErrObjectNotSet);
  page.OnStartPage(context);
}

// A page class's interface: its family's properties in order, then the page
// hooks, then the members of the other subsystems.
ClassInfo PageClassInfo(const PageClassTraits& traits) {
  return ClassBuilder<PageObject>(std::u16string(traits.name))
      .Inherit(PagePropertyMembers(traits.family))
      .Method<&StartPage>(u"OnStartPage", {Req(u"Context")})
      .Method<&PageObject::OnEndPage>(u"OnEndPage")
      .Inherit(PageOutputMemberTable(traits))
      .Inherit(PageRequestMemberTable(traits))
      .Inherit(PageFrameMemberTable(traits))
      .Inherit(PageDebugMemberTable(traits))
      .Inherit(PageReadyMemberTable(traits))
      .Inherit(PageFragmentMemberTable(traits))
      .Inherit(PageLinkMemberTable(traits))
      .Inherit(PageFormMemberTable(traits))
      .Inherit(PageStripMemberTable(traits))
      .Inherit(PageTextMemberTable(traits))
      .Inherit(PageCharsetMemberTable(traits))
      .Inherit(PageLangDataMemberTable(traits))
      .Inherit(PageCodingMemberTable(traits))
      .Build();
}

}  // namespace

XML::XML() : PageObject(kXml) {}
EnXML::EnXML() : XML(kEnXml) {}
WAP::WAP() : PageObject(kWap) {}
EnWAP::EnWAP() : WAP(kEnWap) {}
PHPXML::PHPXML() : PageObject(kPhpXml) {}

const ClassInfo& XML::Class() const {
  static const ClassInfo info = PageClassInfo(kXml);
  return info;
}
const ClassInfo& EnXML::Class() const {
  static const ClassInfo info = PageClassInfo(kEnXml);
  return info;
}
const ClassInfo& WAP::Class() const {
  static const ClassInfo info = PageClassInfo(kWap);
  return info;
}
const ClassInfo& EnWAP::Class() const {
  static const ClassInfo info = PageClassInfo(kEnWap);
  return info;
}
const ClassInfo& PHPXML::Class() const {
  static const ClassInfo info = PageClassInfo(kPhpXml);
  return info;
}

}  // namespace zorvadel
