// The queries that each page (each engine thread) has open on SQLite
// files. In a rollback journal, a query that has begun and not ended holds
// its file's read lock, which keeps every writer out, the same page's other
// connections included, and the page that could end the query may be the
// one waiting to write. So before a page writes to a file, its queries on
// that file through other connections let go of it, and before it waits
// for any file, all its queries do; each reads on from its position when
// next read.
#ifndef ZORVADEL_PLATFORM_ADO_SQLITE_OPEN_READS_H_
#define ZORVADEL_PLATFORM_ADO_SQLITE_OPEN_READS_H_

#include "platform/ado/sqlite_turns.h"

namespace zorvadel::ado {

class SqliteHandle;

class OpenRead {
 public:
  // Ends the query's read of its file (its statement reset), so that the
  // next read takes it up again at the same position.
  virtual void LetGo() = 0;

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

 private:
  OpenRead* read_;
};

// Lets go of the calling thread's open queries on `file` (on every file
// when null), but those on `keep` (none when null).
void LetGoOfReads(const FileId* file, const SqliteHandle* keep);

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_SQLITE_OPEN_READS_H_
