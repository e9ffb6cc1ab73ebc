// The shapes of links, anchors and images, and the texts of the link and
// task builders in each language. The page classes' builders (link
// members and WML tasks) fill these shapes with values that have already
// passed the output filter; nothing here filters, lower-cases or asks the
// terminal kind. Every value that lands inside an attribute is escaped
// here (text/attribute_escape.h), so no caller can break one open; texts
// between tags and the extra markup ({other}, {inner}) go as given, the
// markup less what XML cannot carry (text/xml_chars.h).
#ifndef ZORVADEL_MARKUP_LINKS_H_
#define ZORVADEL_MARKUP_LINKS_H_

#include <string>
#include <string_view>

#include "zorvadel/page_state.h"

namespace zorvadel::markup {

// Default texts of the link and task builders. Each language has one table;
// the builders pick it by the class's language.
struct LinkTexts {
  std::u16string_view confirm;         // title of links, filtered wherever written
  std::u16string_view back_to_top;     // text of A, ImgA, ImageA, ImgAImg
  std::u16string_view submit;          // text of AnchorGo
  std::u16string_view call_title;      // title of PhoneA and Phone
  std::u16string_view call_text;       // text of PhoneA and Phone
  std::u16string_view call_label;      // label of PhoneDo
  std::u16string_view previous_page;   // text of BackA
  std::u16string_view prev_label;      // label of DoPrev
  std::u16string_view go_label;        // label of DoGo
  std::u16string_view set_var_label;   // label of DoSetVar
  std::u16string_view template_label;  // label of TemplateBack
  std::u16string_view home_label;      // label of BackFooter
};

inline constexpr LinkTexts kChineseLinkTexts = {
    u"确定",     u"返回上级", u"确定提交", u"呼出", u"呼出号码", u"呼出",
    u"返回上页", u"后退",     u"转到",     u"设置", u"返回",     u"回首页",
};

inline constexpr LinkTexts kEnglishLinkTexts = {
    u"Enter",
    u"Back to the Top",
    u"Submit",
    u"Call",
    u"Call Phone",
    u"Call",
    u"Back To Previous Page",
    u"Back",
    u"Go To",
    u"设置",
    u"Back",
    u"Homepage",
};

inline const LinkTexts& LinkTextsOf(PageLanguage language) {
  return language == PageLanguage::kEnglish ? kEnglishLinkTexts : kChineseLinkTexts;
}

// Texts that are the same in both languages.
// The submit anchor's title is written as this literal in every class,
// already in reference form, so it never passes the filter.
inline constexpr std::u16string_view kSubmitAnchorTitle = u"&#x786E;&#x5B9A;";
inline constexpr std::u16string_view kCallPrefix = u"wtai://wp/mc;";
inline constexpr std::u16string_view kHistoryBack = u"javascript:history.go(-1)";
// What a desktop browser's Displayer answers.
inline constexpr std::u16string_view kWebTerminal = u"Web";

// <a title="{title}" href="{url}">{text}</a>
std::u16string LinkMarkup(std::u16string_view title, std::u16string_view url,
                          std::u16string_view text);
// <a id="{id}"  title="{title}" href="{url}">{text}</a> (two blanks, kept
// as pages written against it expect).
std::u16string LinkWithIdMarkup(std::u16string_view id, std::u16string_view title,
                                std::u16string_view url, std::u16string_view text);
// <a id="{id}" /> for an empty text, else <a id="{id}">{text}</a>.
std::u16string NamedAnchorMarkup(std::u16string_view text, std::u16string_view id);
// <anchor title="{title}">{text}<go href="{url}">{inner}</go></anchor>
std::u16string WmlAnchorMarkup(std::u16string_view title, std::u16string_view url,
                               std::u16string_view text, std::u16string_view inner);
// <img src="{path}" alt="{tip}" {other}/>
std::u16string ImgMarkup(std::u16string_view path, std::u16string_view tip,
                         std::u16string_view other);
// <a title="{title}" href="{url}"> only: the caller adds the content and </a>.
std::u16string LinkOpenMarkup(std::u16string_view title, std::u16string_view url);

// The picture suffix a phone's accept header asks for: the first of GIF,
// PNG, JPEG and BMP that it names (exact letter case), "" for none.
std::u16string_view SuffixForAccept(std::u16string_view accept);
// Whether a picture path already ends in one of the known suffixes; the
// test ignores surrounding blanks and letter case.
bool HasPictureSuffix(std::u16string_view path);

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_LINKS_H_
