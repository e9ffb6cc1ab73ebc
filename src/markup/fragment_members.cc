// The members of the fragment group: UBB converters and their forwarders,
// cards, paragraphs, divisions, comments and the built-in style sheets.
// The markup itself is built in fragments.cc, ubb.cc and style_sheets.cc;
// this file picks the pieces, runs each step with errors suppressed and
// binds the members by name.
#include "component/group_calls.h"
#include "zorvadel/markup/fragment_members.h"

#include <string>
#include <type_traits>
#include <utility>

#include "markup/fragments.h"
#include "markup/style_sheets.h"
#include "markup/ubb.h"
#include "zorvadel/companions.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// The forwarding rule of CC, for the companions WX and WW: the companion is
// created when missing, the arguments pass unchanged, a failure gives an
// empty result.
template <typename F>
std::invoke_result_t<F, WAPXHTML&> ForwardToWX(PageCore& page, F&& call) {
  try {
    return std::forward<F>(call)(page.UseWX());
  } catch (const ScriptError&) {
    return {};
  }
}

template <typename F>
std::invoke_result_t<F, WAPWML&> ForwardToWW(PageCore& page, F&& call) {
  try {
    return std::forward<F>(call)(page.UseWW());
  } catch (const ScriptError&) {
    return {};
  }
}

void Write(PageCore& page, std::u16string_view text) { Need(page.state().Response).Write(text); }

std::u16string Filtered(PageCore& page, const std::u16string& text) {
  return calls::Ascii(page, text);
}

std::u16string UbbXhtmlOf(const std::u16string& text) {
  std::u16string converted;
  Step([&] { converted = markup::ConvertUbb(text, markup::UbbDialect::kXhtml); });
  return converted;
}

}  // namespace

// ---- Page classes ----------------------------------------------------------------

std::u16string PageFragmentMembers::UbbWML(const std::u16string& to_do_string) {
  return ForwardToWW(self(), [&](WAPWML& ww) { return ww.UbbWML(to_do_string); });
}

std::u16string PageFragmentMembers::UbbXML(const std::u16string& to_do_string) {
  return ForwardToWX(self(), [&](WAPXHTML& wx) { return wx.UbbXML(to_do_string); });
}

std::u16string PageFragmentMembers::Card(const std::u16string& card_id,
                                         const std::u16string& card_title,
                                         const std::u16string& p_align,
                                         const std::u16string& wrap_mode, bool new_context,
                                         bool is_first_card, const std::u16string& other_att,
                                         const std::u16string& time_long,
                                         const std::u16string& mid_card_p) {
  std::u16string title;
  Step([&] { title = Filtered(self(), card_title); });
  return markup::CardMarkup({card_id, title, p_align, wrap_mode, new_context, is_first_card,
                             other_att, time_long, mid_card_p});
}

std::u16string PageFragmentMembers::P(const std::u16string& align_ment,
                                      const std::u16string& wrap_mode) const {
  return markup::WmlParagraphBreak(align_ment, wrap_mode);
}

std::u16string PageFragmentMembers::P(const std::u16string& to_show_content,
                                      const std::u16string& align_ment, const std::u16string& id) {
  PageCore& page = self();
  if (page.family() != Family::kP) {
    return ForwardToWX(page, [&](WAPXHTML& wx) { return wx.P(to_show_content, align_ment, id); });
  }
  std::u16string content = UbbXML(to_show_content);
  Step([&] { content = Filtered(page, content); });
  return markup::XhtmlParagraph(content, align_ment, id);
}

std::u16string PageFragmentMembers::Div(const std::u16string& to_show_content,
                                        const std::u16string& class_name,
                                        const std::u16string& id) {
  return ForwardToWX(self(), [&](WAPXHTML& wx) { return wx.Div(to_show_content, class_name, id); });
}

std::u16string PageFragmentMembers::PhpDiv(const std::u16string& to_show_content,
                                           const std::u16string& align_ment,
                                           const std::u16string& id) {
  std::u16string content = UbbXML(to_show_content);
  Step([&] { content = Filtered(self(), content); });
  return markup::AlignedDivision(content, align_ment, id);
}

std::u16string PageFragmentMembers::Comment(const std::u16string& content) {
  PageCore& page = self();
  if (page.family() != Family::kW) {
    return ForwardToWX(page, [&](WAPXHTML& wx) { return wx.Comment(content); });
  }
  std::u16string cleaned;
  Step([&] { cleaned = calls::DelSpecialMark(page, content); });
  return markup::CommentMarkup(cleaned);
}

void PageFragmentMembers::WriteWmlSheet(bool underlined) {
  PageCore& page = self();
  const auto look = underlined ? markup::LinkLook::kUnderlined : markup::LinkLook::kPlain;
  // One write per piece; a failed write does not stop the rest.
  for (size_t i = 0; i < markup::kWmlSheetPieceCount; ++i) {
    Step([&] { Write(page, markup::WmlSheetPiece(i, look)); });
  }
}

void PageFragmentMembers::HtmlStyleCss() { WriteWmlSheet(/*underlined=*/true); }

void PageFragmentMembers::XhtmlStyleCss() {
  PageCore& page = self();
  if (page.family() == Family::kW) {
    WriteWmlSheet(/*underlined=*/false);
    return;
  }
  Step([&] {
    Variant sheet = page.UseWX().XhtmlStyleCss();
    Write(page, CStr(sheet));
  });
}

std::u16string PageFragmentMembers::XhtmlStyleCssText() const { return markup::PhpSheet(); }

// ---- WAPXHTML --------------------------------------------------------------------

std::u16string WapXhtmlFragmentMembers::UbbXML(const std::u16string& to_do_string) const {
  return UbbXhtmlOf(to_do_string);
}

std::u16string WapXhtmlFragmentMembers::P(const std::u16string& to_show_content,
                                          const std::u16string& align_ment,
                                          const std::u16string& id) const {
  return markup::XhtmlParagraph(UbbXhtmlOf(to_show_content), align_ment, id);
}

std::u16string WapXhtmlFragmentMembers::Div(const std::u16string& to_show_content,
                                            const std::u16string& class_name,
                                            const std::u16string& id) const {
  return markup::XhtmlDivision(UbbXhtmlOf(to_show_content), class_name, id);
}

std::u16string WapXhtmlFragmentMembers::Comment(const std::u16string& content) {
  std::u16string cleaned;
  Step([&] { cleaned = calls::DelSpecialMark(calls::UseCC(self()), content); });
  return markup::CommentMarkup(cleaned);
}

Variant WapXhtmlFragmentMembers::XhtmlStyleCss() const { return Variant(markup::CompanionSheet()); }

// ---- WAPWML ----------------------------------------------------------------------

std::u16string WapWmlFragmentMembers::UbbWML(const std::u16string& to_do_string) const {
  std::u16string converted;
  Step([&] { converted = markup::ConvertUbb(to_do_string, markup::UbbDialect::kWml); });
  return converted;
}

// ---- Member tables ---------------------------------------------------------------

namespace {

using Text = const std::u16string&;
constexpr auto kWmlP =
    static_cast<std::u16string (PageFragmentMembers::*)(Text, Text) const>(&PageFragmentMembers::P);
constexpr auto kXhtmlP =
    static_cast<std::u16string (PageFragmentMembers::*)(Text, Text, Text)>(&PageFragmentMembers::P);

}  // namespace

std::vector<MemberInfo> PageFragmentMembers::MemberTable(const PageClassTraits& traits) {
  using M = PageFragmentMembers;
  ClassBuilder<M> builder(u"");
  switch (traits.family) {
    case Family::kW:
      builder.Method<&M::UbbWML>(u"UbbWML", {Req(u"ToDoString")})
          .Method<&M::Card>(
              u"Card",
              {Opt(u"CardId", u"Zorvadel"), Opt(u"CardTitle", u"第一卡片"), Opt(u"PAlign", u"left"),
               Opt(u"WrapMode", u"wrap"), Opt(u"NewContext", false), Opt(u"IsFirstCard", false),
               Opt(u"OtherAtt", u""), Opt(u"TimeLong", u"").ByRef(), Opt(u"MidCardP", u"")})
          .Method<kWmlP>(u"P", {Opt(u"AlignMent", u"left"), Opt(u"WrapMode", u"wrap")})
          .Method<&M::Comment>(u"Comment", {Req(u"Content")});
      // EnWAP keeps its sheets for its own headers.
      if (traits.language == PageLanguage::kChinese) {
        builder.Method<&M::XhtmlStyleCss>(u"XhtmlStyleCss")
            .Method<&M::HtmlStyleCss>(u"HtmlStyleCss");
      }
      break;
    case Family::kX:
      builder.Method<&M::UbbXML>(u"UbbXML", {Req(u"ToDoString")})
          .Method<kXhtmlP>(u"P",
                           {Req(u"ToShowContent"), Opt(u"AlignMent", u"left"), Opt(u"Id", u"#")})
          .Method<&M::Div>(u"Div",
                           {Opt(u"ToShowContent", u""), Opt(u"Class", u""), Opt(u"Id", u"")})
          .Method<&M::Comment>(u"Comment", {Req(u"Content")})
          .Method<&M::XhtmlStyleCss>(u"XhtmlStyleCss");
      break;
    case Family::kP:
      builder.Method<&M::UbbXML>(u"UbbXML", {Req(u"ToDoString")})
          .Method<kXhtmlP>(u"P",
                           {Req(u"ToShowContent"), Opt(u"AlignMent", u"left"), Opt(u"Id", u"#")})
          .Method<&M::PhpDiv>(u"Div",
                              {Req(u"ToShowContent"), Opt(u"AlignMent", u"left"), Opt(u"Id", u"#")})
          .Method<&M::XhtmlStyleCssText>(u"XhtmlStyleCss");
      break;
  }
  return builder.BuildMembers();
}

std::vector<MemberInfo> WapXhtmlFragmentMembers::MemberTable() {
  using M = WapXhtmlFragmentMembers;
  return ClassBuilder<M>(u"")
      .Method<&M::UbbXML>(u"UbbXML", {Req(u"ToDoString")})
      .Method<&M::P>(u"P", {Req(u"ToShowContent"), Opt(u"AlignMent", u"left"), Opt(u"Id", u"#")})
      .Method<&M::Div>(u"Div", {Opt(u"ToShowContent", u""), Opt(u"Class", u""), Opt(u"Id", u"")})
      .Method<&M::Comment>(u"Comment", {Req(u"Content")})
      .Method<&M::XhtmlStyleCss>(u"XhtmlStyleCss")
      .BuildMembers();
}

std::vector<MemberInfo> WapWmlFragmentMembers::MemberTable() {
  using M = WapWmlFragmentMembers;
  return ClassBuilder<M>(u"").Method<&M::UbbWML>(u"UbbWML", {Req(u"ToDoString")}).BuildMembers();
}

}  // namespace zorvadel
