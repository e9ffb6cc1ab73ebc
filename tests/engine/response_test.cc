// Response: encoding of writes, End, Redirect and the rendered head.
#include <gtest/gtest.h>

#include "engine/engine_test_util.h"

namespace zorvadel::engine {
namespace {

TEST(ResponseTest, WriteEncodesWithTheCodePageInForce) {
  auto page = MakePage();
  Response& response = page->response();
  response.Write(u"中a");
  page->session().SetCodePage(65001);
  response.Write(u"中");
  page->session().SetCodePage(936);
  response.Write(u"€");
  EXPECT_EQ(page->Result().body, "\xD6\xD0" "a" "\xE4\xB8\xAD" "\x80");
}

TEST(ResponseTest, WritesAfterEndAreDropped) {
  auto page = MakePage();
  page->response().Write(u"kept");
  EXPECT_FALSE(page->response().Ended());
  page->response().End();
  page->response().Write(u"dropped");
  EXPECT_TRUE(page->response().Ended());
  EXPECT_EQ(page->Result().body, "kept");
}

TEST(ResponseTest, RedirectDiscardsTheBodyAndEnds) {
  auto page = MakePage();
  page->response().Write(u"gone");
  page->response().Redirect(u"list.asp?id=1");
  page->response().Write(u"dropped");
  ResponseResult result = page->Result();
  EXPECT_EQ(result.status, 302);
  EXPECT_EQ(result.body, "");
  EXPECT_EQ(result.RenderHead(),
            "HTTP/1.1 302 Found\r\n"
            "Content-Type: text/html\r\n"
            "Location: list.asp?id=1\r\n"
            "\r\n");
}

TEST(ResponseTest, RedirectRefusesLineBreaks) {
  for (const char16_t* url : {u"a.asp\r\nSet-Cookie: x=1", u"a\n", u"\rb"}) {
    auto page = MakePage();
    page->response().Write(u"body");
    EXPECT_EQ(ErrorOf([&] { page->response().Redirect(url); }), 5);
    ResponseResult result = page->Result();
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, "body");
    EXPECT_FALSE(page->response().Ended());
    EXPECT_EQ(result.headers.size(), 1u);
  }
}

TEST(ResponseTest, RedirectEscapesNonAsciiBytesOfTheCodePageForm) {
  auto page = MakePage();
  page->response().Redirect(u"/s.asp?k=中 x");
  EXPECT_EQ(page->Result().headers.back(),
            (std::pair<std::string, std::string>{"Location", "/s.asp?k=%D6%D0 x"}));
  auto utf8 = MakePage({}, 65001);
  utf8->response().Redirect(u"/s.asp?k=中");
  EXPECT_EQ(utf8->Result().headers.back().second, "/s.asp?k=%E4%B8%AD");
}

TEST(ResponseTest, HeadRendering) {
  const auto head = [](void (*set_up)(Response&)) {
    auto page = MakePage();
    set_up(page->response());
    return page->Result().RenderHead();
  };
  const std::string html = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
  EXPECT_EQ(head([](Response&) {}), html + "\r\n");
  EXPECT_EQ(head([](Response& r) {
              r.SetContentType(u"text/vnd.wap.wml");
              r.SetCharset(u"utf-8");
            }),
            "HTTP/1.1 200 OK\r\nContent-Type: text/vnd.wap.wml; Charset=utf-8\r\n\r\n");
  EXPECT_EQ(head([](Response& r) { r.SetExpires(0); }),
            html + "Expires: 0\r\nCache-Control: no-cache\r\n\r\n");
  EXPECT_EQ(head([](Response& r) { r.SetExpires(5); }),
            html + "Cache-Control: max-age=300\r\n\r\n");
  EXPECT_EQ(head([](Response& r) {
              r.SetStatus(404);
              r.AddHeader(u"X-A", u"1");
              r.AddHeader(u"X-B", u"2");
            }),
            "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nX-A: 1\r\nX-B: 2\r\n\r\n");
}

TEST(ResponseTest, HeadStaysIntact) {
  auto page = MakePage();
  Response& response = page->response();
  EXPECT_EQ(ErrorOf([&] { response.AddHeader(u"X-A", u"1\r\nX-B: 2"); }), 5);
  EXPECT_EQ(ErrorOf([&] { response.AddHeader(u"X:A", u"1"); }), 5);
  EXPECT_EQ(ErrorOf([&] { response.AddHeader(u"", u"1"); }), 5);
  EXPECT_EQ(ErrorOf([&] { response.SetContentType(u"text/html\n"); }), 5);
  EXPECT_EQ(ErrorOf([&] { response.SetStatus(42); }), 5);
  EXPECT_EQ(page->Result().RenderHead(), "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n");
}

}  // namespace
}  // namespace zorvadel::engine
