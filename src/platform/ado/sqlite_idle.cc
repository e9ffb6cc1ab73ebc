#include "platform/ado/sqlite_idle.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace zorvadel::ado {
namespace {

// Enough for the files a site's pages use together, each opened a few
// times within one page; each costs an open descriptor and its page cache.
constexpr size_t kIdlePerThread = 8;

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
  sqlite3* db;
  Seen seen;
};

// Whether the handles of this thread can still be kept: a handle released
// while the thread's own objects are being destroyed is closed at once.
enum class Stage : unsigned char { kUnused, kKeeping, kEnded };
thread_local Stage t_stage = Stage::kUnused;

class ThreadHandles {
 public:
  ThreadHandles() { t_stage = Stage::kKeeping; }
  ~ThreadHandles() {
    t_stage = Stage::kEnded;
    for (const Idle& idle : idle_) sqlite3_close_v2(idle.db);
  }
  ThreadHandles(const ThreadHandles&) = delete;
  ThreadHandles& operator=(const ThreadHandles&) = delete;

  std::vector<Idle>& idle() { return idle_; }

 private:
  std::vector<Idle> idle_;  // the longest idle first
};

ThreadHandles* Mine() {
  if (t_stage == Stage::kEnded) return nullptr;
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

sqlite3* TakeIdleSqlite(const std::string& path) {
  ThreadHandles* mine = Mine();
  if (mine == nullptr) return nullptr;
  std::vector<Idle>& idle = mine->idle();
  Seen now;
  bool looked = false;
  for (size_t i = idle.size(); i-- > 0;) {
    if (idle[i].path != path) continue;
    if (!looked && !Look(path, now)) now = Seen{};
    looked = true;
    const Idle taken = idle[i];
    idle.erase(idle.begin() + static_cast<ptrdiff_t>(i));
    if (Unchanged(taken.seen, now) && StillThatFile(taken.db)) return taken.db;
    sqlite3_close_v2(taken.db);
  }
  return nullptr;
}

void KeepIdleSqlite(const std::string& path, sqlite3* db) {
  ThreadHandles* mine = Mine();
  Seen seen;
  if (mine == nullptr || sqlite3_get_autocommit(db) == 0 ||
      sqlite3_next_stmt(db, nullptr) != nullptr || !Look(path, seen)) {
    sqlite3_close_v2(db);
    return;
  }
  // The next page starts as on a new handle, which knows no inserted row.
  sqlite3_set_last_insert_rowid(db, 0);
  std::vector<Idle>& idle = mine->idle();
  if (idle.size() >= kIdlePerThread) {
    sqlite3_close_v2(idle.front().db);
    idle.erase(idle.begin());
  }
  idle.push_back({path, db, seen});
}

}  // namespace zorvadel::ado
