// The ready-made pages: sequences of builder calls written row by row. Each
// write is a step of its own, so a builder or a response that fails costs
// only its own row.
#include "component/group_calls.h"
#include "zorvadel/markup/ready_members.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "markup/ready_pages.h"
#include "zorvadel/markup/form_members.h"
#include "zorvadel/markup/link_members.h"
#include "zorvadel/markup/wml_task_members.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using markup::ReadyTexts;

// The builders the pages are made of.
PageLinkMembers& Links(PageCore& page) { return page.As<PageLinkMembers>(); }
PageFormMembers& Forms(PageCore& page) { return page.As<PageFormMembers>(); }
std::u16string WeekName(PageCore& page, const Variant& date) {
  return calls::QueryWeek(page, date);
}

std::u16string S(std::u16string_view view) { return std::u16string(view); }

// Today in the server's short date form ("yyyy-M-d").
std::u16string TodayText() { return CStr(Variant::Date(Today())); }

using calls::WriteOutStep;
using calls::WriteRowStep;

// The week-day name of the posted date when the request asks for the
// second step, else "". `posted_date` gets the date text as posted.
std::u16string PostedWeekName(PageCore& page, std::u16string& posted_date) {
  std::u16string name;
  Step([&] {
    Request& request = Need(page.state().Request);
    if (CStr(request.Item(markup::kWeekQueryKey)) != markup::kWeekQueryValue) return;
    posted_date = CStr(request.Item(markup::kWeekDateField));
    name = WeekName(page, Variant(posted_date));
  });
  return name;
}

void WriteWeekResult(PageCore& page, const ReadyTexts& t, const std::u16string& posted_date,
                     const std::u16string& week_name) {
  WriteRowStep(page, [&] { return S(t.result_label); });
  WriteRowStep(page, [&] { return posted_date; });
  WriteRowStep(page, [&] { return week_name; });
  WriteRowStep(page,
               [&] { return Links(page).A(u"", page.state().ThisFileName, S(t.continue_text)); });
}

void WriteWeekForm(PageCore& page, const ReadyTexts& t) {
  PageState& state = page.state();
  const std::u16string field(markup::kWeekDateField);
  const std::u16string target = state.ThisFileName + std::u16string(markup::kWeekQuerySuffix);
  // On a desktop browser this TextIn opens the page's HTML form, whose
  // action is PostFileName. Left alone, the browser would post to the bare
  // page and never reach the second step, so the form is pointed at the
  // same target as the WML task for this one call.
  const std::u16string saved_post_file = state.PostFileName;
  state.PostFileName = target;
  WriteRowStep(page, [&] {
    return Forms(page).TextIn(S(t.date_prompt), u"text", field, TodayText(), S(t.value_prompt),
                              u"");
  });
  state.PostFileName = saved_post_file;
  WriteOutStep(page, [&] {
    return Forms(page).PostSet(u"options", S(t.submit_label), target, u"utf-8", u"post");
  });
  WriteRowStep(page, [&] { return Forms(page).TextMorePost(field, field, u" "); });
  WriteRowStep(page, [&] {
    return CStr(Links(page).AnchorGo(S(t.query_button), target, field, field, u" ", u"post"));
  });
  WriteRowStep(page, [&] {
    std::u16string today = S(t.today_label);
    today.append(TodayText()).append(t.closing_bracket);
    return today.append(WeekName(page, Variant::Missing()));
  });
}

}  // namespace

void PageReadyMembers::WeekQuery() {
  PageCore& page = self();
  const ReadyTexts& t = markup::ReadyTextsOf(page.language());
  std::u16string posted_date;
  const std::u16string week_name = PostedWeekName(page, posted_date);
  // A text that is no date gives no name and so the form again, unannounced.
  if (week_name.empty()) {
    WriteWeekForm(page, t);
  } else {
    WriteWeekResult(page, t, posted_date, week_name);
  }
}

void PageReadyMembers::CallPhone() {
  PageCore& page = self();
  const ReadyTexts& t = markup::ReadyTextsOf(page.language());
  const std::u16string number = u"$(CallPhoneNumber)";
  WriteRowStep(page, [&] {
    return Forms(page).TextIn(S(t.phone_prompt), u"text", u"CallPhoneNumber", u"13",
                              S(t.phone_title), u"format='*m'");
  });
  WriteRowStep(
      page, [&] { return Links(page).PhoneA(S(t.call_link_title), number, S(t.call_link_text)); });
  WriteRowStep(page, [&] { return Links(page).PhoneDo(number, S(t.call_task_label)); });
}

void PageReadyMembers::GoUrl(bool is_show_good_sites) {
  PageCore& page = self();
  const ReadyTexts& t = markup::ReadyTextsOf(page.language());
  const std::u16string url = u"http://$(Url)";
  WriteRowStep(page, [&] {
    return Forms(page).TextIn(S(t.address_prompt), u"text", u"Url", S(markup::kSampleWapHost),
                              S(t.address_title), u"format='*m'");
  });
  WriteRowStep(page, [&] { return Links(page).A(S(t.go_link_title), url, S(t.go_link_text)); });
  WriteRowStep(page, [&] {
    return page.As<PageWmlTaskMembers>().DoGo(url, u"options", S(t.go_task_label), u"", false, u"");
  });
  if (is_show_good_sites) GoodSitesList();
}

void PageReadyMembers::GoodSitesList() {
  PageCore& page = self();
  for (size_t i = 0; i < markup::kPortalSites.size(); ++i) {
    const markup::PortalSite& site = markup::kPortalSites[i];
    auto link = [&] { return Links(page).A(u"", S(site.url), S(site.NameIn(page.language()))); };
    if ((i + 1) % markup::kPortalsPerLine == 0) {
      WriteRowStep(page, link);
    } else {
      WriteOutStep(page, [&] { return link() + u" "; });
    }
  }
}

std::u16string PageReadyMembers::DownPicList(const std::u16string& view_img_path,
                                             const std::u16string& down_img_path,
                                             const std::u16string& tip,
                                             const std::u16string& split_mark) {
  PageCore& page = self();
  Step([&] {
    Response& response = Need(page.state().Response);
    // IA already filtered the tip; the link goes out as it is.
    response.Write(Links(page).IA(view_img_path, down_img_path, tip) + split_mark);
  });
  return {};
}

std::vector<MemberInfo> PageReadyMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family != Family::kW) return {};
  using R = PageReadyMembers;
  return ClassBuilder<R>(u"")
      .Method<&R::WeekQuery>(u"WeekQuery", {})
      .Method<&R::CallPhone>(u"CallPhone", {})
      .Method<&R::GoUrl>(u"GoUrl", {Opt(u"IsShowGoodSites", false)})
      .Method<&R::DownPicList>(u"DownPicList", {Opt(u"ViewImgPath", u""), Opt(u"DownImgPath", u""),
                                                Opt(u"Tip", u""), Opt(u"SplitMark", u" ")})
      .BuildMembers();
}

}  // namespace zorvadel
