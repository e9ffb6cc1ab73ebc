// The page cut that the three long-text pagers share: one fixed window of
// the whole text, mended where the window's edges broke a line-break tag or
// an entity, and with its UBB codes turned into the page's markup.
//
// Windows are fixed: page n of a text always covers units 1 + (n - 1) * L
// to n * L, whatever the repair did to its neighbours, so a position that
// travels in a link keeps meaning the same place. Lengths and positions count
// UTF-16 units; a character outside the BMP can be split by an edge.
#ifndef ZORVADEL_MARKUP_PAGE_CUT_H_
#define ZORVADEL_MARKUP_PAGE_CUT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "zorvadel/page_core.h"

namespace zorvadel::markup {

// The `length` units of `text` from the 1-based `start`: fewer where the
// text ends sooner, none when `start` lies beyond the end or `length` is
// not positive. A start below 1 counts as 1. The cut is blind to markup.
std::u16string_view CutWindow(std::u16string_view text, int64_t start, int64_t length);

// The page piece, ready for the output filter: the window, then the cut
// repair of the page's class (FixWmlCode in the WML classes, FixCodes in
// the others), then, with `is_ubb`, its UBB conversion (UbbWML or UbbXML),
// which sees this piece alone. Each runs as the page's own member, so a
// script that replaced CC, WX or WW is heard. A repair that fails leaves
// the piece empty; never raises.
std::u16string PageCut(PageCore& page, std::u16string_view text, int64_t start, int64_t length,
                       bool is_ubb);

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_PAGE_CUT_H_
