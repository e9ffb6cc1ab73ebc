// Member group of the page classes: terminal detection, the SQL-injection
// guard and the small members scripts use around the request.
// The page classes take in PageRequestMembers; its member table is merged
// into their interfaces.
//
// Which page class has which member by name (a C++ call of a member the
// class lacks runs the same code as the classes that have it):
//
//   Displayer, SQLInjection, SubmitText   XML EnXML WAP EnWAP PHPXML
//   PhoneType                             WAP EnWAP
//   SafeRequest, RequestText, RndNumber,
//   GetHostName, GetDoMain, Redirect      XML EnXML WAP EnWAP
//
// No member raises: a failing step is skipped and the member returns what it
// has ("" for a text, 0 for RndNumber).
//
// By name, every argument may be left out: ToDoString and GoUrl default to
// "", UpperBound to 100 and LowerBound to 1 (taken by reference, never
// changed).
#ifndef ZORVADEL_REQUEST_MEMBERS_H_
#define ZORVADEL_REQUEST_MEMBERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageRequestMembers : public MemberGroup<PageRequestMembers, PageCore> {
 public:
  // The terminal kind of the caller's user agent (the state's Terminal):
  // "Web" for a desktop browser, "Wap" for a recognised simulator, crawler
  // or tool, "Phone" otherwise. Tests afresh on every call and leaves the
  // recognised agent's description in DisplayerInfo and DisplayerUA.
  std::u16string Displayer();
  // Always "".
  std::u16string PhoneType() const;

  // Looks for the words of SQLInjData (PHPXML: its own fixed list) in the
  // lower-cased query string followed by the host; ends the response once
  // per word found and answers whether any was.
  bool SQLInjection();

  // The text through the class's output filter, then URL-encoded.
  std::u16string SubmitText(const std::u16string& to_do_string);
  // The request item of that name with "'" doubled and blanks trimmed.
  std::u16string SafeRequest(const std::u16string& to_do_string) const;
  // SafeRequest with "&#xHEX;" references turned back into characters.
  std::u16string RequestText(const std::u16string& to_do_string);
  // A random integer from lower_bound to upper_bound; 0 when the span
  // leaves 16 bits.
  int16_t RndNumber(int16_t upper_bound = 100, int16_t lower_bound = 1) const;
  // The host the client named ("HTTP_HOST"), and what follows its first dot.
  std::u16string GetHostName() const;
  std::u16string GetDoMain() const;
  // Sends the client to go_url, or to WapHomePage when it is empty.
  void Redirect(const std::u16string& go_url);

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);
};

}  // namespace zorvadel

#endif  // ZORVADEL_REQUEST_MEMBERS_H_
