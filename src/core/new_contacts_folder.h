// Where new contacts go: a caller the user saves, a card the open-contact
// action makes for an unknown caller.
//
// The folder the setting "NewContactsFolder" (HKCU, ...\Popup\outlook98)
// names: the path of its directory below the store ("Work" for an address
// book linked in as Work), its path as 'olconn97 store folders' lists it,
// or its name when no other folder has it. Without the setting, the store's
// Contacts folder.
#ifndef OLCONN97_CORE_NEW_CONTACTS_FOLDER_H_
#define OLCONN97_CORE_NEW_CONTACTS_FOLDER_H_

#include "base/result.h"
#include "outside/com/com_ptr.h"
#include "outside/pim/objects.h"

namespace olconn97 {

inline constexpr char kNewContactsFolderValue[] = "NewContactsFolder";

// The contacts folder new contacts go to. A setting that names no contacts
// folder fails, saying so: a contact never lands anywhere else.
Result<com::ComPtr<pim::MAPIFolder>> NewContactsFolder(pim::NameSpace& ns);

}  // namespace olconn97

#endif  // OLCONN97_CORE_NEW_CONTACTS_FOLDER_H_
