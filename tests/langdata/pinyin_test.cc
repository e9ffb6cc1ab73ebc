// Pinyin of single characters and of texts: the table's edges, readings of
// well-known characters, characters without a syllable, and both annotation
// modes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "langdata/pinyin.h"
#include "langdata/pinyin_table.h"
#include "platform/codepage/codepage.h"

namespace zorvadel::langdata {
namespace {

std::u16string Char(uint16_t gb_code) {
  const char16_t c = codepage::FromGbkCode(gb_code);
  EXPECT_NE(c, 0) << std::hex << gb_code;
  return std::u16string(1, c);
}

struct CodeCase {
  uint16_t code;
  std::u16string_view expected;
};

TEST(GetPinYinTest, CharactersByCode) {
  const CodeCase cases[] = {
      {0xB0A1, u"a"},     {0xB0A2, u"a"},   {0xB0A3, u"ai"},     // first rows
      {0xD7F1, u"zun"},   {0xD7F2, u"zuo"}, {0xD7F9, u"zuo"},    // last rows
      {0xD6D0, u"zhong"}, {0xB9FA, u"guo"},                      // 中 国
      {0xB9F7, u"gun"},   {0xB9F8, u"guo"}, {0xB9FD, u"guo"}, {0xB9FE, u"ha"},
      {0xC2BE, u"lu"},    {0xC2BF, u"lv"},  {0xC2CD, u"luan"},   // lv between lu and luan
      {0xC5AE, u"nv"},    {0xC5B0, u"nue"}, {0xC2D3, u"lue"},
      {0xB140, u"bao"},   // code page 936 character inside the range, outside GB2312
      {0xB0A0, u""},      {0xD8A1, u""},    {0xA3AC, u""}, {0xA1A1, u""}, {0x8140, u""},
  };
  for (const CodeCase& c : cases) {
    EXPECT_EQ(GetPinYin(Char(c.code)), c.expected) << std::hex << c.code;
  }
}

TEST(GetPinYinTest, WellKnownReadings) {
  // Characters with several readings get the one GB2312 files them under.
  const struct {
    std::u16string_view text, expected;
  } cases[] = {
      {u"", u""},
      {u"中国", u"zhongguo"},
      {u"中a国", u"zhongaguo"},
      {u"中国青石流云在线", u"zhongguoqingshiliuyunzaixian"},
      {u"Chinese Mardon Varedo", u"Chinese Mardon Varedo"},
      {u"吕女略虐", u"lvnvluenue"},
      {u"长行了的", u"changxingliaode"},
      {u"啊座", u"azuo"},
      {u"中，国。", u"zhongguo"},       // full-width punctuation dropped
      {u"中\u3000国", u"zhongguo"},      // ideographic space dropped
      {std::u16string_view(u"A\0B", 3), u"AB"},  // NUL dropped
      {u"\u20AC1", u"\u20AC1"},           // the euro sign's one-byte code 0x80
      {u"\u0E01", u"?"},                  // no code page 936 form
      {u"\U0001F600", u"??"},             // each surrogate half
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetPinYin(c.text), c.expected);
  }
}

TEST(GetPinYinTest, EveryRowStartsItsRun) {
  const auto rows = PinyinRows();
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(GetPinYin(Char(rows[i].start)), rows[i].syllable);
    if (i > 0) {
      // The code before a run belongs to the run before it, wherever that
      // code names a character.
      const char16_t prev = codepage::FromGbkCode(rows[i].start - 1);
      if (prev != 0) {
        EXPECT_EQ(GetPinYin(std::u16string(1, prev)), rows[i - 1].syllable);
      }
    }
  }
}

TEST(GetPinYinTest, TextsBeyond16BitLengths) {
  const std::u16string text(40000, u'中');
  const std::u16string out = GetPinYin(text + u"国");
  ASSERT_EQ(out.size(), 40000u * 5 + 3);
  EXPECT_EQ(out.substr(out.size() - 8), u"zhongguo");
}

struct NeedCase {
  std::u16string_view text;
  int mode;
  std::u16string_view expected;
};

TEST(NeedPinYinTest, Modes) {
  const NeedCase cases[] = {
      {u"", 0, u""},
      {u"", 1, u""},
      {u"中国", 2, u""},
      {u"中国", -1, u""},
      {u"中国a", 0, u"中(zhong)国(guo)a"},
      {u"中国a", 1, u"zhong guo a"},
      {u"Hello中国", 1, u"Hellozhong guo "},
      {u"a1 ，。\u3000", 0, u"a1 ，。\u3000"},
      {u"a1 ，。\u3000", 1, u"a1 ，。\u3000"},
      {u"\u9F98", 0, u"\u9F98"},                 // level 2 (龘 has a GBK form only)
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
  EXPECT_EQ(kPinyinSkipMarks.size(), 19u);
  for (char16_t mark : kPinyinSkipMarks) {
    const std::u16string text(1, mark);
    EXPECT_TRUE(IsPinyinSkipMark(mark));
    EXPECT_EQ(NeedPinYin(text, 0), text);
  }
  EXPECT_FALSE(IsPinyinSkipMark(u'中'));
  EXPECT_FALSE(IsPinyinSkipMark(u'a'));
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
