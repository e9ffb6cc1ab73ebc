// The mail component against a real SMTP server on 127.0.0.1: what reaches
// the server (envelope, decoded headers and body, charset), AUTH and
// STARTTLS, and every refusal: a refused mailbox, a dead port, wrong
// credentials, header values and recipients that try to add lines.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "mail/smtp_sink.h"
#include "platform/codepage/codepage.h"
#include "platform/mail/smtp.h"
#include "zorvadel/dispatch.h"

namespace zorvadel {
namespace {

using test::SmtpSink;

std::u16string U(const std::string& utf8) { return codepage::FromUtf8(utf8); }

struct Letter {
  std::string from = test::kBuiltInAccount;
  std::string from_name = "Zhang San";
  std::vector<std::string> to = {"friend@example.org"};
  std::string subject = "Hello";
  std::string body = "Plain text";
  bool receipt = true;
  std::string user;
  std::string password;
};

// A message filled by name, as the page members fill it.
ObjectPtr Compose(const Letter& letter) {
  ObjectPtr mail = CreateByProgId(u"JMail.Message");
  auto let = [&](const char16_t* name, Variant value) {
    Invoke(*mail, name, {std::move(value)}, CallKind::kLet);
  };
  let(u"Silent", true);
  let(u"CharSet", u"gb2312");
  let(u"MailServerUserName", U(letter.user));
  let(u"MailServerPassword", U(letter.password));
  let(u"From", U(letter.from));
  let(u"FromName", U(letter.from_name));
  for (const std::string& r : letter.to) Invoke(*mail, u"AddRecipient", {U(r)});
  let(u"Subject", U(letter.subject));
  let(u"Body", U(letter.body));
  let(u"ReturnReceipt", letter.receipt);
  return mail;
}

// The error number Send raised (0 for none).
int SendError(const Letter& letter, const std::u16string& server) {
  try {
    ObjectPtr mail = Compose(letter);
    EXPECT_EQ(Invoke(*mail, u"Send", {server}), Variant(true));
  } catch (const ScriptError& e) {
    return e.number();
  }
  return 0;
}

class MessageTest : public ::testing::Test {
 protected:
  void SetUp() override { sink().Take(); }
  void TearDown() override { mail::SetCertificateAuthorities(""); }
  static SmtpSink& sink() { return SmtpSink::Get(); }

  // Sends and returns the one message the sink got.
  nlohmann::json SendOne(const Letter& letter, const std::u16string& server) {
    EXPECT_EQ(SendError(letter, server), 0);
    auto got = sink().Take();
    EXPECT_EQ(got.size(), 1u);
    return got.empty() ? nlohmann::json::object() : got[0];
  }
};

// ---- what reaches the server -------------------------------------------------------------

struct CharsetCase {
  const char* name;
  std::string from_name, subject, body;
  const char* charset;  // of the body
};
void PrintTo(const CharsetCase& c, std::ostream* os) { *os << c.name; }

// gb2312 while every character has one agreed GB2312 form; GB18030 for
// traditional forms, characters outside the BMP, emoji, and the two cells
// that strict and GBK readers read differently (the middle dot, the dash).
const CharsetCase kCharsetCases[] = {
    {"ascii", "Zhang \"San\"", "Hello", "Plain text", "gb2312"},
    {"simplified", "张三", "你好 Hi", "简体中文，正文。", "gb2312"},
    {"traditional", "張三", "繁體主題", "繁體中文", "gb18030"},
    {"rare_name", "王𠀋", "名字", "𠀋", "gb18030"},
    {"emoji", "Ann", "Hi 😀", "Smile 😀", "gb18030"},
    {"middle_dot", "约翰·史密斯", "破折号——", "约翰·史密斯", "gb18030"},
    {"long_subject", "李", std::string(60, 'a') + "=?" + [] {
       std::string s;
       for (int i = 0; i < 80; ++i) s += "长";
       return s;
     }(), "x", "gb2312"},
};

class MessageCharsetTest : public MessageTest,
                           public ::testing::WithParamInterface<CharsetCase> {};

TEST_P(MessageCharsetTest, HeadersAndBodyArriveAsTyped) {
  const CharsetCase& c = GetParam();
  Letter letter;
  letter.from_name = c.from_name;
  letter.subject = c.subject;
  letter.body = c.body;
  const nlohmann::json got = SendOne(letter, sink().Plain());
  EXPECT_EQ(got["from_name"], c.from_name);
  EXPECT_EQ(got["headers"]["Subject"], c.subject);
  EXPECT_EQ(got["body"], c.body);
  EXPECT_EQ(got["charset"], c.charset);
}

INSTANTIATE_TEST_SUITE_P(Texts, MessageCharsetTest, ::testing::ValuesIn(kCharsetCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessageTest, EnvelopeHeadersAndReceipt) {
  Letter letter;
  letter.to = {"Friend@Example.org", "second@example.net"};
  letter.body = "one\ntwo\rthree\r\n.\r\nfour";
  const nlohmann::json got = SendOne(letter, sink().Plain());
  EXPECT_EQ(got["mail_from"], "webmaster@example.com");
  EXPECT_EQ(got["rcpt_tos"], nlohmann::json({"Friend@Example.org", "second@example.net"}));
  EXPECT_EQ(got["from_address"], "webmaster@example.com");
  EXPECT_EQ(got["headers"]["To"], "Friend@Example.org, second@example.net");
  EXPECT_EQ(got["headers"]["Disposition-Notification-To"], "<webmaster@example.com>");
  EXPECT_EQ(got["headers"]["Content-Type"], "text/plain; charset=\"gb2312\"");
  // Line ends are made CRLF; a line holding only a dot survives the
  // transfer.
  EXPECT_EQ(got["body"], "one\r\ntwo\r\nthree\r\n.\r\nfour");
  EXPECT_EQ(got["login"], nullptr);
  EXPECT_EQ(got["raw"].get<std::string>().rfind("From: \"Zhang San\" <webmaster@example.com>\r\n", 0),
            0u);

  letter.receipt = false;
  EXPECT_FALSE(SendOne(letter, sink().Plain())["headers"].contains("Disposition-Notification-To"));
}

// ---- AUTH and STARTTLS ----------------------------------------------------------------------

TEST_F(MessageTest, AuthenticatesWhenTheServerAsks) {
  Letter letter;
  letter.user = test::kSinkAccount;
  letter.password = test::kSinkPassword;
  EXPECT_EQ(SendOne(letter, sink().Auth())["login"], test::kSinkAccount);

  struct {
    const char* name;
    std::string user, password;
  } const refused[] = {
      {"wrong password", test::kSinkAccount, "wrong"},
      {"empty password", test::kSinkAccount, ""},
      {"no account", "", ""},
  };
  for (const auto& r : refused) {
    letter.user = r.user;
    letter.password = r.password;
    EXPECT_EQ(SendError(letter, sink().Auth()), mail::kErrMailNotSent) << r.name;
  }
  EXPECT_TRUE(sink().Take().empty());
}

TEST_F(MessageTest, StartTlsWithACertificateThatChecksOut) {
  Letter letter;
  letter.user = test::kSinkAccount;
  letter.password = test::kSinkPassword;
  // The server's certificate is self-signed: unknown to the system, so the
  // connection is refused rather than sent in the clear.
  EXPECT_EQ(SendError(letter, sink().Tls()), mail::kErrMailNotSent);
  EXPECT_TRUE(sink().Take().empty());

  mail::SetCertificateAuthorities(sink().Certificate());
  const nlohmann::json got = SendOne(letter, sink().Tls());
  EXPECT_EQ(got["tls"], true);
  EXPECT_EQ(got["login"], test::kSinkAccount);
}

// ---- failures raise, whatever Silent says ----------------------------------------------------

TEST_F(MessageTest, UndeliveredMessagesRaise) {
  Letter refused;
  refused.to = {"friend@example.org", test::kRefusedMailbox};
  EXPECT_EQ(SendError(refused, sink().Plain()), mail::kErrMailNotSent);
  EXPECT_EQ(SendError(Letter(), sink().DeadPort()), mail::kErrMailNotSent);
  EXPECT_TRUE(sink().Take().empty());
}

struct RefusedCase {
  const char* name;
  Letter letter;
  const char16_t* server;  // null: the plain listener
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

Letter With(std::string Letter::*field, std::string value) {
  Letter letter;
  letter.*field = std::move(value);
  return letter;
}

const RefusedCase kRefusedCases[] = {
    {"name_line_feed", With(&Letter::from_name, "Ann\nBcc: victim@example.org"), nullptr},
    {"name_carriage_return", With(&Letter::from_name, "Ann\rBcc: victim@example.org"), nullptr},
    {"subject_crlf", With(&Letter::subject, "Hi\r\nBcc: victim@example.org"), nullptr},
    {"subject_nul", With(&Letter::subject, std::string("Hi\0x", 4)), nullptr},
    {"subject_line_separator", With(&Letter::subject, "Hi\u2028Bcc: x"), nullptr},
    {"from_with_line", With(&Letter::from, "a@example.com\r\nBcc: victim@example.org"), nullptr},
    {"from_no_address", With(&Letter::from, "webmaster"), nullptr},
    {"no_recipient", With(&Letter::subject, "x"), nullptr},
    {"server_with_path", Letter(), u"127.0.0.1/x"},
    {"server_with_user", Letter(), u"user@127.0.0.1"},
    {"server_port_range", Letter(), u"127.0.0.1:70000"},
    {"server_empty", Letter(), u""},
};

class MessageRefusalTest : public MessageTest,
                           public ::testing::WithParamInterface<RefusedCase> {};

// Nothing is sent: the sink sees no message at all.
TEST_P(MessageRefusalTest, SendRefusesAndNothingArrives) {
  const RefusedCase& c = GetParam();
  Letter letter = c.letter;
  if (std::string(c.name) == "no_recipient") letter.to.clear();
  EXPECT_EQ(SendError(letter, c.server ? c.server : sink().Plain()), kErrInvalidArgument);
  EXPECT_TRUE(sink().Take().empty());
}

INSTANTIATE_TEST_SUITE_P(Values, MessageRefusalTest, ::testing::ValuesIn(kRefusedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MessageRecipient, TakesExactlyOnePlainAddress) {
  const char16_t* const refused[] = {
      u"",
      u"a@example.org, b@example.org",
      u"a@example.org;b@example.org",
      u"Ann <a@example.org>",
      u"a@example.org\r\nRCPT TO:<b@example.org>",
      u"a@example.org>\r\nDATA",
      u"a b@example.org",
      u"@example.org",
      u"a@",
      u"a@b@example.org",
      u"张@example.org",
  };
  ObjectPtr mail = CreateByProgId(u"JMail.Message");
  for (const char16_t* address : refused) {
    try {
      Invoke(*mail, u"AddRecipient", {address});
      ADD_FAILURE() << codepage::ToUtf8(address) << " was taken";
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.number(), kErrInvalidArgument);
    }
  }
  Invoke(*mail, u"AddRecipient", {u"first.last+tag@mail.example.org"});
}

TEST(MessageServer, HostAndPort) {
  const struct {
    const char16_t* text;
    const char* host;
    int port;
  } rows[] = {
      {u"smtp.example.com", "smtp.example.com", 25},
      {u"127.0.0.1:2525", "127.0.0.1", 2525},
      {u"[::1]:587", "[::1]", 587},
      {u"[::1]", "[::1]", 25},
  };
  for (const auto& row : rows) {
    mail::SmtpJob job;
    ASSERT_TRUE(mail::ParseServer(row.text, &job)) << codepage::ToUtf8(row.text);
    EXPECT_EQ(job.host, row.host);
    EXPECT_EQ(job.port, row.port);
  }
  for (const char16_t* bad : {u"host:", u"host:0", u"[::1", u"[::1]x", u"a b", u"h:25:26"}) {
    mail::SmtpJob job;
    EXPECT_FALSE(mail::ParseServer(bad, &job)) << codepage::ToUtf8(bad);
  }
}

}  // namespace
}  // namespace zorvadel
