// Member group of the WML page classes: four small ready-made page bodies
// that a script drops into an open card with one call.
//
// Which page class has which member by name (a C++ call on another page
// class runs the same code):
//
//   WeekQuery, CallPhone, GoUrl, DownPicList    WAP EnWAP
//
// The pages are made of the link, task and form builders and write through
// WriteOut and WriteRow (so through the output filter), except DownPicList,
// which writes its link with Response.Write as the builder returned it.
// They ask the terminal kind no more than their builders do: on a desktop
// browser the first TextIn opens the page's HTML form and AnchorGo closes it.
// WAP writes Chinese texts, EnWAP English ones.
//
// No member raises: a write whose builder or response fails is skipped and
// the next one runs.
#ifndef ZORVADEL_READY_MEMBERS_H_
#define ZORVADEL_READY_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageReadyMembers : public MemberGroup<PageReadyMembers, PageCore> {
 public:
  // A two-step page. Unless the request item ToDo is exactly "ToAdd", or
  // when the posted Send_A is no date: a date field (today as "yyyy-M-d"), a
  // task and a submit anchor posting Send_A to ThisFileName + "?ToDo=ToAdd",
  // and today's week day. Otherwise the posted date, its week day (an empty
  // Send_A counts as today) and a link back to ThisFileName, one row each.
  // On a desktop browser the form's action is ThisFileName + "?ToDo=ToAdd"
  // too, so that the browser reaches the second step.
  void WeekQuery();
  // A number field filling the WML variable CallPhoneNumber, a PhoneA and a
  // PhoneDo calling $(CallPhoneNumber).
  void CallPhone();
  // An address field filling the WML variable Url, a link and a go task to
  // http://$(Url), then with `is_show_good_sites` two lines of four portal
  // links. By name: IsShowGoodSites False.
  void GoUrl(bool is_show_good_sites = false);
  // Writes IA(view_img_path, down_img_path, tip) followed by split_mark and
  // returns "". By name: ViewImgPath "", DownImgPath "", Tip "", SplitMark
  // " ".
  std::u16string DownPicList(const std::u16string& view_img_path,
                             const std::u16string& down_img_path, const std::u16string& tip,
                             const std::u16string& split_mark = u" ");

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);

 private:
  void GoodSitesList();
};

}  // namespace zorvadel

#endif  // ZORVADEL_READY_MEMBERS_H_
