// The errors the file-system stand-in raises, with the descriptions scripts
// see, shared by its reader and its writer.
#ifndef ZORVADEL_PLATFORM_FSO_FILE_ERRORS_H_
#define ZORVADEL_PLATFORM_FSO_FILE_ERRORS_H_

#include <cstdint>

#include "zorvadel/variant.h"

namespace zorvadel::fso {

inline constexpr int32_t kErrFileNotFound = 53;
inline constexpr int32_t kErrBadFileMode = 54;
inline constexpr int32_t kErrDeviceIo = 57;
inline constexpr int32_t kErrFileExists = 58;
inline constexpr int32_t kErrPermissionDenied = 70;
inline constexpr int32_t kErrPathFileAccess = 75;
inline constexpr int32_t kErrPathNotFound = 76;

[[noreturn]] inline void RaiseFileError(int32_t number) {
  switch (number) {
    case kErrFileNotFound:
      throw ScriptError(number, u"File not found");
    case kErrBadFileMode:
      throw ScriptError(number, u"Bad file mode");
    case kErrDeviceIo:
      throw ScriptError(number, u"Device I/O error");
    case kErrFileExists:
      throw ScriptError(number, u"File already exists");
    case kErrPathNotFound:
      throw ScriptError(number, u"Path not found");
    case kErrPathFileAccess:
      throw ScriptError(number, u"Path/File access error");
    default:
      throw ScriptError(kErrPermissionDenied, u"Permission denied");
  }
}

}  // namespace zorvadel::fso

#endif  // ZORVADEL_PLATFORM_FSO_FILE_ERRORS_H_
