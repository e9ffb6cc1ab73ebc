// Each write below is one unit of error suppression: a link that cannot be
// built (a page number past the 32-bit range, a failing builder) loses only
// its own piece of the bar.
#include "database/nav_bars.h"

#include <cstdint>
#include <limits>
#include <string>

#include "component/group_calls.h"
#include "database/list_texts.h"
#include "database/record_list.h"
#include "runtime/joined.h"
#include "text/xml_chars.h"
#include "zorvadel/database/database_members.h"
#include "zorvadel/need.h"
#include "zorvadel/runtime.h"

namespace zorvadel::listing {
namespace {

enum class LinkForm { kPlain, kCarried, kKeyword };

// The address of page n in the bar's form. Raises when n leaves the
// 32-bit range, so that the step writing it is skipped.
std::u16string Address(const PageState& s, int64_t n, LinkForm form) {
  if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max()) {
    throw ScriptError(kErrOverflow);
  }
  std::u16string url = s.ThisFileName + u"?Page=" + Number(n);
  if (form == LinkForm::kCarried) url += s.DbToTransParameters;
  if (form == LinkForm::kKeyword) url += u"&amp;KeyWord=" + s.KeyWord;
  return url;
}

std::u16string Link(PageCore& page, const std::u16string& url, std::u16string_view text) {
  return calls::A(page, std::u16string(TextsOf(page).confirm), url, std::u16string(text));
}

void Write(PageCore& page, const std::u16string& text) { Need(page.state().Response).Write(text); }

// One piece: the link to page n with `text`, then `after`.
void WriteLink(PageCore& page, int64_t n, LinkForm form, std::u16string_view text,
               std::u16string_view after) {
  Step([&] {
    Write(page, Link(page, Address(page.state(), n, form), text) + std::u16string(after));
  });
}

std::u16string Bracketed(int64_t n) { return Joined({u"[", Number(n), u"]"}); }

}  // namespace

void WriteWapImage(PageCore& page, const std::u16string& path) {
  const PageState& s = page.state();
  if (page.family() != Family::kW || page.language() != PageLanguage::kChinese) return;
  if (!s.DBIsShowImage) return;
  Step([&] { Write(page, calls::Image(page, path, u"", u"")); });
}

void RenderFirstLastNav(PageCore& page) {
  const PageState& s = page.state();
  const ListTexts& t = TextsOf(page);
  const int64_t c = s.IPageCurrent;
  const int64_t n = s.IPageCount;
  if (c < n) {
    WriteWapImage(page, s.NextPage);
    WriteLink(page, c + 1, LinkForm::kCarried, t.next_page, u" ");
    WriteLink(page, n, LinkForm::kCarried, t.last_page, u" <br/>");
  }
  if (c != 1) {
    WriteWapImage(page, s.PrePage);
    WriteLink(page, c - 1, LinkForm::kCarried, t.previous_page, u" ");
    WriteLink(page, 1, LinkForm::kCarried, t.first_page, u" <br/>");
  }
}

void RenderPrevNextNav(PageCore& page) {
  const PageState& s = page.state();
  const ListTexts& t = TextsOf(page);
  const int64_t c = s.IPageCurrent;
  if (c < s.IPageCount) {
    WriteWapImage(page, s.NextPage);
    WriteLink(page, c + 1, LinkForm::kPlain, t.next_page, u"<br/>");
  }
  if (c != 1) {
    WriteWapImage(page, s.PrePage);
    WriteLink(page, c - 1, LinkForm::kPlain, t.previous_page, u"<br/>");
  }
}

void RenderNumberedNav(PageCore& page) {
  const PageState& s = page.state();
  const ListTexts& t = TextsOf(page);
  const int64_t c = s.IPageCurrent;
  const int64_t n = s.IPageCount;
  if (c < n) {
    WriteLink(page, c + 1, LinkForm::kPlain, t.next_page, u" ");
    for (int k = 2; k <= 5; ++k) {
      if (c + k < n) {
        WriteLink(page, c + k, LinkForm::kPlain, Bracketed(c + k), k == 5 ? u" ... " : u" ");
      }
    }
    WriteLink(page, n, LinkForm::kPlain, Bracketed(n), u" <br/>");
  }
  if (c != 1) {
    WriteLink(page, c - 1, LinkForm::kPlain, t.previous_page, u" ");
    for (int k = 2; k <= 5; ++k) {
      if (c - k > 1) {
        WriteLink(page, c - k, LinkForm::kPlain, Bracketed(c - k), k == 5 ? u" ... " : u" ");
      }
    }
    WriteLink(page, 1, LinkForm::kPlain, u"[1]", u" <br/>");
  }
}

void RenderKeywordNav(PageCore& page) {
  const PageState& s = page.state();
  const int64_t c = s.IPageCurrent;
  const int64_t n = s.IPageCount;
  if (c != 1) {
    if (c - 3 > 0) WriteLink(page, c - 3, LinkForm::kKeyword, u"&lt;", u" ");
    if (c - 2 > 0) WriteLink(page, c - 2, LinkForm::kKeyword, Number(c - 2), u" ");
    if (c - 1 > 0) WriteLink(page, c - 1, LinkForm::kKeyword, Number(c - 1), u" ");
  }
  Step([&] { Write(page, u"<b>" + Number(c) + u"</b> "); });
  if (c < n) {
    if (c + 1 <= n) WriteLink(page, c + 1, LinkForm::kKeyword, Number(c + 1), u" ");
    if (c + 2 <= n) WriteLink(page, c + 2, LinkForm::kKeyword, Number(c + 2), u" ");
    if (c + 3 <= n) WriteLink(page, c + 3, LinkForm::kKeyword, u"&gt;", u" ");
  }
  Step([&] { Write(page, u"<br/>"); });
}

void BuildTransParameters(PageCore& page, DatabaseKind kind) {
  PageState& s = page.state();
  PageDatabaseMembers& database = page.As<PageDatabaseMembers>();
  // Always all three reads, whatever the names hold: each is a full show.
  const std::u16string* names[] = {&s.TransFirstFieldName, &s.TransSecondFieldName,
                                   &s.TransThirdFieldName};
  std::u16string values[3];
  for (int i = 0; i < 3; ++i) Step([&] { values[i] = database.Show(kind, *names[i]); });
  // Rebuilt from the values that are there, so a second list on the same
  // page object carries each field once; an all-empty read keeps what the
  // script or an earlier list left.
  std::u16string carried;
  bool any = false;
  for (int i = 0; i < 3; ++i) {
    if (values[i].empty()) continue;
    any = true;
    Step([&] { carried += u"&amp;" + *names[i] + u"=" + calls::SubmitText(page, values[i]); });
  }
  if (any) s.DbToTransParameters = carried;
}

void WritePageJumpBox(PageCore& page) {
  const PageState& s = page.state();
  const ListTexts& t = TextsOf(page);
  Step([&] {
    // The jump box's markup, as the site sets it, less what XML cannot carry.
    std::u16string box;
    text::AppendXmlCarried(s.WmlGoPage, &box);
    Write(page, calls::Ascii(page, std::u16string(t.jump_to)) + box +
                    calls::A(page, std::u16string(t.confirm), s.ThisFileName + u"?Page=$(pn)",
                             u"GO") +
                    u"<br/>");
  });
}

}  // namespace zorvadel::listing
