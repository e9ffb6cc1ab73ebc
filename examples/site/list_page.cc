// The records of the demo's SQLite file (MyDatabase/#Zorvadel.mdb, the
// default MdbPath) two to a page, each a numbered link to its record on
// news.asp, with the numbered bar under them:
//
//   list.asp          page 1
//   list.asp?Page=N   page N (past the last page: the last one)
//
// A phone gets a WML deck with the page-jump line under the bar
// (MDbListPages "bottom"); a desktop browser gets the same list and bar in
// HTML (MdbList with StyleMode 2), without the WML-only input.
#include <memory>
#include <string>

#include "demo_site.h"
#include "serve/page_registry.h"
#include "zorvadel/classes.h"
#include "zorvadel/engine.h"

namespace zorvadel::demo {
namespace {

void List(Context& context) {
  std::shared_ptr<WAP> w = OpenDeck(context, u"News list");
  PageState& s = w->state();
  s.StrSql = u"Select Id,Title,Content From Zorvadel Order By Id";
  s.EveryPageSize = 2;
  s.GoFileName = u"news.asp";
  s.DBOrderNumber = true;
  if (w->Displayer() == u"Web") {
    w->MdbList(2);
  } else {
    w->MDbListPages(u"bottom");
  }
  CloseDeck(context, *w);
}

const serve::PageRegistrar kList("/list.asp", &List);

}  // namespace
}  // namespace zorvadel::demo
