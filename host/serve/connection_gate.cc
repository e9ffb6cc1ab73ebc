// Accepting connections and reading their first line.
#include "serve/connection_gate.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <deque>
#include <unordered_map>
#include <utility>

namespace zorvadel::serve {
namespace {

using SteadyClock = std::chrono::steady_clock;

// The answer to a malformed first line. The connection closes after it, so
// nothing else the client sent can be misread as a request.
constexpr std::string_view kBadRequest =
    "HTTP/1.1 400 Bad Request\r\n"
    "Content-Type: text/html; charset=utf-8\r\n"
    "Content-Length: 90\r\n"
    "Connection: close\r\n"
    "\r\n"
    "<html><head><title>400 Bad Request</title></head><body><h1>Bad Request</h1></body></html>\n";

// The characters of a method name (an HTTP token).
bool TokenChar(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool Digit(char c) { return c >= '0' && c <= '9'; }

// "METHOD TARGET HTTP/d.d", one blank apart, with no control characters in
// the target.
bool RequestLine(std::string_view line) {
  size_t first = line.find(' ');
  if (first == 0 || first == std::string_view::npos) return false;
  for (size_t i = 0; i < first; ++i) {
    if (!TokenChar(line[i])) return false;
  }
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
};

struct Deadline {
  SteadyClock::time_point when;
  int fd;
  uint64_t serial;
};

}  // namespace

FirstLine ReadFirstLine(std::string_view received, size_t limit) {
  while (!received.empty() && (received.front() == '\r' || received.front() == '\n')) {
    received.remove_prefix(1);
  }
  size_t end = received.find('\n');
  if (end == std::string_view::npos) {
    return received.size() >= limit ? FirstLine::kRequest : FirstLine::kIncomplete;
  }
  std::string_view line = received.substr(0, end);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return RequestLine(line) ? FirstLine::kRequest : FirstLine::kMalformed;
}

ConnectionGate::ConnectionGate(HandOver hand_over, std::chrono::seconds idle)
    : hand_over_(std::move(hand_over)), idle_(idle) {}

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
  // Deadlines in the order the connections came, which is their order in
  // time as every connection gets the same idle time; an entry whose serial
  // no longer matches is stale (its socket was handed over or closed).
  std::deque<Deadline> deadlines;
  uint64_t serial = 0;

  auto forget = [&](int fd) {
    epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, fd, nullptr);
    pending.erase(fd);
  };
  auto refuse = [&](int fd) {
    forget(fd);
    [[maybe_unused]] ssize_t sent =
        send(fd, kBadRequest.data(), kBadRequest.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    // Reading what is left before closing keeps the kernel from answering
    // unread data with a reset, which could destroy the answer in flight.
    shutdown(fd, SHUT_WR);
    std::array<char, 4096> sink;
    while (recv(fd, sink.data(), sink.size(), MSG_DONTWAIT) > 0) {
    }
    close(fd);
  };
  auto inspect = [&](int fd) {
    std::array<char, 8192> peek;
    ssize_t n = recv(fd, peek.data(), peek.size(), MSG_PEEK | MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    if (n <= 0) {  // closed before a request, or failed
      forget(fd);
      close(fd);
      return;
    }
    switch (ReadFirstLine(std::string_view(peek.data(), static_cast<size_t>(n)), peek.size())) {
      case FirstLine::kIncomplete:
        return;
      case FirstLine::kMalformed:
        refuse(fd);
        return;
      case FirstLine::kRequest: {
        Pending entry = pending[fd];
        forget(fd);
        hand_over_(fd, reinterpret_cast<const sockaddr*>(&entry.address), entry.size);
        return;
      }
    }
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
    while (!deadlines.empty()) {
      const Deadline& first = deadlines.front();
      auto it = pending.find(first.fd);
      if (it == pending.end() || it->second.serial != first.serial) {
        deadlines.pop_front();
        continue;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(first.when -
                                                                        SteadyClock::now());
      if (left.count() <= 0) {
        int fd = first.fd;
        deadlines.pop_front();
        forget(fd);
        close(fd);
        continue;
      }
      const int until_deadline = static_cast<int>(left.count()) + 1;
      if (timeout < 0 || until_deadline < timeout) timeout = until_deadline;
      break;
    }
    int count = epoll_wait(epoll_fd_, events.data(), static_cast<int>(events.size()), timeout);
    if (count < 0 && errno != EINTR) break;
    for (int i = 0; i < count; ++i) {
      const int fd = events[static_cast<size_t>(i)].data.fd;
      if (fd == stop_fd_) {
        for (const auto& [open_fd, entry] : pending) close(open_fd);
        return;
      }
      if (fd != listen_fd_) {
        inspect(fd);
        continue;
      }
      for (;;) {
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
        epoll_event event{};
        // Edge-triggered: a connection whose line is still coming in wakes
        // the gate again only when more of it arrives.
        event.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
        event.data.fd = client;
        if (epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, client, &event) != 0) {
          close(client);
          continue;
        }
        pending[client] = entry;
        deadlines.push_back({SteadyClock::now() + idle_, client, entry.serial});
      }
    }
  }
}

}  // namespace zorvadel::serve
