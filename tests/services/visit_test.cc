// The visit counter on a SQLite file: one row per new visitor of a
// session, the terminal filter, the session values, the stored texts, and
// the page's own statement left alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

// The driver list of this binary: [SQL server] is the SQLite ODBC driver,
// so the counter's SQL Server kind binds its values through the driver
// manager for real. Set before any test, as the driver manager reads it once.
class OdbcDrivers : public ::testing::Environment {
 public:
  void SetUp() override {
    std::ofstream(folder_.path() / "odbcinst.ini") << "[SQL server]\nDriver=libsqlite3odbc.so\n";
    std::ofstream(folder_.path() / "odbc.ini").close();
    setenv("ODBCSYSINI", folder_.path().c_str(), 1);
    setenv("ODBCINI", (folder_.path() / "odbc.ini").c_str(), 1);
  }

 private:
  ScratchFolder folder_;
};
[[maybe_unused]] ::testing::Environment* const kDrivers =
    ::testing::AddGlobalTestEnvironment(new OdbcDrivers);

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
    auto rs = OpenRecordset(connection, u"SELECT * FROM " + table, 1);
    return rs->RecordCount();
  }
  static std::shared_ptr<Session> NewSession() {
    return std::make_shared<engine::MemorySession>();
  }
  ScratchFolder scratch_;
};

TEST_F(VisitCounter, OneRowPerNewVisitorOfASession) {
  auto session = NewSession();
  Page(session, kPhone)->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(CStr(session->Value(u"CurrentPhoneIp")), u"192.0.2.7");
  EXPECT_EQ(session->Timeout(), 30);
  Page(session, kPhone)->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 1);  // returning visitor
  Page(session, kPhone, "192.0.2.8")->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 2);  // a new address is a new visitor
  EXPECT_EQ(CStr(session->Value(u"CurrentPhoneIp")), u"192.0.2.8");
}

TEST_F(VisitCounter, TheTerminalFilter) {
  struct Case {
    const char* user_agent;
    std::u16string which;
    int32_t rows;
  };
  const Case kCases[] = {
      {kDesktop, u"All", 1},  {kPhone, u"ALL", 1},    {kDesktop, u"notie", 0},
      {kPhone, u"NotIE", 1},  {kDesktop, u"WEB", 1},  {kPhone, u"web", 0},
      {kDesktop, u"wap", 0},  {kPhone, u"", 0},       {kPhone, u"phones", 0},
  };
  int32_t total = 0;
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.user_agent) + " " + std::string(c.which.begin(), c.which.end()));
    auto session = NewSession();
    auto page = Page(session, c.user_agent);
    page->Call(u"VisitCount", {c.which});
    total += c.rows;
    EXPECT_EQ(Count(), total);
    // Filtered or not, the address is stored: the same session is not counted later.
    Page(session, c.user_agent)->Call(u"VisitCount", {u"All"});
    EXPECT_EQ(Count(), total);
  }
}

TEST_F(VisitCounter, StoredTextsAndSessionSettings) {
  auto session = NewSession();
  auto page = Page(session, "Nokia'6600 \"quoted\"");
  page->state().SessionTimeOut = 45;
  page->state().VisitFile = u"/a'b.asp";
  page->Call(u"VisitCount", {u"all", u"MDB"});
  EXPECT_EQ(session->Timeout(), 45);
  auto rs = OpenRecordset(Connect(AccessString(scratch_.path() / "visits.db")),
                          u"SELECT PhoneNumber, PhoneIp, PhoneUserAgent, PhoneAccept, VisitFile "
                          u"FROM VisitCount",
                          1);
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(CStr(rs->FieldValue(1)), u"192.0.2.7");
  EXPECT_EQ(CStr(rs->FieldValue(2)), u"Nokia'6600 \"quoted\"");
  EXPECT_EQ(CStr(rs->FieldValue(3)), u"text/vnd.wap.wml");
  EXPECT_EQ(CStr(rs->FieldValue(4)), u"/a'b.asp");
  EXPECT_EQ(CStr(rs->FieldValue(0)).substr(0, 3), u"138");
  EXPECT_EQ(page->state().Conn, nullptr);
  EXPECT_EQ(page->state().Rs, nullptr);
}

TEST_F(VisitCounter, TheServerKindBindsThroughTheDriverManager) {
  auto page = Page(NewSession(), "It's a phone");
  page->state().SqlStrConn =
      u"Driver={SQL server};Database=" + U16(scratch_.path() / "visits.db") + u";NoCreat=1";
  page->Call(u"VisitCount", {u"all", u"Sql"});
  auto rs = OpenRecordset(Connect(AccessString(scratch_.path() / "visits.db")),
                          u"SELECT PhoneUserAgent FROM VisitCount", 1);
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(CStr(rs->FieldValue(0)), u"It's a phone");
}

// Mended: the page's StrSql is not run by the counter.
TEST_F(VisitCounter, ThePageStatementIsNotRunAgain) {
  auto page = Page(NewSession(), kPhone);
  page->state().StrSql = u"INSERT INTO Log VALUES (1)";
  page->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Count(u"Log"), 0);
}

TEST_F(VisitCounter, NoRowWithoutAnAddressOrAKnownDatabase) {
  auto blank = Page(NewSession(), kPhone);
  blank->state().PhoneIP = u"";
  blank->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 0);
  auto session = NewSession();
  Page(session, kPhone)->Call(u"VisitCount", {u"All", u"mysql"});
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(CStr(session->Value(u"CurrentPhoneIp")), u"192.0.2.7");
  auto missing = Page(NewSession(), kPhone);
  missing->state().MdbPath = u"/none.db";
  missing->Call(u"VisitCount", {});  // a dead database: nothing reported
  EXPECT_EQ(missing->state().Conn, nullptr);
}

}  // namespace
}  // namespace zorvadel::test
