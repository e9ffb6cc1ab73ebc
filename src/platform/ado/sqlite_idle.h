// SQLite handles that a thread's pages have finished with, kept open for its
// next page on the same file, with the statements they prepared. Opening a
// file costs more than most pages' reads (the open itself, its locks and
// the parse of the whole schema), preparing a statement costs about as much
// as running it, and a page engine's threads open the same few files and
// run the same few statements all day.
//
// A kept handle reads as fresh as a new one: each statement begins its own
// read and SQLite checks the file's change counter then. What a new handle
// would not share is the file itself: a file renamed over, or deleted and
// made anew, is another file, and one written since the handle went idle
// may be another file in the same place; such handles are closed, not
// taken.
#ifndef ZORVADEL_PLATFORM_ADO_SQLITE_IDLE_H_
#define ZORVADEL_PLATFORM_ADO_SQLITE_IDLE_H_

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/sqlite_turns.h"

namespace zorvadel::ado {

// An open SQLite file and the statements prepared on it, each by its text.
class SqliteHandle {
 public:
  explicit SqliteHandle(sqlite3* db) : db_(db), writers_(this) {}
  ~SqliteHandle();
  SqliteHandle(const SqliteHandle&) = delete;
  SqliteHandle& operator=(const SqliteHandle&) = delete;

  sqlite3* db() const { return db_; }
  // The version of the schema the handle read when it was opened: a kept
  // handle is taken only while the file's is the same. -1 until known.
  int64_t schema_version() const { return schema_version_; }
  void set_schema_version(int64_t version) { schema_version_ = version; }

  // The turn of the process's writers of the file.
  WriterQueue& writers() { return writers_; }
  // When the statement that holds the writers' turn must have ended; the
  // epoch while no statement holds it.
  std::chrono::steady_clock::time_point write_deadline{};
  // When SQLite began to wait for a lock the last time.
  std::chrono::steady_clock::time_point busy_since{};
  // Why SQLite's wait for a lock was given up at once: a wait that could
  // never end. kMayEnd when it was not.
  WaitVerdict refused = WaitVerdict::kMayEnd;
  // Whether SQLite's wait may be given up for the page's open queries to
  // let go of their files first (a call that is then made again), and
  // whether it was.
  bool may_let_go = false;
  bool let_go_first = false;
  // The handle's transaction was rolled back to end a cycle of waits: its
  // statements fail until the page ends the transaction it believes open.
  bool rolled_back = false;
  // What the handle's changes counted before the page that holds it now:
  // its page sees them as a new handle would, as none.
  int64_t changes_before = 0;

  // A statement prepared before with this very text and given back since,
  // ready to run; null when there is none.
  sqlite3_stmt* TakeStatement(std::u16string_view sql);
  // Remembers `statement`, just prepared from `sql`, to be given back when
  // done; false when the handle holds as many as it keeps.
  bool Remember(std::u16string_view sql, sqlite3_stmt* statement);
  // A statement done with: a remembered one is reset for the next taker,
  // any other finalized.
  void GiveBack(sqlite3_stmt* statement);
  // Remembers no statement from now on; those given back are finalized.
  void Forget();
  // Whether every statement has been given back and no transaction is
  // open: the handle is as a new one would be.
  bool AtRest() const;

 private:
  struct Prepared {
    std::u16string sql;
    sqlite3_stmt* statement;
    bool taken;
  };
  sqlite3* db_;
  int64_t schema_version_ = -1;
  bool remembering_ = true;
  std::vector<Prepared> prepared_;
  WriterQueue writers_;
};

// An idle handle of the calling thread on the file at `path` (as the handle
// was opened with it), still that file and untouched since it went idle;
// null when there is none.
std::unique_ptr<SqliteHandle> TakeIdleSqlite(const std::string& path);

// Keeps `handle`, opened on `path`, for the calling thread's next page on
// that file; closes it instead when it is not at rest, or when the thread
// is ending. The thread keeps a few handles at most, closing the longest
// idle first.
void KeepIdleSqlite(const std::string& path, std::unique_ptr<SqliteHandle> handle);

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_SQLITE_IDLE_H_
