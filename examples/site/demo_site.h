// What the demo site's C++ pages share: how a page gets a library object
// for direct C++ calls, and the one place where the demo corrects the
// address a page object takes for its own file.
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

// A page object builds ThisFileName (the target of its forms and back
// links) from SERVER_NAME, which carries no port, as a server on port 80
// would have it. The demo runs on 8080, so its pages that post to
// themselves take the host the client named, port included.
inline void KeepPortInOwnAddress(PageObject& page) {
  PageState& state = page.state();
  if (!state.Request) return;
  std::u16string host = state.Request->ServerVariables(u"HTTP_HOST");
  if (host.empty()) return;
  // The Host header is the client's text and lands in markup attributes:
  // only a plain host name or address with its port is taken.
  for (char16_t c : host) {
    bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                 (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u':' ||
                 c == u'[' || c == u']';
    if (!plain) return;
  }
  state.ThisFileName = u"http://" + host + state.Request->ServerVariables(u"SCRIPT_NAME");
}

// A deck (an HTML page for a desktop browser) titled `title`, and its end
// with a link home: the frame of the demo's WML pages.
inline std::shared_ptr<WAP> OpenDeck(Context& context, const std::u16string& title) {
  std::shared_ptr<WAP> w = Create<WAP>(context, u"Zorvadel.WAP");
  w->state().CardTitle = title;
  KeepPortInOwnAddress(*w);
  w->AutoHeader(u"style.css");
  return w;
}

inline void CloseDeck(Context& context, WAP& w) {
  context.GetResponse()->Write(w.A(u"", u"index.asp", u"Home") + u"<br/>");
  w.AutoFooter();
}

}  // namespace zorvadel::demo

#endif  // ZORVADEL_EXAMPLES_SITE_DEMO_SITE_H_
