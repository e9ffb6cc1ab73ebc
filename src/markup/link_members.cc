// Links, phone links and images of the page classes, and the group's member
// table. Texts a user reads pass the class's output filter; every attribute
// value is escaped on its way into the markup; extra markup is written as
// given.
#include "component/group_calls.h"
#include "zorvadel/markup/link_members.h"

#include <string>
#include <utility>

#include "markup/links.h"
#include "markup/wml_tasks.h"
#include "output/scratch_text.h"
#include "text/attribute_escape.h"
#include "zorvadel/markup/wml_task_members.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

std::u16string Filtered(PageCore& page, const std::u16string& text) {
  return calls::Ascii(page, text);
}

}  // namespace

bool PageLinkMembers::IsWeb() {
  return calls::Displayer(self()) == markup::kWebTerminal;
}

std::u16string PageLinkMembers::ConfirmWord() const {
  return std::u16string(markup::LinkTextsOf(self().language()).confirm);
}

// ---- Links ---------------------------------------------------------------------

std::u16string PageLinkMembers::A(const std::u16string& title, const std::u16string& url,
                                  const std::u16string& display_text, const std::u16string& id) {
  std::u16string result;
  Step([&] {
    PageCore& page = self();
    // A desktop browser shows the title as a tip over the same text, so
    // there it always repeats the text, whatever the caller gave.
    std::u16string confirm;
    const std::u16string* shown_title = &title;
    if (title.empty()) {
      confirm = ConfirmWord();
      shown_title = &confirm;
    }
    if (IsWeb()) shown_title = &display_text;
    if (page.family() == Family::kW || id == u"#") {
      // Both texts are filtered into one buffer of the thread's: the link
      // is the only text this makes.
      output::ScratchText filtered;
      calls::AppendAscii(page, *shown_title, &*filtered);
      const size_t title_end = filtered->size();
      calls::AppendAscii(page, display_text, &*filtered);
      const std::u16string_view both = *filtered;
      result = markup::LinkMarkup(both.substr(0, title_end), url, both.substr(title_end));
    } else {
      result = markup::LinkWithIdMarkup(Filtered(page, id), Filtered(page, *shown_title), url,
                                        Filtered(page, display_text));
    }
  });
  return result;
}

std::u16string PageLinkMembers::Anchor(const std::u16string& display_text,
                                       const std::u16string& id) const {
  return markup::NamedAnchorMarkup(display_text, id);
}

std::u16string PageLinkMembers::Anchor(const std::u16string& title, const std::u16string& url,
                                       const std::u16string& display_text,
                                       const std::u16string& other_att) {
  if (IsWeb()) return A(u"", url, display_text);
  std::u16string result;
  Step([&] {
    PageCore& page = self();
    result = markup::WmlAnchorMarkup(Filtered(page, title), url, Filtered(page, display_text),
                                     other_att);
  });
  return result;
}

Variant PageLinkMembers::AnchorGo(const std::u16string& display_text, const std::u16string& url,
                                  const std::u16string& names, const std::u16string& values,
                                  const std::u16string& split_mark, const std::u16string& method) {
  std::u16string result;
  Step([&] {
    PageCore& page = self();
    if (IsWeb()) {
      // Closes the form that the page's first TextIn opened.
      result = u"<input type=\"submit\" name=\"Submit\" value=\"";
      text::AppendAttributeText(Filtered(page, display_text), &result);
      result.append(u"\"></form>");
      return;
    }
    result = u"<anchor title=\"";
    result.append(markup::kSubmitAnchorTitle).append(u"\">").append(Filtered(page, display_text));
    result.append(u"<go href=\"");
    text::AppendAttributeText(url, &result);
    result.append(u"\" method=\"");
    text::AppendAttributeText(method, &result);
    result.append(u"\">");
    result.append(markup::AttributePairs(names, values, split_mark, markup::kPostVarPre,
                                         markup::kPostVarMid, markup::kPostVarLast));
    result.append(u"</go></anchor>");
  });
  return Variant(std::move(result));
}

// ---- Phone links ---------------------------------------------------------------------

std::u16string PageLinkMembers::PhoneA(const std::u16string& title,
                                       const std::u16string& call_phone_number,
                                       const std::u16string& display_text) {
  return A(title, std::u16string(markup::kCallPrefix) + call_phone_number, display_text);
}

std::u16string PageLinkMembers::PhoneDo(const std::u16string& call_phone_number,
                                        const std::u16string& display_text) {
  return self().As<PageWmlTaskMembers>().DoGo(
      std::u16string(markup::kCallPrefix) + call_phone_number, u"option", display_text, u"", false,
      u"");
}

std::u16string PageLinkMembers::Phone(const std::u16string& title,
                                      const std::u16string& call_phone_number,
                                      const std::u16string& display_text) {
  std::u16string result = PhoneA(title, call_phone_number, display_text);
  result.append(u"<br/>").append(PhoneDo(call_phone_number, display_text));
  return result;
}

std::u16string PageLinkMembers::BackA(const std::u16string& display_text) {
  PageCore& page = self();
  std::u16string link;
  Step([&] {
    if (IsWeb()) {
      link = A(u"", std::u16string(markup::kHistoryBack), display_text);
    } else {
      link = u"<anchor><prev/>";
      link.append(Filtered(page, display_text)).append(u"</anchor>");
    }
  });
  // Written at once, so the link stands where the call stands in the page
  // whatever the caller does with the (empty) result.
  Step([&] { Need(page.state().Response).Write(link); });
  return {};
}

// ---- Images ------------------------------------------------------------------------

std::u16string PageLinkMembers::ImgType() {
  if (IsWeb()) return u".png";
  return std::u16string(markup::SuffixForAccept(self().state().PhoneAccept));
}

std::u16string PageLinkMembers::Img(const std::u16string& img_path, const std::u16string& tip,
                                    const std::u16string& other_att) {
  PageCore& page = self();
  if (img_path.empty() && tip.empty() && other_att.empty()) return {};
  if (page.family() == Family::kW && !page.state().IsShowImage) return {};
  std::u16string result;
  Step([&] { result = markup::ImgMarkup(img_path, Filtered(page, tip), other_att); });
  return result;
}

std::u16string PageLinkMembers::Image(const std::u16string& img_path, const std::u16string& tip,
                                      const std::u16string& other_att) {
  if (img_path.empty()) return {};
  // The suffix is added to the path as given: only the test ignores
  // surrounding blanks and letter case.
  if (markup::HasPictureSuffix(img_path)) return Img(img_path, tip, other_att);
  return Img(img_path + ImgType(), tip, other_att);
}

std::u16string PageLinkMembers::IA(const std::u16string& img_path, const std::u16string& url,
                                   const std::u16string& display_text) {
  PageCore& page = self();
  std::u16string result;
  Step([&] {
    const std::u16string title = Filtered(page, ConfirmWord());
    if (img_path.empty()) {
      result = markup::LinkMarkup(title, url, Filtered(page, display_text));
      return;
    }
    // The text becomes the picture's alternative text.
    result = markup::LinkOpenMarkup(title, url);
    result.append(page.family() == Family::kW ? Image(img_path, display_text, u"")
                                              : Img(img_path, display_text, u""));
    result.append(u"</a>");
  });
  return result;
}

std::u16string PageLinkMembers::ImgA(const std::u16string& img_path, const std::u16string& url,
                                     const std::u16string& display_text) {
  std::u16string result = img_path.empty() ? std::u16string() : Img(img_path, u"", u"");
  return result.append(A(ConfirmWord(), url, display_text, u"#"));
}

std::u16string PageLinkMembers::ImageA(const std::u16string& img_path, const std::u16string& url,
                                       const std::u16string& display_text) {
  std::u16string result = Image(img_path, u"", u"");
  return result.append(A(ConfirmWord(), url, display_text, u"#"));
}

std::u16string PageLinkMembers::ImgAImg(const std::u16string& img_path_one,
                                        const std::u16string& url,
                                        const std::u16string& display_text,
                                        const std::u16string& img_path_two) {
  return ImageA(img_path_one, url, display_text) + Image(img_path_two, u"", u"");
}

// ---- Member table --------------------------------------------------------------------

namespace {

using M = PageLinkMembers;
using Text = const std::u16string&;

// The WML classes' A has no Id.
std::u16string WmlA(M& self, Text title, Text url, Text display_text) {
  return self.A(title, url, display_text, u"#");
}

constexpr auto kNamedAnchor = static_cast<std::u16string (M::*)(Text, Text) const>(&M::Anchor);
constexpr auto kWmlAnchor = static_cast<std::u16string (M::*)(Text, Text, Text, Text)>(&M::Anchor);

std::u16string S(std::u16string_view text) { return std::u16string(text); }

void AddXhtmlLinks(ClassBuilder<M>& b, const markup::LinkTexts& t) {
  b.Method<&M::A>(u"A", {Opt(u"Title", S(t.confirm)), Opt(u"Url", u"Index.asp"),
                         Opt(u"DisplayText", S(t.back_to_top)), Opt(u"Id", u"#")})
      .Method<kNamedAnchor>(u"Anchor", {Opt(u"DisplayText", u""), Opt(u"Id", u"mardon")});
}

void AddImages(ClassBuilder<M>& b, const markup::LinkTexts& t) {
  b.Method<&M::ImgType>(u"ImgType")
      .Method<&M::Img>(u"Img", {Opt(u"IMGPath", u""), Opt(u"Tip", u""), Opt(u"OtherAtt", u"")})
      .Method<&M::IA>(u"IA",
                      {Opt(u"IMGPath", u""), Opt(u"Url", u"Index.asp"), Opt(u"DisplayText", u"")})
      .Method<&M::ImgA>(u"ImgA", {Opt(u"IMGPath", u""), Opt(u"Url", u"Index.asp"),
                                  Opt(u"DisplayText", S(t.back_to_top))});
}

void AddWmlLinks(ClassBuilder<M>& b, const markup::LinkTexts& t) {
  b.Method<&WmlA>(u"A", {Opt(u"Title", S(t.confirm)), Opt(u"Url", u"Index.asp"),
                         Opt(u"DisplayText", S(t.back_to_top))})
      .Method<kWmlAnchor>(u"Anchor", {Opt(u"Title", S(t.confirm)), Opt(u"Url", u"Index.asp"),
                                      Opt(u"DisplayText", S(t.back_to_top)), Opt(u"OtherAtt", u"")})
      .Method<&M::AnchorGo>(
          u"AnchorGo",
          {Opt(u"DisplayText", S(t.submit)), Opt(u"Url", u"Index.asp"), Opt(u"Names", u""),
           Opt(u"Values", u""), Opt(u"SplitMark", u" "), Opt(u"Method", u"post").ByRef()})
      .Method<&M::PhoneA>(u"PhoneA",
                          {Opt(u"Title", S(t.call_title)), Opt(u"CallPhoneNumber", u"133"),
                           Opt(u"DisplayText", S(t.call_text))})
      .Method<&M::PhoneDo>(u"PhoneDo",
                           {Opt(u"CallPhoneNumber", u"133"), Opt(u"DisplayText", S(t.call_label))})
      .Method<&M::Phone>(u"Phone", {Opt(u"Title", S(t.call_title)), Opt(u"CallPhoneNumber", u"133"),
                                    Opt(u"DisplayText", S(t.call_text))})
      .Method<&M::BackA>(u"BackA", {Opt(u"DisplayText", S(t.previous_page))});
  AddImages(b, t);
  b.Method<&M::Image>(u"Image", {Opt(u"IMGPath", u""), Opt(u"Tip", u""), Opt(u"OtherAtt", u"")})
      .Method<&M::ImageA>(u"ImageA", {Opt(u"IMGPath", u""), Opt(u"Url", u"Index.asp"),
                                      Opt(u"DisplayText", S(t.back_to_top))})
      .Method<&M::ImgAImg>(u"ImgAImg",
                           {Opt(u"ImgPathOne", u""), Opt(u"Url", u"Index.asp"),
                            Opt(u"DisplayText", S(t.back_to_top)), Opt(u"ImgPathTwo", u"")});
}

}  // namespace

std::vector<MemberInfo> PageLinkMembers::MemberTable(const PageClassTraits& traits) {
  const markup::LinkTexts& texts = markup::LinkTextsOf(traits.language);
  ClassBuilder<M> builder(u"");
  switch (traits.family) {
    case Family::kX:
      AddXhtmlLinks(builder, texts);
      AddImages(builder, texts);
      break;
    case Family::kP:
      AddXhtmlLinks(builder, texts);
      break;
    case Family::kW:
      AddWmlLinks(builder, texts);
      break;
  }
  return builder.BuildMembers();
}

}  // namespace zorvadel
