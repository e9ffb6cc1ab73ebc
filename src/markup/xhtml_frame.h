// Markup of the XHTML Mobile Profile 1.0, XHTML 1.0 Strict and HTML page
// frames: the prolog, DOCTYPE and head pieces of each header, the style-sheet
// link, the background sound, the body openings and page ends, and the
// warnings a header writes when the injection guard finds a word. Pure
// functions on texts the caller has already filtered (titles through
// DelSpecialMark and the output filter); addresses and extra head markup are
// written as given (the frame members drop from the head markup what XML
// cannot carry). "\r\n" appears only where a frame writes a line break.
#ifndef ZORVADEL_MARKUP_XHTML_FRAME_H_
#define ZORVADEL_MARKUP_XHTML_FRAME_H_

#include <string>
#include <string_view>

#include "zorvadel/page_state.h"

namespace zorvadel::markup {

inline constexpr std::u16string_view kXhtmlMobileDoctypeAndRoot =
    u"<!DOCTYPE html PUBLIC \"-//WAPFORUM//DTD XHTML Mobile 1.0//EN\" "
    u"\"http://www.wapforum.org/DTD/xhtml-mobile10.dtd\">"
    u"<html xmlns=\"http://www.w3.org/1999/xhtml\"><head>";
inline constexpr std::u16string_view kXhtmlStrictDoctype =
    u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"DTD/xhtml1-strict.dtd\">";

// Body openings: XML and EnXML open the page's main division too; the WML
// classes and PHPXML open a bare body with zero margins.
inline constexpr std::u16string_view kMainBodyOpening =
    u"</head><body>\r\n<div class=\"mainbody\">";
inline constexpr std::u16string_view kMarginlessBodyOpening =
    u"</head><body leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\">";
// The matching ends.
inline constexpr std::u16string_view kMainBodyEnd = u"</div></body></html>";
inline constexpr std::u16string_view kBodyEnd = u"</body></html>";

// Whether a header links `name` as a style sheet: its last four characters,
// lower-cased, are ".css". Otherwise the header embeds its built-in sheet.
bool IsStyleSheetName(std::u16string_view name);

// <link href="{href}" rel="stylesheet" type="text/css"/> in the XHTML
// pages, ...> without the "/" in HTML; no line break.
enum class MarkupDialect { kXhtml, kHtml };
std::u16string StyleSheetLink(std::u16string_view href, MarkupDialect dialect);

// <bgsound src="{path}" loop="infinite"/> and a line break.
std::u16string BackgroundSound(std::u16string_view path);

// The first piece of each header, up to and including the title (and the
// metas that the header writes around it).
//   XhtmlHead      XML, EnXML XhtmlHeader: prolog, DOCTYPE and root,
//                  content-type meta, title; a line break after each
//   StrictHead     XML, EnXML G3Header: as above with the XHTML 1.0 Strict
//                  DOCTYPE and the viewport and MobileOptimized metas
//   WapXhtmlHead   WAP, EnWAP XhtmlHeader: the title before the meta, no
//                  line breaks
//   PhpXhtmlHead   PHPXML XhtmlHeader: always UTF-8
//   HtmlHead       WAP, EnWAP HtmlHeader: no prolog, no DOCTYPE; the meta
//                  always names gb2312
std::u16string XhtmlHead(std::u16string_view encoding, std::u16string_view title);
std::u16string StrictHead(std::u16string_view encoding, std::u16string_view title);
std::u16string WapXhtmlHead(std::u16string_view encoding, std::u16string_view title);
std::u16string PhpXhtmlHead(std::u16string_view title);
std::u16string HtmlHead(std::u16string_view title);

// The warnings, each ending with the closing tags of its page. XhtmlHeader
// of XML and of EnXML both write the Chinese one.
enum class XhtmlHeaderKind { kXhtmlHeader, kG3Header, kHtmlHeader };
std::u16string_view XhtmlGuardWarning(XhtmlHeaderKind header, PageLanguage language);

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_XHTML_FRAME_H_
