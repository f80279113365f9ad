// Names, organisation, categories and billing information of a ContactCard,
// and access to all properties by Outlook name.
#include <array>

#include "base/strings.h"
#include "outside/pim/vcard/contact_card_access.h"
#include "outside/pim/vcard/vcard_strings.h"

namespace olconn97::pim {
namespace {

using Access = ContactCardAccess;

constexpr std::string_view kBillingProperty = "X-OLCONN97-BILLING-INFORMATION";

// N components, and the order in which they make a display name.
constexpr size_t kFamily = 0, kGiven = 1, kAdditional = 2, kPrefix = 3, kSuffix = 4;
constexpr size_t kNameComponents = 5;
constexpr std::array<size_t, kNameComponents> kDisplayOrder = {kPrefix, kGiven, kAdditional,
                                                               kFamily, kSuffix};
constexpr size_t kCompanyUnit = 0, kDepartmentUnit = 1;

void AppendWord(std::string& text, std::string_view word) {
  word = TrimWhite(word);
  if (word.empty()) return;
  if (!text.empty()) text.push_back(' ');
  text.append(word);
}

std::string Join(const std::vector<std::string>& items, std::string_view separator) {
  std::string joined;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) joined.append(separator);
    joined.append(items[i]);
  }
  return joined;
}

std::string JoinEscaped(const ContactCard& card, const std::vector<std::string>& items,
                        std::string_view separator) {
  std::vector<std::string> escaped;
  for (const std::string& item : items) escaped.push_back(Access::Escape(card, item));
  return Join(escaped, separator);
}

// "Prefix Given Additional Family Suffix", empty parts left out; list
// separators inside a component read as blanks.
std::string DisplayName(const std::vector<std::string>& n) {
  std::string name;
  for (size_t i : kDisplayOrder) {
    for (std::string_view part : Split(n[i], ',')) AppendWord(name, part);
  }
  return name;
}

// Outlook's reading of a typed full name: "Last, First"; else the last word
// is the last name and the words before it the first name; a single word is
// a first name.
std::vector<std::string> NameFromFullName(std::string_view full_name) {
  std::vector<std::string> n(kNameComponents);
  full_name = TrimWhite(full_name);
  size_t comma = full_name.find(',');
  if (comma != std::string_view::npos) {
    n[kFamily] = TrimWhite(full_name.substr(0, comma));
    n[kGiven] = TrimWhite(full_name.substr(comma + 1));
    return n;
  }
  std::vector<std::string_view> words;
  for (std::string_view word : Split(full_name, ' ')) {
    if (!TrimWhite(word).empty()) words.push_back(TrimWhite(word));
  }
  if (words.size() > 1) {
    n[kFamily] = words.back();
    words.pop_back();
  }
  for (std::string_view word : words) AppendWord(n[kGiven], word);
  return n;
}

// Names read without the blanks some phones put around them.
std::vector<std::string> NameOf(const ContactCard& card) {
  std::vector<std::string> n = Access::Components(card, Access::Indexed(card).n, ';');
  if (n.size() < kNameComponents) n.resize(kNameComponents);
  for (std::string& part : n) part = TrimWhite(part);
  return n;
}

std::string OrgUnit(const ContactCard& card, size_t unit) {
  std::vector<std::string> org = Access::Components(card, Access::Indexed(card).org, ';');
  return unit < org.size() ? org[unit] : std::string();
}

std::string GetFirstName(const ContactCard& card) { return NameOf(card)[kGiven]; }
std::string GetLastName(const ContactCard& card) { return NameOf(card)[kFamily]; }

std::string GetFullName(const ContactCard& card) {
  std::string fn(TrimWhite(Access::Text(card, Access::Indexed(card).fn)));
  return fn.empty() ? DisplayName(NameOf(card)) : fn;
}

std::string GetLastNameAndFirstName(const ContactCard& card) {
  std::vector<std::string> n = NameOf(card);
  if (n[kFamily].empty() || n[kGiven].empty()) return n[kFamily] + n[kGiven];
  return n[kFamily] + ", " + n[kGiven];
}

std::string GetCompanyName(const ContactCard& card) { return OrgUnit(card, kCompanyUnit); }
std::string GetDepartment(const ContactCard& card) { return OrgUnit(card, kDepartmentUnit); }

std::vector<std::string> CategoryItems(const ContactCard& card) {
  std::vector<std::string> items;
  for (size_t line : Access::Indexed(card).categories) {
    for (const std::string& item : Access::Components(card, line, ',')) {
      if (!TrimWhite(item).empty()) items.emplace_back(TrimWhite(item));
    }
  }
  return items;
}

std::string GetCategories(const ContactCard& card) { return Join(CategoryItems(card), ", "); }

std::string GetBillingInformation(const ContactCard& card) {
  return Access::Text(card, Access::Indexed(card).billing);
}

// The full name after a first or last name changed: "First Last", with
// the prefix, middle name and suffix where the old full name showed them.
std::string RebuiltFullName(const std::vector<std::string>& n, std::string_view old_full_name) {
  std::string name;
  for (size_t i : kDisplayOrder) {
    std::string part;
    for (std::string_view word : Split(n[i], ',')) AppendWord(part, word);
    bool shown = i == kGiven || i == kFamily ||
                 (!part.empty() && old_full_name.find(part) != std::string_view::npos);
    if (shown) AppendWord(name, part);
  }
  return name;
}

Status SetNameComponent(ContactCard& card, size_t component, std::string_view value) {
  std::vector<std::string> n = NameOf(card);
  if (n[component] == value) return Status::Ok();
  std::string old_full_name = GetFullName(card);
  n[component] = value;
  Access::Put(card, Access::Indexed(card).n, "N", JoinEscaped(card, n, ";"));
  std::string full_name = RebuiltFullName(n, old_full_name);
  size_t fn = Access::Indexed(card).fn;
  if (fn == kNoLine || Access::Text(card, fn) != full_name) {
    Access::Put(card, fn, "FN", Access::Escape(card, full_name));
  }
  return Status::Ok();
}

Status SetFirstName(ContactCard& card, std::string_view value) {
  return SetNameComponent(card, kGiven, value);
}
Status SetLastName(ContactCard& card, std::string_view value) {
  return SetNameComponent(card, kFamily, value);
}

Status SetFullName(ContactCard& card, std::string_view value) {
  value = TrimWhite(value);
  if (GetFullName(card) == value) return Status::Ok();
  Access::Put(card, Access::Indexed(card).fn, "FN", Access::Escape(card, value));
  std::vector<std::string> n = NameFromFullName(value);
  if (NameOf(card) != n) Access::Put(card, Access::Indexed(card).n, "N", JoinEscaped(card, n, ";"));
  return Status::Ok();
}

Status SetLastNameAndFirstName(ContactCard&, std::string_view) {
  return Status::Error(Code::kAccessDenied, "LastNameAndFirstName is read only");
}

Status SetOrgUnit(ContactCard& card, size_t unit, std::string_view value) {
  size_t org = Access::Indexed(card).org;
  std::vector<std::string> units = Access::Components(card, org, ';');
  if (OrgUnit(card, unit) == value) return Status::Ok();
  if (units.size() <= unit) units.resize(unit + 1);
  units[unit] = value;
  while (units.size() > 1 && units.back().empty()) units.pop_back();
  if (units.size() == 1 && units[0].empty()) {
    Access::Remove(card, org);
  } else {
    Access::Put(card, org, "ORG", JoinEscaped(card, units, ";"));
  }
  return Status::Ok();
}

Status SetCompanyName(ContactCard& card, std::string_view value) {
  return SetOrgUnit(card, kCompanyUnit, value);
}
Status SetDepartment(ContactCard& card, std::string_view value) {
  return SetOrgUnit(card, kDepartmentUnit, value);
}

// All categories go to the first CATEGORIES line; further lines, whose
// items were read into the same value, are removed.
Status SetCategories(ContactCard& card, std::string_view value) {
  std::vector<std::string> items;
  for (std::string_view item : Split(value, ',')) {
    if (!TrimWhite(item).empty()) items.emplace_back(TrimWhite(item));
  }
  if (items == CategoryItems(card)) return Status::Ok();
  const std::vector<size_t>& lines = Access::Indexed(card).categories;
  while (lines.size() > 1) Access::Remove(card, lines.back());
  if (items.empty()) {
    if (!lines.empty()) Access::Remove(card, lines.front());
    return Status::Ok();
  }
  Access::Put(card, lines.empty() ? kNoLine : lines.front(), "CATEGORIES",
              JoinEscaped(card, items, ","));
  return Status::Ok();
}

Status SetBillingInformation(ContactCard& card, std::string_view value) {
  size_t line = Access::Indexed(card).billing;
  if (GetBillingInformation(card) == value) return Status::Ok();
  if (value.empty()) {
    Access::Remove(card, line);
  } else {
    Access::Put(card, line, kBillingProperty, Access::Escape(card, value));
  }
  return Status::Ok();
}

struct FieldRow {
  ContactField field;
  std::string_view name;
  std::string (*get)(const ContactCard&);
  Status (*set)(ContactCard&, std::string_view);
};

// In the order of ContactField.
constexpr std::array<FieldRow, 8> kFields = {{
    {ContactField::kFirstName, "FirstName", GetFirstName, SetFirstName},
    {ContactField::kLastName, "LastName", GetLastName, SetLastName},
    {ContactField::kFullName, "FullName", GetFullName, SetFullName},
    {ContactField::kLastNameAndFirstName, "LastNameAndFirstName", GetLastNameAndFirstName,
     SetLastNameAndFirstName},
    {ContactField::kCompanyName, "CompanyName", GetCompanyName, SetCompanyName},
    {ContactField::kDepartment, "Department", GetDepartment, SetDepartment},
    {ContactField::kCategories, "Categories", GetCategories, SetCategories},
    {ContactField::kBillingInformation, "BillingInformation", GetBillingInformation,
     SetBillingInformation},
}};

constexpr bool FieldsInEnumOrder() {
  for (size_t i = 0; i < kFields.size(); ++i) {
    if (static_cast<size_t>(kFields[i].field) != i) return false;
  }
  return true;
}
static_assert(FieldsInEnumOrder(), "kFields is indexed by ContactField");

const FieldRow& RowOf(ContactField field) { return kFields[static_cast<size_t>(field)]; }

}  // namespace

Result<std::string> ContactCard::Field(ContactField field) const {
  const FieldRow& row = RowOf(field);
  OLC_RETURN_IF_ERROR(RequireContact(row.name));
  return row.get(*this);
}

Status ContactCard::SetField(ContactField field, std::string_view value) {
  const FieldRow& row = RowOf(field);
  OLC_RETURN_IF_ERROR(RequireContact(row.name));
  return row.set(*this, value);
}

std::string_view ContactFieldName(ContactField field) { return RowOf(field).name; }

bool FindContactField(std::string_view name, ContactField* field) {
  for (const FieldRow& row : kFields) {
    if (EqualsIgnoreCase(name, row.name)) {
      *field = row.field;
      return true;
    }
  }
  return false;
}

}  // namespace olconn97::pim
