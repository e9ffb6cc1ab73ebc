// The file members on real files in a scratch site: writing and reading
// back, the one folder level made on the way, sizes, existence, paths that
// leave the site, and the code page of the written bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"
#include "platform/fso/file_system.h"

namespace zorvadel::test {
namespace {

std::string Slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class FileMembers : public ::testing::Test {
 protected:
  std::unique_ptr<DbPage> Page(const char16_t* class_name = u"WAP") {
    return std::make_unique<DbPage>(scratch_.path(), class_name, "/news/page.asp");
  }
  std::filesystem::path Disk(const std::string& site_path) const {
    return scratch_.path() / site_path;
  }
  ScratchFolder scratch_;
};

TEST_F(FileMembers, WritesReadBackAndProbe) {
  std::filesystem::create_directories(Disk("news/old"));
  const Variant missing = Variant::Missing();
  const struct {
    std::vector<Variant> args;  // FsoWriteFile's arguments
    std::string disk;           // where the file lands ("" for nowhere)
    std::string bytes;
  } kCases[] = {
      {{missing, missing}, "news/Temp.htm", ""},
      {{u"a.htm", u"<p>hi</p>"}, "news/a.htm", "<p>hi</p>"},
      {{u"today/b.htm", u"x"}, "news/today/b.htm", "x"},          // one level made
      {{u"/top.htm", u"root"}, "top.htm", "root"},
      {{u"two/levels/c.htm", u"x"}, "", ""},                      // only one level is made
      {{u"old\\d.htm", u"back"}, "news/old/d.htm", "back"},       // "\" folder exists: written
      {{u"new\\e.htm", u"x"}, "", ""},                            // and is never made
      {{u"中文.htm", u"汉字"}, "news/中文.htm", "\xBA\xBA\xD7\xD6"},  // code page 936
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.disk);
    auto page = Page();
    page->Call(u"FsoWriteFile", c.args);
    if (c.disk.empty()) continue;
    EXPECT_EQ(Slurp(Disk(c.disk)), c.bytes);
    const std::u16string site = c.args[0].IsMissing() ? u"Temp.htm" : CStr(c.args[0]);
    EXPECT_EQ(page->Call(u"IsFileExist", {site}), Variant(true));
    EXPECT_EQ(page->Call(u"GetFileSize", {site}), Variant(static_cast<int32_t>(c.bytes.size())));
  }
  EXPECT_FALSE(std::filesystem::exists(Disk("news/two")));
  EXPECT_FALSE(std::filesystem::exists(Disk("news/new")));
}

TEST_F(FileMembers, ASecondWriteReplacesAndLeavesNoTemporaryFile) {
  std::filesystem::create_directories(Disk("news"));
  auto page = Page(u"XML");
  page->Call(u"FsoWriteFile", {u"r.htm", u"first and longer"});
  page->Call(u"FsoWriteFile", {u"r.htm", u"second"});
  EXPECT_EQ(Slurp(Disk("news/r.htm")), "second");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Disk("news")), {}), 1);
}

// Mended: a character that code page 936 lacks is kept in its GB18030 form.
TEST_F(FileMembers, CharactersBeyondCodePage936StayReadable) {
  EXPECT_EQ(fso::TextFileBytes(u"a\u20AC"), "a\x80");  // the one-byte euro of 936
  EXPECT_EQ(fso::TextFileBytes(u"\U0001F600"), "\x94\x39\xFC\x36");
  EXPECT_EQ(fso::TextFileBytes(u"\u00E9"), "\xA8\xA6");
  EXPECT_EQ(fso::TextFileBytes(u"\u0E01"), "\x81\x32\xCE\x39");  // Thai: four bytes
}

TEST_F(FileMembers, ProbesOfWhatIsNotAFile) {
  std::filesystem::create_directories(Disk("news/dir"));
  std::ofstream(Disk("news/empty.txt")).close();
  const std::pair<std::u16string, bool> kCases[] = {
      {u"never.htm", false}, {u"dir", false}, {u"empty.txt", true}, {u"", false},
      {u"../../etc/passwd", false}};
  auto page = Page(u"EnWAP");
  for (const auto& [path, exists] : kCases) {
    EXPECT_EQ(page->Call(u"IsFileExist", {path}), Variant(exists)) << codepage::ToUtf8(path);
    EXPECT_EQ(page->Call(u"GetFileSize", {path}), Variant(int32_t{0})) << codepage::ToUtf8(path);
  }
}

// Mended: a path that leaves the site ends the member; nothing is written
// outside the root, nor in the page's folder as a fallback.
TEST_F(FileMembers, TraversalIsRefused) {
  std::filesystem::create_directories(Disk("site/news"));
  DbPage page(scratch_.path() / "site", u"WAP", "/news/page.asp");
  for (const char16_t* name : {u"../../outside.htm", u"/../outside.htm", u"../../x/outside.htm",
                               u"..\\..\\outside.htm"}) {
    page.Call(u"FsoWriteFile", {name, u"x"});
  }
  EXPECT_FALSE(std::filesystem::exists(Disk("outside.htm")));
  EXPECT_FALSE(std::filesystem::exists(Disk("x")));
  EXPECT_TRUE(std::filesystem::is_empty(Disk("site/news")));
}

}  // namespace
}  // namespace zorvadel::test
