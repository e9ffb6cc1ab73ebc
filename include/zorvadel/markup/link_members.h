// Member group of the page classes: links, phone links and images. Every
// builder returns its markup for the script to write, except BackA, which
// writes it to the response at once. The WML tasks, events and variables
// are the next group (wml_task_members.h).
//
// Which page class has which member by name (a C++ call of a member the
// class lacks runs its family's code):
//
//   A, Anchor                          XML EnXML PHPXML (XHTML forms)
//                                      WAP EnWAP (WML forms)
//   ImgType, Img, IA, ImgA             XML EnXML WAP EnWAP
//   AnchorGo, PhoneA, PhoneDo, Phone,
//   BackA, Image, ImageA, ImgAImg      WAP EnWAP
//
// C++ callers pass every argument; by name, omitted arguments take the
// defaults of the class's language (Chinese in XML, WAP and PHPXML,
// English in EnXML and EnWAP), listed below as Chinese / English.
//
// Texts a user reads (titles, link texts, labels, tips) pass the class's
// output filter Ascii; addresses, ids of named anchors, extra markup
// (OtherAtt), methods and the name and value lists are written unchanged.
// Members that ask the terminal kind (A, Anchor of WAP, AnchorGo, PhoneDo,
// BackA, ImgType) do so on every call and take their desktop-browser form
// when Displayer answers "Web".
//
// Errors are suppressed step by step.
#ifndef ZORVADEL_LINK_MEMBERS_H_
#define ZORVADEL_LINK_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageLinkMembers : public MemberGroup<PageLinkMembers, PageCore> {
 public:
  // ---- Links and images ----

  // A link. An empty title becomes the confirm word ("确定" / "Enter"); on
  // "Web" the title repeats display_text. In the XHTML classes an id other
  // than "#" (the empty one included) is written as an id attribute; the
  // WML classes never write one. By name: Title confirm word, Url
  // "Index.asp", DisplayText "返回上级" / "Back to the Top", Id "#" (XHTML
  // classes only).
  std::u16string A(const std::u16string& title, const std::u16string& url,
                   const std::u16string& display_text, const std::u16string& id = u"#");
  // The XHTML classes' named anchor: nothing filtered. By name:
  // DisplayText "", Id "mardon".
  std::u16string Anchor(const std::u16string& display_text, const std::u16string& id) const;
  // The WML classes' anchor with a go task holding other_att; on "Web" the
  // link of A to url reading display_text. By name: Title confirm word,
  // Url "Index.asp", DisplayText "返回上级" / "Back to the Top", OtherAtt "".
  std::u16string Anchor(const std::u16string& title, const std::u16string& url,
                        const std::u16string& display_text, const std::u16string& other_att);
  // The submit anchor posting WML variables: each name piece (cut by
  // split_mark) with the value piece at the same place as the variable
  // $value. On "Web" the submit button and "</form>", closing the form that
  // TextIn opened. method is written as given. By name: DisplayText
  // "确定提交" / "Submit", Url "Index.asp", Names "", Values "", SplitMark
  // " ", Method "post" (by reference, never changed).
  Variant AnchorGo(const std::u16string& display_text, const std::u16string& url,
                   const std::u16string& names, const std::u16string& values,
                   const std::u16string& split_mark, const std::u16string& method);
  // A link to "wtai://wp/mc;" + number. By name: Title "呼出" / "Call",
  // CallPhoneNumber "133", DisplayText "呼出号码" / "Call Phone".
  std::u16string PhoneA(const std::u16string& title, const std::u16string& call_phone_number,
                        const std::u16string& display_text);
  // The "option" task calling the number (a link on "Web"). By name:
  // CallPhoneNumber "133", DisplayText "呼出" / "Call".
  std::u16string PhoneDo(const std::u16string& call_phone_number,
                         const std::u16string& display_text);
  // PhoneA, "<br/>", PhoneDo. By name as PhoneA.
  std::u16string Phone(const std::u16string& title, const std::u16string& call_phone_number,
                       const std::u16string& display_text);
  // Writes a back link and returns "". By name: DisplayText "返回上页" /
  // "Back To Previous Page".
  std::u16string BackA(const std::u16string& display_text);
  // The picture suffix the terminal takes: ".png" on "Web", else the first
  // of GIF, PNG, JPEG, BMP named by PhoneAccept, or "".
  std::u16string ImgType();
  // An img element; "" when path, tip and other_att are all empty, and in
  // the WML classes while IsShowImage is false. By name: all "".
  std::u16string Img(const std::u16string& img_path, const std::u16string& tip,
                     const std::u16string& other_att);
  // Img of the path completed by ImgType when it has no picture suffix;
  // "" for an empty path. By name: all "".
  std::u16string Image(const std::u16string& img_path, const std::u16string& tip,
                       const std::u16string& other_att);
  // A link titled with the confirm word around the picture (display_text
  // as its tip), or around display_text when there is no picture. By name:
  // IMGPath "", Url "Index.asp", DisplayText "".
  std::u16string IA(const std::u16string& img_path, const std::u16string& url,
                    const std::u16string& display_text);
  // The picture followed by the link of A. By name: IMGPath "", Url
  // "Index.asp", DisplayText "返回上级" / "Back to the Top".
  std::u16string ImgA(const std::u16string& img_path, const std::u16string& url,
                      const std::u16string& display_text);
  // ImgA with Image in place of Img. By name as ImgA.
  std::u16string ImageA(const std::u16string& img_path, const std::u16string& url,
                        const std::u16string& display_text);
  // ImageA, then Image of the second path. By name: ImgPathOne "", Url
  // "Index.asp", DisplayText "返回上级" / "Back to the Top", ImgPathTwo "".
  std::u16string ImgAImg(const std::u16string& img_path_one, const std::u16string& url,
                         const std::u16string& display_text, const std::u16string& img_path_two);

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);

 private:
  bool IsWeb();
  std::u16string ConfirmWord() const;
};

}  // namespace zorvadel

#endif  // ZORVADEL_LINK_MEMBERS_H_
