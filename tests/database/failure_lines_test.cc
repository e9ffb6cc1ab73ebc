// The line a database member leaves in the error output when it takes its
// failure path: one per failure, naming the page, the member the script
// called, the file or server and the driver's own message, never a
// password; none when nothing failed. Each kind against its real part: SQLite
// files, the SQLite ODBC driver, the driver manager without an Oracle
// driver, MariaDB Connector/ODBC on a dead port and (under run_mariadb.sh)
// a real server, and the Jet file under run_jet.sh.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "component/failure_line.h"
#include "database/database_test_util.h"
#include "platform/log/error_log.h"

namespace zorvadel::test {
namespace {

// A loopback port that nothing listens on: bound, then let go.
int DeadPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

std::string Utf8(const std::u16string& text) { return codepage::ToUtf8(text); }

// Replaces every `key` in `pattern` with `value`.
std::string Fill(std::string pattern, const std::string& key, const std::string& value) {
  for (size_t at = pattern.find(key); at != std::string::npos; at = pattern.find(key, at)) {
    pattern.replace(at, key.size(), value);
    at += value.size();
  }
  return pattern;
}

// The error log's lines while it lives, instead of stderr.
class CapturedLines {
 public:
  CapturedLines() {
    log::ResetForTesting();
    log::SetSinkForTesting([this](std::string_view line) { lines_.emplace_back(line); });
  }
  ~CapturedLines() {
    log::SetSinkForTesting({});
    log::ResetForTesting();
  }
  // The lines written since the last call; the log forgets them, so that
  // the next case's same line is written again.
  std::vector<std::string> Take() {
    log::ResetForTesting();
    return std::exchange(lines_, {});
  }
  size_t count() const { return lines_.size(); }

 private:
  std::vector<std::string> lines_;
};

class FailureLines : public ::testing::Test {
 protected:
  void SetUp() override { MakeDatabase(scratch_.path() / "news.db", NewsTable(3)); }

  ScratchFolder scratch_;
  CapturedLines lines_;
};

struct LineCase {
  const char* name;
  const char16_t* member;
  std::function<void(PageState&)> set_up;
  // "{}" stands for the scratch folder, "{port}" for the dead port; "" for
  // no line.
  const char* want;
  std::vector<Variant> args = {};
};

TEST_F(FailureLines, EachKindTellsItsFailureOnce) {
  const std::u16string folder = U16(scratch_.path());
  const std::u16string dead_port = codepage::FromUtf8(std::to_string(DeadPort()));
  const LineCase cases[] = {
      {"a working list", u"MdbList",
       [](PageState& s) { s.MdbPath = u"/news.db", s.StrSql = u"Select * From Zorvadel"; }, ""},
      {"a file that is not there", u"MdbList",
       [](PageState& s) { s.MdbPath = u"/MyDatabase/typo.mdb", s.StrSql = u"Select 1"; },
       "zorvadel: /news/list.asp: MdbList: cannot open /MyDatabase/typo.mdb "
       "({}/MyDatabase/typo.mdb): [Microsoft Access Driver] Could not find file "
       "'{}/MyDatabase/typo.mdb'."},
      {"a path outside the site", u"MdbDo",
       [](PageState& s) { s.MdbPath = u"../../etc/x.mdb", s.StrSql = u"Select 1"; },
       "zorvadel: /news/list.asp: MdbDo: cannot open ../../etc/x.mdb: "
       "Invalid procedure call or argument"},
      {"a missing table", u"MdbShow",
       [](PageState& s) { s.MdbPath = u"/news.db", s.StrSql = u"Select * From Zorvadle"; },
       "zorvadel: /news/list.asp: MdbShow: statement failed on /news.db ({}/news.db): "
       "Select * From Zorvadle: [SQLite] no such table: Zorvadle",
       {Variant(u"Title")}},
      {"bad SQL over lines", u"MdbUpdate",
       [](PageState& s) { s.MdbPath = u"/news.db", s.StrSql = u"Update Zorvadel\r\n Set = 1"; },
       "zorvadel: /news/list.asp: MdbUpdate: statement failed on /news.db ({}/news.db): "
       "Update Zorvadel  Set = 1: [SQLite] near \"=\": syntax error"},
      {"ODBC: a missing table", u"SqlListShow",
       [&](PageState& s) {
         s.SqlStrConn = OdbcString(scratch_.path() / "news.db");
         s.StrSql = u"Select * From Missing";
       },
       "zorvadel: /news/list.asp: SqlListShow: statement failed on Driver={SQL server};"
       "Database={}/news.db: Select * From Missing: [HY000] [SQLite]no such table: Missing",
       {Variant(u"Title"), Variant(u"Id"), Variant(u"Content")}},
      {"ODBC: a file that is not there", u"SqlList",
       [&](PageState& s) {
         s.SqlStrConn = OdbcString(scratch_.path() / "none.db");
         s.StrSql = u"Select 1";
       },
       "zorvadel: /news/list.asp: SqlList: cannot open Driver={SQL server};"
       "Database={}/none.db: [HY000] [SQLite]connect failed"},
      {"Oracle without its driver", u"OracleList",
       [](PageState& s) {
         s.OracleServerName = u"orcl", s.OracleUserId = u"scott", s.OracleUserPwd = u"tiger";
         s.StrSql = u"Select 1 From Dual";
       },
       "zorvadel: /news/list.asp: OracleList: cannot open Driver={microsoft odbc for oracle};"
       "server=orcl: [01000] [unixODBC][Driver Manager]Can't open lib 'microsoft odbc for "
       "oracle' : file not found"},
      {"the visit counter without its table", u"VisitCount",
       [](PageState& s) { s.MdbPath = u"/news.db"; },
       "zorvadel: /news/list.asp: VisitCount: statement failed on /news.db: Insert Into "
       "VisitCount(PhoneNumber,PhoneIp,PhoneUserAgent,PhoneAccept,VisitFile) Values "
       "(?,?,?,?,?): [SQLite] no such table: VisitCount"},
      {"the visit counter without its file", u"VisitCount",
       [](PageState& s) { s.MdbPath = u"/gone.mdb"; },
       "zorvadel: /news/list.asp: VisitCount: cannot open /gone.mdb ({}/gone.mdb): "
       "[Microsoft Access Driver] Could not find file '{}/gone.mdb'."},
      {"MySQL on a dead port", u"MySqlDo",
       [&](PageState& s) {
         s.MySqlServerName = u"127.0.0.1", s.MySqlUserId = u"root", s.MySqlUserPwd = u"tiger";
         s.MySqlOtherConnInfo = u";port=" + dead_port;
         s.StrSql = u"Select 1";
       },
       "zorvadel: /news/list.asp: MySqlDo: cannot open driver={myodbd driver};server=127.0.0.1;"
       "port={port}: [HY000] "},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    DbPage page(scratch_.path(), u"WAP");
    c.set_up(page.state());
    page.Call(c.member, c.args);
    const std::vector<std::string> lines = lines_.Take();
    if (*c.want == '\0') {
      EXPECT_TRUE(lines.empty()) << lines[0];
      continue;
    }
    ASSERT_EQ(lines.size(), 1u);
    const std::string want = Fill(Fill(c.want, "{}", Utf8(folder)), "{port}", Utf8(dead_port));
    // A driver's message may go on with details of its version.
    EXPECT_EQ(lines[0].substr(0, want.size()), want) << lines[0];
    EXPECT_EQ(lines[0].find("tiger"), std::string::npos);
  }
}

TEST_F(FailureLines, AFloodOfTheSameFailureIsOneLine) {
  for (int i = 0; i < 50; ++i) {
    DbPage page(scratch_.path(), u"WAP");
    page.state().MdbPath = u"/gone.mdb";
    page.Call(u"MdbDo", {});
  }
  EXPECT_EQ(lines_.count(), 1u);
}

TEST(FailureLineParts, WhereAConnectionGoesNeverShowsItsPassword) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"Driver={SQL server};Server=db;Uid=sa;Pwd=x;Database=news",
       u"Driver={SQL server};Server=db;Database=news"},
      {u"dsn=;driver={myodbd driver};server=;uid=root;pwd=p;database=;socket=/s;password=q",
       u"driver={myodbd driver};socket=/s"},
      {u"DSN=site;HOST=h;PORT=3307;PWD={a;b}", u"DSN=site;HOST=h;PORT=3307"},
      {u"uid=a;pwd=b", u"(no server named)"},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(failure::WhereTo(text), want);
  EXPECT_EQ(failure::Compose(u"", "", u"cannot open x", u"two\r\nlines"),
            "zorvadel: cannot open x: two lines");
  EXPECT_EQ(failure::Shortened(std::u16string(400, u'a')), std::u16string(300, u'a') + u"...");
}

TEST(MariaDb, FailuresTellTheServersMessage) {
  const char* socket = std::getenv("ZORVADEL_MARIADB_SOCKET");
  if (socket == nullptr) GTEST_SKIP() << "needs the server that run_mariadb.sh starts";
  CapturedLines lines;
  ScratchFolder scratch;
  const std::string where =
      "driver={myodbd driver};database=zorvadel;socket=" + std::string(socket);
  const struct {
    const char16_t* password;
    const char16_t* sql;
    std::string want;
  } cases[] = {
      {u"", u"Select * From Missing",
       "zorvadel: /news/list.asp: MySqlList: statement failed on " + where +
           ": Select * From Missing: [42S02] [ma-"},
      {u"wrong", u"Select 1",
       "zorvadel: /news/list.asp: MySqlList: cannot open " + where + ": [28000] [ma-"},
  };
  for (const auto& c : cases) {
    DbPage page(scratch.path(), u"WAP");
    PageState& s = page.state();
    s.MySqlUserId = u"root";
    s.MySqlUserPwd = c.password;
    s.MySqlDBName = u"zorvadel";
    s.MySqlOtherConnInfo = u";socket=" + codepage::FromUtf8(socket);
    s.StrSql = c.sql;
    page.Call(u"MySqlList", {});
    const std::vector<std::string> got = lines.Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].substr(0, c.want.size()), c.want) << got[0];
    EXPECT_EQ(got[0].find("wrong"), std::string::npos);
  }
}

TEST(JetFile, ABadTableTellsTheReadersMessage) {
  const char* file = std::getenv("ZORVADEL_JET_FILE");
  if (file == nullptr) GTEST_SKIP() << "needs the file that run_jet.sh fetches";
  CapturedLines lines;
  ScratchFolder scratch;
  std::filesystem::copy_file(file, scratch.path() / "monitor.mdb");
  DbPage page(scratch.path(), u"WAP", "/list.asp");
  page.state().MdbPath = u"monitor.mdb";
  page.state().StrSql = u"Select * From Monitor_Missing";
  page.Call(u"MdbList", {});
  // The driver says only that it could not parse the statement; the
  // reader's own lines, which come first, say why, and the failure line
  // carries the first of them.
  std::vector<std::string> got = lines.Take();
  ASSERT_GE(got.size(), 2u);
  EXPECT_NE(got[0].find("Jet reader: Monitor_Missing is not a table"), std::string::npos) << got[0];
  const std::string want = "zorvadel: /list.asp: MdbList: statement failed on monitor.mdb (" +
                           (scratch.path() / "monitor.mdb").string() +
                           "): Select * From Monitor_Missing: [] Couldn't parse SQL (MDBTools: "
                           "Monitor_Missing is not a table in this database)";
  EXPECT_EQ(got.back(), want);
}

}  // namespace
}  // namespace zorvadel::test
