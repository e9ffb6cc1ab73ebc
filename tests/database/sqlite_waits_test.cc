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
            "[SQLite] database is locked by a transaction of this page on another connection");
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

}  // namespace
}  // namespace zorvadel::test
