// The home deck, written in the late-bound style of a page script: the
// object comes from Server.CreateObject and every member is reached by name
// through Invoke, as this script would reach them:
//
//   Set w = Server.CreateObject("Zorvadel.WAP")
//   w.CardTitle = "Zorvadel 演示"
//   w.AutoHeader "style.css"
//   Response.Write w.A("", "week.asp", "Week query") & "<br/>"
//   w.AutoFooter
//
// AutoHeader and AutoFooter ask the terminal: a phone gets a WML deck, a
// desktop browser the same links in an HTML page.
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "serve/page_registry.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/engine.h"
#include "zorvadel/runtime.h"

namespace zorvadel::demo {
namespace {

struct Link {
  std::u16string_view url;
  std::u16string_view text;
};

constexpr std::array kLinks = {
    Link{u"week.asp", u"Week query"},
    Link{u"call.asp", u"Call a phone"},
    Link{u"mail.asp", u"Send a mail"},
    Link{u"xhtml.asp", u"XHTML Mobile Profile page"},
    Link{u"strict.asp", u"XHTML 1.0 Strict page"},
    Link{u"agent.asp", u"What your browser gets"},
    Link{u"visits.asp", u"Your visits"},
    Link{u"easy.asp", u"A long article: next and previous"},
    Link{u"more.asp", u"A long article: jumps of 1 to 9 pages"},
    Link{u"auto.asp", u"A long article: AutoPage"},
    Link{u"news.asp", u"News from a database"},
    Link{u"list.asp", u"News two to a page"},
    Link{u"view.asp?Id=2", u"One record: title and content"},
    Link{u"sites.asp", u"A site directory"},
    Link{u"photos.asp", u"Photos with thumbnails"},
};

void Home(Context& context) {
  ObjectPtr w = context.GetServer()->CreateObject(u"Zorvadel.WAP");
  auto call = [&w](std::u16string_view member, std::vector<Variant> args = {}) {
    return Invoke(*w, member, std::move(args));
  };
  auto write = [&context](const Variant& text) { context.GetResponse()->Write(CStr(text)); };

  Invoke(*w, u"CardTitle", {u"Zorvadel 演示"}, CallKind::kLet);
  Invoke(*w, u"IsShowImage", {true}, CallKind::kLet);
  call(u"AutoHeader", {u"style.css"});
  write(call(u"Img", {u"Images/logo.png", u"Zorvadel", u""}));
  write(u"<br/>");
  // WriteRow passes the output filter, so the Chinese greeting reaches the
  // phone as character references whatever its code page.
  call(u"WriteRow", {u"欢迎! Welcome to the Zorvadel demo."});
  for (const Link& link : kLinks) {
    write(call(u"A", {u"", link.url, link.text}));
    write(u"<br/>");
  }
  call(u"WriteRow", {u"Terminal: " + CStr(call(u"Displayer"))});
  call(u"AutoFooter");
}

const serve::PageRegistrar kHome("/index.asp", &Home);

}  // namespace
}  // namespace zorvadel::demo
