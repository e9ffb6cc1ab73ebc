// Shared set-up of the class-set tests: the eight classes by ProgID, pages
// over the in-memory engine, and contexts that lack one of their objects.
#ifndef ZORVADEL_TESTS_CLASSES_CLASSES_TEST_UTIL_H_
#define ZORVADEL_TESTS_CLASSES_CLASSES_TEST_UTIL_H_

#include <memory>
#include <string>
#include <utility>

#include "support/error_of.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/memory_page.h"

namespace zorvadel {

inline constexpr char kSiteRoot[] = "/srv/site";

// A page for `url` on host "h.example.com"; a null session gets a fresh one.
inline std::unique_ptr<engine::MemoryPage> MakePage(engine::RequestFacts facts = {},
                                                    std::shared_ptr<Session> session = nullptr) {
  if (facts.host == "localhost") facts.host = "h.example.com";
  if (facts.url == "/index.asp") facts.url = "/news/list.asp";
  if (!session) session = std::make_shared<engine::MemorySession>();
  return std::make_unique<engine::MemoryPage>(std::move(facts), kSiteRoot, std::move(session),
                                              std::make_shared<engine::MemoryApplication>());
}

// The page's context with one object taken away.
class PartialContext : public Context {
 public:
  enum class Drop { kSession, kServer };
  PartialContext(std::shared_ptr<Context> inner, Drop drop)
      : inner_(std::move(inner)), drop_(drop) {}

  std::shared_ptr<Request> GetRequest() override { return inner_->GetRequest(); }
  std::shared_ptr<Response> GetResponse() override { return inner_->GetResponse(); }
  std::shared_ptr<Server> GetServer() override {
    return drop_ == Drop::kServer ? nullptr : inner_->GetServer();
  }
  std::shared_ptr<Session> GetSession() override {
    return drop_ == Drop::kSession ? nullptr : inner_->GetSession();
  }
  std::shared_ptr<Application> GetApplication() override { return inner_->GetApplication(); }

 private:
  std::shared_ptr<Context> inner_;
  Drop drop_;
};

struct PageClassCase {
  const char16_t* name;  // class name; the ProgID is "Zorvadel." + name
  Family family;
  PageLanguage language;
};

inline constexpr PageClassCase kPageClasses[] = {
    {u"XML", Family::kX, PageLanguage::kChinese},    {u"EnXML", Family::kX, PageLanguage::kEnglish},
    {u"WAP", Family::kW, PageLanguage::kChinese},    {u"EnWAP", Family::kW, PageLanguage::kEnglish},
    {u"PHPXML", Family::kP, PageLanguage::kChinese},
};

inline std::shared_ptr<PageObject> NewPage(const char16_t* name) {
  return std::dynamic_pointer_cast<PageObject>(CreateByProgId(std::u16string(u"Zorvadel.") + name));
}

inline std::string Name(const char16_t* name) {
  return std::string(name, name + std::u16string(name).size());
}

using test::ErrorOf;

}  // namespace zorvadel

#endif  // ZORVADEL_TESTS_CLASSES_CLASSES_TEST_UTIL_H_
