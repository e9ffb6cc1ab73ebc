// The mail component: one message, created by ProgID ("JMail.Message"),
// filled by property and sent to an SMTP server by Send.
//
//   Silent, Logging, ReturnReceipt           Boolean properties
//   CharSet, MailServerUserName,
//   MailServerPassword, From, FromName,
//   Subject, Body                            String properties
//   AddRecipient(address)                    adds one recipient
//   Send(server) -> True                     "host" or "host:port"
//
// A failure always raises, whatever Silent says: a message that did not
// leave must never look sent. The object refuses, by raising:
//   - AddRecipient with anything but one plain address (a list, a name with
//     its address, a control character); nothing is added;
//   - Send while a header value (From, FromName, Subject) holds a control
//     character, so that no typed line break can add a header or a
//     recipient, while From is no plain address, without any recipient, or
//     with a server text that is no host[:port]; nothing is sent.
// The text is sent in gb2312, or in GB18030 when gb2312 cannot carry it
// (mime.h), whatever CharSet holds. ReturnReceipt asks for a disposition
// notification to From. Logging is kept and has no effect.
#ifndef ZORVADEL_PLATFORM_MAIL_MESSAGE_H_
#define ZORVADEL_PLATFORM_MAIL_MESSAGE_H_

#include <string>
#include <vector>

#include "zorvadel/variant.h"

namespace zorvadel::mail {

class Message : public Object {
 public:
  const ClassInfo& Class() const override;

  void AddRecipient(const std::u16string& address);
  bool Send(const std::u16string& server);

  const std::vector<std::u16string>& recipients() const { return recipients_; }

 private:
  bool silent_ = false;
  bool logging_ = false;
  bool return_receipt_ = false;
  std::u16string char_set_;
  std::u16string user_name_;
  std::u16string password_;
  std::u16string from_;
  std::u16string from_name_;
  std::u16string subject_;
  std::u16string body_;
  std::vector<std::u16string> recipients_;
};

}  // namespace zorvadel::mail

#endif  // ZORVADEL_PLATFORM_MAIL_MESSAGE_H_
