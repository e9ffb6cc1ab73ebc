// The MySQL kind end to end against a real MariaDB server, which
// run_mariadb.sh starts on a Unix socket and names in
// ZORVADEL_MARIADB_SOCKET (the tests skip without it); the socket reaches
// the driver through MySqlOtherConnInfo. Without a server, the MySQL kind
// fails quietly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

void UseSocket(PageState& s, const std::u16string& socket) {
  s.MySqlUserId = u"root";
  s.MySqlDBName = u"zorvadel";
  s.MySqlOtherConnInfo = u";socket=" + socket;
}

class MariaDb : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* socket = std::getenv("ZORVADEL_MARIADB_SOCKET");
    if (socket == nullptr) GTEST_SKIP() << "needs the server that run_mariadb.sh starts";
    socket_ = codepage::FromUtf8(socket);
  }
  std::unique_ptr<DbPage> Page(std::string url = "/news/list.asp") {
    auto page = std::make_unique<DbPage>(scratch_.path(), u"WAP", std::move(url));
    UseSocket(page->state(), socket_);
    return page;
  }
  // Runs `sql` with MySqlDo on slot 0.
  void Run(const std::u16string& sql, const char16_t* member = u"MySqlDo") {
    auto page = Page();
    page->state().StrSql = sql;
    page->Call(member, {});
    ASSERT_EQ(page->state().Conn->State(), ado::kStateOpen) << codepage::ToUtf8(sql);
  }

  ScratchFolder scratch_;
  std::u16string socket_;
};

TEST_F(MariaDb, StatementMembersAndAPagedListRunThroughTheServer) {
  {
    auto page = Page();
    page->state().StrSql =
        u"CREATE TABLE News (Id INT PRIMARY KEY, Title VARCHAR(100), Content TEXT, "
        u"Stamp DATETIME, Flag BIT)";
    page->Call(u"MySqlDo", {});
    EXPECT_EQ(page->state().SqlStrConn,
              u"dsn=;driver={myodbd driver};server=;uid=root;pwd=;database=zorvadel;socket=" +
                  socket_);
    EXPECT_EQ(page->state().Conn->State(), ado::kStateOpen);
    EXPECT_EQ(page->state().Rs->State(), ado::kStateClosed);
  }
  Run(u"INSERT INTO News (Id, Title, Content, Stamp, Flag) WITH RECURSIVE n(x) AS "
      u"(SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 50) "
      u"SELECT x, CONCAT('Title ', x), CONCAT('Content ', x), '2024-01-02 03:04:05', 1 FROM n",
      u"MySqlInsert");
  Run(u"UPDATE News SET Content = NULL WHERE Id = 2", u"MySqlUpdate");
  Run(u"DELETE FROM News WHERE Id > 45", u"MySqlDelete");

  // A list as the list members page it: client cursors count, and page 3
  // of 20 holds the last five records.
  auto page = Page();
  PageState& s = page->state();
  s.StrSql = u"SELECT Id, Title, Content, Stamp, Flag FROM News ORDER BY Id";
  page->Call(u"MySqlDo", {});
  EXPECT_EQ(s.RecordCount, 45);
  ado::Recordset& rs = *s.Rs;
  rs.SetPageSize(20);
  rs.SetCacheSize(20);
  EXPECT_EQ(rs.PageCount(), 3);
  rs.SetAbsolutePage(3);
  std::u16string ids;
  for (; !rs.AtEOF(); rs.MoveNext()) ids += CStr(rs.FieldValue(0)) + u",";
  EXPECT_EQ(ids, u"41,42,43,44,45,");
  rs.SetAbsolutePage(1);
  EXPECT_EQ(CStr(rs.FieldValue(rs.FieldIndex(Variant(u"stamp")))), u"2024-1-2 3:04:05");
  EXPECT_EQ(CStr(rs.FieldValue(rs.FieldIndex(Variant(u"FLAG")))), u"True");
  page->object->CloseData();
  EXPECT_EQ(s.Rs, nullptr);
}

TEST_F(MariaDb, ShowReadsOneFieldAndRemembersTheRequest) {
  Run(u"CREATE TABLE Shown (Id INT, Title VARCHAR(50), Content TEXT)");
  Run(u"INSERT INTO Shown VALUES (2, '<b>Two & \"2\"</b>', NULL)");
  auto page = Page("/news/show.asp?Id=7&MyPage=2");
  page->state().StrSql = u"SELECT * FROM Shown WHERE Id = 2";
  EXPECT_EQ(page->Call(u"MySqlShow", {Variant(u"Title")}), Variant(u"<b>Two & \"2\"</b>"));
  EXPECT_EQ(page->Call(u"MySqlShow", {Variant(u"Content")}), Variant(u""));
  EXPECT_EQ(page->SessionText(u"FindId"), u"7");
  EXPECT_EQ(page->SessionText(u"MyPage"), u"2");
  EXPECT_EQ(page->state().RecordCount, 1);
  EXPECT_EQ(page->Body(), u"");
}

// A server that is not there: the socket names no file.
TEST(MySqlKind, WithoutAServerNothingIsWrittenAndNothingRaises) {
  ScratchFolder scratch;
  DbPage page(scratch.path(), u"EnWAP", "/news/show.asp?Id=3&FindId=3");
  UseSocket(page.state(), U16(scratch.path() / "no.sock"));
  page.state().RecordCount = 5;
  page.Call(u"MySqlDo", {});
  EXPECT_EQ(page.state().Conn->State(), ado::kStateClosed);
  EXPECT_EQ(page.state().Rs->State(), ado::kStateClosed);
  EXPECT_EQ(page.Call(u"MySqlShow", {Variant(u"Title")}), Variant(u""));
  EXPECT_EQ(page.SessionText(u"FindId"), u"3");
  EXPECT_EQ(page.state().RecordCount, 5);
  EXPECT_EQ(page.Body(), u"");
}

}  // namespace
}  // namespace zorvadel::test
