// The database engine in DAO's shape: an engine, its workspaces, and the
// databases opened through them. SQLite stands in for Jet; the files keep
// their names.
//
// Usage, as the driver's start-up does it:
//   jet::DBEngine engine;  // one per process, kept in the shared state
//   auto workspace = engine.CreateWorkspace("", "admin", "", jet::WorkspaceType::kJet);
//   auto cache = workspace.value()->OpenDatabase(data_path + "/Connector.mdb");
//
// Databases open shared and read-write, in write-ahead-log mode; a write
// that meets another process's write waits for it (kBusyTimeoutMs) before
// failing with kBusy.
#ifndef OLCONN97_OUTSIDE_JET_DAO_H_
#define OLCONN97_OUTSIDE_JET_DAO_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/jet/database.h"

namespace olconn97::jet {

class Connection;

// DAO's workspace types.
enum class WorkspaceType { kOdbc = 1, kJet = 2 };

class Workspace {
 public:
  // A missing file fails with kNotFound, a file that is not a database with
  // kCorrupt; opening never creates a database.
  Result<std::unique_ptr<Database>> OpenDatabase(const std::string& path);

  // Closes every database opened through this workspace. Ending the object
  // without Close leaves them open.
  Status Close();
  bool IsOpen() const { return open_; }

  const std::string& name() const { return name_; }
  const std::string& user() const { return user_; }

  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

 private:
  friend class DBEngine;
  Workspace(std::string name, std::string user) : name_(std::move(name)), user_(std::move(user)) {}

  std::string name_;
  std::string user_;
  bool open_ = true;
  std::vector<std::weak_ptr<Connection>> connections_;
};

class DBEngine {
 public:
  DBEngine();
  ~DBEngine();
  DBEngine(const DBEngine&) = delete;
  DBEngine& operator=(const DBEngine&) = delete;

  // Jet workspaces only, for the user "admin" with an empty password (the
  // only account an unsecured database has); anything else fails.
  Result<std::unique_ptr<Workspace>> CreateWorkspace(std::string_view name, std::string_view user,
                                                     std::string_view password, WorkspaceType type);

  // Through the engine's default workspace.
  Result<std::unique_ptr<Database>> OpenDatabase(const std::string& path);

  // A new database holding what `schema_sql` (SQLite statements) creates, for
  // the build's template and for tests. Fails with kAlreadyExists rather
  // than touch an existing file.
  Status CreateDatabase(const std::string& path, std::string_view schema_sql);

  // A consistent, compacted copy of a database at `target` (which must not
  // exist), even while other processes write to the source.
  Status CompactCopy(const std::string& source, const std::string& target);

 private:
  std::unique_ptr<Workspace> default_workspace_;
};

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_DAO_H_
