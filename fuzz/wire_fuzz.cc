// The framer and libmicrohttpd read a connection's bytes alike. The input
// is a connection's stream after a first byte that picks how it arrives
// (whole, or in pieces of a few bytes up to a few hundred). The framer's
// reading (where each request's body ends, and whether one is refused) is
// taken byte by byte; then the same bytes go through the server's WireTap
// into a real libmicrohttpd daemon (host/fuzz/wire_rig.h), whose handler
// must see the same bodies end in the same order, refuse at most once,
// and stop early only after a request that closes the connection or a
// refusal; and every status line the client reads is one the handler
// queued: none of libmicrohttpd's own pages, none sent twice.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "fuzz/wire_rig.h"
#include "fuzz_input.h"
#include "serve/wire_framer.h"

namespace {

namespace serve = zorvadel::serve;

// Small, so that short inputs reach it.
constexpr uint64_t kMostBody = 64;

struct Framed {
  std::vector<uint64_t> bodies;
  bool refused = false;
};

std::string_view unread;

ssize_t ReadUnread(int /*fd*/, void* buffer, size_t size, int /*flags*/) {
  if (unread.empty()) {
    errno = EAGAIN;
    return -1;
  }
  const size_t take = std::min(size, unread.size());
  std::memcpy(buffer, unread.data(), take);
  unread.remove_prefix(take);
  return static_cast<ssize_t>(take);
}

// A byte at a time, so that each body's end is seen as it comes.
Framed Frame(std::string_view stream) {
  Framed framed;
  serve::WireTap tap(kMostBody);
  unread = stream;
  char byte;
  while (tap.Recv(-1, &byte, 1, 0, &ReadUnread) == 1) {
    const uint64_t ended = tap.framer().ended();
    ZORVADEL_FUZZ_CHECK(ended <= framed.bodies.size() + 1);
    if (ended > framed.bodies.size()) framed.bodies.push_back(tap.framer().last_body());
  }
  framed.refused = tap.framer().refusal() != 0;
  return framed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 << 16) return 0;
  constexpr size_t kPieces[] = {size_t{1} << 20, 1, 3, 17, 64, 512};
  const size_t piece = kPieces[data[0] % (sizeof kPieces / sizeof kPieces[0])];
  const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);

  const Framed framed = Frame(stream);
  const zorvadel::fuzz::DaemonRead read =
      zorvadel::fuzz::ReadThroughDaemon(stream, piece, kMostBody);

  ZORVADEL_FUZZ_CHECK(read.status_lines == read.answers);
  ZORVADEL_FUZZ_CHECK(read.refusals <= 1);
  ZORVADEL_FUZZ_CHECK(read.bodies.size() <= framed.bodies.size());
  for (size_t i = 0; i < read.bodies.size(); ++i) {
    ZORVADEL_FUZZ_CHECK(read.bodies[i] == framed.bodies[i]);
  }
  const bool stopped = read.last_closes || read.refusals == 1;
  if (read.bodies.size() < framed.bodies.size()) ZORVADEL_FUZZ_CHECK(stopped);
  if (framed.refused && !read.last_closes) ZORVADEL_FUZZ_CHECK(read.refusals == 1);
  return 0;
}
