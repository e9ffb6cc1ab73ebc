#include "markup/pager_texts.h"

namespace zorvadel::markup {
namespace {

constexpr PagerTexts kChineseTexts = {
    .confirm = u"确定",
    .next_label = u"下一页",
    .previous_label = u"上一页",
    .count_before = u"共",
    .count_between = u"页 第",
    .count_after = u"页",
    .forward_label = u"向下翻页",
    .backward_label = u"向上翻页",
    .single_page_note = u"共1页",
    .go_form_middle = u"'>第<input type='text' name='GoPage' size='3' maxlength='3' value='",
    .go_form_end = u"'/><input type='submit' value='跳页'/></form>",
    .arrow_next = u">>下页",
    .arrow_separator = u"/",
    .arrow_previous = u"&lt;&lt;上页",
};

// The blanks that end "Page Down  " and "Page Up " keep the first link of
// a row apart from its label.
constexpr PagerTexts kEnglishTexts = {
    .confirm = u"Enter",
    .next_label = u"Next Page",
    .previous_label = u"Previous Page",
    .count_before = u"Total: ",
    .count_between = u" Pages,The Page ",
    .count_after = u"",
    .forward_label = u"Page Down  ",
    .backward_label = u"Page Up ",
    .single_page_note = u"Only One Page",
    .go_form_middle = u"'>The<input type='text' name='GoPage' size='3' maxlength='3' value='",
    .go_form_end = u"'/><input type='submit' value='Go'/></form>",
    .arrow_next = u">>Next Page",
    .arrow_separator = u" of ",
    .arrow_previous = u"&lt;&lt; Prev",
};

constexpr int32_t kTen[] = {1, 2, 3, 5, 7, 9};
constexpr int32_t kFive[] = {1, 2, 3, 4, 5};
constexpr int32_t kFour[] = {1, 2, 3, 4};
constexpr int32_t kThree[] = {1, 2, 3};
constexpr int32_t kTwo[] = {1, 2};
constexpr int32_t kOne[] = {1};

}  // namespace

const PagerTexts& PagerTextsOf(PageLanguage language) {
  return language == PageLanguage::kEnglish ? kEnglishTexts : kChineseTexts;
}

// The rung of 10 needs the tenth page in its direction, though its farthest
// link goes nine pages.
const std::array<JumpRung, 6> kJumpRungs = {{
    {10, kTen},
    {5, kFive},
    {4, kFour},
    {3, kThree},
    {2, kTwo},
    {1, kOne},
}};

}  // namespace zorvadel::markup
