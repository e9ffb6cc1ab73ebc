// The memory of files found to be no file of SQLite's: a fixed table of
// places, each guarded by a sequence number (odd while it is written), read
// by every thread without a lock and written only at a file's first look.
#include "platform/fso/sqlite_look.h"

#include <sys/types.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/fso/sqlite_neighbours.h"

namespace zorvadel::fso {
namespace {

// How long before the look the inode must have last changed for the file
// to be remembered: longer than the coarsest time stamps of the file
// systems a site may lie on (two seconds).
constexpr int64_t kSettledNanoseconds = 3'000'000'000;

// What identifies one state of a file's bytes.
struct Stamp {
  uint64_t device;
  uint64_t inode;
  uint64_t size;
  int64_t modified;
  int64_t changed;
};

Stamp StampOf(const RegularFile& file) {
  return {static_cast<uint64_t>(file.device()), static_cast<uint64_t>(file.inode()), file.size(),
          file.modified(), file.changed()};
}

// A place of the table; its fields are atomics only so that a read that
// overlaps a write is no data race: the sequence number tells it to be
// thrown away.
struct alignas(64) Place {
  std::atomic<uint64_t> sequence{0};
  std::atomic<uint64_t> device{0};
  std::atomic<uint64_t> inode{0};
  std::atomic<uint64_t> size{0};
  std::atomic<int64_t> modified{0};
  std::atomic<int64_t> changed{0};
};

// Files in use at once beyond this share places, and one then pushes
// another out: each is read once more when it comes back.
constexpr size_t kPlaces = 1024;
std::array<Place, kPlaces> places;

Place& PlaceOf(const Stamp& stamp) {
  uint64_t h = stamp.inode * 0x9e3779b97f4a7c15ULL ^ stamp.device;
  h ^= h >> 29;
  return places[h % kPlaces];
}

bool Remembered(const Stamp& stamp) {
  const Place& place = PlaceOf(stamp);
  const uint64_t before = place.sequence.load(std::memory_order_acquire);
  if (before % 2 != 0) return false;  // being written
  const bool same = place.device.load(std::memory_order_relaxed) == stamp.device &&
                    place.inode.load(std::memory_order_relaxed) == stamp.inode &&
                    place.size.load(std::memory_order_relaxed) == stamp.size &&
                    place.modified.load(std::memory_order_relaxed) == stamp.modified &&
                    place.changed.load(std::memory_order_relaxed) == stamp.changed;
  std::atomic_thread_fence(std::memory_order_acquire);
  return same && place.sequence.load(std::memory_order_relaxed) == before;
}

void Remember(const Stamp& stamp) {
  Place& place = PlaceOf(stamp);
  uint64_t sequence = place.sequence.load(std::memory_order_relaxed);
  // Another thread writing the place wins; this file is read again next time.
  if (sequence % 2 != 0 ||
      !place.sequence.compare_exchange_strong(sequence, sequence + 1, std::memory_order_acquire)) {
    return;
  }
  std::atomic_thread_fence(std::memory_order_release);
  place.device.store(stamp.device, std::memory_order_relaxed);
  place.inode.store(stamp.inode, std::memory_order_relaxed);
  place.size.store(stamp.size, std::memory_order_relaxed);
  place.modified.store(stamp.modified, std::memory_order_relaxed);
  place.changed.store(stamp.changed, std::memory_order_relaxed);
  place.sequence.store(sequence + 2, std::memory_order_release);
}

bool SettledAt(const Stamp& stamp) {
  struct timespec now {};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
  const int64_t now_ns = static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
  return stamp.changed <= now_ns - kSettledNanoseconds;
}

}  // namespace

SqliteLook LookForSqlite(const RegularFile& file) {
  const Stamp stamp = StampOf(file);
  if (stamp.size == 0) return SqliteLook::kOther;
  if (Remembered(stamp)) return SqliteLook::kOther;
  unsigned char head[kSqliteHeadSize];
  const ptrdiff_t got = file.ReadAt(head, std::min<uint64_t>(stamp.size, sizeof(head)), 0);
  if (got < 0) return SqliteLook::kUnreadable;
  if (StartsAsSqliteFile(head, static_cast<size_t>(got))) return SqliteLook::kSqlite;
  if (SettledAt(stamp)) Remember(stamp);
  return SqliteLook::kOther;
}

}  // namespace zorvadel::fso
