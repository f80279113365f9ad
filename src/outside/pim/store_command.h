// The admin view of the contact store, for a user whose caller is not found:
//
//   store folders [--store DIR] [--json]
//       every folder: path, kind, entry ID, store ID, item count
//   store show FILE-or-ENTRYID [--store DIR] [--json]
//       what the driver reads from one card
//   store link PATH [NAME] [--store DIR]
//       links the user's address book (or each book of a khard or
//       vdirsyncer folder) into the store
//   store import FILE.vcf [FOLDER] [--store DIR]
//       one file per card of a file of several cards
#ifndef OLCONN97_OUTSIDE_PIM_STORE_COMMAND_H_
#define OLCONN97_OUTSIDE_PIM_STORE_COMMAND_H_

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "base/result.h"
#include "outside/com/com_ptr.h"
#include "outside/pim/objects.h"

namespace olconn97::pim {

// Opens the store of --store DIR, or the configured one when `folder` is empty.
using StoreOpener = std::function<Result<com::ComPtr<Application>>(const std::string& folder)>;

// `args` are the words after "store". Exit codes: 0 done, 1 failed, 2 bad usage.
int RunStoreCommand(const std::vector<std::string>& args, const StoreOpener& open,
                    std::ostream& out, std::ostream& err);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_STORE_COMMAND_H_
