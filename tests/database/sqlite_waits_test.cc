// A page that reads a SQLite file and then writes it, or that waits for a
// file another page holds: its write lands at once, and no wait that could
// never end is begun.
#include <sys/wait.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

using Clock = std::chrono::steady_clock;
// Far below the 30 s a statement may wait: a wait that is not begun.
constexpr auto kAtOnce = std::chrono::seconds(10);
constexpr const char* kLockedByOwnTransaction =
    "[SQLite] database is locked by a transaction of this page on another connection";

// The description of what `call` raises; "" when it raises nothing.
std::string Raised(const std::function<void()>& call) {
  try {
    call();
  } catch (const ScriptError& e) {
    return codepage::ToUtf8(e.description());
  }
  return "";
}

// Two pages that go on together at each Meet.
class Rendezvous {
 public:
  void Meet() {
    std::unique_lock lock(mutex_);
    const int round = ++arrived_ / 2;
    if (arrived_ % 2 == 0) {
      met_.notify_all();
    } else {
      met_.wait_for(lock, std::chrono::seconds(20), [&] { return arrived_ / 2 > round; });
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable met_;
  int arrived_ = 0;
};

void MakeNews(const std::filesystem::path& file, bool wal) {
  MakeDatabase(file, {u"CREATE TABLE news (Id INTEGER PRIMARY KEY, Title TEXT, Hits INTEGER)",
                      u"INSERT INTO news VALUES (1, 'one', 0), (2, 'two', 0), (3, 'three', 0)"});
  if (wal) SqliteShell(file, "PRAGMA journal_mode=WAL;");
}

TEST(SqliteWaits, APageWritesTheFileItHasAQueryOpenOn) {
  struct Case {
    bool wal;
    int32_t cursor;  // forward-only (0) or keyset (1)
    int updates;
  };
  for (const Case c : {Case{false, 1, 1}, Case{false, 1, 3}, Case{false, 0, 1}, Case{false, 0, 3},
                       Case{true, 1, 1}, Case{true, 0, 3}}) {
    SCOPED_TRACE(std::string(c.wal ? "WAL" : "rollback journal") + ", cursor " +
                 std::to_string(c.cursor) + ", updates " + std::to_string(c.updates));
    ScratchFolder scratch;
    const std::filesystem::path file = scratch.path() / "news.db";
    MakeNews(file, c.wal);
    auto reads = OpenRecordset(Connect(AccessString(file)),
                               u"SELECT Id, Title, Hits FROM news ORDER BY Id", c.cursor);
    ASSERT_EQ(CStr(reads->FieldValue(1)), u"one");
    const auto start = Clock::now();
    for (int i = 0; i < c.updates; ++i) {
      // Each statement on a connection of its own, as each opener makes one.
      EXPECT_EQ(Raised([&] {
                  Execute(*Connect(AccessString(file)),
                          u"UPDATE news SET Hits = Hits + 1 WHERE Id = 1");
                }),
                "");
    }
    EXPECT_EQ(Raised([&] {
                Execute(*Connect(AccessString(file)),
                        u"UPDATE news SET Title = 'TWO' WHERE Id = 2");
              }),
              "");
    EXPECT_LT(Clock::now() - start, kAtOnce);
    // The query reads on from its position, in the file as it was when the
    // query began; the writes are in the file.
    reads->MoveNext();
    EXPECT_EQ(CStr(reads->FieldValue(1)), u"two");
    reads->MoveNext();
    EXPECT_EQ(CStr(reads->FieldValue(1)), u"three");
    reads->MoveNext();
    EXPECT_TRUE(reads->AtEOF());
    EXPECT_EQ(SqliteShell(file, "SELECT Hits FROM news WHERE Id = 1;"), std::to_string(c.updates) + "\n");
    EXPECT_EQ(SqliteShell(file, "SELECT Title FROM news WHERE Id = 2;"), "TWO\n");
  }
}

TEST(SqliteWaits, TwoPagesReadingAFileBothWriteIt) {
  ScratchFolder scratch;
  const std::filesystem::path file = scratch.path() / "news.db";
  MakeNews(file, false);
  Rendezvous rendezvous;
  std::string raised[2];
  const auto start = Clock::now();
  auto page = [&](int n) {
    raised[n] = Raised([&] {
      auto reads = OpenRecordset(Connect(AccessString(file)), u"SELECT Id FROM news", 1);
      rendezvous.Meet();  // both hold a query open
      Execute(*Connect(AccessString(file)), u"UPDATE news SET Hits = Hits + 1 WHERE Id = 1");
      reads->MoveNext();
      reads->MoveNext();
      if (CStr(reads->FieldValue(0)) != u"3") throw ScriptError(5, u"lost its place");
    });
  };
  std::thread first(page, 0), second(page, 1);
  first.join();
  second.join();
  EXPECT_EQ(raised[0], "");
  EXPECT_EQ(raised[1], "");
  EXPECT_LT(Clock::now() - start, kAtOnce);
  EXPECT_EQ(SqliteShell(file, "SELECT Hits FROM news WHERE Id = 1;"), "2\n");
}

TEST(SqliteWaits, AWriteBehindThePagesOwnTransactionFailsAtOnce) {
  ScratchFolder scratch;
  const std::filesystem::path file = scratch.path() / "news.db";
  MakeNews(file, false);
  auto first = Connect(AccessString(file));
  auto second = Connect(AccessString(file));
  Execute(*first, u"BEGIN");
  Execute(*first, u"UPDATE news SET Hits = 1 WHERE Id = 1");
  const auto start = Clock::now();
  EXPECT_EQ(Raised([&] { Execute(*second, u"UPDATE news SET Hits = 2 WHERE Id = 2"); }),
            kLockedByOwnTransaction);
  EXPECT_LT(Clock::now() - start, kAtOnce);
  Execute(*first, u"COMMIT");
  EXPECT_EQ(Raised([&] { Execute(*second, u"UPDATE news SET Hits = 2 WHERE Id = 2"); }), "");
  EXPECT_EQ(SqliteShell(file, "SELECT SUM(Hits) FROM news;"), "3\n");
}

TEST(SqliteWaits, PagesThatWaitForEachOtherEndAtOnceAllOrNothing) {
  ScratchFolder scratch;
  const std::filesystem::path files[2] = {scratch.path() / "a.db", scratch.path() / "b.db"};
  for (const auto& file : files) MakeDatabase(file, {u"CREATE TABLE T (who TEXT)"});
  Rendezvous rendezvous;
  std::string raised[2];
  const auto start = Clock::now();
  // Page n writes file n in a transaction, then the other file.
  auto page = [&](int n) {
    const std::u16string row =
        n == 0 ? u"INSERT INTO T VALUES ('first')" : u"INSERT INTO T VALUES ('second')";
    raised[n] = Raised([&] {
      auto own = Connect(AccessString(files[n]));
      Execute(*own, u"BEGIN");
      Execute(*own, row);
      rendezvous.Meet();
      const std::string other = Raised([&] { Execute(*Connect(AccessString(files[1 - n])), row); });
      Execute(*own, u"COMMIT");
      if (!other.empty()) throw ScriptError(5, codepage::FromUtf8(other));
    });
  };
  std::thread first(page, 0), second(page, 1);
  first.join();
  second.join();
  EXPECT_LT(Clock::now() - start, kAtOnce);
  // One page went on; the other failed at once and left nothing behind.
  const int failed = raised[0].empty() ? 1 : 0;
  EXPECT_TRUE(raised[1 - failed].empty());
  EXPECT_NE(raised[failed], "");
  const std::string who = failed == 0 ? "second" : "first";
  for (const auto& file : files) {
    EXPECT_EQ(SqliteShell(file, "SELECT group_concat(who) FROM T;"), who + "\n");
  }
}

TEST(SqliteWaits, APageAfterOneRolledBackInACycleStartsAfresh) {
  ScratchFolder scratch;
  const std::filesystem::path files[2] = {scratch.path() / "a.db", scratch.path() / "b.db"};
  for (const auto& file : files) MakeDatabase(file, {u"CREATE TABLE T (who TEXT)"});
  Rendezvous rendezvous;
  std::string raised[2], next[2];
  // Page n writes file n in a transaction, then the other file, and ends
  // there, its transaction never ended; the thread's next page writes
  // file n again, on the handle the first one left.
  auto pages = [&](int n) {
    raised[n] = Raised([&] {
      auto own = Connect(AccessString(files[n]));
      Execute(*own, u"BEGIN");
      Execute(*own, u"INSERT INTO T VALUES ('first')");
      rendezvous.Meet();
      Execute(*Connect(AccessString(files[1 - n])), u"INSERT INTO T VALUES ('first')");
      Execute(*own, u"COMMIT");
    });
    rendezvous.Meet();
    next[n] = Raised([&] {
      auto own = Connect(AccessString(files[n]));
      Execute(*own, u"BEGIN");
      Execute(*own, u"INSERT INTO T VALUES ('next')");
      Execute(*own, u"COMMIT");
    });
  };
  std::thread first(pages, 0), second(pages, 1);
  first.join();
  second.join();
  EXPECT_NE(raised[0].empty(), raised[1].empty());
  EXPECT_EQ(next[0], "");
  EXPECT_EQ(next[1], "");
  // The page refused left nothing; the other, a row in each file.
  for (const auto& file : files) {
    EXPECT_EQ(SqliteShell(file, "SELECT group_concat(who) FROM T ORDER BY who;"), "first,next\n");
  }
}

// Another program writing `file` in `transactions` short transactions, as
// the sqlite3 shell runs them; ended and waited for on destruction.
class OutsideWriter {
 public:
  OutsideWriter(const std::filesystem::path& file, int transactions) {
    const std::string script =
        "for i in $(seq " + std::to_string(transactions) +
        "); do echo \"BEGIN IMMEDIATE; INSERT INTO news (Title) VALUES ('outside'); COMMIT;\"; "
        "done | sqlite3 -cmd '.timeout 30000' '" + file.string() + "' >/dev/null 2>&1";
    shell_ = popen(script.c_str(), "r");
  }
  ~OutsideWriter() { pclose(shell_); }

 private:
  FILE* shell_;
};

TEST(SqliteWaits, ReadsBesideAnUnwrittenTransactionWaitForAnotherProgramsWrites) {
  for (const bool wal : {false, true}) {
    SCOPED_TRACE(wal ? "WAL" : "rollback journal");
    ScratchFolder scratch;
    const std::filesystem::path file = scratch.path() / "news.db";
    MakeNews(file, wal);
    auto own = Connect(AccessString(file));
    // Deferred: it holds nothing until it reads or writes.
    Execute(*own, u"BEGIN");
    auto kept = Connect(AccessString(file));
    int refused = 0;
    std::string why;
    {
      const OutsideWriter outside(file, 300);
      const auto end = Clock::now() + std::chrono::seconds(1);
      for (int i = 0; Clock::now() < end; ++i) {
        const std::string raised = Raised([&] {
          // On a connection kept open, and on new ones, whose Open reads too.
          auto connection = i % 2 == 0 ? kept : Connect(AccessString(file));
          OpenRecordset(connection, u"SELECT COUNT(*) FROM news", 0)->FieldValue(0);
        });
        if (!raised.empty()) {
          ++refused;
          why = raised;
        }
      }
    }
    EXPECT_EQ(refused, 0) << why;
    EXPECT_EQ(SqliteShell(file, "SELECT COUNT(*) FROM news WHERE Title = 'outside';"), "300\n");
    // The transaction still writes, and its row lands with the others'.
    Execute(*own, u"INSERT INTO news (Title) VALUES ('own')");
    Execute(*own, u"COMMIT");
    EXPECT_EQ(SqliteShell(file, "SELECT COUNT(*) FROM news WHERE Title = 'own';"), "1\n");
  }
}

TEST(SqliteWaits, ABeginThatWroteNothingKeepsNoOtherPageWaiting) {
  ScratchFolder scratch;
  const std::filesystem::path files[2] = {scratch.path() / "a.db", scratch.path() / "b.db"};
  for (const auto& file : files) MakeDatabase(file, {u"CREATE TABLE T (who TEXT)"});
  Rendezvous rendezvous;
  std::string raised[2];
  const auto start = Clock::now();
  // Page n opens a transaction on file n and, before it writes there,
  // writes the other file.
  auto page = [&](int n) {
    raised[n] = Raised([&] {
      auto own = Connect(AccessString(files[n]));
      Execute(*own, u"BEGIN");
      rendezvous.Meet();
      Execute(*Connect(AccessString(files[1 - n])), u"INSERT INTO T VALUES ('other')");
      rendezvous.Meet();
      Execute(*own, u"INSERT INTO T VALUES ('own')");
      Execute(*own, u"COMMIT");
    });
  };
  std::thread first(page, 0), second(page, 1);
  first.join();
  second.join();
  EXPECT_LT(Clock::now() - start, kAtOnce);
  EXPECT_EQ(raised[0], "");
  EXPECT_EQ(raised[1], "");
  for (const auto& file : files) {
    EXPECT_EQ(SqliteShell(file, "SELECT group_concat(who) FROM T ORDER BY who;"), "other,own\n");
  }
}

TEST(SqliteWaits, AnOpenThatOwnWritesKeepOutSaysWhy) {
  ScratchFolder scratch;
  const std::filesystem::path file = scratch.path() / "news.db";
  MakeNews(file, false);
  auto own = Connect(AccessString(file));
  // A cache this small spills the transaction into the file, under the
  // lock that keeps readers out too.
  Execute(*own, u"PRAGMA cache_size = 2");
  Execute(*own, u"BEGIN");
  Execute(*own,
          u"WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 20000) "
          u"INSERT INTO news (Title) SELECT printf('%0500d', x) FROM n");
  const auto start = Clock::now();
  EXPECT_EQ(Raised([&] { Connect(AccessString(file)); }), kLockedByOwnTransaction);
  EXPECT_LT(Clock::now() - start, kAtOnce);
  Execute(*own, u"ROLLBACK");
  EXPECT_EQ(Raised([&] { Connect(AccessString(file)); }), "");
}

TEST(SqliteWaits, AWriteThroughTheOdbcDriverBesideThePagesOwnSqlite) {
  for (const bool written : {false, true}) {
    SCOPED_TRACE(written ? "behind the page's own transaction" : "behind the page's own query");
    ScratchFolder scratch;
    const std::filesystem::path file = scratch.path() / "news.db";
    MakeNews(file, false);
    auto own = Connect(AccessString(file));
    auto reads = OpenRecordset(own, u"SELECT Id FROM news ORDER BY Id", 0);
    if (written) {
      Execute(*own, u"BEGIN");
      Execute(*own, u"UPDATE news SET Hits = 5 WHERE Id = 3");
    }
    const auto start = Clock::now();
    const std::string raised =
        Raised([&] { Execute(*Connect(OdbcString(file)), u"UPDATE news SET Hits = 1 WHERE Id = 1"); });
    EXPECT_LT(Clock::now() - start, kAtOnce);
    if (written) {
      EXPECT_EQ(raised, kLockedByOwnTransaction);
      Execute(*own, u"COMMIT");
    } else {
      // The query let go of the file, and reads on.
      EXPECT_EQ(raised, "");
      reads->MoveNext();
      EXPECT_EQ(CStr(reads->FieldValue(0)), u"2");
    }
    EXPECT_EQ(SqliteShell(file, "SELECT SUM(Hits) FROM news;"), written ? "5\n" : "1\n");
  }
}

// The driver's own wait, as the connection string bounds it: a file that
// another program holds fails the write within three of its waits (the
// default is a third of the statement bound, for that reason).
TEST(SqliteWaits, TheOdbcDriverWaitsAtMostThriceItsTimeout) {
  ScratchFolder scratch;
  const std::filesystem::path file = scratch.path() / "news.db";
  MakeNews(file, false);
  FILE* holder = popen(
      ("sqlite3 -cmd '.timeout 5000' '" + file.string() +
       "' 'BEGIN EXCLUSIVE;' '.shell sleep 3' 'COMMIT;'").c_str(),
      "r");
  for (int i = 0; i < 100; ++i) {  // until the lock is held
    if (SqliteShell(file, "BEGIN IMMEDIATE; ROLLBACK;").find("locked") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const auto start = Clock::now();
  const std::string raised = Raised([&] {
    Execute(*Connect(OdbcString(file) + u";Timeout=500"), u"UPDATE news SET Hits = 1 WHERE Id = 1");
  });
  const auto waited = Clock::now() - start;
  pclose(holder);
  EXPECT_NE(raised.find("locked"), std::string::npos) << raised;
  EXPECT_GE(waited, std::chrono::milliseconds(500));
  EXPECT_LT(waited, std::chrono::milliseconds(3 * 500 + 700));
}

}  // namespace
}  // namespace zorvadel::test
