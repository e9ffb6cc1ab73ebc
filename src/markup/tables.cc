#include "markup/tables.h"

#include <string>
#include <vector>

#include "text/attribute_escape.h"
#include "zorvadel/runtime.h"

namespace zorvadel::markup {

std::u16string TableHead(int16_t columns, std::u16string_view align, const std::u16string& title,
                         const TextFilter& filter) {
  std::u16string letters(align);
  const int32_t given = static_cast<int32_t>(letters.size());
  if (given < columns) {
    letters.append(static_cast<size_t>(columns - given), u'L');
  } else if (given > columns) {
    // Left raises 5 for a negative length; the step is skipped and the
    // letters stay as the caller gave them.
    Step([&] { letters = Left(letters, columns); });
  }
  std::u16string out = u"<table columns=\"";
  out += CStr(Variant(columns));
  out += u"\" align=\"";
  text::AppendAttributeText(UCase(letters), &out);
  if (!title.empty()) {
    out += u"\" title=\"";
    text::AppendAttributeText(filter(title), &out);
  }
  out += u"\">";
  return out;
}

std::u16string TableRow(std::u16string_view content, std::u16string_view mark,
                        const TextFilter& filter) {
  std::u16string out = u"<tr>";
  for (const std::u16string& cell : Split(content, mark)) {
    out += u"<td>";
    out += filter(cell);
    out += u"</td>";
  }
  out += u"</tr>";
  return out;
}

}  // namespace zorvadel::markup
