#include "outside/pim/item_classes.h"

#include <cstdlib>

#include "base/strings.h"
#include "outside/pim/sendmail.h"
#include "outside/pim/store_files.h"

namespace olconn97::pim {

namespace {

// A text that is a whole number or decimal, as a number.
bool ParseNumber(std::string_view text, double* number) {
  std::string value(TrimBlanks(text));
  if (value.empty()) return false;
  char* end = nullptr;
  *number = std::strtod(value.c_str(), &end);
  return end != nullptr && *end == '\0';
}

}  // namespace

// --- contacts ---

ContactItem::ContactItem(Context context, FolderRecord folder, std::string file, ContactCard card)
    : card_(std::move(card)) {
  context_ = std::move(context);
  location_ = {std::move(folder), std::move(file)};
}

Status ContactItem::Save() {
  OLC_RETURN_IF_ERROR(WriteFile(card_.Serialize(), card_.Uid(), ".vcf"));
  card_.MarkWritten();
  return Status::Ok();
}

std::string ContactItem::Caption() const {
  std::string name = Text("FullName");
  return name.empty() ? location_.file : name;
}

bool ContactItem::UserPropertyEquals(std::string_view name, std::string_view value) const {
  Result<UserProperty> property = card_.FindUserProperty(name);
  if (!property.ok()) return false;
  double left = 0;
  double right = 0;
  if (ParseNumber(property.value().value, &left) && ParseNumber(value, &right)) {
    return left == right;
  }
  return property.value().value == value;
}

com::ComPtr<UserProperties> ContactItem::GetUserProperties() {
  return com::MakeObject<UserProperties>(com::ComPtr<ContactItem>(this));
}

DistListItem::DistListItem(Context context, FolderRecord folder, std::string file, ContactCard card)
    : card_(std::move(card)) {
  context_ = std::move(context);
  location_ = {std::move(folder), std::move(file)};
}

Status DistListItem::Save() { return WriteFile(card_.Serialize(), card_.Uid(), ".vcf"); }

std::string DistListItem::Caption() const { return card_.GetProperty("DLName").value_or(""); }

// --- mails ---

MailItem::MailItem(Context context, FolderRecord folder, std::string file, MailMessage message)
    : message_(std::move(message)) {
  context_ = std::move(context);
  location_ = {std::move(folder), std::move(file)};
}

Status MailItem::Save() {
  if (message_.date == shell::WallTime()) message_.date = std::chrono::system_clock::now();
  return WriteFile(WriteMail(message_), NewIdentity(), ".eml");
}

com::ComPtr<Recipients> MailItem::GetRecipients() {
  return com::MakeObject<Recipients>(&message_.to, com::ComPtr<IDispatch>(this));
}

Status MailItem::Send() {
  std::shared_ptr<Session> session = context_.session.lock();
  if (!session) return Status::Unavailable("the store's application is closed");
  std::string command =
      session->options().sendmail_command ? session->options().sendmail_command() : std::string();
  message_.date = std::chrono::system_clock::now();
  if (message_.message_id.empty()) message_.message_id = NewIdentity() + "@olconn97";
  int home = kFolderOutbox;  // no mail program: the mail waits in Outbox
  if (!command.empty()) {
    OLC_RETURN_IF_ERROR(SendWithSendmail(command, message_));
    home = kFolderSentMail;
  }
  OLC_ASSIGN_OR_RETURN(FolderRecord target, context_.store->DefaultFolder(home));
  if (saved() && location_.folder.key != target.key) {
    OLC_ASSIGN_OR_RETURN(location_, context_.store->MoveItem(location_, target));
  } else if (!saved()) {
    location_.folder = target;
  }
  return WriteFile(WriteMail(message_), NewIdentity(), ".eml");
}

// --- journal entries ---

JournalItem::JournalItem(Context context, FolderRecord folder, std::string file, JournalEntry entry)
    : entry_(std::move(entry)) {
  context_ = std::move(context);
  location_ = {std::move(folder), std::move(file)};
}

Status JournalItem::Save() {
  if (entry_.uid.empty()) entry_.uid = NewIdentity();
  OLC_ASSIGN_OR_RETURN(std::string bytes, WriteJournal(entry_));
  return WriteFile(bytes, entry_.uid, ".ics");
}

com::ComPtr<Recipients> JournalItem::GetRecipients() {
  return com::MakeObject<Recipients>(&entry_.recipients, com::ComPtr<IDispatch>(this));
}

void JournalItem::SetStart(shell::WallTime start) {
  entry_.start = start;
  if (entry_.duration_minutes) {
    entry_.end = start + std::chrono::minutes(*entry_.duration_minutes);
  }
}

void JournalItem::SetEnd(shell::WallTime end) {
  entry_.end = end;
  if (!entry_.start) entry_.start = end;
  auto minutes = std::chrono::duration_cast<std::chrono::minutes>(end - *entry_.start).count();
  entry_.duration_minutes = static_cast<int>(std::max<long long>(0, minutes));
}

void JournalItem::SetDurationMinutes(int minutes) {
  entry_.duration_minutes = std::max(0, minutes);
  if (!entry_.start) entry_.start = std::chrono::system_clock::now();
  entry_.end = *entry_.start + std::chrono::minutes(*entry_.duration_minutes);
}

// --- collections ---

int32_t UserProperties::Count() const {
  Result<std::vector<UserProperty>> all = contact_->card().UserProperties();
  return all.ok() ? static_cast<int32_t>(all.value().size()) : 0;
}

Result<std::string> Recipients::Item(int32_t index) const {
  if (index < 1 || index > Count()) {
    return Status::InvalidArgument("Array index out of bounds").WithNumber(DISP_E_BADINDEX);
  }
  return (*list_)[static_cast<size_t>(index - 1)];
}

// --- loading and creating ---

Result<com::ComPtr<Item>> NewItem(const Context& context, FolderRecord folder, int kind) {
  if (kind == kContactItem) {
    return com::ComPtr<Item>(com::MakeObject<ContactItem>(context, std::move(folder), std::string(),
                                                          ContactCard::NewCard()));
  }
  if (kind == kMailItem) {
    return com::ComPtr<Item>(
        com::MakeObject<MailItem>(context, std::move(folder), std::string(), MailMessage{}));
  }
  if (kind == kJournalItem) {
    JournalEntry entry;
    entry.uid = NewIdentity();
    return com::ComPtr<Item>(
        com::MakeObject<JournalItem>(context, std::move(folder), std::string(), std::move(entry)));
  }
  return Status::InvalidArgument("unknown item kind " + std::to_string(kind));
}

com::ComPtr<Item> ItemFromCard(const Context& context, const ItemLocation& location,
                               ContactCard card) {
  if (card.IsGroup()) {
    return com::ComPtr<Item>(
        com::MakeObject<DistListItem>(context, location.folder, location.file, std::move(card)));
  }
  return com::ComPtr<Item>(
      com::MakeObject<ContactItem>(context, location.folder, location.file, std::move(card)));
}

Result<com::ComPtr<Item>> ItemFromFile(const Context& context, const ItemLocation& location,
                                       std::string_view bytes) {
  switch (ItemKindOfFile(location.file)) {
    case ItemFileKind::kContact: {
      OLC_ASSIGN_OR_RETURN(ContactCard card, ContactCard::Parse(bytes));
      return ItemFromCard(context, location, std::move(card));
    }
    case ItemFileKind::kMail: {
      OLC_ASSIGN_OR_RETURN(MailMessage message, ReadMail(bytes));
      return com::ComPtr<Item>(
          com::MakeObject<MailItem>(context, location.folder, location.file, std::move(message)));
    }
    case ItemFileKind::kJournal: {
      OLC_ASSIGN_OR_RETURN(JournalEntry entry, ReadJournal(bytes));
      return com::ComPtr<Item>(
          com::MakeObject<JournalItem>(context, location.folder, location.file, std::move(entry)));
    }
    case ItemFileKind::kNone:
      break;
  }
  return Status::NotFound("not an item file: " + location.file);
}

}  // namespace olconn97::pim
