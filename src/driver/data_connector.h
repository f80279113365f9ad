// cDataConnector: the driver's entry object, the one class a host creates.
//
// Creating it runs the driver's start-up; destroying it closes what the
// start-up opened. Start-up never fails towards the host: whatever goes
// wrong is logged and leaves gDriverReady false, and every host operation
// then answers neutrally.
#ifndef OLCONN97_DRIVER_DATA_CONNECTOR_H_
#define OLCONN97_DRIVER_DATA_CONNECTOR_H_

#include <memory>
#include <string>
#include <string_view>

#include "base/result.h"
#include "cache/number_matching.h"
#include "olconn97/hostlib.h"
#include "outside/com/com_ptr.h"
#include "outside/com/variant.h"
#include "outside/textres/text_resources.h"

namespace olconn97 {

// The number by which this driver names its PIM to the host.
inline constexpr int32_t kPimCode = 4096;

class cDataConnector {
 public:
  cDataConnector();
  ~cDataConnector();
  cDataConnector(const cDataConnector&) = delete;
  cDataConnector& operator=(const cDataConnector&) = delete;

  // --- DataConnector, in slot order ---
  Result<bool> Dataconnector_ShowFolder(std::string_view default_folder_name,
                                        std::string_view folder_id);
  Result<com::ComPtr<IDispatch>> Dataconnector_GetContactItemByContactItemID(std::string_view id);
  Result<int16_t> Dataconnector_InitializeExportFolder(std::string_view from_database,
                                                       std::string_view target_folder,
                                                       bool delete_previous_folder);
  Status Dataconnector_SynchronizeExportFolder(std::string_view from_database,
                                               std::string_view target_folder);
  Result<std::string> DataConnector_Version();
  bool DataConnector_PIMInstalled();
  int32_t DataConnector_PIMName();
  com::ComPtr<PIMActions> DataConnector_Actions();
  Result<com::ComPtr<Contact>> DataConnector_GetActiveContact();
  Result<com::ComPtr<ContactRecord>> Dataconnector_OpenContactRecord();
  Status Dataconnector_ClosePIM();
  Status Dataconnector_ConfigPIM();
  Status Dataconnector_WriteCache(bool complete);
  Status Dataconnector_CreateContact(std::string_view name, std::string_view phone,
                                     bool show_contact);
  Result<com::ComPtr<Contact>> Dataconnector_GetContactByContactID(std::string_view id);
  Result<com::Variant> DataConnector_ExecuteCommand(std::string_view command,
                                                    const VARIANT& argument);

  // Why this object's start-up failed (one line), or empty when it did not.
  const std::string& startup_problem() const { return startup_problem_; }

 private:
  std::string startup_problem_;
  // This object's own text translator (export folder labels and warnings).
  std::unique_ptr<textres::Translator> translator_;
  // The number matching of the search cursors this object opens; null for
  // digits only (driver/number_settings.h).
  std::shared_ptr<NumberMatching> number_matching_;

  void Class_Initialize();
  void Class_Terminate();
  // The start-up, from the log window to the default action list; the
  // failure that ended it, if any.
  Status StartUp();
};

}  // namespace olconn97

#endif  // OLCONN97_DRIVER_DATA_CONNECTOR_H_
