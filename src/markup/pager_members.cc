// The long-text pagers. Each request recomputes its page from the text and
// the query alone; every write is a step of its own, so a builder or a
// response that fails costs only its own piece.
#include "zorvadel/markup/pager_members.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "component/group_calls.h"
#include "markup/page_cut.h"
#include "markup/pager_texts.h"
#include "runtime/decimal_text.h"
#include "text/attribute_escape.h"
#include "zorvadel/markup/link_members.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using markup::PagerTexts;

std::u16string S(std::u16string_view view) { return std::u16string(view); }

const PagerTexts& TextsOf(PageCore& page) { return markup::PagerTextsOf(page.language()); }

// One Response.Write of what `build` gives.
template <typename F>
void WriteStep(PageCore& page, F&& build) {
  Step([&] {
    const std::u16string text = build();
    Need(page.state().Response).Write(text);
  });
}

std::u16string Filtered(PageCore& page, std::u16string_view text) {
  return calls::Ascii(page, S(text));
}

// Every pager link: titled with the confirm word, without an id. A filters
// its title and label itself.
std::u16string Link(PageCore& page, const std::u16string& url, std::u16string_view label) {
  return page.As<PageLinkMembers>().A(S(TextsOf(page).confirm), url, S(label), u"#");
}

std::u16string Address(PageCore& page, std::u16string_view query, std::u16string_view number) {
  std::u16string url = page.state().ThisFileName;
  return url.append(query).append(number);
}

// Where a request value may come from. A page without a request reads every
// key as absent.
enum class Source {
  kQuery,
  kAny,  // every collection, as Request(key) searches them
  // Not the cookies: a cookie that held a page number would redirect every
  // visit to that page, itself included.
  kQueryOrForm,
};

Variant RequestValue(PageCore& page, std::u16string_view key, Source source) {
  Variant value;
  Step([&] {
    Request& request = Need(page.state().Request);
    switch (source) {
      case Source::kQuery:
        value = request.QueryString(key);
        break;
      case Source::kAny:
        value = request.Item(key);
        break;
      case Source::kQueryOrForm:
        value = request.QueryString(key);
        if (value.IsEmpty()) value = request.Form(key);
        break;
    }
  });
  return value;
}

std::u16string TextOf(const Variant& value) {
  return value.IsString() ? value.string() : std::u16string();
}

// MyStart as a whole 32-bit number (a half to the even neighbour); missing,
// empty, no number or out of range gives 0.
int64_t WholeStart(const Variant& value) {
  int32_t start = 0;
  Step([&] { start = CLng(value); });
  return start;
}

// Where MorePage and AutoPage stand: the text's length, the page length, the
// requested start (at least 1) and the page numbers. The page number comes
// from the start as received: a start below 1 shows the first page under the
// number it asked for.
struct Position {
  int64_t long_text;
  int64_t length;
  int64_t my_start;
  int64_t many_pages;
  int64_t now_page;
};

// A position as a link carries it: whole numbers in plain digits, fractions
// as the runtime prints them.
std::u16string NumberText(double value) {
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    return DecimalText(static_cast<int64_t>(value));
  }
  std::u16string text;
  Step([&] { text = CStr(Variant(value)); });
  return text;
}

// The unit at which a (possibly fractional) position starts its cut.
int64_t CutStart(double position, size_t text_size) {
  const double whole = RoundHalfEven(position);
  const auto past_end = static_cast<double>(text_size) + 1;
  return whole >= past_end ? static_cast<int64_t>(past_end) : static_cast<int64_t>(whole);
}

int64_t PageCount(int64_t long_text, int64_t length) {
  return long_text / length + (long_text % length != 0 ? 1 : 0);
}

Position PositionOf(PageCore& page, const std::u16string& text, int16_t text_long) {
  Position at;
  at.long_text = static_cast<int64_t>(text.size());
  at.length = text_long;
  at.my_start = WholeStart(RequestValue(page, markup::kStartKey, Source::kQuery));
  at.many_pages = PageCount(at.long_text, at.length);
  at.now_page = at.my_start / at.length + 1;
  if (at.my_start <= 0) at.my_start = 1;
  return at;
}

// A row of links jumping 1 to 9 pages forward (+1) or back (-1): the first
// rung whose farthest page starts within the text decides the links. No
// rung, no row (not even its line break).
void WriteJumpRow(PageCore& page, int64_t my_start, int64_t length, int64_t long_text,
                  int direction) {
  for (const markup::JumpRung& rung : markup::kJumpRungs) {
    const int64_t farthest = my_start + direction * rung.pages * length;
    if (farthest > long_text || (direction < 0 && farthest < 1)) continue;
    for (size_t i = 0; i < rung.distances.size(); ++i) {
      const int32_t j = rung.distances[i];
      const bool last = i + 1 == rung.distances.size();
      WriteStep(page, [&] {
        const std::u16string target = DecimalText(my_start + direction * j * length);
        return Link(page, Address(page, markup::kStartQuery, target), DecimalText(j)) +
               S(last ? markup::kLineBreak : u" ");
      });
    }
    return;
  }
}

}  // namespace

// ---- EasyMorePage ----------------------------------------------------------------

std::vector<std::u16string> PagePagerMembers::EasyMorePieces(const std::u16string& to_show_content,
                                                             int16_t text_long, bool is_ubb) {
  PageCore& page = self();
  std::vector<std::u16string> pieces;
  if (text_long < 1) return pieces;
  const PagerTexts& t = TextsOf(page);
  const auto long_text = static_cast<double>(to_show_content.size());
  const Source source = page.family() == Family::kP ? Source::kAny : Source::kQuery;
  const std::u16string direction = TextOf(RequestValue(page, markup::kDirectionKey, source));
  const Variant received = RequestValue(page, markup::kEasyStartKey, source);

  // A missing position counts as 0 and moves; one that is present but no
  // number cannot move, and like any position below 1 gives the first page.
  double position = 0.0;
  const bool movable =
      received.IsEmpty() || (received.IsString() && ParseNumber(received.string(), &position));
  if (movable) position += direction == markup::kForwardDirection ? text_long : -text_long;
  if (!movable || !(position > 0)) position = 1;

  Step([&] {
    const int64_t start = CutStart(position, to_show_content.size());
    pieces.push_back(
        calls::Ascii(page, markup::PageCut(page, to_show_content, start, text_long, is_ubb)));
    pieces.back().append(markup::kLineBreak);
  });

  // Both links carry the shown position; the request they lead to moves it.
  const std::u16string shown = NumberText(position);
  auto add_link = [&](std::u16string_view query, std::u16string_view label) {
    Step([&] {
      pieces.push_back(Link(page, Address(page, query, shown), label) + S(markup::kLineBreak));
    });
  };
  const bool next_fits = position + text_long <= long_text;
  if (position > 1 && next_fits) {
    add_link(markup::kEasyNextQuery, t.next_label);
    add_link(markup::kEasyPreviousQuery, t.previous_label);
  } else if (position < text_long || position == 1) {
    // Position 1 is the first page for every length, 1 included.
    if (next_fits) add_link(markup::kEasyNextQuery, t.next_label);
  } else if (!next_fits) {
    add_link(markup::kEasyPreviousQuery, t.previous_label);
  }
  return pieces;
}

void PagePagerMembers::EasyMorePage(const std::u16string& to_show_content, int16_t text_long,
                                    bool is_ubb) {
  PageCore& page = self();
  for (const std::u16string& piece : EasyMorePieces(to_show_content, text_long, is_ubb)) {
    WriteStep(page, [&] { return piece; });
  }
}

Variant PagePagerMembers::EasyMorePageText(const std::u16string& to_show_content, int16_t text_long,
                                           bool is_ubb) {
  std::u16string text;
  for (const std::u16string& piece : EasyMorePieces(to_show_content, text_long, is_ubb)) {
    text.append(piece);
  }
  return Variant(std::move(text));
}

// ---- MorePage --------------------------------------------------------------------

void PagePagerMembers::MorePage(const std::u16string& to_show_content, int16_t text_long,
                                bool is_ubb, bool is_this_show_image) {
  PageCore& page = self();
  if (text_long < 1) return;
  const PagerTexts& t = TextsOf(page);
  const PageState& state = page.state();
  const Position at = PositionOf(page, to_show_content, text_long);

  WriteStep(page, [&] {
    std::u16string out =
        Filtered(page, markup::PageCut(page, to_show_content, at.my_start, at.length, is_ubb));
    out.append(markup::kPieceRule);
    return out;
  });
  WriteStep(page, [&] {
    std::u16string line = Filtered(page, t.count_before);
    line.append(DecimalText(at.many_pages)).append(Filtered(page, t.count_between));
    line.append(DecimalText(at.now_page));
    if (!t.count_after.empty()) line.append(Filtered(page, t.count_after));
    return line.append(markup::kLineBreak);
  });

  const bool images = is_this_show_image && page.family() == Family::kW;
  auto label = [&](bool forward) {
    if (images) {
      WriteStep(page, [&] {
        return page.As<PageLinkMembers>().Image(forward ? state.NextPage : state.PrePage, u"", u"");
      });
    }
    WriteStep(page, [&] { return Filtered(page, forward ? t.forward_label : t.backward_label); });
  };
  const bool next_fits = at.my_start + at.length <= at.long_text;
  if (next_fits && at.my_start > 1) {
    label(true);
    WriteJumpRow(page, at.my_start, at.length, at.long_text, +1);
    label(false);
    WriteJumpRow(page, at.my_start, at.length, at.long_text, -1);
  } else if (at.my_start < at.length || at.my_start == 1) {
    // Position 1 is the first page for every length, 1 included.
    if (at.long_text > at.length) label(true);
    WriteJumpRow(page, at.my_start, at.length, at.long_text, +1);
  } else if (!next_fits && at.my_start > 1) {
    label(false);
    WriteJumpRow(page, at.my_start, at.length, at.long_text, -1);
  }
}

// ---- AutoPage --------------------------------------------------------------------

void PagePagerMembers::AutoPage(const std::u16string& to_show_content, int16_t text_long,
                                bool is_ubb, int16_t style_mode) {
  PageCore& page = self();
  if (text_long < 1) return;
  const PagerTexts& t = TextsOf(page);
  const PageState& state = page.state();
  const Position at = PositionOf(page, to_show_content, text_long);

  // The rest-of-text link asks for a longer cut; the page numbers and the
  // links stay those of the argument. A length that is no number, too large
  // or negative leaves the piece empty.
  std::u16string piece;
  Step([&] {
    const std::u16string asked = TextOf(RequestValue(page, markup::kCutLengthKey, Source::kAny));
    const int64_t cut = asked.empty() ? at.length : CLng(Variant(asked));
    if (cut >= 0) piece = markup::PageCut(page, to_show_content, at.my_start, cut, is_ubb);
  });
  Step([&] { calls::WriteOut(page, piece.append(markup::kPieceRule)); });

  // The links go out as A built them, unfiltered: a second pass of the
  // filter could put a highlighted keyword inside an address.
  const bool has_next = at.my_start + at.length <= at.long_text;
  const int64_t back = at.my_start - at.length;
  const bool has_previous = back >= 1 && back <= at.long_text;
  auto write_link = [&](int64_t target, std::u16string_view label, std::u16string_view after) {
    WriteStep(page, [&] {
      return Link(page, Address(page, markup::kStartQuery, DecimalText(target)), label) + S(after);
    });
  };
  auto write_numbers = [&](std::u16string_view before, std::u16string_view separator,
                           std::u16string_view after) {
    WriteStep(page, [&] {
      std::u16string numbers(before);
      numbers.append(DecimalText(at.now_page)).append(separator).append(DecimalText(at.many_pages));
      return numbers.append(after);
    });
  };
  auto write_single_page_note = [&] {
    if (at.many_pages == 1) Step([&] { calls::WriteOut(page, S(t.single_page_note) + u" "); });
  };

  switch (style_mode) {
    case 0: {
      write_numbers(u"[", u"/", u"] ");
      if (has_next) write_link(at.my_start + at.length, state.NextPageTitle, u" ");
      if (has_previous) write_link(back, state.PrePageTitle, u" ");
      // Starts where the next page would and reaches past the end: the
      // whole rest on one page, written on the last page too.
      WriteStep(page, [&] {
        std::u16string url =
            Address(page, markup::kStartQuery, DecimalText(at.my_start + at.length));
        url.append(markup::kCutLengthQuery).append(DecimalText(at.long_text - at.my_start + 5));
        return Link(page, url, state.ResidualString) + S(markup::kLineBreak);
      });
      break;
    }
    case 1: {
      if (has_next) write_link(at.my_start + at.length, state.NextPageTitle, u" ");
      if (has_previous) write_link(back, state.PrePageTitle, u" ");
      write_single_page_note();
      // The jump form posts without a query, so my_start is 1 here and the
      // target is the first unit of the typed page.
      const std::u16string typed =
          TextOf(RequestValue(page, markup::kGoPageKey, Source::kQueryOrForm));
      double number = 0.0;
      if (!typed.empty() && ParseNumber(typed, &number)) {
        const double target =
            static_cast<double>(at.my_start) + static_cast<double>(at.length) * (number - 1);
        // A page number so large that its start has no number leads nowhere.
        if (std::isfinite(target)) {
          Step([&] {
            Need(page.state().Response)
                .Redirect(Address(page, markup::kStartQuery, NumberText(target)));
          });
        }
      }
      write_numbers(u"(", u"/", u")<br/>");
      Step([&] {
        std::u16string form(markup::kGoFormStart);
        text::AppendAttributeText(state.ThisFileName, &form, text::AttributeQuote::kSingle);
        form.append(t.go_form_middle).append(DecimalText(at.now_page));
        calls::WriteRow(page, form.append(t.go_form_end));
      });
      break;
    }
    case 2: {
      if (has_next) write_link(at.my_start + at.length, t.arrow_next, u" ");
      write_numbers(u" ", t.arrow_separator, u" ");
      if (has_previous) write_link(back, t.arrow_previous, u" ");
      write_single_page_note();
      Step([&] { calls::WriteRow(page, u""); });
      break;
    }
    default:
      break;
  }
}

// ---- Member table ----------------------------------------------------------------

namespace {

using M = PagePagerMembers;

// The XHTML classes' MorePage has no picture switch.
void XhtmlMorePage(M& self, const std::u16string& to_show_content, int16_t text_long, bool is_ubb) {
  self.MorePage(to_show_content, text_long, is_ubb, false);
}

constexpr int16_t kDefaultLength = 1000;
constexpr int16_t kEnWapDefaultLength = 300;
// EnXML's AutoPage writes no navigation unless asked for a style.
constexpr int16_t kEnglishStyleMode = 3;

}  // namespace

std::vector<MemberInfo> PagePagerMembers::MemberTable(const PageClassTraits& traits) {
  const bool english = traits.language == PageLanguage::kEnglish;
  ClassBuilder<M> b(u"");
  switch (traits.family) {
    case Family::kX:
      b.Method<&M::EasyMorePage>(
           u"EasyMorePage",
           {Req(u"ToShowContent"), Opt(u"TextLong", kDefaultLength), Opt(u"IsUbb", true)})
          .Method<&XhtmlMorePage>(
              u"MorePage",
              {Req(u"ToShowContent"), Opt(u"TextLong", kDefaultLength), Opt(u"IsUbb", true)})
          .Method<&M::AutoPage>(
              u"AutoPage",
              {Req(u"ToShowContent"), Opt(u"TextLong", kDefaultLength), Opt(u"IsUbb", true),
               Opt(u"StyleMode", english ? kEnglishStyleMode : int16_t{0})});
      break;
    case Family::kW:
      b.Method<&M::EasyMorePage>(
           u"EasyMorePage",
           {Req(u"ToShowContent"), Opt(u"TextLong", english ? kEnWapDefaultLength : kDefaultLength),
            Opt(english ? u"IsUseUbbWml" : u"IsUbb", true)})
          .Method<&M::MorePage>(u"MorePage",
                                {Req(u"ToShowContent"), Opt(u"TextLong", kDefaultLength),
                                 Opt(u"IsUbb", true), Opt(u"IsThisShowImage", false)});
      break;
    case Family::kP:
      b.Method<&M::EasyMorePageText>(
          u"EasyMorePage",
          {Req(u"ToShowContent"), Opt(u"TextLong", kDefaultLength), Opt(u"IsUbb", true)});
      break;
  }
  return b.BuildMembers();
}

}  // namespace zorvadel
