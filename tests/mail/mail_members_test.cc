// The mail members on a page of the in-memory engine, sending to the real
// SMTP sink: which requests MailSend acts on, its validation messages, the
// message it builds, the redirect after a send and the failure message
// instead of it, the password's one-call life, SendOneMail's defaults, and
// the form that SendMail shows. The form's rows in full are the page
// scripts' (mail_form_phone, mail_form_web).
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "mail/smtp_sink.h"
#include "platform/codepage/codepage.h"
#include "platform/mail/message.h"
#include "support/member_calls.h"
#include "support/page_fixture.h"
#include "zorvadel/dispatch.h"

namespace zorvadel {
namespace {

using test::SmtpSink;

constexpr const char* kSendUrl = "/mail/form.asp?ToDo=SendMail";
constexpr const char* kSuccess = "http://localhost/mail/Success.asp?ToDo=SendMailOk";
constexpr const char* kFailed = "邮件发送失败，请重新尝试。";

std::string Encode(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '.' || c == '@' || c == '-' || c == '_') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

using Fields = std::array<std::string, 5>;
const Fields kFilled = {"Ann", "ann@example.net", "bob@example.org", "Hi", "Hello Bob"};

// The five fields posted; a field of "-" is left out of the post.
std::string Post(const Fields& fields, const std::string& extra = "") {
  std::string form = extra;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i] == "-") continue;
    if (!form.empty()) form += '&';
    form += "Send_" + std::string(1, static_cast<char>('A' + i)) + "=" + Encode(fields[i]);
  }
  return form;
}

struct MailPage : test::TestPage {
  MailPage(const char16_t* class_name, const std::string& url, const std::string& form,
           const char* agent = test::kPhoneAgent)
      : TestPage(class_name,
                 test::PageOptions().WithUrl(url).WithForm(form).WithAgent(agent)) {
    state().MailSmtp = SmtpSink::Get().Plain();
  }
  std::string Message() const { return codepage::ToUtf8(object->state().ErrorMessage); }
  std::string Location() const { return Header("Location").value_or(""); }
};

class MailMembersTest : public ::testing::Test {
 protected:
  void SetUp() override { SmtpSink::Get().Take(); }
  static std::vector<nlohmann::json> Sent() { return SmtpSink::Get().Take(); }
};

// ---- which requests MailSend acts on, and its messages -----------------------------------------

struct RequestCase {
  const char* name;
  const char16_t* class_name;
  std::string url;
  std::string form;
  const char* message;  // ErrorMessage afterwards
  bool sent;            // one message sent and the success redirect
};
void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

Fields Without(size_t field, const std::string& value = "") {
  Fields fields = kFilled;
  fields[field] = value;
  return fields;
}

const RequestCase kRequestCases[] = {
    {"no_todo", u"WAP", "/mail/form.asp", Post(kFilled), "", false},
    {"todo_lower_case", u"WAP", "/mail/form.asp?ToDo=sendmail", Post(kFilled), "", false},
    {"todo_sent", u"WAP", "/mail/form.asp?ToDo=SendMailOk", Post(kFilled), "", false},
    {"all_empty", u"WAP", kSendUrl, Post({"", "", "", "", ""}), "请输入姓名。", false},
    {"all_missing", u"EnWAP", kSendUrl, "", "Please enter the name.", false},
    {"name_blanks", u"WAP", kSendUrl, Post(Without(0, "   ")), "请输入姓名。", false},
    {"name_ideographic_space", u"WAP", kSendUrl, Post(Without(0, "\u3000")), "请输入姓名。",
     false},
    {"own_address", u"WAP", kSendUrl, Post(Without(1)), "请输入您的邮箱。", false},
    {"recipient", u"WAP", kSendUrl, Post(Without(2)), "请输入对方邮箱。", false},
    {"subject", u"WAP", kSendUrl, Post(Without(3)), "请输入邮件主题。", false},
    {"message", u"WAP", kSendUrl, Post(Without(4)), "请输入邮件内容。", false},
    {"own_address_en", u"EnWAP", kSendUrl, Post(Without(1)), "Please enter your e-mail.", false},
    {"recipient_en", u"EnWAP", kSendUrl, Post(Without(2)), "Please enter each other's mail.",
     false},
    {"subject_en", u"EnWAP", kSendUrl, Post(Without(3)), "Please enter the e-mail the theme.",
     false},
    {"message_en", u"EnWAP", kSendUrl, Post(Without(4)), "Please enter the e-mail content.",
     false},
    {"filled", u"WAP", kSendUrl, Post(kFilled), "", true},
    // A desktop browser's form posts ToDo as a hidden field.
    {"todo_posted", u"EnWAP", "/mail/form.asp", Post(kFilled, "ToDo=SendMail"), "", true},
};

class MailSendRequestTest : public MailMembersTest,
                            public ::testing::WithParamInterface<RequestCase> {};

TEST_P(MailSendRequestTest, MessageRedirectAndMail) {
  const RequestCase& c = GetParam();
  MailPage page(c.class_name, c.url, c.form);
  page.state().MailServerPassword = u"set by the script";
  page.Call(u"MailSend");
  EXPECT_EQ(page.Message(), c.message);
  EXPECT_EQ(page.Location(), c.sent ? kSuccess : "");
  EXPECT_EQ(Sent().size(), c.sent ? 1u : 0u);
  EXPECT_EQ(page.state().MailServerPassword, u"");
  EXPECT_EQ(page.state().Mail, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Requests, MailSendRequestTest, ::testing::ValuesIn(kRequestCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the message MailSend builds ------------------------------------------------------------------

TEST_F(MailMembersTest, MessageKeepsWhatTheUserTyped) {
  MailPage page(u"WAP", kSendUrl,
                Post({" Zhang SAN ", "Me@Example.NET", " Bob@Example.ORG ", "Big <News>",
                      "Line ONE\r\n\"quoted\" 'single' & more"}));
  page.object->MailSend(u"");
  ASSERT_EQ(page.Location(), kSuccess);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 1u);
  const nlohmann::json& got = sent[0];
  EXPECT_EQ(got["mail_from"], "webmaster@example.com");
  EXPECT_EQ(got["rcpt_tos"], nlohmann::json({"bob@example.org"}));
  EXPECT_EQ(got["from_name"], "Zhang SAN");
  EXPECT_EQ(got["headers"]["Subject"], "Big &lt;News&gt;");
  EXPECT_EQ(got["headers"]["Disposition-Notification-To"], "<webmaster@example.com>");
  EXPECT_EQ(got["body"],
            "您的朋友 \"Zhang SAN\"<me@example.net> 通过中国青石流云在线(http://www.example.com/"
            ")给您用WAP手机[http://wap.example.com/]发来新邮件,内容如下:\r\n"
            "Line ONE<br/>&quot;quoted&quot; &apos;single&apos; & more");
}

TEST_F(MailMembersTest, EnglishBodyAndOwnRedirect) {
  MailPage page(u"EnWAP", kSendUrl, Post(kFilled));
  page.state().MailSiteName = u"Site";
  page.state().MailWebUrl = u"W";
  page.state().MailWapUrl = u"P";
  page.Call(u"MailSend", {u"done.asp?x=1"});
  EXPECT_EQ(page.Location(), "done.asp?x=1");
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["body"],
            "Your Friend \"Ann\"<ann@example.net> By Site(W) Used WAP Site [P] Send A New "
            "Mail,The Content:\r\nHello Bob");
}

// ---- a send that fails: the message, never the success page ----------------------------------------

struct FailureCase {
  const char* name;
  Fields fields;
  bool dead_port;
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

// The component's own refusals are its tests'; one of each kind here.
const FailureCase kFailureCases[] = {
    {"dead_port", kFilled, true},
    {"refused_recipient", Without(2, test::kRefusedMailbox), false},
    {"recipient_list", Without(2, "a@example.org,b@example.org"), false},
    {"subject_line_feed", Without(3, "Hi\nBcc: victim@example.org"), false},
};

class MailSendFailureTest : public MailMembersTest,
                            public ::testing::WithParamInterface<FailureCase> {};

TEST_P(MailSendFailureTest, FailureMessageAndNoRedirect) {
  const FailureCase& c = GetParam();
  MailPage page(u"WAP", kSendUrl, Post(c.fields));
  if (c.dead_port) page.state().MailSmtp = SmtpSink::Get().DeadPort();
  page.object->SendMail(u"");
  EXPECT_EQ(page.Message(), kFailed);
  EXPECT_EQ(page.Location(), "");
  EXPECT_EQ(page.page.Result().status, 200);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(page.state().Mail, nullptr);
  // The form follows the message.
  EXPECT_EQ(page.Body().rfind(u"&#x90AE;&#x4EF6;&#x53D1;&#x9001;&#x5931;&#x8D25;", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Failures, MailSendFailureTest, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MailMembersTest, MissingComponentIsAFailedSend) {
  RegisterProgId(u"JMail.Message", [] { return ObjectPtr(); });
  MailPage page(u"EnWAP", kSendUrl, Post(kFilled));
  page.Call(u"SendOneMail");
  page.Call(u"MailSend");
  RegisterProgId(u"JMail.Message", [] { return std::make_shared<mail::Message>(); });
  EXPECT_EQ(page.Message(), "E-mail failed, please try again.");
  EXPECT_EQ(page.Location(), "");
  EXPECT_EQ(page.state().Mail, nullptr);
  EXPECT_EQ(page.state().MailServerPassword, u"");
}

// ---- the account and its password -------------------------------------------------------------------

TEST_F(MailMembersTest, PasswordLivesForOneCall) {
  MailPage page(u"WAP", "/mail/one.asp", "");
  PageState& state = page.state();
  state.MailSmtp = SmtpSink::Get().Auth();
  // The built-in account sends with its built-in password, whatever the
  // script set.
  state.MailServerPassword = u"ignored";
  page.object->SendOneMail(u"a@example.org", u"s", u"n");
  EXPECT_EQ(state.MailServerPassword, u"");
  // An account spelled otherwise is not the built-in one.
  state.MailServerUserName = u"Webmaster@example.com";
  state.MailServerPassword = u"quorbel";
  page.object->SendOneMail(u"a@example.org", u"s", u"n");
  // The script's own account: its password for one send; the second send
  // goes with an empty one and is refused.
  state.MailServerUserName = codepage::FromUtf8(test::kSinkAccount);
  state.MailServerPassword = codepage::FromUtf8(test::kSinkPassword);
  page.object->SendOneMail(u"a@example.org", u"s", u"n");
  EXPECT_EQ(state.MailServerPassword, u"");
  page.object->SendOneMail(u"a@example.org", u"s", u"n");
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0]["login"], test::kBuiltInAccount);
  EXPECT_EQ(sent[0]["password"], test::kBuiltInPassword);
  EXPECT_EQ(sent[1]["login"], test::kSinkAccount);
  EXPECT_EQ(sent[1]["mail_from"], test::kSinkAccount);
}

// ---- SendOneMail's defaults ---------------------------------------------------------------------------

TEST_F(MailMembersTest, SendOneMailDefaults) {
  const struct {
    const char16_t* class_name;
    const char* subject;
    const char* from_name;
  } rows[] = {
      {u"XML", "手机邮件", "中国青石流云在线"},
      {u"EnXML", "Phone Mail", "Chinese Mardon Varedo"},
      {u"WAP", "手机邮件", "中国青石流云在线"},
      {u"EnWAP", "Phone Mail", "Chinese Mardon Varedo"},
  };
  for (const auto& row : rows) {
    MailPage page(row.class_name, "/one.asp", "");
    page.state().MailContent = u"Text 繁體";
    page.Call(u"SendOneMail");
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u) << codepage::ToUtf8(row.class_name);
    EXPECT_EQ(sent[0]["rcpt_tos"], nlohmann::json({"mailbox@example.com"}));
    EXPECT_EQ(sent[0]["headers"]["Subject"], row.subject);
    EXPECT_EQ(sent[0]["from_name"], row.from_name);
    EXPECT_EQ(sent[0]["body"], "Text 繁體");
  }
}

TEST(MailMembers, WhichClassesHaveThem) {
  const test::Presence rows[] = {
      {u"SendOneMail", "XxWw--"},
      {u"MailSend", "--Ww--"},
      {u"MailWrite", "--Ww--"},
      {u"SendMail", "--Ww--"},
  };
  test::ExpectPresence(rows);
}

// ---- SendMail: the sender, then the form -----------------------------------------------------------------

TEST_F(MailMembersTest, FirstVisitShowsTheFormAlone) {
  MailPage page(u"EnWAP", "/mail/form.asp?x=1", "");
  page.Call(u"SendMail", {u"next.asp"});
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(page.Body().rfind(u"Send A Mail<br/>My Name:<br/>", 0), 0u);
  EXPECT_NE(page.Body().find(u"<go href=\"http://localhost/mail/form.asp?ToDo=SendMail\""),
            std::u16string::npos);
}

TEST_F(MailMembersTest, ValidationMessageAboveAFreshForm) {
  MailPage page(u"EnWAP", kSendUrl, Post(Without(2)));
  page.object->SendMail(u"");
  const std::u16string body = page.Body();
  EXPECT_EQ(body.rfind(u"Please enter each other's mail.<br/>Send A Mail<br/>", 0), 0u);
  // The initial values, not the posted ones.
  EXPECT_NE(body.find(u"name=\"Send_A\" value=\"\""), std::u16string::npos);
  EXPECT_EQ(body.find(u"Ann"), std::u16string::npos);
}

}  // namespace
}  // namespace zorvadel
