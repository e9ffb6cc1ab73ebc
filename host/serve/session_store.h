// The sessions of zorvadel-serve: one MemorySession per visitor, found by the
// id in the session cookie, dropped after Session.Timeout minutes unused.
//
// A session is kept only once a page wrote to it (a value, CodePage or
// Timeout). A visitor whose pages never touch the session gets no cookie and
// costs nothing, which keeps a flood of cookie-less requests from filling
// the store; the page cannot tell, since a fresh session reads the same.
#ifndef ZORVADEL_HOST_SERVE_SESSION_STORE_H_
#define ZORVADEL_HOST_SERVE_SESSION_STORE_H_

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "zorvadel/memory_page.h"

namespace zorvadel::serve {

using Clock = std::chrono::steady_clock;

// A MemorySession that knows when it was last used and whether a page wrote
// to it.
class ServedSession : public engine::MemorySession {
 public:
  explicit ServedSession(Clock::time_point now) : last_used_(now.time_since_epoch().count()) {}

  void SetValue(std::u16string_view key, Variant value) override;
  void SetCodePage(uint32_t code_page) override;
  void SetTimeout(int32_t minutes) override;

  bool written() const { return written_.load(std::memory_order_relaxed); }
  void Touch(Clock::time_point now) {
    last_used_.store(now.time_since_epoch().count(), std::memory_order_relaxed);
  }
  // Unused for longer than its Timeout at `now`.
  bool ExpiredAt(Clock::time_point now) const;

 private:
  std::atomic<bool> written_{false};
  std::atomic<Clock::rep> last_used_;
};

class SessionStore {
 public:
  static constexpr std::string_view kCookieName = "ZORVADELSESSION";
  // Above this many sessions a new one is not kept (its page still runs).
  static constexpr size_t kDefaultCapacity = 100000;

  explicit SessionStore(size_t capacity = kDefaultCapacity);

  // The live session with this id, touched; null when there is none or it
  // has expired (an expired one is dropped now).
  std::shared_ptr<ServedSession> Find(std::string_view id, Clock::time_point now);
  // Keeps `session` under a new random id and gives the id; "" when the
  // store is full even after dropping the expired sessions (or was found
  // full within the last second).
  std::string Add(std::shared_ptr<ServedSession> session, Clock::time_point now);
  // Drops every expired session; gives how many went.
  size_t Sweep(Clock::time_point now);
  size_t size() const;

  // A new id: 128 random bits as 32 lower-case hex digits.
  static std::string NewId();
  // True when `id` has the form NewId gives; other cookie values are not
  // looked up.
  static bool WellFormedId(std::string_view id);

 private:
  // The sessions are spread over shards by id, each with its own lock, so
  // that pages of different visitors running at once rarely wait for each
  // other.
  static constexpr size_t kShards = 64;
  struct Shard {
    mutable std::mutex mutex;
    std::unordered_map<std::string, std::shared_ptr<ServedSession>> sessions;
    Clock::time_point last_full_sweep{};
  };
  static size_t SweepLocked(Shard& shard, Clock::time_point now);
  Shard& ShardOf(std::string_view id) const;

  const size_t shard_capacity_;
  std::unique_ptr<Shard[]> shards_;
};

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_SESSION_STORE_H_
