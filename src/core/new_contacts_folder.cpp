#include "core/new_contacts_folder.h"

#include <string>

#include "base/strings.h"
#include "core/settings.h"
#include "outside/pim/store.h"

namespace olconn97 {

Result<com::ComPtr<pim::MAPIFolder>> NewContactsFolder(pim::NameSpace& ns) {
  std::string named(
      TrimBlanks(RegReadString(Hive::kCurrentUser, kOutlook98Key, kNewContactsFolderValue)));
  if (named.empty()) return ns.GetDefaultFolder(pim::kFolderContacts);
  auto refused = [&](std::string_view why) {
    return Status::NotFound("the setting \"" + std::string(kNewContactsFolderValue) + "\" (" +
                            named + "): " + std::string(why));
  };
  Result<pim::FolderRecord> folder = ns.context().store->FindFolder(named);
  if (!folder.ok()) return refused(folder.status().description());
  if (folder.value().kind != pim::FolderKind::kContacts) {
    return refused(folder.value().name + " is not a contacts folder");
  }
  return com::MakeObject<pim::MAPIFolder>(ns.context(), std::move(folder).value());
}

}  // namespace olconn97
