// The mail members. Every step of the message set-up is a step of its own
// with its errors suppressed, as the component is driven by member name;
// MailSend counts a step that raised as a failed send, so a message that
// did not leave never leads to the success page.
#include "component/group_calls.h"
#include "zorvadel/services/mail_members.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "component/failure_line.h"
#include "component/page_properties.h"
#include "services/mail_texts.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using services::MailTexts;

std::u16string S(std::u16string_view view) { return std::u16string(view); }

struct Letter {
  std::u16string from_name;
  std::u16string recipient;
  std::u16string subject;
  std::u16string body;
};

// Builds and sends one message through the page's Mail; true when no step
// raised. Mail is Nothing again afterwards.
bool SendThroughComponent(PageState& state, const Letter& letter) {
  bool ok = true;
  auto step = [&ok](auto&& work) { ok = Step(work) && ok; };
  auto let = [&](std::u16string_view property, Variant value) {
    step([&] { Invoke(Need(state.Mail), property, {value}, CallKind::kLet); });
  };
  step([&] { state.Mail = Need(state.Server).CreateObject(u"JMail.Message"); });
  let(u"Silent", true);
  let(u"Logging", true);
  let(u"CharSet", u"gb2312");
  let(u"MailServerUserName", state.MailServerUserName);
  if (state.MailServerUserName == kMakerMailAccount) {
    state.MailServerPassword = S(services::kBuiltInPassword);
  }
  let(u"MailServerPassword", state.MailServerPassword);
  let(u"From", state.MailServerUserName);
  let(u"FromName", letter.from_name);
  step([&] { Invoke(Need(state.Mail), u"AddRecipient", {letter.recipient}); });
  let(u"Subject", letter.subject);
  let(u"Body", letter.body);
  let(u"ReturnReceipt", true);
  const bool sent = failure::TellingStep(
      state, [&] { Invoke(Need(state.Mail), u"Send", {state.MailSmtp}); },
      [&] { return u"mail to " + state.MailSmtp + u" not sent"; });
  ok = sent && ok;
  state.Mail = nullptr;
  return ok;
}

// The typed fields as MailSend uses them: escaped for markup, trimmed, and
// the two addresses lower-cased (addresses only: the name, subject and
// message keep the case the user typed). `failed` is set when a request
// item could not be read.
std::array<std::u16string, services::kMailFieldCount> ReadFields(PageCore& page, bool& failed) {
  std::array<std::u16string, services::kMailFieldCount> fields;
  for (size_t i = 0; i < fields.size(); ++i) {
    std::u16string value;
    failed = !Step([&] {
               value = CStr(Need(page.state().Request).Item(services::kMailFieldNames[i]));
             }) ||
             failed;
    value = calls::DelSpecialMark(page, value);
    if (i == services::kSenderAddress || i == services::kRecipient) value = LCase(value);
    fields[i] = Trim(value);
  }
  return fields;
}

std::u16string BodyOf(const PageState& state, const MailTexts& t,
                      const std::array<std::u16string, services::kMailFieldCount>& fields) {
  std::u16string body(t.body_opening);
  body.append(fields[services::kSenderName])
      .append(services::kBodyAddressOpen)
      .append(fields[services::kSenderAddress])
      .append(t.body_by)
      .append(state.MailSiteName)
      .append(services::kBodyUrlOpen)
      .append(state.MailWebUrl)
      .append(t.body_used_wap)
      .append(state.MailWapUrl)
      .append(t.body_content)
      .append(services::kBodyLineBreak)
      .append(fields[services::kMessage]);
  return body;
}

bool AsksToSend(PageState& state) {
  bool asks = false;
  // A request that cannot be read asks for nothing.
  Step([&] { asks = CStr(Need(state.Request).Item(services::kToDoKey)) == services::kSendRequest; });
  return asks;
}

using calls::WriteOutStep;
using calls::WriteRowStep;

}  // namespace

void PageMailMembers::SendOneMail(const std::u16string& receive_mail,
                                  const std::u16string& mail_subject,
                                  const std::u16string& from_name) {
  const failure::MemberScope named("SendOneMail");
  PageState& state = self().state();
  SendThroughComponent(state, {from_name, receive_mail, mail_subject, state.MailContent});
  state.MailServerPassword.clear();
}

void PageMailMembers::MailSend(const std::u16string& send_over_to_path) {
  const failure::MemberScope named("MailSend");
  PageCore& page = self();
  PageState& state = page.state();
  const MailTexts& t = services::MailTextsOf(page.language());
  if (AsksToSend(state)) {
    bool failed = false;
    const auto fields = ReadFields(page, failed);
    size_t empty = 0;
    while (empty < fields.size() && !fields[empty].empty()) ++empty;
    if (empty < fields.size()) {
      state.ErrorMessage = S(t.empty_field[empty]);
    } else {
      const Letter letter{fields[services::kSenderName], fields[services::kRecipient],
                          fields[services::kSubject], BodyOf(state, t, fields)};
      failed = !SendThroughComponent(state, letter) || failed;
      if (failed) {
        state.ErrorMessage = S(t.send_failed);
      } else {
        Step([&] {
          const std::u16string target =
              send_over_to_path.empty()
                  ? state.WapPath + state.MailResultFileName + S(services::kSentQuery)
                  : send_over_to_path;
          Need(state.Response).Redirect(target);
        });
      }
    }
  }
  state.MailServerPassword.clear();
}

void PageMailMembers::MailWrite() {
  PageCore& page = self();
  PageState& state = page.state();
  const MailTexts& t = services::MailTextsOf(page.language());
  if (!state.ErrorMessage.empty()) WriteRowStep(page, [&] { return state.ErrorMessage; });
  WriteRowStep(page, [&] { return S(t.form_title); });
  for (size_t i = 0; i < services::kMailFieldCount; ++i) {
    const services::MailFieldTexts& field = t.fields[i];
    WriteRowStep(page, [&] {
      return calls::TextIn(page, S(field.tip), u"text", S(services::kMailFieldNames[i]),
                           S(field.value), S(field.title), u"");
    });
  }
  bool web = false;
  Step([&] { web = calls::Displayer(page) == u"Web"; });
  if (web) WriteRowStep(page, [] { return S(services::kHiddenToDo); });
  const std::u16string target = state.ThisFileName + S(services::kSendTarget);
  const std::u16string fields(services::kFieldList);
  WriteOutStep(page, [&] {
    return calls::PostSet(page, u"options", S(t.task_label), target, u"utf-8", u"post");
  });
  WriteOutStep(page, [&] { return calls::TextMorePost(page, fields, fields, u" "); });
  WriteRowStep(page, [&] {
    return CStr(calls::AnchorGo(page, S(t.send_text), target, fields, fields, u" ", u"post"));
  });
}

void PageMailMembers::SendMail(const std::u16string& send_over_to_path) {
  const failure::MemberScope named("SendMail");
  const std::u16string copy = send_over_to_path;
  MailSend(copy);
  MailWrite();
}

std::vector<MemberInfo> PageMailMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family == Family::kP) return {};
  using M = PageMailMembers;
  const MailTexts& t = services::MailTextsOf(traits.language);
  ClassBuilder<M> builder(u"");
  builder.Method<&M::SendOneMail>(
      u"SendOneMail", {Opt(u"ReceiveMail", S(services::kBuiltInRecipient)).ByRef(),
                       Opt(u"MailSubject", S(t.default_subject)).ByRef(),
                       Opt(u"FromName", S(t.default_from_name)).ByRef()});
  if (traits.family == Family::kW) {
    builder.Method<&M::MailSend>(u"MailSend", {Opt(u"SendOverToPath", u"").ByRef()})
        .Method<&M::MailWrite>(u"MailWrite", {})
        .Method<&M::SendMail>(u"SendMail", {Opt(u"SendOverToPath", u"").ByRef()});
  }
  return builder.BuildMembers();
}

}  // namespace zorvadel
