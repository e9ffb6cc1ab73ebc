// The listening socket of zorvadel-serve and the first look at every
// connection, before libmicrohttpd takes it over.
//
// libmicrohttpd closes a connection whose first line is not a request line
// ("garbage", "GET" alone) without a word, so the client cannot tell a
// refused request from a lost connection. The gate accepts the connections
// itself, waits (without blocking anyone) until the first line has come in
// whole, and hands the connection over when that line has the form
// "METHOD TARGET HTTP/x.y"; otherwise it answers "400 Bad Request" and
// closes. Only the first request of a connection is looked at: later ones
// are libmicrohttpd's, which answers malformed ones with 400 itself once
// a connection is under way. A connection that sends no complete line
// within the idle time is closed.
#ifndef ZORVADEL_HOST_SERVE_CONNECTION_GATE_H_
#define ZORVADEL_HOST_SERVE_CONNECTION_GATE_H_

#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace zorvadel::serve {

// What the first bytes of a connection say.
enum class FirstLine { kIncomplete, kRequest, kMalformed };

// Reads the start of a connection: leading empty lines are skipped (a
// client may send one after a POST body); a line longer than `limit` bytes
// counts as a request, so that libmicrohttpd answers it as too long.
FirstLine ReadFirstLine(std::string_view received, size_t limit = 8192);

class ConnectionGate {
 public:
  // Takes over the accepted socket; the gate forgets it afterwards.
  using HandOver = std::function<void(int socket, const sockaddr* address, socklen_t size)>;

  ConnectionGate(HandOver hand_over, std::chrono::seconds idle);
  ~ConnectionGate();
  ConnectionGate(const ConnectionGate&) = delete;
  ConnectionGate& operator=(const ConnectionGate&) = delete;

  // Binds `address` (IPv4 or IPv6 text) and `port` (0: a free one) and
  // starts the gate's thread; false with `error` set when it cannot.
  bool Start(const std::string& address, uint16_t port, std::string* error);
  // Closes the listening socket and every connection not yet handed over,
  // and joins the thread.
  void Stop();
  uint16_t port() const { return port_; }

 private:
  void Loop();

  HandOver hand_over_;
  std::chrono::seconds idle_;
  int listen_fd_ = -1;
  int epoll_fd_ = -1;
  int stop_fd_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
};

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_CONNECTION_GATE_H_
