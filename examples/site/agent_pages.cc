// Pages about the visitor: what the library makes of the user agent, and
// the visit trail that every page object adds to in the session.
#include <memory>
#include <string>

#include "demo_site.h"
#include "serve/page_registry.h"
#include "zorvadel/classes.h"
#include "zorvadel/engine.h"
#include "zorvadel/runtime.h"

namespace zorvadel::demo {
namespace {

// Displayer answers "Web" for a desktop browser, "Wap" for a simulator or
// crawler and "Phone" otherwise, and leaves its reading in DisplayerInfo.
void Agent(Context& context) {
  std::shared_ptr<WAP> w = Create<WAP>(context, u"Zorvadel.WAP");
  w->state().CardTitle = u"Your browser";
  const std::u16string terminal = w->Displayer();
  w->AutoHeader(u"style.css");
  w->WriteRow(u"Terminal: " + terminal);
  w->WriteRow(u"Recognised as: " + w->state().DisplayerInfo);
  // The agent is the client's text: encoded, so it cannot open markup.
  w->WriteRow(u"User agent: " + w->HtmlEnCode(w->state().PhoneUserAgent));
  if (terminal == u"Web") {
    w->WriteRow(u"You get HTML pages: the WML classes switch their frame for desktop browsers.");
  } else {
    w->WriteRow(u"You get WML decks (text/vnd.wap.wml).");
  }
  w->WriteRow(u"Picture type for you: " + w->ImgType());
  context.GetResponse()->Write(w->A(u"", u"index.asp", u"Home") + u"<br/>");
  w->AutoFooter();
}

// The trail of this session's pages: the page start of every WAP object
// appends its file and time, so it grows only while the session cookie
// comes back.
void Visits(Context& context) {
  std::shared_ptr<WAP> w = Create<WAP>(context, u"Zorvadel.WAP");
  w->state().CardTitle = u"Your visits";
  w->AutoHeader(u"style.css");
  w->WriteRow(u"Pages seen in this session:");
  context.GetResponse()->Write(CStr(context.GetSession()->Value(u"UserVisitHistory")));
  // go.asp answers with a redirect to the home deck.
  context.GetResponse()->Write(w->A(u"", u"go.asp", u"Home") + u"<br/>");
  w->AutoFooter();
}

const serve::PageRegistrar kAgent("/agent.asp", &Agent);
const serve::PageRegistrar kVisits("/visits.asp", &Visits);

}  // namespace
}  // namespace zorvadel::demo
