#include "outside/jet/dao.h"

#include <algorithm>
#include <map>

#include "base/strings.h"
#include "outside/jet/connection.h"
#include "outside/jet/jet_lexer.h"
#include "outside/jet/jet_sql.h"
#include "outside/jet/sqlite_recordset.h"

namespace olconn97::jet {
namespace {

// The table a recordset source names, when it is a bare (or bracketed) name.
std::optional<std::string> TableNameOf(std::string_view source) {
  Result<std::vector<JetToken>> tokens = LexJet(source);
  if (!tokens.ok() || tokens.value().size() != 1) return std::nullopt;
  const JetToken& token = tokens.value()[0];
  bool is_name = token.kind == JetToken::Kind::kQuotedName ||
                 (token.kind == JetToken::Kind::kWord && !token.IsKeyword("SELECT"));
  if (!is_name) return std::nullopt;
  return token.text;
}

class SqliteDatabase : public Database {
 public:
  explicit SqliteDatabase(std::shared_ptr<Connection> connection)
      : connection_(std::move(connection)) {}
  ~SqliteDatabase() override { (void)connection_->Close(); }

  Result<int64_t> Execute(std::string_view jet_sql, const std::vector<Value>& params) override {
    if (!connection_->is_open()) return ObjectClosed("DAO.Database");
    OLC_ASSIGN_OR_RETURN(SqlText statement, TranslateStatement(jet_sql, params));
    if (statement.kind == StatementKind::kSelect) {
      return DaoError(Code::kInvalidArgument, 3065, "Cannot execute a select query.",
                      "DAO.Database");
    }
    return connection_->Write(statement.sql, statement.params);
  }

  Result<std::unique_ptr<Recordset>> OpenRecordset(std::string_view source, RecordsetType type,
                                                   const std::vector<Value>& params) override {
    if (!connection_->is_open()) return ObjectClosed("DAO.Database");
    if (type == RecordsetType::kTable) {
      std::optional<std::string> table = TableNameOf(source);
      if (!table || !params.empty()) {
        return DaoError(Code::kInvalidArgument, 3219,
                        "Invalid operation: a table-type recordset opens a table by its name.",
                        "DAO.Database");
      }
      return SqliteRecordset::OpenTable(connection_, *table);
    }
    if (type != RecordsetType::kDynaset && type != RecordsetType::kSnapshot) {
      return DaoError(Code::kInvalidArgument, 3001, "Invalid argument: unknown recordset type.",
                      "DAO.Database");
    }
    OLC_ASSIGN_OR_RETURN(KeptSelect kept, Translate(source, params));
    if (type == RecordsetType::kSnapshot) {
      return SqliteRecordset::OpenSnapshot(connection_, std::move(kept.select));
    }
    return SqliteRecordset::OpenDynaset(connection_, std::move(kept.select), std::move(kept.sql));
  }

  void SetCommitEvery(int64_t rows) override { connection_->SetCommitEvery(rows); }
  Status SetBulkWrites(bool on) override { return connection_->SetMemoryUse(on); }
  Status Commit() override { return connection_->Commit(); }
  Status BeginTrans() override { return connection_->BeginTransaction(); }
  Status CommitTrans() override { return connection_->CommitTransaction(); }
  Status Rollback() override { return connection_->Rollback(); }
  Status ExecuteSchema(const std::string& native_sql) override {
    // Outside a transaction, schema changes go in their own.
    OLC_RETURN_IF_ERROR(connection_->Commit());
    return connection_->Exec(native_sql.c_str());
  }
  Result<Value> ReadValue(const std::string& native_sql) override {
    if (!connection_->is_open()) return ObjectClosed("DAO.Database");
    OLC_ASSIGN_OR_RETURN(Query query, connection_->Prepare(native_sql));
    OLC_ASSIGN_OR_RETURN(bool row, query.Step());
    return row ? query.Column(0) : Value();
  }
  Result<std::vector<TableDef>> TableDefs() override;
  Status Close() override { return connection_->Close(); }
  bool IsOpen() const override { return connection_->is_open(); }
  const std::string& Name() const override { return connection_->path(); }

 private:
  struct KeptSelect {
    SelectParts select;
    KeysetSql sql;
  };

  // A search runs the same text again and again with new values: its
  // translation is kept and only the values are replaced.
  Result<KeptSelect> Translate(std::string_view source, const std::vector<Value>& params) {
    auto found = selects_.find(source);
    if (found != selects_.end() && found->second.select.placeholder_slots.size() == params.size()) {
      KeptSelect kept = found->second;
      for (size_t i = 0; i < params.size(); ++i) {
        kept.select.params[kept.select.placeholder_slots[i]] = params[i];
      }
      return kept;
    }
    std::optional<std::string> table = TableNameOf(source);
    KeptSelect kept;
    if (table && params.empty()) {
      kept.select = SelectWholeTable(*table);
    } else {
      OLC_ASSIGN_OR_RETURN(kept.select, TranslateSelect(source, params));
    }
    kept.sql = KeysetStatements(kept.select);
    if (selects_.size() >= kMaxKeptSelects) selects_.clear();
    selects_.emplace(std::string(source), kept);
    return kept;
  }

  static constexpr size_t kMaxKeptSelects = 32;
  std::shared_ptr<Connection> connection_;
  std::map<std::string, KeptSelect, std::less<>> selects_;
};

Result<std::vector<TableDef>> SqliteDatabase::TableDefs() {
  if (!connection_->is_open()) return ObjectClosed("DAO.Database");
  std::vector<TableDef> tables;
  {
    OLC_ASSIGN_OR_RETURN(
        Query names, connection_->Prepare("SELECT name FROM sqlite_schema WHERE type = 'table'"
                                          " AND substr(name, 1, 7) <> 'sqlite_' ORDER BY rowid"));
    while (true) {
      OLC_ASSIGN_OR_RETURN(bool row, names.Step());
      if (!row) break;
      tables.push_back({names.Column(0).ToText(), {}, 0});
    }
  }
  for (TableDef& table : tables) {
    OLC_ASSIGN_OR_RETURN(Query fields,
                         connection_->Prepare("SELECT name, type FROM pragma_table_info(?1)"));
    OLC_RETURN_IF_ERROR(fields.Bind(std::vector<Value>{Value(table.name)}));
    while (true) {
      OLC_ASSIGN_OR_RETURN(bool row, fields.Step());
      if (!row) break;
      table.fields.push_back({fields.Column(0).ToText(), fields.Column(1).ToText()});
    }
    OLC_ASSIGN_OR_RETURN(Query count,
                         connection_->Prepare("SELECT count(*) FROM " + QuoteName(table.name)));
    OLC_ASSIGN_OR_RETURN(bool counted, count.Step());
    table.record_count = counted ? count.ColumnInteger(0) : 0;
  }
  return tables;
}

}  // namespace

Result<std::unique_ptr<Database>> Workspace::OpenDatabase(const std::string& path) {
  if (!open_) return ObjectClosed("DAO.Workspace");
  OLC_ASSIGN_OR_RETURN(std::shared_ptr<Connection> connection, Connection::Open(path));
  std::erase_if(connections_, [](const std::weak_ptr<Connection>& c) { return c.expired(); });
  connections_.push_back(connection);
  return std::unique_ptr<Database>(std::make_unique<SqliteDatabase>(std::move(connection)));
}

Status Workspace::Close() {
  Status first_failure;
  for (const std::weak_ptr<Connection>& weak : connections_) {
    if (std::shared_ptr<Connection> connection = weak.lock()) {
      Status status = connection->Close();
      if (first_failure.ok()) first_failure = std::move(status);
    }
  }
  connections_.clear();
  open_ = false;
  return first_failure;
}

DBEngine::DBEngine() : default_workspace_(new Workspace("#Default Workspace#", "admin")) {}

DBEngine::~DBEngine() = default;

Result<std::unique_ptr<Workspace>> DBEngine::CreateWorkspace(std::string_view name,
                                                             std::string_view user,
                                                             std::string_view password,
                                                             WorkspaceType type) {
  if (type != WorkspaceType::kJet) {
    return DaoError(Code::kInvalidArgument, 3251, "Only Jet workspaces are available.",
                    "DAO.DBEngine");
  }
  if (!EqualsIgnoreCase(user, "admin") || !password.empty()) {
    return DaoError(Code::kAccessDenied, 3029, "Not a valid account name or password.",
                    "DAO.DBEngine");
  }
  return std::unique_ptr<Workspace>(new Workspace(std::string(name), std::string(user)));
}

Result<std::unique_ptr<Database>> DBEngine::OpenDatabase(const std::string& path) {
  return default_workspace_->OpenDatabase(path);
}

Status DBEngine::CreateDatabase(const std::string& path, std::string_view schema_sql) {
  return Connection::Create(path, schema_sql);
}

Status DBEngine::CompactCopy(const std::string& source, const std::string& target) {
  OLC_ASSIGN_OR_RETURN(std::shared_ptr<Connection> connection, Connection::Open(source));
  Status status = connection->CompactInto(target);
  Status closed = connection->Close();
  return status.ok() ? closed : status;
}

}  // namespace olconn97::jet
