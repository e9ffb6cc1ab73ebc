// Set-up shared by the form and table tests: a WML page object started over
// the in-memory engine for a phone or for a desktop browser, with the
// response read back as text.
#ifndef ZORVADEL_TESTS_MARKUP_FORM_TEST_UTIL_H_
#define ZORVADEL_TESTS_MARKUP_FORM_TEST_UTIL_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/page_fixture.h"
#include "zorvadel/runtime.h"

namespace zorvadel::form_test {

using test::kDesktopAgent;
using test::kPhoneAgent;

// An object of class `class_name` ("WAP", "EnWAP", ...) started on a page
// whose members give back their text.
struct FormPage : test::TestPage {
  FormPage(const char16_t* class_name, const char* agent)
      : TestPage(class_name, test::PageOptions()
                                 .WithAgent(agent)
                                 .WithAccept("text/vnd.wap.wml")
                                 .WithUrl("/shop/order.asp")) {}

  std::u16string Call(std::u16string_view member, std::vector<Variant> args = {}) {
    return TestPage::Call(member, std::move(args)).string();
  }
};

inline std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace zorvadel::form_test

#endif  // ZORVADEL_TESTS_MARKUP_FORM_TEST_UTIL_H_
