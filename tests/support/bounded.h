// A watchdog for tests of work that must come back: a read stuck on a FIFO,
// a device that never ends or a decoding that is not stopped cannot be
// interrupted, so the watchdog ends the program instead of letting the test
// hang.
#ifndef ZORVADEL_TESTS_SUPPORT_BOUNDED_H_
#define ZORVADEL_TESTS_SUPPORT_BOUNDED_H_

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

namespace zorvadel::test {

// Runs `work` on this thread; aborts, naming `what`, when it has not come
// back within `limit`.
template <typename Work>
void Bounded(const std::string& what, Work work,
             std::chrono::seconds limit = std::chrono::seconds(60)) {
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  std::thread watchdog([&] {
    if (finished.wait_for(limit) == std::future_status::timeout) {
      std::fprintf(stderr, "%s did not come back\n", what.c_str());
      std::abort();
    }
  });
  work();
  done.set_value();
  watchdog.join();
}

}  // namespace zorvadel::test

#endif  // ZORVADEL_TESTS_SUPPORT_BOUNDED_H_
