/* The host's abstract driver interfaces, as this driver implements them.
 *
 * Seven interfaces, each a dual interface: its members in slot order after
 * the seven IUnknown and IDispatch slots, and the same members by name
 * through IDispatch (names compared without regard to case; each member also
 * answers to its name with the interface prefix added or removed, so
 * "Contact_FullName" and "FullName", "ContactRecord_EOF" and "EOF" are the
 * same member). Collections answer Item as DISPID_VALUE and NewEnum as
 * DISPID_NEWENUM.
 *
 * Type library of the host's interfaces: {889D40A9-F610-11D6-AE0D-0002A50ADC13}.
 */
#ifndef OLCONN97_HOSTLIB_H_
#define OLCONN97_HOSTLIB_H_

#include "olconn97/com.h"
#include "olconn97/member_table.h"

struct DataConnector;
struct ContactRecord;
struct Contact;
struct PIMActions;
struct PIMAction;
struct ActionProperties;
struct ActionProperty;

/* {889D40AF-F610-11D6-AE0D-0002A50ADC13} */
inline constexpr IID IID_DataConnector = {
    0x889D40AF, 0xF610, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {889D40AC-F610-11D6-AE0D-0002A50ADC13} */
inline constexpr IID IID_ContactRecord = {
    0x889D40AC, 0xF610, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {889D40AA-F610-11D6-AE0D-0002A50ADC13} */
inline constexpr IID IID_Contact = {
    0x889D40AA, 0xF610, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {889D40BB-F610-11D6-AE0D-0002A50ADC13} */
inline constexpr IID IID_PIMActions = {
    0x889D40BB, 0xF610, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {889D40B9-F610-11D6-AE0D-0002A50ADC13} */
inline constexpr IID IID_PIMAction = {
    0x889D40B9, 0xF610, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {889D40B7-F610-11D6-AE0D-0002A50ADC13} */
inline constexpr IID IID_ActionProperties = {
    0x889D40B7, 0xF610, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {889D40B5-F610-11D6-AE0D-0002A50ADC13} */
inline constexpr IID IID_ActionProperty = {
    0x889D40B5, 0xF610, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* The driver's event interface __cDataConnector:
 * {029F95C4-F614-11D6-AE0D-0002A50ADC13} */
inline constexpr IID DIID___cDataConnector = {
    0x029F95C4, 0xF614, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};

/* DataConnector: the driver's entry object. */
#define OLCONN97_DATACONNECTOR_MEMBERS(M)                                           \
  M(FUNC, Dataconnector_ShowFolder, 1, VARIANT_BOOL, BSTR, BSTR)                    \
  M(FUNC, Dataconnector_GetContactItemByContactItemID, 2, IDispatch*, BSTR)         \
  M(FUNC, Dataconnector_InitializeExportFolder, 3, SHORT, BSTR, BSTR, VARIANT_BOOL) \
  M(METHOD, Dataconnector_SynchronizeExportFolder, 4, void, BSTR, BSTR)             \
  M(GET, DataConnector_Version, 5, BSTR)                                            \
  M(GET, DataConnector_PIMInstalled, 6, VARIANT_BOOL)                               \
  M(GET, DataConnector_PIMName, 7, LONG)                                            \
  M(GET, DataConnector_Actions, 8, PIMActions*)                                     \
  M(FUNC, DataConnector_GetActiveContact, 9, Contact*)                              \
  M(FUNC, Dataconnector_OpenContactRecord, 10, ContactRecord*)                      \
  M(METHOD, Dataconnector_ClosePIM, 11, void)                                       \
  M(METHOD, Dataconnector_ConfigPIM, 12, void)                                      \
  M(METHOD, Dataconnector_WriteCache, 13, void, VARIANT_BOOL)                       \
  M(METHOD, Dataconnector_CreateContact, 14, void, BSTR, BSTR, VARIANT_BOOL)        \
  M(FUNC, Dataconnector_GetContactByContactID, 15, Contact*, BSTR)                  \
  M(FUNC, DataConnector_ExecuteCommand, 16, VARIANT, BSTR, VARIANT)

/* ContactRecord: a search cursor over the contacts matching one search. */
#define OLCONN97_CONTACTRECORD_MEMBERS(M)                   \
  M(GET, ContactRecord_EOF, 1, VARIANT_BOOL)                \
  M(GET, ContactRecord_BOF, 2, VARIANT_BOOL)                \
  M(GET, ContactRecord_RecordCount, 3, SHORT)               \
  M(GET, ContactRecord_NoMatch, 4, VARIANT_BOOL)            \
  M(FUNC, ContactRecord_FindFirst, 5, Contact*, LONG, BSTR) \
  M(FUNC, ContactRecord_FindNext, 6, Contact*)              \
  M(FUNC, ContactRecord_FindPrevious, 7, Contact*)          \
  M(METHOD, ContactRecord_MoveFirst, 8, void)               \
  M(METHOD, ContactRecord_MoveLast, 9, void)                \
  M(GET, ContactRecord_Contact, 10, Contact*)               \
  M(FUNC, ContactRecord_ExecuteCommand, 11, VARIANT, BSTR, VARIANT)

/* Contact: one contact as the host reads it. Emails and PhoneNumbers are
 * collections of strings (Item, Count, NewEnum). */
#define OLCONN97_CONTACT_MEMBERS(M)            \
  M(GET, CategorieId, 1, LONG)                 \
  M(GET, AssistantId, 2, LONG)                 \
  M(GET, employeeId, 3, LONG)                  \
  M(GET, Department, 4, BSTR)                  \
  M(GET, BusinessPhone, 5, BSTR)               \
  M(GET, BusinessPhone2, 6, BSTR)              \
  M(GET, MobilePhone, 7, BSTR)                 \
  M(GET, HomePhone, 8, BSTR)                   \
  M(GET, PagerPhone, 9, BSTR)                  \
  M(GET, OtherPhone, 10, BSTR)                 \
  M(GET, BusinessPhoneLabel, 11, BSTR)         \
  M(GET, BusinessPhone2Label, 12, BSTR)        \
  M(GET, MobilePhoneLabel, 13, BSTR)           \
  M(GET, HomePhoneLabel, 14, BSTR)             \
  M(GET, PagerPhoneLabel, 15, BSTR)            \
  M(GET, OtherPhoneLabel, 16, BSTR)            \
  M(GET, AssistantPhoneLabel, 17, BSTR)        \
  M(GET, Emails, 18, IDispatch*)               \
  M(PUT, MainEmail, 19, void, BSTR)            \
  M(GET, MainEmail, 19, BSTR)                  \
  M(GET, ContactId, 20, BSTR)                  \
  M(GET, StoreId, 21, BSTR)                    \
  M(GET, MainPhoneNumber, 22, BSTR)            \
  M(PUT, MainPhoneNumber, 22, void, BSTR)      \
  M(GET, PhoneNumbers, 23, IDispatch*)         \
  M(GET, LastName, 24, BSTR)                   \
  M(GET, FirstName, 25, BSTR)                  \
  M(GET, FullName, 26, BSTR)                   \
  M(PUT, FullName, 26, void, BSTR)             \
  M(GET, NotInPIM, 27, VARIANT_BOOL)           \
  M(GET, PersonalData, 28, VARIANT)            \
  M(PUT, PersonalData, 28, void, VARIANT)      \
  M(METHOD, Show, 29, void)                    \
  M(GET, IsSelected, 30, VARIANT_BOOL)         \
  M(FUNC, IsEqual, 31, VARIANT_BOOL, Contact*) \
  M(FUNC, ExecuteCommand, 32, VARIANT, BSTR, VARIANT)

/* PIMActions: the driver's action list, keyed by action identifier. */
#define OLCONN97_PIMACTIONS_MEMBERS(M)          \
  M(FUNC, Item, DISPID_VALUE, IDispatch*, LONG) \
  M(GET, Count, 1, LONG)                        \
  M(GET, NewEnum, DISPID_NEWENUM, IUnknown*)    \
  M(FUNC, NewAction, 2, IDispatch*, LONG)       \
  M(FUNC, ExecuteCommand, 3, VARIANT, BSTR, VARIANT)

/* PIMAction: one action. CItem of ExecuteAction is in/out: an action may
 * put a new contact in the caller's variable. */
#define OLCONN97_PIMACTION_MEMBERS(M)                \
  M(FUNC, ExecuteAction, 1, VARIANT_BOOL, Contact**) \
  M(GET, ActionName, 2, BSTR)                        \
  M(GET, PassiveAction, 3, VARIANT_BOOL)             \
  M(GET, ActionID, 4, LONG)                          \
  M(GET, ActionProp, 5, ActionProperties*)           \
  M(FUNC, ExecuteCommand, 6, VARIANT, BSTR, VARIANT)

/* ActionProperties: an action's settings, by key or by 1-based position. */
#define OLCONN97_ACTIONPROPERTIES_MEMBERS(M)            \
  M(FUNC, Item, DISPID_VALUE, ActionProperty*, VARIANT) \
  M(GET, Count, 1, LONG)                                \
  M(GET, NewEnum, DISPID_NEWENUM, IUnknown*)            \
  M(FUNC, ExecuteCommand, 2, VARIANT, BSTR, VARIANT)

/* ActionProperty: one named, typed setting of an action. */
#define OLCONN97_ACTIONPROPERTY_MEMBERS(M)   \
  M(PUT, Key, 1, void, BSTR)                 \
  M(GET, Key, 1, BSTR)                       \
  M(GET, PropertyName, 2, BSTR)              \
  M(GET, Values, 3, VARIANT)                 \
  M(PUT, ValueIndex, 4, void, SHORT)         \
  M(GET, ValueIndex, 4, SHORT)               \
  M(GET, Value, DISPID_VALUE, VARIANT)       \
  M(PUT, Value, DISPID_VALUE, void, VARIANT) \
  M(GET, PropertyType, 5, SHORT)             \
  M(FUNC, ExecuteCommand, 6, VARIANT, BSTR, VARIANT)

struct DataConnector : IDispatch {
  OLCONN97_DATACONNECTOR_MEMBERS(OLC_DECLARE_PURE_)
};
struct ContactRecord : IDispatch {
  OLCONN97_CONTACTRECORD_MEMBERS(OLC_DECLARE_PURE_)
};
struct Contact : IDispatch {
  OLCONN97_CONTACT_MEMBERS(OLC_DECLARE_PURE_)
};
struct PIMActions : IDispatch {
  OLCONN97_PIMACTIONS_MEMBERS(OLC_DECLARE_PURE_)
};
struct PIMAction : IDispatch {
  OLCONN97_PIMACTION_MEMBERS(OLC_DECLARE_PURE_)
};
struct ActionProperties : IDispatch {
  OLCONN97_ACTIONPROPERTIES_MEMBERS(OLC_DECLARE_PURE_)
};
struct ActionProperty : IDispatch {
  OLCONN97_ACTIONPROPERTY_MEMBERS(OLC_DECLARE_PURE_)
};

/* __cDataConnector, the driver object's event interface: a dispinterface
 * (IDispatch only) whose events the driver declares and never raises. Each
 * event takes one LONG argument. */
#define DISPID_cDataConnector_CountFound 1
#define DISPID_cDataConnector_ContactCount 2
struct __cDataConnector : IDispatch {};

/* The interface identifier of an interface type, for templates. */
template <typename T>
struct olc_interface_id;
#define OLC_INTERFACE_ID_(T, iid)            \
  template <>                                \
  struct olc_interface_id<T> {               \
    static constexpr const IID& value = iid; \
  };
OLC_INTERFACE_ID_(IUnknown, IID_IUnknown)
OLC_INTERFACE_ID_(IDispatch, IID_IDispatch)
OLC_INTERFACE_ID_(IEnumVARIANT, IID_IEnumVARIANT)
OLC_INTERFACE_ID_(IClassFactory, IID_IClassFactory)
OLC_INTERFACE_ID_(IErrorInfo, IID_IErrorInfo)
OLC_INTERFACE_ID_(DataConnector, IID_DataConnector)
OLC_INTERFACE_ID_(ContactRecord, IID_ContactRecord)
OLC_INTERFACE_ID_(Contact, IID_Contact)
OLC_INTERFACE_ID_(PIMActions, IID_PIMActions)
OLC_INTERFACE_ID_(PIMAction, IID_PIMAction)
OLC_INTERFACE_ID_(ActionProperties, IID_ActionProperties)
OLC_INTERFACE_ID_(ActionProperty, IID_ActionProperty)
#undef OLC_INTERFACE_ID_

#endif /* OLCONN97_HOSTLIB_H_ */
