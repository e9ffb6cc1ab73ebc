// A real libmicrohttpd daemon fed a connection's bytes through the
// server's WireTap, for the fuzz target that checks that the two read
// every request alike (fuzz/wire_fuzz.cc). The daemon is the server's kind
// (no listening socket, the default memory for a connection) driven from
// the calling thread; its access handler answers as the server's does
// where framing is concerned: a request refused on its way in, or by the
// framing of the head libmicrohttpd parsed, with its status and
// "Connection: close", every other one 200 once its body has ended.
#ifndef ZORVADEL_HOST_FUZZ_WIRE_RIG_H_
#define ZORVADEL_HOST_FUZZ_WIRE_RIG_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zorvadel::fuzz {

struct DaemonRead {
  // The length of each body the handler saw end, in order, refused
  // requests left out.
  std::vector<uint64_t> bodies;
  // Answers the handler queued, refusals included, and of those refusals.
  size_t answers = 0;
  size_t refusals = 0;
  // The last request the handler saw asked to close the connection after
  // its answer (HTTP/1.0, or "Connection: close").
  bool last_closes = false;
  // Status lines the client read, 100 Continue left out.
  size_t status_lines = 0;
};

// Sends `bytes` on a fresh connection (a socket pair) to the daemon, `piece`
// bytes at a time, each read as far as it goes before the next; chunks of
// a body may add up to `most_body`.
DaemonRead ReadThroughDaemon(std::string_view bytes, size_t piece, uint64_t most_body);

}  // namespace zorvadel::fuzz

#endif  // ZORVADEL_HOST_FUZZ_WIRE_RIG_H_
