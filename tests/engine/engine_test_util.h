// Shared set-up of the engine tests: a page over a request facts, rooted at a
// folder that need not exist (the engine never touches the disk for paths).
#ifndef ZORVADEL_TESTS_ENGINE_ENGINE_TEST_UTIL_H_
#define ZORVADEL_TESTS_ENGINE_ENGINE_TEST_UTIL_H_

#include <memory>

#include "platform/codepage/codepage.h"
#include "zorvadel/memory_page.h"
#include "support/error_of.h"

namespace zorvadel::engine {

inline constexpr char kSiteRoot[] = "/srv/site";

inline std::unique_ptr<MemoryPage> MakePage(RequestFacts facts = {}, uint32_t code_page = 936) {
  auto session = std::make_shared<MemorySession>();
  session->SetCodePage(code_page);
  return std::make_unique<MemoryPage>(std::move(facts), kSiteRoot, session,
                                      std::make_shared<MemoryApplication>());
}

using test::ErrorOf;

}  // namespace zorvadel::engine

#endif  // ZORVADEL_TESTS_ENGINE_ENGINE_TEST_UTIL_H_
