#include "platform/fso/sqlite_neighbours.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <utility>

namespace zorvadel::fso {
namespace {

using FileId = std::pair<dev_t, ino_t>;

// One lock orders SQLite's opens and closes with ours. SQLite can lock a
// file only through a descriptor it has opened, and it counts that
// descriptor here before it can use it: so a file this layer does not count
// under the lock holds no lock of SQLite's, and closing ours then drops
// nothing.
struct Files {
  std::mutex mutex;
  std::map<int, FileId> sqlite_descriptors;
  std::map<FileId, int> sqlite_opens;  // SQLite's open descriptors per file
  std::multimap<FileId, int> kept;     // ours, waiting for SQLite to let go
  // kept.size(), read without the lock: most opens find none to take.
  std::atomic<size_t> kept_count{0};
  // Set when a descriptor of SQLite's could not be counted for want of
  // memory: from then on nothing of ours is closed, since no count is sure.
  bool blind = false;
};

// Never destroyed: SQLite may close files while the process exits.
Files& State() {
  static Files* files = new Files;
  return *files;
}

using OpenCall = int (*)(const char*, int, int);
using CloseCall = int (*)(int);
OpenCall real_open = nullptr;
CloseCall real_close = nullptr;

bool IdOf(int descriptor, FileId& id) {
  struct stat info {};
  if (fstat(descriptor, &info) != 0) return false;
  id = {info.st_dev, info.st_ino};
  return true;
}

int OpenForSqlite(const char* path, int flags, int mode) {
  const int descriptor = real_open(path, flags, mode);
  if (descriptor < 0) return descriptor;
  const int saved = errno;
  FileId id;
  const bool known = IdOf(descriptor, id);
  Files& files = State();
  const std::lock_guard lock(files.mutex);
  try {
    if (known) {
      files.sqlite_descriptors[descriptor] = id;
      ++files.sqlite_opens[id];
    } else {
      files.blind = true;
    }
  } catch (...) {
    files.blind = true;
  }
  errno = saved;
  return descriptor;
}

int CloseForSqlite(int descriptor) {
  Files& files = State();
  const std::lock_guard lock(files.mutex);
  const int rc = real_close(descriptor);
  const int saved = errno;
  const auto it = files.sqlite_descriptors.find(descriptor);
  if (it != files.sqlite_descriptors.end()) {
    const FileId id = it->second;
    files.sqlite_descriptors.erase(it);
    const auto opens = files.sqlite_opens.find(id);
    if (opens != files.sqlite_opens.end() && --opens->second <= 0) {
      files.sqlite_opens.erase(opens);
      // SQLite closes a file's last descriptor only when it holds no lock
      // on it: ours may go now.
      const auto [first, last] = files.kept.equal_range(id);
      for (auto k = first; k != last; ++k) ::close(k->second);
      files.kept.erase(first, last);
      files.kept_count.store(files.kept.size(), std::memory_order_relaxed);
    }
  }
  errno = saved;
  return rc;
}

}  // namespace

void WatchSqliteFiles() {
  static const bool kHooked = [] {
    // Every unix file layer of SQLite shares one table of system calls.
    sqlite3_vfs* vfs = sqlite3_vfs_find("unix");
    if (vfs == nullptr || vfs->iVersion < 3 || vfs->xSetSystemCall == nullptr) return false;
    real_open = reinterpret_cast<OpenCall>(vfs->xGetSystemCall(vfs, "open"));
    real_close = reinterpret_cast<CloseCall>(vfs->xGetSystemCall(vfs, "close"));
    if (real_open == nullptr || real_close == nullptr) return false;
    vfs->xSetSystemCall(vfs, "open", reinterpret_cast<sqlite3_syscall_ptr>(&OpenForSqlite));
    vfs->xSetSystemCall(vfs, "close", reinterpret_cast<sqlite3_syscall_ptr>(&CloseForSqlite));
    return true;
  }();
  (void)kHooked;
}

void CloseBesideSqlite(int descriptor) {
  if (descriptor < 0) return;
  FileId id;
  if (!IdOf(descriptor, id)) {  // no file behind it: nothing to drop
    ::close(descriptor);
    return;
  }
  Files& files = State();
  const std::lock_guard lock(files.mutex);
  if (!files.blind && files.sqlite_opens.count(id) == 0) {
    ::close(descriptor);
    return;
  }
  try {
    files.kept.emplace(id, descriptor);
    files.kept_count.store(files.kept.size(), std::memory_order_relaxed);
  } catch (...) {
    // Left open: a descriptor lost beats a database corrupted.
  }
}

int TakeKeptDescriptor(dev_t device, ino_t inode) {
  Files& files = State();
  // Missing one kept a moment ago costs only a descriptor more.
  if (files.kept_count.load(std::memory_order_relaxed) == 0) return -1;
  const std::lock_guard lock(files.mutex);
  const auto it = files.kept.find({device, inode});
  if (it == files.kept.end()) return -1;
  const int descriptor = it->second;
  files.kept.erase(it);
  files.kept_count.store(files.kept.size(), std::memory_order_relaxed);
  return descriptor;
}

}  // namespace zorvadel::fso
