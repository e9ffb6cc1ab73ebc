// Member group of the page classes: the page frames. A header applies the
// response settings, writes the top of the page (prolog, DOCTYPE, head, the
// opening of the first card or of the body) and screens the request with the
// injection guard; a footer writes the library's banner comment and the
// closing tags.
// The page classes take in PageFrameMembers; its member table is merged into
// their interfaces.
//
// Which page class has which member by name (a C++ call of a member the
// class lacks runs the same code as the classes that have it):
//
//   PutFileType, PutPageHeader, PutPageFooter,
//   PageHeader, PageFooter, AutoHeader, AutoFooter     WAP EnWAP: WML 1.1
//   HtmlHeader, HtmlFooter                             WAP EnWAP: HTML
//   XhtmlHeader, XhtmlFooter                           WAP EnWAP, XML EnXML:
//                                                      XHTML Mobile Profile
//                                                      PHPXML: returned
//                                                      (XhtmlHeaderText and
//                                                      XhtmlFooterText in C++)
//   G3Header, G3Footer                                 XML EnXML: XHTML 1.0
//                                                      Strict
//
// PutFileType, PutPageHeader, PutPageFooter, AutoHeader and AutoFooter ask
// Displayer() and give a desktop browser ("Web") the HTML frame (PutFileType:
// nothing); PageHeader and PageFooter always write WML. No other member asks
// the terminal.
//
// The guard: PageHeader, PutPageHeader, HtmlHeader, and XhtmlHeader and
// G3Header of XML and EnXML test the request with the words of SQLInjData
// right after the head. On a hit they write a warning that closes the open
// card or body, and only then end the response, so that the warning is the
// last thing on the page. (A script's own SQLInjection call ends the
// response at once, before it answers.) The XhtmlHeader of WAP, EnWAP and
// PHPXML runs no guard.
//
// Every member suppresses its errors step by step: a failing step (a write
// without a page context, say) is skipped and the member goes on.
//
// By name, every argument may be left out and gets the C++ default below:
// CacheControl "max-age=300", Forua True, OtherAtt, EnCodeType and the
// style-sheet and sound names "". The XhtmlHeader of WAP, EnWAP and PHPXML
// takes XhtmlCssFileName alone.
#ifndef ZORVADEL_FRAME_MEMBERS_H_
#define ZORVADEL_FRAME_MEMBERS_H_

#include <string>
#include <string_view>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageFrameMembers : public MemberGroup<PageFrameMembers, PageCore> {
 public:
  // ---- WML deck ----

  // The content type and UTF-8 settings, then the prolog (with
  // encoding="{en_code_type}" when that is not empty) and the WML DOCTYPE.
  void PutFileType(const std::u16string& en_code_type = u"");
  // The wml element and its head; no prolog, no card, no response settings.
  // On a guard hit, the first card, the warning and the end of the response.
  void PutPageHeader(const std::u16string& cache_control = u"max-age=300", bool forua = true,
                     const std::u16string& other_att = u"");
  // The content type and UTF-8 settings, then prolog, DOCTYPE, head and the
  // first card "FirstCard" titled CardTitle with its paragraph; then the
  // guard.
  void PageHeader(const std::u16string& cache_control = u"max-age=300", bool forua = true,
                  const std::u16string& other_att = u"");
  // The banner and "</p></card></wml>".
  void PageFooter();
  // PageFooter, or HtmlFooter for "Web" (AutoFooter is the same member).
  void PutPageFooter();
  // HtmlHeader(html_css_file_name) for "Web", else PageHeader's defaults.
  void AutoHeader(const std::u16string& html_css_file_name = u"");
  void AutoFooter();

  // ---- XHTML and HTML ----

  // XML, EnXML: XHTML Mobile Profile head titled SiteTitle, the style sheet
  // (a link when the name ends in ".css", else the built-in sheet), the
  // background sound and extra head markup when given, the body with its
  // main division; then the guard. WAP, EnWAP: the head titled CardTitle,
  // the style sheet and a marginless body, no guard (the sound and the extra
  // markup are not theirs). PHPXML: nothing; see XhtmlHeaderText.
  void XhtmlHeader(const std::u16string& xhtml_css_file_name = u"",
                   const std::u16string& bg_sound_path = u"",
                   const std::u16string& other_att = u"");
  // As XhtmlHeader of XML, as an XHTML 1.0 Strict page with the viewport
  // and MobileOptimized metas.
  void G3Header(const std::u16string& xhtml_css_file_name = u"",
                const std::u16string& bg_sound_path = u"",
                const std::u16string& other_att = u"");
  // XML, EnXML: the banner with version and "</div></body></html>"; WAP,
  // EnWAP: the banner "-WAP-Company" and "</body></html>". G3Footer is the
  // same member.
  void XhtmlFooter();
  void G3Footer();
  // An HTML head for desktop browsers, titled SiteTitle (filled from
  // CardTitle when empty, and left so), the style sheet, the marginless
  // body; then the guard.
  void HtmlHeader(const std::u16string& html_css_file_name = u"");
  // "</body></html>", no banner.
  void HtmlFooter();

  // PHPXML: the XHTML Mobile Profile head, always UTF-8, title through the
  // output filter only; the UTF-8 response settings are applied, nothing is
  // written and no guard runs.
  std::u16string XhtmlHeaderText(const std::u16string& xhtml_css_file_name = u"");
  // PHPXML: the banner "-PHP" with version and "</body></html>".
  std::u16string XhtmlFooterText() const;

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);

 private:
  // One Response.Write; a missing response fails the step.
  void Write(std::u16string_view text);
  bool IsWeb();
  // A page title: DelSpecialMark, then the output filter.
  std::u16string CleanTitle(const std::u16string& title);
  // The link (with a line break after it when asked) or the built-in sheet
  // (XhtmlStyleCss, or HtmlStyleCss for HTML).
  void WriteStyleSheet(const std::u16string& name, bool html, bool line_break);
  // The XHTML headers of XML and EnXML after their first piece.
  void FinishMainBodyHeader(const std::u16string& xhtml_css_file_name,
                            const std::u16string& bg_sound_path, const std::u16string& other_att,
                            std::u16string_view warning);
  // PageHeader's work, for AutoHeader too; `web` is Displayer's answer
  // ("Web" or not), which the caller has just asked.
  void WriteDeckStart(std::u16string_view cache_control, bool forua,
                      std::u16string_view other_att, bool web);
  // The guard's test, without ending the response.
  bool GuardFinds() const;
  // After a hit: the warning through WriteOut, then the end of the response.
  void Refuse(std::u16string_view warning);
};

}  // namespace zorvadel

#endif  // ZORVADEL_FRAME_MEMBERS_H_
