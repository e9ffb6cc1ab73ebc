// The class set over the in-memory engine: classes made by ProgID, properties
// by name (a few picked by hand for each kind, and every property's value at
// creation); page start of the page classes (request facts, defaults, a
// repeated start, the phone number, the visit trail) and page start without a
// session or a server; page end; and the companion objects. The page script
// class_pages.json shows the address, the terminal and the literal texts a
// started page holds; here, the rest.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <regex>
#include <string>
#include <utility>

#include "platform/ado/ado.h"
#include "platform/codepage/codepage.h"
#include "support/error_of.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/memory_page.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using test::ErrorOf;

constexpr char kSiteRoot[] = "/srv/site";

// A page for `url` on host "h.example.com"; a null session gets a fresh one.
std::unique_ptr<engine::MemoryPage> MakePage(engine::RequestFacts facts = {},
                                             std::shared_ptr<Session> session = nullptr) {
  if (facts.host == "localhost") facts.host = "h.example.com";
  if (facts.url == "/index.asp") facts.url = "/news/list.asp";
  if (!session) session = std::make_shared<engine::MemorySession>();
  return std::make_unique<engine::MemoryPage>(std::move(facts), kSiteRoot, std::move(session),
                                              std::make_shared<engine::MemoryApplication>());
}

// The page's context with one object taken away.
class PartialContext : public Context {
 public:
  enum class Drop { kSession, kServer };
  PartialContext(std::shared_ptr<Context> inner, Drop drop)
      : inner_(std::move(inner)), drop_(drop) {}

  std::shared_ptr<Request> GetRequest() override { return inner_->GetRequest(); }
  std::shared_ptr<Response> GetResponse() override { return inner_->GetResponse(); }
  std::shared_ptr<Server> GetServer() override {
    return drop_ == Drop::kServer ? nullptr : inner_->GetServer();
  }
  std::shared_ptr<Session> GetSession() override {
    return drop_ == Drop::kSession ? nullptr : inner_->GetSession();
  }
  std::shared_ptr<Application> GetApplication() override { return inner_->GetApplication(); }

 private:
  std::shared_ptr<Context> inner_;
  Drop drop_;
};

struct PageClassCase {
  const char16_t* name;  // class name; the ProgID is "Zorvadel." + name
  Family family;
  PageLanguage language;
};

constexpr PageClassCase kPageClasses[] = {
    {u"XML", Family::kX, PageLanguage::kChinese},    {u"EnXML", Family::kX, PageLanguage::kEnglish},
    {u"WAP", Family::kW, PageLanguage::kChinese},    {u"EnWAP", Family::kW, PageLanguage::kEnglish},
    {u"PHPXML", Family::kP, PageLanguage::kChinese},
};

std::shared_ptr<PageObject> NewPage(const char16_t* name) {
  return std::dynamic_pointer_cast<PageObject>(CreateByProgId(std::u16string(u"Zorvadel.") + name));
}

std::string Name(const char16_t* name) {
  return std::string(name, name + std::u16string(name).size());
}

// ---- Creation --------------------------------------------------------------------

struct PropertyRow {
  const char16_t* name;
  const char* families;  // "XWP", '-' where the family lacks it
  ParamType type;
};

const PropertyRow kRows[] = {
    {u"CC", "XWP", ParamType::kObject},           {u"WW", "-W-", ParamType::kObject},
    {u"WX", "X-P", ParamType::kObject},           {u"IsShowImage", "-W-", ParamType::kBoolean},
    {u"CardTitle", "-W-", ParamType::kString},    {u"IPageSize", "XWP", ParamType::kLong},
    {u"EveryPageSize", "XWP", ParamType::kInteger}, {u"MySqlDSN", "XW-", ParamType::kString},
    {u"SiteName", "XWP", ParamType::kString},     {u"About", "XWP", ParamType::kString},
    {u"ResidualString", "X-P", ParamType::kString}, {u"IsShowPinYin", "X-P", ParamType::kBoolean},
    {u"ThePassWords", "XW-", ParamType::kString}, {u"LastFontText", "XW-", ParamType::kString},
};

Variant EmptyOf(ParamType type) {
  switch (type) {
    case ParamType::kString: return Variant(u"");
    case ParamType::kInteger: return Variant(int16_t{0});
    case ParamType::kLong: return Variant(int32_t{0});
    case ParamType::kBoolean: return Variant(false);
    default: return Variant::Nothing();
  }
}

TEST(PageClassTest, PickedPropertiesByName) {
  for (const PageClassCase& c : kPageClasses) {
    const int f = static_cast<int>(c.family);
    auto object = NewPage(c.name);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->family(), c.family);
    EXPECT_EQ(object->language(), c.language);
    for (const PropertyRow& row : kRows) {
      SCOPED_TRACE(Name(c.name) + "." + Name(row.name));
      if (row.families[f] == '-') {
        EXPECT_EQ(ErrorOf([&] { Invoke(*object, row.name, {}); }), kErrNoMember);
        EXPECT_EQ(ErrorOf([&] { Invoke(*object, row.name, {Variant(u"x")}, CallKind::kLet); }),
                  kErrNoMember);
        continue;
      }
      EXPECT_EQ(object->Class().Find(row.name, MemberKind::kPropertyGet)->result, row.type);
      // Values go in by let, objects by set; each reads back as written.
      if (row.type == ParamType::kObject && row.name != std::u16string_view(u"CC")) continue;
      const Variant value = row.type == ParamType::kString    ? Variant(u"x")
                            : row.type == ParamType::kInteger ? Variant(int16_t{7})
                            : row.type == ParamType::kLong    ? Variant(int32_t{70000})
                            : row.type == ParamType::kBoolean ? Variant(true)
                                                              : Variant(std::make_shared<Common>());
      Invoke(*object, row.name, {value},
             row.type == ParamType::kObject ? CallKind::kSet : CallKind::kLet);
      EXPECT_EQ(Invoke(*object, row.name, {}), value);
    }
  }
}

// Every read-write property of a fresh object of each of the eight classes
// holds its type's empty value. Read-only properties are computed texts.
TEST(CreationTest, EveryPropertyStartsEmpty) {
  struct ClassCase {
    const char16_t* name;
    int properties;  // read-write ones
    bool hooks;
  };
  const ClassCase kClasses[] = {
      {u"XML", 115, true},    {u"EnXML", 115, true},  {u"WAP", 118, true},
      {u"EnWAP", 118, true},  {u"PHPXML", 94, true},  {u"Common", 7, true},
      {u"WAPXHTML", 1, false}, {u"WAPWML", 0, false},
  };
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(Name(c.name));
    ObjectPtr object = CreateByProgId(std::u16string(u"Zorvadel.") + c.name);
    ASSERT_NE(object, nullptr);
    const ClassInfo& info = object->Class();
    EXPECT_EQ(info.name, c.name);
    EXPECT_EQ(object->HasPageHooks(), c.hooks);
    int checked = 0;
    for (const MemberInfo& get : info.members) {
      if (get.kind != MemberKind::kPropertyGet || !get.params.empty()) continue;
      if (!info.Find(get.name, MemberKind::kPropertyLet) &&
          !info.Find(get.name, MemberKind::kPropertySet)) {
        continue;
      }
      ++checked;
      EXPECT_EQ(Invoke(*object, get.name, {}), EmptyOf(get.result)) << Name(get.name.c_str());
    }
    EXPECT_EQ(checked, c.properties);
  }
}

// ---- Page start ------------------------------------------------------------------

using engine::RequestFacts;

std::shared_ptr<PageObject> StartedPage(const char16_t* name, engine::MemoryPage& page) {
  auto object = NewPage(name);
  object->OnStartPage(page.shared_context());
  return object;
}

class PageStartTest : public ::testing::TestWithParam<PageClassCase> {};

// The address, the objects, and defaults the page scripts of the class set do
// not show (a second text is the English classes' own).
TEST_P(PageStartTest, AddressObjectsAndDefaults) {
  auto page = MakePage();
  auto object = StartedPage(GetParam().name, *page);
  const PageState& s = object->state();
  const auto context = page->shared_context();
  EXPECT_TRUE(s.Response == context->GetResponse() && s.Request == context->GetRequest() &&
              s.Server == context->GetServer() && s.Session == context->GetSession() &&
              s.Application == context->GetApplication());
  ASSERT_NE(s.Conn, nullptr);
  EXPECT_EQ(s.Conn->State(), ado::kStateClosed);
  EXPECT_NE(s.Command, nullptr);
  EXPECT_TRUE(!s.CC && !s.WX && !s.WW && !s.Rs);
  EXPECT_EQ(s.ThisFileAllName, u"http://h.example.com/news/list.asp?");
  EXPECT_EQ(s.PhoneNumber, u"");
  EXPECT_EQ(s.DiskPath, page->server().MapPath(u"/news/list.asp"));
  EXPECT_EQ(Invoke(*object, u"RedirectPath", {}), Variant(u"http://h.example.com/news/"));
  EXPECT_EQ(Invoke(*object, u"ErrorPagePath", {}), Variant(u"http://h.example.com/news/"));
  struct Default {
    const char16_t* name;
    Variant value, english = Variant();
  };
  const Default kDefaults[] = {
      {u"MdbPath", Variant(u"MyDatabase\\#Zorvadel.mdb")}, {u"DbLockType", Variant(int16_t{3})},
      {u"DBIsShowImage", Variant(false)},
      {u"StrSql", Variant(u"Select Id,Title,Content From Zorvadel")},
      {u"WmlGoPage", Variant(u"<input type='text' name='pn' emptyok='true' format='*N' "
                             u"title='GO' value='1' />")},
      {u"LastFontText", Variant(u"</b>")}, {u"ResidualString", Variant(u"剩余全文"), Variant(u"")},
  };
  const bool english = GetParam().language == PageLanguage::kEnglish;
  for (const Default& d : kDefaults) {
    if (!object->Class().Has(d.name)) continue;  // a family without it
    EXPECT_EQ(Invoke(*object, d.name, {}), english && !d.english.IsEmpty() ? d.english : d.value)
        << Name(d.name);
  }
  // The maker's account: any value of its kind.
  EXPECT_NE(s.MailServerUserName.find(u'@'), std::u16string::npos);
}

TEST_P(PageStartTest, RequestFacts) {
  RequestFacts facts;
  facts.url = "/a/b/c.asp?x=1&y=%E4%B8%AD";
  facts.host = "m.example.com:8080";
  facts.headers = {{"User-Agent", "Nokia6600/1.0"}, {"Accept", "text/vnd.wap.wml"}};
  facts.local_addr = "192.0.2.1";
  auto page = MakePage(facts);
  auto object = StartedPage(GetParam().name, *page);
  const PageState& s = object->state();
  EXPECT_EQ(s.FileName, u"c.asp");  // the last of several folders
  EXPECT_EQ(s.PhoneUserAgent, u"Nokia6600/1.0");
  EXPECT_EQ(s.PhoneAccept, u"text/vnd.wap.wml");
  EXPECT_EQ(s.VisitFile, page->request().ServerVariables(u"HTTP_url"));
  EXPECT_EQ(s.ServerIP, u"192.0.2.1");
  EXPECT_EQ(s.DisplayerInfo, u"");  // terminal detection is not asked for
}

TEST_P(PageStartTest, SecondStartOverwritesDefaultsAndReplacesObjects) {
  auto page = MakePage();
  auto object = StartedPage(GetParam().name, *page);
  auto conn = object->state().Conn;
  auto command = object->state().Command;
  Invoke(*object, u"EveryPageSize", {Variant(int16_t{3})}, CallKind::kLet);
  Invoke(*object, u"FieldId", {Variant(u"Key")}, CallKind::kLet);
  Invoke(*object, u"Version", {Variant(u"mine")}, CallKind::kLet);
  object->OnStartPage(page->shared_context());
  EXPECT_EQ(object->state().EveryPageSize, 15);
  EXPECT_EQ(object->state().FieldId, u"Id");
  EXPECT_NE(object->state().Version, u"mine");
  EXPECT_NE(object->state().Conn, conn);
  EXPECT_NE(object->state().Command, command);
  EXPECT_EQ(Split(CStr(page->session().Value(u"UserVisitHistory")), u"]<br/>").size(), 3u);
}

// The trail keeps its most recent whole entries within 16 KiB of text.
TEST(VisitTrailTest, KeepsItsRecentEntriesWithinTheLimit) {
  auto page = MakePage();
  std::u16string old_entries;
  for (int i = 0; old_entries.size() < 20000; ++i) {
    old_entries.append(u"p").append(CStr(Variant(int32_t{i}))).append(u".asp[2026-1-1]<br/>");
  }
  page->session().SetValue(u"UserVisitHistory", Variant(old_entries));
  auto object = StartedPage(u"WAP", *page);
  const std::u16string trail = CStr(page->session().Value(u"UserVisitHistory"));
  EXPECT_LE(trail.size(), 16u * 1024);
  EXPECT_GT(trail.size(), 16u * 1024 - 40);
  EXPECT_NE(old_entries.find(trail.substr(0, trail.find(u"<br/>") + 5)), std::u16string::npos);
  EXPECT_EQ(trail.substr(0, 1), u"p");  // starts with a whole entry
  EXPECT_TRUE(trail.ends_with(u"]<br/>"));
  EXPECT_EQ(trail.rfind(object->state().FileName + u"["), trail.rfind(u"<br/>", trail.size() - 6) + 5);
}

// A trail that is not text joins as its text, one without a value as "";
// one that has no text (an object) is left as it is.
TEST(VisitTrailTest, StartsFromWhatTheSessionHolds) {
  const struct {
    Variant before;
    std::u16string starts;
  } kRows[] = {{Variant(), u""}, {Variant::Null(), u""}, {Variant(int16_t{5}), u"5"},
               {Variant(u"a<br/>"), u"a<br/>"}};
  for (const auto& row : kRows) {
    auto page = MakePage();
    page->session().SetValue(u"UserVisitHistory", row.before);
    auto object = StartedPage(u"WAP", *page);
    const std::u16string trail = CStr(page->session().Value(u"UserVisitHistory"));
    EXPECT_TRUE(trail.starts_with(row.starts + object->state().FileName + u"["));
    EXPECT_TRUE(trail.ends_with(u"]<br/>"));
  }
  auto page = MakePage();
  page->session().SetValue(u"UserVisitHistory",
                           Variant(std::make_shared<engine::MemoryApplication>()));
  StartedPage(u"WAP", *page);
  EXPECT_TRUE(page->session().Value(u"UserVisitHistory").IsObject());
}

INSTANTIATE_TEST_SUITE_P(All, PageStartTest, ::testing::ValuesIn(kPageClasses),
                         [](const auto& info) { return Name(info.param.name); });

// ---- Phone number ------------------------------------------------------------

// The query, the line id and the device id, in this order (the page script
// has the first two alone).
TEST(PageStartTest, PhoneNumberJoinsItsThreeParts) {
  RequestFacts facts;
  facts.url = "/news/list.asp?phonenumber=1";
  facts.headers.push_back({"X-Up-Calling-Line-Id", "2"});
  facts.server_variables.push_back({"deviceid", "3"});
  auto page = MakePage(facts);
  EXPECT_EQ(StartedPage(u"WAP", *page)->state().PhoneNumber, u"123");
}

// ---- The page's own address ------------------------------------------------------

struct OwnAddressCase {
  const char* host;
  const char* server_name;  // overrides the engine's, when not null
  const char* server_port;  // likewise
  const char16_t* authority;  // what follows "http://" in ThisFileName
};

// The client's Host when it is a plain name or address with a port a
// client can use; else the server's name with its port. Port 80 is never
// written.
TEST(OwnAddressTest, KeepsThePortTheClientUsed) {
  const OwnAddressCase cases[] = {
      {"m.example.com", nullptr, nullptr, u"m.example.com"},
      {"m.example.com:8080", nullptr, nullptr, u"m.example.com:8080"},
      {"m.example.com:80", nullptr, nullptr, u"m.example.com"},
      {"127.0.0.1:8080", nullptr, "8081", u"127.0.0.1:8080"},  // behind a proxy
      {"[::1]:8081", nullptr, nullptr, u"[::1]:8081"},
      {"My_Host-2", nullptr, nullptr, u"My_Host-2"},
      // Not plain: the engine names the address the request came in on.
      {"x\"><script>", nullptr, nullptr, u"192.0.2.1"},
      {"x\"><script>:8080", nullptr, nullptr, u"192.0.2.1:8080"},
      {"a b:8080", nullptr, nullptr, u"192.0.2.1:8080"},
      {"a/b:81", nullptr, nullptr, u"192.0.2.1:81"},
      {"a'b", nullptr, nullptr, u"192.0.2.1"},
      {"[::1", nullptr, nullptr, u"192.0.2.1"},
      {"host:", nullptr, nullptr, u"host"},
      // A port is 1 to 65535 and is written without leading zeros.
      {"m.example.com:080", nullptr, "8123", u"m.example.com"},
      {"m.example.com:08080", nullptr, "8123", u"m.example.com:8080"},
      {"[::1]:0443", nullptr, nullptr, u"[::1]:443"},
      {"m.example.com:65535", nullptr, nullptr, u"m.example.com:65535"},
      // An empty or blank Host, or one with a port no client can use, names
      // the address the request came in on, with the engine's port.
      {"", nullptr, nullptr, u"192.0.2.1"},
      {"", nullptr, "8123", u"192.0.2.1:8123"},
      {" ", nullptr, "8123", u"192.0.2.1:8123"},
      {"\t", nullptr, nullptr, u"192.0.2.1"},
      {"m.example.com:0", nullptr, "8123", u"192.0.2.1:8123"},
      {"m.example.com:99999", nullptr, "8123", u"192.0.2.1:8123"},
      {"m.example.com:99999", nullptr, nullptr, u"192.0.2.1"},
      {"m.example.com:8o", nullptr, "8123", u"192.0.2.1:8123"},
      {"host:x1", nullptr, nullptr, u"192.0.2.1"},
      {"host:123456", nullptr, "8080", u"192.0.2.1:8080"},
      {"a b", nullptr, "08123", u"192.0.2.1:8123"},
      {"a b", nullptr, "0", u"192.0.2.1"},
      {"a b", nullptr, "99999", u"192.0.2.1"},
      {"", "www.example.com", "8443", u"www.example.com:8443"},
      {"a b", "www.example.com", "80", u"www.example.com"},
      {"a b", "www.example.com", "", u"www.example.com"},
      {"a b", "www.example.com", "8x", u"www.example.com"},
  };
  for (const OwnAddressCase& c : cases) {
    RequestFacts facts;
    facts.host = c.host;
    facts.local_addr = "192.0.2.1";
    if (c.server_name) facts.server_variables.push_back({"SERVER_NAME", c.server_name});
    if (c.server_port) facts.server_variables.push_back({"SERVER_PORT", c.server_port});
    auto page = MakePage(facts);
    auto object = StartedPage(u"XML", *page);
    const PageState& s = object->state();
    const std::u16string site = std::u16string(u"http://") + c.authority;
    EXPECT_EQ(s.ThisFileName, site + u"/news/list.asp") << c.host;
    EXPECT_EQ(s.ThisFileAllName, site + u"/news/list.asp?") << c.host;
    EXPECT_EQ(s.WapPath, site + u"/news/") << c.host;
    EXPECT_EQ(s.RedirectPath, site + u"/news/") << c.host;
    EXPECT_EQ(s.ErrorPagePath, site + u"/news/") << c.host;
    EXPECT_EQ(s.WapHomePage, site + u"/") << c.host;
    EXPECT_EQ(s.FileName, u"list.asp") << c.host;
  }
}

// ---- The visit trail of two pages -----------------------------------------------

using Drop = PartialContext::Drop;

// A recordset or connection a database member left open.
class OpenRecordset : public ado::Recordset {
 public:
  OpenRecordset() { MarkOpen(); }
};
class OpenConnection : public ado::Connection {
 public:
  OpenConnection() { MarkOpen(); }
};

std::string Trail(engine::MemoryPage& page) {
  return codepage::ToUtf8(CStr(page.session().Value(u"UserVisitHistory")));
}

// The date-time of a trail entry is close to now.
void ExpectRecent(const std::string& stamp) {
  double serial = 0;
  ASSERT_TRUE(ParseDate(std::u16string(stamp.begin(), stamp.end()), &serial)) << stamp;
  EXPECT_LT(std::abs(serial - Now()), 2.0 / 1440) << stamp;
}

// The second start keeps the first entry (Common keeps no trail: a page script
// checks that).
TEST(VisitTrailTest, TwoPageStartsInOneSessionAppendTwoEntries) {
  auto session = std::make_shared<engine::MemorySession>();
  auto first = MakePage({}, session);
  NewPage(u"XML")->OnStartPage(first->shared_context());
  RequestFacts facts;
  facts.url = "/b/show.asp?id=3";
  auto second = MakePage(facts, session);
  NewPage(u"EnWAP")->OnStartPage(second->shared_context());

  const std::regex kTrail(R"(list\.asp\[(\d{4}-\d{1,2}-\d{1,2}(?: \d{1,2}:\d\d:\d\d)?)\]<br/>)"
                          R"(show\.asp\[(\d{4}-\d{1,2}-\d{1,2}(?: \d{1,2}:\d\d:\d\d)?)\]<br/>)");
  std::smatch match;
  const std::string trail = Trail(*second);
  ASSERT_TRUE(std::regex_match(trail, match, kTrail)) << trail;
  ExpectRecent(match[1]);
  ExpectRecent(match[2]);
}

// ---- Failures at page start ---------------------------------------------------

class SuppressingClassTest : public ::testing::TestWithParam<PageClassCase> {};

TEST_P(SuppressingClassTest, AMissingSessionOrServerSkipsItsStepsOnly) {
  auto page = MakePage();
  const auto without = [&](Drop drop) {
    auto object = NewPage(GetParam().name);
    const auto context = std::make_shared<PartialContext>(page->shared_context(), drop);
    EXPECT_NO_THROW(object->OnStartPage(context));
    return object;
  };
  auto object = without(Drop::kSession);
  EXPECT_EQ(object->state().Session, nullptr);
  EXPECT_NE(object->state().Version, u"");  // the steps after the trail ran
  EXPECT_TRUE(page->session().Value(u"UserVisitHistory").IsEmpty());
  object = without(Drop::kServer);
  EXPECT_EQ(object->state().Conn, nullptr);
  EXPECT_EQ(object->state().Command, nullptr);
  EXPECT_EQ(object->state().DiskPath, u"");
  EXPECT_EQ(object->state().ThisFileName, u"http://h.example.com/news/list.asp");
  EXPECT_NE(Trail(*page), "");
}

INSTANTIATE_TEST_SUITE_P(XW, SuppressingClassTest,
                         ::testing::ValuesIn(kPageClasses, kPageClasses + 4),
                         [](const auto& info) { return Name(info.param.name); });

TEST(PhpXmlStartTest, StopsAtTheFirstFailure) {
  auto page = MakePage();
  auto no_server = std::make_shared<PartialContext>(page->shared_context(), Drop::kServer);
  auto object = std::make_shared<PHPXML>();
  EXPECT_THROW(object->OnStartPage(no_server), ScriptError);
  EXPECT_NE(object->state().Session, nullptr);  // the steps before ran
  EXPECT_EQ(object->state().ThisFileName, u"");
  EXPECT_EQ(object->state().Version, u"");
  EXPECT_TRUE(page->session().Value(u"UserVisitHistory").IsEmpty());

  // By name, as a page engine calls it; a failing trail leaves the defaults.
  auto no_session = std::make_shared<PartialContext>(page->shared_context(), Drop::kSession);
  object = std::make_shared<PHPXML>();
  EXPECT_THROW(Invoke(*object, u"OnStartPage", {Variant(no_session)}), ScriptError);
  EXPECT_EQ(object->state().FileName, u"list.asp");
  EXPECT_EQ(object->state().FieldId, u"");
  EXPECT_EQ(object->state().Version, u"");
}

TEST(CommonStartTest, TakesTheContextAndStopsAtTheFirstFailure) {
  auto page = MakePage();
  auto common = std::make_shared<Common>();
  Invoke(*common, u"OnStartPage", {Variant(page->shared_context())});
  const CommonState& s = common->state();
  EXPECT_EQ(s.Response, page->shared_context()->GetResponse());
  EXPECT_EQ(s.Session, page->shared_context()->GetSession());
  EXPECT_NE(s.Command, nullptr);
  EXPECT_EQ(s.WH, nullptr);

  common->OnEndPage();
  EXPECT_TRUE(!s.Response && !s.Request && !s.Server && !s.Application && !s.Session && !s.Command);

  auto no_server = std::make_shared<PartialContext>(page->shared_context(), Drop::kServer);
  auto other = std::make_shared<Common>();
  EXPECT_THROW(other->OnStartPage(no_server), ScriptError);
  EXPECT_NE(other->state().Request, nullptr);
  EXPECT_EQ(other->state().Command, nullptr);
}

// ---- Page end ---------------------------------------------------------------------

class PageEndTest : public ::testing::TestWithParam<PageClassCase> {};

TEST_P(PageEndTest, ReleasesContextConnectionAndClosesRecordsets) {
  const bool php = GetParam().family == Family::kP;
  auto page = MakePage();
  auto object = NewPage(GetParam().name);
  object->OnStartPage(page->shared_context());
  PageState& s = object->state();
  auto conn = std::make_shared<OpenConnection>();
  auto rs = std::make_shared<OpenRecordset>();
  Invoke(*object, u"Conn", {Variant(conn)}, CallKind::kSet);
  Invoke(*object, u"Rs", {Variant(rs)}, CallKind::kSet);
  s.Rs1 = std::make_shared<ado::Recordset>();  // not open: its close fails
  auto rs5 = std::make_shared<OpenRecordset>();
  if (!php) Invoke(*object, u"Rs5", {Variant(rs5)}, CallKind::kSet);
  auto command = s.Command;
  const std::u16string version = s.Version;

  EXPECT_NO_THROW(Invoke(*object, u"OnEndPage", {}));
  EXPECT_TRUE(!s.Response && !s.Request && !s.Server && !s.Application && !s.Session && !s.Conn);
  EXPECT_EQ(conn->State(), ado::kStateOpen);  // released, not closed
  EXPECT_EQ(s.Command, php ? command : nullptr);
  EXPECT_TRUE(!s.Rs && !s.Rs1 && !s.Rs2 && !s.Rs5);
  EXPECT_EQ(rs->State(), ado::kStateClosed);
  EXPECT_EQ(rs5->State(), php ? ado::kStateOpen : ado::kStateClosed);
  EXPECT_EQ(s.Version, version);  // what page start set stays
}

TEST_P(PageEndTest, ThroughTheEngineAndLeavesCompanions) {
  auto page = MakePage();
  auto object = std::dynamic_pointer_cast<PageObject>(
      page->server().CreateObject(std::u16string(u"zorvadel.") + GetParam().name));
  ASSERT_NE(object, nullptr);
  EXPECT_NO_THROW(NewPage(GetParam().name)->OnEndPage());  // never started, no slot set
  EXPECT_EQ(object->state().FileName, u"list.asp");
  Common& cc = object->UseCC();
  page->EndPage();
  EXPECT_EQ(object->state().Response, nullptr);
  EXPECT_EQ(object->state().CC.get(), &cc);
  EXPECT_EQ(cc.state().Response, nullptr);  // the page object's own Common never starts
}

INSTANTIATE_TEST_SUITE_P(All, PageEndTest, ::testing::ValuesIn(kPageClasses),
                         [](const auto& info) { return Name(info.param.name); });

// ---- Companions ----------------------------------------------------------------

// Made on first use, once; a script may set its own object of the companion's
// class, and of no other.
TEST(CompanionTest, MadeOnceAndReplaceableByTheirClassOnly) {
  const auto set = [](Object& owner, const char16_t* slot, ObjectPtr value) {
    return ErrorOf([&] { Invoke(owner, slot, {Variant(value)}, CallKind::kSet); });
  };
  for (const PageClassCase& c : kPageClasses) {
    SCOPED_TRACE(Name(c.name));
    auto object = NewPage(c.name);
    PageState& s = object->state();
    const bool w = c.family == Family::kW;
    EXPECT_TRUE(!s.CC && !s.WW && !s.WX);
    EXPECT_EQ(&object->UseCC(), &object->UseCC());
    EXPECT_EQ(Invoke(*object, u"CC", {}).object(), s.CC);
    EXPECT_TRUE(w ? &object->UseWW() == &object->UseWW() : &object->UseWX() == &object->UseWX());
    auto other = std::make_shared<Common>();
    EXPECT_EQ(set(*object, u"cc", other), 0);
    EXPECT_EQ(&object->UseCC(), other.get());
    EXPECT_EQ(set(*object, u"CC", std::make_shared<WAPXHTML>()), 13);
    EXPECT_EQ(set(*object, w ? u"WW" : u"WX", other), 13);
    // A forwarded call that fails gives the empty text.
    EXPECT_EQ(object->ForwardToCC([](Common&) -> std::u16string { throw ScriptError(5); }), u"");
    EXPECT_EQ(s.CC, other);
  }
  Common common;
  EXPECT_TRUE(!common.state().WH && &common.UseWH() == &common.UseWH());
  auto wh = std::make_shared<WAPXHTML>();
  EXPECT_EQ(set(common, u"WH", std::make_shared<Common>()), 13);
  EXPECT_EQ(set(common, u"WH", wh), 0);
  EXPECT_EQ(&common.UseWH(), wh.get());
  WAPXHTML xhtml;
  EXPECT_TRUE(!xhtml.CC() && &xhtml.UseCC() == &xhtml.UseCC());
  auto cc = std::make_shared<Common>();
  EXPECT_EQ(set(xhtml, u"CC", wh), 13);
  EXPECT_EQ(set(xhtml, u"CC", cc), 0);
  EXPECT_EQ(&xhtml.UseCC(), cc.get());
}

}  // namespace
}  // namespace zorvadel
