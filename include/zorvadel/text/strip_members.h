// Member group of Common and of the page classes: tag stripping, so that
// text written for desktop pages (or typed by users) can be shown on a
// phone.
//
//   MoveJS      script elements with their content, then every tag
//   FilterHtml  every tag on one line, then UBB codes as XHTML markup
//   DelHtml     break tags as line ends, opening and closing tags that
//               begin with a letter, "<" and ">" that are left as "&lt;"
//               and "&gt;", then UBB codes as XHTML markup
//
// Common converts UBB codes through its own WAPXHTML companion WH, created
// at the first FilterHtml or DelHtml that needs it. MoveJS and DelHtml
// suppress errors step by step; FilterHtml suppresses none, in Common and
// in the page classes alike. Every page class has all three and hands them
// to its CC.
#ifndef ZORVADEL_STRIP_MEMBERS_H_
#define ZORVADEL_STRIP_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

template <typename Core>
class StripMembers : public MemberGroup<StripMembers<Core>, Core> {
 public:
  std::u16string MoveJS(const std::u16string& to_do_string);
  // A text of blanks only gives "" without touching WH (a page still
  // creates its CC). Errors reach the caller.
  std::u16string FilterHtml(const std::u16string& to_do_string);
  std::u16string DelHtml(const std::u16string& str_html);

  static std::vector<MemberInfo> MemberTable(const TableHost& host);
};

ZORVADEL_SHARED_GROUP(StripMembers, Strip);

}  // namespace zorvadel

#endif  // ZORVADEL_STRIP_MEMBERS_H_
