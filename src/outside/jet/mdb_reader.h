// The tables of a Jet file, read with libmdb (jet_file.h says what becomes
// of each column). Only jet_file.cpp uses this, in the process that reads
// the file for it.
#ifndef OLCONN97_OUTSIDE_JET_MDB_READER_H_
#define OLCONN97_OUTSIDE_JET_MDB_READER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"

namespace olconn97::jet {

struct JetColumn {
  std::string name;
  std::string declared_type;  // the SQLite type the copy declares
};

struct JetCell {
  enum class Kind : uint8_t { kNull, kInteger, kReal, kText, kBlob };
  Kind kind = Kind::kNull;
  int64_t integer = 0;
  double real = 0;
  std::string bytes;  // kText (UTF-8) and kBlob
};

// Where the rows go, table by table.
class JetTableSink {
 public:
  virtual ~JetTableSink() = default;
  virtual Status BeginTable(const std::string& name, const std::vector<JetColumn>& columns) = 0;
  // One value per column of the current table.
  virtual Status AddRow(const std::vector<JetCell>& row) = 0;
};

// What the header and the size of a file say about it.
struct JetFileShape {
  size_t page_size = 0;
  uint64_t pages = 0;
};

// Hands every user table of the Jet file at `path` (of `shape`) to `sink`.
// kCorrupt, with the reason in words, for a file libmdb cannot read or that
// points past its own end; a failure of the sink ends the reading with it.
Status ReadJetTables(const std::string& path, const JetFileShape& shape, JetTableSink& sink);

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_MDB_READER_H_
