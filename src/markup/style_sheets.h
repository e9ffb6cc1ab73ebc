// The style sheets that page headers embed when a page names no style-sheet
// file of its own. They are fixed texts, kept here as data so that every
// header writes the same bytes.
//
//   the WML classes' sheet   forty pieces, written one Response.Write each;
//                            the two variants differ only in how a link
//                            looks (plain for XHTML, underlined for HTML)
//   the companion's sheet    fifteen lines joined with CR LF (WAPXHTML)
//   PHPXML's sheet           the companion's with two rules changed, joined
//                            with nothing between the pieces
#ifndef ZORVADEL_MARKUP_STYLE_SHEETS_H_
#define ZORVADEL_MARKUP_STYLE_SHEETS_H_

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace zorvadel::markup {

enum class LinkLook { kPlain, kUnderlined };

// The pieces of the WML classes' sheet, in writing order.
inline constexpr size_t kWmlSheetPieceCount = 40;
std::u16string_view WmlSheetPiece(size_t index, LinkLook look);
// The pieces joined, for tests and for callers that want one string.
std::u16string WmlSheet(LinkLook look);

// WAPXHTML's sheet (CR LF between lines, none at either end).
const std::u16string& CompanionSheet();
// PHPXML's sheet (no line breaks).
const std::u16string& PhpSheet();

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_STYLE_SHEETS_H_
