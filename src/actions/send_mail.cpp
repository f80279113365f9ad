#include "actions/actions.h"
#include "actions/call_contact.h"
#include "contact/contact.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/windows.h"
#include "outside/shell/clock.h"

namespace olconn97 {

namespace {

constexpr char kAddressKey[] = "DestinationAddress";
constexpr char kAutomaticSendKey[] = "AutomaticSend";

}  // namespace

ActionSendMail::ActionSendMail() : Action(kActionSendMail, "#05200#") {
  properties().AddProperty(kAddressKey, T("#05201#"), com::Variant::String(""), kPropertyText);
  properties().AddProperty(kAutomaticSendKey, T("#05202#"), com::Variant::Bool(true),
                           kPropertyBoolean);
}

com::ComPtr<PIMAction> ActionSendMail::CopyAction() const {
  com::ComPtr<PIMAction> copy = MakeAction<ActionSendMail>();
  CopyValuesTo(*ActionOf(copy.get()));
  return copy;
}

// Every step that fails is skipped and the next one runs.
void ActionSendMail::Execute(Contact** item) {
  com::ComPtr<Contact> spare = SpareContact(/*not_in_pim=*/false);
  diag::Log("Trying to send mail...");
  if (*item == nullptr) {
    ContactOf(spare.get())->SetNotInPIM(true);
    PutContact(item, spare);
    diag::Log("Item is nothing...");
  }
  CallContact contact(*item);
  SharedState& shared = Shared();
  com::ComPtr<pim::MailItem> mail;
  if (shared.gOutlookApp) {
    Result<com::ComPtr<pim::Item>> created = shared.gOutlookApp->CreateItem(pim::kMailItem);
    if (created.ok()) mail = com::ComPtr<pim::MailItem>(dynamic_cast<pim::MailItem*>(created.value().get()));
  }
  // An empty address is how the user switches the action off.
  std::string address = Setting(kAddressKey)->Value().ToString().value_or("");
  if (address.empty()) return;
  if (mail) mail->message().to.push_back(address);
  Result<std::string> caller = contact.FullName();
  if (caller.ok()) diag::Log("Sending mail to " + address + " called by " + caller.value());
  CallParty party = PartyOf(contact);
  spare = nullptr;

  std::string call_type = contact.CallValue("TYPE=");
  shell::WallTime now = shared.services.clock().Now();
  std::string body = CallText(call_type, party.name) + " " + T("#05206#") + " " +
                     shell::FormatLocal(now, "%x") + " " + T("#05205#") + " " +
                     shell::FormatLocal(now, "%X");
  if (party.item) {
    diag::Log("Contact of call found and stored...");
    body += "\n\rContact: " + ContactLink(*party.item, party.name);
  }
  if (mail) {
    mail->message().subject = CallSubject(party.name);
    mail->message().body = body;
  }
  diag::Log("Body = " + body);
  if (Setting(kAutomaticSendKey)->Value().ToBool().value_or(false)) {
    if (mail) (void)mail->Send();  // a failed send is logged all the same
    diag::Log("Mail sent...");
  } else {
    if (mail) (void)mail->GetInspector()->Display();
    diag::Log("Mail displayed...");
  }
}

}  // namespace olconn97
