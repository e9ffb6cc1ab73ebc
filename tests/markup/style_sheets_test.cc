// The built-in style sheets. Their whole texts show in the page scripts'
// goldens (the underlined WML sheet, the companion's and PHPXML's); the
// plain WML sheet differs from the underlined one in its link rule alone.
#include <gtest/gtest.h>

#include <string>

#include "markup/style_sheets.h"

namespace zorvadel::markup {
namespace {

TEST(StyleSheets, WmlSheetVariantsDifferInTheLinkRuleOnly) {
  std::u16string plain = WmlSheet(LinkLook::kPlain);
  std::u16string underlined = WmlSheet(LinkLook::kUnderlined);
  EXPECT_EQ(plain.size(), 925u);
  EXPECT_NE(plain.find(u"A:link { COLOR: #0000FF; TEXT-DECORATION: none}A:visited {"),
            std::u16string::npos);
  EXPECT_NE(underlined.find(u"A:link { COLOR: #0000FF; TEXT-DECORATION: underline}"),
            std::u16string::npos);
  size_t at = plain.find(u"none}A:visited");
  EXPECT_EQ(plain.substr(0, at), underlined.substr(0, at));
  EXPECT_EQ(plain.substr(at + 4), underlined.substr(at + 9));
}

}  // namespace
}  // namespace zorvadel::markup
