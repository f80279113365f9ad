// The demo contact store that `olconn97 demo` runs the driver on: about 40
// contacts with numbers in the forms people type them, in the default
// Contacts folder, a "Clients" contacts folder and a "Suppliers" contacts
// folder below the Inbox; a contact without number, one without name, and
// a distribution list that is not a contact.
#ifndef OLCONN97_DRIVER_DEMO_STORE_H_
#define OLCONN97_DRIVER_DEMO_STORE_H_

#include <string>

#include "base/status.h"

namespace olconn97 {

// Creates the store at `folder` (made when missing); fails when that store
// holds contacts already.
Status CreateDemoStore(const std::string& folder);

// How many contacts (named or not) the demo store holds.
int DemoContactCount();

}  // namespace olconn97

#endif  // OLCONN97_DRIVER_DEMO_STORE_H_
