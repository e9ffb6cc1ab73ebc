// The mail component and members against a real SMTP server on 127.0.0.1:
// what reaches it, every refusal and failed send (after which nothing
// arrives), SendMail's messages and redirects. The form is the page scripts'.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mail/smtp_sink.h"
#include "platform/codepage/codepage.h"
#include "platform/mail/message.h"
#include "platform/mail/smtp.h"
#include "support/page_fixture.h"
#include "zorvadel/dispatch.h"

namespace zorvadel {
namespace {

test::SmtpSink& Sink() { return test::SmtpSink::Get(); }

struct Letter {
  std::string from = test::kBuiltInAccount;
  std::string from_name = "Zhang San";
  std::vector<std::string> to = {"friend@example.org"};
  std::string subject = "Hello";
  std::string body = "Plain text";
  bool receipt = true;
  std::string user = "", password = "";
};

// The error number that filling and sending the letter raised (0 for none).
int Send(const Letter& letter, const std::u16string& server) {
  auto u = [](const std::string& utf8) { return codepage::FromUtf8(utf8); };
  try {
    ObjectPtr mail = CreateByProgId(u"JMail.Message");
    const std::pair<const char16_t*, Variant> properties[] = {
        {u"Silent", true}, {u"CharSet", u"gb2312"}, {u"MailServerUserName", u(letter.user)},
        {u"MailServerPassword", u(letter.password)}, {u"From", u(letter.from)},
        {u"FromName", u(letter.from_name)}, {u"Subject", u(letter.subject)},
        {u"Body", u(letter.body)}, {u"ReturnReceipt", letter.receipt}};
    for (const auto& [name, value] : properties) Invoke(*mail, name, {value}, CallKind::kLet);
    for (const std::string& r : letter.to) Invoke(*mail, u"AddRecipient", {u(r)});
    EXPECT_EQ(Invoke(*mail, u"Send", {server}), Variant(true));
  } catch (const ScriptError& e) {
    return e.number();
  }
  return 0;
}

// Sends to the plain listener and returns the one message the sink got.
nlohmann::json SendOne(const Letter& letter) {
  Sink().Take();
  EXPECT_EQ(Send(letter, Sink().Plain()), 0);
  const auto got = Sink().Take();
  EXPECT_EQ(got.size(), 1u);
  return got.empty() ? nlohmann::json::object() : got[0];
}

// Each field of `want` as the sink recorded it.
void ExpectMail(const nlohmann::json& got, const nlohmann::json& want) {
  for (const auto& [key, value] : want.items()) {
    EXPECT_EQ(got.contains(key) ? got.at(key) : nlohmann::json(), value) << key;
  }
}

// gb2312 while every character has one agreed GB2312 form; GB18030 for
// traditional forms, characters outside the BMP, and the two cells that
// strict and GBK readers read differently (the middle dot, the dash). A
// long subject that looks like an encoded word is folded and still arrives.
TEST(Message, HeadersAndBodyArriveAsTyped) {
  std::string long_subject = std::string(60, 'a') + "=?";
  for (int i = 0; i < 80; ++i) long_subject += "长";
  const struct {
    std::string from_name, subject, body;
    const char* charset;  // of the body
  } rows[] = {
      {"Zhang \"San\"", "Hello", "Plain text", "gb2312"},
      {"张三", "你好 Hi", "简体中文，正文。", "gb2312"},
      {"張三", "繁體主題", "繁體中文", "gb18030"},
      {"王𠀋", "Hi 😀", "𠀋", "gb18030"},
      {"约翰·史密斯", "破折号——", "约翰·史密斯", "gb18030"},
      {"李", long_subject, "x", "gb2312"},
  };
  for (const auto& row : rows) {
    ExpectMail(SendOne({.from_name = row.from_name, .subject = row.subject, .body = row.body}),
               {{"from_name", row.from_name}, {"Subject", row.subject}, {"body", row.body},
                {"charset", row.charset}});
  }
}

TEST(Message, EnvelopeHeadersAndReceipt) {
  Letter letter{.to = {"Friend@Example.org", "second@example.net"},
                .body = "one\ntwo\rthree\r\n.\r\nfour"};
  // Line ends are made CRLF; a line holding only a dot survives the transfer.
  ExpectMail(SendOne(letter), {{"mail_from", test::kBuiltInAccount}, {"rcpt_tos", letter.to},
                               {"from_address", test::kBuiltInAccount}, {"login", nullptr},
                               {"To", "Friend@Example.org, second@example.net"},
                               {"Disposition-Notification-To", "<webmaster@example.com>"},
                               {"body", "one\r\ntwo\r\nthree\r\n.\r\nfour"}});
  letter.receipt = false;
  EXPECT_FALSE(SendOne(letter).contains("Disposition-Notification-To"));
}

// A message the server did not take raises, whatever Silent says. One the
// component refuses is not even offered: a control character in any header
// value or recipient, anything but one plain address where an address goes,
// no recipient, a server text that is no host[:port].
TEST(Message, SentOrRaised) {
  const int kNotSent = mail::kErrMailNotSent, kRefused = kErrInvalidArgument;
  const std::string user = test::kSinkAccount, bcc = "Bcc: victim@example.org";
  const struct {
    const char* name;
    Letter letter;
    int error;
    std::u16string server = Sink().Plain();
  } rows[] = {
      {"login", {.user = user, .password = test::kSinkPassword}, 0, Sink().Auth()},
      {"wrong password", {.user = user, .password = "wrong"}, kNotSent, Sink().Auth()},
      {"refused recipient", {.to = {"a@example.org", test::kRefusedMailbox}}, kNotSent},
      {"dead port", {}, kNotSent, Sink().DeadPort()},
      {"name line feed", {.from_name = "Ann\n" + bcc}, kRefused},
      {"subject CRLF", {.subject = "Hi\r\n" + bcc}, kRefused},
      {"subject line separator", {.subject = "Hi\u2028" + bcc}, kRefused},
      {"from CRLF", {.from = "a@example.com\r\n" + bcc}, kRefused},
      {"recipient CRLF", {.to = {"a@example.org\r\nRCPT TO:<b@example.org>"}}, kRefused},
      {"from no address", {.from = "webmaster"}, kRefused},
      {"recipient list", {.to = {"a@example.org,b@example.org"}}, kRefused},
      {"recipient empty", {.to = {""}}, kRefused},
      {"recipient no local part", {.to = {"@example.org"}}, kRefused},
      {"recipient no domain", {.to = {"a@"}}, kRefused},
      {"recipient two at signs", {.to = {"a@b@example.org"}}, kRefused},
      {"recipient not ASCII", {.to = {"张@example.org"}}, kRefused},
      {"no recipient", {.to = {}}, kRefused},
      {"server with user", {}, kRefused, u"user@127.0.0.1"},
      {"server port range", {}, kRefused, u"127.0.0.1:70000"},
  };
  Sink().Take();
  for (const auto& row : rows) {
    EXPECT_EQ(Send(row.letter, row.server), row.error) << row.name;
    const auto got = Sink().Take();
    ASSERT_EQ(got.size(), row.error == 0 ? 1u : 0u) << row.name;
    EXPECT_TRUE(got.empty() || got[0]["login"] == user);
  }
}

// STARTTLS when offered, then AUTH: a certificate the system does not know
// (self-signed) is refused; once trusted, the message goes under TLS.
TEST(Message, StartTlsChecksTheCertificate) {
  const Letter letter{.user = test::kSinkAccount, .password = test::kSinkPassword};
  Sink().Take();
  EXPECT_EQ(Send(letter, Sink().Tls()), mail::kErrMailNotSent);
  mail::SetCertificateAuthorities(Sink().Certificate());
  EXPECT_EQ(Send(letter, Sink().Tls()), 0);
  mail::SetCertificateAuthorities("");
  const auto got = Sink().Take();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]["tls"], true);
}

constexpr const char* kSendUrl = "/mail/form.asp?ToDo=SendMail";
constexpr const char* kSuccess = "http://localhost/mail/Success.asp?ToDo=SendMailOk";

using Fields = std::array<std::string, 5>;
const Fields kFilled = {"Ann", "ann@example.net", "bob@example.org", "Hi", "Hello Bob"};

Fields With(size_t field, const std::string& value = "") {
  Fields fields = kFilled;
  fields[field] = value;
  return fields;
}

// The five fields posted as Send_A to Send_E, as they are: a value holds
// "&", "+" or "%" only percent-encoded.
std::string Post(const Fields& fields, std::string form = "") {
  for (size_t i = 0; i < fields.size(); ++i) {
    form += std::string(form.empty() ? "" : "&") + "Send_" + char('A' + i) + "=" + fields[i];
  }
  return form;
}

struct MailPage : test::TestPage {
  MailPage(const char16_t* class_name, const std::string& url, const std::string& form = "")
      : TestPage(class_name, test::PageOptions().WithUrl(url).WithForm(form)) {
    state().MailSmtp = Sink().Plain();
    Sink().Take();
  }
  std::string Location() const { return Header("Location").value_or(""); }
};

// SendMail on one request: the message it leaves, either the redirect and
// one mail (with the fields of `mail`) or neither, the password and Mail
// emptied, and the form with its initial values, never the posted ones.
struct Outcome {
  const char* name;
  const char16_t* class_name;
  std::string url, form;
  const char* message;
  const char* location = "";  // a mail was sent
  nlohmann::json mail = {};
  const char16_t* path = u"";
  bool dead_port = false, no_component = false;
};

void ExpectSendMail(const Outcome& row) {
  SCOPED_TRACE(row.name);
  MailPage page(row.class_name, row.url, row.form);
  if (row.dead_port) page.state().MailSmtp = Sink().DeadPort();
  if (row.no_component) RegisterProgId(u"JMail.Message", [] { return ObjectPtr(); });
  page.state().MailServerPassword = u"set by the script";
  page.Call(u"SendMail", {row.path});
  RegisterProgId(u"JMail.Message", [] { return std::make_shared<mail::Message>(); });
  EXPECT_EQ(codepage::ToUtf8(page.state().ErrorMessage), row.message);
  EXPECT_EQ(page.Location(), row.location);
  const auto sent = Sink().Take();
  ASSERT_EQ(sent.size(), *row.location ? 1u : 0u);
  if (!sent.empty()) ExpectMail(sent[0], row.mail);
  EXPECT_EQ(page.state().MailServerPassword, u"");
  EXPECT_EQ(page.state().Mail, nullptr);
  EXPECT_EQ(page.Body().find(u"Ann"), std::u16string::npos);
}

TEST(MailMembers, SendMailOutcomes) {
  const char* kFailed = "邮件发送失败，请重新尝试。";
  const Outcome rows[] = {
      {"ToDo lower case", u"WAP", "/mail/form.asp?ToDo=sendmail", Post(kFilled), ""},
      {"all empty", u"WAP", kSendUrl, Post({"", "", "", "", ""}), "请输入姓名。"},
      {"no name", u"EnWAP", kSendUrl, Post(With(0)), "Please enter the name."},
      {"no own address", u"WAP", kSendUrl, Post(With(1)), "请输入您的邮箱。"},
      {"no own address", u"EnWAP", kSendUrl, Post(With(1)), "Please enter your e-mail."},
      {"no recipient", u"WAP", kSendUrl, Post(With(2)), "请输入对方邮箱。"},
      {"no recipient", u"EnWAP", kSendUrl, Post(With(2)), "Please enter each other's mail."},
      {"no subject", u"WAP", kSendUrl, Post(With(3)), "请输入邮件主题。"},
      {"no subject", u"EnWAP", kSendUrl, Post(With(3)), "Please enter the e-mail the theme."},
      {"no message", u"WAP", kSendUrl, Post(With(4)), "请输入邮件内容。"},
      {"no message", u"EnWAP", kSendUrl, Post(With(4)), "Please enter the e-mail content."},
      {"name of blanks", u"WAP", kSendUrl, Post(With(0, "   ")), "请输入姓名。"},
      {"ideographic space", u"WAP", kSendUrl, Post(With(0, "\u3000")), "请输入姓名。"},
      // Name, subject and message keep the case typed; only the two
      // addresses are lower-cased. The fields are escaped for markup.
      {"filled", u"WAP", kSendUrl,
       Post({" Zhang SAN ", "Me@Example.NET", " Bob@Example.ORG ", "Big <News>",
             "Line ONE\r\n\"quoted\" 'single' %26 more"}),
       "", kSuccess,
       {{"mail_from", test::kBuiltInAccount}, {"rcpt_tos", {"bob@example.org"}},
        {"from_name", "Zhang SAN"}, {"Subject", "Big &lt;News&gt;"},
        {"body", "您的朋友 \"Zhang SAN\"<me@example.net> 通过中国青石流云在线(http://www.example."
                 "com/)给您用WAP手机[http://wap.example.com/]发来新邮件,内容如下:\r\nLine ONE<br/>"
                 "&quot;quoted&quot; &apos;single&apos; & more"}}},
      {"own path", u"EnWAP", kSendUrl, Post(kFilled), "", "done.asp?x=1",
       {{"body", "Your Friend \"Ann\"<ann@example.net> By Chinese Mardon Varedo(http://www.example"
                 ".com/) Used WAP Site [http://wap.example.com/] Send A New Mail,The Content:"
                 "\r\nHello Bob"}},
       u"done.asp?x=1"},
      // A desktop browser's form posts ToDo as a hidden field.
      {"ToDo posted", u"EnWAP", "/mail/form.asp", Post(kFilled, "ToDo=SendMail"), "", kSuccess},
      // A failed send is never a success; a typed header reaches nothing.
      {"dead port", u"WAP", kSendUrl, Post(kFilled), kFailed, "", {}, u"", true},
      {"subject line feed", u"WAP", kSendUrl, Post(With(3, "Hi\nBcc: v@example.org")), kFailed},
      {"no component", u"EnWAP", kSendUrl, Post(kFilled), "E-mail failed, please try again.", "",
       {}, u"", false, true},
  };
  for (const Outcome& row : rows) ExpectSendMail(row);
}

TEST(MailMembers, SendOneMailAndThePasswordsLife) {
  MailPage page(u"XML", "/mail/one.asp");
  PageState& state = page.state();
  state.MailSmtp = Sink().Auth();
  state.MailContent = u"Text 繁體";
  // The built-in account sends with its built-in password, whatever the
  // script set; an account spelled otherwise (which the sink would take)
  // is not the built-in one.
  state.MailServerPassword = u"ignored";
  page.Call(u"SendOneMail");
  EXPECT_EQ(state.MailServerPassword, u"");
  state.MailServerUserName = u"Webmaster@example.com";
  state.MailServerPassword = u"ignored";
  page.object->SendOneMail(u"a@example.org", u"s", u"n");
  // The script's own account: its password for one send; the second send
  // goes with an empty one and is refused.
  state.MailServerUserName = codepage::FromUtf8(test::kSinkAccount);
  state.MailServerPassword = codepage::FromUtf8(test::kSinkPassword);
  page.object->SendOneMail(u"a@example.org", u"s", u"n");
  EXPECT_EQ(state.MailServerPassword, u"");
  page.object->SendOneMail(u"a@example.org", u"s", u"n");
  const auto sent = Sink().Take();
  ASSERT_EQ(sent.size(), 2u);
  ExpectMail(sent[0], {{"password", test::kBuiltInPassword}, {"rcpt_tos", {"mailbox@example.com"}},
                       {"Subject", "手机邮件"}, {"from_name", "中国青石流云在线"},
                       {"body", "Text 繁體"}});
  ExpectMail(sent[1], {{"login", test::kSinkAccount}, {"mail_from", test::kSinkAccount}});
}

}  // namespace
}  // namespace zorvadel
