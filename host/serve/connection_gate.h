// The listening socket of zorvadel-serve and the first look at every
// connection, before libmicrohttpd takes it over.
//
// libmicrohttpd closes a connection whose first line is not a request line
// ("garbage", "GET" alone) without a word, answers a head too large for its
// memory with an HTML page of its own, and neither reaches the engine, so
// such a client could not be told in WML and the access log never saw it.
// The gate accepts the connections itself, waits (without blocking anyone)
// until the head of the first request has come in whole, and hands the
// connection over only when that head is one the daemon takes: a request
// line of the form "METHOD TARGET HTTP/x.y", at most kHeadLimit bytes and
// kMostFields header lines, whose body is framed one way (request_framing.h).
// Otherwise it answers itself (400, 413, 414, 431 or 501) with the server's
// status page and closes. A 414's page is a WML deck to
// a WML phone when the phone's Accept header comes within the first
// 64 KiB of the request, the request line included; past that, or when the
// rest of the head is more than a second in coming, it is HTML. Only the first request of a
// connection is looked at here: each later head is judged by the same
// ReadHead on its way into libmicrohttpd (wire_framer.h).
//
// The gate also keeps the daemon from ever being handed more connections
// than it holds: libmicrohttpd 0.9.75 leaves a mutex locked when a
// connection handed to it finds the daemon full, and the next thing that
// daemon thread does locks it again and never returns. At most `limit`
// connections are let in at once (those waiting for their head and those
// handed over).
//
// When every place is taken, a newcomer does not simply lose to those that
// hold places and send nothing: the connection in the gate heard from
// longest ago (the one that has sent nothing, or nothing more, for the
// longest time) is closed and its place given to the newcomer. A client
// that holds a crowd of silent connections, and opens a new one for each
// closed, thus only ever holds places that others take from it; a visitor,
// whose head follows its connection at once, is the newest of them all
// and has its head handed over long before its turn to give way comes.
// A kept-alive connection handed over and idle between requests gives way
// before any of those: the daemon's side is asked first to make room
// (MakeRoom, connection_watch.h), and the one idle longest is closed.
// Were the connections in the gate to go first, a crowd of kept-alive
// connections, whose new ones send their request at once and leave the
// gate, would leave in it only a visitor's a moment before its head comes,
// and close that. Failing both,
// the connection handed over whose request body has been coming in
// longest gives way, once past its first 30 s. A page being run (or
// waiting for its session's turn) or a response being sent never does.
// A connection handed over that is chosen is shut down and the daemon
// closes it; the newcomer waits in the gate, without a place, until the
// daemon has let the place go (3 s at most, then 503). Only when no
// connection can give way does a newcomer get "503 Service Unavailable"
// from the gate.
//
// A connection that sends no complete head within the idle time is closed.
#ifndef ZORVADEL_HOST_SERVE_CONNECTION_GATE_H_
#define ZORVADEL_HOST_SERVE_CONNECTION_GATE_H_

#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "serve/access_log.h"

namespace zorvadel::serve {

// What the first bytes of a connection say.
enum class FirstLine { kIncomplete, kRequest, kMalformed };

// Reads the start of a connection: leading empty lines are skipped (a
// client may send one after a POST body); a line longer than `limit` bytes
// counts as a request (ReadHead tells it too long).
FirstLine ReadFirstLine(std::string_view received, size_t limit = 8192);

// The most a first request's head may take, request line and blank line
// included, and the most header lines it may have: libmicrohttpd's memory
// for a connection holds both with room to spare.
inline constexpr size_t kHeadLimit = 16384;
inline constexpr size_t kMostFields = 100;

// What the head of a connection's first request says.
struct Head {
  enum Verdict {
    kIncomplete,   // more is to come
    kRequest,      // a whole head the daemon takes
    kMalformed,    // the first line is no request line: 400
    kLineTooLong,  // no end of the request line within the limit: 414
    kTooLarge,     // too many bytes or header lines: 431
    kRefused,      // a body framed more than one way or not read: `refusal`
  };
  Verdict verdict = kIncomplete;
  // The blank line that ends the head has come.
  bool ended = false;
  // The request line without its end (as much as came, when too long).
  std::string_view line;
  // The value of the first Accept header seen.
  std::string_view accept;
  // The status of a kRefused head (see request_framing.h).
  int refusal = 0;
  // Of a kRequest head: the bytes it takes, empty lines before it and its
  // blank line included, and how its body is framed.
  size_t size = 0;
  bool chunked = false;
  uint64_t length = 0;
  // Of a kRequest head: its field lines, folded ones included, and whether
  // it is plain: no empty line before it, no CR but those that end lines,
  // each field line a name and a colon (or folded onto one), and none that
  // the framer renames or whose value it moves (wire_framer.h). A plain
  // head's lines need no second reading.
  size_t fields = 0;
  bool plain = false;
};

// Reads the head at the start of `received`, of which only the first
// `limit` bytes count.
Head ReadHead(std::string_view received, size_t limit = kHeadLimit,
              size_t most_fields = kMostFields);

class ConnectionGate {
 public:
  // Takes over the accepted socket; false when it could not, the socket
  // then being closed.
  using HandOver = std::function<bool(int socket, const sockaddr* address, socklen_t size)>;

  // Has one of the connections handed over give way: a kept-alive one idle
  // between requests when `idle`, else one whose request body has been
  // coming in past its first 30 s. True when one will close, its place
  // then Released.
  using MakeRoom = std::function<bool(bool idle)>;

  // `log` (which may be null or not enabled) gets a line for every answer
  // the gate gives itself. `make_room` may be empty: none gives way.
  ConnectionGate(HandOver hand_over, std::chrono::seconds idle, size_t limit,
                 const AccessLog* log, MakeRoom make_room = {});
  ~ConnectionGate();
  ConnectionGate(const ConnectionGate&) = delete;
  ConnectionGate& operator=(const ConnectionGate&) = delete;

  // Binds `address` (IPv4 or IPv6 text) and `port` (0: a free one) and
  // starts the gate's thread; false with `error` set when it cannot.
  bool Start(const std::string& address, uint16_t port, std::string* error);
  // Closes the listening socket and every connection not yet handed over,
  // and joins the thread.
  void Stop();
  // A connection handed over has closed, and its place is free: called
  // from any thread, once for each connection handed over.
  void Released() { admitted_.fetch_sub(1, std::memory_order_acq_rel); }
  uint16_t port() const { return port_; }

 private:
  void Loop();

  HandOver hand_over_;
  MakeRoom make_room_;
  std::chrono::seconds idle_;
  size_t limit_;
  const AccessLog* log_;
  // Connections let in and not yet closed: waiting here, or handed over.
  std::atomic<size_t> admitted_{0};
  int listen_fd_ = -1;
  int epoll_fd_ = -1;
  int stop_fd_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
};

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_CONNECTION_GATE_H_
