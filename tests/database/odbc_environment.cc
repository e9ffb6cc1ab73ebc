// The driver manager reads a driver list of this binary's own, which maps the
// connection strings' driver names to the drivers installed here ([SQL server]
// to the SQLite ODBC driver, so the SQL Server kind runs for real). It
// remembers where its files are at its first call, hence before any test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "database/database_test_util.h"

namespace zorvadel::test {
namespace {

class OdbcEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const std::filesystem::path dir = folder_.path();
    std::ofstream(dir / "odbcinst.ini") << "[SQL server]\nDriver=libsqlite3odbc.so\n\n"
                                           "[myodbd driver]\nDriver=libmaodbc.so\n\n"
                                           "[MDBTools]\nDriver=libmdbodbc.so\n";
    std::ofstream(dir / "odbc.ini").close();
    setenv("ODBCSYSINI", dir.c_str(), 1);
    setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
  }

 private:
  ScratchFolder folder_;
};

[[maybe_unused]] ::testing::Environment* const kOdbc =
    ::testing::AddGlobalTestEnvironment(new OdbcEnvironment);

}  // namespace
}  // namespace zorvadel::test
