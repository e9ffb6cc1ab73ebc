// Descriptors that live beside SQLite's in one process.
//
// A POSIX record lock belongs to the process, not to the descriptor that
// took it: closing any descriptor of a file drops every lock the process
// holds on that file. SQLite locks its files that way and, for its own
// descriptors, puts off the close while it holds a lock. A descriptor the
// server opens on such a file for a reason of its own (a file member
// reading it, a picture, a static file, a page script) would, closed at the
// wrong moment, open the file to every other writer in the middle of a
// transaction, and the file would be corrupted. Such a descriptor is
// therefore kept open while SQLite has the same file open anywhere in the
// process, and closed when SQLite has let go of it; a later reader of the
// file takes it up again, so that they do not pile up.
//
// SQLite tells which files it opens and closes through the system calls of
// its file layer, which are hooked here: the files of every SQLite handle
// in the process count, those the ODBC driver opens included.
#ifndef ZORVADEL_PLATFORM_FSO_SQLITE_NEIGHBOURS_H_
#define ZORVADEL_PLATFORM_FSO_SQLITE_NEIGHBOURS_H_

#include <sys/types.h>

#include <cstddef>

namespace zorvadel::fso {

// Hooks SQLite's file layer. It must run before SQLite first opens a file
// in the process, or the files opened before go unseen; later calls do
// nothing.
void WatchSqliteFiles();

// Closes `descriptor`, one of the server's own, unless SQLite has its file
// open: then it is kept until SQLite closes the file, or until
// TakeKeptDescriptor hands it out again.
void CloseBesideSqlite(int descriptor);

// A descriptor on the file (device, inode) that CloseBesideSqlite kept,
// now the caller's, at whatever offset it was left; -1 when there is none.
int TakeKeptDescriptor(dev_t device, ino_t inode);
// Whether CloseBesideSqlite keeps any descriptor now; without a lock, so
// one kept a moment ago may be missed, which costs a descriptor more.
bool AnyKeptDescriptor();

// Lends `descriptor`, one of the server's own, to a library that closes it
// with a plain close (libmicrohttpd, which sends a file from the kernel's
// cache): only while SQLite does not have its file open, so false, and
// nothing lent, when it has (or when this layer cannot tell). Should SQLite
// open the file before EndLoan, the lent descriptor is first turned to
// /dev/null, where it reads as ended: the library's close then drops
// nothing of SQLite's, and what it was sending ends short.
bool LendDescriptor(int descriptor);
// The same, for a descriptor whose file the caller has looked at already.
bool LendDescriptor(int descriptor, dev_t device, ino_t inode);

// Ends the loan of `descriptor`, which must still be open: its file is
// closed here, beside SQLite, and the number stays the library's, on
// /dev/null, to close whenever it will. Nothing for a descriptor not lent,
// or turned to /dev/null already.
void EndLoan(int descriptor);

// The first bytes of a file that StartsAsSqliteFile needs.
constexpr size_t kSqliteHeadSize = 64;

// Whether `head`, the first `size` bytes of a file (all of it when it is
// shorter than kSqliteHeadSize), are those of a file of SQLite's: a
// database, a rollback journal ("-journal"), a write-ahead log ("-wal") or
// the index of one ("-shm").
bool StartsAsSqliteFile(const void* head, size_t size);

}  // namespace zorvadel::fso

#endif  // ZORVADEL_PLATFORM_FSO_SQLITE_NEIGHBOURS_H_
