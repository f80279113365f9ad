// The standard schema of the employee directory (data/directory_schema.sql,
// built into the library): the tables and columns the driver reads.
#ifndef OLCONN97_EXPORT_DIRECTORY_SCHEMA_H_
#define OLCONN97_EXPORT_DIRECTORY_SCHEMA_H_

#include <string_view>

namespace olconn97 {

// SQLite statements that create the directory's tables in an empty database.
std::string_view DirectorySchemaSql();

}  // namespace olconn97

#endif  // OLCONN97_EXPORT_DIRECTORY_SCHEMA_H_
