// What the page classes' member groups work on: the page's state, the
// class's traits and the companion objects. A group's source includes this
// header, its own group header and the headers of the groups whose members
// it calls (through As), so that touching one group header rebuilds little.
#ifndef ZORVADEL_PAGE_CORE_H_
#define ZORVADEL_PAGE_CORE_H_

#include <string_view>
#include <type_traits>
#include <utility>

#include "zorvadel/page_state.h"
#include "zorvadel/variant.h"

namespace zorvadel {

// What tells the five page classes apart: data, not code.
struct PageClassTraits {
  std::u16string_view name;  // "WAP"
  Family family;
  PageLanguage language;
};

class PageCore {
 public:
  PageState& state() { return state_; }
  const PageState& state() const { return state_; }
  const PageClassTraits& traits() const { return traits_; }
  Family family() const { return traits_.family; }
  PageLanguage language() const { return traits_.language; }

  // The companions, created on first use by plain construction and kept
  // until this object is released (or the script replaces them).
  Common& UseCC();
  WAPXHTML& UseWX();
  WAPWML& UseWW();

  // How the page classes' text members reach Common: the call goes to CC
  // (created when missing) with the arguments unchanged; a failure gives an
  // empty result ("" for a text, Empty for a Variant).
  template <typename F>
  std::invoke_result_t<F, Common&> ForwardToCC(F&& call) {
    try {
      return std::forward<F>(call)(UseCC());
    } catch (const ScriptError&) {
      return {};
    }
  }

  // Another member group of this page object, e.g.
  // page.As<PageOutputMembers>().Ascii(text).
  template <typename Group>
  Group& As();

 protected:
  explicit PageCore(const PageClassTraits& traits) : traits_(traits) {}
  ~PageCore() = default;

 private:
  const PageClassTraits& traits_;
  PageState state_;
};

}  // namespace zorvadel

#endif  // ZORVADEL_PAGE_CORE_H_
