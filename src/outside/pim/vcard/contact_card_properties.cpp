// ContactCard's properties by Outlook name, and its user properties.
#include <array>
#include <charconv>

#include "base/strings.h"
#include "outside/pim/vcard/contact_card_access.h"
#include "outside/pim/vcard/vcard_params.h"

namespace olconn97::pim {
namespace {

using Access = ContactCardAccess;

constexpr std::array<std::string_view, kEmailSlots> kEmailProperties = {
    "Email1Address", "Email2Address", "Email3Address"};
constexpr std::string_view kGroupNameProperty = "DLName";
constexpr std::string_view kUserPrefix = "X-OLCONN-";

enum class Target { kNone, kField, kPhone, kEmail, kGroupName };

struct Resolved {
  Target target = Target::kNone;
  ContactField field = ContactField::kFirstName;
  PhoneKind kind = PhoneKind::kAssistant;
  int email_slot = 0;
};

Resolved Resolve(std::string_view name) {
  Resolved resolved;
  if (FindContactField(name, &resolved.field)) {
    resolved.target = Target::kField;
    return resolved;
  }
  for (PhoneKind kind : kAllPhoneKinds) {
    if (EqualsIgnoreCase(name, PhonePropertyName(kind))) {
      resolved.target = Target::kPhone;
      resolved.kind = kind;
      return resolved;
    }
  }
  for (size_t i = 0; i < kEmailProperties.size(); ++i) {
    if (EqualsIgnoreCase(name, kEmailProperties[i])) {
      resolved.target = Target::kEmail;
      resolved.email_slot = static_cast<int>(i) + 1;
      return resolved;
    }
  }
  if (EqualsIgnoreCase(name, kGroupNameProperty)) resolved.target = Target::kGroupName;
  return resolved;
}

}  // namespace

std::vector<std::string> ContactCardPropertyNames() {
  std::vector<std::string> names;
  for (int i = 0; i <= static_cast<int>(ContactField::kBillingInformation); ++i) {
    names.emplace_back(ContactFieldName(static_cast<ContactField>(i)));
  }
  names.insert(names.end(), kEmailProperties.begin(), kEmailProperties.end());
  for (PhoneKind kind : kAllPhoneKinds) names.emplace_back(PhonePropertyName(kind));
  return names;
}

namespace {

Status UnknownProperty(std::string_view name) {
  return Status::NotFound("The contact item has no property " + std::string(name));
}

Status RequireGroup(const ContactCard& card) {
  if (card.IsGroup()) return Status::Ok();
  return Status::InvalidArgument("The item is a contact; it has no property DLName");
}

// The user property a line holds, by its name after the prefix.
std::string_view UserPropertyName(const ContentLine& line) {
  std::string_view name = line.name();
  if (name.size() <= kUserPrefix.size()) return {};
  if (!EqualsIgnoreCase(name.substr(0, kUserPrefix.size()), kUserPrefix)) return {};
  return name.substr(kUserPrefix.size());
}

int UserPropertyType(const ContentLine& line) {
  VCardParam type;
  int value = kUserPropertyText;
  if (!FindParam(line.params(), "TYPE", &type)) return value;
  std::string_view text = Unquote(type.value);
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

Status CheckUserPropertyName(std::string_view name) {
  bool ok = !name.empty();
  for (char c : name) {
    ok = ok &&
         ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-');
  }
  if (ok) return Status::Ok();
  return Status::InvalidArgument("A user property name is letters, digits and '-': \"" +
                                 std::string(name) + "\" cannot be stored");
}

// The lines of the card's own top-level user properties with this name
// (any name when `name` is empty), in file order.
std::vector<size_t> UserPropertyLines(const ContactCard& card, std::string_view name) {
  std::vector<size_t> found;
  const VCardDocument& document = Access::Document(card);
  for (size_t i = document.card_begin() + 1; i < document.card_end(); ++i) {
    const ContentLine& line = document.lines()[i];
    std::string_view own = line.depth == 0 && line.has_value() ? UserPropertyName(line) : "";
    if (!own.empty() && (name.empty() || EqualsIgnoreCase(own, name))) found.push_back(i);
  }
  return found;
}

}  // namespace

Result<std::string> ContactCard::GetProperty(std::string_view name) const {
  Resolved resolved = Resolve(name);
  switch (resolved.target) {
    case Target::kField:
      return Field(resolved.field);
    case Target::kPhone:
      return Phone(resolved.kind);
    case Target::kEmail:
      return Email(resolved.email_slot);
    case Target::kGroupName:
      OLC_RETURN_IF_ERROR(RequireGroup(*this));
      return ContactCardAccess::Text(*this, index_.fn);
    case Target::kNone:
      break;
  }
  return UnknownProperty(name);
}

Status ContactCard::SetProperty(std::string_view name, std::string_view value) {
  Resolved resolved = Resolve(name);
  switch (resolved.target) {
    case Target::kField:
      return SetField(resolved.field, value);
    case Target::kPhone:
      return SetPhone(resolved.kind, value);
    case Target::kEmail:
      return SetEmail(resolved.email_slot, value);
    case Target::kGroupName:
      OLC_RETURN_IF_ERROR(RequireGroup(*this));
      if (ContactCardAccess::Text(*this, index_.fn) != value) {
        Access::Put(*this, index_.fn, "FN", Access::Escape(*this, value));
      }
      return Status::Ok();
    case Target::kNone:
      break;
  }
  return UnknownProperty(name);
}

Result<std::vector<UserProperty>> ContactCard::UserProperties() const {
  OLC_RETURN_IF_ERROR(RequireContact("UserProperties"));
  std::vector<UserProperty> properties;
  for (size_t i : UserPropertyLines(*this, {})) {
    const ContentLine& line = document_.lines()[i];
    properties.push_back({std::string(UserPropertyName(line)), UserPropertyType(line),
                          ContactCardAccess::Text(*this, i)});
  }
  return properties;
}

Result<UserProperty> ContactCard::FindUserProperty(std::string_view name) const {
  OLC_RETURN_IF_ERROR(RequireContact("UserProperties"));
  std::vector<size_t> lines = UserPropertyLines(*this, name);
  if (name.empty() || lines.empty()) {
    return Status::NotFound("The contact item has no user property " + std::string(name));
  }
  const ContentLine& line = document_.lines()[lines.front()];
  return UserProperty{std::string(UserPropertyName(line)), UserPropertyType(line),
                      ContactCardAccess::Text(*this, lines.front())};
}

Status ContactCard::SetUserProperty(std::string_view name, int type, std::string_view value) {
  OLC_RETURN_IF_ERROR(RequireContact("UserProperties"));
  OLC_RETURN_IF_ERROR(CheckUserPropertyName(name));
  std::vector<size_t> lines = UserPropertyLines(*this, name);
  std::string type_param = ";TYPE=" + std::to_string(type);
  std::string escaped = Access::Escape(*this, value);
  if (lines.empty()) {
    Access::Insert(*this, std::string(kUserPrefix) + std::string(name) + type_param, escaped);
    return Status::Ok();
  }
  const ContentLine& line = document_.lines()[lines.front()];
  if (UserPropertyType(line) == type && ContactCardAccess::Text(*this, lines.front()) == value) {
    return Status::Ok();
  }
  Access::Rewrite(*this, lines.front(), escaped, {"TYPE"}, type_param);
  return Status::Ok();
}

Status ContactCard::RemoveUserProperty(std::string_view name) {
  OLC_RETURN_IF_ERROR(RequireContact("UserProperties"));
  std::vector<size_t> lines = UserPropertyLines(*this, name);
  if (name.empty() || lines.empty()) {
    return Status::NotFound("The contact item has no user property " + std::string(name));
  }
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) Access::Remove(*this, *it);
  return Status::Ok();
}

}  // namespace olconn97::pim
