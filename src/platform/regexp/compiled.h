// The compiled form behind regexp::Compiled: PCRE2's 16-bit code, shared
// read-only by every thread. Only the regexp stand-in sees PCRE2.
#ifndef ZORVADEL_PLATFORM_REGEXP_COMPILED_H_
#define ZORVADEL_PLATFORM_REGEXP_COMPILED_H_

#ifndef PCRE2_CODE_UNIT_WIDTH
#define PCRE2_CODE_UNIT_WIDTH 16
#endif
#include <pcre2.h>

#include <cstddef>
#include <type_traits>

#include "platform/regexp/regexp.h"

namespace zorvadel::regexp {

static_assert(PCRE2_CODE_UNIT_WIDTH == 16, "the regexp stand-in works on UTF-16 units");
static_assert(sizeof(PCRE2_UCHAR) == sizeof(char16_t));
static_assert(std::is_same_v<PCRE2_SIZE, size_t>, "MatchView reads PCRE2's offsets directly");

class Compiled {
 public:
  // Takes ownership of `code`.
  Compiled(pcre2_code* code, int groups) : code_(code), groups_(groups) {}
  ~Compiled() { pcre2_code_free(code_); }
  Compiled(const Compiled&) = delete;
  Compiled& operator=(const Compiled&) = delete;

  const pcre2_code* code() const { return code_; }
  int groups() const { return groups_; }

 private:
  pcre2_code* code_;
  int groups_;
};

}  // namespace zorvadel::regexp

#endif  // ZORVADEL_PLATFORM_REGEXP_COMPILED_H_
