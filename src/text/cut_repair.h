// Mending a piece of markup cut out of a longer text at arbitrary positions,
// as the long-text pagers do to every page: a line-break tag or an entity
// cut at either edge is dropped or completed, doubled angle brackets and the
// written forms of the line break are evened out, and line breaks collapsed.
#ifndef ZORVADEL_TEXT_CUT_REPAIR_H_
#define ZORVADEL_TEXT_CUT_REPAIR_H_

#include <string>
#include <string_view>

namespace zorvadel::text {

std::u16string FixCodes(std::u16string_view text);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_CUT_REPAIR_H_
