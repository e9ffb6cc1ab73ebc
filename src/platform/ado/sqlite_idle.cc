#include "platform/ado/sqlite_idle.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvadel::ado {
namespace {

// Enough for the files a site's pages use together, each opened a few
// times within one page; each costs an open descriptor and its page cache.
constexpr size_t kIdlePerThread = 8;
// A handle idle for longer is closed when its thread next opens a file: so
// a file deleted or replaced is not held open for good by threads that no
// longer read it.
constexpr std::chrono::seconds kIdleFor{30};
// The page cache a kept handle may hold on to; a handle that read more
// lets the rest go, so that idle handles cost little memory however large
// the files.
constexpr int kKeptCacheBytes = 256 * 1024;
// Enough for the statements of the pages on one file: the wrapped forms a
// paged query is run in count as statements of their own.
constexpr size_t kStatementsPerHandle = 24;

// What the path showed when the handle went idle. A file written in place
// behind SQLite's back (a copy over it) is no change SQLite looks for: its
// cache of pages and schema would take the new file for the old one when
// both have seen as many changes.
struct Seen {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};
};

bool Look(const std::string& path, Seen& seen) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  seen = {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
  return true;
}

bool operator==(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool Unchanged(const Seen& a, const Seen& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size &&
         a.modified == b.modified && a.changed == b.changed;
}

struct Idle {
  std::string path;
  std::unique_ptr<SqliteHandle> handle;
  Seen seen;
  std::chrono::steady_clock::time_point since;
};

// Set once the thread's handles are gone: a handle released while the
// thread's own objects are being destroyed is closed at once.
thread_local bool t_ended = false;

class ThreadHandles {
 public:
  ThreadHandles() = default;
  ~ThreadHandles() {
    t_ended = true;
    idle_.clear();
  }
  ThreadHandles(const ThreadHandles&) = delete;
  ThreadHandles& operator=(const ThreadHandles&) = delete;

  // The idle handles, less those idle for too long.
  std::vector<Idle>& idle() {
    const auto now = std::chrono::steady_clock::now();
    size_t stale = 0;
    while (stale < idle_.size() && now - idle_[stale].since > kIdleFor) ++stale;
    if (stale > 0) idle_.erase(idle_.begin(), idle_.begin() + static_cast<ptrdiff_t>(stale));
    return idle_;
  }

 private:
  std::vector<Idle> idle_;  // the longest idle first
};

ThreadHandles* Mine() {
  if (t_ended) return nullptr;
  thread_local ThreadHandles handles;
  return &handles;
}

// SQLite compares the file the handle holds open with the one the path now
// names. While the handle holds it open, that file's inode number cannot
// pass to a new file, so an equal number is the same file.
bool StillThatFile(sqlite3* db) {
  int moved = 1;
  return sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
         moved == 0;
}

}  // namespace

SqliteHandle::~SqliteHandle() {
  for (const Prepared& p : prepared_) sqlite3_finalize(p.statement);
  sqlite3_close_v2(db_);
}

sqlite3_stmt* SqliteHandle::TakeStatement(std::u16string_view sql) {
  for (Prepared& p : prepared_) {
    if (!p.taken && p.sql == sql) {
      p.taken = true;
      return p.statement;
    }
  }
  return nullptr;
}

bool SqliteHandle::Remember(std::u16string_view sql, sqlite3_stmt* statement) {
  if (!remembering_) return false;
  if (prepared_.size() >= kStatementsPerHandle) {
    // The longest unused goes: statements are remembered in the order
    // they were last given back.
    size_t i = 0;
    while (i < prepared_.size() && prepared_[i].taken) ++i;
    if (i == prepared_.size()) return false;
    sqlite3_finalize(prepared_[i].statement);
    prepared_.erase(prepared_.begin() + static_cast<ptrdiff_t>(i));
  }
  prepared_.push_back({std::u16string(sql), statement, true});
  return true;
}

void SqliteHandle::GiveBack(sqlite3_stmt* statement) {
  for (size_t i = 0; i < prepared_.size(); ++i) {
    if (prepared_[i].statement != statement) continue;
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    Prepared p = std::move(prepared_[i]);
    p.taken = false;
    prepared_.erase(prepared_.begin() + static_cast<ptrdiff_t>(i));
    prepared_.push_back(std::move(p));
    return;
  }
  sqlite3_finalize(statement);
}

void SqliteHandle::Forget() {
  remembering_ = false;
  for (const Prepared& p : prepared_) {
    if (!p.taken) sqlite3_finalize(p.statement);
  }
  prepared_.clear();
}

bool SqliteHandle::AtRest() const {
  if (!remembering_ || sqlite3_get_autocommit(db_) == 0) return false;
  for (const Prepared& p : prepared_) {
    if (p.taken) return false;
  }
  // Every statement on the handle is one of those remembered.
  size_t statements = 0;
  for (sqlite3_stmt* s = sqlite3_next_stmt(db_, nullptr); s != nullptr;
       s = sqlite3_next_stmt(db_, s)) {
    ++statements;
  }
  return statements == prepared_.size();
}

std::unique_ptr<SqliteHandle> TakeIdleSqlite(const std::string& path) {
  ThreadHandles* mine = Mine();
  if (mine == nullptr) return nullptr;
  std::vector<Idle>& idle = mine->idle();
  Seen now;
  bool looked = false;
  for (size_t i = idle.size(); i-- > 0;) {
    if (idle[i].path != path) continue;
    if (!looked && !Look(path, now)) now = Seen{};
    looked = true;
    Idle taken = std::move(idle[i]);
    idle.erase(idle.begin() + static_cast<ptrdiff_t>(i));
    if (Unchanged(taken.seen, now) && StillThatFile(taken.handle->db())) {
      return std::move(taken.handle);
    }
  }
  return nullptr;
}

void KeepIdleSqlite(const std::string& path, std::unique_ptr<SqliteHandle> handle) {
  ThreadHandles* mine = Mine();
  Seen seen;
  if (mine == nullptr || !handle->AtRest() || !Look(path, seen)) return;
  // The next page starts as on a new handle, which knows no inserted row
  // and has changed nothing. Nor has it had a transaction rolled back: the
  // page that had, and might still have thought it open, has let go of the
  // handle, and the next page's statements must not fail for it.
  sqlite3_set_last_insert_rowid(handle->db(), 0);
  handle->rolled_back = false;
  handle->refused = WaitVerdict::kMayEnd;
  handle->write_deadline = {};
  // Nor does it hold the writers' turn, which a transaction that SQLite
  // ended by itself, amid a query's rows, would otherwise leave held.
  handle->writers().Leave();
  handle->changes_before = sqlite3_total_changes64(handle->db());
  int cache = 0, highest = 0;
  if (sqlite3_db_status(handle->db(), SQLITE_DBSTATUS_CACHE_USED, &cache, &highest, 0) ==
          SQLITE_OK &&
      cache > kKeptCacheBytes) {
    sqlite3_db_release_memory(handle->db());
  }
  std::vector<Idle>& idle = mine->idle();
  if (idle.size() >= kIdlePerThread) idle.erase(idle.begin());
  // Released from a destructor: a handle that cannot be kept for want of
  // memory is closed instead.
  try {
    idle.push_back({path, std::move(handle), seen, std::chrono::steady_clock::now()});
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace zorvadel::ado
