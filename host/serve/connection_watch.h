// How slowly a client may send its requests, and the watch that closes the
// connections of those slower than that.
//
// libmicrohttpd's connection timeout starts again with every byte, so it
// bounds silence, not slowness: a client that sends a byte every few
// seconds would hold its connection (and its place among the connections
// the engine holds) for as long as it liked. So every connection the
// daemon holds is watched through the stages of its requests:
//   - kHead: the head of the connection's first request is awaited (the
//     gate hands a connection over with that head in, so this lasts only
//     until the access handler sees it).
//   - kIdle: a kept-alive connection between requests: its next head is
//     awaited from the end of its last response (measured from there, as
//     the daemon reads every byte as it comes and no one sees the head's
//     first byte). The head must be whole within Pace::head, as in kHead.
//   - kBody: the head is in and the body is coming. After Pace::body_grace
//     the body must have come at Pace::body_rate bytes a second on average
//     since its start.
//   - kBusy: the request is answered (a page runs or waits for its
//     session's turn, or the response is being sent): never closed here.
// A connection found too slow is shut down (shutdown(), not close(): the
// socket is the daemon's, which sees the end and closes it itself).
//
// When every place of the gate is taken, a connection the daemon holds may
// also have to give way to a newcomer (GiveWay): the kept-alive one idle
// longest, or the one whose body has been coming in longest, once past
// Pace::body_grace. One in kBusy never does. The choice is claimed on the
// entry's state word, which the serving thread moves on only when no claim
// is on it: a request whose handler had begun is never cut, and one that
// comes on a connection already claimed is not started (Enter says so).
#ifndef ZORVADEL_HOST_SERVE_CONNECTION_WATCH_H_
#define ZORVADEL_HOST_SERVE_CONNECTION_WATCH_H_

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace zorvadel::serve {

using WatchClock = std::chrono::steady_clock;

struct Pace {
  std::chrono::milliseconds head = std::chrono::seconds(30);
  std::chrono::milliseconds body_grace = std::chrono::seconds(30);
  uint64_t body_rate = 1024;  // bytes a second
};

enum class Stage : uint8_t { kHead, kBody, kBusy, kIdle };

// Whether a connection in `stage` since `since`, having taken `bytes` of
// body in that time, is too slow at `now`.
bool TooSlow(const Pace& pace, Stage stage, WatchClock::time_point since, uint64_t bytes,
             WatchClock::time_point now);

class ConnectionWatch {
 public:
  // One connection. Its stage is set by the thread that serves it and read
  // by the watch's, so it is kept in atomics.
  class Entry {
   public:
    explicit Entry(int fd) : fd_(fd) { Enter(Stage::kHead); }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

    // False when the connection has been chosen to give way: its request
    // is then not to be served, as its socket is being shut down.
    bool Enter(Stage stage, WatchClock::time_point now = WatchClock::now());
    // `count` more bytes of the body came in.
    void Took(size_t count) { bytes_.fetch_add(count, std::memory_order_relaxed); }
    Stage stage() const;

   private:
    friend class ConnectionWatch;
    const int fd_;
    // The time the stage began (milliseconds of the clock) shifted left by
    // three, with the claim to give way and the stage in the low bits: one
    // word, so that the stage is never read with the time of another, nor
    // claimed after it changed.
    std::atomic<uint64_t> state_{0};
    std::atomic<uint64_t> bytes_{0};
    // Shut down already; guarded by the watch's mutex.
    bool cut_ = false;
  };

  explicit ConnectionWatch(Pace pace = {}) : pace_(pace) {}
  ConnectionWatch(const ConnectionWatch&) = delete;
  ConnectionWatch& operator=(const ConnectionWatch&) = delete;

  // An entry is watched from Add until Remove, which must come before its
  // socket is closed: a socket is never shut down once its number may
  // have been given to another.
  void Add(Entry* entry);
  void Remove(Entry* entry);

  // Shuts down every connection too slow at `now`; returns how many.
  size_t Reap(WatchClock::time_point now);

  // Shuts down the connection that gives way to a newcomer at `now`, if
  // one may (see above): of those `idle` between requests, or else of the
  // long bodies. True when one was.
  bool GiveWay(bool idle, WatchClock::time_point now);

  // True when no request is under way: none past its head, and no
  // connection with a request come in but not yet read.
  bool Quiet() const;

 private:
  const Pace pace_;
  mutable std::mutex mutex_;
  std::unordered_set<Entry*> entries_;
};

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_CONNECTION_WATCH_H_
