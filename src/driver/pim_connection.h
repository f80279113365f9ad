// Where the driver finds its contact store, and the connection to it.
//
// The store is the folder named by the setting "PimStore" (HKCU,
// ...\Popup\outlook98); a configured store that does not exist or cannot be
// read is never created, and the connection fails: for the driver that is
// "Outlook not installed". Without the setting the store is the user's own,
// $XDG_DATA_HOME/olconn97/pim, created on first use with its default
// folders. Neither is ever made of a folder that holds something already
// (an address book pointed at as the store): the connection fails, saying
// what works instead.
//
// New contacts go to the folder of core/new_contacts_folder.h.
#ifndef OLCONN97_DRIVER_PIM_CONNECTION_H_
#define OLCONN97_DRIVER_PIM_CONNECTION_H_

#include <string>

#include "base/result.h"
#include "core/new_contacts_folder.h"
#include "outside/com/com_ptr.h"
#include "outside/pim/objects.h"

namespace olconn97 {

struct StoreLocation {
  std::string folder;
  bool configured = false;  // named by "PimStore": never created
};

// The store the settings name, or the user's default one.
StoreLocation ConfiguredStoreLocation();

// A new connection to the store at `location`; mail goes through the
// command of the setting "SendmailCommand", read when a mail is sent. What
// the store skips or cannot read goes to `report`, else to debugger output.
Result<com::ComPtr<pim::Application>> ConnectToStore(const StoreLocation& location,
                                                     pim::ReportFunction report = {});

}  // namespace olconn97

#endif  // OLCONN97_DRIVER_PIM_CONNECTION_H_
