// Common, the class of text, encoding and language members that work on
// their arguments.
#ifndef ZORVADEL_COMMON_H_
#define ZORVADEL_COMMON_H_

#include <memory>

#include "zorvadel/companions.h"
#include "zorvadel/engine.h"
#include "zorvadel/langdata/langdata_members.h"
#include "zorvadel/text/charset_members.h"
#include "zorvadel/text/coding_members.h"
#include "zorvadel/text/strip_members.h"
#include "zorvadel/text/text_members.h"

namespace zorvadel {

namespace ado {
class Command;
}  // namespace ado

// Common's properties: its companion and the context objects its own page
// hooks set (no member of Common reads them).
struct CommonState {
  std::shared_ptr<WAPXHTML> WH;
  std::shared_ptr<zorvadel::Response> Response;
  std::shared_ptr<zorvadel::Request> Request;
  std::shared_ptr<zorvadel::Application> Application;
  std::shared_ptr<zorvadel::Server> Server;
  std::shared_ptr<zorvadel::Session> Session;
  std::shared_ptr<ado::Command> Command;
};

class Common final : public Object,
                     public CommonTextMembers,
                     public CommonCharsetMembers,
                     public CommonLangDataMembers,
                     public CommonCodingMembers,
                     public CommonMd5Members,
                     public CommonStripMembers {
 public:
  const ClassInfo& Class() const override;

  // Without error suppression: the first failing step ends the hook and its
  // error reaches the page engine.
  bool HasPageHooks() const override { return true; }
  void OnStartPage(const std::shared_ptr<Context>& context) override;
  void OnEndPage() override;

  CommonState& state() { return state_; }
  const CommonState& state() const { return state_; }
  WAPXHTML& UseWH();

 private:
  CommonState state_;
};

}  // namespace zorvadel

#endif  // ZORVADEL_COMMON_H_
