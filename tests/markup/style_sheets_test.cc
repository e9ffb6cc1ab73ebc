// The built-in style sheets: their exact texts, as lengths and landmarks.
#include <gtest/gtest.h>

#include <string>

#include "markup/style_sheets.h"

namespace zorvadel::markup {
namespace {

TEST(StyleSheets, WmlSheetVariants) {
  std::u16string plain = WmlSheet(LinkLook::kPlain);
  std::u16string underlined = WmlSheet(LinkLook::kUnderlined);
  EXPECT_EQ(plain.size(), 925u);
  EXPECT_EQ(underlined.size(), 930u);
  EXPECT_EQ(plain.rfind(u"<style type=\"text/css\"><!--BODY {margin-top: 0px;", 0), 0u);
  EXPECT_NE(plain.find(u"A:link { COLOR: #0000FF; TEXT-DECORATION: none}A:visited {"),
            std::u16string::npos);
  EXPECT_NE(underlined.find(u"A:link { COLOR: #0000FF; TEXT-DECORATION: underline}"),
            std::u16string::npos);
  EXPECT_NE(plain.find(u"}.button{ background: #ffffff;"), std::u16string::npos);
  EXPECT_TRUE(plain.ends_with(u"BORDER-BOTTOM-STYLE: none}--></style>"));
  // Only the link declaration differs.
  size_t at = plain.find(u"none}A:visited");
  EXPECT_EQ(plain.substr(0, at), underlined.substr(0, at));
  EXPECT_EQ(plain.substr(at + 4), underlined.substr(at + 9));
}

TEST(StyleSheets, WmlSheetHasFortyPieces) {
  for (size_t i = 0; i < kWmlSheetPieceCount; ++i) {
    EXPECT_FALSE(WmlSheetPiece(i, LinkLook::kPlain).empty()) << i;
  }
  EXPECT_TRUE(WmlSheetPiece(kWmlSheetPieceCount, LinkLook::kPlain).empty());
  EXPECT_EQ(WmlSheetPiece(16, LinkLook::kPlain), u" FONT-SIZE: 11px");
}

TEST(StyleSheets, CompanionSheet) {
  const std::u16string& sheet = CompanionSheet();
  EXPECT_EQ(sheet.size(), 617u);
  EXPECT_TRUE(sheet.starts_with(u"<style type=\"text/css\" id=\"InternalStyle\">\r\n<!--\r\n"));
  EXPECT_TRUE(sheet.ends_with(u"\r\n-->\r\n</style>"));
  // The later h2 rule wins.
  EXPECT_LT(sheet.find(u"background:#d2edf6"), sheet.find(u"h2{background:#BDE6F2}"));
}

TEST(StyleSheets, PhpSheet) {
  const std::u16string& sheet = PhpSheet();
  EXPECT_EQ(sheet.size(), 554u);
  EXPECT_EQ(sheet.find_first_of(u"\r\n"), std::u16string::npos);
  EXPECT_TRUE(sheet.starts_with(u"<style><!--body{line-height: 18px;"));
  EXPECT_TRUE(sheet.ends_with(u"#b{border-bottom:1px solid #ccc;}--></style>"));
  EXPECT_NE(sheet.find(u"li{background:#fafafa}h1{background:#7acdea}h2{background:#d2edf6}"),
            std::u16string::npos);
  EXPECT_EQ(sheet.find(u"BDE6F2"), std::u16string::npos);
}

}  // namespace
}  // namespace zorvadel::markup
