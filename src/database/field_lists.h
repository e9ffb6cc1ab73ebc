// The list bodies whose rows are fields the script names: the
// title-and-content list, the multi-field list and its one-record view,
// the site list and the link list. Each writes the records of Rs that
// PreparePaging left (the view: the current record alone); the members
// open and close the data around them and add the bar.
#ifndef ZORVADEL_DATABASE_FIELD_LISTS_H_
#define ZORVADEL_DATABASE_FIELD_LISTS_H_

#include <string>

#include "zorvadel/page_core.h"

namespace zorvadel::listing {

// Per record: (WAP's index image,) the title and the content, each on its
// line, and the separator when pages hold more than one record. The total
// line goes above or below by RsInfoPlace.
void RenderListShow(PageCore& page, const std::u16string& field_title,
                    const std::u16string& field_content);

// The layout of a multi-field row: field names, the texts before and after
// each field, all three split at split_mark.
struct FieldLayout {
  const std::u16string& show_content;
  const std::u16string& split_mark;
  const std::u16string& pre_text;
  const std::u16string& last_text;
};

// Per record: each field of the layout with its texts, then the separator.
void RenderMultiList(PageCore& page, const FieldLayout& layout);
// The fields of Rs's current record, once: no paging, total line or separator.
void RenderMultiShow(PageCore& page, const FieldLayout& layout);

// Per record: the site's name, the person who added it, a link to the
// site (none when the address is empty, Null or not there), the separator.
// The total line always goes above. Addresses from the records are
// repaired for the attribute: bare "&" as "&amp;", quotes and angle
// brackets as entities.
void RenderSiteList(PageCore& page, const std::u16string& site_title,
                    const std::u16string& site_person_name, const std::u16string& site_url);

// Per record: the markers that DBListSymbol, DBListNumber and DBOrderNumber
// ask for (after WAP's index image), a link from the fields FieldShow and
// FieldUrl (its address repaired as the site list's), DbListSplitChar;
// one "<br/>" after the records unless DbListSplitChar is exactly "<br/>".
void RenderLinkList(PageCore& page);

}  // namespace zorvadel::listing

#endif  // ZORVADEL_DATABASE_FIELD_LISTS_H_
