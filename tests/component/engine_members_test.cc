// The engine objects' member tables, driven through small fakes of the
// interfaces.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "zorvadel/dispatch.h"
#include "zorvadel/engine.h"
#include "zorvadel/member_table.h"

namespace zorvadel {
namespace {

class FakeRequest : public Request {
 public:
  std::u16string ServerVariables(std::u16string_view name) override {
    return name == u"SERVER_NAME" ? u"m.example.com" : u"";
  }
  Variant QueryString(std::u16string_view key) override {
    return key == u"id" ? Variant(u"7") : Variant();
  }
  Variant Form(std::u16string_view key) override { return Variant(u"form:" + std::u16string(key)); }
  Variant Cookies(std::u16string_view) override { return Variant(); }
  Variant ClientCertificate(std::u16string_view) override { return Variant(); }
};

class FakeResponse : public Response {
 public:
  void Write(std::u16string_view text) override {
    if (!ended_) body_ += text;
  }
  void End() override { ended_ = true; }
  void Redirect(std::u16string_view url) override { location_ = url; }
  std::u16string ContentType() const override { return content_type_; }
  void SetContentType(std::u16string_view value) override { content_type_ = value; }
  std::u16string Charset() const override { return charset_; }
  void SetCharset(std::u16string_view value) override { charset_ = value; }
  int32_t Expires() const override { return expires_; }
  void SetExpires(int32_t minutes) override { expires_ = minutes; }
  void AddHeader(std::u16string_view name, std::u16string_view value) override {
    headers_[std::u16string(name)] = value;
  }
  int32_t Status() const override { return status_; }
  void SetStatus(int32_t code) override { status_ = code; }
  bool Ended() const override { return ended_; }

  std::u16string body_, location_, content_type_ = u"text/html", charset_;
  std::map<std::u16string, std::u16string> headers_;
  int32_t expires_ = -1, status_ = 200;
  bool ended_ = false;
};

class FakeSession : public Session {
 public:
  Variant Value(std::u16string_view key) override { return values_[std::u16string(key)]; }
  void SetValue(std::u16string_view key, Variant value) override {
    values_[std::u16string(key)] = std::move(value);
  }
  uint32_t CodePage() const override { return code_page_; }
  void SetCodePage(uint32_t code_page) override { code_page_ = code_page; }
  int32_t Timeout() const override { return timeout_; }
  void SetTimeout(int32_t minutes) override {
    if (minutes < 1 || minutes > 1440) throw ScriptError(kErrInvalidArgument);
    timeout_ = minutes;
  }
  std::map<std::u16string, Variant> values_;
  uint32_t code_page_ = 936;
  int32_t timeout_ = 20;
};

class FakeApplication : public Application {
 public:
  Variant Value(std::u16string_view key) override { return values_[std::u16string(key)]; }
  void SetValue(std::u16string_view key, Variant value) override {
    values_[std::u16string(key)] = std::move(value);
  }
  std::map<std::u16string, Variant> values_;
};

class FakeServer : public Server {
 public:
  ObjectPtr CreateObject(std::u16string_view progid) override { return CreateByProgId(progid); }
  std::u16string MapPath(std::u16string_view path) override { return u"/site/" + std::u16string(path); }
  std::u16string URLEncode(std::u16string_view text) override { return u"enc(" + std::u16string(text) + u")"; }
};

int ErrorOf(Object& object, std::u16string_view name, std::vector<Variant> args,
            CallKind kind = CallKind::kMethodOrGet) {
  try {
    Invoke(object, name, std::move(args), kind);
  } catch (const ScriptError& error) {
    return error.number();
  }
  return 0;
}

TEST(EngineMembersTest, Request) {
  FakeRequest request;
  EXPECT_EQ(Invoke(request, u"servervariables", {u"SERVER_NAME"}), Variant(u"m.example.com"));
  EXPECT_EQ(Invoke(request, u"QueryString", {u"id"}), Variant(u"7"));
  EXPECT_EQ(Invoke(request, u"QueryString", {u"absent"}), Variant());
  EXPECT_EQ(Invoke(request, u"Form", {int16_t{3}}), Variant(u"form:3"));
  EXPECT_EQ(Invoke(request, u"Cookies", {u"c"}), Variant());
  EXPECT_EQ(Invoke(request, u"ClientCertificate", {u"c"}), Variant());
  EXPECT_EQ(request.Class().Find(u"", MemberKind::kPropertyGet)->name, u"Item");
  EXPECT_EQ(Invoke(request, u"", {u"id"}), Variant(u"7"));  // QueryString comes first
  EXPECT_EQ(ErrorOf(request, u"QueryString", {}), 450);
  EXPECT_EQ(ErrorOf(request, u"Form", {u"x"}, CallKind::kLet), 438);
}

TEST(EngineMembersTest, Response) {
  FakeResponse response;
  Invoke(response, u"Write", {u"a"});
  Invoke(response, u"write", {int32_t{12}});
  Invoke(response, u"AddHeader", {u"X-A", u"1"});
  Invoke(response, u"ContentType", {u"text/vnd.wap.wml"}, CallKind::kLet);
  Invoke(response, u"Charset", {u"utf-8"}, CallKind::kLet);
  Invoke(response, u"Expires", {u"-1"}, CallKind::kLet);
  Invoke(response, u"Status", {int16_t{404}}, CallKind::kLet);
  EXPECT_EQ(Invoke(response, u"contenttype", {}), Variant(u"text/vnd.wap.wml"));
  EXPECT_EQ(Invoke(response, u"Charset", {}), Variant(u"utf-8"));
  EXPECT_EQ(Invoke(response, u"Expires", {}), Variant(int32_t{-1}));
  EXPECT_EQ(Invoke(response, u"Status", {}), Variant(int32_t{404}));
  EXPECT_EQ(response.headers_[u"X-A"], u"1");
  Invoke(response, u"Redirect", {u"/next.asp"});
  EXPECT_EQ(response.location_, u"/next.asp");
  EXPECT_EQ(Invoke(response, u"End", {}), Variant());
  Invoke(response, u"Write", {u"dropped"});
  EXPECT_EQ(response.body_, u"a12");
  EXPECT_EQ(ErrorOf(response, u"Write", {Variant::Null()}), 94);
  EXPECT_EQ(ErrorOf(response, u"Expires", {u"soon"}, CallKind::kLet), 13);
  EXPECT_EQ(response.expires_, -1);
}

TEST(EngineMembersTest, ServerCreatesThroughTheRegistry) {
  FakeServer server;
  RegisterProgId(u"Test.Session", &MakeObject<FakeSession>);
  Variant created = Invoke(server, u"CreateObject", {u"test.session"});
  ASSERT_TRUE(created.IsObject());
  EXPECT_EQ(created.object()->Class().name, u"Session");
  EXPECT_EQ(ErrorOf(server, u"CreateObject", {u"Test.None"}), 429);
  EXPECT_EQ(Invoke(server, u"MapPath", {u"a.mdb"}), Variant(u"/site/a.mdb"));
  EXPECT_EQ(Invoke(server, u"URLEncode", {u"a b"}), Variant(u"enc(a b)"));
}

TEST(EngineMembersTest, SessionValuesAndSettings) {
  FakeSession session;
  Invoke(session, u"", {u"user", int32_t{5}}, CallKind::kLet);  // Session("user") = 5
  EXPECT_EQ(Invoke(session, u"", {u"user"}), Variant(int32_t{5}));
  EXPECT_EQ(Invoke(session, u"Value", {u"user"}), Variant(int32_t{5}));
  EXPECT_EQ(Invoke(session, u"", {u"never"}), Variant());
  auto object = std::make_shared<FakeApplication>();
  Invoke(session, u"", {u"obj", Variant(object)}, CallKind::kSet);  // Set Session("obj") = o
  EXPECT_EQ(session.values_[u"obj"], Variant(object));
  Invoke(session, u"CodePage", {u"65001"}, CallKind::kLet);
  EXPECT_EQ(session.code_page_, 65001u);
  EXPECT_EQ(Invoke(session, u"codepage", {}), Variant(int32_t{65001}));
  EXPECT_EQ(ErrorOf(session, u"CodePage", {int32_t{-1}}, CallKind::kLet), 5);
  Invoke(session, u"Timeout", {int16_t{30}}, CallKind::kLet);
  EXPECT_EQ(Invoke(session, u"TIMEOUT", {}), Variant(int32_t{30}));
  EXPECT_EQ(ErrorOf(session, u"Timeout", {int32_t{0}}, CallKind::kLet), 5);
}

TEST(EngineMembersTest, ApplicationValues) {
  FakeApplication application;
  Invoke(application, u"", {u"hits", u"3"}, CallKind::kLet);
  EXPECT_EQ(Invoke(application, u"", {u"HITS"}), Variant());  // keys are the fake's business
  EXPECT_EQ(Invoke(application, u"value", {u"hits"}), Variant(u"3"));
}

}  // namespace
}  // namespace zorvadel
