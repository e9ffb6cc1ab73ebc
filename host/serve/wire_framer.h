// Every request of a connection judged before libmicrohttpd reads it.
//
// The gate judges the head of a connection's first request and the access
// handler the fields of every head libmicrohttpd has parsed; but
// libmicrohttpd answers some heads itself before any handler runs (a
// Content-Length it cannot read gets its error page with the status line
// sent twice, which a client reads as two responses), and answers a
// chunk-size line too long for its memory with a 500. So the server reads
// its own connections' bytes on their way into libmicrohttpd: the
// process's `recv` is this file's, which passes every call straight on
// unless the descriptor is one of libmicrohttpd's connections.
//
// On such a connection a WireFramer follows the stream: each head whole
// (judged by the gate's ReadHead, so within the gate's limits and by the
// rules of request_framing.h), then its body by Content-Length or by
// chunks (each chunk-size line and trailer line within kMostChunkLine, the
// chunks together within the body limit, the trailer within what is left
// of the head's limits). Nothing of a head or line reaches libmicrohttpd
// before it is whole and judged. A head refused is replaced by a short
// stand-in request, and a line refused by the end of the chunked body;
// nothing after either is ever passed on. The access handler asks which
// request of the connection is refused (WireTap::RefusalOf) and answers it
// once, with "Connection: close".
//
// libmicrohttpd 0.9.75 reads some heads otherwise than the framer, and
// each head is made one that both read alike before it is passed on, byte
// for byte as long, so that nothing else moves:
//   - a bare CR among the empty lines before a request line becomes an
//     LF: it drops the connection at one there;
//   - the blanks after a Content-Length or Transfer-Encoding value go
//     before it, where it skips them: it takes "chunked " for a coding it
//     does not know and so the rest of the connection for the body, and
//     "5 " for no length at all;
//   - a Cookie field is renamed (HiddenName) so that it does not parse it:
//     a value of a lone '"' makes it answer 431 twice over, and many short
//     pairs run its memory out;
//   - so is Expect on a request without a body: after its 100 Continue it
//     would read the next request as that body, and then refuse the answer.
// What it would refuse on its own, or read otherwise, is refused here
// with the server's page: a NUL or a CR that ends no line (it ends a line
// there), a field line without a colon or without a name before it (it
// loses the fields after it), a folded line with no field before it, a
// blank between a chunk size and what follows it, a version other than
// HTTP/1.x (505), and a target of more than kMostArguments query arguments
// (414), which it keeps in the same memory as the head.
#ifndef ZORVADEL_HOST_SERVE_WIRE_FRAMER_H_
#define ZORVADEL_HOST_SERVE_WIRE_FRAMER_H_

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace zorvadel::serve {

// The most query arguments a request target may hold.
inline constexpr size_t kMostArguments = 100;

// The name a field of `name` goes to libmicrohttpd under when it is hidden
// from it: a name no client can send, as a blank in a field name is
// refused.
std::string_view HiddenName(std::string_view name);
// The name a field came with: `name` itself unless it is a hidden one.
std::string_view ShownName(std::string_view name);

class WireFramer {
 public:
  // `most_body`: the most bytes the chunks of one body may add up to.
  explicit WireFramer(uint64_t most_body = std::numeric_limits<uint64_t>::max())
      : most_body_(most_body) {}

  // Follows the `size` bytes at `bytes`, the next ones of the stream, and
  // returns how many of them, from the start, may be passed on; the heads
  // among those have been made what libmicrohttpd is to read, in place.
  // Fewer than all when the rest starts with a head or line not yet whole
  // (then called again with it and what follows it), or when it starts
  // with one that is refused (then refusal() is set, and stand_in() goes
  // in its place).
  size_t Look(char* bytes, size_t size);

  // Requests of the connection whose bodies have ended, and the length of
  // the last of those bodies (the chunks' data when chunked).
  uint64_t ended() const { return ended_; }
  uint64_t last_body() const { return last_body_; }

  // 0, or the status of the refused head or line.
  int refusal() const { return refusal_; }
  // What goes in place of what was refused: a request that the access
  // handler knows by its number, or the end of the body.
  const std::string& stand_in() const { return stand_in_; }
  // The number of the refused request on the connection, the first being 1.
  uint64_t refused_request() const { return refused_request_; }
  // The request line of a refused head, for the access log; empty when a
  // line of the body was refused.
  const std::string& refused_line() const { return refused_line_; }

 private:
  enum class State { kHead, kLength, kChunkLine, kChunkData, kChunkEnd, kTrailer, kRefused };
  // Refuses what starts at the current place.
  void Refuse(int status, std::string_view line, std::string_view accept, bool head_only);
  // The head's body is over: the next head is awaited.
  void End();

  const uint64_t most_body_;
  State state_ = State::kHead;
  uint64_t left_ = 0;  // of the body or the chunk
  uint64_t body_ = 0;  // of the body so far
  // Bytes of the head or line not yet whole already looked at.
  size_t looked_ = 0;
  // What the trailer may still take of the head's limits.
  size_t trailer_room_ = 0;
  size_t trailer_lines_ = 0;
  size_t trailer_fields_ = 0;  // of the trailer so far
  uint64_t heads_ = 0;
  uint64_t ended_ = 0;
  uint64_t last_body_ = 0;
  int refusal_ = 0;
  uint64_t refused_request_ = 0;
  std::string stand_in_;
  std::string refused_line_;
};

// One connection's bytes between the socket and libmicrohttpd.
class WireTap {
 public:
  explicit WireTap(uint64_t most_body = std::numeric_limits<uint64_t>::max())
      : framer_(most_body) {}

  using Reader = ssize_t (*)(int fd, void* buffer, size_t size, int flags);

  // libmicrohttpd's read of `size` bytes: fewer only when the socket has
  // nothing more now, so that libmicrohttpd, which waits for the socket's
  // next signal after a short read, is never left with bytes here that no
  // signal will announce.
  ssize_t Recv(int fd, char* buffer, size_t size, int flags, Reader read);

  // The status request number `request` of the connection is refused
  // with, or 0.
  int RefusalOf(uint64_t request) const {
    return framer_.refusal() != 0 && framer_.refused_request() == request ? framer_.refusal() : 0;
  }
  const WireFramer& framer() const { return framer_; }
  // A refused connection is about to close: what the client sent after
  // the refusal is read and dropped, so that the kernel closes it with a
  // FIN and not a reset that may destroy the answer in flight.
  void Drain(int fd, Reader read);

 private:
  // Bytes read and not yet passed on: `cleared_` of them, from the start,
  // judged; the rest a head or line not yet whole.
  std::string pending_;
  size_t cleared_ = 0;
  bool stopped_ = false;
  WireFramer framer_;
};

// libmicrohttpd's connection `fd` is followed by `tap` until Unwatch; a
// descriptor past the table's size is not followed.
void Watch(int fd, WireTap* tap);
void Unwatch(int fd);

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_WIRE_FRAMER_H_
