#include "markup/fragments.h"

#include "text/attribute_escape.h"
#include "text/xml_chars.h"
#include "zorvadel/runtime.h"

namespace zorvadel::markup {
namespace {

// An attribute value the builders write lower-cased, escaped like any other.
std::u16string Keyword(std::u16string_view value) { return text::AttributeText(LCase(value)); }

void AppendValue(std::u16string& out, std::u16string_view value) {
  text::AppendAttributeText(value, &out);
}

}  // namespace

std::u16string CardMarkup(const CardParts& parts) {
  std::u16string out;
  if (!parts.is_first_card) out += u"</p></card>";
  out += u"<card id=\"";
  AppendValue(out, parts.card_id);
  out += u"\" title=\"";
  AppendValue(out, parts.title);
  out += u"\" newcontext=\"";
  out += parts.new_context ? u"true" : u"false";
  out += u"\" ";
  text::AppendXmlCarried(parts.other_att, &out);
  // Only a timer the card's own attributes ask for; the search is exact.
  if (parts.other_att.find(u"ontimer") != std::u16string_view::npos) {
    out += u"><timer value=\"";
    AppendValue(out, parts.time_long);
    out += u"\"/>";
  } else {
    out += u">";
  }
  text::AppendXmlCarried(parts.mid_card_p, &out);
  out += u"<p align=\"";
  out += Keyword(parts.p_align);
  out += u"\"  mode=\"";
  out += Keyword(parts.wrap_mode);
  out += u"\">";
  return out;
}

std::u16string WmlParagraphBreak(std::u16string_view align, std::u16string_view wrap_mode) {
  std::u16string out = u"</p><p";
  if (!align.empty()) out += u" align=\"" + Keyword(align) + u"\"";
  if (!wrap_mode.empty()) out += u" mode=\"" + Keyword(wrap_mode) + u"\"";
  out += u">";
  return out;
}

std::u16string XhtmlParagraph(std::u16string_view content, std::u16string_view align,
                              std::u16string_view id) {
  std::u16string out = u"<p id=\"" + Keyword(id) + u"\" style=\"text-align:" + Keyword(align) +
                       u"\">";
  out += content;
  out += u"</p>";
  return out;
}

std::u16string XhtmlDivision(std::u16string_view content, std::u16string_view class_name,
                             std::u16string_view id) {
  std::u16string out = u"<div";
  if (!id.empty() || class_name.empty()) out += u" id=\"" + Keyword(id) + u"\"";
  if (!class_name.empty()) out += u" class=\"" + Keyword(class_name) + u"\"";
  out += u">";
  out += content;
  out += u"</div>";
  return out;
}

std::u16string AlignedDivision(std::u16string_view content, std::u16string_view align,
                               std::u16string_view id) {
  std::u16string out = u"<div id=\"" + Keyword(id) + u"\" align=\"" + Keyword(align) + u"\">";
  out += content;
  out += u"</div>";
  return out;
}

std::u16string CommentMarkup(std::u16string_view cleaned) {
  std::u16string out = u"<!--*(^O^)";
  // XML allows no "--" inside a comment, and a deck with one is refused
  // whole: each hyphen that follows another is set apart by a blank.
  for (const char16_t c : cleaned) {
    if (c == u'-' && out.back() == u'-') out += u' ';
    out += c;
  }
  out += u"(^O^)*-->";
  return out;
}

}  // namespace zorvadel::markup
