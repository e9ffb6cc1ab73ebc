// Set-up shared by the request-group tests: a started page object over the
// in-memory engine, and a response that counts its ends.
#ifndef ZORVADEL_TESTS_FRAME_REQUEST_TEST_UTIL_H_
#define ZORVADEL_TESTS_FRAME_REQUEST_TEST_UTIL_H_

#include <memory>
#include <string>
#include <utility>

#include "support/page_fixture.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/memory_page.h"

namespace zorvadel {

struct RequestClassCase {
  const char16_t* name;
  Family family;
};

inline constexpr RequestClassCase kRequestClasses[] = {
    {u"XML", Family::kX},   {u"EnXML", Family::kX},  {u"WAP", Family::kW},
    {u"EnWAP", Family::kW}, {u"PHPXML", Family::kP},
};

inline std::shared_ptr<PageObject> NewPageObject(const char16_t* name) {
  return std::dynamic_pointer_cast<PageObject>(CreateByProgId(std::u16string(u"Zorvadel.") + name));
}

inline std::string ClassName(const char16_t* name) {
  std::string out;
  for (const char16_t* p = name; *p != 0; ++p) out.push_back(static_cast<char>(*p));
  return out;
}

// A page for `facts` with an object of class `name` started on it.
struct StartedPage : test::TestPage {
  StartedPage(const char16_t* name, engine::RequestFacts facts)
      : TestPage(name, std::move(facts), 0) {}
};

// A response that counts how often End was called.
class CountingResponse : public engine::MemoryResponse {
 public:
  CountingResponse() : engine::MemoryResponse(std::make_shared<engine::MemorySession>()) {}
  void End() override {
    ++ends;
    engine::MemoryResponse::End();
  }
  int ends = 0;
};

}  // namespace zorvadel

#endif  // ZORVADEL_TESTS_FRAME_REQUEST_TEST_UTIL_H_
