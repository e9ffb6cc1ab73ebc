// A site directory and a record view over the demo's SQLite file
// (MyDatabase/#Zorvadel.mdb, the default MdbPath):
//
//   sites.asp          the table Sites two to a page (MdbSiteList): each
//                      site's name, who added it and a link that opens it,
//                      with the previous/next bar
//   sites.asp?Page=N   page N
//   view.asp?Id=N      record N of the news table, its title in bold over
//                      its content (MdbMultiShow, which also stores the
//                      request in the session as MdbShow does)
//
// A phone gets a WML deck, a desktop browser the same in HTML.
#include <memory>
#include <string>

#include "demo_site.h"
#include "serve/page_registry.h"
#include "zorvadel/classes.h"
#include "zorvadel/engine.h"
#include "zorvadel/runtime.h"

namespace zorvadel::demo {
namespace {

void Sites(Context& context) {
  std::shared_ptr<WAP> w = OpenDeck(context, u"Sites");
  PageState& s = w->state();
  s.StrSql = u"Select Id,Title,Person,Url From Sites Order By Id";
  s.EveryPageSize = 2;
  // A stored "&" in an address reaches the deck as "&amp;", and a site
  // without an address is listed without a link.
  w->MdbSiteList(u"Title", u"Person", u"Url");
  CloseDeck(context, *w);
}

void View(Context& context) {
  std::shared_ptr<WAP> w = OpenDeck(context, u"Record");
  const Variant requested = context.GetRequest()->QueryString(u"Id");
  // Only a number reaches the statement.
  int32_t id = 0;
  if (IsNumeric(requested) && Step([&] { id = CLng(requested); })) {
    w->state().StrSql = u"Select Id,Title,Content From Zorvadel Where Id=" + CStr(Variant(id));
    // A record whose content is Null shows its title over an empty line.
    w->MdbMultiShow(u"Title|Content", u"|", u"<b>|", u"</b><br/>|<br/>");
  }
  context.GetResponse()->Write(w->A(u"", u"list.asp", u"All news") + u"<br/>");
  CloseDeck(context, *w);
}

const serve::PageRegistrar kSites("/sites.asp", &Sites);
const serve::PageRegistrar kView("/view.asp", &View);

}  // namespace
}  // namespace zorvadel::demo
