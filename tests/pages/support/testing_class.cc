// A small class that exists only in the test build of zorvadel-run, so that
// page scripts can exercise the runner before the library's own classes do.
#include <memory>
#include <new>
#include <string>

#include "zorvadel/dispatch.h"
#include "zorvadel/engine.h"
#include "zorvadel/member_table.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

class Testing : public Object {
 public:
  const ClassInfo& Class() const override {
    static const ClassInfo info = ClassBuilder<Testing>(u"Testing")
                                      .Property<&Testing::title_>(u"Title")
                                      .Method<&Testing::Greet>(u"Greet", {Req(u"Name"), Opt(u"Greeting", u"Hello")})
                                      .Method<&Testing::Add>(u"Add", {Req(u"A"), Opt(u"B", int16_t{1})})
                                      .Method<&Testing::Fail>(u"Fail")
                                      .Method<&Testing::Exhaust>(u"Exhaust")
                                      .Build();
    return info;
  }
  bool HasPageHooks() const override { return true; }
  void OnStartPage(const std::shared_ptr<Context>& context) override {
    response_ = context->GetResponse();
    response_->Write(u"[start " + title_ + u"]");
  }
  void OnEndPage() override {
    if (response_) response_->Write(u"[end " + title_ + u"]");
    response_.reset();
  }

  std::u16string Greet(const std::u16string& name, const std::u16string& greeting) {
    return greeting + u", " + name + u"!";
  }
  int16_t Add(int16_t a, int16_t b) { return CInt(Variant(int32_t{a} + int32_t{b})); }
  void Fail() { throw ScriptError(kErrInvalidArgument); }
  // Memory running out in the middle of a page, which no script error covers.
  void Exhaust() { throw std::bad_alloc(); }

 private:
  std::u16string title_;
  std::shared_ptr<Response> response_;
};

const bool kRegistered = [] {
  RegisterProgId(u"Zorvadel.Testing", [] { return std::make_shared<Testing>(); });
  return true;
}();

}  // namespace
}  // namespace zorvadel
