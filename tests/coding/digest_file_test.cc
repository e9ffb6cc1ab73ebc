// File digests read regular files only (a device or a FIFO would be read,
// or waited on, forever), and in a page a relative name is one of the site's
// files, never one of the server's working folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/codepage/codepage.h"
#include "support/error_of.h"
#include "zorvadel/classes.h"
#include "zorvadel/memory_page.h"

namespace zorvadel {
namespace {

namespace fs = std::filesystem;
using test::ErrorOf;

constexpr char16_t kAbc[] = u"900150983CD24FB0D6963F7D28E17F72";  // RFC 1321's "abc"

struct Site {
  Site() : root(fs::temp_directory_path() / ("zorvadel_digest_" + std::to_string(getpid()))) {
    fs::create_directories(root / "data");
    std::ofstream(root / "data" / "abc.txt", std::ios::binary) << "abc";
    mkfifo((root / "fifo").c_str(), 0600);
  }
  ~Site() { fs::remove_all(root); }
  std::u16string Disk(const char* name) const {
    return codepage::FromUtf8((root / name).string());
  }
  fs::path root;
};

TEST(DigestFile, RegularFilesOnlyAndRelativeNamesFromTheSiteRoot) {
  const Site site;
  engine::MemoryPage page(engine::RequestFacts{}, site.root, nullptr, nullptr);
  auto common = std::dynamic_pointer_cast<Common>(
      page.context().GetServer()->CreateObject(u"Zorvadel.Common"));
  ASSERT_TRUE(common);
  Common plain;  // no page context

  const struct {
    std::u16string name;
    int32_t error;  // 0: the digest of "abc"
  } kCases[] = {
      {u"data/abc.txt", 0},
      {u"data\\abc.txt", 0},
      {site.Disk("data/abc.txt"), 0},
      {u"../abc.txt", 5},  // leaves the site
      {u"none.txt", 53},
      {u"data", 75},
      {u"fifo", 75},
      {site.Disk("fifo"), 75},
      {u"/dev/zero", 75},
      {u"/dev/null", 75},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(codepage::ToUtf8(c.name));
    // An absolute name is the same file with a page context or without.
    for (Common* object : {common.get(), c.name.front() == u'/' ? &plain : nullptr}) {
      if (object == nullptr) continue;
      std::u16string digest;
      EXPECT_EQ(ErrorOf([&] { digest = object->DigestFileToHexStr(c.name); }), c.error);
      if (c.error == 0) {
        EXPECT_EQ(digest, kAbc);
      }
    }
  }
  page.EndPage();
}

}  // namespace
}  // namespace zorvadel
