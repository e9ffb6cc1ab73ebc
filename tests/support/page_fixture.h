// A page object of one of the classes started on a page of the in-memory
// engine the way a page script gets it (Server.CreateObject through the
// page's context, so page start runs), for a chosen user agent and request,
// with its members called by name and the response body read back.
#ifndef ZORVADEL_TESTS_SUPPORT_PAGE_FIXTURE_H_
#define ZORVADEL_TESTS_SUPPORT_PAGE_FIXTURE_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/memory_page.h"

namespace zorvadel::test {

// A phone (no row of the terminal table), a simulator ("Opera" comes before
// "Mozilla") and a desktop browser.
inline constexpr const char* kPhoneAgent =
    "Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 "
    "Configuration/CLDC-1.0";
inline constexpr const char* kSimulatorAgent =
    "Opera/9.80 (J2ME/MIDP; Opera Mini/9.80 (S60; SymbOS; Opera Mobi/23.348; U; en) Presto/2.5.25";
inline constexpr const char* kDesktopAgent = "Mozilla/5.0 (Windows NT 10.0; Win64; x64)";

enum class Agent { kPhone, kSimulator, kWeb };

constexpr const char* AgentText(Agent agent) {
  return agent == Agent::kWeb ? kDesktopAgent : agent == Agent::kSimulator ? kSimulatorAgent
                                                                             : kPhoneAgent;
}

// The request and session a page starts with; set by chained calls, as in
// PageOptions().WithAgent(kDesktopAgent).WithUrl("/a.asp").
struct PageOptions {
  PageOptions& WithAgent(const char* value) { return user_agent = value, *this; }
  PageOptions& WithAccept(const char* value) { return accept = value, *this; }
  PageOptions& WithUrl(std::string value) { return url = std::move(value), *this; }
  PageOptions& WithHost(std::string value) { return host = std::move(value), *this; }
  PageOptions& WithForm(std::string value) { return form = std::move(value), *this; }
  PageOptions& WithCodePage(int value) { return code_page = value, *this; }

  const char* user_agent = kPhoneAgent;  // no User-Agent header when null
  const char* accept = nullptr;          // no Accept header when null
  std::string url = "/index.asp";
  std::string host = "localhost";
  std::string form;  // a non-empty form makes the request a POST
  // The session's code page before the object starts; 0 keeps the engine's
  // default (936), so that a switch to 65001 by the page shows.
  int code_page = 65001;
};

inline engine::RequestFacts FactsFor(const PageOptions& options) {
  engine::RequestFacts facts;
  facts.url = options.url;
  facts.host = options.host;
  if (!options.form.empty()) {
    facts.method = "POST";
    facts.form = options.form;
  }
  if (options.user_agent != nullptr) facts.headers.emplace_back("User-Agent", options.user_agent);
  if (options.accept != nullptr) facts.headers.emplace_back("Accept", options.accept);
  return facts;
}

// An object of class `class_name` ("WAP", "EnXML", ...) started on a page.
struct TestPage {
  explicit TestPage(std::u16string_view class_name, const PageOptions& options = {})
      : TestPage(class_name, FactsFor(options), options.code_page) {}
  // For a request the options cannot describe; `code_page` as in PageOptions,
  // `root` the site folder that Server.MapPath maps into.
  TestPage(std::u16string_view class_name, engine::RequestFacts facts, int code_page,
           const std::string& root = "/srv/site")
      : page(std::move(facts), root, std::make_shared<engine::MemorySession>(),
             std::make_shared<engine::MemoryApplication>()) {
    if (code_page != 0) page.session().SetCodePage(code_page);
    object = std::dynamic_pointer_cast<PageObject>(page.context().GetServer()->CreateObject(
        std::u16string(u"Zorvadel.") + std::u16string(class_name)));
  }
  ~TestPage() { page.EndPage(); }

  PageState& state() { return object->state(); }
  // The classes write only ASCII (references for the rest), so the body reads
  // the same in either code page.
  std::u16string Body() const { return codepage::FromUtf8(page.Body()); }
  Variant Call(std::u16string_view member, std::vector<Variant> args = {}) {
    return Invoke(*object, member, std::move(args));
  }
  std::string CallUtf8(std::u16string_view member, std::vector<Variant> args = {}) {
    return codepage::ToUtf8(Call(member, std::move(args)).string());
  }
  std::optional<std::string> Header(std::string_view name) const {
    for (const auto& [key, value] : page.Result().headers) {
      if (key == name) return value;
    }
    return std::nullopt;
  }

  engine::MemoryPage page;
  std::shared_ptr<PageObject> object;
};

}  // namespace zorvadel::test

#endif  // ZORVADEL_TESTS_SUPPORT_PAGE_FIXTURE_H_
