// The five page classes: each is its family's shared code with its own
// traits (name, family, language) and member table.
#include <vector>

#include "component/page_properties.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"

namespace zorvadel {
namespace {

constexpr PageClassTraits kXml = {u"XML", Family::kX, PageLanguage::kChinese};
constexpr PageClassTraits kEnXml = {u"EnXML", Family::kX, PageLanguage::kEnglish};
constexpr PageClassTraits kWap = {u"WAP", Family::kW, PageLanguage::kChinese};
constexpr PageClassTraits kEnWap = {u"EnWAP", Family::kW, PageLanguage::kEnglish};
constexpr PageClassTraits kPhpXml = {u"PHPXML", Family::kP, PageLanguage::kChinese};

void StartPage(PageObject& page, std::shared_ptr<Context> context) {
  Need(context);
  page.OnStartPage(context);
}

// A page class's interface: its family's properties in order, then the page
// hooks, then the members of the other subsystems.
ClassInfo PageClassInfo(const PageClassTraits& traits) {
  const TableHost page = TableHost::ForPage(traits);
  return ClassBuilder<PageObject>(std::u16string(traits.name))
      .Inherit(PagePropertyMembers(traits.family))
      .Method<&StartPage>(u"OnStartPage", {Req(u"Context")})
      .Method<&PageObject::OnEndPage>(u"OnEndPage")
      .Inherit(PageOutputMembers::MemberTable(traits))
      .Inherit(PageRequestMembers::MemberTable(traits))
      .Inherit(PageFrameMembers::MemberTable(traits))
      .Inherit(PageDebugMembers::MemberTable(traits))
      .Inherit(PageReadyMembers::MemberTable(traits))
      .Inherit(PageFragmentMembers::MemberTable(traits))
      .Inherit(PageLinkMembers::MemberTable(traits))
      .Inherit(PageWmlTaskMembers::MemberTable(traits))
      .Inherit(PageFormMembers::MemberTable(traits))
      .Inherit(PageStripMembers::MemberTable(page))
      .Inherit(PageTextMembers::MemberTable(page))
      .Inherit(PageCharsetMembers::MemberTable(page))
      .Inherit(PageLangDataMembers::MemberTable(page))
      .Inherit(PageCodingMembers::MemberTable(page))
      .Inherit(PageMailMembers::MemberTable(traits))
      .Inherit(PagePagerMembers::MemberTable(traits))
      .Inherit(PageDatabaseMembers::MemberTable(traits))
      .Inherit(PageListMembers::MemberTable(traits))
      .Inherit(PageFilesMembers::MemberTable(traits))
      .Inherit(PageVisitMembers::MemberTable(traits))
      .Inherit(PagePictureMembers::MemberTable(traits))
      .Inherit(PageDownloadMembers::MemberTable(traits))
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
