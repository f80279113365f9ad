// The dispatch tables of the seven host interfaces, from their member tables.
#include "outside/com/automation_object.h"
#include "outside/com/dispatch.h"

namespace olconn97::com {

#define OLC_DEFINE_TABLE_(Interface, MEMBERS, prefix)                         \
  template <>                                                                 \
  const DispatchTable& DispatchTableOf<Interface>() {                         \
    using Iface = Interface;                                                  \
    static const DispatchTable table({MEMBERS(OLC_DISPATCH_ENTRY_)}, prefix); \
    return table;                                                             \
  }

OLC_DEFINE_TABLE_(DataConnector, OLCONN97_DATACONNECTOR_MEMBERS, "DataConnector")
OLC_DEFINE_TABLE_(ContactRecord, OLCONN97_CONTACTRECORD_MEMBERS, "ContactRecord")
OLC_DEFINE_TABLE_(Contact, OLCONN97_CONTACT_MEMBERS, "Contact")
OLC_DEFINE_TABLE_(PIMActions, OLCONN97_PIMACTIONS_MEMBERS, "PIMActions")
OLC_DEFINE_TABLE_(PIMAction, OLCONN97_PIMACTION_MEMBERS, "PIMAction")
OLC_DEFINE_TABLE_(ActionProperties, OLCONN97_ACTIONPROPERTIES_MEMBERS, "ActionProperties")
OLC_DEFINE_TABLE_(ActionProperty, OLCONN97_ACTIONPROPERTY_MEMBERS, "ActionProperty")

HRESULT ReportUnexpected(const char* what) {
  return ReportFailure(Status::Failed(std::string("Unexpected failure: ") + what, "olconn97"));
}

}  // namespace olconn97::com
