#include "markup/xhtml_frame.h"

#include <string>

#include "text/attribute_escape.h"
#include "zorvadel/runtime.h"

namespace zorvadel::markup {
namespace {

constexpr std::u16string_view kCrLf = u"\r\n";

struct XhtmlWarningRow {
  XhtmlHeaderKind header;
  std::u16string_view chinese;
  std::u16string_view english;
};

// Each warning ends with the closing tags of its page. The Chinese comma and
// full stop are the full-width U+FF0C and U+3002.
constexpr XhtmlWarningRow kWarnings[] = {
    {XhtmlHeaderKind::kXhtmlHeader,
     u"本站提示您不要进行非法SQL注入\uFF0C您的IP已被记录\u3002</div></body></html>",
     u"本站提示您不要进行非法SQL注入\uFF0C您的IP已被记录\u3002</div></body></html>"},
    {XhtmlHeaderKind::kG3Header,
     u"本站提示您不要进行非法SQL注入\uFF0C您的IP已被记录\u3002</div></body></html>",
     u"Our Site prompt that you do not engage in illegal SQL injection, your IP has been "
     u"recorded!</div></body></html>"},
    {XhtmlHeaderKind::kHtmlHeader,
     u"本站提示您不要进行非法SQL注入\uFF0C您的IP已被记录\u3002</body></html>",
     u"Our Site prompt that you do not engage in illegal SQL injection, your IP has been "
     u"recorded!</body></html>"},
};

std::u16string Prolog(std::u16string_view encoding) {
  std::u16string out = u"<?xml version=\"1.0\" encoding=\"";
  text::AppendAttributeText(encoding, &out);
  out += u"\"?>";
  return out;
}

std::u16string Title(std::u16string_view title) {
  std::u16string out = u"<title>";
  out += title;
  out += u"</title>";
  return out;
}

// The content-type meta: the XML family writes a blank after "text/html;",
// the WML classes and PHPXML do not.
std::u16string ContentTypeMeta(std::u16string_view separator, std::u16string_view encoding) {
  std::u16string out = u"<meta http-equiv=\"Content-Type\" content=\"text/html;";
  out += separator;
  out += u"charset=";
  text::AppendAttributeText(encoding, &out);
  out += u"\"/>";
  return out;
}

}  // namespace

bool IsStyleSheetName(std::u16string_view name) { return LCase(Right(name, 4)) == u".css"; }

std::u16string StyleSheetLink(std::u16string_view href, MarkupDialect dialect) {
  std::u16string out = u"<link href=\"";
  text::AppendAttributeText(href, &out);
  out += u"\" rel=\"stylesheet\" type=\"text/css\"";
  out += dialect == MarkupDialect::kXhtml ? u"/>" : u">";
  return out;
}

std::u16string BackgroundSound(std::u16string_view path) {
  std::u16string out = u"<bgsound src=\"";
  text::AppendAttributeText(path, &out);
  out += u"\" loop=\"infinite\"/>";
  out += kCrLf;
  return out;
}

std::u16string XhtmlHead(std::u16string_view encoding, std::u16string_view title) {
  std::u16string out = Prolog(encoding);
  out += kCrLf;
  out += kXhtmlMobileDoctypeAndRoot;
  out += ContentTypeMeta(u" ", encoding);
  out += kCrLf;
  out += Title(title);
  out += kCrLf;
  return out;
}

std::u16string StrictHead(std::u16string_view encoding, std::u16string_view title) {
  std::u16string out = Prolog(encoding);
  out += kCrLf;
  out += kXhtmlStrictDoctype;
  out += kCrLf;
  out += u"<html xmlns=\"http://www.w3.org/1999/xhtml\"><head>";
  out += ContentTypeMeta(u" ", encoding);
  out += kCrLf;
  out += u"<meta name=\"viewport\" content=\"width=device-width; initial-scale=1.4; "
         u"minimum-scale=1.0; maximum-scale=2.0\"/>";
  out += kCrLf;
  out += u"<meta name=\"MobileOptimized\" content=\"240\"/>";
  out += kCrLf;
  out += Title(title);
  out += kCrLf;
  return out;
}

std::u16string WapXhtmlHead(std::u16string_view encoding, std::u16string_view title) {
  std::u16string out = Prolog(encoding);
  out += kXhtmlMobileDoctypeAndRoot;
  out += Title(title);
  out += ContentTypeMeta(u"", encoding);
  return out;
}

std::u16string PhpXhtmlHead(std::u16string_view title) {
  std::u16string out = Prolog(u"UTF-8");
  out += kXhtmlMobileDoctypeAndRoot;
  out += Title(title);
  out += ContentTypeMeta(u"", u"UTF-8");
  return out;
}

std::u16string HtmlHead(std::u16string_view title) {
  std::u16string out =
      u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">";
  out += Title(title);
  return out;
}

std::u16string_view XhtmlGuardWarning(XhtmlHeaderKind header, PageLanguage language) {
  for (const XhtmlWarningRow& row : kWarnings) {
    if (row.header == header) {
      return language == PageLanguage::kEnglish ? row.english : row.chinese;
    }
  }
  return {};
}

}  // namespace zorvadel::markup
