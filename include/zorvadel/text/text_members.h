// Member group of Common and of the page classes: text and markup
// utilities: HTML encoding and entity escaping, cut repair, joining,
// keyword highlighting and style tags.
//
// Common does the work on its arguments alone. The page classes offer the
// same members, most of them by handing the call to their Common instance
// CC (created on first use; "" when the call fails). Which class has which
// member is decided by its member table:
//
//   HtmlEnCode, HTMLDecode     all but PHPXML (EnXML's HtmlEnCode gives a
//                              Variant when called by name)
//   SpecialMark, DelSpecialMark  every page class
//   EnterHebing                Common only
//   FixCodes                   XML, EnXML, PHPXML
//   FixWmlCode                 WAP, EnWAP (the same repair as FixCodes)
//   SplitText, SplitRichText   XML, EnXML forward; WAP, EnWAP run their own
//                              copy, which touches no CC
//   SplitMultiText             all but PHPXML; writes to the response
//   ReplaceString              all but PHPXML
//   FontStyle                  XML, EnXML forward; WAP, EnWAP build the
//                              elements themselves (no trimming)
//
// The C++ methods exist on every page class; calling one that the class's
// table leaves out does what the forwarding rule does.
//
// What the members that make page text return (the encoders and escapes,
// the repairs, the joins and the style tags) holds nothing XML 1.0 cannot
// carry: such characters, and references to them, are dropped from it.
// HTMLDecode and ReplaceString return their text as the steps leave it.
#ifndef ZORVADEL_TEXT_MEMBERS_H_
#define ZORVADEL_TEXT_MEMBERS_H_

#include <string>
#include <type_traits>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

template <typename Core>
class TextMembers : public MemberGroup<TextMembers<Core>, Core> {
 public:
  // Markup characters as entities, tabs as four blanks, CR as CR LF, blanks
  // as "&nbsp;" where a browser would fold them.
  std::u16string HtmlEnCode(const std::u16string& to_do_string);
  // "&amp;", "&quot;", "&lt;", "&gt;", "&nbsp;", then "&#1;" to "&#255;".
  std::u16string HTMLDecode(const std::u16string& to_do_string);
  // Full escape for WML or XHTML, line ends and blanks as "&nbsp;".
  std::u16string SpecialMark(const std::u16string& process_content);
  // Escape that keeps line breaks as "<br/>" and leaves "&" alone.
  std::u16string DelSpecialMark(const std::u16string& process_content);
  // CR LF as "<br/>", runs of "<br/>" collapsed.
  std::u16string EnterHebing(const std::u16string& process_content);
  // Repair of a piece cut out of a longer markup text.
  std::u16string FixCodes(const std::u16string& to_show_content);
  // The WML classes' name for FixCodes.
  std::u16string FixWmlCode(const std::u16string& to_show_content);

  std::u16string SplitText(const std::u16string& content, const std::u16string& split_mark,
                           const std::u16string& pre_text, const std::u16string& last_text,
                           const std::u16string& split_char);
  std::u16string SplitRichText(const std::u16string& names, const std::u16string& values,
                               const std::u16string& split_mark, const std::u16string& pre_text,
                               const std::u16string& mid_text, const std::u16string& last_text);
  // Writes, per piece of `show_content` (split at `split_mark`), the
  // filtered PreText piece, content piece and LastText piece of the same
  // number in one write; a piece whose frame pieces are missing is skipped.
  void SplitMultiText(const std::u16string& show_content, const std::u16string& split_mark,
                      const std::u16string& pre_text, const std::u16string& last_text)
    requires std::is_same_v<Core, PageCore>;
  // A keyword list whose frames keep feeding later keywords, growing the
  // text past 64 Ki units and 64 times its length, raises 14 "Out of string
  // space" (on a page: "").
  std::u16string ReplaceString(const std::u16string& key_words,
                               const std::u16string& to_do_string,
                               const std::u16string& pre_text, const std::u16string& last_text);
  // By name, StyleString defaults to "" and SplitMark to one blank. On a
  // page the content passes the output filter first; the XHTML classes then
  // forward to CC, the WML classes nest the elements themselves around the
  // filtered text, untrimmed.
  std::u16string FontStyle(const std::u16string& content, const std::u16string& style_string,
                           const std::u16string& split_mark);

  static std::vector<MemberInfo> MemberTable(const TableHost& host);

 private:
  // The page's output filter Ascii.
  std::u16string OutputFilter(const std::u16string& text)
    requires std::is_same_v<Core, PageCore>;
  // EnXML's HtmlEnCode by name: the result as a Variant, Empty when the
  // call fails.
  Variant HtmlEnCodeVariant(const std::u16string& to_do_string)
    requires std::is_same_v<Core, PageCore>;
};

ZORVADEL_SHARED_GROUP(TextMembers, Text);

}  // namespace zorvadel

#endif  // ZORVADEL_TEXT_MEMBERS_H_
