#include "platform/mail/message.h"

#include <cstdio>
#include <ctime>
#include <random>
#include <string>

#include "platform/codepage/codepage.h"
#include "platform/mail/mime.h"
#include "platform/mail/smtp.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/member_table.h"

namespace zorvadel::mail {
namespace {

[[noreturn]] void Refuse(const char16_t* why) { throw ScriptError(kErrInvalidArgument, why); }

// The Date header: now, in UTC, in the RFC 5322 form. The names are
// written out so that no locale can change them.
std::string DateNow() {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[utc.tm_wday],
                utc.tm_mday, kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min,
                utc.tm_sec);
  return text;
}

std::string UniqueId() {
  thread_local std::mt19937_64 random{std::random_device{}()};
  char text[40];
  std::snprintf(text, sizeof text, "%llx.%llx", static_cast<unsigned long long>(std::time(nullptr)),
                static_cast<unsigned long long>(random()));
  return text;
}

std::string Narrow(const std::u16string& text) { return codepage::ToUtf8(text); }

}  // namespace

void Message::AddRecipient(const std::u16string& address) {
  if (!IsSingleAddress(address)) Refuse(u"AddRecipient takes one plain mail address");
  recipients_.push_back(address);
}

bool Message::Send(const std::u16string& server) {
  if (HasControl(from_) || HasControl(from_name_) || HasControl(subject_)) {
    Refuse(u"A header value holds a control character");
  }
  if (!IsSingleAddress(from_)) Refuse(u"From is no plain mail address");
  if (recipients_.empty()) Refuse(u"The message has no recipient");
  SmtpJob job;
  if (!ParseServer(server, &job)) Refuse(u"The server is no host or host:port");

  MessageText text;
  text.from = from_;
  text.from_name = from_name_;
  text.recipients = recipients_;
  text.subject = subject_;
  text.body = body_;
  text.return_receipt = return_receipt_;
  text.date = DateNow();
  text.unique_id = UniqueId();
  job.message = ComposeMessage(text);
  job.user_name = Narrow(user_name_);
  job.password = Narrow(password_);
  job.sender = Narrow(from_);
  for (const std::u16string& r : recipients_) job.recipients.push_back(Narrow(r));
  SendOverSmtp(job);
  return true;
}

const ClassInfo& Message::Class() const {
  using M = Message;
  static const ClassInfo info = ClassBuilder<M>(u"Message")
                                    .Property<&M::silent_>(u"Silent")
                                    .Property<&M::logging_>(u"Logging")
                                    .Property<&M::char_set_>(u"CharSet")
                                    .Property<&M::user_name_>(u"MailServerUserName")
                                    .Property<&M::password_>(u"MailServerPassword")
                                    .Property<&M::from_>(u"From")
                                    .Property<&M::from_name_>(u"FromName")
                                    .Property<&M::subject_>(u"Subject")
                                    .Property<&M::body_>(u"Body")
                                    .Property<&M::return_receipt_>(u"ReturnReceipt")
                                    .Method<&M::AddRecipient>(u"AddRecipient", {Req(u"Email")})
                                    .Method<&M::Send>(u"Send", {Req(u"MailServer")})
                                    .Build();
  return info;
}

}  // namespace zorvadel::mail
