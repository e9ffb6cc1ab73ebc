// What the demo site's C++ pages share: how a page gets a library object
// for direct C++ calls, and the frame of its WML pages.
#ifndef ZORVADEL_EXAMPLES_SITE_DEMO_SITE_H_
#define ZORVADEL_EXAMPLES_SITE_DEMO_SITE_H_

#include <memory>
#include <string>
#include <string_view>

#include "zorvadel/classes.h"
#include "zorvadel/engine.h"
#include "zorvadel/variant.h"

namespace zorvadel::demo {

// Creates a library object by ProgID through the page's Server, exactly as
// a script's Server.CreateObject does (so the object gets its page hooks),
// and hands it back as the C++ class T for early-bound calls.
template <typename T>
std::shared_ptr<T> Create(Context& context, std::u16string_view progid) {
  std::shared_ptr<T> object =
      std::dynamic_pointer_cast<T>(context.GetServer()->CreateObject(progid));
  if (!object) throw ScriptError(kErrTypeMismatch);
  return object;
}

// A deck (an HTML page for a desktop browser) titled `title`, and its end
// with a link home: the frame of the demo's WML pages.
inline std::shared_ptr<WAP> OpenDeck(Context& context, const std::u16string& title) {
  std::shared_ptr<WAP> w = Create<WAP>(context, u"Zorvadel.WAP");
  w->state().CardTitle = title;
  w->AutoHeader(u"style.css");
  return w;
}

inline void CloseDeck(Context& context, WAP& w) {
  context.GetResponse()->Write(w.A(u"", u"index.asp", u"Home") + u"<br/>");
  w.AutoFooter();
}

}  // namespace zorvadel::demo

#endif  // ZORVADEL_EXAMPLES_SITE_DEMO_SITE_H_
