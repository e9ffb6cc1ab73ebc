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

}  // namespace zorvadel::fso

#endif  // ZORVADEL_PLATFORM_FSO_SQLITE_NEIGHBOURS_H_
