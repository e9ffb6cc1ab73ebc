// Following a connection's requests on their way into libmicrohttpd.
#include "serve/wire_framer.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "serve/connection_gate.h"
#include "serve/http_text.h"
#include "serve/request_framing.h"

namespace zorvadel::serve {
namespace {

// The most bytes of a chunked body's trailer section, as of a head.
constexpr size_t kMostTrailer = kHeadLimit;

// What the client sends after a refusal is read and dropped up to this
// much when its connection closes; past it, a reset does no harm the
// client has not asked for.
constexpr size_t kMostDrained = 256 * 1024;

std::string_view WithoutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool HexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A chunk-size line: hex digits that fit 64 bits, then nothing, or
// extensions after a ';', blanks allowed before it. Only whether the size
// is 0 matters past here; the length of the chunk is `size`.
bool ReadChunkSize(std::string_view line, uint64_t* size) {
  size_t digits = 0;
  uint64_t value = 0;
  while (digits < line.size() && HexDigit(line[digits])) {
    const char c = line[digits];
    value = value * 16 +
            static_cast<uint64_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    ++digits;
  }
  if (digits == 0 || digits > 16) return false;
  std::string_view rest = line.substr(digits);
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  if (!rest.empty() && rest.front() != ';') return false;
  *size = value;
  return true;
}

// The Accept value copied into a stand-in head, so that its refusal comes
// in the markup the phone reads; none when it holds anything but text.
std::string_view SafeAccept(std::string_view accept) {
  for (char c : accept) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) return {};
  }
  return accept.substr(0, 1024);
}

}  // namespace

void WireFramer::Refuse(int status, std::string_view line, std::string_view accept,
                        bool head_only) {
  refusal_ = status;
  if (state_ == State::kHead) {
    refused_request_ = ++heads_;
    refused_line_.assign(line.substr(0, kHeadLimit));
    stand_in_ = head_only ? "HEAD" : "GET";
    stand_in_ += " / HTTP/1.1\r\nHost: refused\r\nConnection: close\r\n";
    accept = SafeAccept(accept);
    if (!accept.empty()) {
      stand_in_ += "Accept: ";
      stand_in_ += accept;
      stand_in_ += "\r\n";
    }
    stand_in_ += "\r\n";
  } else {
    // The body ends where the line would have started: libmicrohttpd
    // hands the request on, and its handler answers it.
    refused_request_ = heads_;
    stand_in_ = state_ == State::kChunkLine ? "0\r\n\r\n"
                : state_ == State::kChunkEnd ? "\r\n0\r\n\r\n"
                                             : "\r\n";
  }
  state_ = State::kRefused;
}

size_t WireFramer::Look(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    const std::string_view rest = bytes.substr(at);
    switch (state_) {
      case State::kRefused:
        return at;
      case State::kHead: {
        // A head's verdict changes only at the end of a line or at the
        // limit: one that comes a byte at a time is read again only then.
        if (rest.size() < kHeadLimit && looked_ > 0 && looked_ <= rest.size() &&
            rest.substr(looked_).find('\n') == std::string_view::npos) {
          looked_ = rest.size();
          return at;
        }
        const Head head = ReadHead(rest);
        int status = 0;
        switch (head.verdict) {
          case Head::kIncomplete:
            looked_ = rest.size();
            return at;
          case Head::kRequest:
            looked_ = 0;
            ++heads_;
            at += head.size;
            if (head.chunked) {
              state_ = State::kChunkLine;
            } else if (head.length > 0) {
              state_ = State::kLength;
              left_ = head.length;
            }
            continue;
          case Head::kMalformed:
            status = 400;
            break;
          case Head::kLineTooLong:
            status = 414;
            break;
          case Head::kTooLarge:
            status = 431;
            break;
          case Head::kRefused:
            status = head.refusal;
            break;
        }
        const std::string_view verb = head.line.substr(0, head.line.find(' '));
        Refuse(status, head.line, head.accept, verb == "HEAD");
        return at;
      }
      case State::kLength:
      case State::kChunkData: {
        const uint64_t take = std::min<uint64_t>(left_, rest.size());
        at += static_cast<size_t>(take);
        left_ -= take;
        if (left_ == 0) state_ = state_ == State::kLength ? State::kHead : State::kChunkEnd;
        continue;
      }
      case State::kChunkLine:
      case State::kChunkEnd:
      case State::kTrailer: {
        const size_t end =
            rest.substr(0, kMostChunkLine).find('\n', std::min(looked_, rest.size()));
        if (end == std::string_view::npos) {
          if (rest.size() < kMostChunkLine) {
            looked_ = rest.size();
            return at;
          }
          Refuse(400, {}, {}, false);
          return at;
        }
        looked_ = 0;
        const std::string_view line = WithoutCr(rest.substr(0, end));
        uint64_t size = 0;
        bool fine;
        if (state_ == State::kChunkLine) {
          fine = ReadChunkSize(line, &size);
        } else if (state_ == State::kChunkEnd) {
          fine = line.empty();
        } else {
          trailer_bytes_ += end + 1;
          fine = line.empty() || trailer_bytes_ <= kMostTrailer;
        }
        if (!fine) {
          Refuse(400, {}, {}, false);
          return at;
        }
        if (state_ == State::kChunkLine) {
          state_ = size == 0 ? State::kTrailer : State::kChunkData;
          left_ = size;
          trailer_bytes_ = 0;
        } else if (state_ == State::kChunkEnd) {
          state_ = State::kChunkLine;
        } else if (line.empty()) {
          state_ = State::kHead;
        }
        at += end + 1;
        continue;
      }
    }
  }
  return at;
}

ssize_t WireTap::Recv(int fd, char* buffer, size_t size, int flags, Reader read) {
  if ((flags & MSG_PEEK) != 0 || size == 0) return read(fd, buffer, size, flags);
  size_t out = 0;
  for (;;) {
    if (cleared_ > 0) {
      const size_t take = std::min(cleared_, size - out);
      std::memcpy(buffer + out, pending_.data(), take);
      pending_.erase(0, take);
      cleared_ -= take;
      out += take;
    }
    if (out == size) return static_cast<ssize_t>(out);
    if (stopped_) {
      if (out > 0) return static_cast<ssize_t>(out);
      Drain(fd, read);
      errno = EAGAIN;
      return -1;
    }
    if (pending_.empty()) {
      // Straight into libmicrohttpd's buffer: all of it passes on, unless
      // it ends in a head or line not yet whole or holds one refused.
      const ssize_t got = read(fd, buffer + out, size - out, flags);
      if (got <= 0) return out > 0 ? static_cast<ssize_t>(out) : got;
      const std::string_view fresh(buffer + out, static_cast<size_t>(got));
      const size_t passed = framer_.Look(fresh);
      out += passed;
      if (passed == fresh.size()) return static_cast<ssize_t>(out);
      pending_.assign(fresh.substr(passed));
      cleared_ = 0;
    } else {
      // More of the head or line held here.
      const size_t had = pending_.size();
      pending_.resize(had + (size - out));
      const ssize_t got = read(fd, pending_.data() + had, size - out, flags);
      const int error = errno;
      pending_.resize(had + static_cast<size_t>(std::max<ssize_t>(got, 0)));
      if (got <= 0) {
        errno = error;
        return out > 0 ? static_cast<ssize_t>(out) : got;
      }
      cleared_ = framer_.Look(pending_);
    }
    if (framer_.refusal() != 0) {
      // Nothing past the refused head or line goes on.
      pending_.resize(cleared_);
      pending_ += framer_.stand_in();
      cleared_ = pending_.size();
      stopped_ = true;
    }
  }
}

void WireTap::Drain(int fd, Reader read) {
  if (!stopped_) return;
  std::array<char, 16384> sink;
  for (size_t drained = 0; drained < kMostDrained;) {
    const ssize_t got = read(fd, sink.data(), sink.size(), MSG_DONTWAIT);
    if (got <= 0) return;
    drained += static_cast<size_t>(got);
  }
}

namespace {

// libmicrohttpd's connections by descriptor: a look at one slot is all a
// recv on any other descriptor costs.
constexpr int kMostWatched = 1 << 16;
std::atomic<WireTap*> watched[kMostWatched];

ssize_t NextRecv(int fd, void* buffer, size_t size, int flags) {
  using Function = ssize_t (*)(int, void*, size_t, int);
  // A sanitizer's runtime, when there is one, and then the C library.
  static const auto next = reinterpret_cast<Function>(dlsym(RTLD_NEXT, "recv"));
  if (next == nullptr) return syscall(SYS_recvfrom, fd, buffer, size, flags, nullptr, nullptr);
  return next(fd, buffer, size, flags);
}

}  // namespace

void Watch(int fd, WireTap* tap) {
  if (fd >= 0 && fd < kMostWatched) watched[fd].store(tap, std::memory_order_release);
}

void Unwatch(int fd) {
  if (fd >= 0 && fd < kMostWatched) watched[fd].store(nullptr, std::memory_order_release);
}

}  // namespace zorvadel::serve

// Every recv of the process, libmicrohttpd's included, comes here first.
extern "C" ssize_t recv(int fd, void* buffer, size_t size, int flags) {
  using namespace zorvadel::serve;
  if (fd >= 0 && fd < kMostWatched) {
    if (WireTap* tap = watched[fd].load(std::memory_order_acquire)) {
      return tap->Recv(fd, static_cast<char*>(buffer), size, flags, &NextRecv);
    }
  }
  return NextRecv(fd, buffer, size, flags);
}
