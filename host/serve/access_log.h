// The access log of zorvadel-serve: one line per answered request in the
// common log format that log analysers read,
//
//   127.0.0.1 - - [06/Dec/2026:23:00:30 +0100] "GET /index.asp HTTP/1.1" 200 1337
//
// (client address, two unknown fields, local time, request line, status,
// body bytes or "-" for none). Quotes, backslashes and control characters
// of the request line are written as \" \\ and \xHH, so that one request
// always is one line.
#ifndef ZORVADEL_HOST_SERVE_ACCESS_LOG_H_
#define ZORVADEL_HOST_SERVE_ACCESS_LOG_H_

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace zorvadel::serve {

struct AccessRecord {
  std::string_view remote_addr;
  std::string_view method;
  std::string_view target;
  std::string_view version;
  int status = 0;
  uint64_t bytes = 0;
  std::chrono::system_clock::time_point time;
  // A request refused before it was read in parts (no method): its first
  // line as it came, written in place of method, target and version ("-"
  // for none).
  std::string_view line = {};
};

// The record's line, with its "\n".
std::string CommonLogLine(const AccessRecord& record);

class AccessLog {
 public:
  AccessLog() = default;
  ~AccessLog();
  AccessLog(const AccessLog&) = delete;
  AccessLog& operator=(const AccessLog&) = delete;

  // Appends to `path` ("-": standard output) from now on; false with
  // `error` set when the file cannot be opened.
  bool Open(const std::string& path, std::string* error);
  bool enabled() const { return fd_ >= 0; }
  // Writes the record's line in one write, so that lines of requests
  // answered at once do not interleave. Does nothing when not enabled.
  //
  // A write that fails (a full disk) loses the line, or its end, never the
  // request: the line after a cut one starts on a line of its own, and the
  // first failure is told on standard error, once.
  void Write(const AccessRecord& record) const;

 private:
  int fd_ = -1;
  bool owned_ = false;
  std::string path_;
  // Held across a line's writes, so that the line after a cut one knows
  // it was cut, and no other line lands in the middle of one.
  mutable std::mutex mutex_;
  mutable bool cut_ = false;
  mutable bool told_ = false;
};

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_ACCESS_LOG_H_
