// WML form pieces: input fields, the posting task and its postfields,
// selection lists and their options, and the HTML form that opens them on a
// desktop browser. Pure text work; the caller hands in its output filter,
// through which every text shown to the reader passes. Every attribute value
// is escaped as it is written (addresses, names and values included);
// OtherAtt is markup and written as given, less what XML cannot carry.
#ifndef ZORVADEL_MARKUP_FORMS_H_
#define ZORVADEL_MARKUP_FORMS_H_

#include <string>
#include <string_view>

#include "markup/tables.h"
#include "zorvadel/page_state.h"

namespace zorvadel::markup {

// The defaults of the form and table builders that are texts of the class's
// language.
struct FormTexts {
  std::u16string_view input_title;  // TextIn's InputTitle
  std::u16string_view do_label;     // PostSet's DoLabel
  std::u16string_view table_title;  // Table's Title
};
const FormTexts& FormTextsOf(PageLanguage language);

// The start tag of the one HTML form of a page on a desktop browser.
std::u16string HtmlFormStart(std::u16string_view action);

// [ShowTip<br/>]<input type=".." name=".." value=".." title=".." OtherAtt/>
struct InputField {
  std::u16string show_tip;
  std::u16string type;
  std::u16string name;
  std::u16string value;
  std::u16string title;
  std::u16string other_att;
};
std::u16string InputElement(const InputField& field, const TextFilter& filter);

// The open `do` and `go` of a posting task; the method is always "post".
std::u16string PostTaskStart(std::u16string_view do_type, const std::u16string& label,
                             std::u16string_view go_url, std::u16string_view charset,
                             const TextFilter& filter);

// One postfield whose value is the WML variable `variable`.
std::u16string PostVariable(const std::u16string& name, const std::u16string& variable,
                            const TextFilter& filter);

// The three frame texts that put name and value pieces into postfields of
// the bracketed variable form `value="$(VALUE)"`.
inline constexpr std::u16string_view kPostFieldPre = u"<postfield name=\"";
inline constexpr std::u16string_view kPostFieldMid = u"\" value=\"$(";
inline constexpr std::u16string_view kPostFieldLast = u")\"/>";
// What closes a posting task after its postfields.
inline constexpr std::u16string_view kPostTaskEnd = u"</go></do><br/>";

// The start tag of a selection list; which attributes appear depends on
// which of name, iname and title are given.
struct SelectList {
  std::u16string title;
  std::u16string name;
  std::u16string value;
  std::u16string iname;
  std::u16string ivalue;
  bool multiple = true;
  std::u16string other_att;
};
std::u16string SelectStart(const SelectList& list, const TextFilter& filter);

// Option elements for the title pieces, optionally in a group, and the
// closing of the group and of the list.
struct OptionList {
  std::u16string titles;
  std::u16string values;
  std::u16string hrefs;
  std::u16string split_mark = u" ";
  std::u16string group_name;
  bool is_last_group = false;
};
std::u16string OptionElements(const OptionList& list, const TextFilter& filter);

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_FORMS_H_
