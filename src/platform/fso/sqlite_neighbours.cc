#include "platform/fso/sqlite_neighbours.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

namespace zorvadel::fso {
namespace {

using FileId = std::pair<dev_t, ino_t>;

// A descriptor of ours lent to a library that closes it itself, one place
// per descriptor number, so that lending and ending a loan, which every
// static file does, share nothing with other numbers' loans: no lock and
// no memory written by another thread.
struct alignas(64) Loan {
  std::atomic<int> state{0};
  std::atomic<dev_t> device{0};
  std::atomic<ino_t> inode{0};
};
// A loan's states. kBusy: being turned to /dev/null by the thread that
// ended it or by SQLite's open of its file; whoever finds it so waits.
constexpr int kFree = 0;
constexpr int kLent = 1;
constexpr int kBusy = 2;

// Loans are made in blocks as numbers that high are first lent; numbers
// past the last block are never lent (their files are read with pread).
constexpr int kLoansPerBlock = 1024;
constexpr int kLoanBlocks = 1024;

// One lock orders SQLite's opens and closes with ours. SQLite can lock a
// file only through a descriptor it has opened, and it counts that
// descriptor here before it can use it: so a file this layer does not count
// under the lock holds no lock of SQLite's, and closing ours then drops
// nothing. Loans take the lock only while SQLite has some file open.
struct Files {
  std::mutex mutex;
  std::map<int, FileId> sqlite_descriptors;
  std::map<FileId, int> sqlite_opens;  // SQLite's open descriptors per file
  // SQLite's open descriptors in all, one more once blind: read without the
  // lock by a loan, which needs the lock only when it is not 0.
  std::atomic<size_t> sqlite_open_count{0};
  std::multimap<FileId, int> kept;  // ours, waiting for SQLite to let go
  // kept.size(), read without the lock: most opens find none to take.
  std::atomic<size_t> kept_count{0};
  // Never on a file in sqlite_opens, since SQLite's first open of a file
  // turns those of it to /dev/null.
  std::atomic<Loan*> loans[kLoanBlocks] = {};
  std::atomic<int> highest_lent{-1};  // no loan was ever made above it
  // /dev/null, for turning loans when SQLite opens their file.
  const int null_descriptor = ::open("/dev/null", O_RDONLY | O_CLOEXEC | O_NOCTTY);
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

// The place of the loan of `descriptor`, made when `make`; nullptr when
// there is none (or no memory for it).
Loan* LoanOf(Files& files, int descriptor, bool make) {
  if (descriptor < 0 || descriptor >= kLoansPerBlock * kLoanBlocks) return nullptr;
  std::atomic<Loan*>& block = files.loans[descriptor / kLoansPerBlock];
  Loan* loans = block.load();
  if (loans == nullptr && make) {
    Loan* fresh = new (std::nothrow) Loan[kLoansPerBlock];
    if (fresh == nullptr) return nullptr;
    if (block.compare_exchange_strong(loans, fresh)) {
      loans = fresh;
    } else {
      delete[] fresh;  // another thread's came first
    }
  }
  return loans == nullptr ? nullptr : &loans[descriptor % kLoansPerBlock];
}

// Waits while another thread turns the loan.
int SettledState(const Loan& loan) {
  int state;
  while ((state = loan.state.load()) == kBusy) std::this_thread::yield();
  return state;
}

// Points `descriptor` at the file of `null_descriptor`, /dev/null: its
// file is closed now, the number stays open.
bool TurnToNull(int null_descriptor, int descriptor) {
  int rc;
  do {
    rc = ::dup3(null_descriptor, descriptor, O_CLOEXEC);
  } while (rc < 0 && (errno == EINTR || errno == EBUSY));
  return rc >= 0;
}

// /dev/null for the calling thread's ends of loans: every turned
// descriptor shares its open file, whose count of users each turn and each
// close changes, so that threads do not all change the same one.
int ThreadsNull(const Files& files) {
  struct Null {
    int descriptor = ::open("/dev/null", O_RDONLY | O_CLOEXEC | O_NOCTTY);
    ~Null() {
      if (descriptor >= 0) ::close(descriptor);
    }
  };
  thread_local const Null null;
  return null.descriptor >= 0 ? null.descriptor : files.null_descriptor;
}

// Turns to /dev/null every lent descriptor on `id`, or every one when
// `all`; false when one could not be, which stays lent. Under the lock,
// after the count of SQLite's open descriptors has gone up: a loan made
// from then on takes the lock, and one made before is seen here.
bool EndLoansOf(Files& files, const FileId& id, bool all) {
  bool turned = true;
  const int highest = files.highest_lent.load();
  for (int descriptor = 0; descriptor <= highest; ++descriptor) {
    Loan* loan = LoanOf(files, descriptor, false);
    if (loan == nullptr) {
      descriptor += kLoansPerBlock - 1 - descriptor % kLoansPerBlock;
      continue;
    }
    // A loan its thread is ending is waited for: turning it to /dev/null
    // closes the file, which must not happen once SQLite has it.
    int state = SettledState(*loan);
    while (state == kLent && !loan->state.compare_exchange_weak(state, kBusy)) {
      if (state == kBusy) state = SettledState(*loan);
    }
    if (state != kLent) continue;  // free
    const FileId lent{loan->device.load(std::memory_order_relaxed),
                      loan->inode.load(std::memory_order_relaxed)};
    if (!all && lent != id) {
      loan->state.store(kLent);
      continue;
    }
    if (TurnToNull(files.null_descriptor, descriptor)) {
      loan->state.store(kFree);
    } else {
      loan->state.store(kLent);
      turned = false;
    }
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
  // Counted first, so that a loan made from here on takes the lock and
  // finds the file open.
  files.sqlite_open_count.fetch_add(1);
  // A descriptor lent out on the file would drop SQLite's locks when the
  // library closes it: it goes first, while SQLite holds none of them yet,
  // or SQLite does not have the file.
  if (!EndLoansOf(files, id, !known)) {
    files.sqlite_open_count.fetch_sub(1);
    real_close(descriptor);
    errno = EBUSY;
    return -1;
  }
  try {
    if (known) {
      files.sqlite_descriptors[descriptor] = id;
      ++files.sqlite_opens[id];
      errno = saved;
      return descriptor;
    }
  } catch (...) {
  }
  // Counted once more for good: loans take the lock, and find the layer
  // blind.
  if (!files.blind) files.sqlite_open_count.fetch_add(1);
  files.blind = true;
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
    files.sqlite_open_count.fetch_sub(1);
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

bool AnyKeptDescriptor() { return State().kept_count.load(std::memory_order_relaxed) != 0; }

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
  Files& files = State();
  if (files.null_descriptor < 0) return false;  // no loan could be ended
  Loan* loan = LoanOf(files, descriptor, true);
  if (loan == nullptr) return false;
  // Raised before the loan is made, so that SQLite's open looks that far.
  int highest = files.highest_lent.load();
  while (highest < descriptor && !files.highest_lent.compare_exchange_weak(highest, descriptor)) {
  }
  // A free place is left alone by SQLite's opens, and written as it is.
  // One still lent was closed without its loan ending (as it should not
  // be): it is held while it is written, once what an open does to it is
  // done.
  for (int state = loan->state.load(); state != kFree;) {
    if (state == kBusy) {
      state = SettledState(*loan);
    } else if (loan->state.compare_exchange_weak(state, kBusy)) {
      break;
    }
  }
  loan->device.store(device, std::memory_order_relaxed);
  loan->inode.store(inode, std::memory_order_relaxed);
  loan->state.store(kLent);
  // SQLite's open counts itself before it looks at the loans: either it
  // sees this loan, or this loan sees the count.
  if (files.sqlite_open_count.load() == 0) return true;
  const std::lock_guard lock(files.mutex);
  // An open that looked meanwhile has turned the descriptor to /dev/null
  // already: lent, and ended.
  if (loan->state.load() != kLent) return true;
  if (files.blind || files.sqlite_opens.count({device, inode}) != 0) {
    loan->state.store(kFree);  // no open looks at the loans while the lock is held
    return false;
  }
  return true;
}

void EndLoan(int descriptor) {
  Files& files = State();
  Loan* loan = LoanOf(files, descriptor, false);
  if (loan == nullptr) return;
  int state = kLent;
  if (!loan->state.compare_exchange_strong(state, kBusy)) {
    // Not lent, or being turned by SQLite's open: the number is left
    // alone once that is done.
    SettledState(*loan);
    return;
  }
  // Should this fail, the library's close is left to a file that SQLite
  // does not have open now, as when the descriptor was lent.
  TurnToNull(ThreadsNull(files), descriptor);
  loan->state.store(kFree);
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
