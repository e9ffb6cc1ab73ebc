// The engine's small readers and writers: which clients get WML status
// pages, which first lines and heads the gate lets through, and the access
// log line.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include "serve/access_log.h"
#include "serve/connection_gate.h"
#include "serve/status_page.h"

namespace zorvadel::serve {
namespace {

struct AcceptCase {
  const char* accept;
  bool only_wml;
};

class AcceptsOnlyWmlTest : public testing::TestWithParam<AcceptCase> {};

TEST_P(AcceptsOnlyWmlTest, Reads) {
  EXPECT_EQ(AcceptsOnlyWml(GetParam().accept), GetParam().only_wml) << GetParam().accept;
}

INSTANTIATE_TEST_SUITE_P(
    Status, AcceptsOnlyWmlTest,
    testing::Values(AcceptCase{"text/vnd.wap.wml", true},
                    AcceptCase{"text/vnd.wap.wml, image/vnd.wap.wbmp, */*", true},
                    AcceptCase{" Text/VND.WAP.WML ;q=0.8,image/png", true},
                    AcceptCase{"text/vnd.wap.wml, text/html", false},
                    AcceptCase{"application/xhtml+xml;q=0.9, text/vnd.wap.wml", false},
                    AcceptCase{"*/*", false}, AcceptCase{"", false},
                    AcceptCase{"text/vnd.wap.wmlscript", false}));

struct LineCase {
  const char* received;
  FirstLine verdict;
};

class FirstLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(FirstLineTest, Reads) {
  EXPECT_EQ(ReadFirstLine(GetParam().received, 32), GetParam().verdict) << GetParam().received;
}

INSTANTIATE_TEST_SUITE_P(
    Gate, FirstLineTest,
    testing::Values(LineCase{"GET / HTTP/1.1\r\n", FirstLine::kRequest},
                    LineCase{"POST /a.asp?x=1 HTTP/1.0\n", FirstLine::kRequest},
                    LineCase{"\r\n\r\nGET / HTTP/1.1\r\n", FirstLine::kRequest},
                    LineCase{"GET / HTTP/1.1", FirstLine::kIncomplete},
                    LineCase{"", FirstLine::kIncomplete}, LineCase{"\r\n", FirstLine::kIncomplete},
                    // Past the limit without an end: the daemon's to refuse.
                    LineCase{"GET /aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", FirstLine::kRequest},
                    LineCase{"garbage\r\n", FirstLine::kMalformed},
                    LineCase{"GET / HTTP/1.1 x\r\n", FirstLine::kMalformed},
                    LineCase{"GET /\r\n", FirstLine::kMalformed},
                    LineCase{" GET / HTTP/1.1\r\n", FirstLine::kMalformed},
                    LineCase{"GET / http/1.1\r\n", FirstLine::kMalformed},
                    LineCase{"GET / HTTP/11\r\n", FirstLine::kMalformed},
                    LineCase{"GE(T / HTTP/1.1\r\n", FirstLine::kMalformed}));

struct HeadCase {
  const char* received;
  Head::Verdict verdict;
  const char* line;
  const char* accept;
};

class HeadTest : public testing::TestWithParam<HeadCase> {};

// A head of at most 48 bytes and 2 header lines.
TEST_P(HeadTest, Reads) {
  const Head head = ReadHead(GetParam().received, 48, 2);
  EXPECT_EQ(head.verdict, GetParam().verdict) << GetParam().received;
  EXPECT_EQ(head.line, GetParam().line) << GetParam().received;
  EXPECT_EQ(head.accept, GetParam().accept) << GetParam().received;
}

INSTANTIATE_TEST_SUITE_P(
    Gate, HeadTest,
    testing::Values(
        HeadCase{"GET / HTTP/1.1\r\nHost: a\r\n\r\n", Head::kRequest, "GET / HTTP/1.1", ""},
        HeadCase{"\r\nGET / HTTP/1.0\n\n", Head::kRequest, "GET / HTTP/1.0", ""},
        HeadCase{"GET / HTTP/1.1\r\nACCEPT:  text/vnd.wap.wml \r\n", Head::kIncomplete,
                 "GET / HTTP/1.1", "text/vnd.wap.wml"},
        HeadCase{"GET / HTTP/1.1\r\nAccept: a\r\nAccept: b\r\n\r\n", Head::kRequest,
                 "GET / HTTP/1.1", "a"},
        // A malformed line is refused whether or not the head has ended;
        // its Accept header still chooses the markup.
        HeadCase{"garbage\r\nAccept: x\r\n", Head::kMalformed, "garbage", "x"},
        HeadCase{"GET / HTTP/1.1 x\r\n\r\n", Head::kMalformed, "GET / HTTP/1.1 x", ""},
        // The request line, the bytes and the header lines are bounded.
        HeadCase{"GET /aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa HTTP/1.1\r\n",
                 Head::kLineTooLong, "GET /aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", ""},
        HeadCase{"GET / HTTP/1.1\r\nX-A: bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", Head::kTooLarge,
                 "GET / HTTP/1.1", ""},
        HeadCase{"GET / HTTP/1.1\r\nA: 1\r\nB: 2\r\nC: 3\r\n", Head::kTooLarge,
                 "GET / HTTP/1.1", ""},
        HeadCase{"GET / HTTP/1.1\r\nA: 1\r\nB: 2\r\n\r\n", Head::kRequest, "GET / HTTP/1.1",
                 ""},
        HeadCase{"", Head::kIncomplete, "", ""}));

TEST(AccessLogTest, CommonLogFormat) {
  setenv("TZ", "UTC", 1);
  tzset();
  // 2000-10-10 13:55:36 UTC
  const auto when = std::chrono::system_clock::from_time_t(971186136);
  EXPECT_EQ(CommonLogLine({"192.0.2.7", "GET", "/index.asp?x=\"1\"\\\x01", "HTTP/1.1", 200,
                           2326, when}),
            "192.0.2.7 - - [10/Oct/2000:13:55:36 +0000] "
            "\"GET /index.asp?x=\\\"1\\\"\\\\\\x01 HTTP/1.1\" 200 2326\n");
  EXPECT_EQ(CommonLogLine({"", "HEAD", "/", "HTTP/1.0", 304, 0, when}),
            "- - - [10/Oct/2000:13:55:36 +0000] \"HEAD / HTTP/1.0\" 304 -\n");
  // A request refused before it was read in parts is logged with its line
  // as it came.
  EXPECT_EQ(CommonLogLine({"::1", {}, {}, {}, 400, 90, when, "garbage \"x\""}),
            "::1 - - [10/Oct/2000:13:55:36 +0000] \"garbage \\\"x\\\"\" 400 90\n");
  EXPECT_EQ(CommonLogLine({"::1", {}, {}, {}, 503, 0, when}),
            "::1 - - [10/Oct/2000:13:55:36 +0000] \"-\" 503 -\n");
}

}  // namespace
}  // namespace zorvadel::serve
