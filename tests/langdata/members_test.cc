// The language-data members of Common and of the page classes, called
// directly and by name: defaults, omitted arguments, forwarding to CC, and
// the classes that lack them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/codepage/codepage.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

Variant Call(Object& object, std::u16string_view name, std::vector<Variant> args) {
  return Invoke(object, name, std::move(args));
}

std::u16string TodayEnglish() {
  constexpr std::u16string_view kNames[] = {u"Monday", u"Tuesday", u"Wednesday", u"Thursday",
                                           u"Friday", u"Saturday", u"Sunday"};
  return std::u16string(kNames[Weekday(Today(), 2) - 1]);
}

TEST(CommonLangDataTest, ByName) {
  Common cc;
  const struct {
    std::u16string_view member;
    std::vector<Variant> args;
    Variant expected;
  } cases[] = {
      {u"GetPinYin", {}, Variant(u"zhongguoqingshiliuyunzaixian")},
      {u"getpinyin", {u"中a国"}, Variant(u"zhongaguo")},
      {u"NeedPinYin", {}, Variant(u"")},
      {u"NeedPinYin", {u"中国a"}, Variant(u"中(zhong)国(guo)a")},
      {u"NeedPinYin", {u"中国a", Variant::Missing()}, Variant(u"中(zhong)国(guo)a")},
      {u"NeedPinYin", {u"中国a", int32_t{1}}, Variant(u"zhong guo a")},
      {u"NeedPinYin", {u"中国a", u"2"}, Variant(u"")},
      {u"LunarDate", {u"2009-1-26"}, Variant(u"农历己丑年(牛)正月初一")},
      {u"LunarDate", {u"1921-2-7"}, Variant(u"")},
      {u"LunarDate", {u"1921-2-6"}, Variant(u"")},
      {u"QueryWeek", {u"2009-1-26"}, Variant(u"星期一")},
      {u"EnQueryWeek", {u"2009-1-25"}, Variant(u"Sunday")},
      {u"EnQueryWeek", {u"abc"}, Variant(u"")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Call(cc, c.member, c.args), c.expected) << codepage::ToUtf8(c.member);
  }
}

TEST(CommonLangDataTest, OmittedDateIsToday) {
  Common cc;
  const std::u16string before = TodayEnglish();
  const Variant name = Call(cc, u"EnQueryWeek", {});
  EXPECT_TRUE(name == Variant(before) || name == Variant(TodayEnglish()));
  EXPECT_EQ(cc.EnQueryWeek(Variant::Missing()).empty(), false);
  EXPECT_EQ(Call(cc, u"QueryWeek", {u""}).string().size(), 3u);
}

TEST(CommonLangDataTest, ErrorsBeforeTheCall) {
  Common cc;
  // A required date left out, and a mode beyond 16 bits, are refused by the
  // call itself, as a late-bound call would refuse them.
  EXPECT_THROW(Call(cc, u"LunarDate", {}), ScriptError);
  EXPECT_THROW(Call(cc, u"NeedPinYin", {u"中", int32_t{40000}}), ScriptError);
}

TEST(PageLangDataTest, ForwardsInEveryPageClass) {
  std::vector<std::shared_ptr<PageObject>> pages = {
      std::make_shared<XML>(), std::make_shared<EnXML>(), std::make_shared<WAP>(),
      std::make_shared<EnWAP>()};
  for (const auto& page : pages) {
    const bool english = page->language() == PageLanguage::kEnglish;
    EXPECT_EQ(page->state().CC, nullptr);
    EXPECT_EQ(page->GetPinYin(u"中国"), u"zhongguo");
    ASSERT_NE(page->state().CC, nullptr);  // created on first use
    EXPECT_EQ(Call(*page, u"NeedPinYin", {u"中国a", int32_t{1}}), Variant(u"zhong guo a"));
    // Characters, not references, whatever the filter settings.
    EXPECT_EQ(Call(*page, u"LunarDate", {u"2017-7-23"}), Variant(u"农历丁酉年(鸡)闰六月初一"));
    EXPECT_EQ(Call(*page, u"LunarDate", {u"2021-2-12"}), Variant(u""));
    page->state().WapEnCoding = u"gb2312";
    EXPECT_EQ(Call(*page, u"QueryWeek", {u"2009-1-26"}),
              Variant(english ? u"Monday" : u"星期一"));
    EXPECT_EQ(Call(*page, u"QueryWeek", {u"abc"}), Variant(u""));
    if (english) {
      const std::u16string before = TodayEnglish();
      const Variant today = Call(*page, u"QueryWeek", {});
      EXPECT_TRUE(today == Variant(before) || today == Variant(TodayEnglish()));
    }
    EXPECT_FALSE(page->Class().Has(u"EnQueryWeek"));
  }
}

TEST(PageLangDataTest, GetPinYinDefaultIsTheSiteName) {
  XML xml;
  EnXML en_xml;
  WAP wap;
  EnWAP en_wap;
  EXPECT_EQ(Call(xml, u"GetPinYin", {}), Variant(u"zhongguoqingshiliuyunzaixian"));
  EXPECT_EQ(Call(wap, u"GetPinYin", {}), Variant(u"zhongguoqingshiliuyunzaixian"));
  EXPECT_EQ(Call(en_wap, u"GetPinYin", {}), Variant(u"zhongguoqingshiliuyunzaixian"));
  EXPECT_EQ(Call(en_xml, u"GetPinYin", {}), Variant(u"Chinese Mardon Varedo"));
}

TEST(PageLangDataTest, PhpXmlHasNone) {
  PHPXML php;
  for (std::u16string_view member : {u"GetPinYin", u"NeedPinYin", u"LunarDate", u"QueryWeek"}) {
    EXPECT_FALSE(php.Class().Has(member));
  }
}

}  // namespace
}  // namespace zorvadel
