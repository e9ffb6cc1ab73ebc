// The file-system component: text files, folders and file probes on the
// server's disk, created by ProgID ("Scripting.FileSystemObject") and used
// with disk paths that Server.MapPath has already confined to the site.
//
//   CreateTextFile(path, overwrite, unicode) -> TextStream
//   TextStream.Write(text), TextStream.Close
//   FolderExists(path) -> Boolean, CreateFolder(path)
//   GetFile(path) -> File, File.Size
//   FileExists(path) -> Boolean
//
// A text file is written whole or not at all: the stream gathers its text
// and Close writes it to a temporary file beside the target, then renames it
// over the target, so a reader never sees half a file and a failed write
// leaves the old file as it was. A stream dropped without Close is closed
// then. The file's bytes are code page 936; a character that code page lacks
// is written in its GB18030 form (which code page 936 readers pass over as
// unknown) instead of being lost as "?".
#ifndef ZORVADEL_PLATFORM_FSO_FILE_SYSTEM_H_
#define ZORVADEL_PLATFORM_FSO_FILE_SYSTEM_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "zorvadel/variant.h"

namespace zorvadel::fso {

// The bytes of `text` in a non-Unicode text file (see above).
std::string TextFileBytes(std::u16string_view text);

class TextStream : public Object {
 public:
  explicit TextStream(std::filesystem::path target) : target_(std::move(target)) {}
  ~TextStream() override;
  const ClassInfo& Class() const override;

  // Appends `text`; raises 54 "Bad file mode" after Close.
  void Write(const std::u16string& text);
  // Writes the file; a second Close does nothing. Raises 70 "Permission
  // denied" when the file cannot be written, the target staying as it was.
  void Close();

 private:
  std::filesystem::path target_;
  std::u16string text_;
  bool closed_ = false;
};

class File : public Object {
 public:
  explicit File(std::u16string path) : path_(std::move(path)) {}
  const ClassInfo& Class() const override;
  // The length in bytes now, as a Double; raises 53 when no regular file
  // of that path is there any more.
  double Size() const;

 private:
  std::u16string path_;
};

class FileSystemObject : public Object {
 public:
  const ClassInfo& Class() const override;

  // Raises 76 "Path not found" when the folder is missing, 58 "File already
  // exists" when `overwrite` is false and it exists, 70 when the path names
  // a folder. Unicode files are not offered: `unicode` true raises 5.
  ObjectPtr CreateTextFile(const std::u16string& path, bool overwrite, bool unicode);
  bool FolderExists(const std::u16string& path) const;
  // Raises 58 when something of that name exists, 76 when its parent folder
  // is missing, 70 when the folder cannot be made.
  void CreateFolder(const std::u16string& path);
  // Raises 53 "File not found" when no regular file of that path exists
  // (a folder, a device or a FIFO is none).
  ObjectPtr GetFile(const std::u16string& path) const;
  // True for a regular file only.
  bool FileExists(const std::u16string& path) const;
};

}  // namespace zorvadel::fso

#endif  // ZORVADEL_PLATFORM_FSO_FILE_SYSTEM_H_
