#include "phone_host.h"

#include <cctype>
#include <ctime>
#include <utility>

#include "contact_view.h"
#include "host_actions.h"

namespace host {

namespace {

constexpr int kMostContactsShown = 10;

// What the search is given: the digits alone (after a leading "+" when the
// driver matches numbers in any written form). A caller's number is data,
// never a pattern: a '*' or '#' it carries must not widen the search.
std::string SearchText(const std::string& number, bool keep_plus) {
  std::string digits;
  for (char c : number) {
    if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
  }
  size_t first = number.find_first_not_of(" \t");
  bool plus = keep_plus && first != std::string::npos && number[first] == '+';
  return digits.empty() || !plus ? digits : "+" + digits;
}


}  // namespace

PhoneHost::PhoneHost(DataConnector* driver, PIMActions* list, Sinks sinks, Clock clock)
    : driver_(driver), list_(list), sinks_(std::move(sinks)), clock_(std::move(clock)) {}

PhoneHost::~PhoneHost() {
  for (auto& [id, call] : calls_) {
    if (call.contact != nullptr) call.contact->Release();
  }
}

void PhoneHost::OnSignal(const CallSignal& signal) {
  if (signal.id.empty()) return;  // not about one call
  auto known = calls_.find(signal.id);
  if (signal.type == "CALL_CLOSED") {
    if (known != calls_.end()) End(signal.id);
    return;
  }
  // A call is first seen ringing in, or going out (ringing or in progress
  // at the other end); whatever comes first begins it.
  bool begins = signal.type == "CALL_INCOMING" || signal.type == "CALL_OUTGOING" ||
                signal.type == "CALL_RINGING" || signal.type == "CALL_PROGRESS" ||
                signal.type == "CALL_ESTABLISHED" || signal.type == "CALL_ANSWERED";
  if (known == calls_.end() && begins) {
    Begin(signal);
    known = calls_.find(signal.id);
  }
  if (known != calls_.end() && signal.type == "CALL_ESTABLISHED" && !known->second.answered) {
    known->second.answered = clock_();
  }
}

void PhoneHost::Begin(const CallSignal& signal) {
  Call& call = calls_[signal.id];
  call.direction = signal.direction == "outgoing" ? "outgoing" : "incoming";
  call.number = CallerNumber(signal.peer_uri, signal.peer_name);
  call.local = UriUserPart(signal.account);
  CallerView caller = FindCaller(call);
  caller.call_id = signal.id;
  SetCallData(call, "");
  if (sinks_.show) sinks_.show(call.direction, caller);
  std::vector<std::string> problems;
  std::vector<LONG> actions = ConfiguredActions(kRingActions, &problems);
  for (const std::string& problem : problems) sinks_.report(problem);
  RunActions(call, actions);
}

CallerView PhoneHost::FindCaller(Call& call) {
  CallerView caller;
  caller.number = call.number.value_or("");
  std::string digits = SearchText(caller.number, number_matching_);
  if (digits.empty()) return caller;  // an unknown caller starts no search
  Held<ContactRecord> cursor;
  if (FAILED(driver_->Dataconnector_OpenContactRecord(cursor.Receive())) || cursor.get() == nullptr) {
    sinks_.report("the driver cannot search (see 'olconn97 status')");
    return caller;
  }
  HostBstr filter(digits);
  Contact* first = nullptr;
  HRESULT hr = cursor.get()->ContactRecord_FindFirst(0, filter.get(), &first);
  if (FAILED(hr)) {
    sinks_.report("search failed: " + FailureText(hr));
    return caller;
  }
  call.contact = first;  // the placeholder of an unknown caller too: actions get it
  if (first == nullptr || FlagOf(first, "NotInPIM")) return caller;
  caller.known = true;
  caller.name = TextOf(first, "FullName");
  std::string id = TextOf(first, "ContactId");
  HostBstr entry(id);
  Held<IDispatch> item;
  if (SUCCEEDED(driver_->Dataconnector_GetContactItemByContactItemID(entry.get(), item.Receive())) &&
      item.get() != nullptr) {
    caller.company = TextOf(item.get(), "CompanyName");
    HostVariant parent;
    std::string failure;
    if (SUCCEEDED(Read(item.get(), "Parent", nullptr, &parent, &failure)) &&
        parent.raw().vt == VT_DISPATCH && parent.raw().pdispVal != nullptr) {
      caller.folder = TextOf(parent.raw().pdispVal, "Name");
    }
  }
  // Further contacts with the number: the host walks on while there are more.
  for (int walked = 0; walked < kMostContactsShown; ++walked) {
    Held<Contact> next;
    if (FAILED(cursor.get()->ContactRecord_FindNext(next.Receive())) || next.get() == nullptr ||
        FlagOf(next.get(), "NotInPIM")) {
      break;
    }
    ++caller.others;
  }
  return caller;
}

void PhoneHost::SetCallData(Call& call, const std::string& extra) {
  if (call.contact == nullptr) return;
  std::string data = extra + "PHONENUMBER=" + call.number.value_or("") + ";TYPE=" + call.direction +
                     ";LOCALNUMBER=" + call.local + ";ORIGIN=sip;";
  if (call.answered) data += "START=" + CallDataTime(*call.answered) + ";";
  HostVariant value;
  value.get()->vt = VT_BSTR;
  value.get()->bstrVal = Api().SysAllocStringLen(data.data(), static_cast<UINT>(data.size()));
  call.contact->put_PersonalData(value.raw());
}

void PhoneHost::RunActions(Call& call, const std::vector<LONG>& actions) {
  for (LONG id : actions) {
    Held<IDispatch> item;
    Held<PIMAction> action;
    if (FAILED(list_->Item(id, item.Receive())) || item.get() == nullptr ||
        FAILED(item.get()->QueryInterface(IID_PIMAction, reinterpret_cast<void**>(action.Receive())))) {
      sinks_.report(std::string("no action ") + WordOf(id));
      continue;
    }
    VARIANT_BOOL result = VARIANT_FALSE;
    HRESULT hr = action.get()->ExecuteAction(&call.contact, &result);
    if (FAILED(hr)) sinks_.report(std::string(WordOf(id)) + " failed: " + FailureText(hr));
  }
}

void PhoneHost::End(const std::string& id) {
  Call& call = calls_[id];
  std::vector<std::string> problems;
  std::vector<LONG> actions = ConfiguredActions(kHangupActions, &problems);
  if (call.answered) {
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(clock_() - *call.answered);
    SetCallData(call, "DURATION=" + std::to_string(seconds.count()) + ";");
  } else if (call.direction == "incoming") {
    for (LONG missed : ConfiguredActions(kMissedActions, &problems)) actions.push_back(missed);
  }
  for (const std::string& problem : problems) sinks_.report(problem);
  RunActions(call, actions);
  if (call.contact != nullptr) call.contact->Release();
  calls_.erase(id);
  if (sinks_.ended) sinks_.ended(id);
}

}  // namespace host
