// The companions: WAPXHTML (XHTML fragments, the companion of Common and
// of the XHTML classes) and WAPWML (WML converted from UBB codes, the
// companion of the WML classes).
#ifndef ZORVADEL_COMPANIONS_H_
#define ZORVADEL_COMPANIONS_H_

#include <memory>

#include "zorvadel/engine.h"
#include "zorvadel/markup/fragment_members.h"

namespace zorvadel {

class Common;

class WAPXHTML final : public Object, public WapXhtmlFragmentMembers {
 public:
  const ClassInfo& Class() const override;

  std::shared_ptr<zorvadel::Common>& CC() { return cc_; }
  Common& UseCC();

 private:
  std::shared_ptr<zorvadel::Common> cc_;
};

class WAPWML final : public Object, public WapWmlFragmentMembers {
 public:
  const ClassInfo& Class() const override;
};

}  // namespace zorvadel

#endif  // ZORVADEL_COMPANIONS_H_
