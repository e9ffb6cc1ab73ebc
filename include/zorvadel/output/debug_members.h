// Member group: the settings summary of the WML classes.
// The page classes take in PageDebugMembers; by name, DebugInfo belongs to
// WAP and EnWAP only (a C++ call on another page class runs the same code,
// with Chinese labels unless the class is English).
#ifndef ZORVADEL_DEBUG_MEMBERS_H_
#define ZORVADEL_DEBUG_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageDebugMembers : public MemberGroup<PageDebugMembers, PageCore> {
 public:
  // The page object's settings and request facts as a markup fragment, one
  // "label value<br/>" line each, for the script to write: the common part,
  // then the sections that show_info (lower-cased, not trimmed) chooses:
  // "sql" general database and SQL Server, "mdb" general database and
  // Access, "mail", "file", "site", "phone" (terminal); "" or "all" every
  // section; anything else none. Values are unescaped and unfiltered;
  // integers in decimal, Booleans True/False, unset texts empty. The
  // password lines show a fixed text, and so does every "Pwd" or "Password"
  // value inside SqlStrConn. Reads the state afresh; never raises.
  // By name: ShowInfo "All".
  std::u16string DebugInfo(const std::u16string& show_info = u"All") const;

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);
};

}  // namespace zorvadel

#endif  // ZORVADEL_DEBUG_MEMBERS_H_
