// Shared set-up of the data-access tests: a scratch site folder holding SQLite
// files made through the layer itself, and page objects started on a page there.
#ifndef ZORVADEL_TESTS_DATABASE_DATABASE_TEST_UTIL_H_
#define ZORVADEL_TESTS_DATABASE_DATABASE_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ado/ado.h"
#include "platform/codepage/codepage.h"
#include "support/error_of.h"
#include "support/page_fixture.h"

namespace zorvadel::test {

// A folder removed with everything in it when the test ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorvadel-db-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchFolder() { std::filesystem::remove_all(path_, error_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::error_code error_;
};

inline std::u16string U16(const std::filesystem::path& path) {
  return codepage::FromUtf8(path.string());
}

inline std::u16string AccessString(const std::filesystem::path& file) {
  return u"driver={Microsoft Access Driver (*.mdb)};dbq=" + U16(file);
}

// The same file through the driver manager: the tests' [SQL server] driver
// is the SQLite ODBC driver, whose Database key is the file.
inline std::u16string OdbcString(const std::filesystem::path& file) {
  return u"Driver={SQL server};Database=" + U16(file) + u";NoCreat=1";
}

inline std::shared_ptr<ado::Connection> Connect(const std::u16string& connection_string) {
  auto connection = std::make_shared<ado::Connection>();
  connection->Open(connection_string, u"", u"", -1);
  return connection;
}

inline void Execute(ado::Connection& connection, const std::u16string& sql) {
  connection.Execute(sql, Variant(), -1);
}

// A new SQLite file (the layer never creates one: an empty file is an empty
// database) with `statements` run on it.
inline void MakeDatabase(const std::filesystem::path& file,
                         const std::vector<std::u16string>& statements) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file).close();
  auto connection = Connect(AccessString(file));
  for (const std::u16string& sql : statements) Execute(*connection, sql);
  connection->Close();
}

// What the sqlite3 shell, another process, prints running `sql` on
// `file`, its errors included; its exit status in `status` when asked.
inline std::string SqliteShell(const std::filesystem::path& file, const std::string& sql,
                               int* status = nullptr) {
  const std::string command = "sqlite3 '" + file.string() + "' \"" + sql + "\" 2>&1";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[256];
  size_t got;
  while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0) out.append(buffer, got);
  const int ended = pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
  return out;
}

// The demo's shape: a table Zorvadel(Id, Title, Content) with `rows` rows
// titled "Title N" and content "Content N", N from 1.
inline std::vector<std::u16string> NewsTable(int rows) {
  return {u"CREATE TABLE Zorvadel (Id INTEGER PRIMARY KEY, Title TEXT, Content TEXT)",
          u"WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
              codepage::FromUtf8(std::to_string(rows)) +
              u") INSERT INTO Zorvadel SELECT x, 'Title ' || x, 'Content ' || x FROM n"};
}

inline std::shared_ptr<ado::Recordset> OpenRecordset(
    const std::shared_ptr<ado::Connection>& connection, const std::u16string& sql,
    int32_t cursor_type) {
  auto recordset = std::make_shared<ado::Recordset>();
  recordset->Open(Variant(sql), Variant(connection), cursor_type, 3, -1);
  return recordset;
}

// The rows of `table` in a file, counted through a fresh connection.
inline int32_t RowCount(const std::filesystem::path& file, const std::u16string& table) {
  return OpenRecordset(Connect(AccessString(file)), u"SELECT * FROM " + table, 1)->RecordCount();
}

// The driver manager reads a driver list of the test binary's own, which maps
// the connection strings' driver names to the drivers installed here ([SQL
// server] to the SQLite ODBC driver, so the SQL Server kind runs for real).
// It remembers where its files are at its first call, hence before any test.
class OdbcEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::ofstream(folder_.path() / "odbcinst.ini") << "[SQL server]\nDriver=libsqlite3odbc.so\n\n"
                                                      "[myodbd driver]\nDriver=libmaodbc.so\n\n"
                                                      "[MDBTools]\nDriver=libmdbodbc.so\n";
    std::ofstream(folder_.path() / "odbc.ini").close();
    setenv("ODBCSYSINI", folder_.path().c_str(), 1);
    setenv("ODBCINI", (folder_.path() / "odbc.ini").c_str(), 1);
  }

 private:
  ScratchFolder folder_;
};
// One per binary, however many files include this header.
inline ::testing::Environment* const kOdbcEnvironment =
    ::testing::AddGlobalTestEnvironment(new OdbcEnvironment);

// A page object started on a page of a site rooted at `root`, for `url`, as
// a phone asks for it, in the engine's own code page.
struct DbPage : TestPage {
  DbPage(const std::filesystem::path& root, const char16_t* class_name,
         std::string url = "/news/list.asp")
      : TestPage(class_name, Facts(std::move(url)), 0, root.string()) {}
  static engine::RequestFacts Facts(std::string url) {
    return FactsFor(PageOptions().WithUrl(std::move(url)).WithAgent("Nokia6600/1.0"));
  }
  // A session value as text, or its type's name in angle brackets.
  std::u16string SessionText(std::u16string_view key) {
    const Variant value = page.session().Value(key);
    return value.IsString() ? value.string() : u"<" + std::u16string(value.TypeName()) + u">";
  }
};

}  // namespace zorvadel::test

#endif  // ZORVADEL_TESTS_DATABASE_DATABASE_TEST_UTIL_H_
