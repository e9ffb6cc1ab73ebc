// The standing Jet readers on the real Jet file that run_jet.sh names in
// ZORVADEL_JET_FILE: the rows a page reads again from what a reader kept
// are those of a fresh read; a file changed in place is read afresh; many pages at once share a few
// readers; a reader that died or failed is replaced.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "database/database_test_util.h"
#include "platform/ado/backend.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

namespace fs = std::filesystem;

// The file copied into `scratch`, last changed an hour ago, as a site's
// file that has stood unchanged.
fs::path SettledCopy(const ScratchFolder& scratch) {
  const char* file = std::getenv("ZORVADEL_JET_FILE");
  if (file == nullptr) return {};
  const fs::path copy = scratch.path() / "monitor.mdb";
  fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
  fs::last_write_time(copy, fs::file_time_type::clock::now() - std::chrono::hours(1));
  return copy;
}

// This process's readers.
std::set<int> Readers() {
  std::set<int> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    std::ifstream stat(entry.path() / "stat"), cmdline(entry.path() / "cmdline");
    std::string pid, name, state, parent, argv0;
    if (!(stat >> pid >> name >> state >> parent) || parent != std::to_string(getpid())) continue;
    std::getline(cmdline, argv0, '\0');
    if (argv0 == "zorvadel-jet-reader") found.insert(std::stoi(pid));
  }
  return found;
}

std::string State(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string number, name, state;
  stat >> number >> name >> state;
  return state;
}

// A statement's rows as text ("name=value:type" each), or its error.
std::string Rows(ado::Database& database, const std::u16string& sql) {
  try {
    std::unique_ptr<ado::RowSource> rows = database.Run(sql, true);
    std::string out = std::to_string(rows->Count()) + " rows";
    std::vector<Variant> row;
    for (int64_t index = 0; rows->Read(index, row); ++index) {
      for (size_t column = 0; column < row.size(); ++column) {
        out += " " + codepage::ToUtf8(rows->names()[column]) + "=" +
               (row[column].IsNull() ? "" : codepage::ToUtf8(CStr(row[column]))) + ":" +
               codepage::ToUtf8(row[column].TypeName());
      }
    }
    return out;
  } catch (const ScriptError& error) {
    return "error " + std::to_string(error.number()) + " " + codepage::ToUtf8(error.description());
  }
}

TEST(JetReaders, KeptAnswersAreThoseOfAFreshRead) {
  ScratchFolder scratch;
  const fs::path file = SettledCopy(scratch);
  if (file.empty()) GTEST_SKIP() << "needs the file that run_jet.sh fetches";
  // A file changed moments ago is opened afresh for every job, as a file
  // changing under the readers must be.
  const fs::path fresh = scratch.path() / "fresh.mdb";
  fs::copy_file(file, fresh);
  fs::last_write_time(fresh, fs::file_time_type::clock::now() + std::chrono::hours(1));
  auto settled = ado::OpenJetFile(U16(file));
  auto changing = ado::OpenJetFile(U16(fresh));
  for (const auto& [sql, fails] :
       {std::pair{u"SELECT * FROM Monitor_Authenticate", false},
        std::pair{u"SELECT Comment FROM Monitor_Authenticate WHERE id = 1", false},
        std::pair{u"SELECT * FROM Monitor_Authenticate WHERE id = 2", false},
        std::pair{u"SELECT * FROM NoSuchTable", true}, std::pair{u"SELECT FROM WHERE", true}}) {
    const std::string first = Rows(*settled, sql);
    EXPECT_EQ(Rows(*settled, sql), first) << "again";
    EXPECT_EQ(Rows(*changing, sql), first) << "afresh";
    EXPECT_EQ(first.starts_with("error -2147467259 "), fails) << first;
  }
}

TEST(JetReaders, AFileChangedInPlaceIsReadAfresh) {
  ScratchFolder scratch;
  const fs::path file = SettledCopy(scratch);
  if (file.empty()) GTEST_SKIP() << "needs the file that run_jet.sh fetches";
  auto Comment = [&] {
    auto rs = OpenRecordset(Connect(AccessString(file)),
                            u"SELECT Comment FROM Monitor_Authenticate", ado::kOpenStatic);
    return CStr(rs->FieldValue(0));
  };
  EXPECT_EQ(Comment(), u"Example Circuit Added For Monitor Example To Potential New Clients");
  EXPECT_EQ(Comment(), u"Example Circuit Added For Monitor Example To Potential New Clients");
  // The comment's first letter (UTF-16), same size, same inode.
  for (const auto& [letter, aged] : {std::pair{'X', false}, std::pair{'Y', true}}) {
    std::fstream(file, std::ios::in | std::ios::out | std::ios::binary).seekp(73580).put(letter);
    if (aged) {
      fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::minutes(30));
    }
    EXPECT_EQ(Comment(), std::u16string(1, letter) +
                             u"xample Circuit Added For Monitor Example To Potential New Clients");
  }
}

TEST(JetReaders, ManyPagesAtOnceShareAFewReaders) {
  ScratchFolder scratch;
  const fs::path file = SettledCopy(scratch);
  if (file.empty()) GTEST_SKIP() << "needs the file that run_jet.sh fetches";
  std::atomic<int> right{0};
  std::atomic<bool> done{false};
  size_t most = 0;
  std::thread watcher([&] {
    while (!done) {
      most = std::max(most, Readers().size());
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  std::vector<std::thread> pages;
  for (int i = 0; i < 16; ++i) {
    pages.emplace_back([&] {
      for (int j = 0; j < 10; ++j) right += RowCount(file, u"Monitor_Authenticate") == 1;
    });
  }
  for (std::thread& page : pages) page.join();
  done = true;
  watcher.join();
  EXPECT_EQ(right, 160);
  EXPECT_GE(most, 1u);
  EXPECT_LE(most, 4u);
}

TEST(JetReaders, AReaderThatDiedOrFailedIsReplaced) {
  ScratchFolder scratch;
  const fs::path file = SettledCopy(scratch);
  if (file.empty()) GTEST_SKIP() << "needs the file that run_jet.sh fetches";
  ASSERT_EQ(RowCount(file, u"Monitor_Authenticate"), 1);
  // Killed while idle (and dead by the time the next page comes): that
  // page never sees it.
  for (int pid : Readers()) {
    kill(pid, SIGKILL);
    for (int i = 0; i < 1000 && State(pid) != "Z"; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  ASSERT_EQ(RowCount(file, u"Monitor_Authenticate"), 1);
  const std::set<int> standing = Readers();
  auto connection = Connect(AccessString(file));
  EXPECT_EQ(ErrorOf([&] { OpenRecordset(connection, u"SELECT * FROM NoSuchTable", 1); }),
            ado::kErrProvider);
  const std::set<int> after = Readers();
  EXPECT_EQ(after.size() + 1, standing.size()) << "the failed reader still stands";
  EXPECT_EQ(RowCount(file, u"Monitor_Authenticate"), 1);
}

}  // namespace
}  // namespace zorvadel::test
