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
#include "platform/engine/memory_engine.h"
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

// Records every Write as one entry; each kind of call can be made to fail
// as an engine that refuses it would.
class RecordingResponse : public Response {
 public:
  void Write(std::u16string_view text) override {
    if (refuse_write) throw ScriptError(kErrInvalidArgument);
    writes.emplace_back(text);
  }
  void End() override {}
  void Redirect(std::u16string_view) override {}
  std::u16string ContentType() const override { return content_type; }
  void SetContentType(std::u16string_view value) override {
    if (refuse_headers) throw ScriptError(kErrInvalidArgument);
    content_type = value;
  }
  std::u16string Charset() const override { return charset; }
  void SetCharset(std::u16string_view value) override {
    if (refuse_headers) throw ScriptError(kErrInvalidArgument);
    charset = value;
  }
  int32_t Expires() const override { return expires; }
  void SetExpires(int32_t minutes) override { expires = minutes; }
  void AddHeader(std::u16string_view, std::u16string_view) override {}
  int32_t Status() const override { return 200; }
  void SetStatus(int32_t) override {}
  bool Ended() const override { return false; }

  std::u16string All() const {
    std::u16string all;
    for (const auto& w : writes) all += w;
    return all;
  }

  std::vector<std::u16string> writes;
  std::u16string content_type = u"text/html";
  std::u16string charset;
  int32_t expires = -1;
  bool refuse_write = false;
  bool refuse_headers = false;
};

// An object of class `name` started on a page of the in-memory engine, its
// Response then replaced by a RecordingResponse.
struct OutputPage {
  explicit OutputPage(std::u16string_view name, std::string user_agent = "Nokia6600/1.0")
      : page(MakeFacts(std::move(user_agent)), "/srv/site",
             std::make_shared<engine::MemorySession>(),
             std::make_shared<engine::MemoryApplication>()),
        object(Create(name)),
        response(std::make_shared<RecordingResponse>()) {
    object->OnStartPage(page.shared_context());
    object->state().Response = response;
  }
  ~OutputPage() { object->OnEndPage(); }

  static engine::RequestFacts MakeFacts(std::string user_agent) {
    engine::RequestFacts facts;
    facts.headers.emplace_back("User-Agent", std::move(user_agent));
    return facts;
  }

  PageState& state() { return object->state(); }

  engine::MemoryPage page;
  std::shared_ptr<PageObject> object;
  std::shared_ptr<RecordingResponse> response;
};

}  // namespace zorvadel::output_test

#endif  // ZORVADEL_TESTS_FRAME_OUTPUT_TEST_UTIL_H_
