// The page runner's answer when the server, not the page, is at fault: a
// page script that cannot be opened because no file descriptor is left.
#include "serve/page_runner.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "serve/page_registry.h"
#include "serve/session_store.h"
#include "serve/site.h"

namespace zorvadel::serve {
namespace {

// Holds every file descriptor the process may still open, under a soft
// limit lowered so that there are few to take, until it goes.
class Starved {
 public:
  Starved() {
    getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit low = saved_;
    low.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, 256);
    setrlimit(RLIMIT_NOFILE, &low);
    for (;;) {
      const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
      if (fd < 0) {
        error_ = errno;
        break;
      }
      held_.push_back(fd);
    }
  }
  ~Starved() {
    for (int fd : held_) close(fd);
    setrlimit(RLIMIT_NOFILE, &saved_);
  }
  int error() const { return error_; }

 private:
  rlimit saved_{};
  std::vector<int> held_;
  int error_ = 0;
};

TEST(PageRunnerTest, AScriptThatCannotBeOpenedForWantOfFilesIsAnswered503) {
#if defined(__SANITIZE_ADDRESS__)
  // The undefined-behaviour checks that come with it test memory through a
  // pipe: with no descriptor left they take sound objects for broken ones.
  GTEST_SKIP() << "the sanitizers' own checks need file descriptors";
#endif
  const std::filesystem::path root = std::filesystem::temp_directory_path() /
                                     ("zorvadel-runner-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root);
  std::ofstream(root / "page.json") << R"({"steps": [{"echo": "shown"}]})";
  PageRegistry pages;
  Site site(root, pages);
  SessionStore sessions;
  PageRunner runner(site, sessions, RunnerOptions{true});
  const Route route = site.Resolve("/page.asp");
  ASSERT_EQ(route.kind, Route::Kind::kScript);
  engine::RequestFacts facts;
  facts.url = "/page.asp";

  engine::ResponseResult starved;
  int error = 0;
  {
    Starved hold;
    error = hold.error();
    starved = runner.Run(route, facts);
  }
  ASSERT_EQ(error, EMFILE);
  EXPECT_EQ(starved.status, 503);
  EXPECT_NE(starved.body.find("Too many open files"), std::string::npos) << starved.body;
  // Once descriptors are free again, the same page runs.
  const engine::ResponseResult after = runner.Run(route, facts);
  EXPECT_EQ(after.status, 200);
  EXPECT_EQ(after.body, "shown");
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace zorvadel::serve
