// A SQLite file that pages write while other pages, the file members, the
// picture component or the static files open it too: SQLite's locks must
// hold throughout, or writers of other processes get in mid-transaction and
// the file is corrupted.
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "database/database_test_util.h"
#include "platform/fso/read_file.h"
#include "platform/fso/regular_file.h"
#include "platform/fso/sqlite_neighbours.h"
#include "platform/image/jpeg.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

// What the sqlite3 shell, another process, prints running `sql`, with its
// exit status at the end ("exit 0").
std::string Shell(const std::filesystem::path& file, const std::string& sql) {
  int status = 0;
  std::string out = SqliteShell(file, sql, &status);
  return out + "exit " + std::to_string(status);
}

// Whether a writer of another process is kept out, as the lock of a
// transaction in progress must keep it.
bool OutsideWriterRefused(const std::filesystem::path& file) {
  return Shell(file, "BEGIN IMMEDIATE; ROLLBACK;").find("database is locked") != std::string::npos;
}

void ReadThrough(fso::InputFile file) {
  uint8_t block[4096];
  while (file.Read(block, sizeof(block)) > 0) {
  }
}

// The static files' look at a file of SQLite's: told by its first bytes,
// and never lent to a library that would close it.
void LookAsStaticFile(const std::string& path) {
  const fso::RegularFile served(path);
  char head[fso::kSqliteHeadSize];
  const ptrdiff_t got = served.ReadAt(head, sizeof(head), 0);
  EXPECT_TRUE(got > 0 && fso::StartsAsSqliteFile(head, static_cast<size_t>(got)));
  EXPECT_FALSE(fso::LendDescriptor(served.descriptor()));
}

TEST(SqliteLocks, NothingElseThatOpensTheFileDropsAWritersLock) {
  using Neighbour = std::function<void(const std::filesystem::path&)>;
  struct Case {
    const char* what;
    bool wal;
    Neighbour neighbour;
  };
  const Neighbour second_page = [](const std::filesystem::path& file) {
    EXPECT_EQ(RowCount(file, u"T"), 0);
  };
  const Case cases[] = {
      {"another page's connection", false, second_page},
      {"another page's connection, WAL", true, second_page},
      {"a file member", false, [](auto& file) { ReadThrough(fso::InputFile(U16(file))); }},
      {"a file member on the shared memory, WAL", true,
       [](auto& file) { ReadThrough(fso::InputFile(U16(file) + u"-shm")); }},
      {"a picture", false,
       [](auto& file) {
         auto picture = std::make_shared<image::Jpeg>();
         EXPECT_NE(ErrorOf([&] { picture->Open(U16(file)); }), 0);
       }},
      {"a static file", false, [](auto& file) { LookAsStaticFile(file.string()); }},
      {"a static file on the shared memory, WAL", true,
       [](auto& file) { LookAsStaticFile(file.string() + "-shm"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder scratch;
    const std::filesystem::path file = scratch.path() / "busy.db";
    MakeDatabase(file, {u"CREATE TABLE T (n INTEGER)"});
    if (c.wal) {
      ASSERT_EQ(Shell(file, "PRAGMA journal_mode=WAL;"), "wal\nexit 0");
    }
    auto writer = Connect(AccessString(file));
    Execute(*writer, u"BEGIN");
    Execute(*writer, u"INSERT INTO T VALUES (1)");
    ASSERT_TRUE(OutsideWriterRefused(file));
    // From another thread: a thread's kept handles are its own.
    std::thread([&] { c.neighbour(file); }).join();
    EXPECT_TRUE(OutsideWriterRefused(file));
    Execute(*writer, u"COMMIT");
    writer->Close();
    EXPECT_EQ(Shell(file, "PRAGMA integrity_check; SELECT COUNT(*) FROM T;"), "ok\n1\nexit 0");
  }
}

// A descriptor lent to a library that closes it itself, on a file that
// SQLite opens only afterwards: the library's close, midway through a
// write, must drop no lock. A loan on another file is left as it was.
TEST(SqliteLocks, ALoanEndsWhenSqliteOpensTheFile) {
  struct Case {
    const char* what;
    bool database;      // a database already, or an empty file SQLite makes one
    bool another_open;  // SQLite has another file open while the loan is made
  };
  const Case cases[] = {
      {"a database", true, false},
      {"a database, SQLite having another file open", true, true},
      {"an empty file that SQLite makes a database", false, false},
      {"an empty file, SQLite having another file open", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder scratch;
    const std::filesystem::path file = scratch.path() / "late.db";
    const std::filesystem::path other = scratch.path() / "other.db";
    const std::filesystem::path page = scratch.path() / "page.txt";
    ASSERT_EQ(Shell(other, "CREATE TABLE T (n INTEGER);"), "exit 0");
    if (c.database) {
      ASSERT_EQ(Shell(file, "CREATE TABLE T (n INTEGER);"), "exit 0");
    } else {
      std::ofstream(file).close();
    }
    std::ofstream(page) << "text";
    std::shared_ptr<ado::Connection> holder;
    if (c.another_open) holder = Connect(AccessString(other));
    fso::RegularFile served(file.string(), fso::RegularFile::Use::kSend);
    ASSERT_TRUE(fso::LendDescriptor(served.descriptor(), served.device(), served.inode()));
    const int lent = served.Release();
    fso::RegularFile bystander(page.string(), fso::RegularFile::Use::kSend);
    ASSERT_TRUE(fso::LendDescriptor(bystander.descriptor()));
    auto writer = Connect(AccessString(file));
    if (!c.database) Execute(*writer, u"CREATE TABLE T (n INTEGER)");
    Execute(*writer, u"BEGIN");
    Execute(*writer, u"INSERT INTO T VALUES (1)");
    ASSERT_TRUE(OutsideWriterRefused(file));
    char byte;
    EXPECT_EQ(::pread(lent, &byte, 1, 0), 0);  // what it was sending ends
    EXPECT_EQ(::pread(bystander.descriptor(), &byte, 1, 0), 1);
    fso::EndLoan(lent);  // ended already: nothing more
    ::close(lent);
    EXPECT_TRUE(OutsideWriterRefused(file));
    // A loan is not made while SQLite has the file open.
    const fso::RegularFile again(file.string(), fso::RegularFile::Use::kSend);
    EXPECT_FALSE(fso::LendDescriptor(again.descriptor(), again.device(), again.inode()));
    fso::EndLoan(bystander.descriptor());
    EXPECT_EQ(::pread(bystander.descriptor(), &byte, 1, 0), 0);  // on /dev/null now
    Execute(*writer, u"COMMIT");
    writer->Close();
    if (holder != nullptr) holder->Close();
    EXPECT_EQ(Shell(file, "PRAGMA integrity_check; SELECT COUNT(*) FROM T;"), "ok\n1\nexit 0");
  }
}

TEST(SqliteLocks, PagesAndAnOutsideWriterLoseNoRow) {
  constexpr int kThreads = 8;
  constexpr int kPagesEach = 150;
  constexpr int kOutside = 200;
  ScratchFolder scratch;
  const std::filesystem::path file = scratch.path() / "visits.db";
  MakeDatabase(file, {u"CREATE TABLE T (who TEXT, n INTEGER)"});
  // The shell's rows, each printed once SQLite has acknowledged it; the
  // first that fails ends the list.
  const std::string outside =
      "for i in $(seq " + std::to_string(kOutside) +
      "); do echo \"INSERT INTO T VALUES ('shell', $i); SELECT $i;\"; done | "
      "sqlite3 -bail -cmd '.timeout 30000' '" + file.string() + "' 2>/dev/null";
  FILE* shell = popen(outside.c_str(), "r");
  std::atomic<int> failed{0};
  std::vector<std::thread> pages;
  for (int t = 0; t < kThreads; ++t) {
    pages.emplace_back([&, t] {
      for (int i = 0; i < kPagesEach; ++i) {
        const int n = t * kPagesEach + i;
        const int32_t error = ErrorOf([&] {
          auto connection = Connect(AccessString(file));
          Execute(*connection, u"INSERT INTO T VALUES ('page', " +
                                   codepage::FromUtf8(std::to_string(n)) + u")");
          connection->Close();
          // A member reading the file beside the writers.
          if (i % 10 == 0) ReadThrough(fso::InputFile(U16(file)));
        });
        if (error != 0) ++failed;
      }
    });
  }
  for (std::thread& page : pages) page.join();
  std::set<int> acknowledged;
  int n = 0;
  while (fscanf(shell, "%d", &n) == 1) acknowledged.insert(n);
  pclose(shell);
  EXPECT_EQ(failed.load(), 0);
  EXPECT_EQ(Shell(file, "PRAGMA integrity_check;"), "ok\nexit 0");
  EXPECT_EQ(Shell(file, "SELECT COUNT(*), COUNT(DISTINCT n) FROM T WHERE who = 'page';"),
            std::to_string(kThreads * kPagesEach) + "|" + std::to_string(kThreads * kPagesEach) +
                "\nexit 0");
  EXPECT_EQ(Shell(file, "SELECT COUNT(*) FROM T WHERE who = 'shell';"),
            std::to_string(acknowledged.size()) + "\nexit 0");
  EXPECT_GT(acknowledged.size(), 0u);
}

TEST(SqliteLocks, APageCountsTheChangesItMadeItself) {
  ScratchFolder scratch;
  const std::filesystem::path file = scratch.path() / "news.db";
  MakeDatabase(file, NewsTable(10));
  // The second page runs on the handle the first kept.
  for (const int rows : {5, 2}) {
    auto connection = Connect(AccessString(file));
    Execute(*connection, u"UPDATE Zorvadel SET Title = Title WHERE Id <= " +
                             codepage::FromUtf8(std::to_string(rows)));
    auto counts = OpenRecordset(connection, u"SELECT changes(), total_changes()", 0);
    EXPECT_EQ(CStr(counts->FieldValue(0)), codepage::FromUtf8(std::to_string(rows)));
    EXPECT_EQ(CStr(counts->FieldValue(1)), codepage::FromUtf8(std::to_string(rows)));
    connection->Close();
  }
}

}  // namespace
}  // namespace zorvadel::test
