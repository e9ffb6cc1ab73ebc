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
#include "zorvadel/variant.h"

namespace zorvadel {

class Common;
class PageObject;
struct PageClassTraits;

class CommonStripMembers {
 public:
  std::u16string MoveJS(const std::u16string& to_do_string);
  // A text of blanks only gives "" without touching WH. Errors reach the
  // caller.
  std::u16string FilterHtml(const std::u16string& to_do_string);
  std::u16string DelHtml(const std::u16string& str_html);

 protected:
  CommonStripMembers() = default;
  ~CommonStripMembers() = default;

 private:
  Common& self();
};

class PageStripMembers {
 public:
  std::u16string MoveJS(const std::u16string& to_do_string);
  // Creates CC when missing; errors reach the caller.
  std::u16string FilterHtml(const std::u16string& to_do_string);
  std::u16string DelHtml(const std::u16string& str_html);

 protected:
  PageStripMembers() = default;
  ~PageStripMembers() = default;

 private:
  PageObject& self();
};

std::vector<MemberInfo> CommonStripMemberTable();
std::vector<MemberInfo> PageStripMemberTable(const PageClassTraits& traits);

}  // namespace zorvadel

#endif  // ZORVADEL_STRIP_MEMBERS_H_
