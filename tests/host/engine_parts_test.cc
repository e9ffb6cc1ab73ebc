// The engine's small readers and writers: which clients get WML status
// pages, which first lines and heads the gate lets through, and the access
// log line and its file when writes to it fail.
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
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

// Writes to the access log that fail part of the way, as on a full disk:
// made real by a limit on the size of the files the process writes.
//   writes: records by letter, "+N" letting the file grow N bytes more;
//   file:   what the records added, "B10" for the first 10 bytes of B's
//           line, "/" for a line's end.
struct CutCase {
  const char* name;
  const char* writes;
  const char* file;
};

class AccessLogCutTest : public testing::TestWithParam<CutCase> {};

TEST_P(AccessLogCutTest, NextRecordStartsItsOwnLine) {
  const auto when = std::chrono::system_clock::from_time_t(971186136);
  auto line = [&](char name) {
    const std::string target = std::string("/") + name;
    return CommonLogLine({"127.0.0.1", "GET", target, "HTTP/1.1", 200, 1, when});
  };
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("zorvadel-cut-" + std::to_string(::getpid()) + ".log");
  // Lines already there keep the limits above the few bytes the failure's
  // message adds to the captured standard error.
  const std::string before(4096, '-');
  std::ofstream(path) << before;
  struct sigaction ignore {}, saved_signal {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &saved_signal);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  std::string told;
  {
    AccessLog log;
    std::string error;
    ASSERT_TRUE(log.Open(path.string(), &error)) << error;
    testing::internal::CaptureStderr();
    std::istringstream writes(GetParam().writes);
    std::string write;
    while (writes >> write) {
      if (write.size() > 1) {
        rlimit limit = saved;
        limit.rlim_cur = std::filesystem::file_size(path) + std::stoul(write.substr(2));
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      log.Write({"127.0.0.1", "GET", "/" + write.substr(0, 1), "HTTP/1.1", 200, 1, when});
      setrlimit(RLIMIT_FSIZE, &saved);
    }
    told = testing::internal::GetCapturedStderr();
  }
  sigaction(SIGXFSZ, &saved_signal, nullptr);
  std::string expected;
  std::istringstream file(GetParam().file);
  std::string piece;
  while (file >> piece) {
    expected += piece == "/" ? std::string("\n")
                             : line(piece[0]).substr(0, piece.size() > 1
                                                            ? std::stoul(piece.substr(1))
                                                            : std::string::npos);
  }
  std::stringstream written;
  written << std::ifstream(path).rdbuf();
  std::filesystem::remove(path);
  EXPECT_EQ(written.str(), before + expected);
  // Said once, however many lines were lost.
  size_t lines = 0;
  for (size_t at = 0; (at = told.find("is failing", at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, 1u) << told;
}

INSTANTIATE_TEST_SUITE_P(
    Log, AccessLogCutTest,
    testing::Values(
        CutCase{"cut_then_mended", "A B+10 C", "A B10 / C"},
        CutCase{"lost_whole_leaves_no_blank_line", "A B+0 C", "A C"},
        CutCase{"still_cut_after_a_lost_line", "A B+10 C+0 D", "A B10 / D"},
        CutCase{"mended_by_the_end_alone", "A B+10 C+1 D", "A B10 / D"},
        CutCase{"mended_then_cut_again", "A B+10 C+5 D", "A B10 / C4 / D"}),
    [](const testing::TestParamInfo<CutCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zorvadel::serve
