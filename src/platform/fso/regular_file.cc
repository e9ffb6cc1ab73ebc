// The regular-file test over POSIX calls: only open(2) with O_NONBLOCK and
// fstat(2) can tell what was opened without waiting for a FIFO's writer.
#include "platform/fso/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/codepage/codepage.h"
#include "platform/fso/sqlite_neighbours.h"

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

int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

PathFacts Probe(std::u16string_view path) {
  if (!Nameable(path)) return {PathKind::kNoName, 0};
  struct stat info {};
  if (::stat(codepage::ToUtf8(path).c_str(), &info) != 0) return {KindOfError(errno), 0};
  return FactsOf(info);
}

RegularFile::RegularFile(std::u16string_view path) {
  if (!Nameable(path)) {
    facts_ = {PathKind::kNoName, 0};
    return;
  }
  Open(codepage::ToUtf8(path), Use::kAny);
}

RegularFile::RegularFile(const std::string& disk_path, Use use) {
  if (disk_path.empty() || disk_path.find('\0') != std::string::npos) {
    facts_ = {PathKind::kNoName, 0};
    return;
  }
  Open(disk_path, use);
}

void RegularFile::Open(const std::string& disk_path, Use use) {
  struct stat info {};
  // Looked at before opening too, because opening some devices does
  // something of its own (a tape rewinds, a modem line hangs up). A file
  // to be sent was seen to be regular under its name moments ago, and is
  // looked at first only when a descriptor kept beside SQLite may be that
  // very file, so that such descriptors do not pile up.
  if (use == Use::kAny || AnyKeptDescriptor()) {
    if (::stat(disk_path.c_str(), &info) != 0) {
      error_ = errno;
      facts_ = {KindOfError(errno), 0};
      return;
    }
    facts_ = FactsOf(info);
    if (facts_.kind != PathKind::kRegular) return;
    // A descriptor kept open beside SQLite is that very file, and reading
    // it again costs no descriptor more.
    fd_ = TakeKeptDescriptor(info.st_dev, info.st_ino);
    if (fd_ >= 0 && ::lseek(fd_, 0, SEEK_SET) != 0) {
      CloseBesideSqlite(fd_);
      fd_ = -1;
    }
  }
  if (fd_ < 0) fd_ = ::open(disk_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) {
    error_ = errno;
    facts_ = {KindOfError(errno), 0};
    return;
  }
  facts_ = ::fstat(fd_, &info) == 0 ? FactsOf(info) : PathFacts{PathKind::kNoAccess, 0};
  device_ = info.st_dev;
  inode_ = info.st_ino;
  modified_ = Nanoseconds(info.st_mtim);
  changed_ = Nanoseconds(info.st_ctim);
  // A regular file ignores O_NONBLOCK; cleared all the same, so that a
  // reader handed the descriptor gets the reads it expects. It was opened
  // with no other flag that F_SETFL sets, so all of them go.
  if (facts_.kind == PathKind::kRegular && use == Use::kAny && ::fcntl(fd_, F_SETFL, 0) != 0) {
    facts_ = {PathKind::kNoAccess, 0};
  }
  if (facts_.kind != PathKind::kRegular) {
    CloseBesideSqlite(fd_);
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

ptrdiff_t RegularFile::ReadAt(void* out, size_t size, uint64_t offset) const {
  ssize_t got;
  do {
    got = ::pread(fd_, out, size, static_cast<off_t>(offset));
  } while (got < 0 && errno == EINTR);
  return got;
}

RegularFile::~RegularFile() { CloseBesideSqlite(fd_); }

}  // namespace zorvadel::fso
