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
// New contacts (a caller the user saves) go to the folder the setting
// "NewContactsFolder" (same key) names: the path of its directory below
// the store ("Work" for an address book linked in as Work), its path as
// 'olconn97 store folders' lists it, or its name when no other folder has
// it. Without the setting they go to the store's Contacts folder.
#ifndef OLCONN97_DRIVER_PIM_CONNECTION_H_
#define OLCONN97_DRIVER_PIM_CONNECTION_H_

#include <string>

#include "base/result.h"
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

inline constexpr char kNewContactsFolderValue[] = "NewContactsFolder";

// The contacts folder new contacts go to. A setting that names no contacts
// folder fails, saying so: a contact never lands anywhere else.
Result<com::ComPtr<pim::MAPIFolder>> NewContactsFolder(pim::NameSpace& ns);

}  // namespace olconn97

#endif  // OLCONN97_DRIVER_PIM_CONNECTION_H_
