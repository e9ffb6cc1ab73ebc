// Set-up shared by the output-group tests: page objects bare or started (so
// the filter settings hold their page-start defaults), and a response that
// counts its ends.
#ifndef ZORVADEL_TESTS_OUTPUT_OUTPUT_TEST_UTIL_H_
#define ZORVADEL_TESTS_OUTPUT_OUTPUT_TEST_UTIL_H_

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/codepage/codepage.h"
#include "zorvadel/memory_page.h"
#include "support/page_fixture.h"
#include "support/recording_response.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"

namespace zorvadel {

inline constexpr const char16_t* kWritingClasses[] = {u"XML", u"EnXML", u"WAP", u"EnWAP"};
inline constexpr const char16_t* kAllClasses[] = {u"XML", u"EnXML", u"WAP", u"EnWAP", u"PHPXML"};

struct RequestClassCase {
  const char16_t* name;
  Family family;
};

inline constexpr RequestClassCase kRequestClasses[] = {
    {u"XML", Family::kX},   {u"EnXML", Family::kX},  {u"WAP", Family::kW},
    {u"EnWAP", Family::kW}, {u"PHPXML", Family::kP},
};

// An object no page started.
inline std::shared_ptr<PageObject> NewPageObject(std::u16string_view name) {
  return std::dynamic_pointer_cast<PageObject>(
      CreateByProgId(u"Zorvadel." + std::u16string(name)));
}

inline std::string U8(std::u16string_view text) { return codepage::ToUtf8(text); }

// A page for `facts` with an object of class `name` started on it.
struct StartedPage : test::TestPage {
  StartedPage(const char16_t* name, engine::RequestFacts facts)
      : TestPage(name, std::move(facts), 0) {}
};

// An object of class `name` started on a page, its Response then replaced by
// a RecordingResponse.
struct OutputPage : test::TestPage {
  explicit OutputPage(std::u16string_view name, const char* user_agent = "Nokia6600/1.0")
      : TestPage(name, test::PageOptions().WithAgent(user_agent).WithCodePage(0)),
        response(std::make_shared<RecordingResponse>()) {
    object->state().Response = response;
  }

  std::shared_ptr<RecordingResponse> response;
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

#endif  // ZORVADEL_TESTS_OUTPUT_OUTPUT_TEST_UTIL_H_
