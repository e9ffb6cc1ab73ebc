#include "platform/ado/sqlite_turns.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

namespace zorvadel::ado {

// Turns are served in the order they were asked for: a mutex lets a
// writer that just left take the file again before those waiting wake,
// and a page could lose every round of a burst.
struct WriterTurn {
  std::condition_variable changed;
  uint64_t next_ticket = 0;
  uint64_t serving = 0;
  // Tickets given up by writers whose wait ran out, still to be passed.
  std::set<uint64_t> abandoned;
  // The threads of the tickets still waiting.
  std::map<uint64_t, std::thread::id> queued;
  // The thread whose ticket is served: the holder, or the waiter about to
  // wake as one; none while the turn is free.
  std::thread::id holder;
  // The holder's transaction has written: it holds SQLite's write lock.
  bool written = false;

  // The ticket served has moved on: past those nobody waits for any more,
  // to the next waiter, or to nobody.
  void Pass() {
    for (auto it = abandoned.find(serving); it != abandoned.end(); it = abandoned.find(serving)) {
      abandoned.erase(it);
      ++serving;
    }
    const auto next = queued.find(serving);
    holder = next == queued.end() ? std::thread::id() : next->second;
    written = false;
  }
};

namespace {

// Every turn's state and who waits for what, under one lock: finding a
// cycle of waits reads across files. It is held only while a turn changes
// hands or a wait begins, never while anyone waits.
struct Graph {
  std::mutex mutex;
  // The turn each waiting thread waits for.
  std::map<std::thread::id, const WriterTurn*> waiting;
  // The queues whose turn each thread holds.
  std::multimap<std::thread::id, const WriterQueue*> held;
  std::map<FileId, std::weak_ptr<WriterTurn>> by_file;
};

Graph& TheGraph() {
  static Graph* graph = new Graph;  // pages may still write while the process exits
  return *graph;
}

std::shared_ptr<WriterTurn> TurnOf(const FileId& id) {
  Graph& graph = TheGraph();
  const std::lock_guard lock(graph.mutex);
  std::weak_ptr<WriterTurn>& slot = graph.by_file[id];
  std::shared_ptr<WriterTurn> turn = slot.lock();
  if (!turn) {
    turn = std::make_shared<WriterTurn>();
    slot = turn;
    // Files no handle has open any more are forgotten now and then.
    if (graph.by_file.size() > 64) {
      for (auto it = graph.by_file.begin(); it != graph.by_file.end();) {
        it = it->second.expired() ? graph.by_file.erase(it) : std::next(it);
      }
    }
  }
  return turn;
}

// Whether `me` could wait for the holder of `turn`: follows the holder to
// the turn it waits for, and that turn's holder, and so on. A wait for
// SQLite's lock (`for_lock`) is kept out by the holder only once it has
// written; a wait for the turn itself, by any holder. Called with the
// graph locked.
WaitVerdict Verdict(const Graph& graph, const WriterTurn& turn, std::thread::id me,
                    bool for_lock) {
  if (for_lock && !turn.written) return WaitVerdict::kMayEnd;
  std::thread::id holder = turn.holder;
  for (size_t step = 0; holder != std::thread::id() && step <= graph.waiting.size(); ++step) {
    if (holder == me) return step == 0 ? WaitVerdict::kOwnTurn : WaitVerdict::kDeadlock;
    const auto next = graph.waiting.find(holder);
    if (next == graph.waiting.end()) break;
    holder = next->second->holder;
  }
  return WaitVerdict::kMayEnd;
}

}  // namespace

void WriterQueue::SetFile(dev_t device, ino_t inode) {
  Leave();
  file_ = {device, inode};
  turn_ = TurnOf(file_);
}

bool WriterQueue::TryEnter() {
  if (holding_ || !turn_) return true;
  Graph& graph = TheGraph();
  WriterTurn& turn = *turn_;
  const std::lock_guard lock(graph.mutex);
  if (turn.serving != turn.next_ticket) return false;
  ++turn.next_ticket;
  turn.holder = std::this_thread::get_id();
  graph.held.emplace(turn.holder, this);
  holding_ = true;
  return true;
}

bool WriterQueue::Enter(std::chrono::steady_clock::time_point deadline, WaitVerdict* refused) {
  *refused = WaitVerdict::kMayEnd;
  if (holding_ || !turn_) return true;
  Graph& graph = TheGraph();
  WriterTurn& turn = *turn_;
  const std::thread::id me = std::this_thread::get_id();
  std::unique_lock lock(graph.mutex);
  if (turn.serving != turn.next_ticket) {
    *refused = Verdict(graph, turn, me, false);
    if (*refused != WaitVerdict::kMayEnd) return false;
  }
  const uint64_t ticket = turn.next_ticket++;
  if (turn.serving != ticket) {
    turn.queued.emplace(ticket, me);
    graph.waiting.emplace(me, &turn);
    const bool served =
        turn.changed.wait_until(lock, deadline, [&] { return turn.serving == ticket; });
    graph.waiting.erase(me);
    turn.queued.erase(ticket);
    if (!served) {
      turn.abandoned.insert(ticket);
      return false;
    }
  }
  turn.holder = me;
  graph.held.emplace(me, this);
  holding_ = true;
  return true;
}

WaitVerdict WriterQueue::CanWaitForHolder() const {
  if (holding_ || !turn_) return WaitVerdict::kMayEnd;
  Graph& graph = TheGraph();
  const std::lock_guard lock(graph.mutex);
  return Verdict(graph, *turn_, std::this_thread::get_id(), true);
}

void WriterQueue::SetWritten(bool written) {
  if (!holding_) return;
  Graph& graph = TheGraph();
  const std::lock_guard lock(graph.mutex);
  turn_->written = written;
}

void WriterQueue::Leave() {
  if (!holding_) return;
  holding_ = false;
  Graph& graph = TheGraph();
  WriterTurn& turn = *turn_;
  {
    const std::lock_guard lock(graph.mutex);
    for (auto it = graph.held.begin(); it != graph.held.end(); ++it) {
      if (it->second == this) {
        graph.held.erase(it);
        break;
      }
    }
    ++turn.serving;
    turn.Pass();
  }
  turn.changed.notify_all();
}

std::vector<void*> TurnsHeldHere() {
  Graph& graph = TheGraph();
  const std::lock_guard lock(graph.mutex);
  std::vector<void*> owners;
  const auto range = graph.held.equal_range(std::this_thread::get_id());
  for (auto it = range.first; it != range.second; ++it) owners.push_back(it->second->owner());
  return owners;
}

bool WrittenHere(const FileId& file) {
  Graph& graph = TheGraph();
  const std::lock_guard lock(graph.mutex);
  const auto found = graph.by_file.find(file);
  if (found == graph.by_file.end()) return false;
  const std::shared_ptr<WriterTurn> turn = found->second.lock();
  return turn && turn->written && turn->holder == std::this_thread::get_id();
}

}  // namespace zorvadel::ado
