#include "markup/wml_frame.h"

#include <string>
#include <string_view>

#include "text/attribute_escape.h"
#include "text/xml_chars.h"

namespace zorvadel::markup {
namespace {

// Literals as views: their lengths are known when compiled, not counted
// on every append.
using namespace std::string_view_literals;

// The Chinese warning's comma and full stop are the full-width U+FF0C and
// U+3002.
constexpr std::u16string_view kChineseWarning =
    u"本站提示您不要进行非法SQL注入\uFF0C您的IP已被记录\u3002</p></card></wml>";

struct WmlWarningRow {
  WmlHeaderKind header;
  std::u16string_view chinese;
  std::u16string_view english;
};

constexpr WmlWarningRow kWarnings[] = {
    {WmlHeaderKind::kPutPageHeader, kChineseWarning,
     u"Our site prompt that you do not engage in illegal SQL injection, your IP has been "
     u"recorded!</p></card></wml>"},
    {WmlHeaderKind::kPageHeader, kChineseWarning,
     u"Our Site prompt that you do not engage in illegal SQL injection, your IP has been "
     u"recorded!</p></card></wml>"},
};

// Room for the fixed text of a deck's head, and of its start with the head
// and the first card's opening.
constexpr size_t kDeckHeadRoom = 96;
constexpr size_t kDeckStartRoom = kDeckHeadRoom + 96;

void AppendQuoted(std::u16string& out, std::u16string_view value) {
  out += u'"';
  text::AppendAttributeText(value, &out);
  out += u'"';
}

}  // namespace

std::u16string WmlPrologAndDoctype(std::u16string_view encoding) {
  std::u16string out;
  if (encoding.empty()) {
    out = u"<?xml version=\"1.0\"?>";
  } else {
    out = u"<?xml version=\"1.0\" encoding=";
    AppendQuoted(out, encoding);
    out += u"?>"sv;
  }
  out += kWmlDoctype;
  return out;
}

namespace {

void AppendWmlDeckHead(std::u16string& out, std::u16string_view cache_control, bool forua,
                       std::u16string_view other_att) {
  out += u"<wml><head><meta http-equiv=\"Cache-Control\" content="sv;
  AppendQuoted(out, cache_control);
  out += u" forua="sv;
  AppendQuoted(out, forua ? u"true"sv : u"false"sv);
  out += u"/>"sv;
  text::AppendXmlCarried(other_att, &out);
  out += u"</head>"sv;
}

}  // namespace

std::u16string WmlDeckHead(std::u16string_view cache_control, bool forua,
                           std::u16string_view other_att) {
  std::u16string out;
  out.reserve(kDeckHeadRoom + cache_control.size() + other_att.size());
  AppendWmlDeckHead(out, cache_control, forua, other_att);
  return out;
}

void AppendWmlDeckStart(std::u16string* to, std::u16string_view encoding,
                        std::u16string_view cache_control, bool forua,
                        std::u16string_view other_att, std::u16string_view filtered_title) {
  // Every WML page starts with this: one allocation at most for all of it.
  std::u16string& out = *to;
  out.reserve(out.size() + kDeckStartRoom + kWmlDoctype.size() + encoding.size() +
              cache_control.size() + other_att.size() + filtered_title.size());
  out += u"<?xml version=\"1.0\" encoding="sv;
  AppendQuoted(out, encoding);
  out += u"?>"sv;
  out += kWmlDoctype;
  AppendWmlDeckHead(out, cache_control, forua, other_att);
  out += u"<card id=\""sv;
  out += kWmlFirstCardId;
  out += u"\" title="sv;
  AppendQuoted(out, filtered_title);
  out += u"><p align=\"left\">"sv;
}

std::u16string_view WmlGuardWarning(WmlHeaderKind header, PageLanguage language) {
  for (const WmlWarningRow& row : kWarnings) {
    if (row.header == header) {
      return language == PageLanguage::kEnglish ? row.english : row.chinese;
    }
  }
  return {};
}

}  // namespace zorvadel::markup
