// The fixed texts of the page classes, one table per language. Members take
// every word they write from here, so the Chinese and English classes share
// their code.
#ifndef ZORVADEL_COMPONENT_PAGE_TEXTS_H_
#define ZORVADEL_COMPONENT_PAGE_TEXTS_H_

#include <string_view>

#include "zorvadel/page_state.h"

namespace zorvadel {

struct PageTexts {
  // Page-start defaults.
  std::u16string_view card_title;       // CardTitle (WML classes)
  std::u16string_view site_name;        // SiteName and MailSiteName
  std::u16string_view next_page_title;  // NextPageTitle (XHTML classes)
  std::u16string_view pre_page_title;   // PrePageTitle
  std::u16string_view residual_string;  // ResidualString
  // About = about_before + the library's title + about_after.
  std::u16string_view about_before;
  std::u16string_view about_after;
};

const PageTexts& TextsFor(PageLanguage language);

}  // namespace zorvadel

#endif  // ZORVADEL_COMPONENT_PAGE_TEXTS_H_
