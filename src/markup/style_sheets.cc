#include "markup/style_sheets.h"

#include <array>

namespace zorvadel::markup {
namespace {

constexpr std::u16string_view kCommonDeclaration =
    u" FONT-SIZE: 11px; color: #000000; font-family: \"Arial\", \"Helvetica\", \"sans-serif\"";
constexpr std::u16string_view kPlainLink = u" COLOR: #0000FF; TEXT-DECORATION: none";
constexpr std::u16string_view kUnderlinedLink = u" COLOR: #0000FF; TEXT-DECORATION: underline";

// Where the link declaration stands among the pieces; every other piece is
// shared by both variants.
constexpr size_t kLinkPiece = 24;

constexpr std::array<std::u16string_view, kWmlSheetPieceCount> kWmlPieces = {
    u"<style type=\"text/css\">", u"<!--",
    // BODY
    u"BODY {", u"margin-top: 0px;", u"margin-left: 0px;", u"margin-right: 0px;",
    u"margin-bottom: 0px;", u"font-size: 9pt;", u"}",
    // TD, P
    u"TD {", kCommonDeclaration, u"}",
    u"P {", kCommonDeclaration, u"}",
    // LI
    u"LI {", u" FONT-SIZE: 11px", u"; text-decoration: none",
    u"; color: #000000; font-family: \"Arial\", \"Helvetica\", \"sans-serif\"", u"}",
    // INPUT
    u"INPUT {", kCommonDeclaration, u"}",
    // A:link (the declaration is chosen per variant)
    u"A:link {", kPlainLink, u"}",
    // A:visited, A:active, A:hover
    u"A:visited {", u" TEXT-DECORATION: none", u"; color: #9900CC", u"}",
    u"A:active {", u" COLOR: #FF00FF; TEXT-DECORATION: none", u"}",
    u"A:hover {", u" COLOR: #FF0000; TEXT-DECORATION: none", u"}",
    // .button
    u".button",
    u"{ background: #ffffff; border: #333333 1px solid; cursor: hand; font-size: 9pt; "
    u"height: 20px; padding: 1px; COLOR: #009900; BORDER-TOP-STYLE: none; "
    u"BORDER-RIGHT-STYLE: none; BORDER-LEFT-STYLE: none; BORDER-BOTTOM-STYLE: none}",
    u"-->", u"</style>",
};
static_assert(kWmlPieces[kLinkPiece] == kPlainLink);

constexpr size_t kCompanionLines = 15;
constexpr std::array<std::u16string_view, kCompanionLines> kCompanionPieces = {
    u"<style type=\"text/css\" id=\"InternalStyle\">",
    u"<!--",
    u"body{line-height: 18px;margin-right: 0px;font-size: 12px;margin-left: 0px;"
    u"margin-bottom: 0px;margin-top: 0px;}",
    u"body,ul,ol,form{margin:0 0;padding:0 0;font-size:12px}",
    u"h1,h2,h3,div,li,p{margin:0 0;padding:2px 2px;font-size:12px}",
    u"h2{border-bottom:0px solid #ccc;background:#d2edf6;margin: 0px;padding: 0px;font-size:12px}",
    u"ul,ol{list-style:none}",
    u"li{background:#fafafa}",
    u"h1{background:#7acdea}",
    u"h2{background:#BDE6F2}",
    u"#b1{border-top:1px solid #59a1b3;border-bottom:1px solid #ccc;}",
    u"#n{border-top:1px solid #59a1b3;}",
    u"#b{border-bottom:1px solid #ccc;}",
    u"-->",
    u"</style>",
};

// PHPXML's copy replaces the opening line and the second h2 background.
constexpr size_t kPhpOpening = 0;
constexpr std::u16string_view kPhpOpeningPiece = u"<style>";
constexpr size_t kPhpSecondH2 = 9;
constexpr std::u16string_view kPhpSecondH2Piece = u"h2{background:#d2edf6}";

}  // namespace

std::u16string_view WmlSheetPiece(size_t index, LinkLook look) {
  if (index >= kWmlPieces.size()) return {};
  if (index == kLinkPiece && look == LinkLook::kUnderlined) return kUnderlinedLink;
  return kWmlPieces[index];
}

std::u16string WmlSheet(LinkLook look) {
  std::u16string sheet;
  for (size_t i = 0; i < kWmlPieces.size(); ++i) sheet += WmlSheetPiece(i, look);
  return sheet;
}

const std::u16string& CompanionSheet() {
  static const std::u16string sheet = [] {
    std::u16string text(kCompanionPieces[0]);
    for (size_t i = 1; i < kCompanionPieces.size(); ++i) {
      text += u"\r\n";
      text += kCompanionPieces[i];
    }
    return text;
  }();
  return sheet;
}

const std::u16string& PhpSheet() {
  static const std::u16string sheet = [] {
    std::u16string text;
    for (size_t i = 0; i < kCompanionPieces.size(); ++i) {
      if (i == kPhpOpening) {
        text += kPhpOpeningPiece;
      } else if (i == kPhpSecondH2) {
        text += kPhpSecondH2Piece;
      } else {
        text += kCompanionPieces[i];
      }
    }
    return text;
  }();
  return sheet;
}

}  // namespace zorvadel::markup
