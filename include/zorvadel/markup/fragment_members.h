// Member group: UBB conversion, cards, paragraphs, divisions, comments and
// the built-in style sheets (page classes, WAPXHTML, WAPWML).
//
// Which page class has which member by name (a C++ call of a member the
// class lacks runs its family's code):
//
//   UbbWML                      WAP EnWAP (through WW)
//   UbbXML                      XML EnXML PHPXML (through WX)
//   Card, HtmlStyleCss          WAP EnWAP (EnWAP keeps HtmlStyleCss and
//                               XhtmlStyleCss for its own headers: not by
//                               name)
//   P                           WAP EnWAP: WML paragraph break
//                               XML EnXML: WX's P; PHPXML: filtered
//   Div                         XML EnXML: WX's Div; PHPXML: PhpDiv
//   Comment                     WAP EnWAP XML EnXML
//   XhtmlStyleCss               WAP EnWAP XML EnXML write; PHPXML returns
//                               its sheet (XhtmlStyleCssText in C++)
//
// The companions WW (WAPWML) and WX (WAPXHTML) are created on first use and
// kept; a forwarded call that fails gives "". Every member suppresses its
// errors: a failing step leaves its piece of the result empty.
#ifndef ZORVADEL_FRAGMENT_MEMBERS_H_
#define ZORVADEL_FRAGMENT_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class WAPWML;
class WAPXHTML;

class PageFragmentMembers : public MemberGroup<PageFragmentMembers, PageCore> {
 public:
  // ---- UBB conversion ----
  std::u16string UbbWML(const std::u16string& to_do_string);
  std::u16string UbbXML(const std::u16string& to_do_string);

  // ---- WML classes ----

  // Closes the open card (unless is_first_card) and opens a new one with
  // its first paragraph. The title passes Ascii; card_id, other_att,
  // time_long and mid_card_p are written as given; a timer element is
  // written when other_att holds "ontimer" (case-sensitive). By name: CardId
  // "Zorvadel", CardTitle "第一卡片", PAlign "left", WrapMode "wrap",
  // NewContext False, IsFirstCard False, OtherAtt "", TimeLong "" (by
  // reference, only read), MidCardP "".
  std::u16string Card(const std::u16string& card_id, const std::u16string& card_title,
                      const std::u16string& p_align, const std::u16string& wrap_mode,
                      bool new_context, bool is_first_card, const std::u16string& other_att,
                      const std::u16string& time_long, const std::u16string& mid_card_p);
  // "</p><p ...>" with the non-empty attributes, lower-cased. By name:
  // AlignMent "left", WrapMode "wrap".
  std::u16string P(const std::u16string& align_ment, const std::u16string& wrap_mode) const;
  // Writes the WML classes' sheet, 40 writes; links plain or underlined.
  void HtmlStyleCss();

  // ---- XHTML classes ----

  // The paragraph of WX.P (content through UbbXML only); PHPXML's content
  // passes UbbXML and then Ascii. By name: AlignMent "left", Id "#".
  std::u16string P(const std::u16string& to_show_content, const std::u16string& align_ment,
                   const std::u16string& id);
  // WX.Div. By name: every argument optional, default "".
  std::u16string Div(const std::u16string& to_show_content, const std::u16string& class_name,
                     const std::u16string& id);
  // PHPXML's Div: id and align always written, content through UbbXML and
  // Ascii. By name: AlignMent "left", Id "#".
  std::u16string PhpDiv(const std::u16string& to_show_content, const std::u16string& align_ment,
                        const std::u16string& id);

  // ---- Both ----

  // "<!--*(^O^)" + DelSpecialMark(content) + "(^O^)*-->"; the XHTML classes
  // ask WX.
  std::u16string Comment(const std::u16string& content);
  // WML classes: the WML sheet with plain links, 40 writes. XML, EnXML: the
  // sheet of WX in one write.
  void XhtmlStyleCss();
  // PHPXML's XhtmlStyleCss: its own sheet, returned.
  std::u16string XhtmlStyleCssText() const;

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);

 private:
  void WriteWmlSheet(bool underlined);
};

class WapXhtmlFragmentMembers : public MemberGroup<WapXhtmlFragmentMembers, WAPXHTML> {
 public:
  std::u16string UbbXML(const std::u16string& to_do_string) const;
  // By name: ToShowContent required, AlignMent "left", Id "#".
  std::u16string P(const std::u16string& to_show_content, const std::u16string& align_ment,
                   const std::u16string& id) const;
  // By name: all optional, "".
  std::u16string Div(const std::u16string& to_show_content, const std::u16string& class_name,
                     const std::u16string& id) const;
  // Cleans through the DelSpecialMark of CC (created on first use).
  std::u16string Comment(const std::u16string& content);
  // The companion sheet; writes nothing.
  Variant XhtmlStyleCss() const;

  static std::vector<MemberInfo> MemberTable();
};

class WapWmlFragmentMembers : public MemberGroup<WapWmlFragmentMembers, WAPWML> {
 public:
  std::u16string UbbWML(const std::u16string& to_do_string) const;

  static std::vector<MemberInfo> MemberTable();
};

}  // namespace zorvadel

#endif  // ZORVADEL_FRAGMENT_MEMBERS_H_
