#include "platform/ado/sqlite_turns.h"

#include <condition_variable>
#include <cstdint>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <utility>

namespace zorvadel::ado {

// Turns are served in the order they were asked for: a mutex lets a
// writer that just left take the file again before those waiting wake,
// and a page could lose every round of a burst.
struct WriterTurn {
  std::mutex mutex;
  std::condition_variable changed;
  uint64_t next_ticket = 0;
  uint64_t serving = 0;
  // Tickets given up by writers whose wait ran out, still to be passed.
  std::set<uint64_t> abandoned;

  // Moves past the tickets nobody waits for any more.
  void SkipAbandoned() {
    for (auto it = abandoned.find(serving); it != abandoned.end(); it = abandoned.find(serving)) {
      abandoned.erase(it);
      ++serving;
    }
  }
};

namespace {

using FileId = std::pair<dev_t, ino_t>;

struct Turns {
  std::mutex mutex;
  std::map<FileId, std::weak_ptr<WriterTurn>> by_file;
};

Turns& AllTurns() {
  static Turns* turns = new Turns;  // pages may still write while the process exits
  return *turns;
}

std::shared_ptr<WriterTurn> TurnOf(const FileId& id) {
  Turns& turns = AllTurns();
  const std::lock_guard lock(turns.mutex);
  std::weak_ptr<WriterTurn>& slot = turns.by_file[id];
  std::shared_ptr<WriterTurn> turn = slot.lock();
  if (!turn) {
    turn = std::make_shared<WriterTurn>();
    slot = turn;
    // Files no handle has open any more are forgotten now and then.
    if (turns.by_file.size() > 64) {
      for (auto it = turns.by_file.begin(); it != turns.by_file.end();) {
        it = it->second.expired() ? turns.by_file.erase(it) : std::next(it);
      }
    }
  }
  return turn;
}

}  // namespace

void WriterQueue::SetFile(dev_t device, ino_t inode) {
  Leave();
  turn_ = TurnOf({device, inode});
}

bool WriterQueue::Enter(std::chrono::steady_clock::time_point deadline) {
  if (holding_ || !turn_) return true;
  WriterTurn& turn = *turn_;
  std::unique_lock lock(turn.mutex);
  const uint64_t ticket = turn.next_ticket++;
  if (!turn.changed.wait_until(lock, deadline, [&] { return turn.serving == ticket; })) {
    turn.abandoned.insert(ticket);
    turn.SkipAbandoned();
    lock.unlock();
    turn.changed.notify_all();
    return false;
  }
  holding_ = true;
  return true;
}

void WriterQueue::Leave() {
  if (!holding_) return;
  holding_ = false;
  WriterTurn& turn = *turn_;
  {
    const std::lock_guard lock(turn.mutex);
    ++turn.serving;
    turn.SkipAbandoned();
  }
  turn.changed.notify_all();
}

}  // namespace zorvadel::ado
