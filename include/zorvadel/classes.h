// The library's eight classes, creatable as Zorvadel.<Class> through
// Server.CreateObject and usable directly from C++.
//
//   XML, EnXML      XHTML pages (Chinese, English)
//   WAP, EnWAP      WML decks, HTML for desktop browsers (Chinese, English)
//   PHPXML          XHTML for a PHP host; its output members return strings
//   Common          text, encoding and language members on their arguments
//   WAPXHTML        XHTML fragments (companion of the XHTML classes)
//   WAPWML          WML converted from UBB codes (companion of the WML classes)
//
// A page object serves one page: the engine calls OnStartPage with the page's
// context before the script's first call and OnEndPage when the page ends.
// Its whole state is its PageState.
#ifndef ZORVADEL_CLASSES_H_
#define ZORVADEL_CLASSES_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "zorvadel/charset_members.h"
#include "zorvadel/coding_members.h"
#include "zorvadel/debug_members.h"
#include "zorvadel/engine.h"
#include "zorvadel/form_members.h"
#include "zorvadel/frame_members.h"
#include "zorvadel/fragment_members.h"
#include "zorvadel/langdata_members.h"
#include "zorvadel/link_members.h"
#include "zorvadel/output_members.h"
#include "zorvadel/page_state.h"
#include "zorvadel/ready_members.h"
#include "zorvadel/request_members.h"
#include "zorvadel/strip_members.h"
#include "zorvadel/text_members.h"
#include "zorvadel/variant.h"

namespace zorvadel {

// What tells the five page classes apart: data, not code.
struct PageClassTraits {
  std::u16string_view name;  // "WAP"
  Family family;
  PageLanguage language;
};

// The library's title and version, as Version and About report them.
inline constexpr std::u16string_view kLibraryTitle = u"Zorvadel";
inline constexpr int kVersionMajor = 2;
inline constexpr int kVersionMinor = 8;
inline constexpr int kVersionRevision = 3;

class PageObject : public Object,
                   public PageTextMembers,
                   public PageCharsetMembers,
                   public PageLangDataMembers,
                   public PageCodingMembers,
                   public PageOutputMembers,
                   public PageRequestMembers,
                   public PageFragmentMembers,
                   public PageStripMembers,
                   public PageLinkMembers,
                   public PageFormMembers,
                   public PageFrameMembers,
                   public PageDebugMembers,
                   public PageReadyMembers {
 public:
  PageState& state() { return state_; }
  const PageState& state() const { return state_; }
  const PageClassTraits& traits() const { return traits_; }
  Family family() const { return traits_.family; }
  PageLanguage language() const { return traits_.language; }

  bool HasPageHooks() const override { return true; }
  void OnStartPage(const std::shared_ptr<Context>& context) override;
  void OnEndPage() override;

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

 protected:
  explicit PageObject(const PageClassTraits& traits) : traits_(traits) {}

 private:
  const PageClassTraits& traits_;
  PageState state_;
};

class XML : public PageObject {
 public:
  XML();
  const ClassInfo& Class() const override;

 protected:
  explicit XML(const PageClassTraits& traits) : PageObject(traits) {}
};

class EnXML final : public XML {
 public:
  EnXML();
  const ClassInfo& Class() const override;
};

class WAP : public PageObject {
 public:
  WAP();
  const ClassInfo& Class() const override;

 protected:
  explicit WAP(const PageClassTraits& traits) : PageObject(traits) {}
};

class EnWAP final : public WAP {
 public:
  EnWAP();
  const ClassInfo& Class() const override;
};

class PHPXML final : public PageObject {
 public:
  PHPXML();
  const ClassInfo& Class() const override;
};

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

#endif  // ZORVADEL_CLASSES_H_
