// The file-system stand-in's reader, over the regular-file test's
// descriptor, so that a device or a FIFO is refused before a read can wait
// on it forever.
#include "platform/fso/read_file.h"

#include <unistd.h>

#include <cerrno>

#include "platform/fso/file_errors.h"
#include "platform/fso/regular_file.h"
#include "zorvadel/variant.h"

namespace zorvadel::fso {

struct InputFile::Impl {
  explicit Impl(std::u16string_view path) : file(path) {}
  RegularFile file;
};

InputFile::InputFile(std::u16string_view path) : impl_(std::make_unique<Impl>(path)) {
  switch (impl_->file.kind()) {
    case PathKind::kRegular: return;
    case PathKind::kMissing: RaiseFileError(kErrFileNotFound);
    case PathKind::kNoAccess: RaiseFileError(kErrPermissionDenied);
    case PathKind::kNotRegular:
    case PathKind::kNoName: RaiseFileError(kErrPathFileAccess);
  }
}

InputFile::~InputFile() = default;

size_t InputFile::Read(uint8_t* out, size_t size) {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(impl_->file.descriptor(), out + got, size - got);
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
