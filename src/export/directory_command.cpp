// "olconn97 directory import|show": the employee directory for an
// administrator. Import makes or fills an SQLite directory from CSV files;
// show lists the tables of a directory, SQLite or a Jet file as the suite
// writes it, through the same open the driver uses.
#include "export/directory_command.h"

#include <algorithm>
#include <ostream>

#include "base/json_writer.h"
#include "export/directory_import.h"
#include "outside/jet/dao.h"
#include "outside/jet/jet_file.h"

namespace olconn97 {
namespace {

constexpr char kUsage[] =
    "usage: olconn97 directory import FILE.csv [FILE.csv ...] --into PATH\n"
    "       olconn97 directory show PATH [--json]\n"
    "\n"
    "import  fill the employee directory PATH (an SQLite database) from CSV files,\n"
    "        one per table, named after it: Employees.csv, BLFPagesContents.csv,\n"
    "        Default.csv, ... Their first row names the columns (matched without\n"
    "        regard to case); an empty field is null. A PATH that does not exist\n"
    "        is created with the directory's tables. All or nothing: after an\n"
    "        error the directory is as it was.\n"
    "show    the tables of PATH, their columns with their types and their rows;\n"
    "        PATH may also be a Jet file as the suite writes it on Windows.\n";

void PrintImport(const std::string& path, const DirectoryImport& report, std::ostream& out) {
  out << (report.created ? "Created " : "Filled ") << path << "\n";
  for (const ImportedTable& table : report.tables) {
    out << "  " << table.table << ": " << table.rows << (table.rows == 1 ? " row" : " rows")
        << (table.created ? " (new table)" : "") << "\n";
  }
}

void PrintTables(const std::string& path, bool jet_file, const std::vector<jet::TableDef>& tables,
                 bool json, std::ostream& out) {
  if (json) {
    JsonWriter writer;
    writer.BeginObject().Key("file").String(path);
    writer.Key("format").String(jet_file ? "jet" : "sqlite").Key("tables").BeginArray();
    for (const jet::TableDef& table : tables) {
      writer.BeginObject().Key("name").String(table.name).Key("rows").Number(table.record_count);
      writer.Key("columns").BeginArray();
      for (const jet::FieldDef& field : table.fields) {
        writer.BeginObject().Key("name").String(field.name).Key("type").String(field.type);
        writer.EndObject();
      }
      writer.EndArray().EndObject();
    }
    writer.EndArray().EndObject();
    out << writer.text() << "\n";
    return;
  }
  out << "Directory: " << path << (jet_file ? " (Jet file, read-only)" : " (SQLite)") << "\n";
  for (const jet::TableDef& table : tables) {
    out << "\n"
        << table.name << ": " << table.record_count << (table.record_count == 1 ? " row" : " rows")
        << "\n";
    size_t width = 0;
    for (const jet::FieldDef& field : table.fields) width = std::max(width, field.name.size());
    for (const jet::FieldDef& field : table.fields) {
      out << "  " << field.name;
      if (!field.type.empty()) out << std::string(width - field.name.size() + 2, ' ') << field.type;
      out << "\n";
    }
  }
}

int Show(const std::vector<std::string>& words, bool json, std::ostream& out, std::ostream& err) {
  if (words.size() != 1) {
    err << "olconn97 directory show: give one directory file\n" << kUsage;
    return 2;
  }
  const std::string& path = words[0];
  Result<std::unique_ptr<jet::Database>> db = jet::DBEngine().OpenDatabase(path);
  Result<std::vector<jet::TableDef>> tables =
      db.ok() ? db.value()->TableDefs() : Result<std::vector<jet::TableDef>>(db.status());
  if (!tables.ok()) {
    err << "olconn97 directory show: " << tables.status().description() << "\n";
    return 1;
  }
  PrintTables(path, jet::IsJetFile(path), tables.value(), json, out);
  return 0;
}

int Import(const std::vector<std::string>& words, const std::string& into, shell::Shell& shell,
           std::ostream& out, std::ostream& err) {
  if (words.empty() || into.empty()) {
    err << "olconn97 directory import: "
        << (words.empty() ? "no CSV file given" : "no directory given (--into PATH)") << "\n"
        << kUsage;
    return 2;
  }
  Result<DirectoryImport> report = ImportDirectoryCsv(shell, into, words);
  if (!report.ok()) {
    err << "olconn97 directory import: " << report.status().description() << "\n";
    return 1;
  }
  PrintImport(into, report.value(), out);
  return 0;
}

}  // namespace

int RunDirectoryCommand(const std::vector<std::string>& args, shell::Shell& shell,
                        std::ostream& out, std::ostream& err) {
  bool json = false;
  std::string into;
  std::vector<std::string> words;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return 0;
    }
    if (arg == "--json") {
      json = true;
    } else if (arg == "--into") {
      if (i + 1 == args.size()) {
        err << "olconn97 directory: '--into' needs a PATH\n" << kUsage;
        return 2;
      }
      into = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      err << "olconn97 directory: unknown option '" << arg << "'\n" << kUsage;
      return 2;
    } else {
      words.push_back(arg);
    }
  }
  const std::string operation = words.empty() ? "" : words.front();
  if (!words.empty()) words.erase(words.begin());
  std::string problem;
  if (operation == "show") {
    if (into.empty()) return Show(words, json, out, err);
    problem = "'--into' does not go with show";
  } else if (operation == "import") {
    if (!json) return Import(words, into, shell, out, err);
    problem = "'--json' does not go with import";
  } else {
    problem = operation.empty() ? "no operation given" : "unknown operation '" + operation + "'";
  }
  err << "olconn97 directory: " << problem << "\n" << kUsage;
  return 2;
}

}  // namespace olconn97
