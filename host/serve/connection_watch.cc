// Closing the connections of clients that send too slowly.
#include "serve/connection_watch.h"

#include <sys/ioctl.h>
#include <sys/socket.h>

namespace zorvadel::serve {
namespace {

uint64_t Millis(WatchClock::time_point when) {
  const auto count =
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
  return count < 0 ? 0 : static_cast<uint64_t>(count);
}

}  // namespace

bool TooSlow(const Pace& pace, Stage stage, WatchClock::time_point since, uint64_t bytes,
             WatchClock::time_point now) {
  const auto taken = std::chrono::duration_cast<std::chrono::milliseconds>(now - since);
  switch (stage) {
    case Stage::kHead:
      return taken > pace.head;
    case Stage::kBody:
      // bytes / seconds < rate, without dividing.
      return taken > pace.body_grace &&
             bytes * 1000 < pace.body_rate * static_cast<uint64_t>(taken.count());
    case Stage::kBusy:
      return false;
  }
  return false;
}

void ConnectionWatch::Entry::Enter(Stage stage, WatchClock::time_point now) {
  // The count starts before the stage is told, so that the watch never
  // sees a body's start with the bytes of the body before it.
  if (stage == Stage::kBody) bytes_.store(0, std::memory_order_relaxed);
  state_.store(Millis(now) << 2 | static_cast<uint64_t>(stage), std::memory_order_release);
}

Stage ConnectionWatch::Entry::stage() const {
  return static_cast<Stage>(state_.load(std::memory_order_acquire) & 3);
}

void ConnectionWatch::Add(Entry* entry) {
  std::lock_guard lock(mutex_);
  entries_.insert(entry);
}

void ConnectionWatch::Remove(Entry* entry) {
  std::lock_guard lock(mutex_);
  entries_.erase(entry);
}

size_t ConnectionWatch::Reap(WatchClock::time_point now) {
  size_t cut = 0;
  std::lock_guard lock(mutex_);
  for (Entry* entry : entries_) {
    if (entry->cut_) continue;
    const uint64_t state = entry->state_.load(std::memory_order_acquire);
    const WatchClock::time_point since{std::chrono::milliseconds(state >> 2)};
    const uint64_t bytes = entry->bytes_.load(std::memory_order_relaxed);
    if (!TooSlow(pace_, static_cast<Stage>(state & 3), since, bytes, now)) continue;
    shutdown(entry->fd_, SHUT_RDWR);
    entry->cut_ = true;
    ++cut;
  }
  return cut;
}

bool ConnectionWatch::Quiet() const {
  std::lock_guard lock(mutex_);
  for (const Entry* entry : entries_) {
    if (entry->cut_) continue;
    if (entry->stage() != Stage::kHead) return false;
    // A request sent on a kept-alive connection whose thread is still busy
    // with another: it is answered before the stop.
    int waiting = 0;
    if (ioctl(entry->fd_, FIONREAD, &waiting) == 0 && waiting > 0) return false;
  }
  return true;
}

}  // namespace zorvadel::serve
