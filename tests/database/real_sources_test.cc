// The kinds that need a real source of their own, each skipped without it:
// the MySQL kind against a MariaDB server that run_mariadb.sh starts on a
// Unix socket and names in ZORVADEL_MARIADB_SOCKET (the socket reaches the
// driver through MySqlOtherConnInfo; a dead server is one row of the member
// tests), and a real Jet file read through MDBTools with the Access kind,
// which run_jet.sh names in ZORVADEL_JET_FILE. The Jet file is read-only: a
// write raises in the layer and is suppressed by the members. A server that
// stops answering, and Jet files with one byte changed, end in the failure
// path within their bounds.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

TEST(MariaDb, StatementMembersShowAndAPagedListRunThroughTheServer) {
  const char* env = std::getenv("ZORVADEL_MARIADB_SOCKET");
  if (env == nullptr) GTEST_SKIP() << "needs the server that run_mariadb.sh starts";
  const std::u16string socket = codepage::FromUtf8(env);
  ScratchFolder scratch;
  auto Page = [&](std::string url = "/news/list.asp") {
    auto page = std::make_unique<DbPage>(scratch.path(), u"WAP", std::move(url));
    page->state().MySqlUserId = u"root";
    page->state().MySqlDBName = u"zorvadel";
    page->state().MySqlOtherConnInfo = u";socket=" + socket;
    return page;
  };
  for (const auto& [member, sql] :
       {std::pair{u"MySqlDo",
                  u"CREATE TABLE News (Id INT PRIMARY KEY, Title VARCHAR(100), "
                  u"Content TEXT, Stamp DATETIME, Flag BIT)"},
        std::pair{u"MySqlInsert",
                  u"INSERT INTO News WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL "
                  u"SELECT x + 1 FROM n WHERE x < 50) SELECT x, CONCAT('Title ', x), "
                  u"CONCAT('Content ', x), '2024-01-02 03:04:05', 1 FROM n"},
        std::pair{u"MySqlUpdate",
                  u"UPDATE News SET Title = '<b>Two & \"2\"</b>', Content = NULL WHERE Id = 2"},
        std::pair{u"MySqlDelete", u"DELETE FROM News WHERE Id > 45"}}) {
    auto page = Page();
    page->state().StrSql = sql;
    page->Call(member, {});
    EXPECT_EQ(
        page->state().SqlStrConn,
        u"dsn=;driver={myodbd driver};server=;uid=root;pwd=;database=zorvadel;socket=" + socket);
    ASSERT_EQ(page->state().Conn->State(), ado::kStateOpen) << codepage::ToUtf8(sql);
    EXPECT_EQ(page->state().Rs->State(), ado::kStateClosed);  // an action statement
  }
  // A list as the list members page it: client cursors count, and page 3
  // of 20 holds the last five records.
  auto page = Page();
  PageState& s = page->state();
  s.StrSql = u"SELECT Id, Title, Content, Stamp, Flag FROM News ORDER BY Id";
  page->Call(u"MySqlDo", {});
  EXPECT_EQ(s.RecordCount, 45);
  ado::Recordset& rs = *s.Rs;
  rs.SetPageSize(20);
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

  auto show = Page("/news/show.asp?Id=7&MyPage=2");
  show->state().StrSql = u"SELECT * FROM News WHERE Id = 2";
  EXPECT_EQ(show->Call(u"MySqlShow", {Variant(u"Title")}), Variant(u"<b>Two & \"2\"</b>"));
  EXPECT_EQ(show->Call(u"MySqlShow", {Variant(u"Content")}), Variant(u""));
}

// A server stopped after the connect: the statement ends within the bound
// of a statement and fails, which the members suppress.
// SIGSTOP is delivered to each thread as it next passes through the kernel:
// a thread that is running may still answer a statement after kill()
// returns. True once every thread of `pid` is stopped.
bool AwaitStopped(pid_t pid) {
  const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
  for (int tries = 0; tries < 5000; ++tries) {
    bool all = true;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
      std::ifstream status(task.path() / "status");
      std::string line;
      while (std::getline(status, line) && !line.starts_with("State:")) {
      }
      if (line.find("(stopped)") == std::string::npos) all = false;
    }
    if (!error && all) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

TEST(MariaDb, AServerThatStopsAnsweringEndsTheStatement) {
  const char* socket = std::getenv("ZORVADEL_MARIADB_SOCKET");
  const char* pid_text = std::getenv("ZORVADEL_MARIADB_PID");
  if (socket == nullptr || pid_text == nullptr) {
    GTEST_SKIP() << "needs the server that run_mariadb.sh starts";
  }
  auto connection = Connect(u"driver={myodbd driver};uid=root;database=zorvadel;socket=" +
                            codepage::FromUtf8(socket));
  const pid_t server = static_cast<pid_t>(std::atoi(pid_text));
  ASSERT_EQ(kill(server, SIGSTOP), 0);
  struct Resume {
    pid_t pid;
    ~Resume() { kill(pid, SIGCONT); }
  } resume{server};
  ASSERT_TRUE(AwaitStopped(server));
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(ErrorOf([&] { OpenRecordset(connection, u"SELECT 1", ado::kOpenStatic); }),
            ado::kErrProvider);
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_GE(took, std::chrono::seconds(25));
  EXPECT_LE(took, std::chrono::seconds(60));
}

TEST(JetFile, TheAccessKindReadsItsOneRowAndRefusesWrites) {
  const char* file = std::getenv("ZORVADEL_JET_FILE");
  if (file == nullptr) GTEST_SKIP() << "needs the file that run_jet.sh fetches";
  ScratchFolder scratch;
  std::filesystem::copy_file(file, scratch.path() / "monitor.mdb");
  auto Page = [&](std::string url) {
    auto page = std::make_unique<DbPage>(scratch.path(), u"WAP", std::move(url));
    page->state().MdbPath = u"monitor.mdb";
    page->state().StrSql = u"SELECT * FROM Monitor_Authenticate";
    return page;
  };
  auto page = Page("/list.asp");
  page->Call(u"MdbDo", {});
  PageState& s = page->state();
  ASSERT_EQ(s.Conn->State(), ado::kStateOpen);
  EXPECT_EQ(s.RecordCount, 1);
  ado::Recordset& rs = *s.Rs;
  EXPECT_EQ(rs.FieldCount(), 12);
  rs.SetPageSize(20);
  EXPECT_EQ(rs.PageCount(), 1);
  rs.SetAbsolutePage(1);
  for (const auto& [field, text] :
       {std::pair{u"id", u"1"}, std::pair{u"LineNumber", u"1234567890"},
        std::pair{u"EMail_Address", u"nobody@sunnyline.co.za"}, std::pair{u"Graph_Day", u"True"},
        std::pair{u"Graph_EMail", u"False"}, std::pair{u"LastVisit", u"2000-6-17 20:36:24"}}) {
    EXPECT_EQ(CStr(rs.FieldValue(rs.FieldIndex(Variant(field)))), text);
  }
  rs.MoveNext();
  EXPECT_TRUE(rs.AtEOF());

  EXPECT_EQ(Page("/show.asp?Id=1")->Call(u"MdbShow", {Variant(u"Comment")}),
            Variant(u"Example Circuit Added For Monitor Example To Potential New Clients"));
  // The delete request finds the write refused: no confirmation, no row lost.
  auto deleting = Page("/del.asp?FindId=1");
  deleting->state().StrSql = u"DELETE FROM Monitor_Authenticate WHERE ID = 1";
  deleting->Call(u"MdbDeleteData", {});
  EXPECT_EQ(deleting->Body(), u"");
  EXPECT_EQ(deleting->state().ToDoId, 1);
  EXPECT_EQ(ErrorOf([&] { Execute(*s.Conn, u"UPDATE Monitor_Authenticate SET Comment = 'x'"); }),
            ado::kErrProvider);
  EXPECT_EQ(RowCount(scratch.path() / "monitor.mdb", u"Monitor_Authenticate"), 1);
}

// One changed byte can send MDBTools into a loop that allocates without
// end and prints without end; offsets 108582 to 109478 do, in the pages of
// the table's rows. Whatever a byte does, the page gets its answer within
// the reader's bounds and the log a few lines.
TEST(JetFile, FilesWithOneByteChangedEndWithinBoundsAndFewLogLines) {
  const char* file = std::getenv("ZORVADEL_JET_FILE");
  if (file == nullptr) GTEST_SKIP() << "needs the file that run_jet.sh fetches";
  std::ifstream in(file, std::ios::binary);
  const std::string original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(original.size(), 110592u);
  struct Mutation {
    size_t offset;
    char byte;
    int16_t records;  // 0: the statement fails (RecordCount keeps 0)
    // What the failure line ends with, when it is checked.
    const char* failure = nullptr;
  };
  const Mutation mutations[] = {
      {109041, 0x00, 0},  // loops, allocating
      {108582, 0x00, 0},  // loops on the CPU
      {108883, 0x00, 0}, {109310, 0x00, 0}, {109478, 0x00, 0},
      {106517, 0x00, 1},  // read, with 160 lines of dump on stderr
      {108764, 0x00, 1}, {0, 0x00, 1}, {60000, 0x7f, 1}, {110591, 0x01, 1},
      // The catalog's page: the driver's message says nothing of it.
      {8192, '\xff', 0,
       "Select * From Monitor_Authenticate: [] Couldn't parse SQL (MDBTools: mdb_read_table: "
       "Page 2 [size=4096] is not a valid table definition page (First byte = 0xFF, expected "
       "0x02))\n"},
  };
  ScratchFolder scratch;
  for (const Mutation& m : mutations) {
    std::string bytes = original;
    bytes[m.offset] = m.byte;
    std::ofstream(scratch.path() / "monitor.mdb", std::ios::binary | std::ios::trunc) << bytes;
    DbPage page(scratch.path(), u"WAP", "/list.asp");
    page.state().MdbPath = u"monitor.mdb";
    page.state().StrSql = u"Select * From Monitor_Authenticate";
    testing::internal::CaptureStderr();
    const auto started = std::chrono::steady_clock::now();
    page.Call(u"MdbDo", {});
    const auto took = std::chrono::steady_clock::now() - started;
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_LE(took, std::chrono::seconds(20)) << m.offset;
    // Two readers (the open and the statement), four lines each at most.
    EXPECT_LE(std::count(log.begin(), log.end(), '\n'), 8) << m.offset << ": " << log;
    EXPECT_EQ(page.state().RecordCount, m.records) << m.offset;
    EXPECT_EQ(page.state().Rs->State(), m.records ? ado::kStateOpen : ado::kStateClosed)
        << m.offset;
    if (m.failure != nullptr) {
      EXPECT_TRUE(log.ends_with(m.failure)) << m.offset << ": " << log;
    }
  }
}

}  // namespace
}  // namespace zorvadel::test
