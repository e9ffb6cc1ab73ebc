// The phone mail form: SendMail sends a posted form and comes back here
// with "?ToDo=SendMailOk", or shows its message above a fresh form.
//
// The mail goes to the SMTP server named by the environment variable
// ZORVADEL_DEMO_SMTP ("host" or "host:port"), a loopback sink on port 2525
// unless it is set (see the README: tests/mail/smtp_sink.py is one).
// ZORVADEL_DEMO_SMTP_USER and ZORVADEL_DEMO_SMTP_PASSWORD give the account
// for a server that asks for one; without them the page sends from the
// library's built-in example account.
#include <cstdlib>
#include <memory>
#include <string>

#include "demo_site.h"
#include "platform/codepage/codepage.h"
#include "serve/page_registry.h"
#include "zorvadel/classes.h"
#include "zorvadel/engine.h"
#include "zorvadel/runtime.h"

namespace zorvadel::demo {
namespace {

constexpr char kDefaultSmtp[] = "127.0.0.1:2525";

std::u16string Setting(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return codepage::FromUtf8(value != nullptr && *value != '\0' ? value : fallback);
}

void Mail(Context& context) {
  std::shared_ptr<EnWAP> w = Create<EnWAP>(context, u"Zorvadel.EnWAP");
  PageState& state = w->state();
  state.CardTitle = u"Send a mail";
  state.MailSmtp = Setting("ZORVADEL_DEMO_SMTP", kDefaultSmtp);
  const std::u16string user = Setting("ZORVADEL_DEMO_SMTP_USER", "");
  if (!user.empty()) {
    state.MailServerUserName = user;
    state.MailServerPassword = Setting("ZORVADEL_DEMO_SMTP_PASSWORD", "");
  }
  w->AutoHeader(u"style.css");
  if (CStr(context.GetRequest()->QueryString(u"ToDo")) == u"SendMailOk") {
    w->WriteRow(u"Your mail is on its way.");
  }
  // Back to this page after a send: the distinct key shows the note above
  // and does not send again.
  w->SendMail(u"mail.asp?ToDo=SendMailOk");
  context.GetResponse()->Write(w->A(u"", u"index.asp", u"Home") + u"<br/>");
  w->AutoFooter();
}

const serve::PageRegistrar kMail("/mail.asp", &Mail);

}  // namespace
}  // namespace zorvadel::demo
