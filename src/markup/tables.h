// WML tables: the table head and its rows. Pure text work; the caller hands
// in its output filter, through which every text shown to the reader passes.
#ifndef ZORVADEL_MARKUP_TABLES_H_
#define ZORVADEL_MARKUP_TABLES_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zorvadel::markup {

// The page's output filter (Ascii); it never raises.
using TextFilter = std::function<std::u16string(const std::u16string&)>;

// `<table columns="N" align="ALIGN"[ title="TITLE"]>`. `align` is padded with
// "L" or cut to `columns` letters and upper-cased; a negative `columns`
// cannot cut it, so it stays as given. The title attribute is left out when
// `title` is empty.
std::u16string TableHead(int16_t columns, std::u16string_view align, const std::u16string& title,
                         const TextFilter& filter);

// `<tr>` + one `<td>piece</td>` per piece of `content` split at `mark` +
// `</tr>`; an empty `content` has no cells, an empty `mark` makes it one.
std::u16string TableRow(std::u16string_view content, std::u16string_view mark,
                        const TextFilter& filter);

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_TABLES_H_
