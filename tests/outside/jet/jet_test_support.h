// Databases for the database layer's tests: the cache table and the
// employee directory, created fresh in a temporary folder.
#ifndef OLCONN97_TESTS_OUTSIDE_JET_JET_TEST_SUPPORT_H_
#define OLCONN97_TESTS_OUTSIDE_JET_JET_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "outside/jet/dao.h"
#include "test_support.h"

namespace olconn97::jet::testing {

#define JET_ASSERT_OK(expr)                                                   \
  do {                                                                        \
    const ::olconn97::Status jet_status_ = (expr);                            \
    ASSERT_TRUE(jet_status_.ok()) << #expr << ": " << jet_status_.ToString(); \
  } while (false)

#define JET_EXPECT_OK(expr)                                                   \
  do {                                                                        \
    const ::olconn97::Status jet_status_ = (expr);                            \
    EXPECT_TRUE(jet_status_.ok()) << #expr << ": " << jet_status_.ToString(); \
  } while (false)

inline constexpr char kCacheSchema[] =
    "CREATE TABLE TCache (PhoneNumber TEXT, EntryID TEXT, Name TEXT, AutoSelect BOOLEAN);"
    "CREATE INDEX TCachePhone ON TCache (PhoneNumber);"
    "CREATE INDEX TCacheEntry ON TCache (EntryID);";

struct CacheRow {
  std::string phone;
  std::string entry_id;
  std::string name;
};

class JetTest : public ::testing::Test {
 protected:
  // Creates the database `file` in the temporary folder and opens it.
  std::unique_ptr<Database> CreateAndOpen(const std::string& file, const char* schema);
  std::unique_ptr<Database> OpenCache() { return CreateAndOpen("Connector.mdb", kCacheSchema); }

  // Appends rows through a table-type recordset, as the cache walk does.
  void AddCacheRows(Database& database, const std::vector<CacheRow>& rows);

  // `field` of every row from the current one to the end, as text.
  std::vector<std::string> Walk(Recordset& recordset, const std::string& field);

  // The rows of a dynaset on `select` (a field list), read from the first.
  std::vector<std::string> Select(Database& database, const std::string& select,
                                  const std::vector<Value>& params, const std::string& field);

  std::string Path(const std::string& file) const { return temp_.Child(file); }

  olconn97::testing::TempDir temp_;
  DBEngine engine_;
};

}  // namespace olconn97::jet::testing

#endif  // OLCONN97_TESTS_OUTSIDE_JET_JET_TEST_SUPPORT_H_
