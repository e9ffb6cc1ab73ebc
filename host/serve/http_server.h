// The HTTP side of zorvadel-serve, over libmicrohttpd: a pool of threads,
// each with its own epoll loop, keep-alive connections, and for each request
// a route of the site (a page, a static file, a redirect or an error).
//
// How a request becomes a RequestFacts:
//   - url: the raw request target exactly as it came on the request line,
//     taken from the URI-log hook, which sees it before the library splits
//     off the query and %XX-decodes the path and the arguments. The pages
//     must see the query undecoded: its bytes are decoded later with the
//     session's code page, and "%26" inside a value must not become a "&".
//   - headers: every request header in the order received; host: the Host
//     header (the listening address and port for an HTTP/1.0 request
//     without one).
//   - form: the posted body when its type is
//     application/x-www-form-urlencoded (other bodies are read and dropped).
//     Bodies over the size limit get 413, and a Content-Length that is not
//     a plain number ("12abc", "-1", "") gets 400.
//   - remote_addr and local_addr from the connection's socket, and the
//     server variables SERVER_PORT (the port the request came in on),
//     SERVER_PROTOCOL, REMOTE_PORT and SERVER_SOFTWARE.
// Pages answer GET, HEAD and POST; files GET and HEAD; other methods get 405.
// A malformed request gets 400: a first line that is no request line (see
// connection_gate.h), a method that is no token, an HTTP/1.1 request
// without a Host header. The gate also answers a first head too large (414,
// 431) and a connection past the limit (503). The statuses the server gives
// of its own come as short pages (status_page.h): WML for a client that
// accepts only WML. With an access log, every answered request is one line
// of it, the gate's answers included.
//
// A page whose session has a page running waits for its turn without
// holding a thread: its connection is set aside (suspended) and taken up
// again when the turn comes, or answered 503 when the session wait runs
// out first, so the requests of other visitors go on meanwhile.
//
// Clients too slow to send their requests are cut off (connection_watch.h),
// so that a crowd of them cannot hold every connection the server has.
// libmicrohttpd's own messages go through the error log (one line a second
// for each kind, with a count), as one comes for every connection that ends
// badly.
//
// A stop comes in two steps: Drain, which takes no more connections,
// answers 503 to requests not yet started and waits a while for those
// under way; then Stop, which must not be called while a page still runs.
#ifndef ZORVADEL_HOST_SERVE_HTTP_SERVER_H_
#define ZORVADEL_HOST_SERVE_HTTP_SERVER_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "serve/access_log.h"
#include "serve/connection_gate.h"
#include "serve/connection_watch.h"
#include "serve/page_runner.h"
#include "serve/site.h"

struct MHD_Daemon;

namespace zorvadel::serve {

struct ServerOptions {
  std::string address = "127.0.0.1";  // IPv4 or IPv6 (brackets allowed)
  uint16_t port = 8080;                // 0 picks a free port
  unsigned threads = 1;
  size_t max_body = size_t{1} << 20;
  unsigned idle_timeout_seconds = 30;  // keep-alive connections left idle
  std::string access_log;              // a file, "-" for standard output, "" for none
  std::string name = "zorvadel-serve";  // opens the lines written to standard error
};

class HttpServer {
 public:
  HttpServer(const Site& site, PageRunner& runner, ServerOptions options);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds and starts the threads; false with `error` set when it cannot.
  bool Start(std::string* error);
  // Closes the listening socket, answers 503 to every request not yet
  // started (those waiting for their session's turn, those that come on
  // kept-alive connections from now on) and waits up to `drain` for the
  // requests under way to be answered. Returns the number of pages still
  // running then: while there is one, Stop would wait for it, and only
  // the end of the process ends it.
  size_t Drain(std::chrono::milliseconds drain);
  // Closes the listening socket and the connections and joins the threads.
  void Stop();
  // The port bound (the chosen one when the options asked for 0).
  uint16_t port() const { return bound_port_.load(std::memory_order_acquire); }

  const ServerOptions& options() const { return options_; }

 private:
  // The libmicrohttpd callbacks, which answer for this object.
  friend struct Callbacks;
  // The pages set aside until their session's turn, by deadline.
  struct Waits;

  // Runs a page, counted while it runs.
  engine::ResponseResult Run(const Route& route, engine::RequestFacts facts,
                             PageRunner::Visit visit);

  const Site& site_;
  PageRunner& runner_;
  ServerOptions options_;
  MHD_Daemon* daemon_ = nullptr;
  std::unique_ptr<ConnectionGate> gate_;
  std::unique_ptr<Waits> waits_;
  ConnectionWatch watch_;
  std::atomic<bool> draining_{false};
  std::atomic<size_t> pages_running_{0};
  // Once a second: slow connections cut, held error lines written.
  std::mutex tick_mutex_;
  std::condition_variable tick_;
  bool ticking_ = false;
  std::thread ticker_;
  AccessLog access_log_;
  // Known only once the gate has bound, when the threads already run and
  // may ask for it.
  std::atomic<uint16_t> bound_port_{0};
};

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_HTTP_SERVER_H_
