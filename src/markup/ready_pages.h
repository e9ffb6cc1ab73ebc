// The texts and the portal list of the ready-made WML pages (week query,
// phone call, go to an address, picture downloads). The two WML classes run
// the same page code and differ only by these tables.
#ifndef ZORVADEL_MARKUP_READY_PAGES_H_
#define ZORVADEL_MARKUP_READY_PAGES_H_

#include <array>
#include <cstddef>
#include <string_view>

#include "zorvadel/page_state.h"

namespace zorvadel::markup {

struct ReadyTexts {
  // WeekQuery
  std::u16string_view date_prompt;
  std::u16string_view value_prompt;
  std::u16string_view submit_label;
  std::u16string_view query_button;
  std::u16string_view today_label;
  std::u16string_view closing_bracket;
  std::u16string_view result_label;
  std::u16string_view continue_text;
  // CallPhone
  std::u16string_view phone_prompt;
  std::u16string_view phone_title;
  std::u16string_view call_link_title;
  std::u16string_view call_link_text;
  std::u16string_view call_task_label;
  // GoUrl
  std::u16string_view address_prompt;
  std::u16string_view address_title;
  std::u16string_view go_link_title;
  std::u16string_view go_link_text;
  std::u16string_view go_task_label;
};
const ReadyTexts& ReadyTextsOf(PageLanguage language);

// One site of the portal list: its WAP home page and its name in each
// language.
struct PortalSite {
  std::u16string_view url;
  std::u16string_view chinese_name;
  std::u16string_view english_name;

  std::u16string_view NameIn(PageLanguage language) const {
    return language == PageLanguage::kEnglish ? english_name : chinese_name;
  }
};

// Two lines of kPortalsPerLine sites, in the order they are shown.
inline constexpr size_t kPortalsPerLine = 4;
inline constexpr size_t kPortalCount = 2 * kPortalsPerLine;
extern const std::array<PortalSite, kPortalCount> kPortalSites;

// What the address field of GoUrl offers before the user types: a WAP host
// name without its scheme.
inline constexpr std::u16string_view kSampleWapHost = u"wap.example.com";

// The query that tells WeekQuery's second step from its first.
inline constexpr std::u16string_view kWeekQueryKey = u"ToDo";
inline constexpr std::u16string_view kWeekQueryValue = u"ToAdd";
inline constexpr std::u16string_view kWeekQuerySuffix = u"?ToDo=ToAdd";
// The posted field (and WML variable) that holds the date.
inline constexpr std::u16string_view kWeekDateField = u"Send_A";

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_READY_PAGES_H_
