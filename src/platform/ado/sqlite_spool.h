// Rows a query on a SQLite file sets aside before it lets go of the file,
// so that it goes on reading the file as it was when it began. They are
// kept in a table of the reading connection's own temporary database: a
// query's rows are copied there inside SQLite (INSERT ... SELECT) while the
// query still holds its read, which costs a fraction of stepping them out
// one by one, and SQLite keeps that database in memory only up to its page
// cache (a few megabytes), past which it goes to a temporary file that
// SQLite removes when it closes. The table is dropped when the spool ends.
//
// The temporary database never waits for a lock: nothing here needs the
// page's waiting rules.
#ifndef ZORVADEL_PLATFORM_ADO_SQLITE_SPOOL_H_
#define ZORVADEL_PLATFORM_ADO_SQLITE_SPOOL_H_

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zorvadel::ado {

class SqliteHandle;

class SqliteSpool {
 public:
  // A spool of rows of `columns` columns on `handle`'s connection; null,
  // with SQLite's message in `error`, when its table cannot be made.
  static std::unique_ptr<SqliteSpool> Make(SqliteHandle& handle, int columns,
                                           std::u16string* error);
  ~SqliteSpool();
  SqliteSpool(const SqliteSpool&) = delete;
  SqliteSpool& operator=(const SqliteSpool&) = delete;

  // Appends the first `limit` rows of the query `sql` (all of them when
  // negative), run again on the spool's connection: the rows as that
  // connection's read sees them. The query's own parameters read NULL.
  // False, with the message in `error`, on a failure.
  bool AppendQuery(std::u16string_view sql, int64_t limit, std::u16string* error);
  // Appends the rows `statement` (on the spool's connection) still has,
  // stepping it to its end: the same rows in the same order, even for a
  // query whose order is drawn at random.
  bool AppendRest(sqlite3_stmt* statement, std::u16string* error);

  int64_t count() const { return count_; }
  // The statement positioned on row `index` (0-based), whose columns are
  // the row's; null past the last row or on a failure (`error` then set).
  // Reads in order step on without seeking.
  sqlite3_stmt* Row(int64_t index, std::u16string* error);

 private:
  SqliteSpool(SqliteHandle& handle, std::string table, int columns)
      : handle_(handle), table_(std::move(table)), columns_(columns) {}
  // Counts what the spool wrote as no change of the page's, and leaves the
  // connection's last inserted row the page's.
  void Uncounted(int64_t total_before);
  bool Failed(std::u16string* error);

  SqliteHandle& handle_;
  std::string table_;
  int columns_;
  int64_t count_ = 0;
  int64_t last_insert_rowid_ = 0;  // the page's, before the spool
  sqlite3_stmt* reader_ = nullptr;
  int64_t next_ = -1;  // the row the reader's next step gives; -1 when not positioned
};

// Whether `journal_mode`, a "PRAGMA main.journal_mode" statement, finds the
// file in WAL, where SQLite gives a reader its own snapshot and lets writers
// in; otherwise a reader keeps the file's writers out. Asked while the
// connection reads the file (its pager then knows the mode).
bool JournalIsWal(sqlite3_stmt* journal_mode);

// Whether the query `sql` draws random numbers, so that running it again
// gives other rows or another order; false when that cannot be told.
bool DrawsRandomNumbers(sqlite3* db, std::u16string_view sql);

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_SQLITE_SPOOL_H_
