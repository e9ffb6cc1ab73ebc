// Pinyin of single characters and of texts (codes outside GB2312 level 1,
// characters without a syllable, both annotation modes, and every character
// of level 1 against the lists beside this file); lunar dates (the table's
// first and last days, leap months, the leap-year correction, the year
// names, dates without an answer); and the members as a script reaches them:
// which class has which, what each gives by name, and week days of date
// texts and values, today's for none.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "langdata/lunar.h"
#include "langdata/pinyin.h"
#include "platform/codepage/codepage.h"
#include "support/member_calls.h"
#include "zorvadel/runtime.h"

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
      // Around GB2312 level 1 (whose characters Gb2312Level1Test checks):
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

// ---- GB2312 level 1 --------------------------------------------------------------

constexpr char kReadingsName[] = "gb2312_level1_pinyin.txt";
constexpr char kFilingsName[] = "gb2312_level1_filing.txt";

struct GoldenRow {
  uint16_t code;
  std::u16string character;
  std::u16string syllable;  // the dictionary's reading
  std::u16string filed;     // what our lookup must give
};

struct Filing {
  std::u16string character, reading, syllable;
};

// ctest names the source tree; a binary started by hand finds the lists
// beside this file.
std::filesystem::path ListPath(const char* name) {
  if (const char* root = std::getenv("ZORVADEL_SOURCE_DIR"); root != nullptr && *root != 0) {
    return std::filesystem::path(root) / "tests" / "langdata" / name;
  }
  return std::filesystem::path(__FILE__).parent_path() / name;
}

// The whitespace-separated fields of each line, less # comments.
std::vector<std::vector<std::string>> ReadList(const char* name) {
  std::vector<std::vector<std::string>> lines;
  std::ifstream in(ListPath(name));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::vector<std::string> fields;
    for (std::string word; words >> word;) fields.push_back(word);
    if (!fields.empty()) lines.push_back(std::move(fields));
  }
  return lines;
}

uint16_t CodeOf(const std::string& hex) {
  return static_cast<uint16_t>(std::stoul(hex, nullptr, 16));
}

// Both lists, read once; a malformed line is left out, and the tests below
// find it missing.
const std::map<uint16_t, Filing>& filings() {
  static const auto* const filings = [] {
    auto* map = new std::map<uint16_t, Filing>;
    for (const auto& f : ReadList(kFilingsName)) {
      if (f.size() != 4) continue;
      map->emplace(CodeOf(f[0]), Filing{codepage::FromUtf8(f[1]), codepage::FromUtf8(f[2]),
                                        codepage::FromUtf8(f[3])});
    }
    return map;
  }();
  return *filings;
}

const std::vector<GoldenRow>& rows() {
  static const auto* const rows = [] {
    auto* list = new std::vector<GoldenRow>;
    for (const auto& f : ReadList(kReadingsName)) {
      if (f.size() != 3) continue;
      GoldenRow row{CodeOf(f[0]), codepage::FromUtf8(f[1]), codepage::FromUtf8(f[2]), {}};
      const auto filing = filings().find(row.code);
      row.filed = filing == filings().end() ? row.syllable : filing->second.syllable;
      list->push_back(std::move(row));
    }
    return list;
  }();
  return *rows;
}

// The list holds all 3,755 codes in order (rows B0 to D7, trail bytes A1 to
// FE, ending at D7F9). A filing names a listed character, repeats the
// dictionary's reading of it (so a regenerated list cannot leave it stale)
// and differs from it.
TEST(Gb2312Level1Test, EveryCharacterHasItsFiledReading) {
  ASSERT_EQ(rows().size(), 3755u) << ListPath(kReadingsName);
  ASSERT_EQ(filings().size(), ReadList(kFilingsName).size()) << ListPath(kFilingsName);
  size_t filed = 0;
  uint16_t last = 0xB0A0;
  for (const GoldenRow& row : rows()) {
    SCOPED_TRACE(testing::Message() << std::hex << row.code);
    EXPECT_GT(row.code, last);
    EXPECT_TRUE(row.code <= 0xD7F9 && (row.code & 0xFF) >= 0xA1 && (row.code & 0xFF) <= 0xFE);
    last = row.code;
    ASSERT_EQ(row.character.size(), 1u);
    // The code page must put the character at its code, or the reading
    // would be taken from the wrong run.
    EXPECT_EQ(codepage::FromGbkCode(row.code), row.character[0]);
    EXPECT_EQ(GetPinYin(row.character), row.filed);
    EXPECT_EQ(NeedPinYin(row.character, 1), row.filed + u" ");
    EXPECT_EQ(NeedPinYin(row.character, 0), row.character + u"(" + row.filed + u")");
    if (const auto filing = filings().find(row.code); filing != filings().end()) {
      ++filed;
      EXPECT_EQ(filing->second.character, row.character);
      EXPECT_EQ(filing->second.reading, row.syllable);
      EXPECT_NE(filing->second.syllable, row.syllable);
    }
  }
  EXPECT_GT(filed, 0u);
  EXPECT_EQ(filed, filings().size()) << "a filing names a code outside level 1";
}

// All characters in one text: the readings follow each other with nothing
// between them.
TEST(Gb2312Level1Test, WholeLevelAsOneText) {
  std::u16string text, expected;
  for (const GoldenRow& row : rows()) {
    text += row.character;
    expected += row.filed;
  }
  EXPECT_EQ(GetPinYin(text), expected);
}

// ---- Lunar dates -----------------------------------------------------------------

struct LunarCase {
  std::u16string_view day, expected;
};

TEST(LunarDateTest, KnownDates) {
  const LunarCase cases[] = {
      {u"1921-2-8", u"农历辛酉年(鸡)正月初一"},
      {u"1921-3-9", u"农历辛酉年(鸡)正月三十"},
      {u"2021-2-11", u"农历庚子年(鼠)腊月三十"},
      {u"2009-6-23", u"农历己丑年(牛)闰五月初一"},
      {u"2010-12-31", u"农历庚寅年(虎)十一月廿六"},
      {u"2017-6-24", u"农历丁酉年(鸡)六月初一"},
      {u"2017-7-23", u"农历丁酉年(鸡)闰六月初一"},
      {u"2017-8-22", u"农历丁酉年(鸡)七月初一"},
      {u"2020-5-23", u"农历庚子年(鼠)闰四月初一"},
      {u"1984-11-23", u"农历甲子年(鼠)闰十月初一"},
      {u"2000-2-29", u"农历庚辰年(龙)正月廿五"},
      {u"2000-3-1", u"农历庚辰年(龙)正月廿六"},
      {u"2021-1-1", u"农历庚子年(鼠)十一月十八"},
      {u"2009-1-26 23:59", u"农历己丑年(牛)正月初一"},  // other forms: the runtime's DatesTest
  };
  for (const LunarCase& c : cases) EXPECT_EQ(LunarDate(c.day), c.expected) << codepage::ToUtf8(c.day);
}

TEST(LunarDateTest, NoAnswer) {
  const std::u16string_view days[] = {
      u"1921-2-7", u"1921-2-6", u"1900-1-1", u"100-1-1", u"2021-2-12", u"2021-12-31", u"9999-12-31",
      u"", u"abc", u"2021-2-30", u"2009-13-1", u"12:00",
  };
  for (std::u16string_view day : days) EXPECT_EQ(LunarDate(day), u"") << codepage::ToUtf8(day);
}

// Parts beyond their ranges roll over into the neighbouring months and
// years before the date is looked up.
TEST(LunarDateTest, PartsRollOver) {
  EXPECT_EQ(LunarDateText(2008, 13, 26), u"农历己丑年(牛)正月初一");
  EXPECT_EQ(LunarDateText(2009, 2, -5), LunarDateText(2009, 1, 26));
  EXPECT_EQ(LunarDateText(1921, 1, 38), u"");  // rolls over to 1921-2-7
  EXPECT_EQ(LunarDateText(2021, 1, 42), u"农历庚子年(鼠)腊月三十");
  EXPECT_EQ(LunarDateText(2021, 1, 43), u"");
  EXPECT_EQ(LunarDateText(2022, 0, 0), u"");
  EXPECT_EQ(LunarDateText(-2147483647, 1, 1), u"");
  EXPECT_EQ(LunarDateText(1921, 2147483647, 2147483647), u"");
}

// Walks the whole range day by day: every day has a name, the lunar day runs
// 1, 2, ... and restarts only after day 29 or 30, and the months and leap
// months come out in the numbers the table implies (100 years of 12 months,
// 37 of them with a leap month).
TEST(LunarDateTest, WholeRangeIsContinuous) {
  const double first = DateSerial(DateParts{1921, 2, 8});
  int months = 0, leap_months = 0;
  std::u16string previous;
  for (int i = 0; i < kLunarLastDay; ++i) {
    const DateParts d = SplitDate(first + i);
    const std::u16string text = LunarDateText(d.year, d.month, d.day);
    ASSERT_FALSE(text.empty()) << d.year << "-" << d.month << "-" << d.day;
    if (text.ends_with(u"初一")) {
      ++months;
      if (text.find(u"闰") != std::u16string::npos) ++leap_months;
      if (!previous.empty()) {
        EXPECT_TRUE(previous.ends_with(u"廿九") || previous.ends_with(u"三十")) << i;
      }
    }
    previous = text;
  }
  EXPECT_EQ(months, 1237);
  EXPECT_EQ(leap_months, 37);
  EXPECT_EQ(LunarDateText(1921, 2, 7), u"");  // the day before the table
}

// ---- The members by name ---------------------------------------------------------

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
}  // namespace zorvadel::langdata
