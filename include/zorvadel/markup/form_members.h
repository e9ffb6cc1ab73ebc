// Member group: form fields, selects and options; tables. These are WML
// builders of WAP and EnWAP: each returns its markup for the script to
// write, and every text a reader sees passes the class's output filter
// Ascii. TextIn alone asks the terminal: on a desktop browser ("Web") the
// first TextIn of a page also writes the opening of the page's one HTML form
// to the response and sets OnlyOne; the submit button of AnchorGo closes it.
//
// The WML FontStyle is a member of PageTextMembers (text_members.h), so that
// the page classes have a single C++ FontStyle.
//
// The C++ methods exist on every page class; only the WML classes' tables
// list them. Defaults that are texts of the class's language (InputTitle,
// DoLabel, the table Title) are filled in by name; C++ callers pass them.
#ifndef ZORVADEL_FORM_MEMBERS_H_
#define ZORVADEL_FORM_MEMBERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageFormMembers : public MemberGroup<PageFormMembers, PageCore> {
 public:
  // [Ascii(ShowTip)<br/>]<input type="type" name=".." value=".." title=".." OtherAtt/>
  // with the type lower-cased; on "Web" the first call of a page first
  // writes <form name="FirstForm" method="post" action="PostFileName or
  // ThisFileName">. By name: InputType defaults to "text", InputName to
  // "FirstName", InputValue to "FirstValue", InputTitle to "请输入值："
  // (EnWAP: "Please enter a value："), OtherAtt to ""; ShowTip is required.
  std::u16string TextIn(const std::u16string& show_tip, const std::u16string& input_type,
                        const std::u16string& input_name, const std::u16string& input_value,
                        const std::u16string& input_title, const std::u16string& other_att);
  // The open do and go of a posting task. DoType, GoUrl and CharSet are
  // written as given; the method is always "post", whatever `method` holds.
  // By name: DoType defaults to "options", DoLabel to "提交" (EnWAP:
  // "Submit"), GoUrl to "", CharSet to "utf-8", Method to "post" (taken by
  // reference).
  std::u16string PostSet(const std::u16string& do_type, const std::u16string& do_label,
                         const std::u16string& go_url, const std::u16string& char_set,
                         const std::u16string& method);
  // <postfield name="PostName" value="$(PostValue)"/>
  std::u16string TextPost(const std::u16string& post_name, const std::u16string& post_value);
  // PostField, then </go></do><br/>. By name: SplitMark defaults to one
  // blank.
  std::u16string TextMorePost(const std::u16string& names, const std::u16string& values,
                              const std::u16string& split_mark);
  // One <postfield name="NAME" value="$(VALUE)"/> per name piece that has a
  // value piece at its place; pieces written as given. By name: SplitMark
  // defaults to one blank.
  std::u16string PostField(const std::u16string& names, const std::u16string& values,
                           const std::u16string& split_mark);
  // The start tag of a select element (Options closes it). By name: Title,
  // Name, value, IName, IValue and OtherAtt default to "", Multiple to True
  // (taken by reference).
  std::u16string Selects(const std::u16string& title, const std::u16string& name,
                         const std::u16string& value, const std::u16string& i_name,
                         const std::u16string& i_value, bool multiple,
                         const std::u16string& other_att);
  // One option per title piece, then </select>, or the options inside an
  // optgroup closed by </optgroup> (and </select> for the last group).
  // Items carry the value pieces when Hrefs has no pieces, the target pieces
  // when Values has none, else both; an item whose piece is missing is left
  // out. By name: Titles, Values, Hrefs and GroupName default to "",
  // SplitMark to one blank, IsLastGroup to False.
  std::u16string Options(const std::u16string& titles, const std::u16string& values,
                         const std::u16string& hrefs, const std::u16string& split_mark,
                         const std::u16string& group_name, bool is_last_group);

  // <table columns="N" align="ALIGN"[ title="TITLE"]>; Align is padded with
  // "L" or cut to Columns letters, and upper-cased. By name: Columns
  // defaults to 4, Align to "LLLL", Title to "在此设置表格标题" (in EnWAP too).
  std::u16string Table(int16_t columns, const std::u16string& align, const std::u16string& title);
  // <tr><td>piece</td>...</tr> over the pieces of Content. By name (here,
  // in Row and in RowOne): SplitMark defaults to one blank.
  std::u16string IncRow(const std::u16string& content, const std::u16string& split_mark);
  // IncRow, then </table> when is_last_row. By name: IsLastRow defaults to
  // False.
  std::u16string Row(const std::u16string& content, const std::u16string& split_mark,
                     bool is_last_row);
  // IncRow, then </table>.
  std::u16string RowOne(const std::u16string& content, const std::u16string& split_mark);

  // The group's member table (not the WML Table member above: that one
  // takes the column count first).
  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);
};

}  // namespace zorvadel

#endif  // ZORVADEL_FORM_MEMBERS_H_
