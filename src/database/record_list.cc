// Every step below is one unit of error suppression: a step that fails
// costs only itself, and the list goes on with what the earlier steps left.
#include "database/record_list.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "component/group_calls.h"
#include "database/list_texts.h"
#include "platform/ado/ado.h"
#include "runtime/joined.h"
#include "zorvadel/need.h"
#include "zorvadel/runtime.h"

namespace zorvadel::listing {
namespace {

bool IsEmptyText(const Variant& value) {
  return value.IsEmpty() || (value.IsString() && value.string().empty());
}

// A field's value as text. A null value or a name the records lack raise,
// and the caller then gives that row "" rather than the row before's value
// (which would link record N with record N-1's title).
std::u16string FieldText(const ado::Recordset& rs, const std::u16string& name) {
  return CStr(rs.FieldValue(rs.FieldIndex(Variant(name))));
}

void Write(PageCore& page, const std::u16string& text) { Need(page.state().Response).Write(text); }

}  // namespace

std::u16string Number(int64_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string RecordLink(PageCore& page, const std::u16string& url, const std::u16string& text) {
  std::u16string link;
  // Like A, a link that cannot be built is left out, and what follows it
  // is written all the same.
  Step([&] { link = calls::A(page, std::u16string(TextsOf(page).confirm), url, text); });
  return link;
}

std::optional<int32_t> RunningNumber(const PageCore& page) {
  const PageState& s = page.state();
  const int64_t n = (static_cast<int64_t>(s.IPageCurrent) - 1) * s.EveryPageSize + s.IRecordsShown;
  if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(n);
}

std::u16string TotalLine(PageCore& page) { return TotalLine(page, TextsOf(page).total); }

std::u16string TotalLine(PageCore& page, std::u16string_view label) {
  PageState& s = page.state();
  // The recordset's own count, read now: not the opener's RecordCount.
  const int32_t count = Need(s.Rs).RecordCount();
  return calls::Ascii(page, std::u16string(label)) + Number(count) + u";" +
         Number(s.IPageCurrent) + u"/" + Number(s.IPageCount) + u"<br/>";
}

void PreparePaging(PageCore& page) {
  PageState& s = page.state();
  s.IPageSize = s.EveryPageSize;
  // A request that cannot be read counts as one without Page.
  bool absent = true;
  Step([&] { absent = IsEmptyText(Need(s.Request).QueryString(u"Page")); });
  if (absent) {
    s.IPageCurrent = 1;
  } else {
    // Fractions round half to even; text that is no 32-bit number keeps
    // the old value, which the clamps below bring into range.
    Step([&] { s.IPageCurrent = CLng(Need(s.Request).QueryString(u"Page")); });
  }
  Step([&] { Need(s.Rs).SetPageSize(s.IPageSize); });
  Step([&] { Need(s.Rs).SetCacheSize(s.IPageSize); });
  Step([&] { s.IPageCount = Need(s.Rs).PageCount(); });
  if (s.IPageCurrent > s.IPageCount) s.IPageCurrent = s.IPageCount;
  if (s.IPageCurrent < 1) s.IPageCurrent = 1;
}

void ForEachRecordOfPage(PageCore& page, const std::function<void()>& row) {
  PageState& s = page.state();
  s.IRecordsShown = 0;
  for (;;) {
    bool more = false;
    Step([&] { more = !Need(s.Rs).AtEOF(); });
    if (!more || s.IRecordsShown >= s.IPageSize) break;
    ++s.IRecordsShown;
    row();
    Step([&] { Need(s.Rs).MoveNext(); });
  }
}

std::u16string FieldTextOrEmpty(PageCore& page, const std::u16string& name) {
  const ado::Recordset& rs = Need(page.state().Rs);
  const Variant value = rs.FieldValue(rs.FieldIndex(Variant(name)));
  return value.IsNull() ? std::u16string() : CStr(value);
}

void WriteListItemNumber(PageCore& page) {
  PageState& s = page.state();
  Step([&] {
    const std::u16string r = Number(s.IRecordsShown);
    std::u16string marker;
    switch (s.DbListTypeMode) {
      case 1:
      case 2:
      case 3:
      case 4: {
        const std::optional<int32_t> running = RunningNumber(page);
        if (!running) throw ScriptError(kErrOverflow);
        const std::u16string n = Number(*running);
        marker = s.DbListTypeMode == 1   ? u"[" + n + u"]"
                 : s.DbListTypeMode == 2 ? u"(" + n + u")"
                 : s.DbListTypeMode == 3 ? n + u"."
                                         : n + u" ";
        break;
      }
      case 5: marker = u"[" + r + u"]"; break;
      case 6: marker = u"(" + r + u")"; break;
      case 7: marker = r + u"."; break;
      case 8: marker = r + u" "; break;
      case 9: marker = calls::Img(page, s.DbListImgPath, u"", u""); break;
      case 10: marker = s.DblistPreString; break;
      default: return;
    }
    calls::WriteOut(page, marker);
  });
}

void RenderRecordList(PageCore& page) {
  PageState& s = page.state();
  const ListTexts& texts = TextsOf(page);
  if (s.IPageCount == 0) {
    Step([&] { Need(s.Response).Redirect(s.ErrorPagePath); });
  } else {
    // A cursor that cannot page starts at the record it stands on.
    Step([&] { Need(s.Rs).SetAbsolutePage(s.IPageCurrent); });
    const std::u16string place = LCase(s.RsInfoPlace);
    if (place.empty() || place == u"top") Step([&] { Write(page, TotalLine(page)); });

    s.IRecordsShown = 0;
    for (;;) {
      // An unreadable EOF (no recordset) ends the records.
      bool more = false;
      Step([&] { more = !Need(s.Rs).AtEOF(); });
      if (!more || s.IRecordsShown >= s.IPageSize) break;

      std::u16string title, id, header, footer;
      Step([&] {
        const ado::Recordset& rs = Need(s.Rs);
        s.I = rs.FieldCount();
        if (s.I <= 0) return;
        Step([&] { title = calls::SpecialMark(page, FieldText(rs, s.FieldShow)); });
        Step([&] { id = calls::SubmitText(page, FieldText(rs, s.FieldId)); });
        Step([&] { header = calls::SpecialMark(page, FieldText(rs, s.FieldHeader)); });
        Step([&] { footer = calls::SpecialMark(page, FieldText(rs, s.FieldFooter)); });
      });
      ++s.IRecordsShown;
      WriteListItemNumber(page);
      if (!s.DBListSymbol.empty()) Step([&] { calls::WriteOut(page, s.DBListSymbol); });
      const std::optional<int32_t> running = RunningNumber(page);
      if (s.DBListNumber && running) {
        Step([&] { calls::WriteOut(page, Joined({u"[", Number(*running), u"]"})); });
      }
      if (s.DBOrderNumber && running) {
        Step([&] { calls::WriteOut(page, Number(*running) + u"."); });
      }
      Step([&] {
        const std::u16string url = s.GoFileName + u"?" + s.FieldId + u"=" + id + u"&amp;ListId=" +
                                   id + u"&amp;MyPage=" + Number(s.IPageCurrent) +
                                   s.DBListKeyWord;
        std::u16string text = title;
        if (!header.empty()) text = u"[" + header + u"]" + text;
        if (!footer.empty()) text += u"[" + footer + u"]";
        calls::WriteOut(page, calls::A(page, std::u16string(texts.confirm), url, text));
      });
      // A running number out of range cannot be compared: the separator
      // is written, as for any failed test.
      if (!running || (*running != s.RecordCount && s.IRecordsShown != s.IPageSize)) {
        Step([&] { calls::WriteOut(page, s.DbListSplitChar); });
      }
      Step([&] { Need(s.Rs).MoveNext(); });
    }
    Step([&] { Write(page, u"<br/>"); });
  }
  if (LCase(s.RsInfoPlace) == u"bottom") Step([&] { Write(page, TotalLine(page)); });
}

}  // namespace zorvadel::listing
