#include "outside/jet/jet_test_support.h"

namespace olconn97::jet::testing {

std::unique_ptr<Database> JetTest::CreateAndOpen(const std::string& file, const char* schema) {
  Status created = engine_.CreateDatabase(Path(file), schema);
  EXPECT_TRUE(created.ok()) << created.ToString();
  Result<std::unique_ptr<Database>> opened = engine_.OpenDatabase(Path(file));
  EXPECT_TRUE(opened.ok()) << opened.status().ToString();
  return opened.ok() ? std::move(opened).value() : nullptr;
}

void JetTest::AddCacheRows(Database& database, const std::vector<CacheRow>& rows) {
  Result<std::unique_ptr<Recordset>> table =
      database.OpenRecordset("TCache", RecordsetType::kTable, {});
  ASSERT_TRUE(table.ok()) << table.status().ToString();
  Recordset& cache = *table.value();
  for (const CacheRow& row : rows) {
    JET_ASSERT_OK(cache.AddNew());
    JET_ASSERT_OK(cache.SetField("PHONENUMBER", row.phone));
    JET_ASSERT_OK(cache.SetField("EntryID", row.entry_id));
    JET_ASSERT_OK(cache.SetField("Name", row.name));
    JET_ASSERT_OK(cache.SetField("AutoSelect", Value::Boolean(false)));
    JET_ASSERT_OK(cache.Update());
  }
}

std::vector<std::string> JetTest::Walk(Recordset& recordset, const std::string& field) {
  std::vector<std::string> values;
  while (!recordset.Eof()) {
    Result<Value> value = recordset.GetField(field);
    values.push_back(value.ok() ? value.value().ToText()
                                : "<" + value.status().description() + ">");
    if (!recordset.MoveNext().ok()) break;
  }
  return values;
}

std::vector<std::string> JetTest::Select(Database& database, const std::string& select,
                                         const std::vector<Value>& params,
                                         const std::string& field) {
  Result<std::unique_ptr<Recordset>> opened =
      database.OpenRecordset(select, RecordsetType::kDynaset, params);
  if (!opened.ok()) return {"<" + opened.status().description() + ">"};
  return Walk(*opened.value(), field);
}

}  // namespace olconn97::jet::testing
