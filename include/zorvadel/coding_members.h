// Member group of Common and of the page classes: URL encoding in both dialects, number-base conversions and MD5 digests.
// Common takes in CommonCodingMembers, the page classes PageCodingMembers;
// each group's member table is merged into its classes' interfaces.
#ifndef ZORVADEL_CODING_MEMBERS_H_
#define ZORVADEL_CODING_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class Common;
class PageObject;
struct PageClassTraits;

class CommonCodingMembers {
 public:

 protected:
  CommonCodingMembers() = default;
  ~CommonCodingMembers() = default;

 private:
  Common& self();
};

class PageCodingMembers {
 public:

 protected:
  PageCodingMembers() = default;
  ~PageCodingMembers() = default;

 private:
  PageObject& self();
};

// The members these groups add to Common's interface and to a page class's.
std::vector<MemberInfo> CommonCodingMemberTable();
std::vector<MemberInfo> PageCodingMemberTable(const PageClassTraits& traits);

}  // namespace zorvadel

#endif  // ZORVADEL_CODING_MEMBERS_H_
