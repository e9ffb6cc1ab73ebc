// Member group of Common and of the page classes: Chinese language data: pinyin, lunar dates and week-day names.
// Common takes in CommonLangDataMembers, the page classes PageLangDataMembers;
// each group's member table is merged into its classes' interfaces.
#ifndef ZORVADEL_LANGDATA_MEMBERS_H_
#define ZORVADEL_LANGDATA_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class Common;
class PageObject;
struct PageClassTraits;

class CommonLangDataMembers {
 public:

 protected:
  CommonLangDataMembers() = default;
  ~CommonLangDataMembers() = default;

 private:
  Common& self();
};

class PageLangDataMembers {
 public:

 protected:
  PageLangDataMembers() = default;
  ~PageLangDataMembers() = default;

 private:
  PageObject& self();
};

// The members these groups add to Common's interface and to a page class's.
std::vector<MemberInfo> CommonLangDataMemberTable();
std::vector<MemberInfo> PageLangDataMemberTable(const PageClassTraits& traits);

}  // namespace zorvadel

#endif  // ZORVADEL_LANGDATA_MEMBERS_H_
