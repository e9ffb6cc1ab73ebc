// The queries that each page (each engine thread) has open on SQLite
// files. In a rollback journal, a query that has begun and not ended holds
// its file's read lock, which keeps every writer out, the same page's other
// connections included, and the page that could end the query may be the
// one waiting to write. So before a page writes to a file, its queries on
// that file through other connections let go of it, and before it waits
// for any file, all its queries do. A query that lets go first sets aside
// the rows it can still be asked for and reads on from them, so that it
// still reads the file as it was when it began; in WAL, where a reader
// keeps no writer out and SQLite keeps its snapshot, it need not, and does
// only when they fit in memory. Before the page writes through a query's
// own connection, that query sets its rows aside in either mode.
//
// Nothing here calls SQLite while it holds its lock, and nothing lets go of
// a query from inside SQLite's wait: SQLite's own locks are then only ever
// taken one at a time.
#ifndef ZORVADEL_PLATFORM_ADO_SQLITE_OPEN_READS_H_
#define ZORVADEL_PLATFORM_ADO_SQLITE_OPEN_READS_H_

#include <atomic>
#include <thread>

#include "platform/ado/sqlite_turns.h"

namespace zorvadel::ado {

class SqliteHandle;

class OpenRead {
 public:
  // Ends the query's read of its file where that read keeps writers out
  // (in WAL, only when its rows fit in memory), its rows still to be read
  // set aside first; never throws (a failure to set them aside fails the
  // query's next read instead).
  virtual void LetGo() = 0;
  // Before the page writes through the query's own connection: SQLite
  // leaves it undefined whether a query sees what its own connection writes
  // while it runs, and in WAL a write refuses a connection whose snapshot is
  // older than the file. So the query sets its rows still to be read aside
  // in either journal mode, and its read ends. Never throws, as LetGo.
  virtual void BeforeOwnWrite() = 0;

 protected:
  ~OpenRead() = default;
};

// Lists `read`, a query on `handle`, as open on the calling thread while
// it lives: a member of the query, declared after what LetGo touches.
class OpenReadEntry {
 public:
  OpenReadEntry(OpenRead* read, const SqliteHandle* handle, const FileId* file);
  ~OpenReadEntry();
  OpenReadEntry(const OpenReadEntry&) = delete;
  OpenReadEntry& operator=(const OpenReadEntry&) = delete;
  // The query is read on the calling thread, which is its page's from now
  // on (a query kept in a session reaches the session's next page).
  void ReadHere() {
    if (thread_.load(std::memory_order_relaxed) != std::this_thread::get_id()) Move();
  }

 private:
  friend struct OpenReads;
  friend void LetGoOfReads(const FileId* file, const SqliteHandle* keep);
  friend bool HasOpenReads(const SqliteHandle* keep);
  void Move();

  OpenRead* read_;
  const SqliteHandle* handle_;
  bool has_file_;
  FileId file_;
  std::atomic<std::thread::id> thread_;
  // Letting go now, on the thread that found it: not to be destroyed yet.
  int pinned_ = 0;
};

// Lets go of the calling thread's open queries on `file` (on every file
// when null), but those on `keep` (none when null). With a file, the page
// is about to write it through `keep`: its queries on `keep` itself are
// readied for that write (BeforeOwnWrite).
void LetGoOfReads(const FileId* file, const SqliteHandle* keep);
// Whether the calling thread has open queries but those on `keep`.
bool HasOpenReads(const SqliteHandle* keep);

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_SQLITE_OPEN_READS_H_
