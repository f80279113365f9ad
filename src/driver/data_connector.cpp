#include "driver/data_connector.h"

#include "diag/log.h"
#include "diag/log_window.h"
#include "diag/product_identity.h"
#include "driver/data_paths.h"
#include "driver/shared_state.h"
#include "outside/shell/clock.h"

namespace olconn97 {

namespace {

constexpr char kSource[] = "olconn97";

// A member whose behaviour lands with a later part of the driver.
Status NotYet(std::string_view member, std::string_view needs) {
  return Status::NotImplemented(
      std::string(member) + " is not available yet: it needs " + std::string(needs) + ".", kSource);
}

}  // namespace

cDataConnector::cDataConnector() { Class_Initialize(); }

cDataConnector::~cDataConnector() { Class_Terminate(); }

void cDataConnector::Class_Initialize() {
  Status failure = StartUp();
  if (failure.ok()) return;
  SharedState& shared = Shared();
  if (shared.gLogEnabled) {
    diag::LogWindow().Addlog("Error(Class_Initialize - DataConnector): " + failure.description() +
                             " in " + failure.source() + "\n\r" + "Init: Going on execution...");
  }
  shared.gDriverReady = false;
}

Status cDataConnector::StartUp() {
  SharedState& shared = Shared();
  DebugOutput("PIMDriverOutlook initialize");
  diag::LoadProductIdentity();
  std::string start_text =
      shell::LocalDateTimeText(shared.services.clock().Now()) + ": * Driver startup *";
  shared.gDriverReady = true;
  diag::LogWindow();  // its load decides whether the log is on
  diag::LogPlain(start_text);
  diag::Log("*************************");
  diag::Log("* Driver initialization *");
  diag::Log("*************************");
  diag::Log("");
  diag::Log("Connecting to Outlook 97/98...");
  return Status::Unavailable("the contact store is not part of this build yet", kSource);
}

void cDataConnector::Class_Terminate() {
  // Nothing is opened by the start-up of this build: no database, no
  // workspace, no text components, no action list to release.
}

Result<bool> cDataConnector::Dataconnector_ShowFolder(std::string_view, std::string_view) {
  return NotYet("Dataconnector_ShowFolder", "the contact store");
}

Result<com::ComPtr<IDispatch>> cDataConnector::Dataconnector_GetContactItemByContactItemID(
    std::string_view) {
  return NotYet("Dataconnector_GetContactItemByContactItemID", "the contact store");
}

Result<int16_t> cDataConnector::Dataconnector_InitializeExportFolder(std::string_view,
                                                                     std::string_view, bool) {
  return NotYet("Dataconnector_InitializeExportFolder", "the export folder");
}

Status cDataConnector::Dataconnector_SynchronizeExportFolder(std::string_view, std::string_view) {
  return NotYet("Dataconnector_SynchronizeExportFolder", "the export folder");
}

Result<std::string> cDataConnector::DataConnector_Version() {
  if (!Shared().gDriverReady) return std::string("0");
  return NotYet("DataConnector_Version", "the contact store");
}

bool cDataConnector::DataConnector_PIMInstalled() { return Shared().gDriverReady; }

int32_t cDataConnector::DataConnector_PIMName() { return Shared().gDriverReady ? kPimCode : 0; }

com::ComPtr<PIMActions> cDataConnector::DataConnector_Actions() {
  return nullptr;  // gDefaultActions: the start-up of this build creates no action list
}

Result<com::ComPtr<Contact>> cDataConnector::DataConnector_GetActiveContact() {
  if (!Shared().gDriverReady) return com::ComPtr<Contact>();
  return NotYet("DataConnector_GetActiveContact", "the contact object");
}

Result<com::ComPtr<ContactRecord>> cDataConnector::Dataconnector_OpenContactRecord() {
  if (!Shared().gDriverReady) return com::ComPtr<ContactRecord>();
  return NotYet("Dataconnector_OpenContactRecord", "the contact cache");
}

Status cDataConnector::Dataconnector_ClosePIM() {
  return NotYet("Dataconnector_ClosePIM", "the contact store");
}

Status cDataConnector::Dataconnector_ConfigPIM() {
  return NotYet("Dataconnector_ConfigPIM", "the configuration window");
}

Status cDataConnector::Dataconnector_WriteCache(bool) {
  if (!Shared().gDriverReady) return Status::Ok();
  return NotYet("Dataconnector_WriteCache", "the contact cache");
}

Status cDataConnector::Dataconnector_CreateContact(std::string_view, std::string_view, bool) {
  if (!Shared().gDriverReady) return Status::Ok();
  return NotYet("Dataconnector_CreateContact", "the contact store");
}

Result<com::ComPtr<Contact>> cDataConnector::Dataconnector_GetContactByContactID(std::string_view) {
  return NotYet("Dataconnector_GetContactByContactID", "the contact object");
}

Result<com::Variant> cDataConnector::DataConnector_ExecuteCommand(std::string_view command,
                                                                  const VARIANT&) {
  if (command == "isFolderConfigured") {
    return NotYet("DataConnector_ExecuteCommand(\"isFolderConfigured\")",
                  "the selected contact folders");
  }
  return com::Variant();
}

}  // namespace olconn97
