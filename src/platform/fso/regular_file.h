// The one test that every reader of a file a script names goes through:
// only a regular file is read. A device never ends (/dev/zero) or never
// answers, a FIFO waits for a writer that may never come, and a folder has
// no bytes to give; all of them, also behind a symbolic link, are refused
// at once, as a missing file would be, before a read can wait on them.
//
// Probe looks without opening, for the members that only ask (does it
// exist, how large is it). RegularFile opens for reading and looks at what
// was opened, so a name that changes hands between the look and the open
// cannot slip a device or a FIFO past the test.
#ifndef ZORVADEL_PLATFORM_FSO_REGULAR_FILE_H_
#define ZORVADEL_PLATFORM_FSO_REGULAR_FILE_H_

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvadel::fso {

enum class PathKind {
  kRegular,     // a regular file, reached through any links
  kMissing,     // nothing of that name, or a folder on the way is missing
  kNotRegular,  // a folder, a device, a FIFO or a socket
  kNoAccess,    // there, but the system lets nobody look at it or open it
  kNoName,      // a text no file can have: empty, or holding a NUL
};

struct PathFacts {
  PathKind kind = PathKind::kMissing;
  uint64_t size = 0;  // bytes, for a regular file
};

// What the disk path `path` (UTF-16) names, following links, without
// opening it.
PathFacts Probe(std::u16string_view path);

// A regular file opened read-only, or the reason it is not. Never blocks
// and never raises; the descriptor is closed when the object goes.
class RegularFile {
 public:
  // What the file is opened for.
  enum class Use {
    // Anything: looked at before it is opened, and read as a file opened
    // plainly is.
    kAny,
    // Sending a file that the caller saw to be regular under this name
    // moments ago: opened without a look first (what was opened is still
    // looked at, and anything but a regular file closed unread), and read
    // only at given offsets (pread, sendfile), which a regular file serves
    // alike whether or not it was opened non-blocking, so left so.
    kSend,
  };
  explicit RegularFile(std::u16string_view path);
  // The same for a disk path already in the system's bytes.
  explicit RegularFile(const std::string& disk_path, Use use = Use::kAny);
  // Closed beside SQLite (platform/fso/sqlite_neighbours.h): a file that a
  // SQLite handle of the process has open keeps the descriptor until then.
  ~RegularFile();
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  bool ok() const { return facts_.kind == PathKind::kRegular; }
  PathKind kind() const { return facts_.kind; }
  // The length when it was opened.
  uint64_t size() const { return facts_.size; }
  // The system's reason (an errno value) when the file could not be looked
  // at or opened; 0 when it opened, or was no regular file.
  int error() const { return error_; }
  // The open descriptor (close-on-exec; blocking reads unless opened for
  // kSend), -1 unless ok().
  // It stays owned by this object.
  int descriptor() const { return fd_; }
  // The file's device and inode, as its descriptor showed them.
  dev_t device() const { return device_; }
  ino_t inode() const { return inode_; }
  // When its bytes, and when its inode (bytes, size, times, links, mode),
  // last changed, as its descriptor showed them: nanoseconds since 1970.
  int64_t modified() const { return modified_; }
  int64_t changed() const { return changed_; }
  // Reads up to `size` bytes into `out`, fewer only at the end of the
  // file; -1 when a read fails.
  ptrdiff_t Read(void* out, size_t size) const;
  // Reads up to `size` bytes at `offset` into `out`, without moving the
  // file's position: fewer at the end of the file, -1 when the read fails.
  ptrdiff_t ReadAt(void* out, size_t size, uint64_t offset) const;
  // Gives the descriptor up to a caller that closes it some other way: only
  // for a file that SQLite cannot be holding locked, since a plain close
  // would drop its locks (a descriptor lent by LendDescriptor, in
  // platform/fso/sqlite_neighbours.h).
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  void Open(const std::string& disk_path, Use use);

  int fd_ = -1;
  int error_ = 0;
  PathFacts facts_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  int64_t modified_ = 0;
  int64_t changed_ = 0;
};

}  // namespace zorvadel::fso

#endif  // ZORVADEL_PLATFORM_FSO_REGULAR_FILE_H_
