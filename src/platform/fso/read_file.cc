// The file-system stand-in's reader, over POSIX descriptors: a device or a
// FIFO must be refused before a read can wait on it forever, and only
// open(2) with O_NONBLOCK and fstat(2) can tell what was opened without
// waiting for a writer.
#include "platform/fso/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/codepage/codepage.h"
#include "platform/fso/file_errors.h"
#include "zorvadel/variant.h"

namespace zorvadel::fso {
namespace {

[[noreturn]] void RaiseOpenError(int error) {
  RaiseFileError(error == ENOENT || error == ENOTDIR ? kErrFileNotFound : kErrPermissionDenied);
}

}  // namespace

struct InputFile::Impl {
  int fd = -1;
  ~Impl() {
    if (fd >= 0) ::close(fd);
  }
};

InputFile::InputFile(std::u16string_view path) : impl_(std::make_unique<Impl>()) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) RaiseFileError(kErrPathFileAccess);
  const std::string disk_path = codepage::ToUtf8(path);
  // Looked at before opening, as opening some devices does something of its
  // own; looked at again once open, in case the name changed hands between.
  struct stat info {};
  if (::stat(disk_path.c_str(), &info) != 0) RaiseOpenError(errno);
  if (!S_ISREG(info.st_mode)) RaiseFileError(kErrPathFileAccess);
  impl_->fd = ::open(disk_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (impl_->fd < 0) RaiseOpenError(errno);
  if (::fstat(impl_->fd, &info) != 0) RaiseFileError(kErrDeviceIo);
  if (!S_ISREG(info.st_mode)) RaiseFileError(kErrPathFileAccess);
}

InputFile::~InputFile() = default;

size_t InputFile::Read(uint8_t* out, size_t size) {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(impl_->fd, out + got, size - got);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseFileError(kErrDeviceIo);
    }
    got += static_cast<size_t>(n);
  }
  return got;
}

}  // namespace zorvadel::fso
