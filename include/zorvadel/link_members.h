// Member group of the page classes: links, phone links and images; WML
// tasks, events and variables. Every builder returns its markup for the
// script to write, except BackA and BackFooter, which write it to the
// response at once.
//
// Which page class has which member by name (a C++ call of a member the
// class lacks runs its family's code):
//
//   A, Anchor                          XML EnXML PHPXML (XHTML forms)
//                                      WAP EnWAP (WML forms)
//   ImgType, Img, IA, ImgA             XML EnXML WAP EnWAP
//   AnchorGo, PhoneA, PhoneDo, Phone,
//   BackA, Image, ImageA, ImgAImg      WAP EnWAP
//   IncTaskDo, IncTaskGo, DoPrev,
//   DoNoop, DoGo, EventGo, EventPrev,
//   EventNoop, IncEvent, DoSetVar,
//   EventSetVar, Fresh, IncSetVar,
//   TemplateBack, BackFooter           WAP EnWAP
//
// C++ callers pass every argument; by name, omitted arguments take the
// defaults of the class's language (Chinese in XML, WAP and PHPXML,
// English in EnXML and EnWAP), listed below as Chinese / English.
//
// Texts a user reads (titles, link texts, labels, tips, task names) pass
// the class's output filter Ascii; addresses, ids of named anchors, extra
// markup (OtherAtt, Content), methods and the name and value lists are
// written unchanged. Keyword attributes of the WML builders (task and event
// types, the go method and character set of IncTaskGo) are lower-cased.
// Members that ask the terminal kind (A, Anchor of WAP, AnchorGo, PhoneDo,
// BackA, ImgType, DoPrev, DoGo, BackFooter) do so on every call and take
// their desktop-browser form when Displayer answers "Web".
//
// Errors are suppressed step by step, except in IncTaskDo, IncTaskGo and
// DoNoop, which let a ScriptError through.
#ifndef ZORVADEL_LINK_MEMBERS_H_
#define ZORVADEL_LINK_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageObject;
struct PageClassTraits;

class PageLinkMembers {
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
  std::u16string Anchor(const std::u16string& display_text, const std::u16string& id);
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
  // ImgA with Image in place of Img.
  std::u16string ImageA(const std::u16string& img_path, const std::u16string& url,
                        const std::u16string& display_text);
  // ImageA, then Image of the second path. By name: ImgPathOne "", Url
  // "Index.asp", DisplayText "返回上级" / "Back to the Top", ImgPathTwo "".
  std::u16string ImgAImg(const std::u16string& img_path_one, const std::u16string& url,
                         const std::u16string& display_text, const std::u16string& img_path_two);

  // ---- WML tasks, events and variables ----

  // Opens a do element. By name: DoType, DoLabel required; DoName "";
  // Ignore False.
  std::u16string IncTaskDo(const std::u16string& do_type, const std::u16string& do_label,
                           const std::u16string& do_name, bool ignore);
  // A self-closed go; the method is written unless it is empty or exactly
  // "get". By name: Url required; CharSet "utf-8"; Method "get" (by
  // reference, never changed); OtherAtt "".
  std::u16string IncTaskGo(const std::u16string& url, const std::u16string& char_set,
                           const std::u16string& method, const std::u16string& other_att);
  // A do with a prev task (on "Web", a history-back link). By name: DoType
  // "accept", DoLabel "后退" / "Back", DoName "", Ignore False.
  std::u16string DoPrev(const std::u16string& do_type, const std::u16string& do_label,
                        const std::u16string& do_name, bool ignore);
  // A do with a noop task, on every terminal. By name: DoType "accept",
  // the rest empty / False.
  std::u16string DoNoop(const std::u16string& do_type, const std::u16string& do_label,
                        const std::u16string& do_name, bool ignore);
  // A do with a go to url holding other_att (on "Web", a link). By name:
  // Url "Index.asp", DoType "accept", DoLabel "转到" / "Go To", DoName "",
  // Ignore False, OtherAtt "".
  std::u16string DoGo(const std::u16string& url, const std::u16string& do_type,
                      const std::u16string& do_label, const std::u16string& do_name, bool ignore,
                      const std::u16string& other_att);
  // onevent elements; other_att stands after the go of EventGo. By name:
  // Url "Index.asp", OneEventType "onenterforward", OtherAtt "".
  std::u16string EventGo(const std::u16string& url, const std::u16string& one_event_type,
                         const std::u16string& other_att);
  std::u16string EventPrev(const std::u16string& one_event_type);
  std::u16string EventNoop(const std::u16string& one_event_type);
  std::u16string IncEvent(const std::u16string& one_event_type, const std::u16string& other_att);
  // A do whose refresh sets the variables. ignore is read as a Boolean
  // text ("true"/"false" in any case, or a number); any other text counts
  // as False. By name: Names "", Values "", SplitMark " ", DoType
  // "accept", DoLabel "设置", DoName "", Ignore "false".
  std::u16string DoSetVar(const std::u16string& names, const std::u16string& values,
                          const std::u16string& split_mark, const std::u16string& do_type,
                          const std::u16string& do_label, const std::u16string& do_name,
                          const std::u16string& ignore);
  // An onevent whose refresh sets the variables. By name: OneEventType
  // "onenterforward", Names "", Values "", SplitMark " ".
  std::u16string EventSetVar(const std::u16string& one_event_type, const std::u16string& names,
                             const std::u16string& values, const std::u16string& split_mark);
  std::u16string Fresh(const std::u16string& content);
  // One setvar per name piece that has a value piece.
  std::u16string IncSetVar(const std::u16string& names, const std::u16string& values,
                           const std::u16string& split_mark);
  // A card template with a back task. By name: DoType "prev", DoName
  // "previous", DoLabel "返回" / "Back".
  std::u16string TemplateBack(const std::u16string& do_type, const std::u16string& do_name,
                              const std::u16string& do_label);
  // Writes a do going to go_url (on "Web", a link). By name: DoType
  // "unknow", DoLabel "回首页" / "Homepage", GoUrl "Index.asp".
  void BackFooter(const std::u16string& do_type, const std::u16string& do_label,
                  const std::u16string& go_url);

 protected:
  PageLinkMembers() = default;
  ~PageLinkMembers() = default;

 private:
  PageObject& self();
  bool IsWeb();
  std::u16string ConfirmWord();
};

std::vector<MemberInfo> PageLinkMemberTable(const PageClassTraits& traits);

}  // namespace zorvadel

#endif  // ZORVADEL_LINK_MEMBERS_H_
