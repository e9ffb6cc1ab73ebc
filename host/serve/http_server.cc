// Requests off the wire into pages and files, responses back.
#include "serve/http_server.h"

#include <fcntl.h>
#include <microhttpd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/fso/regular_file.h"
#include "platform/fso/sqlite_look.h"
#include "platform/fso/sqlite_neighbours.h"
#include "platform/log/error_log.h"
#include "serve/http_text.h"
#include "serve/request_framing.h"
#include "serve/status_page.h"
#include "serve/wire_framer.h"
#include "zorvadel/request_facts.h"
#include "zorvadel/response_result.h"

namespace zorvadel::serve {

namespace {

enum WaitOutcome : int { kWaiting, kTurnCame, kGaveUp, kStopping };

// A page set aside until the turn of its session, with what it runs on.
struct PageWait {
  std::shared_ptr<const Route> route;
  engine::RequestFacts facts;
  PageRunner::Visit visit;
  MHD_Connection* connection = nullptr;
  std::shared_ptr<TurnWaiter> waiter;
  std::pair<Clock::time_point, uint64_t> key;  // deadline, then arrival
  // Set before the connection is taken up again.
  std::atomic<int> outcome{kWaiting};
};

// A static file's descriptor lent to libmicrohttpd, which closes it with
// the response. The exchange holds a reference of its own to the response,
// so that the descriptor is still open when the exchange ends and the loan
// ends first (platform/fso/sqlite_neighbours.h).
struct LentFile {
  int descriptor = -1;
  MHD_Response* response = nullptr;
  LentFile() = default;
  LentFile(const LentFile&) = delete;
  LentFile& operator=(const LentFile&) = delete;
  ~LentFile() {
    fso::EndLoan(descriptor);
    if (response != nullptr) MHD_destroy_response(response);
  }
};

// One request's state between the calls of the access handler, and what
// the access log needs when it is over.
struct Exchange {
  std::string raw_target;
  bool started = false;
  bool too_large = false;
  std::string body;
  // Set when an answer is queued.
  unsigned status = 0;
  uint64_t bytes = 0;
  std::string method;
  std::string version;
  // Set while the page waits for its session's turn.
  std::shared_ptr<PageWait> wait;
  // The connection's place in the watch for slow clients.
  ConnectionWatch::Entry* watch = nullptr;
  // What read the connection's bytes, and the request's number on it.
  const WireTap* tap = nullptr;
  uint64_t request = 0;
  // The request line of a head refused before libmicrohttpd read it.
  std::string line;
  // Set when the answer is a static file sent from its descriptor.
  std::optional<LentFile> lent;
};

// The two ends of a connection as text, read once when it opens rather
// than at every request it carries.
struct Ends {
  std::string local_addr;
  std::string local_port;
  std::string remote_addr;
  std::string remote_port;
};

Ends ReadEnds(MHD_Connection* connection) {
  Ends ends;
  const MHD_ConnectionInfo* client =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  std::tie(ends.remote_addr, ends.remote_port) =
      AddressText(client == nullptr ? nullptr : client->client_addr);
  const MHD_ConnectionInfo* socket =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
  if (socket != nullptr) {
    sockaddr_storage local{};
    socklen_t size = sizeof local;
    if (getsockname(socket->connect_fd, reinterpret_cast<sockaddr*>(&local), &size) == 0) {
      auto [address, port] = AddressText(reinterpret_cast<sockaddr*>(&local));
      ends.local_addr = address;
      ends.local_port = port;
    }
  }
  return ends;
}

// What is kept for a connection while it is open.
struct Tracked {
  Tracked(MHD_Connection* connection, int fd, uint64_t most_body)
      : ends(ReadEnds(connection)), watch(fd), tap(most_body) {}
  Ends ends;
  ConnectionWatch::Entry watch;
  WireTap tap;
  uint64_t requests = 0;  // begun on the connection
};

ssize_t RecvOf(int fd, void* buffer, size_t size, int flags) {
  return recv(fd, buffer, size, flags);
}

Tracked* TrackedOf(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  return info == nullptr ? nullptr : static_cast<Tracked*>(info->socket_context);
}

// The connection's ends as read when it opened, where they lie; read now
// into `spare` when they were not.
const Ends& EndsOf(MHD_Connection* connection, Ends& spare) {
  if (const Tracked* tracked = TrackedOf(connection)) return tracked->ends;
  spare = ReadEnds(connection);
  return spare;
}

MHD_Result Queue(MHD_Connection* connection, Exchange& exchange, MHD_Response* response,
                 unsigned status, uint64_t bytes) {
  if (response == nullptr) return MHD_NO;
  MHD_Result queued = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  if (queued == MHD_YES) {
    exchange.status = status;
    exchange.bytes = bytes;
  }
  return queued;
}

MHD_Response* BodyResponse(std::string body) {
  auto* held = new std::string(std::move(body));
  MHD_Response* response = MHD_create_response_from_buffer_with_free_callback_cls(
      held->size(), held->data(), [](void* cls) { delete static_cast<std::string*>(cls); },
      held);
  if (response == nullptr) delete held;
  return response;
}

// Who is named when a header is refused: the server and the page's path,
// or the raw target alone. Only joined when needed, as nearly no reply
// has a header refused.
struct LogName {
  const std::string* server = nullptr;
  std::string_view target;

  std::string Text() const {
    if (server == nullptr) return std::string(target);
    return *server + ": " + std::string(engine::TargetPath(target));
  }
};

// Sends a finished response: its status, headers and body. A header the
// library refuses is left out and named on standard error after `log`.
MHD_Result Reply(MHD_Connection* connection, Exchange& exchange,
                 engine::ResponseResult result, const LogName& log) {
  const uint64_t bytes = result.body.size();
  MHD_Response* response = BodyResponse(std::move(result.body));
  if (response == nullptr) return MHD_NO;
  for (const auto& [name, value] : result.headers) {
    if (MHD_add_response_header(response, name.c_str(), value.c_str()) != MHD_YES) {
      std::cerr << log.Text() + ": header " + name + " refused\n" << std::flush;
    }
  }
  return Queue(connection, exchange, response, static_cast<unsigned>(result.status), bytes);
}

bool ClientAcceptsOnlyWml(MHD_Connection* connection) {
  const char* accept = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Accept");
  return accept != nullptr && AcceptsOnlyWml(accept);
}

// A short page for the statuses the server gives of its own.
MHD_Result QueueStatus(MHD_Connection* connection, Exchange& exchange, unsigned status,
                       std::initializer_list<std::pair<const char*, std::string>> headers = {}) {
  engine::ResponseResult result =
      StatusPage(static_cast<int32_t>(status), ClientAcceptsOnlyWml(connection));
  for (const auto& [name, value] : headers) result.headers.emplace_back(name, value);
  // After a malformed request, or one whose body is refused unread, the
  // rest of what the client sent cannot be trusted to be framed as
  // requests; a server that stops takes no more.
  if (status == MHD_HTTP_BAD_REQUEST || status == MHD_HTTP_CONTENT_TOO_LARGE ||
      status == MHD_HTTP_URI_TOO_LONG || status == MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE ||
      status == MHD_HTTP_NOT_IMPLEMENTED || status == MHD_HTTP_SERVICE_UNAVAILABLE) {
    result.headers.emplace_back("Connection", "close");
  }
  return Reply(connection, exchange, std::move(result), LogName{nullptr, exchange.raw_target});
}

std::string LogPrefix(const ServerOptions& options, std::string_view target) {
  return options.name + ": " + std::string(engine::TargetPath(target));
}

// Names and values come with their lengths: none is measured again.
std::string_view Text(const char* text, size_t size) {
  return text == nullptr ? std::string_view() : std::string_view(text, size);
}

MHD_Result CollectHeader(void* cls, MHD_ValueKind /*kind*/, const char* key, size_t key_size,
                         const char* value, size_t value_size) {
  // Room for every header was made beforehand.
  auto* headers = static_cast<std::vector<std::pair<std::string, std::string>>*>(cls);
  headers->emplace_back(ShownName(Text(key, key_size)), Text(value, value_size));
  return MHD_YES;
}

// The status the request was refused with on its way in, or 0.
int RefusalOf(const Exchange& exchange) {
  return exchange.tap == nullptr ? 0 : exchange.tap->RefusalOf(exchange.request);
}

MHD_Result ReadFraming(void* cls, MHD_ValueKind /*kind*/, const char* key, size_t key_size,
                       const char* value, size_t value_size) {
  static_cast<RequestFraming*>(cls)->Field(ShownName(Text(key, key_size)),
                                           TrimBlanks(Text(value, value_size)));
  return MHD_YES;
}

// The most connections open at once: as many as the process may open
// files, less some kept for the pages, the log and each thread's event
// descriptors (the daemon polls with epoll, so no descriptor number is too
// high for it), and never more than kMostConnections: every connection
// the daemon holds takes about 32 KB of memory (its memory pool), half a
// gigabyte at that bound.
size_t ConnectionLimit(unsigned threads) {
  constexpr size_t kMostConnections = 16384;
  const size_t spare = 64 + size_t{2} * threads;
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY) {
    return kMostConnections;
  }
  // The soft limit is often far below the hard one (1,024 against some
  // hundred thousand): the server takes what it can use of the hard one.
  if (files.rlim_max == RLIM_INFINITY || files.rlim_max > files.rlim_cur) {
    const rlim_t wanted = kMostConnections + spare;
    rlimit raised = files;
    raised.rlim_cur = files.rlim_max == RLIM_INFINITY ? wanted : std::min(files.rlim_max, wanted);
    if (raised.rlim_cur > files.rlim_cur && setrlimit(RLIMIT_NOFILE, &raised) == 0) files = raised;
  }
  const auto open = static_cast<size_t>(files.rlim_cur);
  return open > spare ? std::min(kMostConnections, open - spare) : 1;
}

}  // namespace

struct HttpServer::Waits {
  std::mutex mutex;
  std::condition_variable changed;
  std::map<std::pair<Clock::time_point, uint64_t>, std::shared_ptr<PageWait>> pending;
  uint64_t arrivals = 0;
  size_t suspended = 0;  // connections set aside and not yet taken up again
  bool stopping = false;
  // When the sleeping timer wakes of itself (never, while nothing waits);
  // a page set aside wakes it only to be given up on sooner than that.
  Clock::time_point timer_wakes = Clock::time_point::max();
  std::thread timer;

  // Takes the page's connection up again, to run the page or to say 503.
  void Resume(PageWait& wait, WaitOutcome outcome) {
    wait.outcome.store(outcome);
    MHD_resume_connection(wait.connection);
    std::lock_guard lock(mutex);
    pending.erase(wait.key);
    --suspended;
    // The timer need not wake for a wait that ended: at worst it wakes once
    // at that wait's deadline and finds it gone. Only a stop waits for the
    // last connection set aside to be taken up.
    if (stopping) changed.notify_all();
  }

  // Gives up on each page whose deadline has passed.
  void TimerLoop() {
    std::unique_lock lock(mutex);
    while (!stopping) {
      if (pending.empty()) {
        timer_wakes = Clock::time_point::max();
        changed.wait(lock);
        continue;
      }
      auto first = pending.begin();
      // A copy: the entry may go while the timer sleeps.
      const Clock::time_point deadline = first->first.first;
      if (Clock::now() < deadline) {
        timer_wakes = deadline;
        changed.wait_until(lock, deadline);
        continue;
      }
      std::shared_ptr<PageWait> wait = first->second;
      pending.erase(first);
      lock.unlock();
      // Withdrawn unless the turn came at the last moment: then its waker
      // takes it up.
      if (wait->visit.session->Withdraw(*wait->waiter)) Resume(*wait, kGaveUp);
      lock.lock();
    }
  }

  // Answers every waiting page 503 and waits until no connection is set
  // aside: libmicrohttpd cannot stop with one. Pages set aside from now on
  // are answered 503 at once.
  void Release() {
    std::vector<std::shared_ptr<PageWait>> all;
    {
      std::lock_guard lock(mutex);
      stopping = true;
      for (auto& entry : pending) all.push_back(entry.second);
    }
    changed.notify_all();
    if (timer.joinable()) timer.join();
    for (const std::shared_ptr<PageWait>& wait : all) {
      if (wait->visit.session->Withdraw(*wait->waiter)) Resume(*wait, kStopping);
    }
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return suspended == 0; });
  }
};

struct Callbacks {
  static MHD_Result Answer(HttpServer& server, MHD_Connection* connection, Exchange& exchange,
                           const char* method, const char* version);
  static MHD_Result SendFile(MHD_Connection* connection, Exchange& exchange, const Route& route);
  static MHD_Result SetAside(HttpServer& server, MHD_Connection* connection, Exchange& exchange,
                             std::shared_ptr<PageWait> wait);

  static void Connected(void* cls, MHD_Connection* connection, void** socket_context,
                        MHD_ConnectionNotificationCode code) {
    auto* server = static_cast<HttpServer*>(cls);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      const MHD_ConnectionInfo* socket =
          MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
      auto* tracked = new Tracked(connection, socket == nullptr ? -1 : socket->connect_fd,
                                  server->options_.max_body);
      if (socket != nullptr) {
        server->watch_.Add(&tracked->watch);
        // Before the daemon's first read of the socket.
        Watch(socket->connect_fd, &tracked->tap);
      }
      *socket_context = tracked;
    } else {
      // The daemon closes the socket only after this: out of the watch
      // first, so that it never shuts down a number given to another.
      auto* tracked = static_cast<Tracked*>(*socket_context);
      if (tracked != nullptr) {
        server->watch_.Remove(&tracked->watch);
        const MHD_ConnectionInfo* socket =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        if (socket != nullptr) {
          Unwatch(socket->connect_fd);
          tracked->tap.Drain(socket->connect_fd, &RecvOf);
        }
      }
      delete tracked;
      *socket_context = nullptr;
      server->gate_->Released();
    }
  }

  static void* UriLog(void* /*cls*/, const char* uri, MHD_Connection* connection) {
    auto* exchange = new Exchange;
    exchange->raw_target = uri == nullptr ? "" : uri;
    if (Tracked* tracked = TrackedOf(connection)) {
      exchange->watch = &tracked->watch;
      exchange->tap = &tracked->tap;
      exchange->request = ++tracked->requests;
    }
    return exchange;
  }

  // libmicrohttpd's messages: one comes for every connection that ends
  // badly, which a crowd of broken clients turns into a flood.
  static void Logger(void* cls, const char* format, va_list args) {
    char text[1024];
    const int length = std::vsnprintf(text, sizeof text, format, args);
    if (length < 0) return;
    std::string_view message(text, std::min(sizeof text - 1, static_cast<size_t>(length)));
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
      message.remove_suffix(1);
    }
    log::Line(static_cast<const HttpServer*>(cls)->options_.name + ": " + std::string(message));
  }

  static void Completed(void* cls, MHD_Connection* connection, void** con_cls,
                        MHD_RequestTerminationCode /*code*/) {
    auto* exchange = static_cast<Exchange*>(*con_cls);
    *con_cls = nullptr;
    // The next head is measured from here: no one sees its first byte.
    if (Tracked* tracked = TrackedOf(connection)) tracked->watch.Enter(Stage::kIdle);
    if (exchange == nullptr) return;
    // A page given its turn whose connection closed before it ran passes
    // the turn on.
    if (exchange->wait != nullptr && exchange->wait->outcome.load() == kTurnCame) {
      exchange->wait->visit.session->EndTurn();
    }
    const auto* server = static_cast<const HttpServer*>(cls);
    if (server->access_log_.enabled() && exchange->status != 0) {
      Ends spare;
      const Ends& ends = EndsOf(connection, spare);
      // The body of an answer to HEAD is never sent.
      const uint64_t sent = exchange->method == MHD_HTTP_METHOD_HEAD ? 0 : exchange->bytes;
      // A head refused on its way in is logged by its own line.
      const std::string_view method =
          exchange->line.empty() ? std::string_view(exchange->method) : std::string_view();
      server->access_log_.Write({ends.remote_addr, method, exchange->raw_target,
                                 exchange->version, static_cast<int>(exchange->status), sent,
                                 std::chrono::system_clock::now(), exchange->line});
    }
    delete exchange;
  }

  // Called first when the head is in (only to accept or refuse the body),
  // then once per piece of the body, then with no data to answer. Answering
  // only then keeps the connection's framing intact for keep-alive.
  static MHD_Result Access(void* cls, MHD_Connection* connection, const char* url,
                           const char* method, const char* version, const char* upload_data,
                           size_t* upload_data_size, void** con_cls) {
    auto* server = static_cast<HttpServer*>(cls);
    auto* exchange = static_cast<Exchange*>(*con_cls);
    if (exchange == nullptr) {  // the URI hook always runs first; stay safe
      exchange = new Exchange;
      exchange->raw_target = url == nullptr ? "" : url;
      *con_cls = exchange;
    }
    const size_t limit = server->options_.max_body;
    if (!exchange->started) {
      exchange->started = true;
      // A connection chosen to give way to a newcomer starts no request.
      if (exchange->watch != nullptr && !exchange->watch->Enter(Stage::kBody)) return MHD_NO;
      exchange->method = method;
      exchange->version = version;
      // A head refused on its way in came as a stand-in; a line of its
      // body refused may be known already.
      if (const int refused = RefusalOf(*exchange)) {
        if (!exchange->tap->framer().refused_line().empty()) {
          exchange->line = exchange->tap->framer().refused_line();
        }
        return QueueStatus(connection, *exchange, static_cast<unsigned>(refused));
      }
      // Every request of the connection, not only its first, which the
      // gate has looked at: refused before its body is read, and the
      // connection closed after, as what follows cannot be told apart
      // from the body.
      RequestFraming framing;
      MHD_get_connection_values_n(connection, MHD_HEADER_KIND, &ReadFraming, &framing);
      if (const int refusal = framing.Refusal(limit)) {
        return QueueStatus(connection, *exchange, static_cast<unsigned>(refusal));
      }
      return MHD_YES;
    }
    if (*upload_data_size != 0) {
      if (exchange->watch != nullptr) exchange->watch->Took(*upload_data_size);
      if (exchange->too_large || exchange->body.size() + *upload_data_size > limit) {
        exchange->too_large = true;
        exchange->body.clear();
      } else {
        exchange->body.append(upload_data, *upload_data_size);
      }
      *upload_data_size = 0;
      return MHD_YES;
    }
    if (exchange->watch != nullptr && !exchange->watch->Enter(Stage::kBusy)) return MHD_NO;
    if (const int refused = RefusalOf(*exchange)) {
      return QueueStatus(connection, *exchange, static_cast<unsigned>(refused));
    }
    if (exchange->too_large) {
      return QueueStatus(connection, *exchange, MHD_HTTP_CONTENT_TOO_LARGE);
    }
    // A request that comes while the server stops is not started.
    if (exchange->wait == nullptr && server->draining_.load(std::memory_order_acquire)) {
      return QueueStatus(connection, *exchange, MHD_HTTP_SERVICE_UNAVAILABLE);
    }
    try {
      return Answer(*server, connection, *exchange, method, version);
    } catch (const std::exception& e) {
      std::cerr << LogPrefix(server->options_, exchange->raw_target) + ": " + e.what() + "\n"
                << std::flush;
      return QueueStatus(connection, *exchange, MHD_HTTP_INTERNAL_SERVER_ERROR);
    } catch (...) {
      return QueueStatus(connection, *exchange, MHD_HTTP_INTERNAL_SERVER_ERROR);
    }
  }
};

HttpServer::HttpServer(const Site& site, PageRunner& runner, ServerOptions options)
    : site_(site), runner_(runner), options_(std::move(options)) {}

HttpServer::~HttpServer() { Stop(); }

MHD_Result Callbacks::Answer(HttpServer& server, MHD_Connection* connection, Exchange& exchange,
                             const char* method, const char* version) {
  if (exchange.wait != nullptr) {  // taken up again: the turn came, or the wait ran out
    std::shared_ptr<PageWait> wait = std::move(exchange.wait);
    if (wait->outcome.load() == kStopping) {
      return QueueStatus(connection, exchange, MHD_HTTP_SERVICE_UNAVAILABLE);
    }
    const LogName log{&server.options_.name, wait->route->script_name};
    engine::ResponseResult result =
        wait->outcome.load() == kTurnCame
            ? server.Run(*wait->route, std::move(wait->facts), std::move(wait->visit))
            : server.runner_.Busy(wait->facts);
    return Reply(connection, exchange, std::move(result), log);
  }
  const std::string_view verb = method;
  if (!IsToken(verb)) return QueueStatus(connection, exchange, MHD_HTTP_BAD_REQUEST);
  const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_HOST);
  // HTTP/1.1 makes the Host header compulsory; an older client may leave
  // it out.
  if (host == nullptr && std::string_view(version) == MHD_HTTP_VERSION_1_1) {
    return QueueStatus(connection, exchange, MHD_HTTP_BAD_REQUEST);
  }
  const bool get = verb == MHD_HTTP_METHOD_GET || verb == MHD_HTTP_METHOD_HEAD;
  if (!get && verb != MHD_HTTP_METHOD_POST) {
    return QueueStatus(connection, exchange, MHD_HTTP_METHOD_NOT_ALLOWED,
                       {{"Allow", "GET, HEAD, POST"}});
  }
  const std::string_view target = exchange.raw_target;
  const std::string_view query = engine::TargetQuery(target);
  // The site's own route, not a copy (a route holds a path and texts);
  // held by this thread's memory of the site while the page runs.
  const std::shared_ptr<const Route>& shared_route =
      server.site_.ResolveHere(engine::TargetPath(target));
  const Route& route = *shared_route;
  switch (route.kind) {
    case Route::Kind::kBadRequest:
      return QueueStatus(connection, exchange, MHD_HTTP_BAD_REQUEST);
    case Route::Kind::kNotFound:
      return QueueStatus(connection, exchange, MHD_HTTP_NOT_FOUND);
    case Route::Kind::kRedirect: {
      std::string location = route.location;
      if (!query.empty()) location += "?" + std::string(query);
      return QueueStatus(connection, exchange, MHD_HTTP_MOVED_PERMANENTLY,
                         {{"Location", location}});
    }
    case Route::Kind::kFile:
      if (!get) {
        return QueueStatus(connection, exchange, MHD_HTTP_METHOD_NOT_ALLOWED,
                           {{"Allow", "GET, HEAD"}});
      }
      return SendFile(connection, exchange, route);
    case Route::Kind::kPage:
    case Route::Kind::kScript:
      break;
  }

  engine::RequestFacts facts;
  facts.method = method;
  facts.url = route.script_name;
  if (target.find('?') != std::string_view::npos) facts.url += "?" + std::string(query);
  facts.headers.reserve(static_cast<size_t>(
      std::max(0, MHD_get_connection_values(connection, MHD_HEADER_KIND, nullptr, nullptr))));
  MHD_get_connection_values_n(connection, MHD_HEADER_KIND, &CollectHeader, &facts.headers);

  Ends spare;
  const Ends& ends = EndsOf(connection, spare);
  const std::string& local_port = ends.local_port;
  facts.remote_addr = ends.remote_addr;
  facts.local_addr = ends.local_addr;
  if (host != nullptr) {
    facts.host = host;
  } else {
    const bool v6 = facts.local_addr.find(':') != std::string::npos;
    facts.host = (v6 ? "[" + facts.local_addr + "]" : facts.local_addr) + ":" + local_port;
  }
  // Without a body there is no form, whatever the type says: the headers
  // are searched for it only when one came.
  if (!exchange.body.empty() &&
      StartsWithNoCase(engine::HeaderValue(facts, "Content-Type"),
                       "application/x-www-form-urlencoded")) {
    facts.form = std::move(exchange.body);
  }
  facts.server_variables = {{"SERVER_PORT", local_port},
                            {"SERVER_PROTOCOL", version},
                            {"REMOTE_PORT", ends.remote_port},
                            {"SERVER_SOFTWARE", "zorvadel-serve"}};

  PageRunner::Visit visit = server.runner_.Begin(facts);
  if (!visit.id.empty() && !visit.session->TryTurn()) {
    auto wait = std::make_shared<PageWait>();
    wait->route = shared_route;
    wait->facts = std::move(facts);
    wait->visit = std::move(visit);
    return SetAside(server, connection, exchange, std::move(wait));
  }
  engine::ResponseResult result =
      server.Run(route, std::move(facts), std::move(visit));
  return Reply(connection, exchange, std::move(result),
               LogName{&server.options_.name, route.script_name});
}

// Suspends the connection before the page queues for its turn, so that
// the waker never takes up a connection not yet set aside.
MHD_Result Callbacks::SetAside(HttpServer& server, MHD_Connection* connection,
                               Exchange& exchange, std::shared_ptr<PageWait> wait) {
  HttpServer::Waits& waits = *server.waits_;
  bool turn_now = false;
  bool wake_timer = false;
  {
    std::lock_guard lock(waits.mutex);
    if (!waits.stopping) {
      MHD_suspend_connection(connection);
      wait->connection = connection;
      wait->key = {Clock::now() + server.runner_.options().session_wait, waits.arrivals++};
      ServedSession* session = wait->visit.session.get();
      wait->waiter = std::make_shared<TurnWaiter>(
          [&waits, weak = std::weak_ptr<PageWait>(wait), session] {
            if (std::shared_ptr<PageWait> woken = weak.lock()) {
              waits.Resume(*woken, kTurnCame);
            } else {
              session->EndTurn();  // its connection is gone: the next one's turn
            }
          });
      // The timer sleeps until the deadline it last saw first, which may
      // be that of a wait that has ended since: it needs waking only for a
      // deadline before it, which a steady wait of one length never is
      // while the timer sleeps for an earlier page.
      waits.pending.emplace(wait->key, wait);
      wake_timer = wait->key.first < waits.timer_wakes;
      ++waits.suspended;
      exchange.wait = wait;
      turn_now = session->QueueForTurn(wait->waiter);
    }
  }
  if (exchange.wait == nullptr) {  // the server is stopping
    return QueueStatus(connection, exchange, MHD_HTTP_SERVICE_UNAVAILABLE);
  }
  if (wake_timer) waits.changed.notify_all();
  if (turn_now) waits.Resume(*wait, kTurnCame);
  return MHD_YES;
}

namespace {

// A static file's response reads this much at a time.
constexpr size_t kStaticBlock = 64 * 1024;

ssize_t ReadStaticFile(void* cls, uint64_t position, char* buffer, size_t most) {
  const auto* file = static_cast<const fso::RegularFile*>(cls);
  if (position >= file->size()) return MHD_CONTENT_READER_END_OF_STREAM;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(most, file->size() - position));
  const ptrdiff_t got = file->ReadAt(buffer, want, position);
  // A file cut shorter while it is sent ends the response short.
  return got > 0 ? got : MHD_CONTENT_READER_END_WITH_ERROR;
}

void CloseStaticFile(void* cls) { delete static_cast<fso::RegularFile*>(cls); }

}  // namespace

// A file of SQLite's, whatever its name, is refused as one named ".db" is;
// its first bytes are read through the descriptor that closes beside
// SQLite, unless the file was found to be none before and has not changed
// since (platform/fso/sqlite_look.h). The route saw the file regular a
// moment ago, so it is opened without a look first. Any other file goes to
// the library whole, to be sent from the kernel's cache, on loan
// (platform/fso/sqlite_neighbours.h): the library closes the descriptor
// itself, which would drop every lock SQLite holds on the file in this
// process, so a file that SQLite has open is never lent, and a loan whose
// file SQLite opens meanwhile ends there. A file not lent, and an empty one
// (a database not yet written), is read with pread into the connection's
// buffer.
MHD_Result Callbacks::SendFile(MHD_Connection* connection, Exchange& exchange,
                               const Route& route) {
  auto file = std::make_unique<fso::RegularFile>(route.file.native(),
                                                 fso::RegularFile::Use::kSend);
  if (!file->ok()) return QueueStatus(connection, exchange, MHD_HTTP_NOT_FOUND);
  const uint64_t size = file->size();
  switch (fso::LookForSqlite(*file)) {
    case fso::SqliteLook::kOther:
      break;
    case fso::SqliteLook::kSqlite:
      return QueueStatus(connection, exchange, MHD_HTTP_NOT_FOUND);
    case fso::SqliteLook::kUnreadable:
      return QueueStatus(connection, exchange, MHD_HTTP_INTERNAL_SERVER_ERROR);
  }
  if (size > 0 && fso::LendDescriptor(file->descriptor(), file->device(), file->inode())) {
    LentFile& lent = exchange.lent.emplace();
    lent.descriptor = file->descriptor();
    lent.response = MHD_create_response_from_fd64(size, lent.descriptor);
    if (lent.response == nullptr) {
      exchange.lent.reset();  // the loan ends, then the file closes
      return MHD_NO;
    }
    file->Release();  // the response's now, closed by the library
    MHD_add_response_header(lent.response, MHD_HTTP_HEADER_CONTENT_TYPE,
                            route.content_type.c_str());
    MHD_Response* response = lent.response;
    if (MHD_queue_response(connection, MHD_HTTP_OK, response) != MHD_YES) return MHD_NO;
    exchange.status = MHD_HTTP_OK;
    exchange.bytes = size;
    return MHD_YES;
  }
  // The buffer is as large as the file when that is smaller: it is
  // allocated and cleared for every response.
  const size_t block = static_cast<size_t>(std::clamp<uint64_t>(size, 1024, kStaticBlock));
  MHD_Response* response = MHD_create_response_from_callback(
      size, block, &ReadStaticFile, file.get(), &CloseStaticFile);
  if (response == nullptr) return MHD_NO;
  file.release();  // the response's now
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, route.content_type.c_str());
  return Queue(connection, exchange, response, MHD_HTTP_OK, size);
}

bool HttpServer::Start(std::string* error) {
  if (!options_.access_log.empty() && !access_log_.Open(options_.access_log, error)) return false;
  std::string address = options_.address;
  if (address == "localhost") address = "127.0.0.1";
  if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
    address = address.substr(1, address.size() - 2);
  }
  const unsigned threads = std::max(1u, options_.threads);
  const size_t limit = ConnectionLimit(threads);
  // The gate listens and hands each connection over once its head is in;
  // the daemon itself listens on nothing.
  const unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_TURBO |
                         MHD_USE_ERROR_LOG | MHD_USE_NO_LISTEN_SOCKET | MHD_USE_ITC |
                         MHD_ALLOW_SUSPEND_RESUME;
  waits_ = std::make_unique<Waits>();
  std::vector<MHD_OptionItem> settings = {
      {MHD_OPTION_EXTERNAL_LOGGER, reinterpret_cast<intptr_t>(&Callbacks::Logger), this},
      {MHD_OPTION_URI_LOG_CALLBACK, reinterpret_cast<intptr_t>(&Callbacks::UriLog), nullptr},
      {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&Callbacks::Completed), this},
      {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&Callbacks::Connected), this},
      {MHD_OPTION_CONNECTION_TIMEOUT, options_.idle_timeout_seconds, nullptr},
      // libmicrohttpd splits its limit evenly among its threads and picks
      // the thread for a new connection by the count of the connections
      // each has taken in, which lags behind those handed to it: a thread
      // may be handed more than its share. A daemon that finds itself full
      // deadlocks, so every thread may hold all the connections the gate
      // ever lets in.
      {MHD_OPTION_CONNECTION_LIMIT, static_cast<intptr_t>(limit * threads), nullptr},
  };
  // One thread is the daemon's own polling thread: libmicrohttpd warns of a
  // pool of one.
  if (threads > 1) settings.push_back({MHD_OPTION_THREAD_POOL_SIZE, threads, nullptr});
  settings.push_back({MHD_OPTION_END, 0, nullptr});
  daemon_ = MHD_start_daemon(flags, 0, nullptr, nullptr, &Callbacks::Access, this,
                             MHD_OPTION_ARRAY, settings.data(), MHD_OPTION_END);
  if (daemon_ == nullptr) {
    *error = "cannot start the HTTP threads";
    return false;
  }
  MHD_Daemon* daemon = daemon_;
  gate_ = std::make_unique<ConnectionGate>(
      [daemon](int socket, const sockaddr* address, socklen_t size) {
        // The daemon closes the socket itself when it cannot take it.
        return MHD_add_connection(daemon, socket, address, size) == MHD_YES;
      },
      std::chrono::seconds(options_.idle_timeout_seconds), limit, &access_log_,
      [this](bool idle) { return watch_.GiveWay(idle, WatchClock::now()); });
  if (!gate_->Start(address, options_.port, error)) {
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
    gate_.reset();
    return false;
  }
  bound_port_.store(gate_->port(), std::memory_order_release);
  waits_->timer = std::thread([waits = waits_.get()] { waits->TimerLoop(); });
  ticking_ = true;
  ticker_ = std::thread([this] {
    std::unique_lock lock(tick_mutex_);
    while (!tick_.wait_for(lock, std::chrono::seconds(1), [this] { return !ticking_; })) {
      lock.unlock();
      const size_t cut = watch_.Reap(WatchClock::now());
      for (size_t i = 0; i < cut; ++i) {
        log::Line(options_.name + ": a connection too slow to send its request was closed");
      }
      log::Flush();
      lock.lock();
    }
  });
  return true;
}

engine::ResponseResult HttpServer::Run(const Route& route, engine::RequestFacts facts,
                                       PageRunner::Visit visit) {
  pages_running_.fetch_add(1, std::memory_order_acq_rel);
  struct Done {
    std::atomic<size_t>& running;
    ~Done() { running.fetch_sub(1, std::memory_order_acq_rel); }
  } done{pages_running_};
  return runner_.RunVisit(route, std::move(facts), std::move(visit));
}

size_t HttpServer::Drain(std::chrono::milliseconds drain) {
  if (daemon_ == nullptr) return 0;
  if (gate_) gate_->Stop();
  draining_.store(true, std::memory_order_release);
  waits_->Release();
  const auto deadline = WatchClock::now() + drain;
  while (!watch_.Quiet() && WatchClock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // What else is left (a body still coming in, a response still going
  // out) holds no thread: the daemon stops with it.
  return pages_running_.load(std::memory_order_acquire);
}

void HttpServer::Stop() {
  if (gate_) gate_->Stop();
  if (daemon_ != nullptr) {
    waits_->Release();
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
  }
  // Only now: the daemon tells the gate of every connection it closes.
  gate_.reset();
  if (ticker_.joinable()) {
    {
      std::lock_guard lock(tick_mutex_);
      ticking_ = false;
    }
    tick_.notify_all();
    ticker_.join();
  }
  log::Flush();
}

}  // namespace zorvadel::serve
