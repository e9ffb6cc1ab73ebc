// Set-up shared by the output-group tests: page objects started over the
// in-memory engine (so the filter settings hold their page-start defaults),
// and a response that records each Write and can refuse its calls.
#ifndef ZORVADEL_TESTS_FRAME_OUTPUT_TEST_UTIL_H_
#define ZORVADEL_TESTS_FRAME_OUTPUT_TEST_UTIL_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "support/page_fixture.h"
#include "support/recording_response.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"

namespace zorvadel::output_test {

inline constexpr const char16_t* kWritingClasses[] = {u"XML", u"EnXML", u"WAP", u"EnWAP"};
inline constexpr const char16_t* kAllClasses[] = {u"XML", u"EnXML", u"WAP", u"EnWAP", u"PHPXML"};

inline std::shared_ptr<PageObject> Create(std::u16string_view name) {
  return std::dynamic_pointer_cast<PageObject>(
      CreateByProgId(std::u16string(u"Zorvadel.") + std::u16string(name)));
}

inline std::string U8(std::u16string_view text) { return codepage::ToUtf8(text); }

// An object of class `name` started on a page of the in-memory engine, its
// Response then replaced by a RecordingResponse.
struct OutputPage : test::TestPage {
  explicit OutputPage(std::u16string_view name, std::string user_agent = "Nokia6600/1.0")
      : TestPage(name, test::PageOptions().WithAgent(user_agent.c_str()).WithCodePage(0)),
        response(std::make_shared<RecordingResponse>()) {
    object->state().Response = response;
  }

  std::shared_ptr<RecordingResponse> response;
};

}  // namespace zorvadel::output_test

#endif  // ZORVADEL_TESTS_FRAME_OUTPUT_TEST_UTIL_H_
