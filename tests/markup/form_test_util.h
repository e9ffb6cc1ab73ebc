// Set-up shared by the form and table tests: a WML page object started over
// the in-memory engine for a phone or for a desktop browser, with the
// response read back as UTF-8.
#ifndef ZORVADEL_TESTS_MARKUP_FORM_TEST_UTIL_H_
#define ZORVADEL_TESTS_MARKUP_FORM_TEST_UTIL_H_

#include <memory>
#include <string>
#include <utility>

#include "platform/codepage/codepage.h"
#include "platform/engine/memory_engine.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/runtime.h"

namespace zorvadel::form_test {

inline constexpr const char* kPhoneAgent = "Nokia6600/1.0 (4.09.1) SymbianOS/7.0s";
inline constexpr const char* kDesktopAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

inline engine::RequestFacts FactsFor(const char* agent, std::string url = "/shop/order.asp") {
  engine::RequestFacts facts;
  facts.url = std::move(url);
  facts.headers = {{"User-Agent", agent}, {"Accept", "text/vnd.wap.wml"}};
  return facts;
}

// An object of class `class_name` ("WAP", "EnWAP", ...) started on a page.
struct FormPage {
  FormPage(const char16_t* class_name, const char* agent)
      : page(FactsFor(agent), "/srv/site", std::make_shared<engine::MemorySession>(),
             std::make_shared<engine::MemoryApplication>()) {
    page.session().SetCodePage(65001);
    object = std::dynamic_pointer_cast<PageObject>(
        page.context().GetServer()->CreateObject(std::u16string(u"Zorvadel.") + class_name));
  }
  ~FormPage() { page.EndPage(); }

  std::u16string Body() const { return codepage::FromUtf8(page.Body()); }
  std::u16string Call(std::u16string_view member, std::vector<Variant> args = {}) {
    return Invoke(*object, member, std::move(args)).string();
  }

  engine::MemoryPage page;
  std::shared_ptr<PageObject> object;
};

inline std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace zorvadel::form_test

#endif  // ZORVADEL_TESTS_MARKUP_FORM_TEST_UTIL_H_
