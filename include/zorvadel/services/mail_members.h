// Member group of the page classes: mail through the mail component
// (JMail.Message, created by Server.CreateObject), and the WML classes'
// ready-made mail page.
//
// Which page class has which member by name (a C++ call on another page
// class runs the same code):
//
//   SendOneMail                         XML EnXML WAP EnWAP
//   MailSend, MailWrite, SendMail       WAP EnWAP
//
// Both senders build the message in the same fifteen steps, each with its
// errors suppressed: the component, its settings, the recipient, subject and
// body, the send to MailSmtp. The message stands in the property Mail only
// while it is being sent. While MailServerUserName is the built-in account
// (its page-start value), the built-in password is put in place for the
// send. Whatever happens, both leave MailServerPassword empty: a password
// lives for one call.
//
// The mail form and its sender meet only through the request (ToDo and the
// posted fields Send_A to Send_E) and through ErrorMessage, which MailSend
// sets and MailWrite shows above a fresh form.
#ifndef ZORVADEL_MAIL_MEMBERS_H_
#define ZORVADEL_MAIL_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageMailMembers : public MemberGroup<PageMailMembers, PageCore> {
 public:
  // Sends MailContent to receive_mail under subject and from_name; checks
  // nothing, writes nothing, reports nothing. By name: ReceiveMail the
  // built-in recipient, MailSubject "手机邮件" / "Phone Mail", FromName
  // "中国青石流云在线" / "Chinese Mardon Varedo" (all by reference, never
  // changed).
  void SendOneMail(const std::u16string& receive_mail, const std::u16string& mail_subject,
                   const std::u16string& from_name);
  // Only when the request item ToDo is exactly "SendMail": reads the five
  // posted fields (escaped with DelSpecialMark, the two addresses
  // lower-cased, blanks trimmed), stops at the first empty one with its
  // message in ErrorMessage, sends from MailServerUserName under the typed
  // name to the typed recipient, and then redirects to send_over_to_path,
  // or to WapPath + MailResultFileName + "?ToDo=SendMailOk" when it is
  // empty; a send that raised anything leaves the failure message in
  // ErrorMessage instead. By name: SendOverToPath "" (by reference).
  void MailSend(const std::u16string& send_over_to_path);
  // The mail form: ErrorMessage (when set), the title, the five fields with
  // their fixed initial values, on a desktop browser the hidden ToDo field,
  // the WML options task and the send link (or button), all posting to
  // ThisFileName + "?ToDo=SendMail".
  void MailWrite();
  // MailSend with a copy of send_over_to_path, then MailWrite. By name:
  // SendOverToPath "" (by reference).
  void SendMail(const std::u16string& send_over_to_path);

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);
};

}  // namespace zorvadel

#endif  // ZORVADEL_MAIL_MEMBERS_H_
