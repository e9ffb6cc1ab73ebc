// The language-data members as a script reaches them: which class has which,
// what each gives by name (defaults, omitted arguments, the English classes'
// own answers), and week days of date texts and values, today's for none.
#include <gtest/gtest.h>

#include <string>

#include "support/member_calls.h"

namespace zorvadel {
namespace {

using test::CallRow;

TEST(LangDataMembersTest, WhichClassHasWhich) {
  const test::Presence kTable[] = {
      {u"GetPinYin", "XxWw-C"}, {u"NeedPinYin", "XxWw-C"}, {u"LunarDate", "XxWw-C"},
      {u"QueryWeek", "XxWw-C"}, {u"EnQueryWeek", "-----C"},
  };
  test::ExpectPresence(kTable);
}

const Variant kMissing = Variant::Missing();

// clang-format off
const CallRow kCalls[] = {
    // The site name by default; EnXML's has no Chinese to read.
    {u"GetPinYin", "X-Ww-C", {}, Variant(u"zhongguoqingshiliuyunzaixian")},
    {u"GetPinYin", "-x----", {}, Variant(u"Chinese Mardon Varedo")},
    {u"getpinyin", "XxWw-C", {u"中a国"}, Variant(u"zhongaguo")},
    {u"NeedPinYin", "-----C", {}, Variant(u"")},
    {u"NeedPinYin", "-----C", {u"中国a", kMissing}, Variant(u"中(zhong)国(guo)a")},
    {u"NeedPinYin", "XxWw-C", {u"中国a", int32_t{1}}, Variant(u"zhong guo a")},
    {u"NeedPinYin", "-----C", {u"中国a", u"2"}, Variant(u"")},
    {u"NeedPinYin", "-----C", {u"中", int32_t{40000}}, Variant(), kErrOverflow},
    {u"LunarDate", "-----C", {}, Variant(), kErrWrongArgs},
    // Characters, not references, whatever the output filter does.
    {u"LunarDate", "XxWw-C", {u"2017-7-23"}, Variant(u"农历丁酉年(鸡)闰六月初一")},
    {u"LunarDate", "XxWw-C", {u"1921-2-7"}, Variant(u"")},
    {u"QueryWeek", "-----C", {u"2009-1-26"}, Variant(u"星期一")},
    {u"QueryWeek", "-x-w--", {u"2009-1-26"}, Variant(u"Monday")},
    {u"EnQueryWeek", "-----C", {u"2009-1-25"}, Variant(u"Sunday")},
    {u"QueryWeek", "-----C", {u"2010-12-31"}, Variant(u"星期五")},
    {u"EnQueryWeek", "-----C", {u"2009-1-31"}, Variant(u"Saturday")},
    {u"QueryWeek", "-----C", {u"2009-1-26 23:59"}, Variant(u"星期一")},
    // Date values (serials of 2009-1-27 and 2009-1-29 18:00) and a number.
    {u"EnQueryWeek", "-----C", {Variant::Date(39840.0)}, Variant(u"Tuesday")},
    {u"QueryWeek", "-----C", {Variant::Date(39842.75)}, Variant(u"星期四")},
    {u"QueryWeek", "-----C", {u"1981-9-16"}, Variant(u"星期三")},
    {u"QueryWeek", "-----C", {u"2009-1-25"}, Variant(u"星期日")},
    {u"EnQueryWeek", "-----C", {u"2009-1-30"}, Variant(u"Friday")},
    {u"QueryWeek", "-----C", {int32_t{0}}, Variant(u"星期六")},  // serial 0 is 1899-12-30
    {u"QueryWeek", "XxWw-C", {u"abc"}, Variant(u"")},
    {u"QueryWeek", "-----C", {u" "}, Variant(u"")},
    {u"EnQueryWeek", "-----C", {u"2021-2-30"}, Variant(u"")},
    {u"QueryWeek", "-----C", {Variant::Null()}, Variant(u"")},
};
// clang-format on

TEST(LangDataMembersTest, ByNameInEveryClassThatHasIt) { test::ExpectCalls(kCalls); }

// The Chinese page classes pass the name through their output filter.
TEST(LangDataMembersTest, QueryWeekOfThePageFollowsWapEnCoding) {
  for (const char16_t* name : {u"XML", u"WAP"}) {
    auto page = std::dynamic_pointer_cast<PageObject>(test::NewByProgId(name));
    page->state().WapEnCoding = u"utf-8";
    EXPECT_EQ(Invoke(*page, u"QueryWeek", {u"2009-1-26"}), Variant(u"&#x661F;&#x671F;&#x4E00;"));
    page->state().WapEnCoding = u"gb2312";
    EXPECT_EQ(Invoke(*page, u"QueryWeek", {u"2009-1-26"}), Variant(u"星期一"));
  }
}

std::u16string TodayEnglish() {
  constexpr std::u16string_view kNames[] = {u"Monday", u"Tuesday", u"Wednesday", u"Thursday",
                                           u"Friday", u"Saturday", u"Sunday"};
  return std::u16string(kNames[Weekday(Today(), 2) - 1]);
}

// Omitted, Empty or "" stand for today.
TEST(LangDataMembersTest, OmittedDateIsToday) {
  // Read today before and after, so a call at midnight cannot fail the test.
  const std::u16string before = TodayEnglish();
  ObjectPtr common = test::NewByProgId(u"Common");
  const Variant names[] = {Invoke(*common, u"EnQueryWeek", {}),
                           Invoke(*common, u"EnQueryWeek", {Variant()}),
                           Invoke(*common, u"EnQueryWeek", {u""}),
                           Invoke(*test::NewByProgId(u"EnWAP"), u"QueryWeek", {})};
  for (const Variant& name : names) {
    EXPECT_TRUE(name == Variant(before) || name == Variant(TodayEnglish()));
  }
  EXPECT_EQ(Invoke(*common, u"QueryWeek", {u""}).string().size(), 3u);
}

}  // namespace
}  // namespace zorvadel
