// The driver manager of this test binary reads a driver list of its own:
// the driver names of the connection strings mapped to the drivers
// installed here ([SQL server] to the SQLite ODBC driver, so that the SQL
// Server kind runs for real), and no data sources. The driver manager
// remembers where its files are at the first call, so this is set before
// any test runs.
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
