// The words the record lists and their bars write, one row per class
// language (Chinese for XML and WAP, English for EnXML and EnWAP).
#ifndef ZORVADEL_DATABASE_LIST_TEXTS_H_
#define ZORVADEL_DATABASE_LIST_TEXTS_H_

#include <string_view>

#include "zorvadel/page_core.h"

namespace zorvadel::listing {

struct ListTexts {
  std::u16string_view confirm;    // every link's title
  std::u16string_view total;      // label of the total line
  std::u16string_view next_page;
  std::u16string_view previous_page;
  std::u16string_view last_page;
  std::u16string_view first_page;
  std::u16string_view jump_to;    // label of the WML page-jump line
  std::u16string_view site;       // the site list's three lines
  std::u16string_view person;
  std::u16string_view visit;
};

inline constexpr ListTexts kListTexts[] = {
    {u"确定", u"总数:", u"下一页", u"上一页", u"尾页", u"首页", u"跳到", u"站名:", u"添加人:",
     u"立即访问..."},
    {u"Enter", u"Total:", u"Next Page", u"Previous Page", u"Last Page", u"First Page",
     u"Turn To ", u"Site:", u"Person:", u"Enter..."},
};

// The multi-field list labels its total line in Chinese in every class.
inline constexpr std::u16string_view kMultiListTotal = u"总数:";
// Written after each record of the site, title-and-content and
// multi-field lists when a page holds more than one.
inline constexpr std::u16string_view kRecordSeparator = u"------<br/>";

inline const ListTexts& TextsOf(const PageCore& page) {
  return kListTexts[static_cast<int>(page.language())];
}

}  // namespace zorvadel::listing

#endif  // ZORVADEL_DATABASE_LIST_TEXTS_H_
