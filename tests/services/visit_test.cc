// The visit counter on a SQLite file: one row per new visitor of a
// session, the terminal filter, the session values, the stored texts, and
// the page's own statement left alone.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

constexpr char kDesktop[] = "Mozilla/5.0 (Windows NT 10.0; Win64; x64) Chrome/120.0";
constexpr char kPhone[] = "Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0";

class VisitCounter : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDatabase(scratch_.path() / "visits.db",
                 {u"CREATE TABLE VisitCount (Id INTEGER PRIMARY KEY, PhoneNumber TEXT, PhoneIp TEXT, "
                  u"PhoneUserAgent TEXT, PhoneAccept TEXT, VisitFile TEXT)",
                  u"CREATE TABLE Log (x INTEGER)"});
  }
  // One page of `session`, from `user_agent` at `address`.
  struct VisitPage {
    VisitPage(const engine::RequestFacts& facts, const std::filesystem::path& root,
              std::shared_ptr<Session> session)
        : page(facts, root, std::move(session), std::make_shared<engine::MemoryApplication>()) {
      object = page.context().GetServer()->CreateObject(u"Zorvadel.WAP");
      state().MdbPath = u"/visits.db";
    }
    ~VisitPage() { page.EndPage(); }
    PageState& state() { return std::dynamic_pointer_cast<PageObject>(object)->state(); }
    void Call(std::u16string_view member, std::vector<Variant> args) {
      Invoke(*object, member, std::move(args));
    }
    engine::MemoryPage page;
    ObjectPtr object;
  };
  std::unique_ptr<VisitPage> Page(const std::shared_ptr<Session>& session, const char* user_agent,
                                  const char* address = "192.0.2.7") {
    engine::RequestFacts facts = DbPage::Facts("/news/index.asp?phonenumber=138");
    facts.headers = {{"User-Agent", user_agent}, {"Accept", "text/vnd.wap.wml"}};
    facts.remote_addr = address;
    return std::make_unique<VisitPage>(facts, scratch_.path(), session);
  }
  int32_t Count(const std::u16string& table = u"VisitCount") {
    auto connection = Connect(AccessString(scratch_.path() / "visits.db"));
    return OpenRecordset(connection, u"SELECT * FROM " + table, 1)->RecordCount();
  }
  static std::shared_ptr<Session> NewSession() {
    return std::make_shared<engine::MemorySession>();
  }
  ScratchFolder scratch_;
};

// Mended: the page's StrSql is not run by the counter.
TEST_F(VisitCounter, OneRowPerNewVisitorOfASession) {
  auto session = NewSession();
  auto first = Page(session, kPhone);
  first->state().StrSql = u"INSERT INTO Log VALUES (1)";
  first->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Count(u"Log"), 0);
  EXPECT_EQ(session->Timeout(), 30);
  Page(session, kPhone)->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 1);  // returning visitor
  Page(session, kPhone, "192.0.2.8")->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 2);  // a new address is a new visitor
  EXPECT_EQ(CStr(session->Value(u"CurrentPhoneIp")), u"192.0.2.8");
}

TEST_F(VisitCounter, TheTerminalFilter) {
  const std::tuple<const char*, std::u16string, int32_t> kCases[] = {
      {kDesktop, u"All", 1},  {kPhone, u"ALL", 1},  {kDesktop, u"notie", 0},
      {kPhone, u"NotIE", 1},  {kDesktop, u"WEB", 1}, {kPhone, u"web", 0},
      {kDesktop, u"wap", 0},  {kPhone, u"", 0},      {kPhone, u"phones", 0},
  };
  int32_t total = 0;
  for (const auto& [user_agent, which, rows] : kCases) {
    SCOPED_TRACE(std::string(user_agent) + " " + codepage::ToUtf8(which));
    auto session = NewSession();
    Page(session, user_agent)->Call(u"VisitCount", {which});
    EXPECT_EQ(Count(), total += rows);
    // Filtered or not, the address is stored: the same session is not counted later.
    Page(session, user_agent)->Call(u"VisitCount", {u"All"});
    EXPECT_EQ(Count(), total);
  }
}

// Both kinds store the texts as they came; the server kind binds its values
// through the driver manager.
TEST_F(VisitCounter, StoredTextsAndSessionSettings) {
  const std::u16string agent = u"Nokia'6600 \"quoted\"";
  for (const char16_t* kind : {u"MDB", u"Sql"}) {
    auto session = NewSession();
    auto page = Page(session, codepage::ToUtf8(agent).c_str());
    page->state().SessionTimeOut = 45;
    page->state().VisitFile = u"/a'b.asp";
    page->state().SqlStrConn =
        u"Driver={SQL server};Database=" + U16(scratch_.path() / "visits.db") + u";NoCreat=1";
    page->Call(u"VisitCount", {u"all", kind});
    EXPECT_EQ(session->Timeout(), 45);
    EXPECT_EQ(page->state().Conn, nullptr);
    EXPECT_EQ(page->state().Rs, nullptr);
  }
  auto rs = OpenRecordset(Connect(AccessString(scratch_.path() / "visits.db")),
                          u"SELECT PhoneNumber, PhoneIp, PhoneUserAgent, PhoneAccept, VisitFile "
                          u"FROM VisitCount", 1);
  ASSERT_EQ(rs->RecordCount(), 2);
  const std::u16string want[] = {u"138", u"192.0.2.7", agent, u"text/vnd.wap.wml", u"/a'b.asp"};
  for (int row = 0; row < 2; ++row, rs->MoveNext()) {
    EXPECT_EQ(CStr(rs->FieldValue(0)).substr(0, 3), want[0]);
    for (int i = 1; i < 5; ++i) EXPECT_EQ(CStr(rs->FieldValue(i)), want[i]) << row << " " << i;
  }
}

// No address, an unknown database kind, a dead database: no row, nothing reported.
TEST_F(VisitCounter, NoRowWithoutAnAddressOrAKnownDatabase) {
  auto blank = Page(NewSession(), kPhone);
  blank->state().PhoneIP = u"";
  blank->Call(u"VisitCount", {});
  auto session = NewSession();
  Page(session, kPhone)->Call(u"VisitCount", {u"All", u"mysql"});
  EXPECT_EQ(CStr(session->Value(u"CurrentPhoneIp")), u"192.0.2.7");
  auto missing = Page(NewSession(), kPhone);
  missing->state().MdbPath = u"/none.db";
  missing->Call(u"VisitCount", {});
  EXPECT_EQ(missing->state().Conn, nullptr);
  EXPECT_EQ(Count(), 0);
}

}  // namespace
}  // namespace zorvadel::test
