// The page-navigation bars under a list, the carried parameters that the
// first/last bar appends to its links, and the WML page-jump line. The
// bars read the paging state that PreparePaging left and need no open
// recordset.
#ifndef ZORVADEL_DATABASE_NAV_BARS_H_
#define ZORVADEL_DATABASE_NAV_BARS_H_

#include <string>

#include "zorvadel/database/database_kind.h"
#include "zorvadel/page_core.h"

namespace zorvadel::listing {

// Next and last page, then previous and first page; links carry
// DbToTransParameters.
void RenderFirstLastNav(PageCore& page);
// Next page, then previous page.
void RenderPrevNextNav(PageCore& page);
// Next page, up to four page numbers, the last page; then previous page,
// up to four page numbers, "[1]".
void RenderNumberedNav(PageCore& page);
// Pages c-2 to c+2 with c in bold, "&lt;" and "&gt;" three pages away;
// links carry "&amp;KeyWord=" and KeyWord.
void RenderKeywordNav(PageCore& page);

// The picture at `path` when the page is a WAP one and DBIsShowImage is
// set; EnWAP and the XHTML classes never draw it.
void WriteWapImage(PageCore& page, const std::u16string& path);

// DbToTransParameters from the first record's fields that the three
// Trans*FieldName properties name, read through the kind's show member.
// Rebuilt from the non-empty values; kept only when all three are empty.
void BuildTransParameters(PageCore& page, DatabaseKind kind);

// The WML page-jump line: label, WmlGoPage, a "GO" link to
// ThisFileName?Page=$(pn), "<br/>".
void WritePageJumpBox(PageCore& page);

}  // namespace zorvadel::listing

#endif  // ZORVADEL_DATABASE_NAV_BARS_H_
