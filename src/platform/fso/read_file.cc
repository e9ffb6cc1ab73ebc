// The file-system stand-in's reader, over the regular-file test's
// descriptor, so that a device or a FIFO is refused before a read can wait
// on it forever.
#include "platform/fso/read_file.h"

#include "platform/fso/file_errors.h"
#include "zorvadel/variant.h"

namespace zorvadel::fso {

InputFile::InputFile(std::u16string_view path) : file_(path) {
  switch (file_.kind()) {
    case PathKind::kRegular: return;
    case PathKind::kMissing: RaiseFileError(kErrFileNotFound);
    case PathKind::kNoAccess: RaiseFileError(kErrPermissionDenied);
    case PathKind::kNotRegular:
    case PathKind::kNoName: RaiseFileError(kErrPathFileAccess);
  }
}

size_t InputFile::Read(uint8_t* out, size_t size) {
  const ptrdiff_t got = file_.Read(out, size);
  if (got < 0) RaiseFileError(kErrDeviceIo);
  return static_cast<size_t>(got);
}

}  // namespace zorvadel::fso
