// Paging a recordset opened on StrSql and writing one page of it as the
// record list: numbered title links to the detail page GoFileName that
// carry the record's id and the list page. Shared by every paged list.
#ifndef ZORVADEL_DATABASE_RECORD_LIST_H_
#define ZORVADEL_DATABASE_RECORD_LIST_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "zorvadel/page_core.h"

namespace zorvadel::listing {

// IPageSize, IPageCurrent (query key Page, clamped to 1..IPageCount) and
// IPageCount from EveryPageSize and Rs; sets Rs's PageSize and CacheSize.
void PreparePaging(PageCore& page);

// The total line and the rows of the current page, or the redirect to
// ErrorPagePath when there is no page. Leaves the data open.
void RenderRecordList(PageCore& page);

// From IRecordsShown 0: for each record of the page, IRecordsShown counts
// it, `row` writes it and Rs moves on, until the page holds IPageSize
// records or the records end. An end that cannot be read (no recordset)
// counts as the end, and a move that fails still counts the record, so
// the walk always stops.
void ForEachRecordOfPage(PageCore& page, const std::function<void()>& row);

// A field of Rs's current record as text, Null as "". Raises for a name the
// records lack and when there is no current record.
std::u16string FieldTextOrEmpty(PageCore& page, const std::u16string& name);

// The row marker that DbListTypeMode picks, for the row being written.
void WriteListItemNumber(PageCore& page);

// (IPageCurrent - 1) * EveryPageSize + IRecordsShown; none when it leaves
// the 32-bit range.
std::optional<int32_t> RunningNumber(const PageCore& page);

// The label, Rs.RecordCount, ";", IPageCurrent, "/", IPageCount, "<br/>";
// raises when Rs cannot be read. The label is the class's own unless given.
std::u16string TotalLine(PageCore& page);
std::u16string TotalLine(PageCore& page, std::u16string_view label);

// Decimal text of a number, minus sign when negative.
std::u16string Number(int64_t n);

// A list's link to an address and with a text taken from a record: the
// class's A with the list's link title, left out when it cannot be built.
std::u16string RecordLink(PageCore& page, const std::u16string& url, const std::u16string& text);

}  // namespace zorvadel::listing

#endif  // ZORVADEL_DATABASE_RECORD_LIST_H_
