// Every write below is one unit of error suppression, as in the record
// list. A field that cannot be read costs only its own text: a Null value
// is written as "", never as the value of the record before, and a failure
// never ends a list early, so its bar and CloseData always follow.
#include "database/field_lists.h"

#include <string>
#include <string_view>
#include <vector>

#include "component/group_calls.h"
#include "database/list_texts.h"
#include "database/nav_bars.h"
#include "database/record_list.h"
#include "platform/ado/ado.h"
#include "text/xml_chars.h"
#include "zorvadel/need.h"
#include "zorvadel/runtime.h"

namespace zorvadel::listing {
namespace {

void Write(PageCore& page, const std::u16string& text) { Need(page.state().Response).Write(text); }

std::u16string Filtered(PageCore& page, const std::u16string& text) {
  return calls::Ascii(page, text);
}

enum class TotalAt { kByRsInfoPlace, kTop };

// The redirect when there is no page; else the page is set and the total
// line written above the records (by RsInfoPlace: when it is empty or
// "top" in any letter case). True when there are records to walk.
bool OpenPage(PageCore& page, std::u16string_view label,
              TotalAt at = TotalAt::kByRsInfoPlace) {
  PageState& s = page.state();
  if (s.IPageCount == 0) {
    Step([&] { Need(s.Response).Redirect(s.ErrorPagePath); });
    return false;
  }
  // A cursor that cannot page starts at the record it stands on.
  Step([&] { Need(s.Rs).SetAbsolutePage(s.IPageCurrent); });
  const std::u16string place = LCase(s.RsInfoPlace);
  if (at == TotalAt::kTop || place.empty() || place == u"top") {
    Step([&] { Write(page, TotalLine(page, label)); });
  }
  return true;
}

void ClosePage(PageCore& page, std::u16string_view label) {
  if (LCase(page.state().RsInfoPlace) == u"bottom") {
    Step([&] { Write(page, TotalLine(page, label)); });
  }
}

void WriteSeparator(PageCore& page) {
  if (page.state().EveryPageSize > 1) Step([&] { Write(page, std::u16string(kRecordSeparator)); });
}

// A text list of the layout, split once for the whole list.
struct Pieces {
  Pieces(const std::u16string& text, const std::u16string& split_mark)
      : all_empty(text.empty()), pieces(Split(text, split_mark)) {}
  // Piece k; none past the end of a list that was given. A list left empty
  // wraps every field in nothing, so the defaults still write the fields.
  const std::u16string* At(size_t k) const {
    static const std::u16string kNothing;
    if (all_empty) return &kNothing;
    return k < pieces.size() ? &pieces[k] : nullptr;
  }
  bool all_empty;
  std::vector<std::u16string> pieces;
};

// Each field of the current record in one write, its texts around it. A
// field whose name the records lack, or that has no text before or after
// it in a list that was given, is left out whole.
void WriteFields(PageCore& page, const FieldLayout& layout) {
  const std::vector<std::u16string> names = Split(layout.show_content, layout.split_mark);
  const Pieces before(layout.pre_text, layout.split_mark);
  const Pieces after(layout.last_text, layout.split_mark);
  for (size_t k = 0; k < names.size(); ++k) {
    Step([&] {
      const std::u16string* pre = before.At(k);
      const std::u16string* last = after.At(k);
      if (pre == nullptr || last == nullptr) return;
      const std::u16string value = FieldTextOrEmpty(page, names[k]);
      Write(page, Filtered(page, *pre) + Filtered(page, value) + Filtered(page, *last));
    });
  }
}

}  // namespace

void RenderListShow(PageCore& page, const std::u16string& field_title,
                    const std::u16string& field_content) {
  PageState& s = page.state();
  const std::u16string_view label = TextsOf(page).total;
  if (OpenPage(page, label)) {
    ForEachRecordOfPage(page, [&] {
      std::u16string title, content;
      Step([&] { s.I = Need(s.Rs).FieldCount(); });
      Step([&] { title = FieldTextOrEmpty(page, field_title); });
      Step([&] { content = FieldTextOrEmpty(page, field_content); });
      WriteWapImage(page, s.IndexImage);
      Step([&] { Write(page, Filtered(page, title) + u"<br/>"); });
      Step([&] { Write(page, Filtered(page, content) + u"<br/>"); });
      WriteSeparator(page);
    });
  }
  ClosePage(page, label);
}

void RenderMultiList(PageCore& page, const FieldLayout& layout) {
  if (OpenPage(page, kMultiListTotal)) {
    ForEachRecordOfPage(page, [&] {
      WriteFields(page, layout);
      WriteSeparator(page);
    });
  }
  ClosePage(page, kMultiListTotal);
}

void RenderMultiShow(PageCore& page, const FieldLayout& layout) { WriteFields(page, layout); }

void RenderSiteList(PageCore& page, const std::u16string& site_title,
                    const std::u16string& site_person_name, const std::u16string& site_url) {
  PageState& s = page.state();
  const ListTexts& t = TextsOf(page);
  if (!OpenPage(page, t.total, TotalAt::kTop)) return;
  ForEachRecordOfPage(page, [&] {
    std::u16string name, person, url;
    Step([&] { s.I = Need(s.Rs).FieldCount(); });
    Step([&] { name = FieldTextOrEmpty(page, site_title); });
    Step([&] { person = FieldTextOrEmpty(page, site_person_name); });
    Step([&] { url = FieldTextOrEmpty(page, site_url); });
    // The filter sees each label with its value.
    Step([&] { Write(page, Filtered(page, std::u16string(t.site) + name) + u"<br/>"); });
    Step([&] { Write(page, Filtered(page, std::u16string(t.person) + person) + u"<br/>"); });
    // A link to nowhere would only bring the visitor back here.
    if (!url.empty()) {
      Step([&] { Write(page, RecordLink(page, url, std::u16string(t.visit)) + u"<br/>"); });
    }
    WriteSeparator(page);
  });
}

void RenderLinkList(PageCore& page) {
  PageState& s = page.state();
  const std::u16string_view label = TextsOf(page).total;
  if (OpenPage(page, label)) {
    // The separator is markup the site sets, written as set but for what
    // XML cannot carry, as every markup argument is.
    std::u16string split;
    text::AppendXmlCarried(s.DbListSplitChar, &split);
    ForEachRecordOfPage(page, [&] {
      std::u16string text, url;
      Step([&] { s.I = Need(s.Rs).FieldCount(); });
      Step([&] { text = FieldTextOrEmpty(page, s.FieldShow); });
      Step([&] { url = FieldTextOrEmpty(page, s.FieldUrl); });
      WriteWapImage(page, s.IndexImage);
      // The row's number on this page, from 1 on every page.
      const std::u16string n = Number(s.IRecordsShown);
      if (!s.DBListSymbol.empty()) Step([&] { calls::WriteOut(page, s.DBListSymbol); });
      if (s.DBListNumber) Step([&] { calls::WriteOut(page, u"[" + n + u"]"); });
      if (s.DBOrderNumber) Step([&] { calls::WriteOut(page, n + u"."); });
      Step([&] { Write(page, RecordLink(page, url, text) + split); });
    });
    if (s.DbListSplitChar != u"<br/>") Step([&] { Write(page, u"<br/>"); });
  }
  ClosePage(page, label);
}

}  // namespace zorvadel::listing
