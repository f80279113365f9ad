#include "cache/contact_record.h"

#include <algorithm>
#include <limits>

#include "cache/cache_schema.h"
#include "cache/cache_search.h"
#include "contact/contact.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "outside/com/automation_object.h"
#include "outside/pim/item_classes.h"
#include "outside/ui/desktop.h"

namespace olconn97 {

namespace {

constexpr char kNoName[] = "&&&";

void YieldToTheLoop() { Shared().services.desktop().loop().YieldOnce(); }

std::string ItemName(pim::Item& item, std::string_view property) {
  pim::ContactItem* contact = item.AsContact();
  return contact != nullptr ? contact->Text(property) : std::string();
}

}  // namespace

cContactRecord::cContactRecord(std::shared_ptr<NumberMatching> matching)
    : matching_(std::move(matching)) {
  Shared().gContactRecords.push_back(this);
}

cContactRecord::~cContactRecord() {
  std::vector<cContactRecord*>& opened = Shared().gContactRecords;
  opened.erase(std::remove(opened.begin(), opened.end(), this), opened.end());
}

void cContactRecord::CloseResultSet() {
  if (ResultSet_) (void)ResultSet_->Close();
  ResultSet_.reset();
}

Result<int16_t> cContactRecord::ContactRecord_RecordCount() {
  if (!ResultSet_) return int16_t{0};
  OLC_ASSIGN_OR_RETURN(int64_t count, ResultSet_->RecordCount());
  // The host's count is 16-bit: a larger one reads as the largest it holds.
  return static_cast<int16_t>(std::min<int64_t>(count, std::numeric_limits<int16_t>::max()));
}

com::ComPtr<Contact> cContactRecord::ContactRecord_FindFirst(int32_t field,
                                                             std::string_view filter) {
  diag::Log("Searching for " + std::string(filter) +
            (field == kSearchByName ? " in name field..." : " in phone field..."));
  BOF_ = true;
  EOF_ = false;
  Filter_ = filter;
  Field_ = field;
  diag::Log("Starts the search...");
  YieldToTheLoop();
  com::ComPtr<Contact> contact = Search();
  CurrentContact_ = contact;
  YieldToTheLoop();
  return contact;
}

com::ComPtr<Contact> cContactRecord::Search() {
  bool opened = OpenResultSet();
  LogFound();
  if (opened) TakeFlags();
  NoMatch_ = EOF_ && BOF_;
  com::ComPtr<pim::Item> item;
  if (!NoMatch_) {
    diag::Log("Trying to find it in Outlook...");
    if (opened) item = ItemOfRow();
  }
  if (opened && !NoMatch_ && !item) {
    // A stale first row goes, and the search answers with the first live
    // match after it, as a move would.
    Result<Landing> next = [&]() -> Result<Landing> {
      OLC_RETURN_IF_ERROR(ResultSet_->Delete());
      OLC_RETURN_IF_ERROR(Move(Direction::kForward));
      if (EOF_) return Landing{};
      return LandFrom({}, Direction::kForward);
    }();
    if (!next.ok()) diag::LogFailure("Error (FindFirst): ", next.status());
    if (next.ok()) item = next.value().item;
    NoMatch_ = !item;  // every match was stale
  }
  if (!item) {
    diag::Log("Returning Unknown");
    return Placeholder();
  }
  std::string name = ItemName(*item, "LastNameAndFirstName");
  if (name.empty()) name = ItemName(*item, "FullName");
  if (!name.empty()) diag::Log(name + " found in Outlook...");
  CorrectName(*item);
  com::ComPtr<Contact> contact = ContactOfItem(item.get());
  diag::Log("Returning: '" + ContactOf(contact.get())->FullName() + "'.");
  return contact;
}

bool cContactRecord::OpenResultSet() {
  CloseResultSet();
  SharedState& shared = Shared();
  if (!shared.gCacheDatabase) return false;
  Result<CacheQuery> query =
      CacheSearchQuery(Field_, EscapeLikePattern(Filter_), SameNumbers(*shared.gCacheDatabase));
  if (!query.ok()) return false;
  Result<std::unique_ptr<jet::Recordset>> result = shared.gCacheDatabase->OpenRecordset(
      query.value().sql, jet::RecordsetType::kDynaset, query.value().params);
  if (!result.ok()) return false;
  ResultSet_ = std::move(result).value();
  return true;
}

std::vector<StoredNumber> cContactRecord::SameNumbers(jet::Database& cache) {
  if (!matching_ || Field_ != kSearchByPhone || !NumberMatching::Widens(Filter_)) return {};
  Result<std::vector<StoredNumber>> same = matching_->SameNumbers(cache, Filter_);
  if (!same.ok()) {
    // The digits still answer.
    diag::LogFailure("Error (FindFirst): ", same.status());
    return {};
  }
  if (!same.value().empty()) {
    diag::Log("Same number in region " + matching_->region() + ": " +
              std::to_string(same.value().size()) + " more stored number(s).");
  }
  return std::move(same).value();
}

void cContactRecord::LogFound() {
  if (!Shared().gLogEnabled) return;  // the lines read the row: not for nothing
  Result<jet::Value> name = ResultSet_ ? ResultSet_->GetField("Name") : Status::NotFound("");
  Result<jet::Value> id = ResultSet_ ? ResultSet_->GetField("EntryID") : Status::NotFound("");
  Result<int64_t> count = ResultSet_ ? ResultSet_->RecordCount() : Status::NotFound("");
  if (name.ok() && id.ok()) {
    diag::Log("Found: " + name.value().ToText() + " with " + id.value().ToText());
  }
  diag::Log("Found: ");
  if (name.ok() && count.ok()) {
    diag::Log("Found: " + name.value().ToText() + " with " + std::to_string(count.value()) +
              " count");
  }
}

com::ComPtr<Contact> cContactRecord::ContactRecord_FindNext() {
  return Find(Direction::kForward, "Error (FindNext): ");
}

com::ComPtr<Contact> cContactRecord::ContactRecord_FindPrevious() {
  return Find(Direction::kBackward, "Error (FindPrevious): ");
}

com::ComPtr<Contact> cContactRecord::Find(Direction direction, std::string_view failure_line) {
  if (!ResultSet_) return nullptr;
  Result<com::ComPtr<Contact>> found = [&]() -> Result<com::ComPtr<Contact>> {
    OLC_ASSIGN_OR_RETURN(std::string previous, RowEntryId());
    OLC_RETURN_IF_ERROR(Move(direction));
    if (AtEnd(direction)) return com::ComPtr<Contact>();  // the current contact stays
    OLC_ASSIGN_OR_RETURN(Landing landing, LandFrom(previous, direction));
    return TakeLanding(landing);
  }();
  if (!found.ok()) {
    diag::LogFailure(failure_line, found.status());
    return nullptr;
  }
  return found.value();
}

Result<cContactRecord::Landing> cContactRecord::LandFrom(const std::string& previous,
                                                         Direction direction) {
  while (true) {
    // The other rows of the contact just left, one per number.
    while (true) {
      OLC_ASSIGN_OR_RETURN(std::string id, RowEntryId());
      if (previous.empty() || id != previous) break;
      OLC_RETURN_IF_ERROR(Move(direction));
      if (AtEnd(direction)) return Landing{nullptr, true};
    }
    if (com::ComPtr<pim::Item> item = ItemOfRow()) return Landing{item, false};
    OLC_RETURN_IF_ERROR(ResultSet_->Delete());  // its contact left the store
    OLC_RETURN_IF_ERROR(Move(direction));
    if (AtEnd(direction)) return Landing{};
  }
}

com::ComPtr<Contact> cContactRecord::TakeLanding(const Landing& landing) {
  if (landing.item) {
    CurrentContact_ = ContactOfItem(landing.item.get());
  } else if (landing.ended_on_left_contact) {
    CurrentContact_ = nullptr;
  } else {
    return nullptr;  // the current contact stays
  }
  return CurrentContact_;
}

Status cContactRecord::ContactRecord_MoveFirst() {
  if (!ResultSet_) return Status::Ok();
  OLC_RETURN_IF_ERROR(ResultSet_->MoveFirst());
  TakeFlags();
  CurrentContact_ = nullptr;
  return Status::Ok();
}

Status cContactRecord::ContactRecord_MoveLast() {
  if (!ResultSet_) return Status::Ok();
  Status done = [&]() -> Status {
    OLC_RETURN_IF_ERROR(ResultSet_->MoveLast());
    TakeFlags();
    CurrentContact_ = nullptr;
    if (com::ComPtr<pim::Item> item = ItemOfRow()) {
      CurrentContact_ = ContactOfItem(item.get());
      return Status::Ok();
    }
    OLC_ASSIGN_OR_RETURN(std::string previous, RowEntryId());
    OLC_RETURN_IF_ERROR(ResultSet_->Delete());
    OLC_RETURN_IF_ERROR(Move(Direction::kBackward));
    if (BOF_) return Status::Ok();
    OLC_ASSIGN_OR_RETURN(Landing landing, LandFrom(previous, Direction::kBackward));
    (void)TakeLanding(landing);
    return Status::Ok();
  }();
  if (!done.ok()) diag::LogFailure("Error (MoveLast): ", done);
  return Status::Ok();
}

Result<com::ComPtr<Contact>> cContactRecord::ContactRecord_Contact() {
  if (!CurrentContact_) return ContactRecord_FindFirst(Field_, Filter_);
  return CurrentContact_;
}

Result<std::string> cContactRecord::RowEntryId() {
  OLC_ASSIGN_OR_RETURN(jet::Value id, ResultSet_->GetField("EntryID"));
  return id.ToText();
}

com::ComPtr<pim::Item> cContactRecord::ItemOfRow() {
  SharedState& shared = Shared();
  Result<std::string> id = RowEntryId();
  if (!id.ok() || !shared.gNameSpace) return nullptr;
  com::ComPtr<pim::Item> item = shared.gNameSpace->GetItemFromID(id.value()).value_or(nullptr);
  // A deleted card is still found in Deleted Items by its old ID; for the
  // cache its row is stale all the same.
  if (item && item->in_deleted_items()) return nullptr;
  return item;
}

Status cContactRecord::Move(Direction direction) {
  Status moved =
      direction == Direction::kForward ? ResultSet_->MoveNext() : ResultSet_->MovePrevious();
  TakeFlags();
  return moved;
}

void cContactRecord::TakeFlags() {
  EOF_ = ResultSet_->Eof();
  BOF_ = ResultSet_->Bof();
}

void cContactRecord::CorrectName(pim::Item& item) {
  Result<jet::Value> stored = ResultSet_->GetField("Name");
  if (!stored.ok() || stored.value().ToText() != kNoName) return;
  diag::Log("ContactName = '&&&' Updating record...");
  if (!ResultSet_->Edit().ok()) return;
  std::string name = ItemName(item, "LastNameAndFirstName");
  if (name.empty()) name = ItemName(item, "FullName");
  if (name.empty()) {
    diag::Log("no update: Name = ' ' !!!");
    (void)ResultSet_->CancelUpdate();
    return;
  }
  // The folded name goes with it, as in every row the driver writes.
  (void)ResultSet_->SetField("NameFolded", FoldedName(name));
  (void)ResultSet_->SetField("Name", name);
  (void)ResultSet_->Update();
}

com::ComPtr<Contact> cContactRecord::Placeholder() const {
  com::ComPtr<Contact> contact = NewContact();
  ContactOf(contact.get())->SetOneValue(Field_, Filter_);
  return contact;
}

com::ComPtr<Contact> cContactRecord::ContactOfItem(pim::Item* item) {
  com::ComPtr<Contact> contact = NewContact();
  ContactOf(contact.get())->SetValues(item);
  return contact;
}

com::ComPtr<ContactRecord> NewContactRecord(std::shared_ptr<NumberMatching> matching) {
  return com::MakeAutomationObject<ContactRecord, cContactRecord>(std::move(matching));
}

}  // namespace olconn97
