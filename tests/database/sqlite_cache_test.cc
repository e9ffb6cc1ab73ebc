// A thread's pages share open SQLite handles: every page must still see the
// file as a page with a handle of its own would, whatever happened to the
// file between two pages, and whatever the page before did to its handle.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

std::u16string Number(int n) { return codepage::FromUtf8(std::to_string(n)); }

// What one page reads of the demo's table, through a connection of its own
// that it closes at the end, as the database members do.
struct View {
  int32_t error = 0;  // of the open or the statement
  int32_t rows = 0;
  std::u16string first_title;
  int32_t fields = 0;
  bool operator==(const View&) const = default;
};
std::ostream& operator<<(std::ostream& out, const View& v) {
  return out << "{error " << v.error << ", rows " << v.rows << ", \""
             << codepage::ToUtf8(v.first_title) << "\", fields " << v.fields << "}";
}

View ReadPage(const std::filesystem::path& file) {
  View view;
  view.error = ErrorOf([&] {
    auto connection = Connect(AccessString(file));
    auto rs = OpenRecordset(connection, u"SELECT * FROM Zorvadel ORDER BY Id", ado::kOpenKeyset);
    view.rows = rs->RecordCount();
    view.first_title = CStr(rs->FieldValue(1));
    view.fields = rs->FieldCount();
    rs->Close();
    connection->Close();
  });
  return view;
}

// One page that runs `statements` on its own connection; the error of the
// first that fails.
int32_t RunPage(const std::filesystem::path& file, const std::vector<std::u16string>& statements) {
  return ErrorOf([&] {
    auto connection = Connect(AccessString(file));
    for (const std::u16string& sql : statements) Execute(*connection, sql);
    connection->Close();
  });
}

// The text of the first value `sql` gives on a page of its own, or "error".
std::u16string ValueOnPage(const std::filesystem::path& file, const std::u16string& sql) {
  std::u16string value = u"error";
  ErrorOf([&] {
    auto connection = Connect(AccessString(file));
    value = CStr(OpenRecordset(connection, sql, ado::kOpenForwardOnly)->FieldValue(0));
  });
  return value;
}

// `sql` run on the file by the sqlite3 shell: a writer in another process.
void ShellWrites(const std::filesystem::path& file, const std::string& sql) {
  const std::string command = "sqlite3 '" + file.string() + "' \"" + sql + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

TEST(SqliteKeptHandles, EachPageSeesTheFileAsItIsNow) {
  struct Change {
    const char* what;
    std::function<void(const std::filesystem::path& file, const std::filesystem::path& folder)>
        make;
    View seen;
    // Made while a page has the file open, so that the file looks the same
    // from the time its handle is let go.
    bool while_open = false;
  };
  const Change changes[] = {
      {"rows written by another process",
       [](const auto& file, const auto&) {
         ShellWrites(file,
                     "UPDATE Zorvadel SET Title = 'Changed' WHERE Id = 1;"
                     "INSERT INTO Zorvadel VALUES (11, 'Title 11', 'Content 11');");
       },
       {0, 11, u"Changed", 3}},
      {"a column added by another process while a page reads",
       [](const auto& file, const auto&) {
         ShellWrites(file, "ALTER TABLE Zorvadel ADD COLUMN Extra TEXT");
       },
       {0, 10, u"Title 1", 4}, true},
      {"a file renamed over it",
       [](const auto& file, const auto& folder) {
         MakeDatabase(folder / "new.db", NewsTable(3));
         std::filesystem::rename(folder / "new.db", file);
       },
       {0, 3, u"Title 1", 3}},
      {"deleted and made anew",
       [](const auto& file, const auto&) {
         std::filesystem::remove(file);
         MakeDatabase(file, NewsTable(5));
       },
       {0, 5, u"Title 1", 3}},
      // The same statements made it, so its header counts as many changes
      // and pages as the old file's: only the rows differ.
      {"another database written over it in place",
       [](const auto& file, const auto& folder) {
         std::vector<std::u16string> statements = NewsTable(10);
         statements[1] = Replace(statements[1], u"'Title '", u"'Other '");
         MakeDatabase(folder / "other.db", statements);
         std::ifstream in(folder / "other.db", std::ios::binary);
         const std::string bytes((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
         std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
       },
       {0, 10, u"Other 1", 3}},
      {"deleted", [](const auto& file, const auto&) { std::filesystem::remove(file); },
       {ado::kErrProvider, 0, u"", 0}},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    ScratchFolder scratch;
    const std::filesystem::path file = scratch.path() / "news.db";
    MakeDatabase(file, NewsTable(10));
    // Two pages at once leave two idle handles; the one let go last is
    // taken first.
    auto held = Connect(AccessString(file));
    EXPECT_EQ(CStr(OpenRecordset(held, u"SELECT Title FROM Zorvadel", ado::kOpenForwardOnly)
                       ->FieldValue(0)),
              u"Title 1");
    ASSERT_EQ(ReadPage(file), (View{0, 10, u"Title 1", 3}));
    if (change.while_open) change.make(file, scratch.path());
    held->Close();
    if (!change.while_open) change.make(file, scratch.path());
    EXPECT_EQ(ReadPage(file), change.seen);
    EXPECT_EQ(ReadPage(file), change.seen);
  }
}

TEST(SqliteKeptHandles, WhatAPageDidToItsHandleStaysWithThatPage) {
  struct Case {
    const char* what;
    std::vector<std::u16string> first_page;
    std::u16string next_page;  // a query
    std::u16string value;
  };
  const Case cases[] = {
      {"a temporary table", {u"CREATE TEMP TABLE Mine (x)", u"INSERT INTO Mine VALUES (1)"},
       u"SELECT COUNT(*) FROM temp.Mine", u"error"},
      {"a transaction left open",
       {u"BEGIN", u"INSERT INTO Zorvadel VALUES (11, 'Title 11', 'Content 11')"},
       u"SELECT COUNT(*) FROM Zorvadel", u"10"},
      {"a handle made read-only", {u"PRAGMA query_only = 1"}, u"PRAGMA query_only", u"0"},
      {"another file attached", {u"ATTACH DATABASE ':memory:' AS Side"},
       u"SELECT COUNT(*) FROM pragma_database_list WHERE name = 'Side'", u"0"},
      {"the id of an inserted row",
       {u"INSERT INTO Zorvadel VALUES (11, 'Title 11', 'Content 11')"},
       u"SELECT last_insert_rowid()", u"0"},
      {"the rows its last statement changed",
       {u"UPDATE Zorvadel SET Title = Title WHERE Id <= 5"}, u"SELECT changes()", u"0"},
      {"the rows all its statements changed",
       {u"UPDATE Zorvadel SET Title = Title WHERE Id <= 5"}, u"SELECT total_changes()", u"0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder scratch;
    const std::filesystem::path file = scratch.path() / "news.db";
    MakeDatabase(file, NewsTable(10));
    ASSERT_EQ(RunPage(file, c.first_page), 0);
    EXPECT_EQ(ValueOnPage(file, c.next_page), c.value);
    // Nothing of the first page keeps the file from being written.
    EXPECT_EQ(RunPage(file, {u"UPDATE Zorvadel SET Title = 'Written' WHERE Id = 2"}), 0);
  }
}

TEST(SqliteKeptHandles, APageThatChangesTheSchemaReadsTheNewOneAtOnce) {
  ScratchFolder scratch;
  const std::filesystem::path file = scratch.path() / "news.db";
  MakeDatabase(file, NewsTable(10));
  ASSERT_EQ(ReadPage(file).fields, 3);
  auto connection = Connect(AccessString(file));
  const std::u16string all = u"SELECT * FROM Zorvadel";
  EXPECT_EQ(OpenRecordset(connection, all, ado::kOpenForwardOnly)->FieldCount(), 3);
  EXPECT_EQ(OpenRecordset(connection, all, ado::kOpenKeyset)->FieldCount(), 3);
  Execute(*connection, u"ALTER TABLE Zorvadel ADD COLUMN Extra TEXT DEFAULT 'x'");
  for (int32_t cursor : {ado::kOpenForwardOnly, ado::kOpenKeyset}) {
    auto rs = OpenRecordset(connection, all, cursor);
    EXPECT_EQ(rs->FieldCount(), 4);
    EXPECT_EQ(CStr(rs->FieldValue(3)), u"x");
  }
  connection->Close();
  EXPECT_EQ(ReadPage(file).fields, 4);
}

TEST(SqliteKeptHandles, ManyThreadsReadTheirOwnRowsWhileOneWrites) {
  ScratchFolder scratch;
  const std::filesystem::path file = scratch.path() / "news.db";
  std::vector<std::u16string> statements = NewsTable(40);
  statements.push_back(u"CREATE TABLE Visits (Id INTEGER PRIMARY KEY)");
  MakeDatabase(file, statements);
  constexpr int kReaders = 8, kPages = 150, kVisits = 60;
  // A page that waited out the lock wait of a busy file fails, as it may on
  // a loaded machine; a page that reads must read right.
  std::atomic<int> wrong{0}, written{0};
  std::vector<std::thread> threads;
  threads.emplace_back([&] {
    for (int i = 1; i <= kVisits; ++i) {
      if (RunPage(file, {u"INSERT INTO Visits VALUES (" + Number(i) + u")"}) == 0) ++written;
    }
  });
  for (int t = 0; t < kReaders; ++t) {
    threads.emplace_back([&, t] {
      long long visits = 0;
      for (int i = 0; i < kPages; ++i) {
        const int id = (t * 7 + i) % 40 + 1;
        const std::u16string title =
            ValueOnPage(file, u"SELECT Title FROM Zorvadel WHERE Id = " + Number(id));
        if (title != u"error" && title != u"Title " + Number(id)) ++wrong;
        // A page never sees fewer visits than a page before it saw.
        const std::u16string count = ValueOnPage(file, u"SELECT COUNT(*) FROM Visits");
        if (count == u"error") continue;
        if (std::stoll(codepage::ToUtf8(count)) < visits) ++wrong;
        visits = std::max(visits, std::stoll(codepage::ToUtf8(count)));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_GT(written.load(), 0);
  EXPECT_EQ(ValueOnPage(file, u"SELECT COUNT(*) FROM Visits"), Number(written.load()));
}

}  // namespace
}  // namespace zorvadel::test
