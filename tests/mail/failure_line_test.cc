// A mail that cannot be sent leaves one line in the error output, with the
// page, the member, the server and the server's or transfer's own message;
// a mail that leaves, none. Against the SMTP sink: a dead port, a refused
// recipient, a refused login.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/smtp_sink.h"
#include "platform/codepage/codepage.h"
#include "platform/log/error_log.h"
#include "support/page_fixture.h"

namespace zorvadel {
namespace {

struct MailLineCase {
  const char* name;
  const char16_t* member;
  std::string recipient;
  std::u16string server;
  const char* user;
  std::string want;  // the line's start; "" for no line
};

TEST(MailFailureLines, AMailNotSentTellsWhy) {
  test::SmtpSink& sink = test::SmtpSink::Get();
  const std::string plain = codepage::ToUtf8(sink.Plain());
  const std::string dead = codepage::ToUtf8(sink.DeadPort());
  const std::string auth = codepage::ToUtf8(sink.Auth());
  const MailLineCase cases[] = {
      {"sent", u"SendMail", "bob@example.org", sink.Plain(), test::kBuiltInAccount, ""},
      {"dead port", u"SendMail", "bob@example.org", sink.DeadPort(), test::kBuiltInAccount,
       "zorvadel: /mail/form.asp: SendMail: mail to " + dead +
           " not sent: The message was not sent: "},
      {"refused recipient", u"MailSend", test::kRefusedMailbox, sink.Plain(), test::kBuiltInAccount,
       "zorvadel: /mail/form.asp: MailSend: mail to " + plain +
           " not sent: The message was not sent: "},
      {"refused login", u"SendOneMail", "bob@example.org", sink.Auth(), "stranger@example.net",
       "zorvadel: /mail/form.asp: SendOneMail: mail to " + auth +
           " not sent: The message was not sent: "},
  };
  std::vector<std::string> lines;
  log::ResetForTesting();
  log::SetSinkForTesting([&](std::string_view line) { lines.emplace_back(line); });
  for (const MailLineCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::TestPage page(u"WAP", test::PageOptions()
                                    .WithUrl("/mail/form.asp?ToDo=SendMail")
                                    .WithForm("Send_A=Ann&Send_B=ann@example.net&Send_C=" +
                                              c.recipient + "&Send_D=Hi&Send_E=Hello"));
    PageState& s = page.state();
    s.MailSmtp = c.server;
    s.MailServerUserName = codepage::FromUtf8(c.user);
    s.MailServerPassword = u"p4ssw0rd";
    if (std::u16string_view(c.member) == u"SendOneMail") {
      page.Call(c.member, {codepage::FromUtf8(c.recipient)});
    } else {
      page.Call(c.member, {u""});
    }
    sink.Take();
    if (c.want.empty()) {
      EXPECT_TRUE(lines.empty()) << lines[0];
    } else {
      ASSERT_EQ(lines.size(), 1u);
      EXPECT_EQ(lines[0].substr(0, c.want.size()), c.want) << lines[0];
      // The transfer's own reason follows.
      EXPECT_GT(lines[0].size(), c.want.size());
      EXPECT_EQ(lines[0].find("p4ssw0rd"), std::string::npos);
    }
    lines.clear();
    log::ResetForTesting();
  }
  log::SetSinkForTesting({});
}

}  // namespace
}  // namespace zorvadel
