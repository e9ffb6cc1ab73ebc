// The base of every member group. A group is one subsystem's members, taken
// in by its classes as an extra base, with a member table that is merged
// into theirs (see "Member groups" in the README):
//
//   class PageLinkMembers : public MemberGroup<PageLinkMembers, PageCore>
//
// `Core` is what the group's members work on: PageCore for the page classes,
// Common, WAPXHTML or WAPWML for those. The group reaches it with self(),
// and a by-name call reaches the group inside an object with Of(); both are
// defined once, in the class set, where the classes are complete.
//
// A group that Common and the page classes share is a class template over
// its core, so that each member is declared, defined and described in its
// table once for both (see Shared and TableHost below).
#ifndef ZORVADEL_MEMBER_GROUP_H_
#define ZORVADEL_MEMBER_GROUP_H_

#include <type_traits>
#include <utility>

#include "zorvadel/page_state.h"

namespace zorvadel {

class Object;
class Common;
class PageCore;
struct PageClassTraits;

template <typename Group, typename Core>
class MemberGroup {
 public:
  using CoreType = Core;
  static constexpr bool kOnPage = std::is_same_v<Core, PageCore>;

  // The group inside an object of one of its classes.
  static Group& Of(Object& object);

 protected:
  MemberGroup() = default;
  ~MemberGroup() = default;

  Core& self();
  const Core& self() const;

  // The one forwarding rule of the shared groups: `work` is given the Common
  // that does the work. On Common that is the object itself, and errors
  // reach the caller; on a page class it is the page's CC (created when
  // missing), and an error gives an empty result.
  template <typename F>
  std::invoke_result_t<F, Common&> Shared(F&& work) {
    if constexpr (kOnPage) {
      return self().ForwardToCC(std::forward<F>(work));
    } else {
      return std::forward<F>(work)(self());
    }
  }
};

// Which classes a shared group's table is built for: Common, or one page
// class (by its traits).
class TableHost {
 public:
  static TableHost ForCommon() { return TableHost(nullptr); }
  static TableHost ForPage(const PageClassTraits& traits) { return TableHost(&traits); }

  // The sets a member row names.
  enum Classes : unsigned {
    kCommon = 1,
    kX = 2,  // XML, EnXML
    kW = 4,  // WAP, EnWAP
    kP = 8,  // PHPXML
    kXW = kX | kW,
    kPages = kX | kW | kP,
  };
  bool In(unsigned classes) const;
  const PageClassTraits* page() const { return page_; }

 private:
  explicit TableHost(const PageClassTraits* page) : page_(page) {}
  const PageClassTraits* page_;
};

}  // namespace zorvadel

// Names the two sides of a shared group, e.g. CommonCharsetMembers and
// PageCharsetMembers for CharsetMembers; the group's source instantiates
// both, so no other file compiles the members again.
#define ZORVADEL_SHARED_GROUP(Template, Name)     \
  using Common##Name##Members = Template<Common>; \
  using Page##Name##Members = Template<PageCore>; \
  extern template class Template<Common>;         \
  extern template class Template<PageCore>

#endif  // ZORVADEL_MEMBER_GROUP_H_
