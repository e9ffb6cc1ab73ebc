// Common, the utility class, and the two companion classes WAPXHTML and
// WAPWML: their state, page hooks and member tables.
#include <string>
#include <type_traits>
#include <utility>

#include "platform/ado/ado.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"

namespace zorvadel {
namespace {

void StartCommonPage(Common& common, std::shared_ptr<Context> context) {
  Need(context);
  common.OnStartPage(context);
}

// Common's object properties, reached through its state record.
template <auto Ptr>
auto GetState(Common& common) {
  return common.state().*Ptr;
}
template <auto Ptr>
void SetState(Common& common, std::remove_cvref_t<decltype(std::declval<CommonState&>().*Ptr)> value) {
  common.state().*Ptr = std::move(value);
}

template <auto Ptr>
void AddStateObject(ClassBuilder<Common>& builder, std::u16string name) {
  builder.Getter<&GetState<Ptr>>(name).template Setter<&SetState<Ptr>>(name);
}

}  // namespace

// No error suppression here: the first failure ends the hook.
void Common::OnStartPage(const std::shared_ptr<Context>& context) {
  CommonState& s = state_;
  s.Response = context->GetResponse();
  s.Request = context->GetRequest();
  s.Server = context->GetServer();
  s.Application = context->GetApplication();
  s.Session = context->GetSession();
  Server& server = Need(s.Server);
  // Created and dropped again, as page start of this class always did.
  server.CreateObject(u"Adodb.Connection");
  auto command = std::dynamic_pointer_cast<ado::Command>(server.CreateObject(u"Adodb.Command"));
  if (!command) throw ScriptError(kErrTypeMismatch);
  s.Command = std::move(command);
}

void Common::OnEndPage() {
  CommonState& s = state_;
  s.Response.reset();
  s.Request.reset();
  s.Server.reset();
  s.Application.reset();
  s.Session.reset();
  s.Command.reset();
}

WAPXHTML& Common::UseWH() {
  if (!state_.WH) state_.WH = std::make_shared<WAPXHTML>();
  return *state_.WH;
}

const ClassInfo& Common::Class() const {
  static const ClassInfo info = [] {
    const TableHost common = TableHost::ForCommon();
    ClassBuilder<Common> builder(u"Common");
    AddStateObject<&CommonState::WH>(builder, u"WH");
    AddStateObject<&CommonState::Response>(builder, u"Response");
    AddStateObject<&CommonState::Request>(builder, u"Request");
    AddStateObject<&CommonState::Application>(builder, u"Application");
    AddStateObject<&CommonState::Server>(builder, u"Server");
    AddStateObject<&CommonState::Session>(builder, u"Session");
    AddStateObject<&CommonState::Command>(builder, u"Command");
    return builder.Method<&StartCommonPage>(u"OnStartPage", {Req(u"Context")})
        .Method<&Common::OnEndPage>(u"OnEndPage")
        .Inherit(CommonTextMembers::MemberTable(common))
        .Inherit(CommonCharsetMembers::MemberTable(common))
        .Inherit(CommonLangDataMembers::MemberTable(common))
        .Inherit(CommonCodingMembers::MemberTable(common))
        .Inherit(CommonMd5Members::MemberTable())
        .Inherit(CommonStripMembers::MemberTable(common))
        .Build();
  }();
  return info;
}

Common& WAPXHTML::UseCC() {
  if (!cc_) cc_ = std::make_shared<Common>();
  return *cc_;
}

const ClassInfo& WAPXHTML::Class() const {
  static const ClassInfo info =
      ClassBuilder<WAPXHTML>(u"WAPXHTML")
          .ObjectProperty<&WAPXHTML::cc_>(u"CC")
          .Inherit(WapXhtmlFragmentMembers::MemberTable())
          .Build();
  return info;
}

const ClassInfo& WAPWML::Class() const {
  static const ClassInfo info =
      ClassBuilder<WAPWML>(u"WAPWML").Inherit(WapWmlFragmentMembers::MemberTable()).Build();
  return info;
}

}  // namespace zorvadel
