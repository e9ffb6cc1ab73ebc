// Tables of by-name calls over the six classes that offer the shared member
// groups: which class has a member, and what a call gives in every class
// that has it, as a script would make the call.
#ifndef ZORVADEL_TESTS_SUPPORT_MEMBER_CALLS_H_
#define ZORVADEL_TESTS_SUPPORT_MEMBER_CALLS_H_

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "support/error_of.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {

// A class mask is six characters over these classes, in this order; '-'
// leaves a class out, as in "XxWw-C" for all but PHPXML.
inline constexpr const char16_t* kMaskClasses[] = {u"XML",   u"EnXML",  u"WAP",
                                                   u"EnWAP", u"PHPXML", u"Common"};

inline ObjectPtr NewByProgId(std::u16string_view name) {
  return CreateByProgId(u"Zorvadel." + std::u16string(name));
}

// The number of the error a by-name call raises; 0 when it raises none and
// `result` (when given) takes what the call gave.
inline int CallError(Object& object, std::u16string_view member, std::vector<Variant> args,
                     Variant* result = nullptr) {
  return ErrorOf([&] {
    Variant got = Invoke(object, member, std::move(args));
    if (result != nullptr) *result = std::move(got);
  });
}

struct Presence {
  const char16_t* member;
  const char* mask;  // the classes that have it
};

// A member is there when a call by name raises anything but "no member".
inline void ExpectPresence(std::span<const Presence> rows) {
  for (int i = 0; i < 6; ++i) {
    ObjectPtr object = NewByProgId(kMaskClasses[i]);
    for (const Presence& row : rows) {
      EXPECT_EQ(CallError(*object, row.member, {}) != kErrNoMember, row.mask[i] != '-')
          << codepage::ToUtf8(row.member) << " of " << codepage::ToUtf8(kMaskClasses[i]);
    }
  }
}

struct CallRow {
  const char16_t* member;
  const char* mask;  // where the row runs, each time on a fresh object
  std::vector<Variant> args;
  Variant result;
  int error = 0;   // raised instead of a result
  bool cc = true;  // a page object holds a CC afterwards
};

inline void ExpectCalls(std::span<const CallRow> rows) {
  for (const CallRow& row : rows) {
    for (int i = 0; i < 6; ++i) {
      if (row.mask[i] == '-') continue;
      SCOPED_TRACE(codepage::ToUtf8(row.member) + " of " + codepage::ToUtf8(kMaskClasses[i]));
      ObjectPtr object = NewByProgId(kMaskClasses[i]);
      Variant got;
      const int error = CallError(*object, row.member, row.args, &got);
      EXPECT_EQ(error, row.error);
      if (error != 0 || row.error != 0) continue;
      EXPECT_EQ(got, row.result) << codepage::ToUtf8(CStr(got));
      if (auto page = std::dynamic_pointer_cast<PageObject>(object)) {
        EXPECT_EQ(page->state().CC != nullptr, row.cc);
      }
    }
  }
}

}  // namespace zorvadel::test

#endif  // ZORVADEL_TESTS_SUPPORT_MEMBER_CALLS_H_
