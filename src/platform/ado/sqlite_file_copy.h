// A copy of a SQLite file's pages, taken by a scrollable query that must let
// go of its file and whose result is a large part of that file: copying the
// pages (SQLite's backup, about a memcpy per page) costs a fraction of
// decoding the result's rows and inserting them again into a spool. The
// copy is taken through the reading connection while its read still holds,
// so it is the very state the query began on; the query is then prepared
// anew on the copy and read from it.
//
// The copy is a private temporary database of its own connection: SQLite
// keeps it in a file that it has already removed from its folder, so the
// file goes when the copy is closed, and holds no more than a small page
// cache of it in memory. Nothing there ever waits for a lock.
#ifndef ZORVADEL_PLATFORM_ADO_SQLITE_FILE_COPY_H_
#define ZORVADEL_PLATFORM_ADO_SQLITE_FILE_COPY_H_

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zorvadel::ado {

class SqliteFileCopy {
 public:
  // The file that `reader` reads as "main", copied while its read holds,
  // with `windowed` (a query read from the offset its last mark takes)
  // prepared on the copy. Null when the copy fails or the query cannot be
  // read there (it names what only `reader` has): the read still holds,
  // and the rows can be set aside another way.
  static std::unique_ptr<SqliteFileCopy> Make(sqlite3* reader, std::u16string_view windowed);
  ~SqliteFileCopy();
  SqliteFileCopy(const SqliteFileCopy&) = delete;
  SqliteFileCopy& operator=(const SqliteFileCopy&) = delete;

  // The statement positioned on row `index` (0-based) of the query, whose
  // columns are the row's; null past the last row or on a failure (`error`
  // then set). Reads in order step on without reading from the start.
  sqlite3_stmt* Row(int64_t index, std::u16string* error);
  // The number that `sql` (a COUNT, say) gives on the copy; -1 on a
  // failure, with SQLite's message in `error`.
  int64_t Number(std::u16string_view sql, std::u16string* error);

 private:
  explicit SqliteFileCopy(sqlite3* db) : db_(db) {}

  sqlite3* db_;
  sqlite3_stmt* window_ = nullptr;
  int64_t next_ = -1;  // the row the window's next step gives; -1 when not positioned
};

// Whether a query on `reader` would read the same on a copy of its main
// database alone: it names no object of the connection's temporary
// database (which would hide main's of the same name) but the spools', and
// calls none of the functions whose answer is the connection's own
// (changes(), total_changes(), last_insert_rowid()).
bool ReadsAlikeOnCopy(sqlite3* reader, std::u16string_view sql);

// The bytes of the file `reader` reads as "main" (its pages times their
// size), or -1 when they cannot be told.
int64_t FileBytes(sqlite3* reader);

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_SQLITE_FILE_COPY_H_
