// Member group of Common and of the page classes: Text and markup utilities: encoding and escaping, cut repair, joining,
// highlighting and style tags.
// Common takes in CommonTextMembers, the page classes PageTextMembers;
// each group's member table is merged into its classes' interfaces.
#ifndef ZORVADEL_TEXT_MEMBERS_H_
#define ZORVADEL_TEXT_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class Common;
class PageObject;
struct PageClassTraits;

class CommonTextMembers {
 public:

 protected:
  CommonTextMembers() = default;
  ~CommonTextMembers() = default;

 private:
  Common& self();
};

class PageTextMembers {
 public:

 protected:
  PageTextMembers() = default;
  ~PageTextMembers() = default;

 private:
  PageObject& self();
};

// The members these groups add to Common's interface and to a page class's.
std::vector<MemberInfo> CommonTextMemberTable();
std::vector<MemberInfo> PageTextMemberTable(const PageClassTraits& traits);

}  // namespace zorvadel

#endif  // ZORVADEL_TEXT_MEMBERS_H_
