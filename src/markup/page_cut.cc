#include "markup/page_cut.h"

#include <cstddef>
#include <string>

#include "component/group_calls.h"
#include "zorvadel/markup/fragment_members.h"

namespace zorvadel::markup {

std::u16string_view CutWindow(std::u16string_view text, int64_t start, int64_t length) {
  if (length <= 0) return {};
  const int64_t first = start < 1 ? 0 : start - 1;
  const auto size = static_cast<int64_t>(text.size());
  if (first >= size) return {};
  const int64_t count = length < size - first ? length : size - first;
  return text.substr(static_cast<size_t>(first), static_cast<size_t>(count));
}

std::u16string PageCut(PageCore& page, std::u16string_view text, int64_t start, int64_t length,
                       bool is_ubb) {
  const std::u16string window(CutWindow(text, start, length));
  const bool wml = page.family() == Family::kW;
  std::u16string piece = wml ? calls::FixWmlCode(page, window) : calls::FixCodes(page, window);
  if (!is_ubb) return piece;
  PageFragmentMembers& fragments = page.As<PageFragmentMembers>();
  return wml ? fragments.UbbWML(piece) : fragments.UbbXML(piece);
}

}  // namespace zorvadel::markup
