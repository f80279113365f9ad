#include "outside/jet/mdb_reader.h"

#include <mdbtools.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/strings.h"

namespace olconn97::jet {
namespace {

static_assert(std::endian::native == std::endian::little,
              "Jet files store their numbers little-endian, and are read in place");

// libmdb's own text buffer size; the text of one value may need more.
constexpr size_t kDefaultBindSize = 16384;
// The 12 bytes of a memo or OLE value that say where its data lies.
constexpr int kLongValueHeader = MDB_MEMO_OVERHEAD;
// Catalog (MSysObjects) entries: the page of the table's definition is the
// entry's Id without its top byte; a table is of type 1; these flags mark
// the system's own tables (as libmdb's mdb_is_user_table tells them).
constexpr uint32_t kPageOfId = 0x00FFFFFF;
constexpr int kTableObject = 1;
constexpr uint32_t kSystemTableFlags = 0x80000002;
// A table's definition: pages of this kind, chained by the number at
// kNextPageOffset (0 at the last).
constexpr unsigned char kDefinitionPage = 0x02;
constexpr int kNextPageOffset = 4;
// The first byte of a page map: 0, a bitmap of pages; 1, a list of pages
// holding such bitmaps.
constexpr unsigned char kMapOfMapPages = 1;

struct MdbCloser {
  void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableCloser {
  void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
struct GFreer {
  void operator()(char* text) const { g_free(text); }
};
struct Freer {
  void operator()(void* bytes) const { free(bytes); }
};
using TableHandle = std::unique_ptr<MdbTableDef, TableCloser>;

struct ColumnType {
  int mdb_type;
  const char* declared;
};

constexpr ColumnType kColumnTypes[] = {
    {MDB_BOOL, "BOOLEAN"},      {MDB_BYTE, "INTEGER"},    {MDB_INT, "INTEGER"},
    {MDB_LONGINT, "INTEGER"},   {MDB_COMPLEX, "INTEGER"}, {MDB_MONEY, "REAL"},
    {MDB_FLOAT, "REAL"},        {MDB_DOUBLE, "REAL"},     {MDB_NUMERIC, "NUMERIC"},
    {MDB_DATETIME, "DATETIME"}, {MDB_TEXT, "TEXT"},       {MDB_MEMO, "TEXT"},
    {MDB_REPID, "TEXT"},        {MDB_BINARY, "BLOB"},     {MDB_OLE, "BLOB"},
};

const char* DeclaredType(int mdb_type) {
  auto found = std::find_if(std::begin(kColumnTypes), std::end(kColumnTypes),
                            [&](const ColumnType& type) { return type.mdb_type == mdb_type; });
  return found == std::end(kColumnTypes) ? "BLOB" : found->declared;
}

template <typename T>
T ReadNumber(const unsigned char* bytes) {
  T number;
  std::memcpy(&number, bytes, sizeof number);
  return number;
}

JetCell Integer(int64_t number) {
  JetCell cell;
  cell.kind = JetCell::Kind::kInteger;
  cell.integer = number;
  return cell;
}

JetCell Real(double number) {
  JetCell cell;
  cell.kind = JetCell::Kind::kReal;
  cell.real = number;
  return cell;
}

JetCell Bytes(JetCell::Kind kind, std::string bytes) {
  JetCell cell;
  cell.kind = kind;
  cell.bytes = std::move(bytes);
  return cell;
}

struct CatalogEntry {
  std::string name;
  uint32_t page = 0;
  bool user_table = false;
};

class MdbReader {
 public:
  MdbReader(MdbHandle* mdb, const JetFileShape& shape) : mdb_(mdb), shape_(shape) {}

  Status ReadCatalog(std::vector<CatalogEntry>* entries);
  Status CopyTable(const CatalogEntry& entry, JetTableSink& sink);

 private:
  // Reads `entry`'s table: its columns to `columns_read`, then each row to
  // `row_read`.
  template <typename ColumnsRead, typename RowRead>
  Status ReadRows(const CatalogEntry& entry, ColumnsRead columns_read, RowRead row_read);
  Result<TableHandle> OpenTable(MdbCatalogEntry* entry);
  Status CheckDefinitionInFile(uint64_t first_page, const std::string& name);
  Status CheckPagesInFile(const MdbTableDef& table, const std::string& name);
  Status CheckPage(uint64_t page, const std::string& what) const;
  Result<JetCell> Cell(MdbColumn& column);
  Result<JetCell> LongValue(MdbColumn& column);
  Result<JetCell> Text(MdbColumn& column, size_t raw_size);

  MdbHandle* mdb_;
  JetFileShape shape_;
};

Status MdbReader::CheckPage(uint64_t page, const std::string& what) const {
  if (page < shape_.pages) return Status::Ok();
  return Status::Corrupt(what + " lies on page " + std::to_string(page) +
                         ", beyond the end of the file (" + std::to_string(shape_.pages) +
                         " pages): the file is cut short");
}

// libmdb reads the page just past the end of the file as zeros, where a
// definition, a page map or a page of rows reads as empty: every page a
// table's definition leads to is checked first.
Status MdbReader::CheckDefinitionInFile(uint64_t first_page, const std::string& name) {
  const std::string what = "the definition of table '" + name + "'";
  uint64_t page = first_page;
  for (uint64_t pages_read = 0; page != 0; ++pages_read) {
    OLC_RETURN_IF_ERROR(CheckPage(page, what));
    if (pages_read == shape_.pages ||
        mdb_read_pg(mdb_, page) != static_cast<ssize_t>(shape_.page_size) ||
        mdb_->pg_buf[0] != kDefinitionPage) {
      return Status::Corrupt(what + " cannot be read");
    }
    if (pages_read == 0) {
      for (uint16_t map : {mdb_->fmt->tab_usage_map_offset, mdb_->fmt->tab_free_map_offset}) {
        OLC_RETURN_IF_ERROR(CheckPage(ReadNumber<uint32_t>(mdb_->pg_buf + map) >> 8,
                                      "the page map of table '" + name + "'"));
      }
    }
    page = ReadNumber<uint32_t>(mdb_->pg_buf + kNextPageOffset);
  }
  return Status::Ok();
}

Result<TableHandle> MdbReader::OpenTable(MdbCatalogEntry* entry) {
  const std::string name = entry->object_name;
  OLC_RETURN_IF_ERROR(CheckDefinitionInFile(entry->table_pg, name));
  TableHandle table(mdb_read_table(entry));
  if (!table || mdb_read_columns(table.get()) == nullptr) {
    return Status::Corrupt("the definition of table '" + name + "' cannot be read");
  }
  OLC_RETURN_IF_ERROR(CheckPagesInFile(*table, name));
  return table;
}

// A table's usage map lists the pages of its rows: each must lie in the file
// (libmdb reads a page past the end as zeros, and the rows on it as none).
Status MdbReader::CheckPagesInFile(const MdbTableDef& table, const std::string& name) {
  if (table.map_sz < 1) return Status::Corrupt("table '" + name + "' has no page map");
  // A large table's map lists pages that hold its map.
  if (table.usage_map[0] == kMapOfMapPages) {
    for (size_t at = 1; at + 4 <= table.map_sz; at += 4) {
      OLC_RETURN_IF_ERROR(CheckPage(ReadNumber<uint32_t>(table.usage_map + at),
                                    "the page map of table '" + name + "'"));
    }
  }
  int32_t page = 0;
  while (true) {
    int32_t next = mdb_map_find_next(mdb_, table.usage_map, static_cast<unsigned>(table.map_sz),
                                     static_cast<uint32_t>(page));
    if (next < 0) return Status::Corrupt("the page map of table '" + name + "' cannot be read");
    if (next <= page) return Status::Ok();  // 0: no more pages
    OLC_RETURN_IF_ERROR(CheckPage(static_cast<uint64_t>(next), "a page of table '" + name + "'"));
    page = next;
  }
}

template <typename ColumnsRead, typename RowRead>
Status MdbReader::ReadRows(const CatalogEntry& entry, ColumnsRead columns_read, RowRead row_read) {
  MdbCatalogEntry catalog_entry{};
  catalog_entry.mdb = mdb_;
  catalog_entry.object_type = kTableObject;
  catalog_entry.table_pg = entry.page;
  std::snprintf(catalog_entry.object_name, sizeof catalog_entry.object_name, "%s",
                entry.name.c_str());
  OLC_ASSIGN_OR_RETURN(TableHandle table, OpenTable(&catalog_entry));
  std::vector<MdbColumn*> mdb_columns;
  std::vector<JetColumn> columns;
  std::vector<std::vector<char>> ole_buffers;
  ole_buffers.reserve(table->num_cols);
  for (unsigned i = 0; i < table->num_cols; ++i) {
    auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
    // Values are read in place after each row; only an OLE value needs a
    // buffer of its own, which libmdb fills a page at a time.
    column->bind_ptr = nullptr;
    if (column->col_type == MDB_OLE)
      column->bind_ptr = ole_buffers.emplace_back(2 * MDB_PGSIZE).data();
    column->len_ptr = nullptr;
    mdb_columns.push_back(column);
    columns.push_back({column->name, DeclaredType(column->col_type)});
  }
  OLC_RETURN_IF_ERROR(columns_read(columns));
  mdb_rewind_table(table.get());
  // Every row takes at least two bytes of some page: a table that yields
  // more is going round in circles.
  const uint64_t most_rows = shape_.pages * (shape_.page_size / 2);
  uint64_t rows = 0;
  std::vector<JetCell> row(mdb_columns.size());
  while (mdb_fetch_row(table.get())) {
    if (++rows > most_rows) {
      return Status::Corrupt("table '" + entry.name + "' yields more rows than the file can hold");
    }
    for (size_t i = 0; i < mdb_columns.size(); ++i) {
      OLC_ASSIGN_OR_RETURN(row[i], Cell(*mdb_columns[i]));
    }
    OLC_RETURN_IF_ERROR(row_read(row));
  }
  return Status::Ok();
}

Result<JetCell> MdbReader::Cell(MdbColumn& column) {
  // A yes/no value is its row's null flag, which libmdb leaves in the length.
  if (column.col_type == MDB_BOOL) return Integer(column.cur_value_len == 0 ? 1 : 0);
  const int start = column.cur_value_start;
  const int size = column.cur_value_len;
  if (size == 0) return JetCell();
  if (start < 0 || size < 0 ||
      static_cast<size_t>(start) + static_cast<size_t>(size) > shape_.page_size) {
    return Status::Corrupt("a value of column '" + std::string(column.name) +
                           "' lies outside its page");
  }
  const unsigned char* bytes = mdb_->pg_buf + start;
  auto needs = [&](int wanted) -> Status {
    if (size >= wanted) return Status::Ok();
    return Status::Corrupt("a value of column '" + std::string(column.name) + "' is too short");
  };
  switch (column.col_type) {
    case MDB_BYTE:
      return Integer(bytes[0]);
    case MDB_INT:
      OLC_RETURN_IF_ERROR(needs(2));
      return Integer(ReadNumber<int16_t>(bytes));
    case MDB_LONGINT:
    case MDB_COMPLEX:
      OLC_RETURN_IF_ERROR(needs(4));
      return Integer(ReadNumber<int32_t>(bytes));
    case MDB_FLOAT:
      OLC_RETURN_IF_ERROR(needs(4));
      return Real(ReadNumber<float>(bytes));
    case MDB_DOUBLE:
      OLC_RETURN_IF_ERROR(needs(8));
      return Real(ReadNumber<double>(bytes));
    case MDB_MONEY:
      OLC_RETURN_IF_ERROR(needs(8));
      return Real(static_cast<double>(ReadNumber<int64_t>(bytes)) / 10000.0);
    case MDB_NUMERIC: {
      OLC_RETURN_IF_ERROR(needs(17));  // a sign byte and 16 bytes of digits
      std::unique_ptr<char, GFreer> text(
          mdb_numeric_to_string(mdb_, start, column.col_scale, column.col_prec));
      return Bytes(JetCell::Kind::kText, text.get());
    }
    case MDB_DATETIME:
      OLC_RETURN_IF_ERROR(needs(8));
      return Text(column, 0);
    case MDB_REPID:
      OLC_RETURN_IF_ERROR(needs(16));
      return Text(column, 0);
    case MDB_TEXT:
      return Text(column, static_cast<size_t>(size));
    case MDB_MEMO:
    case MDB_OLE:
      OLC_RETURN_IF_ERROR(needs(kLongValueHeader));
      return LongValue(column);
    default:  // Binary, and kinds libmdb does not know
      return Bytes(JetCell::Kind::kBlob, std::string(reinterpret_cast<const char*>(bytes), size));
  }
}

// The text libmdb makes of the value: up to three bytes of UTF-8 for each
// byte stored, so the buffer is sized for that rather than cut short.
Result<JetCell> MdbReader::Text(MdbColumn& column, size_t raw_size) {
  mdb_set_bind_size(mdb_, std::max(kDefaultBindSize, 3 * raw_size + 16));
  std::unique_ptr<char, GFreer> text(mdb_col_to_string(mdb_, mdb_->pg_buf, column.cur_value_start,
                                                       column.col_type, column.cur_value_len));
  return Bytes(JetCell::Kind::kText, text ? text.get() : "");
}

// A memo or OLE value: inline, on one other page, or in a chain of pages.
Result<JetCell> MdbReader::LongValue(MdbColumn& column) {
  const unsigned char* header = mdb_->pg_buf + column.cur_value_start;
  const uint32_t length = ReadNumber<uint32_t>(header);
  const uint32_t where = ReadNumber<uint32_t>(header + 4);
  const std::string what = "a value of column '" + std::string(column.name) + "'";
  size_t raw_size = 0;
  if (length & 0x80000000u) {  // inline
    raw_size = static_cast<size_t>(column.cur_value_len - kLongValueHeader);
  } else if (length & 0x40000000u) {  // on one page
    OLC_RETURN_IF_ERROR(CheckPage(where >> 8, what));
    raw_size = shape_.page_size;
  } else if ((length & 0xFF000000u) == 0) {  // a chain of pages
    OLC_RETURN_IF_ERROR(CheckPage(where >> 8, what));
    if (length > shape_.pages * shape_.page_size) {
      return Status::Corrupt(what + " is longer than the whole file");
    }
    raw_size = length;
  } else {
    return Status::Corrupt(what + " is stored in a way no Jet version writes");
  }
  if (column.col_type == MDB_MEMO) return Text(column, raw_size);
  size_t size = 0;
  std::unique_ptr<void, Freer> data(mdb_ole_read_full(mdb_, &column, &size));
  if (!data) return Status::Corrupt(what + " cannot be read");
  return Bytes(JetCell::Kind::kBlob, std::string(static_cast<const char*>(data.get()), size));
}

// The catalog is read here rather than by libmdb, which also parses each
// entry's properties: that parser loops on a damaged entry, and nothing
// read here needs them.
Status MdbReader::ReadCatalog(std::vector<CatalogEntry>* entries) {
  int id = -1, name = -1, type = -1, flags = -1;
  auto columns_read = [&](const std::vector<JetColumn>& columns) -> Status {
    auto index_of = [&](std::string_view wanted) {
      for (size_t i = 0; i < columns.size(); ++i) {
        if (EqualsIgnoreCase(columns[i].name, wanted)) return static_cast<int>(i);
      }
      return -1;
    };
    id = index_of("Id"), name = index_of("Name"), type = index_of("Type");
    flags = index_of("Flags");
    if (id < 0 || name < 0 || type < 0 || flags < 0) {
      return Status::Corrupt("the catalog lacks a column it always has");
    }
    return Status::Ok();
  };
  auto row_read = [&](const std::vector<JetCell>& row) -> Status {
    if (row[type].kind != JetCell::Kind::kInteger || row[id].kind != JetCell::Kind::kInteger ||
        (row[type].integer & 0x7F) != kTableObject) {
      return Status::Ok();
    }
    CatalogEntry entry;
    entry.name = row[name].bytes;
    if (entry.name.empty()) return Status::Corrupt("the catalog holds a table without a name");
    entry.page = static_cast<uint32_t>(row[id].integer) & kPageOfId;
    uint32_t entry_flags = static_cast<uint32_t>(row[flags].integer);
    entry.user_table = (entry_flags & kSystemTableFlags) == 0 &&
                       !EqualsIgnoreCase(std::string_view(entry.name).substr(0, 4), "MSys");
    entries->push_back(std::move(entry));
    return Status::Ok();
  };
  return ReadRows(CatalogEntry{"MSysObjects", 2, false}, columns_read, row_read);
}

Status MdbReader::CopyTable(const CatalogEntry& entry, JetTableSink& sink) {
  return ReadRows(
      entry,
      [&](const std::vector<JetColumn>& columns) { return sink.BeginTable(entry.name, columns); },
      [&](const std::vector<JetCell>& row) { return sink.AddRow(row); });
}

}  // namespace

Status ReadJetTables(const std::string& path, const JetFileShape& shape, JetTableSink& sink) {
  std::unique_ptr<MdbHandle, MdbCloser> mdb(mdb_open(path.c_str(), MDB_NOFLAGS));
  if (!mdb) return Status::Corrupt("libmdb does not recognise it as a Jet database");
  mdb_set_date_fmt(mdb.get(), "%Y-%m-%d %H:%M:%S");
  MdbReader reader(mdb.get(), shape);
  std::vector<CatalogEntry> entries;
  OLC_RETURN_IF_ERROR(reader.ReadCatalog(&entries));
  for (const CatalogEntry& entry : entries) {
    if (entry.user_table) OLC_RETURN_IF_ERROR(reader.CopyTable(entry, sink));
  }
  return Status::Ok();
}

}  // namespace olconn97::jet
