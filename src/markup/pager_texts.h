// The fixed texts and query keys of the long-text pagers. The Chinese and
// English classes run the same pager code and differ only by these tables.
#ifndef ZORVADEL_MARKUP_PAGER_TEXTS_H_
#define ZORVADEL_MARKUP_PAGER_TEXTS_H_

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "zorvadel/page_state.h"

namespace zorvadel::markup {

struct PagerTexts {
  std::u16string_view confirm;  // the title of every pager link

  // EasyMorePage
  std::u16string_view next_label;
  std::u16string_view previous_label;

  // MorePage: the count line and the labels of the two rows of jumps
  std::u16string_view count_before;
  std::u16string_view count_between;
  std::u16string_view count_after;
  std::u16string_view forward_label;
  std::u16string_view backward_label;

  // AutoPage
  std::u16string_view single_page_note;
  std::u16string_view go_form_middle;  // between the form's action and the page number
  std::u16string_view go_form_end;
  std::u16string_view arrow_next;
  std::u16string_view arrow_separator;
  // Written as "&lt;" entities: a raw "<" would make the page ill-formed.
  std::u16string_view arrow_previous;
};
const PagerTexts& PagerTextsOf(PageLanguage language);

// EasyMorePage's keys: the direction ("down" moves forward) and the start
// of the page on which the link was written.
inline constexpr std::u16string_view kDirectionKey = u"toshow";
inline constexpr std::u16string_view kForwardDirection = u"down";
inline constexpr std::u16string_view kEasyStartKey = u"mystart";
inline constexpr std::u16string_view kEasyNextQuery = u"?toshow=down&amp;mystart=";
inline constexpr std::u16string_view kEasyPreviousQuery = u"?toshow=up&amp;mystart=";

// MorePage and AutoPage: the start of the wanted page.
inline constexpr std::u16string_view kStartKey = u"MyStart";
inline constexpr std::u16string_view kStartQuery = u"?MyStart=";
// AutoPage: the cut length of the rest-of-text page, and the typed page.
inline constexpr std::u16string_view kCutLengthKey = u"TextLong";
inline constexpr std::u16string_view kCutLengthQuery = u"&amp;TextLong=";
inline constexpr std::u16string_view kGoPageKey = u"GoPage";
inline constexpr std::u16string_view kGoFormStart = u"<form method='post' action='";

inline constexpr std::u16string_view kLineBreak = u"<br/>";
// Between the page and its navigation in MorePage and AutoPage.
inline constexpr std::u16string_view kPieceRule = u"<br/>-----<br/>";

// MorePage's rows of jumps: the first rung (k pages away) whose page exists
// gives the row its links, `distances` pages away each.
struct JumpRung {
  int32_t pages;
  std::span<const int32_t> distances;
};
extern const std::array<JumpRung, 6> kJumpRungs;

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_PAGER_TEXTS_H_
