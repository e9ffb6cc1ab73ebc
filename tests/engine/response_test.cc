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
            "Content-Type: text/html; Charset=GB2312\r\n"
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
  // A page that sets no charset declares the one its code page (936) writes.
  const std::string html = "HTTP/1.1 200 OK\r\nContent-Type: text/html; Charset=GB2312\r\n";
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
            "HTTP/1.1 404 Not Found\r\nContent-Type: text/html; Charset=GB2312\r\nX-A: 1\r\nX-B: "
            "2\r\n\r\n");
}

TEST(ResponseTest, HeadStaysIntact) {
  auto page = MakePage();
  Response& response = page->response();
  EXPECT_EQ(ErrorOf([&] { response.AddHeader(u"X-A", u"1\r\nX-B: 2"); }), 5);
  EXPECT_EQ(ErrorOf([&] { response.AddHeader(u"X:A", u"1"); }), 5);
  EXPECT_EQ(ErrorOf([&] { response.AddHeader(u"", u"1"); }), 5);
  EXPECT_EQ(ErrorOf([&] { response.SetContentType(u"text/html\n"); }), 5);
  EXPECT_EQ(ErrorOf([&] { response.SetStatus(42); }), 5);
  EXPECT_EQ(page->Result().RenderHead(),
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; Charset=GB2312\r\n\r\n");
}

// A page that sets no charset declares the one its code page writes, for
// the types that take one.
struct DeclaredCase {
  const char16_t* type;
  const char16_t* charset;  // as the page set it
  uint32_t code_page;
  const char* content_type;
};

const DeclaredCase kDeclaredCases[] = {
    {u"text/html", u"", 936, "text/html; Charset=GB2312"},
    {u"text/html", u"", 65001, "text/html; Charset=utf-8"},
    {u"text/vnd.wap.wml", u"", 65001, "text/vnd.wap.wml; Charset=utf-8"},
    {u"Text/Plain", u"", 936, "Text/Plain; Charset=GB2312"},
    {u"application/xhtml+xml", u"", 936, "application/xhtml+xml; Charset=GB2312"},
    {u"application/json", u"", 65001, "application/json; Charset=utf-8"},
    {u"application/javascript", u"", 936, "application/javascript; Charset=GB2312"},
    {u"image/png", u"", 65001, "image/png"},
    {u"image/svg+xml", u"", 65001, "image/svg+xml; Charset=utf-8"},
    {u"application/octet-stream", u"", 936, "application/octet-stream"},
    {u"text/html; charset=big5", u"", 936, "text/html; charset=big5"},
    {u"text/html", u"gb2312", 65001, "text/html; Charset=gb2312"},
};

TEST(ResponseTest, DeclaresTheCharsetOfItsCodePage) {
  for (const DeclaredCase& c : kDeclaredCases) {
    auto page = MakePage({}, c.code_page);
    page->response().SetContentType(c.type);
    if (*c.charset != u'\0') page->response().SetCharset(c.charset);
    EXPECT_EQ(page->Result().headers.front().second, c.content_type) << c.content_type;
  }
}

}  // namespace
}  // namespace zorvadel::engine
