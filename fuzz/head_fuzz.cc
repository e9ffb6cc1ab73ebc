// The gate's first look at a connection: the input is the bytes a client
// sent, read as the head of its first request under the server's own
// bounds and under small ones (so that the limits are reached by short
// inputs too). What the reading finds lies within the bytes it may count,
// a verdict once given does not change as more bytes come, and the first
// line's verdict agrees with the head's.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "serve/connection_gate.h"

namespace {

namespace serve = zorvadel::serve;

bool Within(std::string_view part, std::string_view whole) {
  return part.empty() ||
         (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsTokenChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

// "METHOD TARGET HTTP/d.d": three pieces one blank apart, a target of
// visible characters.
bool LooksLikeRequestLine(std::string_view line) {
  const auto pieces = zorvadel::fuzz::Split(line, ' ');
  if (pieces.size() != 3 || pieces[0].empty() || pieces[1].empty()) return false;
  for (const char c : pieces[0]) {
    if (!IsTokenChar(c)) return false;
  }
  for (const char c : pieces[1]) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x21 || code == 0x7F) return false;
  }
  const std::string_view version = pieces[2];
  return version.size() == 8 && version.substr(0, 5) == "HTTP/" && version[5] >= '0' &&
         version[5] <= '9' && version[6] == '.' && version[7] >= '0' && version[7] <= '9';
}

void CheckHead(std::string_view received, size_t limit, size_t most_fields) {
  const serve::Head head = serve::ReadHead(received, limit, most_fields);
  const std::string_view counted = received.substr(0, limit);
  ZORVADEL_FUZZ_CHECK(Within(head.line, counted));
  ZORVADEL_FUZZ_CHECK(Within(head.accept, counted));
  ZORVADEL_FUZZ_CHECK(head.line.find('\n') == std::string_view::npos);
  ZORVADEL_FUZZ_CHECK(head.accept.find('\n') == std::string_view::npos);
  ZORVADEL_FUZZ_CHECK(head.accept.empty() ||
                      (!IsBlank(head.accept.front()) && !IsBlank(head.accept.back())));

  switch (head.verdict) {
    case serve::Head::kRequest:
      ZORVADEL_FUZZ_CHECK(head.ended);
      ZORVADEL_FUZZ_CHECK(LooksLikeRequestLine(head.line));
      break;
    case serve::Head::kIncomplete:
      ZORVADEL_FUZZ_CHECK(!head.ended);
      ZORVADEL_FUZZ_CHECK(received.size() < limit);
      break;
    case serve::Head::kLineTooLong:
      ZORVADEL_FUZZ_CHECK(!head.ended);
      ZORVADEL_FUZZ_CHECK(received.size() >= limit);
      break;
    case serve::Head::kMalformed:
      ZORVADEL_FUZZ_CHECK(!LooksLikeRequestLine(head.line));
      break;
    case serve::Head::kTooLarge:
      break;
    case serve::Head::kRefused:
      // Refused for its framing: a whole request line, and a status to answer.
      ZORVADEL_FUZZ_CHECK(LooksLikeRequestLine(head.line));
      ZORVADEL_FUZZ_CHECK(head.refusal >= 400 && head.refusal < 600);
      break;
  }

  // Once the request line has ended, the first line is read alike.
  const serve::FirstLine first = serve::ReadFirstLine(received, received.size() + 1);
  if (head.verdict == serve::Head::kMalformed) {
    ZORVADEL_FUZZ_CHECK(first == serve::FirstLine::kMalformed);
  } else if (head.verdict == serve::Head::kRequest || head.verdict == serve::Head::kTooLarge) {
    ZORVADEL_FUZZ_CHECK(first == serve::FirstLine::kRequest);
  }

  // A verdict given on the bytes so far stands, whatever comes after.
  if (head.verdict == serve::Head::kIncomplete) return;
  constexpr size_t kCuts = 16;
  for (size_t cut = 1; cut <= kCuts; ++cut) {
    const size_t size = received.size() * cut / kCuts;
    const serve::Head earlier = serve::ReadHead(received.substr(0, size), limit, most_fields);
    if (earlier.verdict == serve::Head::kIncomplete) continue;
    ZORVADEL_FUZZ_CHECK(earlier.verdict == head.verdict);
    ZORVADEL_FUZZ_CHECK(earlier.line == head.line);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view received(reinterpret_cast<const char*>(data), size);
  CheckHead(received, serve::kHeadLimit, serve::kMostFields);
  CheckHead(received, 48, 2);
  CheckHead(received, size / 2 + 1, 4);

  // Leading empty lines are skipped, so only an unended line after them
  // leaves the first line to come.
  const size_t start = std::min(received.find_first_not_of("\r\n"), received.size());
  const bool ended = received.find('\n', start) != std::string_view::npos;
  const serve::FirstLine first = serve::ReadFirstLine(received, 32);
  ZORVADEL_FUZZ_CHECK((first == serve::FirstLine::kIncomplete) ==
                      (!ended && received.size() - start < 32));
  return 0;
}
