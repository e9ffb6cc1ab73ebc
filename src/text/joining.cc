#include "text/joining.h"

#include <algorithm>
#include <vector>

#include "zorvadel/runtime.h"

namespace zorvadel::text {

std::u16string SplitText(std::u16string_view content, std::u16string_view mark,
                         std::u16string_view pre, std::u16string_view last,
                         std::u16string_view joiner) {
  std::u16string out(pre);
  out.append(Join(Split(content, mark), joiner));
  out.append(last);
  return out;
}

std::u16string SplitRichText(std::u16string_view names, std::u16string_view values,
                             std::u16string_view mark, std::u16string_view pre,
                             std::u16string_view mid, std::u16string_view last) {
  const std::vector<std::u16string> name_pieces = Split(names, mark);
  const std::vector<std::u16string> value_pieces = Split(values, mark);
  std::u16string out;
  const size_t pairs = std::min(name_pieces.size(), value_pieces.size());
  for (size_t i = 0; i < pairs; ++i) {
    out.append(pre).append(name_pieces[i]).append(mid).append(value_pieces[i]).append(last);
  }
  return out;
}

std::u16string ReplaceString(std::u16string_view keywords, std::u16string_view text,
                             std::u16string_view pre, std::u16string_view last) {
  std::u16string out(text);
  const size_t growth = pre.size() + last.size();
  const size_t most = std::max(kReplacedTextFloor, kReplacedTextGrowth * text.size());
  for (const std::u16string& keyword : Split(keywords, u"|")) {
    if (keyword.empty()) continue;
    size_t count = 0;
    for (size_t at = out.find(keyword); at != std::u16string::npos;
         at = out.find(keyword, at + keyword.size())) {
      ++count;
    }
    if (count == 0) continue;
    // Each keyword searches what the earlier ones wrote, so keywords that
    // their frames hold multiply the text at every step: 24 keywords "a"
    // with the frame "" and "a" make 16 Mi units of one letter. Such a list
    // fails as the runtime does when out of string space, not by
    // exhausting the process.
    const size_t room = out.size() < most ? most - out.size() : 0;
    if (growth != 0 && count > room / growth) throw ScriptError(14, u"Out of string space");
    std::u16string framed(pre);
    framed.append(keyword).append(last);
    out = Replace(out, keyword, framed);
  }
  return out;
}

std::u16string WrapInStyleTags(std::u16string_view content, std::u16string_view styles,
                               std::u16string_view mark) {
  const std::vector<std::u16string> names = Split(LCase(styles), mark);
  // Built from the outside in, so a long text is copied once.
  std::u16string out;
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    out.append(u"<").append(*name).append(u">");
  }
  out.append(content);
  for (const std::u16string& name : names) out.append(u"</").append(name).append(u">");
  return out;
}

std::u16string FontStyle(std::u16string_view content, std::u16string_view styles,
                         std::u16string_view mark) {
  return WrapInStyleTags(Trim(content), styles, mark);
}

}  // namespace zorvadel::text
