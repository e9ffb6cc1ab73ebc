// The library's eight classes, creatable as Zorvadel.<Class> through
// Server.CreateObject and usable directly from C++.
//
//   XML, EnXML      XHTML pages (Chinese, English)
//   WAP, EnWAP      WML decks, HTML for desktop browsers (Chinese, English)
//   PHPXML          XHTML for a PHP host; its output members return strings
//   Common          text, encoding and language members on their arguments
//   WAPXHTML        XHTML fragments (companion of the XHTML classes)
//   WAPWML          WML converted from UBB codes (companion of the WML classes)
//
// A page object serves one page: the engine calls OnStartPage with the page's
// context before the script's first call and OnEndPage when the page ends.
// Its whole state is its PageState (zorvadel/page_core.h); its members come
// from the member groups it takes in (see "Member groups" in the README).
#ifndef ZORVADEL_CLASSES_H_
#define ZORVADEL_CLASSES_H_

#include <memory>

#include "zorvadel/common.h"
#include "zorvadel/companions.h"
#include "zorvadel/database/database_members.h"
#include "zorvadel/database/list_members.h"
#include "zorvadel/engine.h"
#include "zorvadel/langdata/langdata_members.h"
#include "zorvadel/markup/form_members.h"
#include "zorvadel/markup/fragment_members.h"
#include "zorvadel/markup/frame_members.h"
#include "zorvadel/markup/link_members.h"
#include "zorvadel/markup/pager_members.h"
#include "zorvadel/markup/ready_members.h"
#include "zorvadel/markup/wml_task_members.h"
#include "zorvadel/output/debug_members.h"
#include "zorvadel/output/output_members.h"
#include "zorvadel/output/request_members.h"
#include "zorvadel/page_core.h"
#include "zorvadel/page_state.h"
#include "zorvadel/services/mail_members.h"
#include "zorvadel/services/files_members.h"
#include "zorvadel/services/visit_members.h"
#include "zorvadel/services/picture_members.h"
#include "zorvadel/services/download_members.h"
#include "zorvadel/text/charset_members.h"
#include "zorvadel/text/coding_members.h"
#include "zorvadel/text/strip_members.h"
#include "zorvadel/text/text_members.h"
#include "zorvadel/variant.h"
#include "zorvadel/version.h"

namespace zorvadel {

class PageObject : public Object,
                   public PageCore,
                   public PageTextMembers,
                   public PageCharsetMembers,
                   public PageLangDataMembers,
                   public PageCodingMembers,
                   public PageOutputMembers,
                   public PageRequestMembers,
                   public PageFragmentMembers,
                   public PageStripMembers,
                   public PageLinkMembers,
                   public PageWmlTaskMembers,
                   public PageFormMembers,
                   public PageFrameMembers,
                   public PageDebugMembers,
                   public PagePagerMembers,
                   public PageReadyMembers,
                   public PageMailMembers,
                   public PageDatabaseMembers,
                   public PageListMembers,
                   public PageFilesMembers,
                   public PageVisitMembers,
                   public PagePictureMembers,
                   public PageDownloadMembers {
 public:
  bool HasPageHooks() const override { return true; }
  void OnStartPage(const std::shared_ptr<Context>& context) override;
  void OnEndPage() override;

 protected:
  explicit PageObject(const PageClassTraits& traits) : PageCore(traits) {}
};

class XML : public PageObject {
 public:
  XML();
  const ClassInfo& Class() const override;

 protected:
  explicit XML(const PageClassTraits& traits) : PageObject(traits) {}
};

class EnXML final : public XML {
 public:
  EnXML();
  const ClassInfo& Class() const override;
};

class WAP : public PageObject {
 public:
  WAP();
  const ClassInfo& Class() const override;

 protected:
  explicit WAP(const PageClassTraits& traits) : PageObject(traits) {}
};

class EnWAP final : public WAP {
 public:
  EnWAP();
  const ClassInfo& Class() const override;
};

class PHPXML final : public PageObject {
 public:
  PHPXML();
  const ClassInfo& Class() const override;
};

}  // namespace zorvadel

#endif  // ZORVADEL_CLASSES_H_
