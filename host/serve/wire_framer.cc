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
// extensions after a ';' right after them (libmicrohttpd refuses a blank
// before it). The length of the chunk is `size`.
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
  if (digits < line.size() && line[digits] != ';') return false;
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

// `text` is `lower` (given in lower case) in any case of its letters.
bool IsNoCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < lower.size(); ++i) {
    // ASCII letters alone: no other byte lowers into one.
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
    if (c != lower[i]) return false;
  }
  return true;
}

// A line of a head or trailer as libmicrohttpd would read it: a NUL cuts
// its text short, and a CR ends it where the framer does not.
bool PlainLine(std::string_view line) {
  return line.find('\0') == std::string_view::npos && line.find('\r') == std::string_view::npos;
}

// A field line that libmicrohttpd takes: one folded onto the field before
// it, or a name and a colon. It loses the fields after one of no name.
bool FieldLine(std::string_view line) {
  if (!PlainLine(line)) return false;
  if (line.front() == ' ' || line.front() == '\t') return true;
  const size_t colon = line.find(':');
  return colon != std::string_view::npos && colon > 0;
}

// Query arguments of a request line's target, as libmicrohttpd counts
// them, up to one past kMostArguments.
size_t Arguments(std::string_view line) {
  const size_t target = line.find(' ') + 1;
  std::string_view query = line.substr(target, line.rfind(' ') - target);
  const size_t mark = query.find('?');
  if (mark == std::string_view::npos) return 0;
  size_t count = 1;
  for (char c : query.substr(mark + 1)) {
    if (c == '&' && ++count > kMostArguments) break;
  }
  return count;
}

// The request line's verdict: 0, or the status it is refused with.
int JudgeRequestLine(std::string_view line) {
  if (line.substr(line.size() - 3, 2) != "1.") return 505;
  if (Arguments(line) > kMostArguments) return 414;
  return 0;
}

// Makes the head of `size` bytes at `head` (empty lines before it and its
// own blank line included), which ReadHead took, one that libmicrohttpd
// reads as the framer does, in place (wire_framer.h); or returns the
// status it is refused with. `fields` gets the count of its field lines.
// Every head passes here: a plain one (Head::plain), whose lines ReadHead
// has read already, is searched only for a NUL (memchr) and its request
// line judged; any other has each line searched for its end and for a CR.
int AlignHead(char* head, const Head& read, bool bodiless, size_t* fields) {
  const size_t size = read.size;
  const std::string_view all(head, size);
  if (all.find('\0') != std::string_view::npos) return 400;
  if (read.plain) {
    *fields = read.fields;
    return JudgeRequestLine(read.line);
  }
  size_t at = 0;
  for (; at < size && (head[at] == '\r' || head[at] == '\n'); ++at) {
    if (head[at] == '\r' && (at + 1 == size || head[at + 1] != '\n')) head[at] = '\n';
  }
  *fields = 0;
  bool first = true;
  while (at < size) {
    const size_t end = all.find('\n', at);
    const std::string_view line = WithoutCr(all.substr(at, end - at));
    char* const start = head + at;
    at = end + 1;
    if (line.empty()) break;
    if (line.find('\r') != std::string_view::npos) return 400;
    if (first) {
      first = false;
      if (const int status = JudgeRequestLine(line)) return status;
      continue;
    }
    // A folded line needs a field to fold onto: libmicrohttpd reads the
    // first as a field of its own.
    if (line.front() == ' ' || line.front() == '\t') {
      if (*fields == 0) return 400;
      ++*fields;
      continue;
    }
    ++*fields;
    size_t colon = 0;
    while (colon < line.size() && line[colon] != ':') ++colon;
    if (colon == line.size() || colon == 0) return 400;
    const std::string_view name = line.substr(0, colon);
    if (IsNoCase(name, "content-length") || IsNoCase(name, "transfer-encoding")) {
      char* const value = start + colon + 1;
      const std::string_view text(value, line.size() - colon - 1);
      // One past the value's last byte that is no blank (npos + 1 is 0).
      const size_t kept = text.find_last_not_of(" \t") + 1;
      std::rotate(value, value + kept, value + text.size());
    } else if (IsNoCase(name, "cookie") || (bodiless && IsNoCase(name, "expect"))) {
      const std::string_view hidden = HiddenName(name);
      std::copy(hidden.begin(), hidden.end(), start);
    }
  }
  return 0;
}

}  // namespace

std::string_view HiddenName(std::string_view name) {
  if (IsNoCase(name, "cookie")) return "Cooki ";
  if (IsNoCase(name, "expect")) return "Expec ";
  return name;
}

std::string_view ShownName(std::string_view name) {
  if (name == "Cooki ") return "Cookie";
  if (name == "Expec ") return "Expect";
  return name;
}

void WireFramer::End() {
  state_ = State::kHead;
  ++ended_;
  last_body_ = body_;
}

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

size_t WireFramer::Look(char* bytes, size_t size) {
  size_t at = 0;
  while (at < size) {
    const std::string_view rest(bytes + at, size - at);
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
          case Head::kRequest: {
            size_t fields = 0;
            status = AlignHead(bytes + at, head, !head.chunked && head.length == 0, &fields);
            if (status != 0) break;
            looked_ = 0;
            ++heads_;
            at += head.size;
            body_ = 0;
            trailer_room_ = kHeadLimit - std::min(kHeadLimit, head.size);
            trailer_lines_ = kMostFields - std::min(kMostFields, fields);
            if (head.chunked) {
              state_ = State::kChunkLine;
            } else if (head.length > 0) {
              state_ = State::kLength;
              left_ = head.length;
            } else {
              End();
            }
            continue;
          }
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
        if (state_ == State::kLength) body_ += take;
        if (left_ == 0) {
          if (state_ == State::kLength) {
            End();
          } else {
            state_ = State::kChunkEnd;
          }
        }
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
        int status = 0;
        if (state_ == State::kChunkLine) {
          if (!PlainLine(line) || !ReadChunkSize(line, &size)) {
            status = 400;
          } else if (size > most_body_ - body_) {
            // As soon as the chunks declare more than the limit: the
            // client need not send what is refused.
            status = 413;
          }
        } else if (state_ == State::kChunkEnd) {
          if (!line.empty()) status = 400;
        } else if (!line.empty()) {
          // The trailer is kept with the head, in the head's limits.
          const bool folded = line.front() == ' ' || line.front() == '\t';
          if (!FieldLine(line) || (folded && trailer_fields_ == 0)) {
            status = 400;
          } else if (end + 1 > trailer_room_ || trailer_lines_ == 0) {
            status = 431;
          } else {
            trailer_room_ -= end + 1;
            --trailer_lines_;
            ++trailer_fields_;
          }
        }
        if (status != 0) {
          Refuse(status, {}, {}, false);
          return at;
        }
        if (state_ == State::kChunkLine) {
          state_ = size == 0 ? State::kTrailer : State::kChunkData;
          left_ = size;
          trailer_fields_ = 0;
          body_ += size;
        } else if (state_ == State::kChunkEnd) {
          state_ = State::kChunkLine;
        } else if (line.empty()) {
          End();
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
      const size_t fresh = static_cast<size_t>(got);
      const size_t passed = framer_.Look(buffer + out, fresh);
      if (passed == fresh) return static_cast<ssize_t>(out + fresh);
      pending_.assign(buffer + out + passed, fresh - passed);
      out += passed;
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
      cleared_ = framer_.Look(pending_.data(), pending_.size());
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
