// The bounds on slow clients: when a head or a body has taken too long, and
// that the watch shuts down just those connections (real socket pairs).
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>

#include "serve/connection_watch.h"

namespace zorvadel::serve {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

struct PaceCase {
  const char* what;
  Stage stage;
  milliseconds taken;
  uint64_t bytes;
  bool too_slow;
};

class TooSlowTest : public testing::TestWithParam<PaceCase> {};

// The defaults: a head within 30 s, a body at 1 KB/s on average after 30 s.
TEST_P(TooSlowTest, Judges) {
  const PaceCase& c = GetParam();
  const WatchClock::time_point since = WatchClock::now();
  EXPECT_EQ(TooSlow(Pace{}, c.stage, since, c.bytes, since + c.taken), c.too_slow) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Watch, TooSlowTest,
    testing::Values(PaceCase{"head at 29 s", Stage::kHead, seconds(29), 0, false},
                    PaceCase{"head at 30 s", Stage::kHead, seconds(30), 0, false},
                    PaceCase{"head past 30 s", Stage::kHead, milliseconds(30001), 0, true},
                    PaceCase{"a kept-alive connection's next head past 30 s", Stage::kIdle,
                             milliseconds(30001), 0, true},
                    PaceCase{"a trickled body in its first 30 s", Stage::kBody, seconds(30), 6,
                             false},
                    PaceCase{"a trickled body after 30 s", Stage::kBody, seconds(31), 6, true},
                    PaceCase{"a body at 1 KB/s", Stage::kBody, seconds(40), 40960, false},
                    PaceCase{"a body just under 1 KB/s", Stage::kBody, seconds(40), 40959, true},
                    PaceCase{"a large body that slows down", Stage::kBody, seconds(100),
                             uint64_t{1} << 20, false},
                    PaceCase{"a page that runs long", Stage::kBusy, seconds(3600), 0, false}));

class WatchTest : public testing::Test {
 protected:
  void SetUp() override {
    for (auto& pair : pairs_) ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair.data()), 0);
  }
  void TearDown() override {
    for (auto& pair : pairs_) {
      close(pair[0]);
      close(pair[1]);
    }
  }
  // Whether the far end of pair `i` sees its connection ended.
  bool Ended(int i) {
    char byte;
    return recv(pairs_[i][1], &byte, 1, MSG_DONTWAIT) == 0;
  }
  std::array<std::array<int, 2>, 4> pairs_{};
};

TEST_F(WatchTest, ShutsDownOnlyTheSlowAndTheWatched) {
  ConnectionWatch watch;
  ConnectionWatch::Entry head(pairs_[0][0]), body(pairs_[1][0]), busy(pairs_[2][0]),
      gone(pairs_[3][0]);
  const WatchClock::time_point start = WatchClock::now();
  head.Enter(Stage::kHead, start);
  body.Enter(Stage::kBody, start);
  body.Took(100);
  busy.Enter(Stage::kBusy, start);
  gone.Enter(Stage::kHead, start);
  for (auto* entry : {&head, &body, &busy, &gone}) watch.Add(entry);
  watch.Remove(&gone);

  EXPECT_EQ(watch.Reap(start + seconds(10)), 0u);
  EXPECT_FALSE(Ended(0));
  EXPECT_EQ(watch.Reap(start + seconds(31)), 2u);
  EXPECT_TRUE(Ended(0));
  EXPECT_TRUE(Ended(1));
  EXPECT_FALSE(Ended(2));
  EXPECT_FALSE(Ended(3));
  // Once shut down, a connection is not counted again.
  EXPECT_EQ(watch.Reap(start + seconds(60)), 0u);
  watch.Remove(&head);
  watch.Remove(&body);
  watch.Remove(&busy);
}

TEST_F(WatchTest, QuietOnlyWithNoRequestUnderWay) {
  ConnectionWatch watch;
  ConnectionWatch::Entry held(pairs_[0][0]);
  watch.Add(&held);
  EXPECT_TRUE(watch.Quiet());
  // A request sent and not yet read.
  ASSERT_EQ(send(pairs_[0][1], "G", 1, 0), 1);
  EXPECT_FALSE(watch.Quiet());
  char byte;
  ASSERT_EQ(recv(pairs_[0][0], &byte, 1, 0), 1);
  EXPECT_TRUE(watch.Quiet());
  held.Enter(Stage::kBusy);
  EXPECT_FALSE(watch.Quiet());
  held.Enter(Stage::kIdle);  // answered, kept alive
  EXPECT_TRUE(watch.Quiet());
  watch.Remove(&held);
}

}  // namespace
}  // namespace zorvadel::serve
