// Request: server variables, the decoding of the collections and the item
// lookup order.
#include <gtest/gtest.h>

#include "engine/engine_test_util.h"

namespace zorvadel::engine {
namespace {

RequestFacts SampleSpec() {
  RequestFacts facts;
  facts.method = "POST";
  facts.url = "/news/list.asp?Page=2&q=a%20b";
  facts.host = "m.example.com:8080";
  facts.headers = {{"User-Agent", "Nokia6600/1.0"},
                  {"Accept", "text/vnd.wap.wml"},
                  {"X-Wap-Profile", "p1"},
                  {"Content-Type", "application/x-www-form-urlencoded"}};
  facts.form = "Send_A=x&Send_B=y";
  facts.remote_addr = "192.0.2.7";
  facts.server_variables = {{"deviceid", "42"}, {"remote_addr", "198.51.100.1"}};
  return facts;
}

TEST(ServerVariablesTest, Lookup) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"HTTP_URL", u"/news/list.asp?Page=2&q=a%20b"}, {u"http_user_agent", u"Nokia6600/1.0"},
      {u"HTTP_User-Agent", u"Nokia6600/1.0"}, {u"HTTP_X_WAP_PROFILE", u"p1"},
      {u"QUERY_STRING", u"Page=2&q=a%20b"}, {u"SCRIPT_NAME", u"/news/list.asp"},
      {u"URL", u"/news/list.asp"},
      {u"REQUEST_METHOD", u"POST"}, {u"CONTENT_LENGTH", u"17"},
      {u"CONTENT_TYPE", u"application/x-www-form-urlencoded"}, {u"SERVER_PROTOCOL", u"HTTP/1.1"},
      {u"HTTPS", u"off"}, {u"LOCAL_ADDR", u"127.0.0.1"},
      {u"DeviceId", u"42"},            // extra
      {u"REMOTE_ADDR", u"198.51.100.1"},  // overridden
      {u"NO_SUCH_VARIABLE", u""}, {u"", u""},
  };
  auto page = MakePage(SampleSpec());
  for (const auto& [name, value] : cases) {
    EXPECT_EQ(page->request().ServerVariables(name), value) << codepage::ToUtf8(name);
  }
}

struct HostCase {
  const char* host;
  const char16_t* name;
  const char16_t* port;
};

TEST(ServerVariablesHostTest, NameAndPort) {
  const HostCase cases[] = {
      {"localhost", u"localhost", u"80"},
      {"m.example.com:81", u"m.example.com", u"81"},
      {"[::1]:8080", u"[::1]", u"8080"},
      {"[::1]", u"[::1]", u"80"},
      {"host:", u"host", u"80"},
      // A port is 1 to 65535, its leading zeros read away.
      {"host:080", u"host", u"80"},
      {"host:08080", u"host", u"8080"},
      {"host:1", u"host", u"1"},
      {"host:65535", u"host", u"65535"},
      // An empty or blank Host names nothing, as if none had come.
      {"", u"127.0.0.1", u"80"},
      {" ", u"127.0.0.1", u"80"},
      {"\t \t", u"127.0.0.1", u"80"},
      // Nor does one with a port no client can use.
      {"host:0", u"127.0.0.1", u"80"},
      {"host:00", u"127.0.0.1", u"80"},
      {"host:65536", u"127.0.0.1", u"80"},
      {"host:99999", u"127.0.0.1", u"80"},
      {"host:4294967377", u"127.0.0.1", u"80"},
      {"host:8o", u"127.0.0.1", u"80"},
      {"host:x1", u"127.0.0.1", u"80"},
      {"host:-1", u"127.0.0.1", u"80"},
      {"host:+81", u"127.0.0.1", u"80"},
      {"[::1]:0", u"127.0.0.1", u"80"},
      {"[::1]x", u"127.0.0.1", u"80"},
      // A name that is no plain name gives way to the address the request
      // came in on; the port stays the Host's.
      {"x\"><script>:81", u"127.0.0.1", u"81"},
      {"a b", u"127.0.0.1", u"80"},
      {"a/b:8080", u"127.0.0.1", u"8080"},
      {"[::1", u"127.0.0.1", u"80"},
  };
  for (const HostCase& c : cases) {
    RequestFacts facts;
    facts.host = c.host;
    auto page = MakePage(facts);
    EXPECT_EQ(page->request().ServerVariables(u"SERVER_NAME"), c.name) << c.host;
    EXPECT_EQ(page->request().ServerVariables(u"SERVER_PORT"), c.port) << c.host;
    EXPECT_EQ(page->request().ServerVariables(u"HTTP_HOST"), codepage::FromUtf8(c.host));
  }
}

TEST(ServerVariablesHostTest, AnIpv6AddressStandsInBrackets) {
  RequestFacts facts;
  facts.host = "<b>";
  facts.local_addr = "::1";
  EXPECT_EQ(MakePage(facts)->request().ServerVariables(u"SERVER_NAME"), u"[::1]");
}

TEST(ServerVariablesTest, DefaultsOfAPlainGet) {
  auto page = MakePage();
  MemoryRequest& request = page->request();
  EXPECT_EQ(request.ServerVariables(u"QUERY_STRING"), u"");
  EXPECT_EQ(request.ServerVariables(u"SCRIPT_NAME"), u"/index.asp");
  EXPECT_EQ(request.ServerVariables(u"CONTENT_LENGTH"), u"0");
  EXPECT_EQ(request.ServerVariables(u"REQUEST_METHOD"), u"GET");
  EXPECT_EQ(request.ServerVariables(u"PATH_TRANSLATED"), u"/srv/site/index.asp");
}

// ---- QueryString / Form / Cookies ---------------------------------------------------

struct DecodeCase {
  const char* query;
  uint32_t code_page;
  const char16_t* key;
  Variant expected;
};

TEST(CollectionsTest, QueryStringAndFormDecoding) {
  const DecodeCase cases[] = {
      {"Name=Tom", 936, u"name", Variant(u"Tom")},
      {"a=x+y%21", 936, u"a", Variant(u"x y!")},
      {"a=%2B", 936, u"a", Variant(u"+")},
      {"a=%D6%D0", 936, u"a", Variant(u"中")},
      {"a=%E4%B8%AD", 65001, u"a", Variant(u"中")},
      {"%D6%D0=1", 936, u"中", Variant(u"1")},
      {"a=1&b=2&A=3", 936, u"a", Variant(u"1, 3")},
      {"a=1", 936, u"b", Variant()},
      {"a&b=2", 936, u"a", Variant(u"")},
      {"a=&b=2", 936, u"a", Variant(u"")},
      {"a=1&&b=2", 936, u"b", Variant(u"2")},
      {"a=x=y", 936, u"a", Variant(u"x=y")},
      {"a=100%", 936, u"a", Variant(u"100%")},
      {"a=%zz%41", 936, u"a", Variant(u"%zzA")},
  };
  for (const DecodeCase& c : cases) {
    RequestFacts facts;
    facts.url = std::string("/p.asp?") + c.query;
    facts.form = c.query;
    auto page = MakePage(facts, c.code_page);
    EXPECT_EQ(page->request().QueryString(c.key), c.expected) << c.query;
    EXPECT_EQ(page->request().Form(c.key), c.expected) << c.query;
  }
}

TEST(CollectionsTest, DecodingFollowsTheCodePageAtTheCall) {
  RequestFacts facts;
  facts.url = "/p.asp?a=%E4%B8%AD";
  auto page = MakePage(facts, 65001);
  EXPECT_EQ(page->request().QueryString(u"a"), Variant(u"中"));
  page->session().SetCodePage(936);
  EXPECT_NE(page->request().QueryString(u"a"), Variant(u"中"));
}

TEST(CollectionsTest, Cookies) {
  RequestFacts facts;
  facts.headers = {{"Cookie", "a=1; B=x+y"}, {"cookie", "c=%D6%D0;d"}};
  auto page = MakePage(facts);
  MemoryRequest& request = page->request();
  EXPECT_EQ(request.Cookies(u"A"), Variant(u"1"));
  EXPECT_EQ(request.Cookies(u"b"), Variant(u"x y"));
  EXPECT_EQ(request.Cookies(u"c"), Variant(u"中"));
  EXPECT_EQ(request.Cookies(u"d"), Variant(u""));
  EXPECT_EQ(request.Cookies(u"e"), Variant());
}

// ---- Request(key) ------------------------------------------------------------------------

TEST(ItemTest, FirstCollectionHoldingTheKeyWins) {
  RequestFacts facts;
  facts.url = "/p.asp?k=query&empty=";
  facts.form = "k=form&f=form&empty=x";
  facts.headers = {{"Cookie", "k=cookie; f=cookie; c=cookie"}};
  facts.server_variables = {{"c", "variable"}, {"v", "variable"}, {"f", "variable"}};
  auto page = MakePage(facts);
  Request& request = page->request();
  struct {
    const char16_t* key;
    Variant expected;
  } cases[] = {
      {u"K", Variant(u"query")},       {u"empty", Variant(u"")},
      {u"f", Variant(u"form")},        {u"c", Variant(u"cookie")},
      {u"v", Variant(u"variable")},    {u"REQUEST_METHOD", Variant(u"GET")},
      {u"HTTP_REFERER", Variant()},    {u"nowhere", Variant()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(request.Item(c.key), c.expected) << codepage::ToUtf8(c.key);
  }
}

}  // namespace
}  // namespace zorvadel::engine
