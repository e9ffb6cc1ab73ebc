// Classes made by ProgID, properties by name (a few picked by hand for each
// kind, and every property's value at creation), then page start of the page
// classes: request facts, defaults, a repeated start and the phone number.
// The page script class_pages.json shows the address, the terminal and the
// literal texts a started page holds; here, the rest.
#include <gtest/gtest.h>

#include <string>

#include "classes/classes_test_util.h"
#include "platform/ado/ado.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

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
    old_entries += u"p" + CStr(Variant(int32_t{i})) + u".asp[2026-1-1]<br/>";
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

}  // namespace
}  // namespace zorvadel
