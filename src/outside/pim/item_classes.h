// The item classes of the store: contacts (vCard), distribution lists (a
// group card), mails (.eml) and journal entries (.ics), with the small
// collections they hand out (user properties, recipients).
#ifndef OLCONN97_OUTSIDE_PIM_ITEM_CLASSES_H_
#define OLCONN97_OUTSIDE_PIM_ITEM_CLASSES_H_

#include <string>
#include <string_view>
#include <vector>

#include "outside/pim/journal_file.h"
#include "outside/pim/mail_file.h"
#include "outside/pim/objects.h"
#include "outside/pim/vcard/contact_card.h"

namespace olconn97::pim {

class UserProperties;

class ContactItem final : public StoreObject<ContactItem, Item> {
 public:
  static constexpr std::string_view kClassName = "ContactItem";
  ContactItem(Context context, FolderRecord folder, std::string file, ContactCard card);

  ItemClass Class() const override { return ItemClass::kContact; }
  Status Save() override;
  std::string Caption() const override;
  bool Edited() const override { return card_.changed(); }
  ContactItem* AsContact() override { return this; }

  // Any text property by name (FullName, MobileTelephoneNumber, ...).
  Result<std::string> Get(std::string_view property) const { return card_.GetProperty(property); }
  Status Set(std::string_view property, std::string_view value) {
    return card_.SetProperty(property, value);
  }
  // The property's text, or "" when it cannot be read.
  std::string Text(std::string_view property) const { return Get(property).value_or(""); }
  Result<std::string> CardProperty(std::string_view name) const { return Get(name); }
  Status SetCardProperty(std::string_view name, std::string_view value) { return Set(name, value); }

  com::ComPtr<UserProperties> GetUserProperties();
  // Whether the user property `name` holds `value` (numbers compare as numbers).
  bool UserPropertyEquals(std::string_view name, std::string_view value) const;

  const ContactCard& card() const { return card_; }
  ContactCard& card() { return card_; }

  static const com::MemberList<ContactItem>& Members();

 private:
  ContactCard card_;
};

class DistListItem final : public StoreObject<DistListItem, Item> {
 public:
  static constexpr std::string_view kClassName = "DistListItem";
  DistListItem(Context context, FolderRecord folder, std::string file, ContactCard card);

  ItemClass Class() const override { return ItemClass::kDistributionList; }
  Status Save() override;
  std::string Caption() const override;
  // Contact properties: a distribution list refuses them.
  Result<std::string> CardProperty(std::string_view name) const { return card_.GetProperty(name); }
  Status SetCardProperty(std::string_view name, std::string_view value) {
    return card_.SetProperty(name, value);
  }

  static const com::MemberList<DistListItem>& Members();

 private:
  ContactCard card_;
};

class Recipients;

class MailItem final : public StoreObject<MailItem, Item> {
 public:
  static constexpr std::string_view kClassName = "MailItem";
  MailItem(Context context, FolderRecord folder, std::string file, MailMessage message);

  ItemClass Class() const override { return ItemClass::kMail; }
  Status Save() override;
  std::string Caption() const override { return message_.subject; }

  MailMessage& message() { return message_; }
  com::ComPtr<Recipients> GetRecipients();
  // Hands the mail to the sendmail command and files it in Sent Items; with
  // no command configured, files it in Outbox.
  Status Send();

  static const com::MemberList<MailItem>& Members();

 private:
  MailMessage message_;
};

class JournalItem final : public StoreObject<JournalItem, Item> {
 public:
  static constexpr std::string_view kClassName = "JournalItem";
  JournalItem(Context context, FolderRecord folder, std::string file, JournalEntry entry);

  ItemClass Class() const override { return ItemClass::kJournal; }
  Status Save() override;
  std::string Caption() const override { return entry_.subject; }

  JournalEntry& entry() { return entry_; }
  com::ComPtr<Recipients> GetRecipients();
  // The start, end and duration keep each other consistent: setting the
  // end sets the duration and setting the duration sets the end.
  void SetStart(shell::WallTime start);
  void SetEnd(shell::WallTime end);
  void SetDurationMinutes(int minutes);

  static const com::MemberList<JournalItem>& Members();

 private:
  JournalEntry entry_;
};

// The user properties of one contact; changes reach the card at once and
// the file at the contact's Save.
class UserProperties final : public StoreObject<UserProperties> {
 public:
  static constexpr std::string_view kClassName = "UserProperties";
  explicit UserProperties(com::ComPtr<ContactItem> contact) : contact_(std::move(contact)) {}

  int32_t Count() const;
  // A new property (type 1 text, 3 number) with an empty value; an
  // existing one of that name is kept and returned.
  Result<com::ComPtr<IDispatch>> Add(std::string_view name, int type);
  // The property of that name, or null.
  com::ComPtr<IDispatch> Find(std::string_view name);
  Result<com::ComPtr<IDispatch>> Item(const com::Variant& name_or_index);

  static const com::MemberList<UserProperties>& Members();

 private:
  com::ComPtr<ContactItem> contact_;
};

// One user property of a contact, live: it reads and writes the card.
class UserPropertyItem final : public StoreObject<UserPropertyItem> {
 public:
  static constexpr std::string_view kClassName = "UserProperty";
  UserPropertyItem(com::ComPtr<ContactItem> contact, std::string name)
      : contact_(std::move(contact)), name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  Result<int> Type() const;
  // Numbers come as doubles (VT_R8), texts as strings.
  Result<com::Variant> Value() const;
  Status SetValue(const com::Variant& value);

  static const com::MemberList<UserPropertyItem>& Members();

 private:
  com::ComPtr<ContactItem> contact_;
  std::string name_;
};

// The recipients of a mail or journal entry: names, numbers or addresses.
class Recipients final : public StoreObject<Recipients> {
 public:
  static constexpr std::string_view kClassName = "Recipients";
  explicit Recipients(std::vector<std::string>* list, com::ComPtr<IDispatch> owner)
      : list_(list), owner_(std::move(owner)) {}

  int32_t Count() const { return static_cast<int32_t>(list_->size()); }
  void Add(std::string_view name) { list_->emplace_back(name); }
  Result<std::string> Item(int32_t index) const;

  static const com::MemberList<Recipients>& Members();

 private:
  std::vector<std::string>* list_;  // lives in the owner, kept alive below
  com::ComPtr<IDispatch> owner_;
};

// A new, unsaved item of `kind` whose home is `folder`.
Result<com::ComPtr<Item>> NewItem(const Context& context, FolderRecord folder, int kind);
// The item of a file's bytes (the file's extension decides its class).
Result<com::ComPtr<Item>> ItemFromFile(const Context& context, const ItemLocation& location,
                                       std::string_view bytes);
// The item of a contact file whose card is parsed already.
com::ComPtr<Item> ItemFromCard(const Context& context, const ItemLocation& location,
                               ContactCard card);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_ITEM_CLASSES_H_
