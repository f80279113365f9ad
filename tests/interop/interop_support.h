// Running the programs users run beside the driver (khard, vdirsyncer,
// a CardDAV server) from the interoperation tests.
#ifndef OLCONN97_TESTS_INTEROP_INTEROP_SUPPORT_H_
#define OLCONN97_TESTS_INTEROP_INTEROP_SUPPORT_H_

#include <string>

#include "test_support.h"

namespace olconn97::testing {

// Where `program` is on PATH, "" when it is not.
std::string ProgramPath(const std::string& program);

// Debian's khard, run on one address book folder as a user would run it,
// with a configuration of its own.
bool KhardInstalled();

// Runs `khard <arguments>` (shell words) on the address book `book`, with
// its home, configuration and errors (home/khard.err) inside `home`, for at
// most a minute; returns its standard output. A failing run fails the test.
std::string RunKhard(const TempDir& home, const std::string& book, const std::string& arguments);

}  // namespace olconn97::testing

#endif  // OLCONN97_TESTS_INTEROP_INTEROP_SUPPORT_H_
