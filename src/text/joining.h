// Putting markup around the parts of a text: joining split pieces again,
// name-value lists, keyword highlighting and style tags. Splitting is exact
// and keeps empty pieces; an empty text has no pieces and an empty
// separator leaves the text whole.
#ifndef ZORVADEL_TEXT_JOINING_H_
#define ZORVADEL_TEXT_JOINING_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvadel::text {

// `pre` + the pieces of `content` (split at `mark`) joined by `joiner` +
// `last`.
std::u16string SplitText(std::u16string_view content, std::u16string_view mark,
                         std::u16string_view pre, std::u16string_view last,
                         std::u16string_view joiner);

// For each name (split at `mark`) with a value at the same place:
// `pre` name `mid` value `last`. A name without a value is left out with its
// frame; values past the last name are not used.
std::u16string SplitRichText(std::u16string_view names, std::u16string_view values,
                             std::u16string_view mark, std::u16string_view pre,
                             std::u16string_view mid, std::u16string_view last);

// Each keyword of the "|"-separated list, in order, wrapped in `pre` and
// `last` wherever it occurs in the text as the keywords before left it (so
// a keyword inside an earlier keyword's frame is wrapped too). A result that
// would pass both kReplacedTextFloor units and kReplacedTextGrowth times the
// text raises 14 "Out of string space".
inline constexpr size_t kReplacedTextFloor = size_t{1} << 16;
inline constexpr size_t kReplacedTextGrowth = 64;
std::u16string ReplaceString(std::u16string_view keywords, std::u16string_view text,
                             std::u16string_view pre, std::u16string_view last);

// The text without blanks at either end, wrapped in one tag per name of the
// lower-cased `styles` (split at `mark`), the first name innermost.
std::u16string FontStyle(std::u16string_view content, std::u16string_view styles,
                         std::u16string_view mark);
// The tags of FontStyle around `content` as it stands (no trimming): the
// WML classes' FontStyle. Names are used as they stand, so an empty one
// gives "<>" and "</>".
std::u16string WrapInStyleTags(std::u16string_view content, std::u16string_view styles,
                               std::u16string_view mark);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_JOINING_H_
