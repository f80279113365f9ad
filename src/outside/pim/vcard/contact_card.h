// One contact card file seen as an Outlook contact item: the item's
// properties read from and written to the card's lines, every other line of
// the file kept byte for byte.
//
//   OLC_ASSIGN_OR_RETURN(ContactCard card, ContactCard::Parse(bytes));
//   OLC_ASSIGN_OR_RETURN(std::string mobile, card.GetProperty("MobileTelephoneNumber"));
//   OLC_RETURN_IF_ERROR(card.SetProperty("Department", "Sales"));
//   if (card.changed()) WriteTheFile(card.Serialize());
//
// Mapping (read 2.1, 3.0 and 4.0; a new card is written as 3.0):
// - FirstName, LastName: N (given name, family name). FullName: FN; a card
//   without FN reads as its N names ("Prefix First Middle Last Suffix").
//   LastNameAndFirstName (read only): "Last, First", either alone, or "".
//   Setting FirstName or LastName rewrites FN as "First Last", keeping the
//   prefix, middle name and suffix where the old FN showed them. Setting
//   FullName rebuilds N from it: "Last, First" splits at the comma;
//   otherwise the last word is LastName and the words before it FirstName;
//   a single word is FirstName, as Outlook does.
//   Names are read and set without surrounding blanks.
// - CompanyName, Department: ORG components 1 and 2.
// - Categories: all CATEGORIES lines, read as Outlook shows them ("A, B");
//   a set writes them to one line.
// - BillingInformation: X-OLCONN97-BILLING-INFORMATION.
// - Email1Address..Email3Address: the EMAIL lines in file order.
// - The 19 phone properties: TEL lines by type (see phone_types.h). A
//   number whose slot is taken is an extra number: kept in the file and
//   listed by ExtraPhoneNumbers().
// - User properties: X-OLCONN-<NAME>;TYPE=<Outlook type>:value.
// Setting a property to "" removes its line; setting the value it already
// has changes nothing. Where the file order would not read back the slot a
// value was set in, the card is marked with X-OLCONN97-SLOT=<slot> on the
// line or X-OLCONN97-EMPTY-SLOTS:<slots> (see card_slots.h).
//
// A group card (KIND:group, X-ADDRESSBOOKSERVER-KIND:group,
// X-EVOLUTION-LIST:TRUE) is a distribution list: every contact property
// answers a kInvalidArgument failure for it; "DLName" gives its name.
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_CONTACT_CARD_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_CONTACT_CARD_H_

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "base/status.h"
#include "outside/pim/vcard/card_slots.h"
#include "outside/pim/vcard/phone_kinds.h"
#include "outside/pim/vcard/vcard_document.h"

namespace olconn97::pim {

struct ContactCardAccess;  // the implementation's helpers (contact_card_access.h)

enum class ContactField {
  kFirstName,
  kLastName,
  kFullName,
  kLastNameAndFirstName,  // read only
  kCompanyName,
  kDepartment,
  kCategories,
  kBillingInformation,
};

// Outlook's user property types that the driver uses.
inline constexpr int kUserPropertyText = 1;
inline constexpr int kUserPropertyNumber = 3;

struct UserProperty {
  std::string name;  // as written in the card
  int type = kUserPropertyText;
  std::string value;
  friend bool operator==(const UserProperty&, const UserProperty&) = default;
};

inline constexpr int kEmailSlots = 3;
// ExtraPhoneNumbers() lists at most this many; the others stay in the file.
inline constexpr size_t kMaxListedExtraPhoneNumbers = 100;

// The text properties GetProperty and SetProperty know for every card (the
// fields, the three e-mail addresses, the phone properties), in that order.
std::vector<std::string> ContactCardPropertyNames();

class ContactCard {
 public:
  // The first card of a file. Fails (kCorrupt) when the file holds no card,
  // (kInvalidArgument) when it breaks the size limits of vcard_lines.h.
  static Result<ContactCard> Parse(std::string_view file_bytes);
  // The same, keeping `file_bytes` itself rather than a copy.
  static Result<ContactCard> ParseOwned(std::string file_bytes);
  // A new vCard 3.0 card: BEGIN, VERSION, UID, FN, N, END. An empty uid
  // gets a random UUID.
  static ContactCard NewCard(std::string_view uid = {});

  // The whole file: lines not changed byte for byte, changed lines in place,
  // new lines before END:VCARD, anything after the first card untouched.
  std::string Serialize() const;
  // True after a set that changed the card, and for a new card, until the
  // card is marked written.
  bool changed() const { return changed_; }
  // The card's file now holds what Serialize gave.
  void MarkWritten() { changed_ = false; }

  // The cards after this one in its file, which no property reaches.
  size_t CardsAfter() const { return document_.CardsAfter(); }

  bool IsGroup() const { return index_.group; }
  std::string Uid() const;

  // By Outlook property name, without regard to case: the fields, the phone
  // properties, Email1Address..Email3Address, and DLName for a group.
  // Unknown names fail with kNotFound, LastNameAndFirstName is read only
  // (kAccessDenied).
  Result<std::string> GetProperty(std::string_view name) const;
  Status SetProperty(std::string_view name, std::string_view value);

  Result<std::string> Field(ContactField field) const;
  Status SetField(ContactField field, std::string_view value);

  Result<std::string> Phone(PhoneKind kind) const;
  Status SetPhone(PhoneKind kind, std::string_view number);
  // Numbers beyond the 19 slots, in file order, at most
  // kMaxListedExtraPhoneNumbers of them.
  Result<std::vector<std::string>> ExtraPhoneNumbers() const;

  // slot is 1 to kEmailSlots.
  Result<std::string> Email(int slot) const;
  Status SetEmail(int slot, std::string_view address);

  // Names compare without regard to case. A name is letters, digits and '-'
  // (others fail with kInvalidArgument); a missing property is kNotFound.
  Result<std::vector<UserProperty>> UserProperties() const;
  Result<UserProperty> FindUserProperty(std::string_view name) const;
  Status SetUserProperty(std::string_view name, int type, std::string_view value);
  Status RemoveUserProperty(std::string_view name);

 private:
  friend struct ContactCardAccess;

  struct Index {
    size_t n = kNoLine, fn = kNoLine, org = kNoLine, billing = kNoLine, uid = kNoLine;
    size_t emptied_slots = kNoLine;
    std::vector<size_t> categories;
    std::array<size_t, kEmailSlots> emails{};
    std::array<size_t, kPhoneKindCount> phones{};
    std::array<bool, kEmailSlots> emptied_emails{};
    std::array<bool, kPhoneKindCount> emptied_phones{};
    std::vector<size_t> extra_phones;  // listed ones only
    bool group = false;
  };

  explicit ContactCard(VCardDocument document);
  void Reindex();
  Status RequireContact(std::string_view property) const;

  VCardDocument document_;
  Index index_;
  bool changed_ = false;
};

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_CONTACT_CARD_H_
