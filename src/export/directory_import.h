// Filling an employee directory kept in SQLite from CSV files, one file per
// table: the table is the file's name without ".csv" (Employees.csv,
// BLFPagesContents.csv, Default.csv), the first record names the columns.
//
// - A directory file that does not exist is created with the standard
//   schema (directory_schema.h).
// - A table the directory lacks is created from the file's header; a column
//   whose every field is an integer is INTEGER, one of numbers REAL, any
//   other TEXT.
// - Columns of an existing table are matched by name without regard to
//   case; a name the table does not have is an error.
// - In a column of a numeric type (INTEGER, REAL, NUMERIC and the like, as
//   SQLite reads declared types) a field is stored as a number and must be
//   one, and an empty field is null; in any other column it is stored as
//   text, the empty one too.
// - A "Default" table left without a row gets one of empty labels.
// - The whole import is one transaction: after any failure the directory is
//   as it was, and a directory file the import created is gone again.
// - A Jet file is refused: the suite writes those, the driver only reads them.
//
// Failures name the place: "Employees.csv:3: ...".
#ifndef OLCONN97_EXPORT_DIRECTORY_IMPORT_H_
#define OLCONN97_EXPORT_DIRECTORY_IMPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"
#include "outside/shell/shell.h"

namespace olconn97 {

struct ImportedTable {
  std::string table;
  int64_t rows = 0;
  bool created = false;  // made from the file's header
};

struct DirectoryImport {
  bool created = false;  // the directory file was made
  std::vector<ImportedTable> tables;
};

// Reads the CSV files and writes the directory database at `directory`
// through `shell`'s files and the database layer.
Result<DirectoryImport> ImportDirectoryCsv(shell::Shell& shell, const std::string& directory,
                                           const std::vector<std::string>& csv_files);

// The table a CSV file fills: its base name, without a ".csv" ending.
std::string TableOfCsvFile(const std::string& csv_file);

}  // namespace olconn97

#endif  // OLCONN97_EXPORT_DIRECTORY_IMPORT_H_
