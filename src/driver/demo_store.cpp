#include "driver/demo_store.h"

#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"

namespace olconn97 {

namespace {

struct DemoPhone {
  const char* property;
  const char* number;
};

struct DemoContact {
  const char* full_name;  // "" for the contact without a name
  const char* company;
  const char* department;
  const char* email;
  std::vector<DemoPhone> phones;
};

// Contacts of the default Contacts folder: numbers in the forms people
// really type them (international, national, with extensions and letters).
const std::vector<DemoContact>& PersonalContacts() {
  static const std::vector<DemoContact> contacts = {
      {"Ann Smith",
       "Norvale",
       "Sales",
       "ann.smith@example.org",
       {{"BusinessTelephoneNumber", "+33 1 23 45 67 89"},
        {"MobileTelephoneNumber", "06 12 34 56 78"}}},
      {"Bob Martin",
       "Norvale",
       "Support",
       "bob.martin@example.org",
       {{"BusinessTelephoneNumber", "+33 (0)1 23 45 67 90"},
        {"HomeTelephoneNumber", "01.45.67.89.01"}}},
      {"Chloé Dubois",
       "Atelier Dubois",
       "",
       "chloe@atelier-dubois.example",
       {{"MobileTelephoneNumber", "+33 6 98 76 54 32"},
        {"BusinessFaxNumber", "+33 4 72 00 11 22"}}},
      {"David Müller",
       "Müller GmbH",
       "Einkauf",
       "d.mueller@example.de",
       {{"BusinessTelephoneNumber", "+49 30 1234567-89"},
        {"Business2TelephoneNumber", "030 1234567"}}},
      {"Eva Rossi",
       "Rossi & Figli",
       "",
       "eva@rossi.example",
       {{"BusinessTelephoneNumber", "+39 02 1234 5678"},
        {"MobileTelephoneNumber", "+39 347 123 4567"}}},
      {"Farid Benali",
       "",
       "",
       "farid.benali@example.org",
       {{"HomeTelephoneNumber", "04 91 23 45 67"}}},
      {"Grace O'Neil",
       "O'Neil Legal",
       "Partners",
       "grace@oneil.example",
       {{"BusinessTelephoneNumber", "+44 20 7946 0958 ext. 12"},
        {"AssistantTelephoneNumber", "+44 20 7946 0959"}}},
      {"Hugo Lefèvre",
       "Lefèvre Transports",
       "Dispatch",
       "",
       {{"CarTelephoneNumber", "06 07 08 09 10"}, {"PagerNumber", "0800 123 456"}}},
      {"Inès García",
       "García Consulting",
       "",
       "ines@garcia.example",
       {{"BusinessTelephoneNumber", "+34 91 123 45 67"},
        {"Home2TelephoneNumber", "+34 93 765 43 21"}}},
      {"Jonas Jensen",
       "Nordic Freight",
       "Operations",
       "jonas@nordic.example",
       {{"BusinessTelephoneNumber", "+45 33 12 34 56"},
        {"OtherTelephoneNumber", "+45 20 12 34 56"}}},
      {"Karin Novak",
       "",
       "",
       "karin.novak@example.cz",
       {{"MobileTelephoneNumber", "+420 601 123 456"}}},
      {"Luca Bianchi",
       "Bianchi SpA",
       "Finance",
       "l.bianchi@example.it",
       {{"CompanyMainTelephoneNumber", "+39 06 9876 5432"},
        {"BusinessTelephoneNumber", "+39 06 9876 5400"}}},
      {"Mia Tanaka",
       "Tanaka Trading",
       "",
       "mia@tanaka.example",
       {{"BusinessTelephoneNumber", "+81 3-1234-5678"},
        {"MobileTelephoneNumber", "090-1234-5678"}}},
      {"Noah Williams",
       "Flowers by Noah",
       "",
       "orders@flowers.example",
       {{"BusinessTelephoneNumber", "1-800-FLOWERS"},
        {"CallbackTelephoneNumber", "(555) 010-4477"}}},
      {"Olga Kowalski", "", "", "", {{"HomeTelephoneNumber", "+48 22 123 45 67"}}},
      {"Pierre Laurent",
       "Laurent Architecture",
       "Studio",
       "pierre@laurent.example",
       {{"BusinessTelephoneNumber", "+33 5 56 12 34 56"}, {"ISDNNumber", "+33 5 56 12 34 99"}}},
      {"Quentin Faure",
       "",
       "",
       "quentin.faure@example.fr",
       {{"PrimaryTelephoneNumber", "07 11 22 33 44"}}},
      {"Rosa Silva",
       "Silva Imports",
       "Logistics",
       "rosa@silva.example",
       {{"BusinessTelephoneNumber", "+351 21 123 4567"}, {"TelexNumber", "12345 SILVA P"}}},
      {"Sam Taylor",
       "Taylor Radio",
       "",
       "",
       {{"RadioTelephoneNumber", "+1 (202) 555-0143"},
        {"TTYTDDTelephoneNumber", "+1 202 555 0100"}}},
      {"Tom Berger",
       "Berger AG",
       "IT",
       "tom.berger@example.ch",
       {{"BusinessTelephoneNumber", "+41 44 668 18 00"}, {"OtherFaxNumber", "+41 44 668 18 01"}}},
      {"Uma Patel",
       "Patel Pharmacy",
       "",
       "uma@patel.example",
       {{"BusinessTelephoneNumber", "+44 121 496 0000"}, {"HomeFaxNumber", "0121 496 0001"}}},
      {"Victor Hugo Dumas",
       "",
       "",
       "vhd@example.org",
       {{"MobileTelephoneNumber", "+33 7 81 23 45 67"}}},
      {"Wen Li",
       "Li Electronics",
       "R&D",
       "wen.li@example.cn",
       {{"BusinessTelephoneNumber", "+86 10 1234 5678"},
        {"MobileTelephoneNumber", "+86 138 0013 8000"}}},
      // A contact with a name and no phone number: never found by the cache.
      {"Xavier Noël", "Noël Conseil", "", "xavier@noel.example", {}},
      // A contact with a number and no name.
      {"", "", "", "", {{"BusinessTelephoneNumber", "+33 9 70 00 00 01"}}},
  };
  return contacts;
}

const std::vector<DemoContact>& Clients() {
  static const std::vector<DemoContact> contacts = {
      {"Yasmine Haddad",
       "Haddad Textiles",
       "Purchasing",
       "y.haddad@example.ma",
       {{"BusinessTelephoneNumber", "+212 522 12 34 56"}}},
      {"Zoé Mercier",
       "Mercier & Fils",
       "",
       "zoe@mercier.example",
       {{"BusinessTelephoneNumber", "02 40 12 34 56"},
        {"MobileTelephoneNumber", "06 40 12 34 56"}}},
      {"Adam Nowak",
       "Nowak Sp. z o.o.",
       "Sales",
       "adam@nowak.example",
       {{"BusinessTelephoneNumber", "+48 12 345 67 89 wew. 204"}}},
      {"Beatriz Costa",
       "Costa Vinhos",
       "",
       "beatriz@costa.example",
       {{"BusinessTelephoneNumber", "+351 22 012 3456"}}},
      {"Carl Svensson",
       "Svensson Bygg",
       "Projects",
       "carl@svensson.example",
       {{"BusinessTelephoneNumber", "+46 8 123 456 78"},
        {"MobileTelephoneNumber", "070-123 45 67"}}},
      {"Dana Cohen",
       "Cohen Media",
       "",
       "dana@cohen.example",
       {{"BusinessTelephoneNumber", "+972 3-123-4567"}}},
      {"Émile Roux", "Roux Boulangerie", "", "", {{"BusinessTelephoneNumber", "03 88 12 34 56"}}},
      {"Fatima Zahra",
       "Zahra Design",
       "Studio",
       "fatima@zahra.example",
       {{"BusinessTelephoneNumber", "+33 1 40 00 00 00 poste 321"}}},
      {"Georg Huber",
       "Huber Holz",
       "",
       "georg@huber.example",
       {{"BusinessTelephoneNumber", "+43 1 234 56 78"}}},
      {"Hana Kim",
       "Kim Trading",
       "Export",
       "hana@kim.example",
       {{"BusinessTelephoneNumber", "+82 2-312-3456"}, {"MobileTelephoneNumber", "010-1234-5678"}}},
  };
  return contacts;
}

const std::vector<DemoContact>& Suppliers() {
  static const std::vector<DemoContact> contacts = {
      {"Ivan Petrov",
       "Petrov Metals",
       "",
       "ivan@petrov.example",
       {{"BusinessTelephoneNumber", "+7 495 123-45-67"}}},
      {"Julia Schmidt",
       "Schmidt Papier",
       "Vertrieb",
       "julia@schmidt.example",
       {{"BusinessTelephoneNumber", "+49 (0) 89 123 456 0"}}},
      {"Kofi Mensah",
       "Mensah Cocoa",
       "",
       "kofi@mensah.example",
       {{"BusinessTelephoneNumber", "+233 30 212 3456"}}},
      {"Lena Fischer",
       "Fischer Logistik",
       "",
       "lena@fischer.example",
       {{"BusinessTelephoneNumber", "0049 40 1234 5678"},
        {"BusinessFaxNumber", "0049 40 1234 5679"}}},
  };
  return contacts;
}

Status AddContacts(pim::MAPIFolder& folder, const std::vector<DemoContact>& contacts) {
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::Items> items, folder.GetItems());
  for (const DemoContact& demo : contacts) {
    OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::Item> item, items->Add(pim::kContactItem));
    pim::ContactItem* contact = item->AsContact();
    if (*demo.full_name != '\0') OLC_RETURN_IF_ERROR(contact->Set("FullName", demo.full_name));
    if (*demo.company != '\0') OLC_RETURN_IF_ERROR(contact->Set("CompanyName", demo.company));
    if (*demo.department != '\0') OLC_RETURN_IF_ERROR(contact->Set("Department", demo.department));
    if (*demo.email != '\0') OLC_RETURN_IF_ERROR(contact->Set("Email1Address", demo.email));
    for (const DemoPhone& phone : demo.phones) {
      OLC_RETURN_IF_ERROR(contact->Set(phone.property, phone.number));
    }
    OLC_RETURN_IF_ERROR(contact->Save());
  }
  return Status::Ok();
}

}  // namespace

const char kDemoGroupCard[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:demo-sales-team\r\nX-ADDRESSBOOKSERVER-KIND:group\r\n"
    "FN:Sales team\r\nN:Sales team;;;;\r\nEND:VCARD\r\n";

Status CreateDemoStore(const std::string& folder) {
  pim::ApplicationOptions options;
  options.store_folder = folder;
  options.create_store = true;
  options.display = [](const pim::DisplayEvent&) {};
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::Application> app,
                       pim::Application::Create(std::move(options)));
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::NameSpace> ns, app->GetNamespace("MAPI"));
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::MAPIFolder> contacts,
                       ns->GetDefaultFolder(pim::kFolderContacts));
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::Items> items, contacts->GetItems());
  if (items->Count() > 0) {
    return Status::Error(Code::kAlreadyExists, "the store " + folder + " holds contacts already");
  }
  OLC_RETURN_IF_ERROR(AddContacts(*contacts, PersonalContacts()));
  // A distribution list among the contacts: an item that is not a contact.
  OLC_RETURN_IF_ERROR(app->session()->store()->WriteItem(
      {contacts->record(), "demo-sales-team.vcf"}, kDemoGroupCard));

  com::ComPtr<pim::MAPIFolder> top = contacts->ParentFolder();
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::MAPIFolder> clients,
                       top->Subfolders()->Add("Clients", pim::kFolderContacts));
  OLC_RETURN_IF_ERROR(AddContacts(*clients, Clients()));

  // A contacts folder below a mail folder.
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::MAPIFolder> inbox, ns->GetDefaultFolder(pim::kFolderInbox));
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::MAPIFolder> suppliers,
                       inbox->Subfolders()->Add("Suppliers", pim::kFolderContacts));
  return AddContacts(*suppliers, Suppliers());
}

int DemoContactCount() {
  return static_cast<int>(PersonalContacts().size() + Clients().size() + Suppliers().size());
}

}  // namespace olconn97
