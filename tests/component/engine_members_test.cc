// The engine objects' member tables, reached by name on the in-memory engine
// as a page script reaches them; the everyday calls are in the runner's page
// scripts (tests/pages/runner_*), the rest is here.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "zorvadel/memory_page.h"
#include "support/error_of.h"
#include "zorvadel/dispatch.h"

namespace zorvadel {
namespace {

std::unique_ptr<engine::MemoryPage> MakePage(engine::RequestFacts facts = {}) {
  return std::make_unique<engine::MemoryPage>(std::move(facts), "/srv/site", nullptr, nullptr);
}

int ErrorOf(Object& object, std::u16string_view name, std::vector<Variant> args,
            CallKind kind = CallKind::kMethodOrGet) {
  return test::ErrorOf([&] { Invoke(object, name, std::move(args), kind); });
}

TEST(EngineMembersTest, Request) {
  engine::RequestFacts facts;
  facts.url = "/p.asp?id=7";
  facts.form = "3=x";
  facts.headers = {{"Cookie", "c=v"}};
  auto page = MakePage(facts);
  Request& request = page->request();
  EXPECT_EQ(Invoke(request, u"Form", {int16_t{3}}), Variant(u"x"));  // the key becomes text
  EXPECT_EQ(Invoke(request, u"Cookies", {u"c"}), Variant(u"v"));
  EXPECT_EQ(Invoke(request, u"", {u"id"}), Variant(u"7"));
  EXPECT_EQ(ErrorOf(request, u"QueryString", {}), kErrWrongArgs);
  EXPECT_EQ(ErrorOf(request, u"Form", {u"x"}, CallKind::kLet), kErrNoMember);
}

TEST(EngineMembersTest, Response) {
  auto page = MakePage();
  Response& response = page->response();
  Invoke(response, u"Write", {u"a"});
  Invoke(response, u"write", {int32_t{12}});
  Invoke(response, u"AddHeader", {u"X-A", u"1"});
  Invoke(response, u"ContentType", {u"text/vnd.wap.wml"}, CallKind::kLet);
  Invoke(response, u"Expires", {u"-1"}, CallKind::kLet);
  Invoke(response, u"Status", {int16_t{404}}, CallKind::kLet);
  EXPECT_EQ(Invoke(response, u"contenttype", {}), Variant(u"text/vnd.wap.wml"));
  EXPECT_EQ(Invoke(response, u"Expires", {}), Variant(int32_t{-1}));
  EXPECT_EQ(Invoke(response, u"Status", {}), Variant(int32_t{404}));
  EXPECT_EQ(ErrorOf(response, u"Write", {Variant::Null()}), kErrInvalidNull);
  EXPECT_EQ(ErrorOf(response, u"Expires", {u"soon"}, CallKind::kLet), kErrTypeMismatch);
  EXPECT_EQ(response.Expires(), -1);
  EXPECT_EQ(page->Body(), "a12");
  EXPECT_EQ(page->Result().headers.back(), (std::pair<std::string, std::string>{"X-A", "1"}));
}

TEST(EngineMembersTest, Server) {
  auto page = MakePage();
  Server& server = page->server();
  Variant created = Invoke(server, u"CreateObject", {u"zorvadel.common"});
  ASSERT_TRUE(created.IsObject());
  EXPECT_EQ(created.object()->Class().name, u"Common");
  EXPECT_EQ(ErrorOf(server, u"CreateObject", {u"Test.None"}), kErrCannotCreate);
}

TEST(EngineMembersTest, SessionAndApplication) {
  auto page = MakePage();
  Session& session = page->session();
  Invoke(session, u"", {u"user", int32_t{5}}, CallKind::kLet);  // Session("user") = 5
  EXPECT_EQ(Invoke(session, u"", {u"user"}), Variant(int32_t{5}));
  EXPECT_EQ(Invoke(session, u"", {u"never"}), Variant());
  auto object = std::make_shared<engine::MemoryApplication>();
  Invoke(session, u"", {u"obj", Variant(object)}, CallKind::kSet);  // Set Session("obj") = o
  EXPECT_EQ(session.Value(u"obj"), Variant(object));
  Invoke(session, u"CodePage", {u"65001"}, CallKind::kLet);
  EXPECT_EQ(session.CodePage(), 65001u);
  EXPECT_EQ(Invoke(session, u"codepage", {}), Variant(int32_t{65001}));
  EXPECT_EQ(ErrorOf(session, u"CodePage", {int32_t{-1}}, CallKind::kLet), kErrInvalidArgument);
  Invoke(session, u"Timeout", {int16_t{30}}, CallKind::kLet);
  EXPECT_EQ(Invoke(session, u"TIMEOUT", {}), Variant(int32_t{30}));
  EXPECT_EQ(ErrorOf(session, u"Timeout", {int32_t{0}}, CallKind::kLet), kErrInvalidArgument);

  Application& application = *page->context().GetApplication();
  Invoke(application, u"", {u"hits", u"3"}, CallKind::kLet);
  EXPECT_EQ(Invoke(application, u"value", {u"HITS"}), Variant(u"3"));
}

}  // namespace
}  // namespace zorvadel
