// Number-base conversions: Common's variant converters (which never raise)
// and the XHTML classes' typed converters (which raise overflow and type
// mismatch to the caller).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/error_of.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"

namespace zorvadel {
namespace {

using test::ErrorOf;

TEST(CommonNumberBase, Examples) {
  Common c;
  EXPECT_EQ(c.C2To16(u"00001010"), Variant(u"0A"));
  EXPECT_EQ(c.C2To10(u"0"), Variant(int16_t{0}));
  EXPECT_EQ(c.C2To10(u"1x1"), Variant(5.0));
  EXPECT_EQ(c.C16To2(u"0A"), Variant(u"00001010"));
  EXPECT_EQ(c.C16To2(u" a"), Variant(u"1010"));
  EXPECT_EQ(c.C16To2(u"fG1"), Variant(u"11110001"));  // a non-digit gives nothing
  EXPECT_EQ(c.C10To2(int16_t{10}), Variant(u"1010"));
  EXPECT_EQ(c.C10To2(int16_t{0}), Variant(u"0"));
  EXPECT_EQ(c.C10To2(2.9), Variant(u"10"));
  EXPECT_EQ(c.C10To2(int32_t{INT32_MIN}), Variant(u"-1" + std::u16string(31, u'0')));
}

TEST(CommonNumberBase, BadArgumentsNeverRaise) {
  Common c;
  EXPECT_EQ(c.C10To2(u"abc"), Variant());
  EXPECT_EQ(c.C10To2(Variant::Null()), Variant());
  EXPECT_EQ(c.C2To16(Variant::Null()), Variant());
  EXPECT_EQ(c.C16To2(Variant(std::make_shared<Common>())), Variant());
  EXPECT_EQ(c.C10To2(1e300).string().size(), 997u);
  EXPECT_EQ(c.C2To10(std::u16string(5000, u'1')).type(), VarType::kDouble);
}

TEST(CommonNumberBase, TextsLongerThan32767Characters) {
  Common c;
  const std::u16string binary = std::u16string(40000, u'0') + u"1010";
  const Variant hex = c.C2To16(binary);
  EXPECT_EQ(hex, Variant(std::u16string(10000, u'0') + u"A"));
  EXPECT_EQ(c.C16To2(hex.string()), Variant(binary));
  EXPECT_EQ(c.C2To10(binary), Variant(10.0));
}

TEST(XhtmlNumberBase, Examples) {
  XML x;
  EXPECT_EQ(x.DEC_to_BIN(10), u"1010");
  EXPECT_EQ(x.DEC_to_OCT(8), u"10");
  EXPECT_EQ(x.DEC_to_HEX(INT32_MAX), u"7FFFFFFF");
  for (int32_t n : {0, -1, INT32_MIN}) {
    EXPECT_EQ(x.DEC_to_BIN(n), u"");
    EXPECT_EQ(x.DEC_to_OCT(n), u"");
    EXPECT_EQ(x.DEC_to_HEX(n), u"");
  }
  EXPECT_EQ(x.HEX_to_BIN(u"0"), u"");
  EXPECT_EQ(x.HEX_to_BIN(u"ff"), u"11111111");
  EXPECT_EQ(x.BIN_to_HEX(u"11111"), u"1F");
  EXPECT_EQ(x.BIN_to_HEX(u"0000"), u"");
  EXPECT_EQ(x.BIN_to_HEX(u"1x11"), u"");  // a group that is not binary
  EXPECT_EQ(x.OCT_to_HEX(u"17"), u"F");
  EXPECT_EQ(x.HEX_to_OCT(u"FF"), u"377");
  EXPECT_EQ(x.OCT_to_BIN(u"0178"), u"1111");
  EXPECT_EQ(x.BIN_to_OCT(u"1000"), u"10");
  EXPECT_EQ(x.HEX_to_DEC(u"7FFFFFFF"), INT32_MAX);
  EXPECT_EQ(x.HEX_to_DEC(u"1G"), 16);
  EXPECT_EQ(x.OCT_to_DEC(u"17777777777"), INT32_MAX);
  EXPECT_EQ(x.BIN_to_DEC(u"12"), 4);
  EXPECT_EQ(x.BIN_to_DEC(u""), 0);
  EXPECT_EQ(x.BIN_to_DEC(std::u16string(31, u'1')), INT32_MAX);
  // Leading zeros of any length are no overflow.
  EXPECT_EQ(x.HEX_to_DEC(std::u16string(40000, u'0') + u"A"), 10);
  EXPECT_EQ(x.BIN_to_HEX(std::u16string(40000, u'0') + u"1"), u"1");
}

TEST(XhtmlNumberBase, OverflowReachesTheCaller) {
  XML x;
  EXPECT_EQ(ErrorOf([&] { x.OCT_to_DEC(u"20000000000"); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([&] { x.BIN_to_DEC(u"1" + std::u16string(31, u'0')); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([&] { x.BIN_to_DEC(std::u16string(32, u'9')); }), kErrOverflow);
}

}  // namespace
}  // namespace zorvadel
