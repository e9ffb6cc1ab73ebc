// Member group of the page classes: WML tasks, events and variables. Every
// builder returns its markup for the script to write, except BackFooter,
// which writes it to the response at once.
//
// Which page class has which member by name (a C++ call of a member the
// class lacks runs the WML classes' code):
//
//   IncTaskDo, IncTaskGo, DoPrev,
//   DoNoop, DoGo, EventGo, EventPrev,
//   EventNoop, IncEvent, DoSetVar,
//   EventSetVar, Fresh, IncSetVar,
//   TemplateBack, BackFooter           WAP EnWAP
//
// C++ callers pass every argument; by name, omitted arguments take the
// defaults of the class's language (Chinese in WAP, English in EnWAP),
// listed below as Chinese / English.
//
// Labels and task names pass the class's output filter Ascii; addresses,
// extra markup (OtherAtt, Content), methods and the name and value lists
// are written unchanged. Keyword attributes (task and event types, the go
// method and character set of IncTaskGo) are lower-cased. DoPrev, DoGo and
// BackFooter ask the terminal kind on every call and take their
// desktop-browser form (the link of A) when Displayer answers "Web".
//
// Errors are suppressed step by step, except in IncTaskDo, IncTaskGo and
// DoNoop, which let a ScriptError through.
#ifndef ZORVADEL_WML_TASK_MEMBERS_H_
#define ZORVADEL_WML_TASK_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageWmlTaskMembers : public MemberGroup<PageWmlTaskMembers, PageCore> {
 public:
  // Opens a do element. By name: DoType, DoLabel required; DoName "";
  // Ignore False.
  std::u16string IncTaskDo(const std::u16string& do_type, const std::u16string& do_label,
                           const std::u16string& do_name, bool ignore);
  // A self-closed go; the method is written unless it is empty or exactly
  // "get". By name: Url required; CharSet "utf-8"; Method "get" (by
  // reference, never changed); OtherAtt "".
  std::u16string IncTaskGo(const std::u16string& url, const std::u16string& char_set,
                           const std::u16string& method, const std::u16string& other_att) const;
  // A do with a prev task (on "Web", a history-back link). By name: DoType
  // "accept", DoLabel "后退" / "Back", DoName "", Ignore False.
  std::u16string DoPrev(const std::u16string& do_type, const std::u16string& do_label,
                        const std::u16string& do_name, bool ignore);
  // A do with a noop task, on every terminal. By name: DoType "accept",
  // DoLabel "", DoName "", Ignore False.
  std::u16string DoNoop(const std::u16string& do_type, const std::u16string& do_label,
                        const std::u16string& do_name, bool ignore);
  // A do with a go to url holding other_att (on "Web", a link). By name:
  // Url "Index.asp", DoType "accept", DoLabel "转到" / "Go To", DoName "",
  // Ignore False, OtherAtt "".
  std::u16string DoGo(const std::u16string& url, const std::u16string& do_type,
                      const std::u16string& do_label, const std::u16string& do_name, bool ignore,
                      const std::u16string& other_att);
  // onevent elements; other_att stands after the go of EventGo. By name:
  // Url "Index.asp", OneEventType "onenterforward", OtherAtt "" (here and
  // in EventPrev, EventNoop and IncEvent alike).
  std::u16string EventGo(const std::u16string& url, const std::u16string& one_event_type,
                         const std::u16string& other_att) const;
  std::u16string EventPrev(const std::u16string& one_event_type) const;
  std::u16string EventNoop(const std::u16string& one_event_type) const;
  std::u16string IncEvent(const std::u16string& one_event_type,
                          const std::u16string& other_att) const;
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
  // By name: Content "".
  std::u16string Fresh(const std::u16string& content) const;
  // One setvar per name piece that has a value piece. By name: Names "",
  // Values "", SplitMark " ".
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

  // The rows of the WML classes; they follow the link group's rows in the
  // class's interface.
  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);

 private:
  bool IsWeb();
};

}  // namespace zorvadel

#endif  // ZORVADEL_WML_TASK_MEMBERS_H_
