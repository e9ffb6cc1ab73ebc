// Pinyin of single characters and of texts: codes outside GB2312 level 1,
// characters without a syllable, and both annotation modes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "langdata/pinyin.h"
#include "platform/codepage/codepage.h"

namespace zorvadel::langdata {
namespace {

std::u16string Char(uint16_t gb_code) {
  const char16_t c = codepage::FromGbkCode(gb_code);
  EXPECT_NE(c, 0) << std::hex << gb_code;
  return std::u16string(1, c);
}

TEST(GetPinYinTest, WellKnownReadings) {
  const struct {
    std::u16string text, expected;
  } cases[] = {
      {u"", u""},
      {u"中a国", u"zhongaguo"},
      {u"中，国。", u"zhongguo"},       // full-width punctuation dropped
      {u"中\u3000国", u"zhongguo"},      // ideographic space dropped
      {std::u16string(u"A\0B", 3), u"AB"},  // NUL dropped
      {u"\u20AC1", u"\u20AC1"},           // the euro sign's one-byte code 0x80
      {u"\u0E01", u"?"},                  // no code page 936 form
      {u"\U0001F600", u"??"},             // each surrogate half
      // Around GB2312 level 1 (whose characters gb2312_level1_test.cc checks):
      // a code page 936 character inside its range but outside GB2312, then
      // codes before, after and outside it.
      {Char(0xB140), u"bao"},
      {Char(0xB0A0) + Char(0xD8A1) + Char(0xA3AC) + Char(0xA1A1) + Char(0x8140), u""},
  };
  for (const auto& c : cases) EXPECT_EQ(GetPinYin(c.text), c.expected) << codepage::ToUtf8(c.text);
}

struct NeedCase {
  std::u16string_view text;
  int mode;
  std::u16string_view expected;
};

TEST(NeedPinYinTest, Modes) {
  const NeedCase cases[] = {
      {u"", 0, u""},
      {u"中国", 2, u""},
      {u"中国a", 0, u"中(zhong)国(guo)a"},
      {u"中国a", 1, u"zhong guo a"},
      {u"Hello中国", 1, u"Hellozhong guo "},
      {u"a1 ，。\u3000", 1, u"a1 ，。\u3000"},
      {u"\u9F98", 0, u"\u9F98"},                 // level 2 (龘 has a GBK form only)
      {u"\u9F98", 1, u"\u9F98"},
      {u"\u0E01", 0, u"\u0E01(?)"},
      {u"\u0E01", 1, u"? "},
      {u"中", 1, u"zhong "},                      // the output filter's question
      {u"，", 1, u"，"},
  };
  for (const NeedCase& c : cases) {
    EXPECT_EQ(NeedPinYin(c.text, c.mode), c.expected) << "mode " << c.mode;
  }
}

TEST(NeedPinYinTest, SkipMarksNeverAnnotated) {
  const std::u16string marks = u"，“”。 \u3000；：？《》‘’！·—、|．";
  ASSERT_EQ(marks.size(), 19u);
  EXPECT_EQ(NeedPinYin(marks, 0), marks);
}

TEST(NeedPinYinTest, LongTextKeepsEveryCharacter) {
  std::u16string text;
  for (int i = 0; i < 20000; ++i) text += u"中a";
  const std::u16string out = NeedPinYin(text, 0);
  ASSERT_EQ(out.size(), 20000u * 9);
  EXPECT_EQ(out.substr(out.size() - 9), u"中(zhong)a");
}

}  // namespace
}  // namespace zorvadel::langdata
