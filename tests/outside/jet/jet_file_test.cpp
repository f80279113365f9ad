// Real Jet files (Access 97 and Access 2003), read the way the suite's
// directory is read: compared with what mdbtools' own mdb-export prints.
#include "outside/jet/jet_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "base/csv.h"
#include "base/strings.h"
#include "outside/jet/dao.h"
#include "outside/jet/jet_test_support.h"

namespace olconn97::jet {
namespace {

using olconn97::testing::ReadFile;
using olconn97::testing::SharedTestDataDir;
using olconn97::testing::WriteFile;
using testing::JetTest;

constexpr char kJet3File[] = "testV1997.mdb";
constexpr char kJet4File[] = "testUnicodeCompV2003.mdb";
// mdb-export's dates in the form the copy keeps.
constexpr char kDateFormat[] = "%Y-%m-%d %H:%M:%S";

std::string JetTestFile(const std::string& name) { return SharedTestDataDir() + "/jet/" + name; }

#define OLC_SKIP_WITHOUT_JET_FILES()                                         \
  OLC_SKIP_WITHOUT_SHARED_TESTDATA();                                        \
  if (!std::filesystem::exists(JetTestFile(kJet3File)))                      \
  GTEST_SKIP() << "the Jet test files are not in this checkout (looked for " \
               << JetTestFile(kJet3File) << ")"

// The program `name` on PATH, or "".
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  for (std::string_view folder : Split(path == nullptr ? "" : path, ':')) {
    std::string candidate = std::string(folder) + "/" + name;
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

std::string Quoted(const std::string& word) { return "'" + ReplaceAll(word, "'", "'\\''") + "'"; }

// What the command prints on stdout.
std::string Output(const std::vector<std::string>& argv) {
  std::string command;
  for (const std::string& word : argv) command += Quoted(word) + " ";
  FILE* pipe = popen((command + "2>/dev/null").c_str(), "r");
  std::string out;
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  pclose(pipe);
  return out;
}

double NumberOf(const std::string& text) {
  double number = NAN;
  std::from_chars(text.data(), text.data() + text.size(), number);
  return number;
}

// One value of the copy against the field mdb-export printed for it.
void ExpectSameValue(const Value& copy, const std::string& exported, const FieldDef& field,
                     const std::string& where) {
  SCOPED_TRACE(where + ", column " + field.name + " (" + field.type + ")");
  if (exported.empty()) {  // mdb-export prints null as nothing
    EXPECT_TRUE(copy.is_null());
  } else if (field.type == "REAL") {
    ASSERT_EQ(copy.type(), Value::Type::kReal);
    double expected = NumberOf(exported);  // printed with 16 digits at most
    EXPECT_NEAR(copy.real(), expected, 1e-12 * std::max(1.0, std::fabs(expected)));
  } else if (field.type == "BOOLEAN") {
    ASSERT_EQ(copy.type(), Value::Type::kBoolean);
    EXPECT_EQ(copy.boolean() ? "1" : "0", exported);
  } else if (field.type == "INTEGER") {
    ASSERT_EQ(copy.type(), Value::Type::kInteger);
    EXPECT_EQ(copy.ToText(), exported);
  } else {
    ASSERT_EQ(copy.type(), Value::Type::kText);
    EXPECT_EQ(copy.text(), exported);
  }
}

class JetFileTest : public JetTest {
 protected:
  void TearDown() override {
    SetJetReaderHookForTesting(nullptr);
    SetJetReadStallLimitForTesting(std::chrono::seconds(10));
  }

  Result<std::unique_ptr<Database>> Open(const std::string& path) {
    return engine_.OpenDatabase(path);
  }

  // Every row of `table` in the copy, field by field.
  std::vector<std::vector<Value>> Rows(Database& db, const TableDef& table) {
    std::vector<std::vector<Value>> rows;
    auto opened = db.OpenRecordset("[" + table.name + "]", RecordsetType::kTable, {});
    EXPECT_TRUE(opened.ok()) << opened.status().ToString();
    if (!opened.ok()) return rows;
    for (Recordset& walk = *opened.value(); !walk.Eof();) {
      rows.emplace_back();
      for (const FieldDef& field : table.fields) {
        rows.back().push_back(walk.GetField(field.name).value_or(Value("<unreadable>")));
      }
      if (!walk.MoveNext().ok()) break;
    }
    return rows;
  }

  // Every table of the copy with every row, for comparing two copies.
  std::vector<std::string> Everything(Database& db) {
    std::vector<std::string> all;
    for (const TableDef& table : db.TableDefs().value()) {
      for (const auto& row : Rows(db, table)) {
        std::string line = table.name + ":";
        for (const Value& value : row) line += " " + value.ToText();
        all.push_back(line);
      }
    }
    return all;
  }
};

TEST_F(JetFileTest, EveryUserTableArrivesAsMdbExportShowsIt) {
  OLC_SKIP_WITHOUT_JET_FILES();
  const std::string mdb_export = FindProgram("mdb-export");
  const std::string mdb_tables = FindProgram("mdb-tables");
  if (mdb_export.empty() || mdb_tables.empty()) {
    GTEST_SKIP() << "mdb-export and mdb-tables (Debian package mdbtools) are not installed";
  }
  for (const char* name : {kJet3File, kJet4File}) {
    SCOPED_TRACE(name);
    const std::string path = JetTestFile(name);
    auto db = Open(path);
    ASSERT_TRUE(db.ok()) << db.status().ToString();
    Result<std::vector<TableDef>> tables = db.value()->TableDefs();
    ASSERT_TRUE(tables.ok()) << tables.status().ToString();

    std::vector<std::string> names;
    for (const TableDef& table : tables.value()) names.push_back(table.name);
    std::vector<std::string> listed;
    const std::string printed = Output({mdb_tables, "-1", path});
    for (std::string_view line : Split(printed, '\n')) {
      if (!line.empty()) listed.emplace_back(line);
    }
    EXPECT_EQ(names, listed);

    for (const TableDef& table : tables.value()) {
      std::string exported =
          Output({mdb_export, "-D", kDateFormat, "-T", kDateFormat, path, table.name});
      Result<std::vector<CsvRecord>> records = ParseCsv(exported, table.name);
      ASSERT_TRUE(records.ok()) << records.status().ToString();
      ASSERT_FALSE(records.value().empty());
      std::vector<std::string> columns;
      for (const FieldDef& field : table.fields) columns.push_back(field.name);
      EXPECT_EQ(columns, records.value()[0].fields) << table.name;

      std::vector<std::vector<Value>> rows = Rows(*db.value(), table);
      ASSERT_EQ(rows.size() + 1, records.value().size()) << table.name;
      EXPECT_EQ(table.record_count, static_cast<int64_t>(rows.size()));
      for (size_t r = 0; r < rows.size(); ++r) {
        const std::vector<std::string>& fields = records.value()[r + 1].fields;
        ASSERT_EQ(fields.size(), table.fields.size());
        for (size_t c = 0; c < fields.size(); ++c) {
          ExpectSameValue(rows[r][c], fields[c], table.fields[c],
                          table.name + " row " + std::to_string(r + 1));
        }
      }
    }
  }
}

TEST_F(JetFileTest, TypedValuesAndJetSqlOnTheCopy) {
  OLC_SKIP_WITHOUT_JET_FILES();
  auto jet3 = Open(JetTestFile(kJet3File));
  ASSERT_TRUE(jet3.ok()) << jet3.status().ToString();
  Database& db = *jet3.value();
  std::vector<std::string> types;
  const std::vector<TableDef> tables = db.TableDefs().value();
  for (const FieldDef& field : tables.front().fields) types.push_back(field.type);
  EXPECT_EQ(types, (std::vector<std::string>{"TEXT", "TEXT", "INTEGER", "INTEGER", "INTEGER",
                                             "REAL", "DATETIME", "REAL", "BOOLEAN"}));

  auto row =
      db.OpenRecordset("Select * From Table1 Where A = ?", RecordsetType::kDynaset, {{"abcdefg"}});
  ASSERT_TRUE(row.ok()) << row.status().ToString();
  Recordset& second = *row.value();
  ASSERT_FALSE(second.Eof());
  EXPECT_EQ(second.GetField("c").value(), Value(int64_t{2}));             // Byte
  EXPECT_EQ(second.GetField("D").value(), Value(int64_t{222}));           // Integer
  EXPECT_EQ(second.GetField("E").value(), Value(int64_t{333333333}));     // Long
  EXPECT_EQ(second.GetField("F").value(), Value(444.555));                // Double, as stored
  EXPECT_EQ(second.GetField("G").value(), Value("1974-09-21 00:00:00"));  // Date/Time
  EXPECT_EQ(second.GetField("H").value(), Value(3.5));                    // Currency
  EXPECT_EQ(second.GetField("I").value(), Value::Boolean(true));          // Yes/No

  // A join, a condition and Like, as the driver writes its queries.
  EXPECT_EQ(Select(db,
                   "Select x.A, y.B From Table1 x, Table1 y Where x.C = y.C And x.A Like \"ABC*\" "
                   "Order By x.A",
                   {}, "B"),
            (std::vector<std::string>{"hijklmnop"}));
  EXPECT_EQ(Select(db, "Select * From Table1 Where I = False And G < \"1982-01-01\"", {}, "A"),
            (std::vector<std::string>{"a"}));

  auto jet4 = Open(JetTestFile(kJet4File));
  ASSERT_TRUE(jet4.ok()) << jet4.status().ToString();
  EXPECT_EQ(Select(*jet4.value(), "Select * From [Table] Where Unicode Like ? Order By ID",
                   {{"*KKÖ*"}}, "Unicode"),
            (std::vector<std::string>{"ääkkösiä"}));
  EXPECT_EQ(Select(*jet4.value(), "Select * From [Table] Where ID = 3", {}, "Unicode"),
            (std::vector<std::string>{"Мир"}));
}

TEST_F(JetFileTest, AJetFileIsReadOnlyAndSaysSo) {
  OLC_SKIP_WITHOUT_JET_FILES();
  const std::string path = JetTestFile(kJet3File);
  auto opened = Open(path);
  ASSERT_TRUE(opened.ok()) << opened.status().ToString();
  Database& db = *opened.value();
  auto expect_refused = [&](const Status& status, const char* what) {
    EXPECT_EQ(status.code(), Code::kAccessDenied) << what;
    EXPECT_NE(status.description().find("'" + path + "' is a Jet file"), std::string::npos)
        << what << ": " << status.description();
  };
  expect_refused(db.Execute("Delete * From Table1", {}).status(), "delete");
  expect_refused(db.ExecuteSchema("CREATE TABLE Notes (Text TEXT)"), "schema");
  auto table = db.OpenRecordset("Table1", RecordsetType::kTable, {});
  ASSERT_TRUE(table.ok());
  JET_ASSERT_OK(table.value()->Edit());
  JET_ASSERT_OK(table.value()->SetField("A", "changed"));
  expect_refused(table.value()->Update(), "edit");
  JET_ASSERT_OK(table.value()->AddNew());
  expect_refused(table.value()->Update(), "new row");
  EXPECT_EQ(Select(db, "Select * From Table1", {}, "A"),
            (std::vector<std::string>{"a", "abcdefg"}));
}

// Jet files are told by their first bytes, whatever their name.
TEST_F(JetFileTest, AJetFileIsKnownByItsHeader) {
  OLC_SKIP_WITHOUT_JET_FILES();
  WriteFile(Path("directory.db"), ReadFile(JetTestFile(kJet4File)));
  EXPECT_TRUE(IsJetFile(Path("directory.db")));
  auto renamed = Open(Path("directory.db"));
  ASSERT_TRUE(renamed.ok()) << renamed.status().ToString();
  EXPECT_EQ(Select(*renamed.value(), "Select * From [Table] Where ID = 2", {}, "Unicode"),
            (std::vector<std::string>{"ääkkösiä"}));

  EXPECT_FALSE(IsJetFile(Path("missing.mdb")));
  WriteFile(Path("text.mdb"), std::string("Standard Jet DB\0\0\0\0\0\0", 21));
  EXPECT_FALSE(IsJetFile(Path("text.mdb")));
  auto sqlite = CreateAndOpen("stx.mdb", "CREATE TABLE Employees (EmployeeId INTEGER);");
  ASSERT_NE(sqlite, nullptr);
  EXPECT_FALSE(IsJetFile(Path("stx.mdb")));
  EXPECT_TRUE(sqlite->Execute("Insert Into Employees Values (1)", {}).ok());
}

// However a copy of a Jet file is cut, opening it gives all of the file or
// kCorrupt: never fewer rows, never a crash, never a hang.
TEST_F(JetFileTest, ACutShortFileFailsAsDamaged) {
  OLC_SKIP_WITHOUT_JET_FILES();
  SetJetReadStallLimitForTesting(std::chrono::seconds(2));
  for (const char* name : {kJet3File, kJet4File}) {
    const std::string whole = ReadFile(JetTestFile(name));
    auto complete = Open(JetTestFile(name));
    ASSERT_TRUE(complete.ok());
    const std::vector<std::string> everything = Everything(*complete.value());
    const size_t page = name == std::string(kJet3File) ? 2048 : 4096;
    std::vector<size_t> lengths = {0, 100, page + 7, whole.size() / 2 + 1, whole.size() - 1};
    for (size_t length = page; length < whole.size(); length += page) lengths.push_back(length);
    for (size_t length : lengths) {
      SCOPED_TRACE(std::string(name) + " cut to " + std::to_string(length) + " bytes");
      WriteFile(Path("cut.mdb"), whole.substr(0, length));
      auto cut = Open(Path("cut.mdb"));
      if (cut.ok()) {
        EXPECT_EQ(Everything(*cut.value()), everything);
        continue;
      }
      EXPECT_EQ(cut.status().code(), Code::kCorrupt);
      if (length >= 21 && length % page != 0) {
        EXPECT_EQ(cut.status().description(),
                  "The Jet file '" + Path("cut.mdb") + "' is damaged: it is cut short (" +
                      std::to_string(length) + " bytes, not a whole number of its " +
                      std::to_string(page) + "-byte pages).");
      }
    }
  }
}

TEST_F(JetFileTest, AReaderThatCrashesOrHangsIsEnded) {
  OLC_SKIP_WITHOUT_JET_FILES();
  const std::string path = JetTestFile(kJet3File);
  SetJetReaderHookForTesting([] { raise(SIGSEGV); });
  Result<std::unique_ptr<Database>> crashed = Open(path);
  EXPECT_EQ(crashed.status().code(), Code::kCorrupt);
  EXPECT_EQ(crashed.status().description(),
            "The Jet file '" + path +
                "' is damaged: reading it ended early (the reading process was ended by signal " +
                std::to_string(SIGSEGV) + ").");

  SetJetReadStallLimitForTesting(std::chrono::milliseconds(300));
  SetJetReaderHookForTesting([] {
    while (true) pause();
  });
  Result<std::unique_ptr<Database>> hung = Open(path);
  EXPECT_EQ(hung.status().code(), Code::kCorrupt);
  EXPECT_NE(hung.status().description().find("stopped making progress"), std::string::npos)
      << hung.status().description();

  SetJetReaderHookForTesting(nullptr);
  EXPECT_TRUE(Open(path).ok());  // the next open is a fresh reader
}

}  // namespace
}  // namespace olconn97::jet
