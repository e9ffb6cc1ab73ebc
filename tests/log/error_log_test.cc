#include "platform/log/error_log.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace zorvadel::log {
namespace {

class ErrorLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTesting();
    SetSinkForTesting([this](std::string_view line) { lines_.emplace_back(line); });
  }
  void TearDown() override {
    SetSinkForTesting({});
    ResetForTesting();
  }
  std::vector<std::string> lines_;
};

TEST_F(ErrorLogTest, RepeatsWithinASecondAreCountedAndToldLater) {
  for (int i = 0; i < 1000; ++i) Line("page /a.asp: MdbDo: no such table");
  Line("page /b.asp: MdbDo: no such table");
  ASSERT_EQ(lines_.size(), 2u);
  EXPECT_EQ(lines_[0], "page /a.asp: MdbDo: no such table");
  EXPECT_EQ(lines_[1], "page /b.asp: MdbDo: no such table");

  Flush();  // not a second yet: nothing is due
  EXPECT_EQ(lines_.size(), 2u);
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  Flush();
  ASSERT_EQ(lines_.size(), 3u);
  EXPECT_EQ(lines_[2], "page /a.asp: MdbDo: no such table (999 more like this in the last 1 s)");
  Flush();  // told once
  EXPECT_EQ(lines_.size(), 3u);
}

TEST_F(ErrorLogTest, ALineDueAgainCarriesItsCount) {
  Line("x");
  Line("x");
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  Line("x");
  ASSERT_EQ(lines_.size(), 2u);
  EXPECT_EQ(lines_[1], "x (1 more like this in the last 1 s)");
}

TEST_F(ErrorLogTest, ThreadsAtOnceWriteEachLineOnce) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 500; ++i) Line("the same failure");
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(lines_.size(), 1u);
  Line(std::string(5000, 'a'));
  ASSERT_EQ(lines_.size(), 2u);
  EXPECT_EQ(lines_[1].size(), 2000u);
}

}  // namespace
}  // namespace zorvadel::log
