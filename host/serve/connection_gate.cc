// Accepting connections and reading the head of their first request.
#include "serve/connection_gate.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <deque>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "serve/http_text.h"
#include "serve/request_framing.h"
#include "serve/status_page.h"
#include "zorvadel/response_result.h"

namespace zorvadel::serve {
namespace {

using SteadyClock = std::chrono::steady_clock;

// A refused connection gets this long for the rest of its head (its
// Accept header says which markup the answer takes) before it is answered
// with what came.
constexpr auto kRefusalGrace = std::chrono::seconds(1);

// A newcomer for whom a connection handed over gives way waits this long
// for the daemon to close it; a daemon thread busy with a long page may not
// look at its sockets before then.
constexpr auto kRoomWait = std::chrono::seconds(3);

// How often the gate looks for a place let go while a newcomer waits for
// one: the daemon's threads tell of it only by the count.
constexpr int kRoomLookMs = 5;

// How much of a request whose line is too long is looked at for the Accept
// header after the line, which tells the markup of its refusal.
constexpr size_t kLongLook = 4 * kHeadLimit;

bool Digit(char c) { return c >= '0' && c <= '9'; }

// "METHOD TARGET HTTP/d.d", one blank apart, with no control characters in
// the target.
bool RequestLine(std::string_view line) {
  size_t first = line.find(' ');
  if (first == std::string_view::npos || !IsToken(line.substr(0, first))) return false;
  size_t second = line.find(' ', first + 1);
  if (second == std::string_view::npos || second == first + 1) return false;
  for (size_t i = first + 1; i < second; ++i) {
    auto c = static_cast<unsigned char>(line[i]);
    if (c < 0x21 || c == 0x7f) return false;
  }
  std::string_view version = line.substr(second + 1);
  return version.size() == 8 && version.substr(0, 5) == "HTTP/" && Digit(version[5]) &&
         version[6] == '.' && Digit(version[7]);
}

struct Pending {
  sockaddr_storage address{};
  socklen_t size = 0;
  uint64_t serial = 0;
  // 0 while the connection waits for its head to be handed over; else the
  // status it is refused with once its head is in.
  int refusal = 0;
  // Waits, without a place, for a connection handed over to let one go.
  bool room = false;
  // While it waits with a place: when it was last heard from (its place in
  // the order of silence), and how many bytes of its head had come then.
  uint64_t heard = 0;
  size_t seen = 0;
};

struct Deadline {
  SteadyClock::time_point when;
  int fd;
  uint64_t serial;
};

// Without the empty lines a client may send before a request (one after a
// POST body).
std::string_view WithoutLeadingEnds(std::string_view received) {
  while (!received.empty() && (received.front() == '\r' || received.front() == '\n')) {
    received.remove_prefix(1);
  }
  return received;
}

std::string_view WithoutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool Blank(char c) { return c == ' ' || c == '\t'; }

bool IsNoCase(std::string_view text, std::string_view lower) {
  return text.size() == lower.size() && StartsWithNoCase(text, lower);
}

// A field of `name`, whose line ends with `last`, that the framer renames
// or whose value's trailing blanks it moves (wire_framer.h).
bool Realigned(std::string_view name, char last) {
  switch (name.front() | 0x20) {
    case 'c':
      return IsNoCase(name, "cookie") || (Blank(last) && IsNoCase(name, "content-length"));
    case 't':
      return Blank(last) && IsNoCase(name, "transfer-encoding");
    case 'e':
      return IsNoCase(name, "expect");
    default:
      return false;
  }
}

// What follows a request line too long: the Accept header of the head
// after it, and whether that head has ended.
struct HeadAfterLine {
  std::string_view accept;
  bool ended = false;
};

HeadAfterLine ReadHeadAfterLine(std::string_view received) {
  HeadAfterLine rest;
  size_t start = received.find('\n');
  if (start == std::string_view::npos) return rest;
  for (++start;;) {
    const size_t end = received.find('\n', start);
    if (end == std::string_view::npos) return rest;
    std::string_view field = WithoutCr(received.substr(start, end - start));
    start = end + 1;
    if (field.empty()) {
      rest.ended = true;
      return rest;
    }
    if (rest.accept.empty() && StartsWithNoCase(field, "accept:")) {
      rest.accept = TrimBlanks(field.substr(7));
    }
  }
}

// The whole answer to a refused request: the server's status page, after
// which the connection closes, so that nothing else the client sent can be
// misread as a request. An answer to HEAD has no body.
std::string RefusalText(int status, const Head& head, uint64_t* body_bytes) {
  engine::ResponseResult page = StatusPage(status, AcceptsOnlyWml(head.accept));
  const bool head_only = head.line.substr(0, head.line.find(' ')) == "HEAD";
  std::string text = "HTTP/1.1 " + std::to_string(status) + " " +
                     std::string(engine::StatusText(status)) + "\r\n";
  for (const auto& [name, value] : page.headers) text += name + ": " + value + "\r\n";
  text += "Content-Length: " + std::to_string(page.body.size()) + "\r\nConnection: close\r\n\r\n";
  *body_bytes = head_only ? 0 : page.body.size();
  if (!head_only) text += page.body;
  return text;
}

}  // namespace

FirstLine ReadFirstLine(std::string_view received, size_t limit) {
  received = WithoutLeadingEnds(received);
  size_t end = received.find('\n');
  if (end == std::string_view::npos) {
    return received.size() >= limit ? FirstLine::kRequest : FirstLine::kIncomplete;
  }
  return RequestLine(WithoutCr(received.substr(0, end))) ? FirstLine::kRequest
                                                         : FirstLine::kMalformed;
}

Head ReadHead(std::string_view received, size_t limit, size_t most_fields) {
  Head head;
  const bool full = received.size() >= limit;
  const size_t window = std::min(received.size(), limit);
  received = WithoutLeadingEnds(received.substr(0, limit));
  const size_t skipped = window - received.size();
  size_t end = received.find('\n');
  if (end == std::string_view::npos) {
    head.line = WithoutCr(received);
    head.verdict = full ? Head::kLineTooLong : Head::kIncomplete;
    return head;
  }
  head.line = WithoutCr(received.substr(0, end));
  const bool malformed = !RequestLine(head.line);
  size_t fields = 0;
  bool plain = skipped == 0;
  RequestFraming framing;
  size_t start = end + 1;
  for (;;) {
    end = received.find('\n', start);
    if (end == std::string_view::npos) break;
    std::string_view field = WithoutCr(received.substr(start, end - start));
    start = end + 1;
    if (field.empty()) {
      head.ended = true;
      break;
    }
    ++fields;
    if (head.accept.empty() && (field.front() | 0x20) == 'a' &&
        StartsWithNoCase(field, "accept:")) {
      head.accept = TrimBlanks(field.substr(7));
    }
    // A field without a colon is libmicrohttpd's to refuse.
    if (field.front() == ' ' || field.front() == '\t') {
      framing.Folded();
      plain = plain && fields > 1;
    } else if (const size_t colon = field.find(':'); colon != std::string_view::npos) {
      const std::string_view name = field.substr(0, colon);
      framing.Field(name, TrimBlanks(field.substr(colon + 1)));
      plain = plain && colon > 0 && !Realigned(name, field.back());
    } else {
      plain = false;
    }
    plain = plain && field.find('\r') == std::string_view::npos;
  }
  if (malformed) {
    head.verdict = Head::kMalformed;
  } else if (fields > most_fields || (full && !head.ended)) {
    head.verdict = Head::kTooLarge;
  } else if (!head.ended) {
    head.verdict = Head::kIncomplete;
  } else if ((head.refusal = framing.Refusal()) != 0) {
    head.verdict = Head::kRefused;
  } else {
    // A chunk-size line too long for the daemon's memory would get its
    // "internal error" page: one as long as this, seen behind the head,
    // is the client's fault.
    const std::string_view body = received.substr(start);
    head.verdict = Head::kRequest;
    head.size = skipped + start;
    head.chunked = framing.chunked();
    head.length = framing.length();
    head.fields = fields;
    head.plain = plain && head.line.find('\r') == std::string_view::npos;
    if (framing.chunked() && body.size() >= kMostChunkLine &&
        body.substr(0, kMostChunkLine).find('\n') == std::string_view::npos) {
      head.refusal = 400;
      head.verdict = Head::kRefused;
    }
  }
  return head;
}

ConnectionGate::ConnectionGate(HandOver hand_over, std::chrono::seconds idle, size_t limit,
                               const AccessLog* log, MakeRoom make_room)
    : hand_over_(std::move(hand_over)),
      make_room_(std::move(make_room)),
      idle_(idle),
      limit_(limit),
      log_(log) {}
ConnectionGate::~ConnectionGate() { Stop(); }

bool ConnectionGate::Start(const std::string& address, uint16_t port, std::string* error) {
  sockaddr_storage bind_address{};
  socklen_t size = 0;
  auto* v4 = reinterpret_cast<sockaddr_in*>(&bind_address);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&bind_address);
  if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    size = sizeof *v4;
  } else if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    size = sizeof *v6;
  } else {
    *error = "not an IP address: " + address;
    return false;
  }
  listen_fd_ = socket(bind_address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  int on = 1;
  if (listen_fd_ < 0 || setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      bind(listen_fd_, reinterpret_cast<sockaddr*>(&bind_address), size) != 0 ||
      listen(listen_fd_, SOMAXCONN) != 0) {
    *error = "cannot listen on " + address + " port " + std::to_string(port) + ": " +
             std::strerror(errno);
    Stop();
    return false;
  }
  sockaddr_storage bound{};
  socklen_t bound_size = sizeof bound;
  getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&bound), &bound_size);
  port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                            : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);

  epoll_fd_ = epoll_create1(EPOLL_CLOEXEC);
  stop_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  epoll_event listen_event{};
  listen_event.events = EPOLLIN;
  listen_event.data.fd = listen_fd_;
  epoll_event stop_event{};
  stop_event.events = EPOLLIN;
  stop_event.data.fd = stop_fd_;
  if (epoll_fd_ < 0 || stop_fd_ < 0 ||
      epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, listen_fd_, &listen_event) != 0 ||
      epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, stop_fd_, &stop_event) != 0) {
    *error = std::string("cannot watch the listening socket: ") + std::strerror(errno);
    Stop();
    return false;
  }
  thread_ = std::thread([this] { Loop(); });
  return true;
}

void ConnectionGate::Stop() {
  if (thread_.joinable()) {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(stop_fd_, &one, sizeof one);
    thread_.join();
  }
  for (int* fd : {&listen_fd_, &epoll_fd_, &stop_fd_}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
}

void ConnectionGate::Loop() {
  std::unordered_map<int, Pending> pending;
  // Deadlines in the order they were set, which is their order in time as
  // the entries of one queue all wait as long; an entry whose serial no
  // longer matches is stale (its socket was handed over, closed or refused
  // since).
  std::deque<Deadline> idle_deadlines;
  std::deque<Deadline> refusal_deadlines;
  // The newcomers that wait for a place being let go, first come first.
  std::deque<Deadline> room_deadlines;
  size_t awaiting = 0;
  uint64_t serial = 0;
  // The connections that hold a place in the gate, waiting for their head,
  // the one silent longest first: when every place is taken, it is the
  // one that gives way to a newcomer.
  std::set<std::pair<uint64_t, int>> silence;
  uint64_t heard = 0;
  std::vector<char> received(kHeadLimit);
  std::vector<char> wide;  // for the rare request line too long

  // Stops watching the socket, whose place is free again when it had one.
  auto forget = [&](int fd) {
    epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, fd, nullptr);
    auto it = pending.find(fd);
    if (it == pending.end()) return;
    if (it->second.room) {
      --awaiting;
    } else if (it->second.refusal == 0) {
      silence.erase({it->second.heard, fd});
      admitted_.fetch_sub(1, std::memory_order_acq_rel);
    }
    pending.erase(it);
  };
  auto drop = [&](int fd) {
    forget(fd);
    close(fd);
  };
  auto answer = [&](int fd, int status, const Head& head) {
    const Pending entry = pending[fd];
    forget(fd);
    uint64_t bytes = 0;
    const std::string text = RefusalText(status, head, &bytes);
    [[maybe_unused]] ssize_t sent =
        send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    // Reading what is left before closing keeps the kernel from answering
    // unread data with a reset, which could destroy the answer in flight.
    shutdown(fd, SHUT_WR);
    std::array<char, 4096> sink;
    while (recv(fd, sink.data(), sink.size(), MSG_DONTWAIT) > 0) {
    }
    close(fd);
    if (log_ != nullptr && log_->enabled()) {
      const std::string client =
          AddressText(reinterpret_cast<const sockaddr*>(&entry.address)).first;
      log_->Write({client, {}, {}, {}, status, bytes, std::chrono::system_clock::now(),
                   head.line});
    }
  };
  auto hand_over = [&](int fd) {
    const Pending entry = pending[fd];
    epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, fd, nullptr);
    silence.erase({entry.heard, fd});
    pending.erase(fd);  // keeps its place until the daemon is done with it
    if (!hand_over_(fd, reinterpret_cast<const sockaddr*>(&entry.address), entry.size)) {
      admitted_.fetch_sub(1, std::memory_order_acq_rel);
    }
  };
  // Looks at what the connection has sent. `last` when no more is to be
  // waited for: the client has stopped sending, or its time is up.
  auto inspect = [&](int fd, bool last) {
    auto it = pending.find(fd);
    if (it == pending.end()) return;
    if (it->second.room) {  // its head is looked at once it has a place
      char one;
      const ssize_t n = recv(fd, &one, 1, MSG_PEEK | MSG_DONTWAIT);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        drop(fd);
      }
      return;
    }
    ssize_t n = recv(fd, received.data(), received.size(), MSG_PEEK | MSG_DONTWAIT);
    if (n < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        drop(fd);
        return;
      }
      if (!last) return;
      n = 0;
    } else if (n == 0) {  // closed without a word
      drop(fd);
      return;
    }
    if (it->second.refusal == 0 && static_cast<size_t>(n) > it->second.seen) {
      silence.erase({it->second.heard, fd});
      it->second.heard = ++heard;
      it->second.seen = static_cast<size_t>(n);
      silence.insert({it->second.heard, fd});
    }
    const Head head = ReadHead(std::string_view(received.data(), static_cast<size_t>(n)));
    int status = it->second.refusal;
    switch (head.verdict) {
      case Head::kIncomplete:
        break;
      case Head::kRequest:
        if (status == 0) {
          hand_over(fd);
          return;
        }
        break;
      case Head::kMalformed:
        status = 400;
        break;
      case Head::kLineTooLong: {
        // Which markup the phone reads comes after the line: the rest of
        // the head is waited for, within the refusal's grace and as much
        // as the wider look holds.
        if (wide.empty()) wide.resize(kLongLook);
        const ssize_t m = recv(fd, wide.data(), wide.size(), MSG_PEEK | MSG_DONTWAIT);
        const HeadAfterLine rest =
            m > 0 ? ReadHeadAfterLine(WithoutLeadingEnds(
                        std::string_view(wide.data(), static_cast<size_t>(m))))
                  : HeadAfterLine{};
        if (rest.ended || last || m >= static_cast<ssize_t>(wide.size())) {
          Head refused = head;
          refused.accept = rest.accept;
          answer(fd, 414, refused);
          return;
        }
        status = 414;
        break;
      }
      case Head::kTooLarge:
        answer(fd, 431, head);
        return;
      case Head::kRefused:
        answer(fd, head.refusal, head);
        return;
    }
    if (status == 0) {  // a request still coming in
      if (last) drop(fd);
      return;
    }
    if (head.ended || last) {
      answer(fd, status, head);
      return;
    }
    Pending& entry = it->second;
    if (entry.refusal == 0) {
      silence.erase({entry.heard, fd});
      admitted_.fetch_sub(1, std::memory_order_acq_rel);
      entry.serial = ++serial;
      refusal_deadlines.push_back({SteadyClock::now() + kRefusalGrace, fd, entry.serial});
    }
    entry.refusal = status;
  };
  // Frees a place when every place is taken, if a connection waiting in the
  // gate can give way: the one heard from longest ago is closed, once a
  // last look has found nothing new from it (a connection whose head has
  // come meanwhile is handed over instead, keeping its place). True when a
  // place is free, the places of those waiting for room being spoken for.
  auto free_place = [&] {
    return admitted_.load(std::memory_order_acquire) + awaiting < limit_;
  };
  auto give_way = [&]() -> bool {
    for (size_t looks = silence.size() + 1; looks > 0; --looks) {
      if (free_place()) return true;
      if (silence.empty()) return false;
      const auto [order, fd] = *silence.begin();
      inspect(fd, false);
      if (!silence.empty() && *silence.begin() == std::pair(order, fd)) drop(fd);
    }
    return free_place();
  };
  auto admit = [&](int fd, Pending& entry) {
    admitted_.fetch_add(1, std::memory_order_acq_rel);
    entry.heard = ++heard;
    silence.insert({entry.heard, fd});
    idle_deadlines.push_back({SteadyClock::now() + idle_, fd, entry.serial});
  };
  // Gives the places let go to those waiting for room, in their order.
  // Their heads came meanwhile, unannounced by the edge-triggered watch.
  auto admit_waiting = [&] {
    while (!room_deadlines.empty() && admitted_.load(std::memory_order_acquire) < limit_) {
      const Deadline first = room_deadlines.front();
      room_deadlines.pop_front();
      auto it = pending.find(first.fd);
      if (it == pending.end() || it->second.serial != first.serial) continue;
      Pending& entry = it->second;
      entry.room = false;
      --awaiting;
      entry.serial = ++serial;
      admit(first.fd, entry);
      inspect(first.fd, false);
    }
  };
  // The first deadline of `queue` that still stands, after acting on those
  // that have passed; -1 when none stands.
  auto next_deadline = [&](std::deque<Deadline>& queue, auto&& on_passed) -> int {
    while (!queue.empty()) {
      const Deadline first = queue.front();
      auto it = pending.find(first.fd);
      if (it == pending.end() || it->second.serial != first.serial) {
        queue.pop_front();
        continue;
      }
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(first.when - SteadyClock::now());
      if (left.count() > 0) return static_cast<int>(left.count()) + 1;
      queue.pop_front();
      on_passed(first.fd);
    }
    return -1;
  };
  auto last_look = [&](int fd) { inspect(fd, true); };
  // No place came in time: the newcomer is refused as when none could
  // give way, its head (for the markup of the answer) as far as it came.
  auto no_room = [&](int fd) {
    Pending& entry = pending[fd];
    entry.room = false;
    --awaiting;
    entry.refusal = 503;
    inspect(fd, true);
  };

  // Out of descriptors, the listening socket stays readable and would wake
  // the loop at once, again and again: it is left unwatched for a while.
  bool paused = false;
  SteadyClock::time_point resume_at{};
  auto watch_listener = [&](bool on) {
    epoll_event event{};
    event.events = on ? static_cast<uint32_t>(EPOLLIN) : 0u;
    event.data.fd = listen_fd_;
    epoll_ctl(epoll_fd_, EPOLL_CTL_MOD, listen_fd_, &event);
  };

  std::array<epoll_event, 64> events;
  for (;;) {
    int timeout = -1;
    if (paused) {
      if (SteadyClock::now() >= resume_at) {
        paused = false;
        watch_listener(true);
      } else {
        timeout = 100;
      }
    }
    admit_waiting();
    for (std::deque<Deadline>* queue : {&idle_deadlines, &refusal_deadlines}) {
      const int until = next_deadline(*queue, last_look);
      if (until >= 0 && (timeout < 0 || until < timeout)) timeout = until;
    }
    if (next_deadline(room_deadlines, no_room) >= 0 && (timeout < 0 || timeout > kRoomLookMs)) {
      timeout = kRoomLookMs;
    }
    int count = epoll_wait(epoll_fd_, events.data(), static_cast<int>(events.size()), timeout);
    if (count < 0 && errno != EINTR) break;
    bool accepting = false;
    for (int i = 0; i < count; ++i) {
      const epoll_event& event = events[static_cast<size_t>(i)];
      const int fd = event.data.fd;
      if (fd == stop_fd_) {
        for (const auto& [open_fd, entry] : pending) close(open_fd);
        return;
      }
      if (fd == listen_fd_) {
        accepting = true;
      } else {
        inspect(fd, (event.events & (EPOLLRDHUP | EPOLLHUP | EPOLLERR)) != 0);
      }
    }
    // Accepting comes after the other events of the round: a connection
    // closed to make room gives its number to one accepted after it, to
    // which an event still to be read for the closed one must not go.
    if (!accepting) continue;
    // A bounded round of accepts, so that the heads of those accepted are
    // looked at before a crowd behind them can take their places.
    for (size_t accepted = 0; accepted < events.size(); ++accepted) {
      Pending entry;
      entry.size = sizeof entry.address;
      int client = accept4(listen_fd_, reinterpret_cast<sockaddr*>(&entry.address), &entry.size,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (client < 0) {
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
          watch_listener(false);
          paused = true;
          resume_at = SteadyClock::now() + std::chrono::milliseconds(100);
        }
        break;  // EAGAIN: nothing more to accept now
      }
      entry.serial = ++serial;
      epoll_event watch{};
      // Edge-triggered: a connection whose head is still coming in wakes
      // the gate again only when more of it arrives.
      watch.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
      watch.data.fd = client;
      if (epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, client, &watch) != 0) {
        close(client);
        continue;
      }
      const auto wait_for_room = [&] {
        entry.room = true;
        ++awaiting;
        room_deadlines.push_back({SteadyClock::now() + kRoomWait, client, entry.serial});
      };
      if (free_place()) {
        admit(client, entry);
      } else if (make_room_ && make_room_(true)) {
        wait_for_room();
      } else if (give_way()) {
        admit(client, entry);
      } else if (make_room_ && make_room_(false)) {
        wait_for_room();
      } else {
        entry.refusal = 503;
        refusal_deadlines.push_back({SteadyClock::now() + kRefusalGrace, client, entry.serial});
      }
      pending[client] = entry;
    }
  }
}

}  // namespace zorvadel::serve
