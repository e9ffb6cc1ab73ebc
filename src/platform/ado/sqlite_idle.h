// SQLite handles that a thread's pages have finished with, kept open for its
// next page on the same file. Opening a file costs more than most pages'
// reads (the open itself, its locks and the parse of the whole schema), and
// a page engine's threads open the same few files all day.
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

#include <string>

namespace zorvadel::ado {

// An idle handle of the calling thread on the file at `path` (as the handle
// was opened with it), still that file and untouched since it went idle;
// null when there is none.
sqlite3* TakeIdleSqlite(const std::string& path);

// Keeps `db`, opened on `path`, for the calling thread's next page on that
// file; closes it instead when it is not as a new handle would be (inside a
// transaction, with a statement still open), or when the thread is ending.
// The thread keeps a few handles at most, closing the longest idle first.
void KeepIdleSqlite(const std::string& path, sqlite3* db);

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_SQLITE_IDLE_H_
