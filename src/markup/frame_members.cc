// The page-frame members: which response settings each header applies, which
// pieces it writes in which order, and when it runs the guard. The markup
// itself is built in wml_frame.cc, xhtml_frame.cc and banner.cc.
//
// A header that finds a guard word writes its warning before it ends the
// response: the engine drops writes after the end, and the warning closes
// the card or body that the header opened, so writing it afterwards would
// leave the client a page cut off inside its first card. The guard's own
// member, SQLInjection, ends the response at once, so the headers run only
// its test (output/sql_guard.h) and end the response themselves, once.
#include "component/group_calls.h"
#include "zorvadel/markup/frame_members.h"

#include <string>
#include <utility>

#include "output/scratch_text.h"
#include "output/sql_guard.h"
#include "output/terminal.h"
#include "markup/banner.h"
#include "markup/wml_frame.h"
#include "markup/xhtml_frame.h"
#include "text/xml_chars.h"
#include "zorvadel/markup/fragment_members.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

constexpr std::u16string_view kDefaultCacheControl = u"max-age=300";

// The output group, whose filter, writes and response settings the frames
// use throughout.
PageFragmentMembers& Fragments(PageCore& page) { return page.As<PageFragmentMembers>(); }

}  // namespace

// ---- Shared steps ------------------------------------------------------------------

void PageFrameMembers::Write(std::u16string_view text) {
  PageState& state = self().state();
  Step([&] { Need(state.Response).Write(text); });
}

// A Displayer that fails leaves an empty answer: a terminal other than "Web".
bool PageFrameMembers::IsWeb() {
  std::u16string kind;
  Step([&] { kind = calls::Displayer(self()); });
  return kind == output::kTerminalWeb;
}

std::u16string PageFrameMembers::CleanTitle(const std::u16string& title) {
  PageCore& page = self();
  std::u16string cleaned;
  Step([&] { cleaned = calls::DelSpecialMark(page, title); });
  std::u16string filtered;
  Step([&] { filtered = calls::Ascii(page, cleaned); });
  return filtered;
}

void PageFrameMembers::WriteStyleSheet(const std::u16string& name, bool html, bool line_break) {
  PageCore& page = self();
  if (markup::IsStyleSheetName(name)) {
    std::u16string link = markup::StyleSheetLink(
        name, html ? markup::MarkupDialect::kHtml : markup::MarkupDialect::kXhtml);
    if (line_break) link += u"\r\n";
    Write(link);
  } else if (html) {
    Step([&] { Fragments(page).HtmlStyleCss(); });
  } else {
    Step([&] { Fragments(page).XhtmlStyleCss(); });
  }
}

bool PageFrameMembers::GuardFinds() const {
  const PageState& state = self().state();
  // Every page header runs the guard: the two texts are read into buffers
  // kept for this thread rather than allocated anew. Nothing the guard calls
  // runs the guard again, so they are never taken while in use.
  thread_local std::u16string query;
  thread_local std::u16string host;
  query.clear();
  host.clear();
  // Without a request both read as empty, and an empty haystack holds no
  // word.
  Step([&] {
    if (state.Request) state.Request->ServerVariablesInto(u"QUERY_STRING", query);
  });
  Step([&] {
    if (state.Request) state.Request->ServerVariablesInto(u"HTTP_HOST", host);
  });
  std::u16string_view words = self().family() == Family::kP
                                  ? output::kPhpGuardWords
                                  : std::u16string_view(state.SQLInjData);
  return output::CountGuardWords(words,
                                 output::GuardHaystackIn(query, host)) > 0;
}

void PageFrameMembers::Refuse(std::u16string_view warning) {
  PageCore& page = self();
  Step([&] { calls::WriteOut(page, std::u16string(warning)); });
  Step([&] { Need(page.state().Response).End(); });
}

// ---- WML deck ------------------------------------------------------------------------

void PageFrameMembers::PutFileType(const std::u16string& en_code_type) {
  if (IsWeb()) return;
  calls::PutWmlContentType(self(), /*web=*/false);
  Write(markup::WmlPrologAndDoctype(en_code_type));
}

void PageFrameMembers::PutPageHeader(const std::u16string& cache_control, bool forua,
                                     const std::u16string& other_att) {
  if (IsWeb()) {
    HtmlHeader(u"");
    return;
  }
  PageCore& page = self();
  Write(markup::WmlDeckHead(cache_control, forua, other_att));
  if (!GuardFinds()) return;
  // The deck has no card yet: the warning needs one to stand in.
  Step([&] {
    calls::WriteOut(page, Fragments(page).Card(
        std::u16string(markup::kWmlFirstCardId), page.state().CardTitle, u"left", u"wrap",
        /*new_context=*/false, /*is_first_card=*/true, u"", u"", u""));
  });
  Refuse(markup::WmlGuardWarning(markup::WmlHeaderKind::kPutPageHeader, page.language()));
}

void PageFrameMembers::PageHeader(const std::u16string& cache_control, bool forua,
                                  const std::u16string& other_att) {
  WriteDeckStart(cache_control, forua, other_att, IsWeb());
}

void PageFrameMembers::WriteDeckStart(std::u16string_view cache_control, bool forua,
                                      std::u16string_view other_att, bool web) {
  PageCore& page = self();
  calls::PutWmlContentType(page, web);
  output::ScratchText title;
  Step([&] { calls::AppendAscii(page, page.state().CardTitle, &*title); });
  output::ScratchText deck;
  markup::AppendWmlDeckStart(&*deck, page.state().WapEnCoding, cache_control, forua, other_att,
                             *title);
  Write(*deck);
  if (GuardFinds()) {
    Refuse(markup::WmlGuardWarning(markup::WmlHeaderKind::kPageHeader, page.language()));
  }
}

void PageFrameMembers::PageFooter() {
  const bool english = self().language() == PageLanguage::kEnglish;
  output::ScratchText end;
  markup::AppendFooterBanner(&*end, english ? markup::kEnWapBannerTag : markup::kWapBannerTag,
                             /*with_version=*/true);
  end->append(markup::kWmlDeckEnd);
  Write(*end);
}

void PageFrameMembers::PutPageFooter() {
  if (IsWeb()) {
    HtmlFooter();
  } else {
    PageFooter();
  }
}

void PageFrameMembers::AutoHeader(const std::u16string& html_css_file_name) {
  if (IsWeb()) {
    HtmlHeader(html_css_file_name);
  } else {
    WriteDeckStart(kDefaultCacheControl, true, u"", /*web=*/false);
  }
}

void PageFrameMembers::AutoFooter() { PutPageFooter(); }

// ---- XHTML and HTML ----------------------------------------------------------------

void PageFrameMembers::FinishMainBodyHeader(const std::u16string& xhtml_css_file_name,
                                            const std::u16string& bg_sound_path,
                                            const std::u16string& other_att,
                                            std::u16string_view warning) {
  WriteStyleSheet(xhtml_css_file_name, /*html=*/false, /*line_break=*/true);
  if (!bg_sound_path.empty()) Write(markup::BackgroundSound(bg_sound_path));
  if (!other_att.empty()) {
    std::u16string head_markup;
    text::AppendXmlCarried(other_att, &head_markup);
    Write(head_markup);
  }
  Write(markup::kMainBodyOpening);
  if (GuardFinds()) Refuse(warning);
}

void PageFrameMembers::XhtmlHeader(const std::u16string& xhtml_css_file_name,
                                   const std::u16string& bg_sound_path,
                                   const std::u16string& other_att) {
  PageCore& page = self();
  PageState& state = page.state();
  switch (page.family()) {
    case Family::kP:
      return;
    case Family::kW:
      calls::SetUtf8Response(page);
      Write(markup::WapXhtmlHead(state.WapEnCoding, CleanTitle(state.CardTitle)));
      WriteStyleSheet(xhtml_css_file_name, /*html=*/false, /*line_break=*/false);
      Write(markup::kMarginlessBodyOpening);
      return;
    case Family::kX:
      calls::SetUtf8Response(page);
      Write(markup::XhtmlHead(state.WapEnCoding, CleanTitle(state.SiteTitle)));
      // XML and EnXML alike warn in Chinese here.
      FinishMainBodyHeader(
          xhtml_css_file_name, bg_sound_path, other_att,
          markup::XhtmlGuardWarning(markup::XhtmlHeaderKind::kXhtmlHeader, page.language()));
      return;
  }
}

void PageFrameMembers::G3Header(const std::u16string& xhtml_css_file_name,
                                const std::u16string& bg_sound_path,
                                const std::u16string& other_att) {
  PageCore& page = self();
  calls::SetUtf8Response(page);
  Write(markup::StrictHead(page.state().WapEnCoding, CleanTitle(page.state().SiteTitle)));
  FinishMainBodyHeader(
      xhtml_css_file_name, bg_sound_path, other_att,
      markup::XhtmlGuardWarning(markup::XhtmlHeaderKind::kG3Header, page.language()));
}

void PageFrameMembers::XhtmlFooter() {
  const PageCore& page = self();
  switch (page.family()) {
    case Family::kP:
      return;
    case Family::kW: {
      output::ScratchText end;
      markup::AppendFooterBanner(&*end, markup::kWapXhtmlBannerTag, /*with_version=*/false);
      end->append(markup::kBodyEnd);
      Write(*end);
      return;
    }
    case Family::kX: {
      const bool english = page.language() == PageLanguage::kEnglish;
      output::ScratchText end;
      markup::AppendFooterBanner(&*end, english ? markup::kEnXmlBannerTag : markup::kXmlBannerTag,
                                 /*with_version=*/true);
      end->append(markup::kMainBodyEnd);
      Write(*end);
      return;
    }
  }
}

void PageFrameMembers::G3Footer() { XhtmlFooter(); }

void PageFrameMembers::HtmlHeader(const std::u16string& html_css_file_name) {
  PageCore& page = self();
  PageState& state = page.state();
  calls::SetUtf8Response(page);
  if (state.SiteTitle.empty()) state.SiteTitle = state.CardTitle;
  Write(markup::HtmlHead(CleanTitle(state.SiteTitle)));
  WriteStyleSheet(html_css_file_name, /*html=*/true, /*line_break=*/false);
  Write(markup::kMarginlessBodyOpening);
  if (GuardFinds()) {
    Refuse(markup::XhtmlGuardWarning(markup::XhtmlHeaderKind::kHtmlHeader, page.language()));
  }
}

void PageFrameMembers::HtmlFooter() { Write(markup::kBodyEnd); }

std::u16string PageFrameMembers::XhtmlHeaderText(const std::u16string& xhtml_css_file_name) {
  PageCore& page = self();
  calls::SetUtf8Response(page);
  std::u16string title;
  Step([&] { title = calls::Ascii(page, page.state().SiteTitle); });
  std::u16string head = markup::PhpXhtmlHead(title);
  if (markup::IsStyleSheetName(xhtml_css_file_name)) {
    head += markup::StyleSheetLink(xhtml_css_file_name, markup::MarkupDialect::kXhtml);
  } else {
    Step([&] { head += Fragments(page).XhtmlStyleCssText(); });
  }
  head += markup::kMarginlessBodyOpening;
  return head;
}

std::u16string PageFrameMembers::XhtmlFooterText() const {
  return markup::FooterBanner(markup::kPhpBannerTag, /*with_version=*/true) +
         std::u16string(markup::kBodyEnd);
}

// ---- Member table ----------------------------------------------------------------

namespace {

// The one-argument XhtmlHeader of the WML classes.
void WmlClassXhtmlHeader(PageFrameMembers& self, const std::u16string& xhtml_css_file_name) {
  self.XhtmlHeader(xhtml_css_file_name);
}

}  // namespace

std::vector<MemberInfo> PageFrameMembers::MemberTable(const PageClassTraits& traits) {
  using M = PageFrameMembers;
  ClassBuilder<M> builder(u"");
  switch (traits.family) {
    case Family::kW: {
      const std::vector<ParamSpec> deck_head = {Opt(u"CacheControl", u"max-age=300"),
                                                Opt(u"Forua", true), Opt(u"OtherAtt", u"")};
      builder.Method<&M::PutFileType>(u"PutFileType", {Opt(u"EnCodeType", u"")})
          .Method<&M::PutPageHeader>(u"PutPageHeader", deck_head)
          .Method<&M::PutPageFooter>(u"PutPageFooter")
          .Method<&M::PageHeader>(u"PageHeader", deck_head)
          .Method<&M::PageFooter>(u"PageFooter")
          .Method<&M::AutoHeader>(u"AutoHeader", {Opt(u"HtmlCssFileName")})
          .Method<&M::AutoFooter>(u"AutoFooter")
          .Method<&M::HtmlHeader>(u"HtmlHeader", {Opt(u"HtmlCssFileName")})
          .Method<&M::HtmlFooter>(u"HtmlFooter")
          .Method<&WmlClassXhtmlHeader>(u"XhtmlHeader", {Opt(u"XhtmlCssFileName")})
          .Method<&M::XhtmlFooter>(u"XhtmlFooter");
      break;
    }
    case Family::kX: {
      const std::vector<ParamSpec> head = {Opt(u"XhtmlCssFileName"), Opt(u"bgSoundPath"),
                                           Opt(u"OtherAtt", u"")};
      builder.Method<&M::XhtmlHeader>(u"XhtmlHeader", head)
          .Method<&M::G3Header>(u"G3Header", head)
          .Method<&M::XhtmlFooter>(u"XhtmlFooter")
          .Method<&M::G3Footer>(u"G3Footer");
      break;
    }
    case Family::kP:
      builder.Method<&M::XhtmlHeaderText>(u"XhtmlHeader", {Opt(u"XhtmlCssFileName")})
          .Method<&M::XhtmlFooterText>(u"XhtmlFooter");
      break;
  }
  return builder.BuildMembers();
}

}  // namespace zorvadel
