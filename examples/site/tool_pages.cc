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
