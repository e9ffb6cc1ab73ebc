// A file the static files found to be no file of SQLite's, and remembered,
// that then becomes one under the same name: it must be told again.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "database/database_test_util.h"
#include "platform/fso/regular_file.h"
#include "platform/fso/sqlite_look.h"

namespace zorvadel::test {
namespace {

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// Writes `bytes` over the start of `file`, on the same inode, without
// cutting it.
void WriteInPlace(const std::filesystem::path& file, const std::string& bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

fso::SqliteLook Look(const std::filesystem::path& file) {
  const fso::RegularFile opened(file.string(), fso::RegularFile::Use::kSend);
  EXPECT_TRUE(opened.ok());
  return fso::LookForSqlite(opened);
}

TEST(SqliteLook, AFileThatBecomesSqlitesUnderItsNameIsToldAgain) {
  ScratchFolder scratch;
  const std::filesystem::path database = scratch.path() / "made.db";
  MakeDatabase(database, {u"CREATE TABLE T (n INTEGER)"});
  const std::string db = Bytes(database);
  // A write-ahead log's magic, then the rest of a header.
  std::string wal = "\x37\x7f\x06\x82";
  wal.resize(db.size(), '\x01');
  using Change = std::function<void(const std::filesystem::path&)>;
  struct Case {
    const char* what;
    Change change;
  };
  const Case cases[] = {
      {"rewritten in place as a database", [&](auto& file) { WriteInPlace(file, db); }},
      {"rewritten in place, its time set back",
       [&](auto& file) {
         struct stat before {};
         ASSERT_EQ(::stat(file.c_str(), &before), 0);
         WriteInPlace(file, db);
         const struct timespec times[2] = {before.st_atim, before.st_mtim};
         ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
       }},
      {"replaced by a database under its name",
       [&](auto& file) {
         const std::filesystem::path other = file.string() + ".new";
         Write(other, db);
         std::filesystem::rename(other, file);
       }},
      {"cut to nothing, then written as a log",
       [&](auto& file) {
         ASSERT_EQ(::truncate(file.c_str(), 0), 0);
         WriteInPlace(file, wal);
       }},
      {"a link to a database in its place",
       [&](auto& file) {
         std::filesystem::remove(file);
         std::filesystem::create_hard_link(database, file);
       }},
  };
  // Text as long as the database, so that no size tells them apart.
  const std::string text(db.size(), 'a');
  for (size_t i = 0; i < std::size(cases); ++i) {
    Write(scratch.path() / ("page" + std::to_string(i) + ".txt"), text);
  }
  // Only a file whose inode has not changed for a few seconds is remembered.
  std::this_thread::sleep_for(std::chrono::milliseconds(3300));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    const std::filesystem::path file = scratch.path() / ("page" + std::to_string(i) + ".txt");
    EXPECT_EQ(Look(file), fso::SqliteLook::kOther);
    EXPECT_EQ(Look(file), fso::SqliteLook::kOther);  // now from memory
    cases[i].change(file);
    EXPECT_EQ(Look(file), fso::SqliteLook::kSqlite);
  }
  EXPECT_EQ(Look(database), fso::SqliteLook::kSqlite);
}

}  // namespace
}  // namespace zorvadel::test
