// Access log lines and their file.
#include "serve/access_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <iostream>

#include "runtime/hex_digits.h"

namespace zorvadel::serve {
namespace {

void AppendQuoted(std::string_view text, std::string* line) {
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      *line += '\\';
      *line += c;
    } else if (byte < 0x20 || byte == 0x7f) {
      *line += "\\x";
      *line += LowerHexDigit<char>(byte >> 4);
      *line += LowerHexDigit<char>(byte & 15);
    } else {
      *line += c;
    }
  }
}

}  // namespace

std::string CommonLogLine(const AccessRecord& record) {
  std::time_t seconds = std::chrono::system_clock::to_time_t(record.time);
  std::tm local{};
  localtime_r(&seconds, &local);
  // The month's name in English whatever the locale: the program never
  // leaves the "C" locale.
  char when[40];
  size_t length = std::strftime(when, sizeof when, "[%d/%b/%Y:%H:%M:%S %z]", &local);
  std::string line;
  line.reserve(96 + record.target.size() + record.line.size());
  line += record.remote_addr.empty() ? std::string_view("-") : record.remote_addr;
  line += " - - ";
  line.append(when, length);
  line += " \"";
  if (!record.method.empty()) {
    AppendQuoted(record.method, &line);
    line += ' ';
    AppendQuoted(record.target, &line);
    line += ' ';
    AppendQuoted(record.version, &line);
  } else if (!record.line.empty()) {
    AppendQuoted(record.line, &line);
  } else {
    line += '-';
  }
  line += "\" ";
  line += std::to_string(record.status);
  line += ' ';
  line += record.bytes == 0 ? "-" : std::to_string(record.bytes);
  line += '\n';
  return line;
}

AccessLog::~AccessLog() {
  if (owned_) close(fd_);
}

bool AccessLog::Open(const std::string& path, std::string* error) {
  if (path == "-") {
    fd_ = STDOUT_FILENO;
    owned_ = false;
    path_ = "on standard output";
    return true;
  }
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = "cannot open the access log " + path + ": " + std::strerror(errno);
    return false;
  }
  if (owned_) close(fd_);
  fd_ = fd;
  owned_ = true;
  path_ = path;
  return true;
}

void AccessLog::Write(const AccessRecord& record) const {
  if (fd_ < 0) return;
  std::string line = CommonLogLine(record);
  std::lock_guard lock(mutex_);
  // The line before was cut short: this one ends it, so that it starts on
  // a line of its own.
  const size_t ending = cut_ ? 1 : 0;
  if (cut_) line.insert(line.begin(), '\n');
  size_t done = 0;
  int reason = 0;
  while (done < line.size()) {
    ssize_t n = write(fd_, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      reason = n < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (done == line.size()) {
    cut_ = false;
    return;
  }
  // A full disk loses log lines, never requests. When nothing of the line
  // went out, the file ends as it did before.
  if (done > 0) cut_ = done > ending;
  if (told_) return;
  told_ = true;
  const std::string text = std::string(program_invocation_short_name) + ": the access log " +
                           path_ + " is failing (" + std::strerror(reason) +
                           "): requests are still answered, their lines are lost\n";
  // Standard error is unbuffered: the text goes out in this one write.
  std::cerr << text << std::flush;
}

}  // namespace zorvadel::serve
