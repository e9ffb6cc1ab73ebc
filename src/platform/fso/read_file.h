// Reading a file on the server's disk from its start to its end, in blocks,
// for members that digest or scan whole files without holding them in memory.
#ifndef ZORVADEL_PLATFORM_FSO_READ_FILE_H_
#define ZORVADEL_PLATFORM_FSO_READ_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/fso/regular_file.h"

namespace zorvadel::fso {

// A file opened read-only for binary reading; closed when destroyed, so every
// path out of the caller closes it.
class InputFile {
 public:
  // Opens `path` (a disk path used unchanged, UTF-16). Raises ScriptError
  // before anything is read: 53 "File not found" when there is no such file,
  // 70 "Permission denied" when it cannot be opened, 75 "Path/File access
  // error" for anything but a regular file (a directory, a device, a FIFO)
  // or a path the system cannot name (empty, or holding a NUL character).
  explicit InputFile(std::u16string_view path);

  // Reads up to `size` bytes into `out`; returns how many were read, 0 at the
  // end of the file. A read failure raises 57 "Device I/O error".
  size_t Read(uint8_t* out, size_t size);

 private:
  RegularFile file_;
};

}  // namespace zorvadel::fso

#endif  // ZORVADEL_PLATFORM_FSO_READ_FILE_H_
