// Member group of the XHTML and WML page classes (XML, EnXML, WAP, EnWAP):
// the visit counter, one row in the site's table VisitCount for each new
// visitor of a session.
#ifndef ZORVADEL_VISIT_MEMBERS_H_
#define ZORVADEL_VISIT_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"

namespace zorvadel {

class PageVisitMembers : public MemberGroup<PageVisitMembers, PageCore> {
 public:
  // A call is new when PhoneIP differs from the session value
  // "CurrentPhoneIp" (absent reads as ""); every call then stores PhoneIP
  // there and sets Session.Timeout to SessionTimeOut, or 30 when that is 0.
  // A new call whose terminal passes `which_displayer` ("all", "notie" for
  // every kind but "Web", or one kind: web, wap, phone; any case) adds the
  // row PhoneNumber, PhoneIP, PhoneUserAgent, PhoneAccept, VisitFile, with
  // the values bound apart from the statement. `which_database` "mdb" or
  // "sql" (any case) opens the Access or SQL Server connection first;
  // another text runs on whatever Conn holds. CloseData ends every call.
  // Writes nothing, reports nothing. By name: WhichDisplayer "All",
  // WhichDataBase "Mdb".
  void VisitCount(const std::u16string& which_displayer, const std::u16string& which_database);

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);
};

}  // namespace zorvadel

#endif  // ZORVADEL_VISIT_MEMBERS_H_
