// Every GB2312 level-1 character against a list of code, character and
// reading kept beside this file. The list was written from the syllable
// table's start codes by a separate script, so a slip in our table or its
// index shows up here; its readings are GB2312's filing (捕 under bo), not a
// dictionary's.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "langdata/pinyin.h"
#include "platform/codepage/codepage.h"

namespace zorvadel::langdata {
namespace {

constexpr char kGoldenName[] = "gb2312_level1_pinyin.txt";

struct GoldenRow {
  uint16_t code;
  std::u16string character;
  std::u16string syllable;
};

// ctest names the source tree; a binary started by hand finds the list
// beside this file.
std::filesystem::path GoldenPath() {
  if (const char* root = std::getenv("ZORVADEL_SOURCE_DIR"); root != nullptr && *root != 0) {
    return std::filesystem::path(root) / "tests" / "langdata" / kGoldenName;
  }
  return std::filesystem::path(__FILE__).parent_path() / kGoldenName;
}

std::vector<GoldenRow> ReadGolden() {
  std::vector<GoldenRow> rows;
  std::ifstream in(GoldenPath());
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string code, character, syllable;
    fields >> code >> character >> syllable;
    rows.push_back({static_cast<uint16_t>(std::stoul(code, nullptr, 16)),
                    codepage::FromUtf8(character), codepage::FromUtf8(syllable)});
  }
  return rows;
}

class Gb2312Level1Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { rows_ = new std::vector<GoldenRow>(ReadGolden()); }
  static void TearDownTestSuite() {
    delete rows_;
    rows_ = nullptr;
  }
  static const std::vector<GoldenRow>& rows() { return *rows_; }

 private:
  static std::vector<GoldenRow>* rows_;
};

std::vector<GoldenRow>* Gb2312Level1Test::rows_ = nullptr;

// The list itself: all 3,755 codes in order, rows B0 to D7, trail bytes A1
// to FE, ending at D7F9 (D7FA to D7FE are unused).
TEST_F(Gb2312Level1Test, ListCoversTheLevelInOrder) {
  ASSERT_EQ(rows().size(), 3755u) << GoldenPath();
  size_t i = 0;
  for (unsigned lead = 0xB0; lead <= 0xD7; ++lead) {
    for (unsigned trail = 0xA1; trail <= 0xFE && i < rows().size(); ++trail) {
      const unsigned code = lead * 256 + trail;
      if (code > 0xD7F9) break;
      EXPECT_EQ(rows()[i++].code, code);
    }
  }
  EXPECT_EQ(i, rows().size());
}

TEST_F(Gb2312Level1Test, EveryCharacterHasItsFiledReading) {
  for (const GoldenRow& row : rows()) {
    ASSERT_EQ(row.character.size(), 1u) << std::hex << row.code;
    // The code page must put the character at its code, or the reading
    // would be taken from the wrong run.
    EXPECT_EQ(codepage::FromGbkCode(row.code), row.character[0]) << std::hex << row.code;
    EXPECT_EQ(GetPinYin(row.character), row.syllable) << std::hex << row.code;
    EXPECT_EQ(NeedPinYin(row.character, 1), row.syllable + u" ") << std::hex << row.code;
    EXPECT_EQ(NeedPinYin(row.character, 0), row.character + u"(" + row.syllable + u")")
        << std::hex << row.code;
  }
}

// All characters in one text: the readings follow each other with nothing
// between them.
TEST_F(Gb2312Level1Test, WholeLevelAsOneText) {
  std::u16string text, expected;
  for (const GoldenRow& row : rows()) {
    text += row.character;
    expected += row.syllable;
  }
  EXPECT_EQ(GetPinYin(text), expected);
}

}  // namespace
}  // namespace zorvadel::langdata
