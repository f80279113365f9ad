// The export folder: one contacts folder that mirrors the suite's employee
// directory (stx.mdb), so colleagues are found by number like any contact.
//
// The directory's page 1 holds phone sets, its page 2 employees; each
// exported contact carries its employee number and its page in the number
// user properties "EmployeeId" and "CategorieId". Where the folder is lives
// in the settings ("TransfertFolder"), and the folder stays in the list of
// searched contact folders.
//
// Nothing here fails towards the caller: a failing step is logged with its
// step number and the next step runs.
#ifndef OLCONN97_EXPORT_EXPORT_FOLDER_H_
#define OLCONN97_EXPORT_EXPORT_FOLDER_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "outside/com/com_ptr.h"
#include "outside/jet/recordset.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"
#include "outside/textres/text_resources.h"

namespace olconn97 {

inline constexpr char kEmployeeIdProperty[] = "EmployeeId";
inline constexpr char kCategoryIdProperty[] = "CategorieId";

// The directory pages, which are also the contacts' categories.
inline constexpr int kPhoneSetPage = 1;
inline constexpr int kEmployeePage = 2;

// The recorded export folder, renamed to the name the suite wants for it;
// null when none is recorded or the store no longer has it.
com::ComPtr<pim::MAPIFolder> GetExportFolder();

// The directory of the recorded export folder, found without a word in
// the log and without a rename; empty when there is none.
std::string ExportFolderPath();

// Records the export folder, and puts it in the selected folder list in
// place of the previous export folder (or at the first free place) when
// the user has a selection.
void SaveExportFolder(std::string_view entry_id, std::string_view store_id);

// Fills `item` from the directory row the recordset stands on; a null
// column leaves its property as it is. The caller saves the item.
pim::ContactItem& copyToContactItem(pim::ContactItem& item, jet::Recordset& row, int category,
                                    textres::Translator& translator);

// Creates the export folder named `target_folder` when none is recorded,
// and adds one contact per directory entry; then the cache is refreshed.
// -1 when the folder could not be created (the user was told why), else 0.
int16_t InitializeExportFolder(std::string_view from_database, std::string_view target_folder,
                               textres::Translator& translator);

// Brings the export folder in line with the directory: contacts found by
// employee number are refilled, missing ones created, and the contacts of
// employees the directory no longer has are deleted. Without an export
// folder it initialises one.
void SynchronizeExportFolder(std::string_view from_database, std::string_view target_folder,
                             textres::Translator& translator);

}  // namespace olconn97

#endif  // OLCONN97_EXPORT_EXPORT_FOLDER_H_
