// Keyword highlighting as it was before a keyword list became one
// automaton: each keyword replaced all over the text that the ones before it
// left, after a count of its matches that checks the string space. Kept as
// the reference that the tests compare ReplaceString with and the benchmark
// measures it beside.
#ifndef ZORVADEL_TESTS_SUPPORT_REPLACE_STRING_REFERENCE_H_
#define ZORVADEL_TESTS_SUPPORT_REPLACE_STRING_REFERENCE_H_

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "text/joining.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {

inline std::u16string ReplaceOneByOne(std::u16string_view keywords, std::u16string_view text,
                                      std::u16string_view pre, std::u16string_view last) {
  std::u16string out(text);
  const size_t growth = pre.size() + last.size();
  const size_t most =
      std::max(text::kReplacedTextFloor, text::kReplacedTextGrowth * text.size());
  for (const std::u16string& keyword : Split(keywords, u"|")) {
    if (keyword.empty()) continue;
    size_t count = 0;
    for (size_t at = out.find(keyword); at != std::u16string::npos;
         at = out.find(keyword, at + keyword.size())) {
      ++count;
    }
    if (count == 0) continue;
    const size_t room = out.size() < most ? most - out.size() : 0;
    if (growth != 0 && count > room / growth) throw ScriptError(14, u"Out of string space");
    std::u16string framed(pre);
    framed.append(keyword).append(last);
    out = Replace(out, keyword, framed);
  }
  return out;
}

}  // namespace zorvadel::test

#endif  // ZORVADEL_TESTS_SUPPORT_REPLACE_STRING_REFERENCE_H_
