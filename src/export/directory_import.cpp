#include "export/directory_import.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "base/csv.h"
#include "base/strings.h"
#include "export/directory_schema.h"
#include "outside/jet/dao.h"
#include "outside/jet/jet_file.h"
#include "outside/jet/jet_sql.h"

namespace olconn97 {
namespace {

struct CsvTable {
  std::string file;  // as the caller named it
  std::string table;
  std::vector<CsvRecord> records;  // the first names the columns
  const CsvRecord& header() const { return records.front(); }
};

Status At(const std::string& file, size_t line, const std::string& what) {
  return Status::InvalidArgument(file + ":" + std::to_string(line) + ": " + what);
}

Status CheckHeader(const CsvTable& csv) {
  const CsvRecord& header = csv.header();
  for (size_t i = 0; i < header.fields.size(); ++i) {
    if (TrimBlanks(header.fields[i]).empty()) {
      return At(csv.file, header.line, "column " + std::to_string(i + 1) + " has no name");
    }
    for (size_t j = 0; j < i; ++j) {
      if (EqualsIgnoreCase(header.fields[i], header.fields[j])) {
        return At(csv.file, header.line, "the column \"" + header.fields[i] + "\" is named twice");
      }
    }
  }
  for (const CsvRecord& record : csv.records) {
    if (record.fields.size() != header.fields.size()) {
      return At(csv.file, record.line,
                std::to_string(record.fields.size()) + " fields where the header names " +
                    std::to_string(header.fields.size()) + " columns");
    }
  }
  return Status::Ok();
}

Result<CsvTable> ReadCsvTable(shell::Shell& shell, const std::string& file) {
  CsvTable csv{file, TableOfCsvFile(file), {}};
  if (csv.table.empty() || csv.table.find(']') != std::string::npos) {
    return Status::InvalidArgument(file + ": no table can be named after this file");
  }
  OLC_ASSIGN_OR_RETURN(std::string text, shell.ReadFile(file));
  OLC_ASSIGN_OR_RETURN(csv.records, ParseCsv(text, file));
  if (csv.records.empty()) return At(file, 1, "no header naming the columns");
  OLC_RETURN_IF_ERROR(CheckHeader(csv));
  return csv;
}

// The number a field writes: an integer when it is one that fits, else a
// real; nothing when it is no number at all.
std::optional<jet::Value> NumberOf(std::string_view text) {
  std::string_view number = !text.empty() && text[0] == '+' ? text.substr(1) : text;
  std::string_view digits = !number.empty() && number[0] == '-' ? number.substr(1) : number;
  // from_chars would also read "inf" and "nan".
  if (digits.empty() || !(IsAsciiDigit(digits[0]) || digits[0] == '.')) return std::nullopt;
  const char* end = number.data() + number.size();
  int64_t integer = 0;
  auto [integer_end, integer_error] = std::from_chars(number.data(), end, integer);
  if (integer_error == std::errc() && integer_end == end) return jet::Value(integer);
  double real = 0;
  auto [real_end, real_error] = std::from_chars(number.data(), end, real);
  if (real_error == std::errc() && real_end == end) return jet::Value(real);
  return std::nullopt;
}

// Whether SQLite keeps numbers in a column of this declared type: by its
// rules, a type naming INT, or none of CHAR, CLOB, TEXT and BLOB (REAL,
// DOUBLE, NUMERIC, ...). A column without a type takes anything as it is.
bool HoldsNumbers(std::string_view declared_type) {
  std::string type = ToLowerAscii(declared_type);
  auto names = [&](const char* part) { return type.find(part) != std::string::npos; };
  if (names("int")) return true;
  return !type.empty() && !names("char") && !names("clob") && !names("text") && !names("blob");
}

// A number as it would be written back: no "+", no leading zero ("0123"
// is a phone number or a code, kept as text).
bool WrittenPlainly(std::string_view number) {
  std::string_view digits = number.substr(!number.empty() && number[0] == '-' ? 1 : 0);
  return !number.empty() && number[0] != '+' &&
         !(digits.size() > 1 && digits[0] == '0' && IsAsciiDigit(digits[1]));
}

// A new table's column: INTEGER when every field is an integer, REAL when
// every field is a number, each written plainly; else TEXT.
std::string InferredType(const CsvTable& csv, size_t column) {
  bool any = false;
  bool integers = true;
  for (size_t r = 1; r < csv.records.size(); ++r) {
    const std::string& field = csv.records[r].fields[column];
    if (field.empty()) continue;
    std::optional<jet::Value> number = NumberOf(field);
    if (!number || !WrittenPlainly(field)) return "TEXT";
    any = true;
    integers = integers && number->type() == jet::Value::Type::kInteger;
  }
  if (!any) return "TEXT";
  return integers ? "INTEGER" : "REAL";
}

Result<jet::TableDef> CreateTable(jet::Database& db, const CsvTable& csv) {
  jet::TableDef table{csv.table, {}, 0};
  std::string create = "CREATE TABLE " + jet::QuoteName(csv.table) + " (";
  for (size_t i = 0; i < csv.header().fields.size(); ++i) {
    table.fields.push_back({csv.header().fields[i], InferredType(csv, i)});
    create += (i ? ", " : "") + jet::QuoteName(table.fields[i].name) + " " + table.fields[i].type;
  }
  Status created = db.ExecuteSchema(create + ")");
  if (!created.ok()) return At(csv.file, csv.header().line, created.description());
  return table;
}

// The table's field for each column of the file, matched by name.
Result<std::vector<jet::FieldDef>> MatchColumns(const CsvTable& csv, const jet::TableDef& table) {
  std::vector<jet::FieldDef> fields;
  for (const std::string& name : csv.header().fields) {
    auto found =
        std::find_if(table.fields.begin(), table.fields.end(),
                     [&](const jet::FieldDef& f) { return EqualsIgnoreCase(f.name, name); });
    if (found == table.fields.end()) {
      return At(csv.file, csv.header().line,
                "the table " + table.name + " has no column \"" + name + "\"");
    }
    fields.push_back(*found);
  }
  return fields;
}

Result<jet::Value> FieldValue(const CsvTable& csv, const CsvRecord& record, size_t column,
                              const jet::FieldDef& field) {
  const std::string& text = record.fields[column];
  // An empty text stays a text: a contact reads an empty label as none of
  // its own, but a null one as a fault.
  if (!HoldsNumbers(field.type)) return jet::Value(text);
  if (text.empty()) return jet::Value();
  std::optional<jet::Value> number = NumberOf(text);
  if (!number) {
    return At(csv.file, record.line,
              "\"" + text + "\" is no number, and the column " + field.name + " holds numbers");
  }
  return *number;
}

Status AddRows(jet::Database& db, const CsvTable& csv, const std::string& table,
               const std::vector<jet::FieldDef>& fields) {
  OLC_ASSIGN_OR_RETURN(std::unique_ptr<jet::Recordset> rows,
                       db.OpenRecordset("[" + table + "]", jet::RecordsetType::kTable, {}));
  for (size_t r = 1; r < csv.records.size(); ++r) {
    const CsvRecord& record = csv.records[r];
    OLC_RETURN_IF_ERROR(rows->AddNew());
    for (size_t i = 0; i < fields.size(); ++i) {
      OLC_ASSIGN_OR_RETURN(jet::Value value, FieldValue(csv, record, i, fields[i]));
      OLC_RETURN_IF_ERROR(rows->SetField(fields[i].name, std::move(value)));
    }
    Status stored = rows->Update();
    if (!stored.ok()) return At(csv.file, record.line, stored.description());
  }
  return rows->Close();
}

Status FillTables(jet::Database& db, const std::vector<CsvTable>& files,
                  std::vector<ImportedTable>* imported) {
  OLC_ASSIGN_OR_RETURN(std::vector<jet::TableDef> tables, db.TableDefs());
  for (const CsvTable& csv : files) {
    auto found = std::find_if(tables.begin(), tables.end(), [&](const jet::TableDef& table) {
      return EqualsIgnoreCase(table.name, csv.table);
    });
    ImportedTable done{csv.table, static_cast<int64_t>(csv.records.size() - 1), false};
    std::vector<jet::FieldDef> fields;
    if (found == tables.end()) {
      OLC_ASSIGN_OR_RETURN(jet::TableDef table, CreateTable(db, csv));
      fields = table.fields;
      done.created = true;
    } else {
      OLC_ASSIGN_OR_RETURN(fields, MatchColumns(csv, *found));
      done.table = found->name;
    }
    OLC_RETURN_IF_ERROR(AddRows(db, csv, done.table, fields));
    imported->push_back(std::move(done));
  }
  return Status::Ok();
}

// Fills the database at `path` in one transaction.
// The labels an employee's row leaves empty come from the first "Default"
// row; without one, a contact could list no employee's numbers at all.
Status EnsureDefaultRecord(jet::Database& db) {
  OLC_ASSIGN_OR_RETURN(std::vector<jet::TableDef> tables, db.TableDefs());
  for (const jet::TableDef& table : tables) {
    if (!EqualsIgnoreCase(table.name, "Default") || table.record_count > 0) continue;
    return db.ExecuteSchema("INSERT INTO \"Default\" DEFAULT VALUES");
  }
  return Status::Ok();
}

Status Fill(const std::string& path, const std::vector<CsvTable>& files,
            std::vector<ImportedTable>* imported) {
  OLC_ASSIGN_OR_RETURN(std::unique_ptr<jet::Database> db, jet::DBEngine().OpenDatabase(path));
  OLC_RETURN_IF_ERROR(db->BeginTrans());
  Status filled = FillTables(*db, files, imported);
  if (filled.ok()) filled = EnsureDefaultRecord(*db);
  if (filled.ok()) {
    filled = db->CommitTrans();
  } else {
    (void)db->Rollback();  // the failure that came first is the one to tell
  }
  Status closed = db->Close();
  return filled.ok() ? closed : filled;
}

void RemoveDatabaseFiles(shell::Shell& shell, const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    (void)shell.DeleteFile(path + suffix);  // most of them are not there
  }
}

}  // namespace

std::string TableOfCsvFile(const std::string& csv_file) {
  std::string name = csv_file.substr(csv_file.find_last_of('/') + 1);
  constexpr std::string_view kEnding = ".csv";
  if (name.size() > kEnding.size() &&
      EqualsIgnoreCase(std::string_view(name).substr(name.size() - kEnding.size()), kEnding)) {
    name.resize(name.size() - kEnding.size());
  }
  return name;
}

Result<DirectoryImport> ImportDirectoryCsv(shell::Shell& shell, const std::string& directory,
                                           const std::vector<std::string>& csv_files) {
  std::vector<CsvTable> files;
  for (const std::string& file : csv_files) {
    OLC_ASSIGN_OR_RETURN(CsvTable csv, ReadCsvTable(shell, file));
    for (const CsvTable& other : files) {
      if (EqualsIgnoreCase(other.table, csv.table)) {
        return Status::InvalidArgument(other.file + " and " + file + " both fill the table " +
                                       csv.table);
      }
    }
    files.push_back(std::move(csv));
  }
  if (shell.DirectoryExists(directory)) {
    return Status::InvalidArgument(directory + " is a folder, not a directory database");
  }
  DirectoryImport report;
  report.created = !shell.FileExists(directory);
  if (!report.created) {
    if (jet::IsJetFile(directory)) {
      return Status::InvalidArgument(directory +
                                     " is a Jet file, as the suite writes the directory on Windows;"
                                     " the driver reads it as it is and imports into SQLite only");
    }
    OLC_RETURN_IF_ERROR(Fill(directory, files, &report.tables));
    return report;
  }
  // A new directory is made beside its place and moved there once it is
  // filled: it appears whole or not at all.
  const std::string building = directory + ".importing";
  RemoveDatabaseFiles(shell, building);
  Status made = jet::DBEngine().CreateDatabase(building, DirectorySchemaSql());
  if (made.ok()) made = Fill(building, files, &report.tables);
  if (made.ok()) made = shell.MoveFile(building, directory);
  RemoveDatabaseFiles(shell, building);
  if (!made.ok()) return made;
  return report;
}

}  // namespace olconn97
