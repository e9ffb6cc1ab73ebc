// The visit trail, page start without a session or a server, page end, and
// the companion objects.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

#include "classes/classes_test_util.h"
#include "platform/ado/ado.h"
#include "platform/codepage/codepage.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using engine::RequestFacts;
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
