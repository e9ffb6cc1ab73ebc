// An XHTML 1.0 Strict page (G3Header, G3Footer of the XML class) whose
// text is written with UBB codes; P, Div and UbbXML turn them into markup.
#include <memory>
#include <string>

#include "demo_site.h"
#include "serve/page_registry.h"
#include "zorvadel/classes.h"
#include "zorvadel/engine.h"

namespace zorvadel::demo {
namespace {

void Strict(Context& context) {
  std::shared_ptr<XML> x = Create<XML>(context, u"Zorvadel.XML");
  auto write = [&context](const std::u16string& text) { context.GetResponse()->Write(text); };
  x->state().SiteTitle = u"Zorvadel XHTML 1.0 Strict";
  x->G3Header(u"style.css");
  write(x->Img(u"Images/logo.png", u"Zorvadel", u""));
  write(x->P(u"[b]XHTML 1.0 Strict[/b] for [i]third-generation[/i] phones and desktop browsers.",
             u"left", u"intro"));
  write(x->Div(u"UBB codes such as [strong]strong[/strong], [em]em[/em] and [big]big[/big]"
               u"[br]become XHTML markup.",
               u"note", u"ubb"));
  write(x->P(x->UbbXML(u"[small]Written by a C++ page of the demo site.[/small]"), u"right",
             u"signature"));
  write(x->A(u"", u"index.asp", u"Home", u"home"));
  x->G3Footer();
}

const serve::PageRegistrar kStrict("/strict.asp", &Strict);

}  // namespace
}  // namespace zorvadel::demo
