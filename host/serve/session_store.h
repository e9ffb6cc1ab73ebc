// The sessions of zorvadel-serve: one MemorySession per visitor, found by the
// id in the session cookie, dropped after Session.Timeout minutes unused.
//
// A session is kept only once a page wrote to it (a value, CodePage or
// Timeout); a visitor whose pages never touch the session gets no cookie.
// Pages of the library's classes do write to it on every request (page
// start adds to the visit trail), so every cookie-less request of such a
// page makes a session: a crawler or a load tool that never sends the
// cookie back makes one per request.
//
// So a session starts on probation and leaves it when its cookie first
// comes back. The store has a memory budget; when a new or grown session
// does not fit, the store drops expired sessions, then the least recently
// used sessions on probation, and only when none is left the least
// recently used of the others. A flood of cookie-less requests thus only
// ever displaces its own sessions: returning visitors keep theirs, and a
// new visitor still gets one, which stays while the visitor comes back
// before the flood has made a store's worth of newer ones.
//
// The order holds across the whole store, not within a part of it: the
// sessions are spread over shards, each with its own lock, but the budget
// is one. A shard that happens to hold many returning visitors would
// otherwise drop one of them while other shards still hold the flood's
// sessions; and a shard lending budget to a crowded one never got it back,
// so new visitors there lost theirs sooner. No session that came back goes
// while any on probation is left anywhere; among those on probation, the
// oldest of a few shards drawn at random goes, which keeps every shard's
// as old as another's without sending every page that makes room to the
// same lock.
//
// A session's memory is estimated from what it holds (see
// ServedSession::bytes): the store's bookkeeping, the session object, and
// each value with its key and text.
//
// A store may belong to a named node, one of several engines behind a load
// balancer: its session ids then end in ".NODE", so that the balancer can
// send a visitor back to the engine holding its session, and an id of
// another node is unknown here.
//
// The pages of one session run one after another (the session's turn):
// page start reads the visit trail and writes it back in two calls, so two
// pages of one visitor running at once would lose one of their entries.
#ifndef ZORVADEL_HOST_SERVE_SESSION_STORE_H_
#define ZORVADEL_HOST_SERVE_SESSION_STORE_H_

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zorvadel/memory_page.h"

namespace zorvadel::serve {

using Clock = std::chrono::steady_clock;

// A page waiting for the turn of its session.
class TurnWaiter {
 public:
  explicit TurnWaiter(std::function<void()> wake) : wake_(std::move(wake)) {}

 private:
  friend class ServedSession;
  std::function<void()> wake_;
};

// A MemorySession that knows when it was last used, whether a page wrote
// to it and about how much memory it takes.
class ServedSession : public engine::MemorySession {
 public:
  explicit ServedSession(Clock::time_point now) : last_used_(now.time_since_epoch().count()) {}

  void SetValue(std::u16string_view key, Variant value) override;
  void UpdateValue(std::u16string_view key,
                   const std::function<void(Variant&)>& update) override;
  void SetCodePage(uint32_t code_page) override;
  void SetTimeout(int32_t minutes) override;
  int32_t Timeout() const override { return timeout_.load(std::memory_order_relaxed); }

  bool written() const { return written_.load(std::memory_order_relaxed); }
  // The id the store keeps the session under; "" until it is added. Set
  // once, under the store's lock, before any other page can find it.
  std::string_view id() const { return {id_.data(), id_size_}; }
  void Touch(Clock::time_point now) {
    last_used_.store(now.time_since_epoch().count(), std::memory_order_relaxed);
  }
  // The session's turn: one page of it runs at a time, the others wait in
  // the order they asked. Each turn taken ends with one EndTurn.
  //
  // Takes the turn when no page holds it.
  bool TryTurn();
  // Takes the turn when no page holds it (true); else queues `waiter`,
  // whose wake is called, on the thread that ends the turn before it, once
  // the turn is its (false).
  bool QueueForTurn(std::shared_ptr<TurnWaiter> waiter);
  // Takes `waiter` out of the queue: true when it was still waiting, false
  // when the turn has been handed to it already (or it never queued).
  bool Withdraw(const TurnWaiter& waiter);
  // Hands the turn to the first page waiting, or frees it.
  void EndTurn();
  // Takes the turn, waiting for it on this thread until `deadline`; false,
  // with no turn taken, when it did not come by then.
  bool AwaitTurn(Clock::time_point deadline);

  // Unused for longer than its Timeout at `now`.
  bool ExpiredAt(Clock::time_point now) const;
  // The estimated memory of the session and its values.
  size_t bytes() const {
    // Two pages of one session running at once may interleave their
    // counts; the estimate never goes below the bare session.
    int64_t values = value_bytes_.load(std::memory_order_relaxed);
    return kBaseBytes + (values > 0 ? static_cast<size_t>(values) : 0);
  }

  // False when the store's count of the session is its estimate still, so
  // that a page which left the session's size alone need not recount it.
  bool NeedsRecount() const {
    return bytes() != counted_bytes_.load(std::memory_order_relaxed);
  }

  // What a session costs before it holds a value: the object and its locks
  // and map, the shared pointer's block, and the store's entry with the id.
  static constexpr size_t kBaseBytes = 576;
  // What one value costs beside the text of its key and its string: the
  // map's node, the key's and the Variant's storage.
  static constexpr size_t kValueBytes = 128;

 private:
  std::atomic<bool> written_{false};
  std::atomic<Clock::rep> last_used_;
  std::atomic<int64_t> value_bytes_{0};
  // As the store last counted it (under its shard's lock).
  std::atomic<size_t> counted_bytes_{0};
  // Kept beside the session's own, so that the store tells an expired
  // session without taking its lock.
  std::atomic<int32_t> timeout_{MemorySession::Timeout()};

  friend class SessionStore;
  std::array<char, 32 + 1 + 32> id_{};
  uint8_t id_size_ = 0;

  // The turn's state, read and changed without the lock while no page
  // waits, so that a page of a session nobody else is using takes and ends
  // its turn without locking; the lock guards the queue, and the state
  // leaves kQueued only under it.
  enum TurnState : int { kFree, kTaken, kQueued };
  std::atomic<int> turn_{kFree};
  std::mutex turn_mutex_;
  // A list, not a deque: nearly no session ever queues a page, and an
  // empty list allocates nothing where a deque allocates its map and a
  // first block for every session made.
  std::list<std::shared_ptr<TurnWaiter>> waiting_;
};

class SessionStore {
 public:
  static constexpr std::string_view kCookieName = "ZORVADELSESSION";
  static constexpr size_t kDefaultMemoryMb = 128;
  static constexpr size_t kShards = 64;

  // The sessions are spread over `shards` parts, each with its own lock,
  // under one budget; the default suits a server, one shard makes the
  // order of drops exact even when sessions were used at the same time
  // (for tests). `node` is the node's name, "" for an engine on its own.
  explicit SessionStore(size_t memory_bytes = kDefaultMemoryMb << 20, size_t shards = kShards,
                        std::string_view node = "");

  // The live session with this id, touched and, when it was on probation,
  // taken off it (its cookie came back); null when there is none or it has
  // expired (an expired one is dropped now).
  std::shared_ptr<ServedSession> Find(std::string_view id, Clock::time_point now);
  // Keeps `session` on probation under a new random id and gives the id,
  // making room as above; "" only when the session alone is larger than
  // the budget.
  std::string Add(std::shared_ptr<ServedSession> session, Clock::time_point now);
  // Counts the session's memory again after a page ran (its values may
  // have grown) and makes room when the store is now over its budget. The
  // session itself is never dropped here.
  void Recount(std::string_view id, Clock::time_point now);
  // Drops every expired session; gives how many went.
  size_t Sweep(Clock::time_point now);
  size_t size() const;
  // The estimated memory of all sessions.
  size_t bytes() const;

  // A new id: 128 random bits as 32 lower-case hex digits, then "." and
  // the node's name when the store has one.
  std::string NewId() const;
  // True when `id` has the form NewId gives, the node's name included;
  // other cookie values are not looked up.
  bool WellFormedId(std::string_view id) const;
  // A node name: 1 to 32 letters, digits, "-" or "_", which a cookie
  // carries as they are.
  static bool ValidNodeName(std::string_view node);

 private:
  // An id kept in place: 32 hex digits, then "." and a node's name of up
  // to 32 characters.
  struct Id {
    static constexpr size_t kMaxSize = 32 + 1 + 32;
    std::array<char, kMaxSize> bytes{};
    uint8_t size = 0;
    explicit Id(std::string_view id);
    std::string_view view() const { return {bytes.data(), size}; }
  };
  // A session in its shard, linked into the shard's probation or
  // returning list, most recently used first.
  struct Entry {
    explicit Entry(std::string_view id_text) : id(id_text) {}
    Id id;
    std::shared_ptr<ServedSession> session;
    size_t bytes = 0;  // as last counted
    bool probation = true;
    Clock::rep used = 0;  // when it was put at the head of its list
    Entry* newer = nullptr;
    Entry* older = nullptr;
  };
  struct List {
    Entry* newest = nullptr;
    Entry* oldest = nullptr;
    void PushFront(Entry* entry);
    void Unlink(Entry* entry);
  };
  // The entries by id, which owns them: open addressing with linear
  // probing, at most half full, so that a lookup in a large store mostly
  // reads one slot and the entry, where a chained table reads a bucket,
  // the node before and the node.
  class Index {
   public:
    Index() = default;
    ~Index();
    Index(const Index&) = delete;
    Index& operator=(const Index&) = delete;
    // Looked up by the id's text where it lies, not copied into an Id.
    Entry* Find(std::string_view id) const;
    // Takes `entry` in; false (and `entry` freed) when its id is there.
    bool Insert(Entry* entry);
    // Takes the entry out and frees it.
    void Erase(const Entry* entry);
    size_t size() const { return used_; }

   private:
    struct Slot {
      uint64_t hash = 0;
      Entry* entry = nullptr;
    };
    // Ids are random, so a few of their digits spread them as well as any
    // hash of them all would.
    static uint64_t Hash(std::string_view id);
    size_t Home(uint64_t hash) const { return static_cast<size_t>(hash) & (slots_.size() - 1); }
    std::vector<Slot> slots_;
    size_t used_ = 0;
  };
  // The sessions are spread over shards by id, each with its own lock, so
  // that pages of different visitors running at once rarely wait for each
  // other. No code holds two shards' locks at once.
  struct Shard {
    mutable std::mutex mutex;
    List probation;
    List returning;
    Index index;
  };
  static constexpr Clock::rep kNoStamp = std::numeric_limits<Clock::rep>::max();

  size_t ShardNumber(std::string_view id) const;
  bool Fits() const { return bytes_.load(std::memory_order_relaxed) <= budget_; }
  // Drops sessions, one shard's lock at a time, until the store fits its
  // budget, never `keep`, which lies in shard `home`; false when the store
  // holds nothing else to drop and still does not fit.
  bool MakeRoom(size_t home, const ServedSession* keep, Clock::time_point now);
  // The shard whose list (by its stamps) holds the least recently used
  // session of the store, looked for from `first` on (which wins a tie)
  // and never `skip`; null when every list is empty.
  Shard* Oldest(const std::atomic<Clock::rep>* stamps, size_t first, const Shard* skip) const;
  // As Oldest, among `home` and a few other shards drawn at random; null
  // when none of them has a session on that list.
  Shard* OldestOfFew(const std::atomic<Clock::rep>* stamps, size_t home, const Shard* skip) const;
  // How many shards besides the home shard OldestOfFew looks at.
  static constexpr size_t kDrawn = 7;
  // Under the shard's lock: the expired sessions at the least recently
  // used end of its lists, but `keep`.
  void DropExpired(Shard& shard, const ServedSession* keep, Clock::time_point now);
  // Under the shard's lock: the least recently used of `list` but `keep`;
  // false when there is none.
  bool DropOldest(Shard& shard, List& list, const ServedSession* keep);
  void Drop(Shard& shard, Entry* entry);
  // Under the shard's lock, after its lists changed: publishes when their
  // least recently used sessions were put there.
  void Restamp(const Shard& shard);

  const std::string suffix_;  // "." and the node's name, or ""
  const size_t shard_count_;
  const size_t budget_;
  std::unique_ptr<Shard[]> shards_;
  // The estimated memory of all sessions, changed under the lock of the
  // shard whose session changed.
  std::atomic<size_t> bytes_{0};
  // For each shard, when the least recently used session of its probation
  // (or returning) list was put there, kNoStamp for an empty list: a shard
  // making room finds the store's oldest without taking every lock. Kept
  // apart from the shards, so that reading them all reads a few lines of
  // memory that change only when a list's oldest does.
  std::unique_ptr<std::atomic<Clock::rep>[]> probation_stamps_;
  std::unique_ptr<std::atomic<Clock::rep>[]> returning_stamps_;
};

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_SESSION_STORE_H_
