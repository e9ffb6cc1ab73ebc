// What libmicrohttpd is given of a connection's stream: every request as
// it came (or its head made one that libmicrohttpd reads as the framer
// does, as long as it came), or up to a refused head or line and a
// stand-in in its place, however the bytes arrive and however many
// libmicrohttpd asks for.
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
  // When not empty, what libmicrohttpd reads of the `passed` bytes.
  std::string aligned = {};
};

// The most the chunks of a body may add up to.
constexpr uint64_t kMostBody = 64;

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
  const std::string blank_chunked = kPost + "Transfer-Encoding: chunked\t \r\n\r\n";
  const std::string cookie = "GET /a HTTP/1.1\r\nHost: a\r\nCookie: a=b; c=\"\r\n\r\n";
  const std::string expect = "GET /a HTTP/1.1\r\nExpect: 100-continue\r\nHost: a\r\n\r\n";
  const std::string expect_body =
      "POST /f HTTP/1.1\r\nExpect: 100-continue\r\nHost: a\r\nContent-Length: 1\r\n\r\nx";
  std::string long_trailers;
  for (int i = 0; i < 5; ++i) long_trailers += "X: " + std::string(3990, 'x') + "\r\n";
  std::string many_trailers;
  for (int i = 0; i < 99; ++i) many_trailers += "X-T: t\r\n";
  std::string arguments;
  for (size_t i = 0; i < kMostArguments; ++i) arguments += "a&";
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
      // Blanks after a framing value go before it, where libmicrohttpd
      // skips them.
      {"blank_after_chunked", blank_chunked + "0\r\n\r\n" + kGet,
       (blank_chunked + "0\r\n\r\n" + kGet).size(), "", 0, 0,
       kPost + "Transfer-Encoding:\t  chunked\r\n\r\n0\r\n\r\n" + kGet},
      {"tab_after_length_later", kGet + kPost + "Content-Length:3\t\r\n\r\nabc" + kGet,
       (kGet + kPost + "Content-Length:3\t\r\n\r\nabc" + kGet).size(), "", 0, 0,
       kGet + kPost + "Content-Length:\t3\r\n\r\nabc" + kGet},
      // A bare CR before a request line ends an empty line.
      {"bare_crs_before", "\r\r\n" + kGet + "\r" + kGet, (kGet + kGet).size() + 4, "", 0, 0,
       "\n\r\n" + kGet + "\n" + kGet},
      // libmicrohttpd parses no cookie, and has no Expect to answer
      // where no body follows.
      {"lone_quote_cookie", cookie + kGet, (cookie + kGet).size(), "", 0, 0,
       "GET /a HTTP/1.1\r\nHost: a\r\nCooki : a=b; c=\"\r\n\r\n" + kGet},
      {"expect_without_body", expect + kGet + expect_body, (expect + kGet + expect_body).size(),
       "", 0, 0,
       "GET /a HTTP/1.1\r\nExpec : 100-continue\r\nHost: a\r\n\r\n" + kGet + expect_body},
      // Chunks past the body limit, refused at the size that passes it.
      {"chunks_past_limit", kChunked + "28\r\n" + std::string(40, 'x') + "\r\n19\r\n",
       kChunked.size() + 46, "0\r\n\r\n", 413, 1},
      {"huge_chunk_size", kGet + kChunked + "ffffffffffffffff\r\nabc",
       (kGet + kChunked).size(), "0\r\n\r\n", 413, 2},
      // The trailer shares the head's limits: 100 lines and 16 KB in all.
      {"trailer_past_field_count", kChunked + "0\r\n" + many_trailers + "\r\n",
       kChunked.size() + 3 + 98 * 8, "\r\n", 431, 1},
      {"trailer_past_head_bytes", kChunked + "0\r\n" + long_trailers + "\r\n",
       kChunked.size() + 3 + 4 * 3995, "\r\n", 431, 1},
      // What libmicrohttpd reads otherwise, or refuses with a page of its own.
      {"bare_cr_in_field", kGet + "GET /a HTTP/1.1\r\nHost: a\r\nX: a\rContent-Length: 3\r\n\r\n",
       kGet.size(), kStandIn, 400, 2},
      {"nul_in_field", std::string("GET /a HTTP/1.1\r\nX\0: a\r\nHost: a\r\n\r\n", 35), 0,
       kStandIn, 400, 1},
      {"field_without_colon", kGet + "GET /a HTTP/1.1\r\nHost: a\r\nX\r\n\r\n", kGet.size(),
       kStandIn, 400, 2},
      {"version_two", "GET /a HTTP/2.0\r\nHost: a\r\n\r\n", 0, kStandIn, 505, 1},
      {"too_many_arguments", "GET /?" + arguments + "a HTTP/1.1\r\nHost: a\r\n\r\n", 0,
       kStandIn, 414, 1},
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
  const std::string want =
      (c.aligned.empty() ? c.sent.substr(0, c.passed) : c.aligned) + c.stand_in;
  for (const Split split : {Split{1 << 20, 1 << 20}, Split{1 << 20, 5}, Split{1, 4096},
                            Split{7, 5}, Split{4096, 3}, Split{3000, 16384}}) {
    SCOPED_TRACE("arrivals of " + std::to_string(split.arrival) + ", reads of " +
                 std::to_string(split.ask));
    WireTap tap(kMostBody);
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
