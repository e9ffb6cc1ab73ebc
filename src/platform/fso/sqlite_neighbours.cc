#include "platform/fso/sqlite_neighbours.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
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
  // Ours, lent to a library that closes them itself; never on a file in
  // sqlite_opens, since SQLite's first open of a file turns those of it to
  // /dev/null.
  std::map<int, FileId> lent;
  std::map<FileId, size_t> lent_files;  // how many of lent are on each file
  int null_descriptor = -1;             // /dev/null, opened at the first loan
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

void ForgetLoan(Files& files, std::map<int, FileId>::iterator loan) {
  const auto count = files.lent_files.find(loan->second);
  if (count != files.lent_files.end() && --count->second == 0) files.lent_files.erase(count);
  files.lent.erase(loan);
}

// Points `descriptor` at /dev/null: its file is closed now, the number
// stays open.
bool TurnToNull(const Files& files, int descriptor) {
  int rc;
  do {
    rc = ::dup3(files.null_descriptor, descriptor, O_CLOEXEC);
  } while (rc < 0 && (errno == EINTR || errno == EBUSY));
  return rc >= 0;
}

// Turns to /dev/null every lent descriptor on `id`, or every one when
// `all`; false when one could not be, which stays lent.
bool EndLoansOf(Files& files, const FileId& id, bool all) {
  if (files.lent_files.empty() || (!all && files.lent_files.count(id) == 0)) return true;
  bool turned = true;
  for (auto loan = files.lent.begin(); loan != files.lent.end();) {
    const auto next = std::next(loan);
    if (all || loan->second == id) {
      if (TurnToNull(files, loan->first)) {
        ForgetLoan(files, loan);
      } else {
        turned = false;
      }
    }
    loan = next;
  }
  return turned;
}

int OpenForSqlite(const char* path, int flags, int mode) {
  const int descriptor = real_open(path, flags, mode);
  if (descriptor < 0) return descriptor;
  const int saved = errno;
  FileId id;
  const bool known = IdOf(descriptor, id);
  Files& files = State();
  const std::lock_guard lock(files.mutex);
  // A descriptor lent out on the file would drop SQLite's locks when the
  // library closes it: it goes first, while SQLite holds none of them yet,
  // or SQLite does not have the file.
  if (!EndLoansOf(files, id, !known)) {
    real_close(descriptor);
    errno = EBUSY;
    return -1;
  }
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

bool LendDescriptor(int descriptor) {
  FileId id;
  return descriptor >= 0 && IdOf(descriptor, id) && LendDescriptor(descriptor, id.first, id.second);
}

bool LendDescriptor(int descriptor, dev_t device, ino_t inode) {
  const FileId id{device, inode};
  if (descriptor < 0) return false;
  Files& files = State();
  const std::lock_guard lock(files.mutex);
  if (files.blind || files.sqlite_opens.count(id) != 0) return false;
  if (files.null_descriptor < 0) {
    files.null_descriptor = ::open("/dev/null", O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (files.null_descriptor < 0) return false;
  }
  // One of that number lent before was closed without the loan ending.
  if (const auto stale = files.lent.find(descriptor); stale != files.lent.end()) {
    ForgetLoan(files, stale);
  }
  try {
    const auto loan = files.lent.emplace(descriptor, id).first;
    try {
      ++files.lent_files[id];
    } catch (...) {
      files.lent.erase(loan);
      return false;
    }
  } catch (...) {
    return false;
  }
  return true;
}

void EndLoan(int descriptor) {
  Files& files = State();
  const std::lock_guard lock(files.mutex);
  const auto loan = files.lent.find(descriptor);
  if (loan == files.lent.end()) return;
  // Should this fail, the library's close is left to a file that SQLite
  // does not have open now, as when the descriptor was lent.
  TurnToNull(files, descriptor);
  ForgetLoan(files, loan);
}

bool StartsAsSqliteFile(const void* data, size_t size) {
  const auto* head = static_cast<const unsigned char*>(data);
  static constexpr char kDatabase[] = "SQLite format 3";  // with its NUL
  if (size >= sizeof(kDatabase) && std::memcmp(head, kDatabase, sizeof(kDatabase)) == 0) {
    return true;
  }
  // A rollback journal holds the pages a transaction changed, as they were
  // before it. SQLite writes its magic only once the journal is synced, so
  // one still being written has none and is told by its name alone ("-journal",
  // a type the server never sends).
  static constexpr unsigned char kJournal[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
  if (size >= sizeof(kJournal) && std::memcmp(head, kJournal, sizeof(kJournal)) == 0) return true;
  // A write-ahead log opens with a big-endian magic number whose last bit
  // tells the byte order of its checksums.
  if (size >= 4) {
    const uint32_t magic = (uint32_t{head[0]} << 24) | (uint32_t{head[1]} << 16) |
                           (uint32_t{head[2]} << 8) | uint32_t{head[3]};
    if ((magic | 1) == 0x377f0683) return true;
  }
  // The index of a log opens with two copies of its header, 48 bytes each,
  // written one after the other: each starts with the index's version in
  // the machine's own byte order, and has a byte at 12 that is 0 or 1.
  for (size_t copy = 0; copy <= 48 && copy + 13 <= size; copy += 48) {
    uint32_t version;
    std::memcpy(&version, head + copy, sizeof(version));
    if (version == 3007000 && head[copy + 12] <= 1) return true;
  }
  return false;
}

}  // namespace zorvadel::fso
