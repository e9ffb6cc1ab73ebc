// Closing the connections of clients that send too slowly.
#include "serve/connection_watch.h"

#include <sys/ioctl.h>
#include <sys/socket.h>

namespace zorvadel::serve {
namespace {

constexpr uint64_t kStageMask = 3;
constexpr uint64_t kClaimed = 4;
constexpr int kStageShift = 3;

Stage StageOf(uint64_t state) { return static_cast<Stage>(state & kStageMask); }
WatchClock::time_point SinceOf(uint64_t state) {
  return WatchClock::time_point{std::chrono::milliseconds(state >> kStageShift)};
}

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
    case Stage::kIdle:
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

bool ConnectionWatch::Entry::Enter(Stage stage, WatchClock::time_point now) {
  // The count starts before the stage is told, so that the watch never
  // sees a body's start with the bytes of the body before it.
  if (stage == Stage::kBody) bytes_.store(0, std::memory_order_relaxed);
  const uint64_t next = Millis(now) << kStageShift | static_cast<uint64_t>(stage);
  uint64_t state = state_.load(std::memory_order_acquire);
  do {
    if ((state & kClaimed) != 0) return false;
  } while (!state_.compare_exchange_weak(state, next, std::memory_order_acq_rel,
                                         std::memory_order_acquire));
  return true;
}

Stage ConnectionWatch::Entry::stage() const {
  return StageOf(state_.load(std::memory_order_acquire));
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
    const uint64_t bytes = entry->bytes_.load(std::memory_order_relaxed);
    if (!TooSlow(pace_, StageOf(state), SinceOf(state), bytes, now)) continue;
    shutdown(entry->fd_, SHUT_RDWR);
    entry->cut_ = true;
    ++cut;
  }
  return cut;
}

bool ConnectionWatch::GiveWay(bool idle, WatchClock::time_point now) {
  const Stage wanted = idle ? Stage::kIdle : Stage::kBody;
  std::lock_guard lock(mutex_);
  // A claim fails only when the serving thread moved the stage on since
  // it was read; the choice is then made again. The stage being the same,
  // the state word with the earlier time is the smaller.
  for (;;) {
    Entry* chosen = nullptr;
    uint64_t state = 0;
    for (Entry* entry : entries_) {
      if (entry->cut_) continue;
      const uint64_t now_state = entry->state_.load(std::memory_order_acquire);
      if (StageOf(now_state) != wanted || (chosen != nullptr && now_state >= state)) continue;
      if (!idle && now - SinceOf(now_state) <= pace_.body_grace) continue;
      chosen = entry;
      state = now_state;
    }
    if (chosen == nullptr) return false;
    if (!chosen->state_.compare_exchange_strong(state, state | kClaimed,
                                                std::memory_order_acq_rel)) {
      continue;
    }
    shutdown(chosen->fd_, SHUT_RDWR);
    chosen->cut_ = true;
    return true;
  }
}

bool ConnectionWatch::Quiet() const {
  std::lock_guard lock(mutex_);
  for (const Entry* entry : entries_) {
    if (entry->cut_) continue;
    const Stage stage = entry->stage();
    if (stage != Stage::kHead && stage != Stage::kIdle) return false;
    // A request sent on a kept-alive connection whose thread is still busy
    // with another: it is answered before the stop.
    int waiting = 0;
    if (ioctl(entry->fd_, FIONREAD, &waiting) == 0 && waiting > 0) return false;
  }
  return true;
}

}  // namespace zorvadel::serve
