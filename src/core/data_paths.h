// Where the driver's data files live (module modMultiUser).
//
// The data path holds the cache Connector.mdb and the employee directory
// stx.mdb. It is, in this order of precedence: the user's own "DataPath"
// setting; with "MultiUser" (default "yes") a folder named after the
// product inside the user's data folder; the machine's "DataPath"; the
// driver's own folder. It is decided once per process.
//
// A data path that is not per user is shared by the machine's users: the
// folders the driver creates there get mode 0777 and its files mode 0666
// (SetFileEveryoneAccess), whatever the creating user's umask.
//
// Problems are written to the error file (through core/reports.h); no routine
// fails its caller.
#ifndef OLCONN97_CORE_DATA_PATHS_H_
#define OLCONN97_CORE_DATA_PATHS_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace olconn97 {

// The data path, without a trailing "/", created with all its parents.
// Computed on first use into gDataPath (and gPerUserDataPath).
std::string DataPath();

// The user's application-data folder (created if missing); empty when the
// shell cannot give one.
std::string GetUserProfilePath();

// DataPath() + "/stx.mdb", computed on first use into gStxFileName.
std::string StxFileName();

// Creates every missing folder of the path, from the top down.
void MakeSubDir(std::string_view path);

// Creates one folder if it does not exist yet.
void MakeDir(std::string_view path);

// Opens an existing file to every user of the machine (mode 0666) when the
// data path is shared. 0 on success or when the data path is per user,
// else the OS error code.
int32_t SetFileEveryoneAccess(const std::string& file);

// The login name of the current user; empty when it cannot be found.
std::string GetNetworkUserName();

// One line to the debugger output (the system log).
void DebugOutput(std::string_view text);

}  // namespace olconn97

#endif  // OLCONN97_CORE_DATA_PATHS_H_
