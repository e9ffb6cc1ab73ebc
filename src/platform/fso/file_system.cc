// The file-system component over std::filesystem, with the file bytes
// written through a temporary file and a rename.
#include "platform/fso/file_system.h"

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

#include "platform/codepage/codepage.h"
#include "platform/fso/file_errors.h"
#include "platform/fso/regular_file.h"
#include "zorvadel/member_table.h"

namespace zorvadel::fso {
namespace {

// A disk path as the system names it; a text that cannot name a file (empty,
// holding a NUL) gives an empty path, which every test answers "no" for.
std::filesystem::path DiskPath(std::u16string_view text) {
  if (text.empty() || text.find(u'\0') != std::u16string_view::npos) return {};
  return std::filesystem::path(codepage::ToUtf8(text));
}

std::filesystem::path NeedPath(std::u16string_view text) {
  std::filesystem::path path = DiskPath(text);
  if (path.empty()) RaiseFileError(kErrPathNotFound);
  return path;
}

// One character (a surrogate pair is one) in GB18030 through the C library.
// Every scalar value has a form there; a converter that is missing gives "?".
void AppendGb18030(std::u16string_view character, std::string& out) {
  std::string utf8 = codepage::ToUtf8(character);
  iconv_t cd = iconv_open("GB18030", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    out += '?';
    return;
  }
  char buffer[16];
  char* in = utf8.data();
  size_t in_left = utf8.size();
  char* to = buffer;
  size_t to_left = sizeof buffer;
  if (iconv(cd, &in, &in_left, &to, &to_left) == static_cast<size_t>(-1)) {
    out += '?';
  } else {
    out.append(buffer, sizeof buffer - to_left);
  }
  iconv_close(cd);
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::atomic<unsigned> temp_counter{0};

}  // namespace

std::string TextFileBytes(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  size_t run = 0;  // start of the pending run of code page 936 characters
  auto flush = [&](size_t end) {
    if (end > run) out += codepage::ToGbk(text.substr(run, end - run));
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (!IsHigh(c) && !IsLow(c) && codepage::HasGbk(c)) continue;
    flush(i);
    size_t length = 1;
    if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) length = 2;
    // A lone surrogate is no character: ToUtf8 makes it U+FFFD.
    AppendGb18030(text.substr(i, length), out);
    i += length - 1;
    run = i + 1;
  }
  flush(text.size());
  return out;
}

TextStream::~TextStream() {
  try {
    Close();
  } catch (const ScriptError&) {
    // A stream dropped on an error path has nobody to report to.
  }
}

void TextStream::Write(const std::u16string& text) {
  if (closed_) RaiseFileError(kErrBadFileMode);
  text_ += text;
}

void TextStream::Close() {
  if (closed_) return;
  closed_ = true;
  const std::string bytes = TextFileBytes(text_);
  text_.clear();
  std::filesystem::path temp = target_;
  temp += ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(temp_counter++);
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) RaiseFileError(kErrPermissionDenied);
  size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(n);
  }
  ok = close(fd) == 0 && ok;
  std::error_code ec;
  if (ok) std::filesystem::rename(temp, target_, ec);
  if (!ok || ec) {
    std::filesystem::remove(temp, ec);
    RaiseFileError(kErrPermissionDenied);
  }
}

const ClassInfo& TextStream::Class() const {
  using T = TextStream;
  static const ClassInfo info = ClassBuilder<T>(u"TextStream")
                                    .Method<&T::Write>(u"Write", {Req(u"Text")})
                                    .Method<&T::Close>(u"Close")
                                    .Build();
  return info;
}

double File::Size() const {
  const PathFacts facts = Probe(path_);
  if (facts.kind != PathKind::kRegular) RaiseFileError(kErrFileNotFound);
  return static_cast<double>(facts.size);
}

const ClassInfo& File::Class() const {
  static const ClassInfo info = ClassBuilder<File>(u"File").Getter<&File::Size>(u"Size").Build();
  return info;
}

ObjectPtr FileSystemObject::CreateTextFile(const std::u16string& path, bool overwrite,
                                           bool unicode) {
  if (unicode) throw ScriptError(kErrInvalidArgument);
  std::filesystem::path target = NeedPath(path);
  std::error_code ec;
  const auto parent = target.parent_path();
  if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) RaiseFileError(kErrPathNotFound);
  const auto status = std::filesystem::status(target, ec);
  if (std::filesystem::is_directory(status)) RaiseFileError(kErrPermissionDenied);
  if (std::filesystem::exists(status) && !overwrite) RaiseFileError(kErrFileExists);
  return std::make_shared<TextStream>(std::move(target));
}

bool FileSystemObject::FolderExists(const std::u16string& path) const {
  const std::filesystem::path folder = DiskPath(path);
  std::error_code ec;
  return !folder.empty() && std::filesystem::is_directory(folder, ec);
}

void FileSystemObject::CreateFolder(const std::u16string& path) {
  std::filesystem::path folder = NeedPath(path);
  // "a/b/" names the folder b: the empty last part is not a name.
  if (!folder.has_filename()) folder = folder.parent_path();
  std::error_code ec;
  if (std::filesystem::exists(folder, ec)) RaiseFileError(kErrFileExists);
  const auto parent = folder.parent_path();
  if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) RaiseFileError(kErrPathNotFound);
  if (!std::filesystem::create_directory(folder, ec) || ec) RaiseFileError(kErrPermissionDenied);
}

// A device, a FIFO or a folder is no file here: the size of one would be
// meaningless, and a caller that goes on to read it would wait forever.
ObjectPtr FileSystemObject::GetFile(const std::u16string& path) const {
  if (Probe(path).kind != PathKind::kRegular) RaiseFileError(kErrFileNotFound);
  return std::make_shared<File>(path);
}

bool FileSystemObject::FileExists(const std::u16string& path) const {
  return Probe(path).kind == PathKind::kRegular;
}

const ClassInfo& FileSystemObject::Class() const {
  using F = FileSystemObject;
  static const ClassInfo info =
      ClassBuilder<F>(u"FileSystemObject")
          .Method<&F::CreateTextFile>(u"CreateTextFile",
                                      {Req(u"FileName"), Opt(u"Overwrite", false),
                                       Opt(u"Unicode", false)})
          .Method<&F::FolderExists>(u"FolderExists", {Req(u"FolderSpec")})
          .Method<&F::CreateFolder>(u"CreateFolder", {Req(u"Path")})
          .Method<&F::GetFile>(u"GetFile", {Req(u"FilePath")})
          .Method<&F::FileExists>(u"FileExists", {Req(u"FileSpec")})
          .Build();
  return info;
}

}  // namespace zorvadel::fso
