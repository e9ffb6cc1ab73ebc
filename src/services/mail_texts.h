// The texts of the mail members: the message body around the typed fields,
// the form's messages, rows and labels, and the built-in account. The two
// languages run the same code and differ only by these tables.
#ifndef ZORVADEL_SERVICES_MAIL_TEXTS_H_
#define ZORVADEL_SERVICES_MAIL_TEXTS_H_

#include <array>
#include <cstddef>
#include <string_view>

#include "zorvadel/page_state.h"

namespace zorvadel::services {

// The five posted fields in form order, which is also the order in which
// MailSend checks them.
inline constexpr size_t kMailFieldCount = 5;
inline constexpr std::array<std::u16string_view, kMailFieldCount> kMailFieldNames = {
    u"Send_A", u"Send_B", u"Send_C", u"Send_D", u"Send_E"};
enum MailField : size_t { kSenderName, kSenderAddress, kRecipient, kSubject, kMessage };

struct MailFieldTexts {
  std::u16string_view tip;    // ShowTip of TextIn
  std::u16string_view value;  // the fixed initial value
  std::u16string_view title;  // InputTitle
};

struct MailTexts {
  // SendOneMail's defaults.
  std::u16string_view default_subject;
  std::u16string_view default_from_name;
  // The body of MailSend: opening + name + kBodyAddressOpen + address +
  // by + MailSiteName + "(" + MailWebUrl + used_wap + MailWapUrl +
  // content + CRLF + message.
  std::u16string_view body_opening;
  std::u16string_view body_by;
  std::u16string_view body_used_wap;
  std::u16string_view body_content;
  // One message per field when it is empty, then the failure message.
  std::array<std::u16string_view, kMailFieldCount> empty_field;
  std::u16string_view send_failed;
  // The form.
  std::u16string_view form_title;
  std::u16string_view task_label;
  std::u16string_view send_text;
  std::array<MailFieldTexts, kMailFieldCount> fields;
};
const MailTexts& MailTextsOf(PageLanguage language);

inline constexpr std::u16string_view kBodyAddressOpen = u"\"<";
inline constexpr std::u16string_view kBodyUrlOpen = u"(";
inline constexpr std::u16string_view kBodyLineBreak = u"\r\n";

// The request that asks MailSend to send, and the one it redirects to.
inline constexpr std::u16string_view kToDoKey = u"ToDo";
inline constexpr std::u16string_view kSendRequest = u"SendMail";
inline constexpr std::u16string_view kSendTarget = u"?ToDo=SendMail";
inline constexpr std::u16string_view kSentQuery = u"?ToDo=SendMailOk";
// The field list of the form's task and link, split at one blank.
inline constexpr std::u16string_view kFieldList = u"Send_A Send_B Send_C Send_D Send_E";
// Carries ToDo in the post of a desktop browser's form, which goes to the
// bare page address.
inline constexpr std::u16string_view kHiddenToDo =
    u"<input name=\"ToDo\" type=\"hidden\" Id=\"ToDo\" value=\"SendMail\">";

// The built-in account's password, and SendOneMail's built-in recipient (a
// reserved example address). The account itself is the page-start value of
// MailServerUserName.
inline constexpr std::u16string_view kBuiltInPassword = u"quorbel";
inline constexpr std::u16string_view kBuiltInRecipient = u"mailbox@example.com";

}  // namespace zorvadel::services

#endif  // ZORVADEL_SERVICES_MAIL_TEXTS_H_
