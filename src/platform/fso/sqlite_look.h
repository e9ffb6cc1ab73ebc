// Whether a file the server is about to send is one of SQLite's, told by
// its first bytes (StartsAsSqliteFile) whatever its name, without reading
// them again for every request of a file that has not changed.
//
// A file found to be no file of SQLite's is remembered by its device, inode,
// size and the times its bytes and its inode last changed, as its open
// descriptor shows them. Every write, truncation, link or change of mode
// moves the inode's time to the moment it happens, and no program can set
// that time back, so a file made a database in place, or replaced by one
// under the same name (another inode, or the same number used again later),
// no longer matches what was remembered. Only a file whose inode last
// changed a few seconds before the look is remembered: a change within the
// same tick of a coarse clock (a second or two on some file systems) would
// otherwise leave that time as it was.
#ifndef ZORVADEL_PLATFORM_FSO_SQLITE_LOOK_H_
#define ZORVADEL_PLATFORM_FSO_SQLITE_LOOK_H_

#include "platform/fso/regular_file.h"

namespace zorvadel::fso {

enum class SqliteLook {
  kOther,       // no file of SQLite's (an empty file included)
  kSqlite,      // a database, a synced rollback journal, a log or its index
  kUnreadable,  // its first bytes could not be read
};

// What `file`, open and regular, is; its first bytes read through it
// unless it was found to be no file of SQLite's before and has not changed.
// Safe from any thread.
SqliteLook LookForSqlite(const RegularFile& file);

}  // namespace zorvadel::fso

#endif  // ZORVADEL_PLATFORM_FSO_SQLITE_LOOK_H_
