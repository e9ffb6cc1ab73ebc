// The file members. Each step of a member runs with its errors suppressed,
// but a path that Server.MapPath refuses ends the member: going on would
// mean a path that nobody mapped, the empty one, which the system would read
// as its working folder.
#include "zorvadel/services/files_members.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "platform/fso/file_system.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

constexpr std::u16string_view kFileSystemProgId = u"Scripting.FileSystemObject";

template <typename T>
std::shared_ptr<T> As(ObjectPtr object) {
  auto typed = std::dynamic_pointer_cast<T>(std::move(object));
  if (!typed) throw ScriptError(kErrTypeMismatch);
  return typed;
}

std::optional<std::u16string> Mapped(PageState& state, const std::u16string& path) {
  std::optional<std::u16string> disk;
  Step([&] { disk = Need(state.Server).MapPath(path); });
  return disk;
}

}  // namespace

void PageFilesMembers::FsoWriteFile(const std::u16string& file_name,
                                    const std::u16string& content) {
  PageState& state = self().state();
  std::shared_ptr<fso::FileSystemObject> fso;
  if (!Step([&] { fso = As<fso::FileSystemObject>(Need(state.Server).CreateObject(kFileSystemProgId)); })) {
    return;
  }
  const size_t slash = file_name.rfind(u'/');
  if (slash != std::u16string::npos) {
    const auto folder = Mapped(state, file_name.substr(0, slash + 1));
    if (!folder) return;
    Step([&] {
      if (!fso->FolderExists(*folder)) fso->CreateFolder(*folder);
    });
  }
  const auto path = Mapped(state, file_name);
  if (!path) return;
  std::shared_ptr<fso::TextStream> stream;
  if (!Step([&] { stream = As<fso::TextStream>(fso->CreateTextFile(*path, true, false)); })) {
    return;
  }
  Step([&] { stream->Write(content); });
  Step([&] { stream->Close(); });
}

int32_t PageFilesMembers::GetFileSize(const std::u16string& file_name) {
  PageState& state = self().state();
  int32_t size = 0;
  Step([&] {
    auto fso = As<fso::FileSystemObject>(CreateByProgId(kFileSystemProgId));
    const std::u16string path = Need(state.Server).MapPath(file_name);
    const double bytes = As<fso::File>(fso->GetFile(path))->Size();
    // 2 GiB and more does not fit the result: the conversion overflows.
    if (bytes > std::numeric_limits<int32_t>::max()) throw ScriptError(kErrOverflow);
    size = static_cast<int32_t>(bytes);
  });
  return size;
}

bool PageFilesMembers::IsFileExist(const std::u16string& file_path) {
  PageState& state = self().state();
  bool exists = false;
  Step([&] {
    auto fso = As<fso::FileSystemObject>(CreateByProgId(kFileSystemProgId));
    exists = fso->FileExists(Need(state.Server).MapPath(file_path));
  });
  return exists;
}

std::vector<MemberInfo> PageFilesMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family == Family::kP) return {};
  using F = PageFilesMembers;
  return ClassBuilder<F>(u"")
      .Method<&F::FsoWriteFile>(u"FsoWriteFile", {Opt(u"FileName", u"Temp.htm"), Opt(u"Content", u"")})
      .Method<&F::GetFileSize>(u"GetFileSize", {Opt(u"FileName", u"")})
      .Method<&F::IsFileExist>(u"IsFileExist", {Req(u"FilePath")})
      .BuildMembers();
}

}  // namespace zorvadel
