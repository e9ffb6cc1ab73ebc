// Which heads frame their body one way, and the status of those that do
// not, as the access handler and the gate judge them: the edges of the
// rules, as tests/serve/run_framing.sh sends the common shapes over the
// wire.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "serve/connection_gate.h"
#include "serve/request_framing.h"
#include "serve/wire_framer.h"

namespace zorvadel::serve {
namespace {

struct FramingCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> fields;  // a null name: a folded line
  int refusal;
};

class FramingTest : public testing::TestWithParam<FramingCase> {};

// The body limit is 100 bytes.
TEST_P(FramingTest, Judges) {
  RequestFraming framing;
  for (const auto& [name, value] : GetParam().fields) {
    if (name == nullptr) {
      framing.Folded();
    } else {
      framing.Field(name, value);
    }
  }
  EXPECT_EQ(framing.Refusal(100), GetParam().refusal);
}

INSTANTIATE_TEST_SUITE_P(
    Heads, FramingTest,
    testing::Values(
        FramingCase{"none", {{"Host", "a"}, {"Accept", "*/*"}}, 0},
        FramingCase{"length", {{"content-LENGTH", "0100"}, {"Host", "a"}}, 0},
        FramingCase{"chunked", {{"Transfer-Encoding", "Chunked"}}, 0},
        FramingCase{"chunks then length", {{"Transfer-Encoding", "chunked"}, {"Content-Length", "4"}}, 400},
        FramingCase{"the same length twice", {{"Content-Length", "3"}, {"Content-Length", "3"}}, 400},
        FramingCase{"negative", {{"Content-Length", "-1"}}, 400},
        FramingCase{"empty length", {{"Content-Length", ""}}, 400},
        FramingCase{"past the limit", {{"Content-Length", "101"}}, 413},
        FramingCase{"another coding", {{"Transfer-Encoding", "xchunked"}}, 501},
        FramingCase{"chunked twice", {{"Transfer-Encoding", "chunked"}, {"Transfer-Encoding", "chunked"}}, 501},
        FramingCase{"empty coding", {{"Transfer-Encoding", ""}}, 400},
        FramingCase{"a length folded", {{"Content-Length", "3"}, {nullptr, "4"}}, 400},
        FramingCase{"another field folded", {{"X-A", "3"}, {nullptr, "4"}}, 0},
        FramingCase{"a length folded as parsed", {{"Content-Length4", "3"}}, 400},
        FramingCase{"a coding folded as parsed", {{"transfer-encodingx", "chunked"}}, 400}),
    [](const testing::TestParamInfo<FramingCase>& info) {
      std::string name;
      for (char c : std::string(info.param.name)) name += std::isalnum(c) ? c : '_';
      return name;
    });

struct GateCase {
  std::string received;
  Head::Verdict verdict;
  int refusal;
};

class GateFramingTest : public testing::TestWithParam<GateCase> {};

// The gate reads the same fields off the wire, and looks at the first
// chunk-size line when it has come with the head.
TEST_P(GateFramingTest, Reads) {
  const Head head = ReadHead(GetParam().received);
  EXPECT_EQ(head.verdict, GetParam().verdict) << GetParam().received.substr(0, 200);
  EXPECT_EQ(head.refusal, GetParam().refusal) << GetParam().received.substr(0, 200);
}

const std::string kChunked = "POST / HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Gate, GateFramingTest,
    testing::Values(
        GateCase{"POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 3\r\n\r\nabc", Head::kRequest, 0},
        GateCase{"POST / HTTP/1.1\r\nContent-Length:-1\r\nHost: a\r\n\r\n", Head::kRefused, 400},
        GateCase{"POST / HTTP/1.1\r\nContent-Length: 3\r\n 3\r\n\r\n", Head::kRefused, 400},
        GateCase{"POST / HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\n", Head::kRefused, 501},
        // Judged only once the head is whole: a later field may refuse it.
        GateCase{"POST / HTTP/1.1\r\nHost: a\r\nHost: b\r\n", Head::kIncomplete, 0},
        GateCase{kChunked + "3;" + std::string(kMostChunkLine, 'x'), Head::kRefused, 400},
        GateCase{kChunked + "3;" + std::string(kMostChunkLine - 10, 'x') + "\r\nabc\r\n",
                 Head::kRequest, 0},
        GateCase{kChunked + "3;" + std::string(100, 'x'), Head::kRequest, 0}));

struct PlainCase {
  std::string head;
  bool plain;
  std::string passed;  // what the framer passes on, when it is not the head itself
};

class PlainHeadTest : public testing::TestWithParam<PlainCase> {};

// A plain head is passed on as it came without its lines being read again;
// any head the framer must rewrite or refuse is not plain.
TEST_P(PlainHeadTest, ReadsOnce) {
  const PlainCase& c = GetParam();
  const Head head = ReadHead(c.head);
  ASSERT_EQ(head.verdict, Head::kRequest) << c.head;
  EXPECT_EQ(head.plain, c.plain) << c.head;
  std::string bytes = c.head;
  WireFramer framer;
  const size_t passed = framer.Look(bytes.data(), bytes.size());
  if (c.passed == "refused") {
    EXPECT_NE(framer.refusal(), 0) << c.head;
  } else {
    EXPECT_EQ(passed, bytes.size()) << c.head;
    EXPECT_EQ(bytes, c.passed.empty() ? c.head : c.passed);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Heads, PlainHeadTest,
    testing::Values(
        PlainCase{"GET / HTTP/1.1\r\nHost: a\r\nConnection: keep-alive\r\nAccept: */*\r\n\r\n", true, ""},
        PlainCase{"POST / HTTP/1.1\r\nContent-Length: 0\r\nX-A: 1\r\n 2\r\n\r\n", true, ""},
        PlainCase{"\r\nGET / HTTP/1.1\r\nHost: a\r\n\r\n", false, ""},
        PlainCase{"\rGET / HTTP/1.1\r\nHost: a\r\n\r\n", false, "\nGET / HTTP/1.1\r\nHost: a\r\n\r\n"},
        PlainCase{"GET / HTTP/1.1\r\ncOOKIE: a=1\r\n\r\n", false, "GET / HTTP/1.1\r\nCooki : a=1\r\n\r\n"},
        PlainCase{"GET / HTTP/1.1\r\nExpect: 100-continue\r\n\r\n", false,
                  "GET / HTTP/1.1\r\nExpec : 100-continue\r\n\r\n"},
        PlainCase{"POST / HTTP/1.1\r\nContent-Length: 0 \r\n\r\n", false,
                  "POST / HTTP/1.1\r\nContent-Length:  0\r\n\r\n"},
        PlainCase{"GET / HTTP/1.1\r\nX-A\r\n\r\n", false, "refused"},
        PlainCase{"GET / HTTP/1.1\r\n: a\r\n\r\n", false, "refused"},
        PlainCase{"GET / HTTP/1.1\r\n folded\r\n\r\n", false, "refused"},
        PlainCase{"GET / HTTP/1.1\r\nX-A: 1\r2\r\n\r\n", false, "refused"},
        PlainCase{std::string("GET / HTTP/1.1\r\nX-A: 1\0\r\n\r\n", 27), true, "refused"},
        PlainCase{"GET / HTTP/2.0\r\nHost: a\r\n\r\n", true, "refused"}));

}  // namespace
}  // namespace zorvadel::serve
