// What libmicrohttpd is given of a connection's stream: every request as
// it came, or up to a refused head or line and a stand-in in its place,
// however the bytes arrive and however many libmicrohttpd asks for.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "serve/wire_framer.h"

namespace zorvadel::serve {
namespace {

// The socket: what has arrived and not yet been read.
std::string_view arrived;

ssize_t ReadArrived(int /*fd*/, void* buffer, size_t size, int /*flags*/) {
  if (arrived.empty()) {
    errno = EAGAIN;
    return -1;
  }
  const size_t take = std::min(size, arrived.size());
  std::memcpy(buffer, arrived.data(), take);
  arrived.remove_prefix(take);
  return static_cast<ssize_t>(take);
}

struct WireCase {
  const char* name;
  std::string sent;
  // What libmicrohttpd reads: `passed` of what was sent, then `stand_in`.
  size_t passed;
  std::string stand_in;
  int refusal;
  uint64_t request;  // the number of the refused request
};

const std::string kGet = "GET /a HTTP/1.1\r\nHost: a\r\n\r\n";
const std::string kHead = "HEAD /a HTTP/1.1\r\nHost: a\r\n\r\n";
const std::string kPost = "POST /f HTTP/1.1\r\nHost: a\r\n";
const std::string kChunked = kPost + "Transfer-Encoding: chunked\r\n\r\n";
const std::string kStandIn = "GET / HTTP/1.1\r\nHost: refused\r\nConnection: close\r\n\r\n";

std::vector<WireCase> Cases() {
  const std::string inner = kPost + "Content-Length: -1\r\n\r\n";
  const std::string sized =
      kPost + "Content-Length: " + std::to_string(inner.size()) + "\r\n\r\n" + inner;
  const std::string chunks = kChunked + "3;a=b\r\nabc\r\n10\r\n0123456789abcdef\r\n0\r\nX-T: t\r\n\r\n";
  const std::string wml = "Accept: text/vnd.wap.wml\r\n";
  return {
      {"pipelined", kGet + kHead + kGet, (kGet + kHead + kGet).size(), "", 0, 0},
      {"body_looking_like_a_head", sized + kGet, (sized + kGet).size(), "", 0, 0},
      {"chunks_and_trailer", chunks + kGet, (chunks + kGet).size(), "", 0, 0},
      {"empty_lines_between", kGet + "\r\n" + kGet, (kGet + "\r\n" + kGet).size(), "", 0, 0},
      {"later_length_not_digits", kGet + kPost + "Content-Length: +3\r\n\r\nabc" + kGet,
       kGet.size(), kStandIn, 400, 2},
      {"length_past_64_bits",
       kPost + "Content-Length: 12345678901234567890123\r\n\r\n" + kGet, 0, kStandIn, 413, 1},
      {"head_refused_keeps_head_and_accept",
       kGet + "HEAD /x HTTP/1.1\r\nHost: a\r\n" + wml + "Content-Length: 3, 3\r\n\r\n",
       kGet.size(),
       "HEAD / HTTP/1.1\r\nHost: refused\r\nConnection: close\r\n" + wml + "\r\n", 400, 2},
      {"coding_not_read", kPost + "Transfer-Encoding: gzip\r\n\r\n" + kGet, 0, kStandIn, 501, 1},
      {"head_too_large", kGet + "GET / HTTP/1.1\r\nX: " + std::string(17000, 'x') + "\r\n\r\n",
       kGet.size(), kStandIn, 431, 2},
      {"chunk_line_too_long",
       kChunked + "3\r\nabc\r\n3;" + std::string(5000, 'x') + "\r\nabc\r\n0\r\n\r\n" + kGet,
       kChunked.size() + 8, "0\r\n\r\n", 400, 1},
      {"chunk_size_not_hex", kGet + kChunked + "3x\r\nabc\r\n0\r\n\r\n",
       (kGet + kChunked).size(), "0\r\n\r\n", 400, 2},
      {"chunk_size_past_64_bits", kChunked + "10000000000000000\r\n", kChunked.size(),
       "0\r\n\r\n", 400, 1},
      {"chunk_longer_than_its_size", kChunked + "3\r\nabcdef\r\n0\r\n\r\n" + kGet,
       kChunked.size() + 6, "\r\n0\r\n\r\n", 400, 1},
      {"trailer_line_too_long", kChunked + "0\r\nX: " + std::string(5000, 'x') + "\r\n\r\n",
       kChunked.size() + 3, "\r\n", 400, 1},
  };
}

// How the bytes arrive, and how many libmicrohttpd asks for at a time.
struct Split {
  size_t arrival;
  size_t ask;
};

class WireTest : public testing::TestWithParam<WireCase> {};

TEST_P(WireTest, PassesOrStandsIn) {
  const WireCase& c = GetParam();
  const std::string want = c.sent.substr(0, c.passed) + c.stand_in;
  for (const Split split : {Split{1 << 20, 1 << 20}, Split{1 << 20, 5}, Split{1, 4096},
                            Split{7, 5}, Split{4096, 3}, Split{3000, 16384}}) {
    SCOPED_TRACE("arrivals of " + std::to_string(split.arrival) + ", reads of " +
                 std::to_string(split.ask));
    WireTap tap;
    std::string got;
    std::vector<char> buffer(split.ask);
    for (size_t at = 0; at < c.sent.size(); at += split.arrival) {
      arrived = std::string_view(c.sent).substr(at, split.arrival);
      for (;;) {
        const ssize_t n = tap.Recv(3, buffer.data(), split.ask, 0, &ReadArrived);
        if (n < 0) {
          ASSERT_EQ(errno, EAGAIN);
          break;
        }
        got.append(buffer.data(), static_cast<size_t>(n));
        if (static_cast<size_t>(n) < split.ask) {
          // A short read: libmicrohttpd waits for the socket's next
          // signal, so nothing may be left to read until then.
          ASSERT_EQ(tap.Recv(3, buffer.data(), split.ask, 0, &ReadArrived), -1);
          break;
        }
      }
      ASSERT_TRUE(arrived.empty() || tap.framer().refusal() != 0);
    }
    EXPECT_EQ(got, want);
    EXPECT_EQ(tap.framer().refusal(), c.refusal);
    EXPECT_EQ(tap.RefusalOf(c.request), c.refusal);
    if (c.refusal != 0) {
      EXPECT_EQ(tap.RefusalOf(c.request + 1), 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Streams, WireTest, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<WireCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zorvadel::serve
