// A Response for tests that keeps what a page does to it: each Write as one
// entry, and every call in order (a write's text, or "END"). Each kind of call
// can be made to fail as an engine that refuses it would.
#ifndef ZORVADEL_TESTS_SUPPORT_RECORDING_RESPONSE_H_
#define ZORVADEL_TESTS_SUPPORT_RECORDING_RESPONSE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zorvadel/engine.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class RecordingResponse : public Response {
 public:
  void Write(std::u16string_view text) override {
    if (refuse_write) throw ScriptError(kErrInvalidArgument);
    writes.emplace_back(text);
    log.emplace_back(text);
  }
  void End() override { log.emplace_back(u"END"); }
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
  std::vector<std::u16string> log;
  std::u16string content_type = u"text/html";
  std::u16string charset;
  int32_t expires = -1;
  bool refuse_write = false;
  bool refuse_headers = false;
};

}  // namespace zorvadel

#endif  // ZORVADEL_TESTS_SUPPORT_RECORDING_RESPONSE_H_
