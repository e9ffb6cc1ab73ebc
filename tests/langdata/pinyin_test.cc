// Pinyin of single characters and of texts: codes outside GB2312 level 1,
// characters without a syllable, and both annotation modes; and every
// character of GB2312 level 1 against the lists beside this file.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace zorvadel::langdata
