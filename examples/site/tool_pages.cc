// Two ready-made WML pages, written in the early-bound style: the object
// still comes from Server.CreateObject (so it gets its page hooks), and the
// page then calls the C++ members directly.
#include <memory>
#include <string>

#include "demo_site.h"
#include "serve/page_registry.h"
#include "zorvadel/classes.h"
#include "zorvadel/engine.h"

namespace zorvadel::demo {
namespace {

// Opens the deck (an HTML page for a desktop browser) titled `title`. Both
// pages post to themselves: WeekQuery's form, and on a desktop browser the
// form that CallPhone's number field opens.
std::shared_ptr<WAP> OpenDeck(Context& context, const std::u16string& title) {
  std::shared_ptr<WAP> w = Create<WAP>(context, u"Zorvadel.WAP");
  w->state().CardTitle = title;
  KeepPortInOwnAddress(*w);
  w->AutoHeader(u"style.css");
  return w;
}

void CloseDeck(Context& context, WAP& w) {
  context.GetResponse()->Write(w.A(u"", u"index.asp", u"Home") + u"<br/>");
  w.AutoFooter();
}

// Step one asks for a date; step two (posted to week.asp?ToDo=ToAdd) names
// its week day.
void Week(Context& context) {
  std::shared_ptr<WAP> w = OpenDeck(context, u"Week query");
  w->WeekQuery();
  CloseDeck(context, *w);
}

// A number field and the links that dial it.
void Call(Context& context) {
  std::shared_ptr<WAP> w = OpenDeck(context, u"Call a phone");
  w->CallPhone();
  CloseDeck(context, *w);
}

const serve::PageRegistrar kWeek("/week.asp", &Week);
const serve::PageRegistrar kCall("/call.asp", &Call);

}  // namespace
}  // namespace zorvadel::demo
