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
// chunks (each chunk-size line and trailer line within kMostChunkLine).
// Nothing of a head or line reaches libmicrohttpd before it is whole and
// judged. A head refused is replaced by a short stand-in request, and a
// line refused by the end of the chunked body; nothing after either is
// ever passed on. The access handler asks which request of the connection
// is refused (WireTap::RefusalOf) and answers it once, with
// "Connection: close".
#ifndef ZORVADEL_HOST_SERVE_WIRE_FRAMER_H_
#define ZORVADEL_HOST_SERVE_WIRE_FRAMER_H_

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvadel::serve {

class WireFramer {
 public:
  // Follows `bytes`, the next ones of the stream, and returns how many of
  // them, from the start, may be passed on as they are. Fewer than all
  // when the rest starts with a head or line not yet whole (then called
  // again with it and what follows it), or when it starts with one that
  // is refused (then refusal() is set, and stand_in() goes in its place).
  size_t Look(std::string_view bytes);

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

  State state_ = State::kHead;
  uint64_t left_ = 0;  // of the body or the chunk
  // Bytes of the head or line not yet whole already looked at.
  size_t looked_ = 0;
  size_t trailer_bytes_ = 0;
  uint64_t heads_ = 0;
  int refusal_ = 0;
  uint64_t refused_request_ = 0;
  std::string stand_in_;
  std::string refused_line_;
};

// One connection's bytes between the socket and libmicrohttpd.
class WireTap {
 public:
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
