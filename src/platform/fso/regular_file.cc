// The regular-file test over POSIX calls: only open(2) with O_NONBLOCK and
// fstat(2) can tell what was opened without waiting for a FIFO's writer.
#include "platform/fso/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/codepage/codepage.h"

namespace zorvadel::fso {
namespace {

bool Nameable(std::u16string_view path) {
  return !path.empty() && path.find(u'\0') == std::u16string_view::npos;
}

PathKind KindOfError(int error) {
  return error == ENOENT || error == ENOTDIR ? PathKind::kMissing : PathKind::kNoAccess;
}

PathFacts FactsOf(const struct stat& info) {
  if (!S_ISREG(info.st_mode)) return {PathKind::kNotRegular, 0};
  return {PathKind::kRegular, static_cast<uint64_t>(info.st_size)};
}

}  // namespace

PathFacts Probe(std::u16string_view path) {
  if (!Nameable(path)) return {PathKind::kNoName, 0};
  struct stat info {};
  if (::stat(codepage::ToUtf8(path).c_str(), &info) != 0) return {KindOfError(errno), 0};
  return FactsOf(info);
}

RegularFile::RegularFile(std::u16string_view path) {
  // Looked at before opening too, because opening some devices does
  // something of its own (a tape rewinds, a modem line hangs up).
  errno = 0;
  facts_ = Probe(path);
  if (facts_.kind != PathKind::kRegular) {
    if (facts_.kind == PathKind::kMissing || facts_.kind == PathKind::kNoAccess) error_ = errno;
    return;
  }
  const std::string disk_path = codepage::ToUtf8(path);
  fd_ = ::open(disk_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) {
    error_ = errno;
    facts_ = {KindOfError(errno), 0};
    return;
  }
  struct stat info {};
  facts_ = ::fstat(fd_, &info) == 0 ? FactsOf(info) : PathFacts{PathKind::kNoAccess, 0};
  // A regular file ignores O_NONBLOCK; cleared all the same, so that a
  // reader handed the descriptor gets the reads it expects.
  if (facts_.kind == PathKind::kRegular) {
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
      facts_ = {PathKind::kNoAccess, 0};
    }
  }
  if (facts_.kind != PathKind::kRegular) {
    ::close(fd_);
    fd_ = -1;
  }
}

ptrdiff_t RegularFile::Read(void* out, size_t size) const {
  auto* bytes = static_cast<char*>(out);
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd_, bytes + got, size - got);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    got += static_cast<size_t>(n);
  }
  return static_cast<ptrdiff_t>(got);
}

RegularFile::~RegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace zorvadel::fso
