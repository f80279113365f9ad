// The contact folders the user chose for the driver to search.
//
// The choice is stored per user under ...\Popup\olconn98folder as triples
// "entryId<n>", "storeId<n>", "selectId<n>" (n from 1, no gaps) and loaded
// into the shared state (gAllFoldersSelected, gSelectedEntryIds,
// gSelectedStoreIds: at most kMaxSelectedFolders). Without the key every
// contact folder counts as selected.
#ifndef OLCONN97_CORE_SELECTED_FOLDERS_H_
#define OLCONN97_CORE_SELECTED_FOLDERS_H_

#include <string>

#include "outside/pim/objects.h"

namespace olconn97 {

inline constexpr int kMaxSelectedFolders = 16;

// One folder as the folder dialog lists it.
struct cfolder {
  std::string FullName;  // the folder's path, names joined by "\"
  bool IsSelected = false;
  std::string StoreId;
  std::string EntryID;
  std::string DisplayName;
};

// Reloads the selection from the settings (logging what it reads).
void GetContactFoldersSelected();

// Whether the folder is one of the selection (or every folder is).
bool IsFolderSelected(const pim::MAPIFolder& folder);

// Whether the first stored folder can be opened in the store.
bool IsFolderConfigured();

}  // namespace olconn97

#endif  // OLCONN97_CORE_SELECTED_FOLDERS_H_
