// Member group of Common and of the page classes: Character references, code pages and character forms: numeric
// references, GB2312 and UTF-8 forms, simplified/traditional and
// full-width/half-width conversion, zone/position codes.
// Common takes in CommonCharsetMembers, the page classes PageCharsetMembers;
// each group's member table is merged into its classes' interfaces.
#ifndef ZORVADEL_CHARSET_MEMBERS_H_
#define ZORVADEL_CHARSET_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class Common;
class PageObject;
struct PageClassTraits;

class CommonCharsetMembers {
 public:

 protected:
  CommonCharsetMembers() = default;
  ~CommonCharsetMembers() = default;

 private:
  Common& self();
};

class PageCharsetMembers {
 public:

 protected:
  PageCharsetMembers() = default;
  ~PageCharsetMembers() = default;

 private:
  PageObject& self();
};

// The members these groups add to Common's interface and to a page class's.
std::vector<MemberInfo> CommonCharsetMemberTable();
std::vector<MemberInfo> PageCharsetMemberTable(const PageClassTraits& traits);

}  // namespace zorvadel

#endif  // ZORVADEL_CHARSET_MEMBERS_H_
