// Member group of the XHTML and WML page classes (XML, EnXML, WAP, EnWAP):
// files on the server's disk through the file-system component.
//
// Every path is a site path, relative to the running page's folder or rooted
// at the site, and reaches the disk only through Server.MapPath, which
// refuses anything outside the site root; a path that does not map ends the
// member with nothing done (FsoWriteFile), 0 (GetFileSize) or False
// (IsFileExist). No error reaches the script.
#ifndef ZORVADEL_FILES_MEMBERS_H_
#define ZORVADEL_FILES_MEMBERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"

namespace zorvadel {

class PageFilesMembers : public MemberGroup<PageFilesMembers, PageCore> {
 public:
  // Writes `content` as the whole of the text file `file_name` (code page
  // 936), replacing it; creates the one folder level named up to the last
  // "/" when it is missing. The file appears whole or not at all. By name:
  // FileName "Temp.htm", Content "".
  void FsoWriteFile(const std::u16string& file_name, const std::u16string& content);
  // The size in bytes; 0 for a missing file and for 2 GiB and more. By
  // name: FileName "".
  int32_t GetFileSize(const std::u16string& file_name);
  // True when a file (not a folder) of that path exists.
  bool IsFileExist(const std::u16string& file_path);

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);
};

}  // namespace zorvadel

#endif  // ZORVADEL_FILES_MEMBERS_H_
