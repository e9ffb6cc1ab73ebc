// A page that walks a query on a SQLite file and writes that file for every
// row it reads, through another connection: the query reads the file as it
// was when it began, each row once, and every write lands. In both journal
// modes, through MdbDo's slot Rs (keyset, as pages open it, and
// forward-only) and through a Recordset opened with a keyset cursor; and
// through the recordset's own connection too.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

struct Loop {
  const char* name;
  std::vector<std::u16string> tables;  // besides T(Id, Done, Pts, Name) of 10 rows
  std::u16string query;                // reads Id first
  std::u16string write;                // "#" stands for the row's Id
  bool in_order;                       // the ids come back 1 to 10, not shuffled
  std::string check;                   // run by the sqlite3 shell afterwards
  std::string checked;
};

const Loop kLoops[] = {
    {"mark each row done", {}, u"Select Id From T Where Done=0 Order By Id",
     u"Update T Set Done=1 Where Id=#", true, "SELECT COUNT(*) FROM T WHERE Done=1;", "10\n"},
    {"raise what is sorted on", {u"CREATE INDEX ByPts ON T (Pts)"},
     u"Select Id From T Order By Pts", u"Update T Set Pts=Pts+100 Where Id=#", true,
     "SELECT COUNT(*) FROM T WHERE Pts = Id * 10 + 100;", "10\n"},
    {"copy each row into the same table", {}, u"Select Id, Name From T Order By Id",
     u"Insert Into T (Done, Pts, Name) Select Done, Pts, Name From T Where Id=#", true,
     "SELECT COUNT(*), COUNT(DISTINCT Name) FROM T;", "20|10\n"},
    {"random order, another table written", {u"CREATE TABLE Seen (Id INTEGER)"},
     u"Select Id From T Order By random()", u"Insert Into Seen Values (#)", false,
     "SELECT COUNT(*), COUNT(DISTINCT Id) FROM Seen;", "10|10\n"},
    // The marks are the page's own: unbound, they read NULL, and no read
    // from a position takes one of them.
    {"unbound marks", {}, u"Select Id, ? As Missing From T Where ? Is Null And Done=0 Order By Id",
     u"Update T Set Done=1 Where Id=#", true, "SELECT COUNT(*) FROM T WHERE Done=1;", "10\n"},
};

// The last two write through the recordset's own connection.
enum class Path { kMdbDoKeyset, kMdbDoForward, kKeysetRecordset, kOneConnection, kOneForward };
constexpr const char* kPathNames[] = {"MdbDo, keyset", "MdbDo, forward-only",
                                      "Recordset, keyset", "keyset, one connection",
                                      "forward-only, one connection"};

std::u16string WithId(std::u16string sql, int32_t id) {
  return Replace(sql, u"#", codepage::FromUtf8(std::to_string(id)));
}

// Walks `loop.query` along `path`, writing for each row; the ids read, in
// order. Stops past 100 reads, a loop that would not end.
// `file` lies in the site folder `root`.
std::vector<int32_t> Walk(const std::filesystem::path& root, const std::filesystem::path& file,
                          const Loop& loop, Path path) {
  std::vector<int32_t> ids;
  auto each_row = [&](ado::Recordset& rs, const std::function<void(const std::u16string&)>& write) {
    while (!rs.AtEOF() && ids.size() < 100) {
      ids.push_back(CLng(rs.FieldValue(0)));
      if (rs.FieldCount() > 1 && loop.query.find(u"Missing") != std::u16string::npos) {
        EXPECT_TRUE(rs.FieldValue(1).IsNull()) << "row " << ids.size();
      }
      write(WithId(loop.write, ids.back()));
      rs.MoveNext();
    }
  };
  if (path >= Path::kKeysetRecordset) {
    auto reader = Connect(AccessString(file));
    const bool keyset = path != Path::kOneForward;
    auto rs = OpenRecordset(reader, loop.query, keyset ? ado::kOpenKeyset : ado::kOpenForwardOnly);
    auto writer = path == Path::kKeysetRecordset ? Connect(AccessString(file)) : reader;
    each_row(*rs, [&](const std::u16string& sql) { Execute(*writer, sql); });
    if (keyset) {
      EXPECT_EQ(rs->RecordCount(), 10);
    }
    return ids;
  }
  DbPage page(root, u"WAP");
  PageState& s = page.state();
  s.MdbPath = u"/" + U16(file.filename());
  if (path == Path::kMdbDoForward) s.DbCursorType = ado::kOpenForwardOnly;
  s.StrSql = loop.query;
  page.Call(u"MdbDo", {});
  std::shared_ptr<ado::Recordset> rs = s.Rs;
  if (!rs || rs->State() != ado::kStateOpen) return ids;
  each_row(*rs, [&](const std::u16string& sql) {
    s.StrSql = sql;
    page.Call(u"MdbDo", {Variant(int16_t{2})});  // a connection of its own
  });
  if (path == Path::kMdbDoKeyset) {
    EXPECT_EQ(rs->RecordCount(), 10);
  }
  return ids;
}

TEST(SqliteSnapshot, ALoopThatWritesWhatItReadsReadsEachRowOnce) {
  for (const bool wal : {false, true}) {
    for (const Loop& loop : kLoops) {
      for (const Path path : {Path::kMdbDoKeyset, Path::kMdbDoForward, Path::kKeysetRecordset,
                              Path::kOneConnection, Path::kOneForward}) {
        SCOPED_TRACE(std::string(wal ? "WAL" : "rollback journal") + ", " + loop.name + ", " +
                     kPathNames[static_cast<int>(path)]);
        ScratchFolder scratch;
        const std::filesystem::path file = scratch.path() / "loop.db";
        std::vector<std::u16string> statements = {
            u"CREATE TABLE T (Id INTEGER PRIMARY KEY, Done INTEGER, Pts INTEGER, Name TEXT)",
            u"WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 10) "
            u"INSERT INTO T SELECT x, 0, x * 10, 'row ' || x FROM n"};
        statements.insert(statements.end(), loop.tables.begin(), loop.tables.end());
        if (wal) statements.insert(statements.begin(), u"PRAGMA journal_mode=WAL");
        MakeDatabase(file, statements);
        std::vector<int32_t> ids = Walk(scratch.path(), file, loop, path);
        if (!loop.in_order) std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        EXPECT_EQ(SqliteShell(file, loop.check), loop.checked);
        auto mode = OpenRecordset(Connect(AccessString(file)), u"PRAGMA journal_mode",
                                  ado::kOpenForwardOnly);
        EXPECT_EQ(CStr(mode->FieldValue(0)), wal ? u"wal" : u"delete");
      }
    }
  }
}

// A list counts and reads one state of the file, whatever is written after
// it began: the page's own write (which a rollback journal's list lets in
// by setting its rows aside), in WAL another program's, and then one through
// the list's own connection, which a WAL snapshot older than the file would
// refuse. The rows set
// aside go with the list: the connection reaches the next page without them.
TEST(SqliteSnapshot, AListCountsAndReadsTheFileAsItWasWhenItBegan) {
  for (const bool wal : {false, true}) {
    SCOPED_TRACE(wal ? "WAL" : "rollback journal");
    ScratchFolder scratch;
    const std::filesystem::path file = scratch.path() / "list.db";
    MakeDatabase(file, NewsTable(10));
    if (wal) SqliteShell(file, "PRAGMA journal_mode=WAL;");
    auto reader = Connect(AccessString(file));
    auto rs = OpenRecordset(reader, u"SELECT Id FROM Zorvadel ORDER BY Id", ado::kOpenKeyset);
    Execute(*Connect(AccessString(file)), u"DELETE FROM Zorvadel WHERE Id <= 5");
    if (wal) {
      int status = -1;
      SqliteShell(file, "INSERT INTO Zorvadel (Title) VALUES ('outside');", &status);
      EXPECT_EQ(status, 0);
    }
    // The list's own connection writes after them all.
    Execute(*reader, u"UPDATE Zorvadel SET Title = 'last' WHERE Id = 10");
    // Setting rows aside is none of the page's changes or inserts.
    auto counted = OpenRecordset(reader, u"SELECT total_changes(), last_insert_rowid()",
                                 ado::kOpenForwardOnly);
    EXPECT_EQ(CLng(counted->FieldValue(0)), 1);
    EXPECT_EQ(CLng(counted->FieldValue(1)), 0);
    counted->Close();
    EXPECT_EQ(rs->RecordCount(), 10);
    rs->SetPageSize(3);
    rs->SetAbsolutePage(4);
    EXPECT_EQ(CLng(rs->FieldValue(0)), 10);
    rs->MoveNext();
    EXPECT_TRUE(rs->AtEOF());
    rs->SetAbsolutePage(1);
    EXPECT_EQ(CLng(rs->FieldValue(0)), 1);
    rs->Close();
    EXPECT_EQ(RowCount(file, u"Zorvadel"), wal ? 6 : 5);
    EXPECT_EQ(SqliteShell(file, "SELECT Title FROM Zorvadel WHERE Id = 10;"), "last\n");
    auto temporary = OpenRecordset(Connect(AccessString(file)),
                                   u"SELECT COUNT(*) FROM sqlite_temp_master", ado::kOpenForwardOnly);
    EXPECT_EQ(CLng(temporary->FieldValue(0)), 0);
  }
}

// A result too large to hold in memory, and a small part of its file, is
// set aside in a temporary table: in a rollback journal at the page's write
// through another connection, in WAL (which holds SQLite's snapshot
// instead) at a write through its own.
TEST(SqliteSnapshot, AResultTooLargeToHoldIsSetAsideAllTheSame) {
  constexpr int32_t kRows = 20000;
  for (const bool wal : {false, true}) {
    for (const int32_t cursor : {ado::kOpenKeyset, ado::kOpenForwardOnly}) {
      SCOPED_TRACE(std::string(wal ? "WAL" : "rollback journal") + ", cursor " +
                   std::to_string(cursor));
      ScratchFolder scratch;
      const std::filesystem::path file = scratch.path() / "large.db";
      std::vector<std::u16string> statements = NewsTable(kRows);
      statements.push_back(u"CREATE TABLE Filler AS SELECT zeroblob(8000000) AS B");
      if (wal) statements.insert(statements.begin(), u"PRAGMA journal_mode=WAL");
      MakeDatabase(file, statements);
      auto reader = Connect(AccessString(file));
      auto rs =
          OpenRecordset(reader, u"SELECT Id, Title, Content FROM Zorvadel ORDER BY Id", cursor);
      rs->MoveNext();
      Execute(*Connect(AccessString(file)), u"DELETE FROM Zorvadel WHERE Id > 10");
      Execute(*reader, u"UPDATE Zorvadel SET Title = 'first' WHERE Id = 1");
      // Past what memory holds: in a table of the connection's own.
      auto spools = OpenRecordset(reader, u"SELECT COUNT(*) FROM sqlite_temp_master",
                                  ado::kOpenForwardOnly);
      EXPECT_EQ(CLng(spools->FieldValue(0)), 1);
      spools->Close();
      int32_t read = 1;
      for (; !rs->AtEOF(); rs->MoveNext()) {
        ++read;
        ASSERT_EQ(CStr(rs->FieldValue(1)), u"Title " + CStr(Variant(read)));
      }
      EXPECT_EQ(read, kRows);
      if (cursor == ado::kOpenKeyset) {
        EXPECT_EQ(rs->RecordCount(), kRows);
        rs->MoveFirst();
        EXPECT_EQ(CStr(rs->FieldValue(1)), u"Title 1");
      }
      rs->Close();
      EXPECT_EQ(CLng(OpenRecordset(reader, u"SELECT COUNT(*) FROM sqlite_temp_master",
                                   ado::kOpenForwardOnly)
                         ->FieldValue(0)),
                0);
      EXPECT_EQ(SqliteShell(file, "SELECT COUNT(*), MAX(Title) FROM Zorvadel;"), "10|first\n");
    }
  }
}

// SQLite's temporary files that the process holds open: no longer in any
// folder from the moment they open, under SQLite's own prefix.
int TemporaryFilesOpen() {
  int open = 0;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
    if (!error && target.ends_with(" (deleted)") && target.find("/etilqs_") != std::string::npos) {
      ++open;
    }
  }
  return open;
}

// A list whose result is most of a file too large to hold in memory copies
// the file's pages, not its rows, before the file is written: no table of
// its connection's, a temporary file while it is open, none once it closes;
// its rows, before the write and after it, as they were. A query that asks
// its connection's own counts, or on a connection whose temporary tables
// may hide the file's, sets its rows aside as before.
TEST(SqliteSnapshot, AListThatIsMostOfItsFileCopiesTheFilesPages) {
  constexpr int32_t kRows = 60000;  // a file past the copy's page cache
  struct Case {
    bool wal;
    bool own_write;  // in WAL only a write through the list's own connection sets rows aside
    const char16_t* query;
    const char16_t* before;  // run on the list's connection first, when not null
    std::u16string title;    // of row N: this, then N
    int temporary;  // tables of the connection's own while the list is open after the write
  };
  const Case kCases[] = {
      {false, false, u"SELECT Id, Title, Content FROM Zorvadel ORDER BY Id", nullptr, u"Title ",
       0},
      {true, true, u"SELECT Id, Title, Content FROM Zorvadel", nullptr, u"Title ", 0},
      {false, false, u"SELECT Id, Title, changes() AS C FROM Zorvadel", nullptr, u"Title ", 1},
      {false, false, u"SELECT Id, Title, Content FROM Zorvadel",
       u"CREATE TEMP TABLE Zorvadel AS SELECT Id, 'Temp ' || Id AS Title, Content "
       u"FROM main.Zorvadel",
       u"Temp ", 2},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.wal ? "WAL" : "rollback journal") + ", " +
                 codepage::ToUtf8(c.query));
    ScratchFolder scratch;
    const std::filesystem::path file = scratch.path() / "most.db";
    std::vector<std::u16string> statements = NewsTable(kRows);
    if (c.wal) statements.insert(statements.begin(), u"PRAGMA journal_mode=WAL");
    MakeDatabase(file, statements);
    auto reader = Connect(AccessString(file));
    if (c.before != nullptr) Execute(*reader, c.before);
    auto writer = c.own_write ? reader : Connect(AccessString(file));
    const int temporary_before = TemporaryFilesOpen();
    auto rs = OpenRecordset(reader, c.query, ado::kOpenKeyset);
    rs->SetPageSize(20);
    rs->SetAbsolutePage(2900);
    EXPECT_EQ(CStr(rs->FieldValue(1)), c.title + u"57981");
    Execute(*writer, u"DELETE FROM Zorvadel WHERE Id > 10");
    Execute(*writer, u"UPDATE Zorvadel SET Title = 'first' WHERE Id = 1");
    EXPECT_EQ(CLng(OpenRecordset(reader, u"SELECT COUNT(*) FROM sqlite_temp_master",
                                 ado::kOpenForwardOnly)
                       ->FieldValue(0)),
              c.temporary);
    if (c.temporary == 0) {
      EXPECT_GT(TemporaryFilesOpen(), temporary_before);
    }
    EXPECT_EQ(rs->RecordCount(), kRows);
    rs->MoveNext();
    EXPECT_EQ(CStr(rs->FieldValue(1)), c.title + u"57982");
    rs->SetAbsolutePage(3000);
    EXPECT_EQ(CStr(rs->FieldValue(1)), c.title + u"59981");
    rs->SetAbsolutePage(1);
    EXPECT_EQ(CStr(rs->FieldValue(1)), c.title + u"1");
    rs->Close();
    // A spool's file is its connection's, until the connection closes.
    if (c.temporary == 0) {
      EXPECT_EQ(TemporaryFilesOpen(), temporary_before);
    }
    EXPECT_EQ(SqliteShell(file, "SELECT COUNT(*), MAX(Title) FROM Zorvadel;"), "10|first\n");
  }
}

}  // namespace
}  // namespace zorvadel::test
