// Member tables of the page engine's objects, so that a page script reaches
// Request, Response, Server, Session and Application by name, as it would
// the host's own objects. The engines (in-memory and HTTP) derive from these
// interfaces and inherit the tables.
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

#include "zorvadel/dispatch.h"
#include "zorvadel/engine.h"
#include "zorvadel/member_table.h"

namespace zorvadel {
namespace {

// Session.CodePage is a Long to scripts and unsigned to the engine; a
// negative code page can only be a mistake.
int32_t SessionCodePage(const Session& session) {
  return static_cast<int32_t>(session.CodePage());
}
void SetSessionCodePage(Session& session, int32_t code_page) {
  if (code_page < 0) throw ScriptError(kErrInvalidArgument);
  session.SetCodePage(static_cast<uint32_t>(code_page));
}

}  // namespace

// The interfaces take std::u16string_view; a String argument lives in the
// call's argument list until the member returns, so the virtual members are
// bound directly.

const ClassInfo& Request::Class() const {
  static const ClassInfo info = ClassBuilder<Request>(u"Request")
      .Getter<&Request::ServerVariables>(u"ServerVariables", {Req(u"Name")})
      .Getter<&Request::QueryString>(u"QueryString", {Req(u"Key")})
      .Getter<&Request::Form>(u"Form", {Req(u"Key")})
      .Getter<&Request::Cookies>(u"Cookies", {Req(u"Key")})
      .Getter<&Request::ClientCertificate>(u"ClientCertificate", {Req(u"Key")})
      .Getter<&Request::Item>(u"Item", {Req(u"Key")})
      .Default(u"Item")
      .Build();
  return info;
}

const ClassInfo& Response::Class() const {
  static const ClassInfo info = ClassBuilder<Response>(u"Response")
      .Method<&Response::Write>(u"Write", {Req(u"Text")})
      .Method<&Response::End>(u"End")
      .Method<&Response::Redirect>(u"Redirect", {Req(u"Url")})
      .Method<&Response::AddHeader>(u"AddHeader", {Req(u"Name"), Req(u"Value")})
      .Property<&Response::ContentType, &Response::SetContentType>(u"ContentType")
      .Property<&Response::Charset, &Response::SetCharset>(u"Charset")
      .Property<&Response::Expires, &Response::SetExpires>(u"Expires")
      .Property<&Response::Status, &Response::SetStatus>(u"Status")
      .Build();
  return info;
}

const ClassInfo& Server::Class() const {
  static const ClassInfo info = ClassBuilder<Server>(u"Server")
      .Method<&Server::CreateObject>(u"CreateObject", {Req(u"ProgID")})
      .Method<&Server::MapPath>(u"MapPath", {Req(u"Path")})
      .Method<&Server::URLEncode>(u"URLEncode", {Req(u"Text")})
      .Build();
  return info;
}

const ClassInfo& Session::Class() const {
  static const ClassInfo info = ClassBuilder<Session>(u"Session")
      .Property<&Session::Value, &Session::SetValue>(u"Value", {Req(u"Key")})
      .Default(u"Value")
      .Property<&SessionCodePage, &SetSessionCodePage>(u"CodePage")
      .Property<&Session::Timeout, &Session::SetTimeout>(u"Timeout")
      .Build();
  return info;
}

void Session::UpdateValue(std::u16string_view key,
                          const std::function<void(Variant&)>& update) {
  Variant value = Value(key);
  update(value);
  SetValue(key, std::move(value));
}

const ClassInfo& Application::Class() const {
  static const ClassInfo info = ClassBuilder<Application>(u"Application")
      .Property<&Application::Value, &Application::SetValue>(u"Value", {Req(u"Key")})
      .Default(u"Value")
      .Build();
  return info;
}

const ClassInfo& Context::Class() const {
  static const ClassInfo info = ClassBuilder<Context>(u"ScriptingContext")
      .Getter<&Context::GetRequest>(u"Request")
      .Getter<&Context::GetResponse>(u"Response")
      .Getter<&Context::GetServer>(u"Server")
      .Getter<&Context::GetSession>(u"Session")
      .Getter<&Context::GetApplication>(u"Application")
      .Build();
  return info;
}

}  // namespace zorvadel
