// The file-system stand-in's reader: std::filesystem for the checks that give
// the error numbers, std::ifstream for the bytes.
#include "platform/fso/read_file.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "platform/codepage/codepage.h"
#include "platform/fso/file_errors.h"
#include "zorvadel/variant.h"

namespace zorvadel::fso {

struct InputFile::Impl {
  std::ifstream stream;
};

InputFile::InputFile(std::u16string_view path) : impl_(std::make_unique<Impl>()) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) RaiseFileError(kErrPathFileAccess);
  const std::filesystem::path disk_path(codepage::ToUtf8(path));
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(disk_path, error);
  if (status.type() == std::filesystem::file_type::not_found) RaiseFileError(kErrFileNotFound);
  if (error) RaiseFileError(kErrPermissionDenied);
  if (status.type() == std::filesystem::file_type::directory) RaiseFileError(kErrPathFileAccess);
  impl_->stream.open(disk_path, std::ios::in | std::ios::binary);
  if (!impl_->stream.is_open()) RaiseFileError(kErrPermissionDenied);
}

InputFile::~InputFile() = default;

size_t InputFile::Read(uint8_t* out, size_t size) {
  std::ifstream& stream = impl_->stream;
  if (size == 0 || stream.eof()) return 0;
  stream.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size));
  const std::streamsize got = stream.gcount();
  if (stream.bad()) RaiseFileError(kErrDeviceIo);
  return static_cast<size_t>(got);
}

}  // namespace zorvadel::fso
