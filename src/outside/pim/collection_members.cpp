// User properties and recipients, and their members by name.
#include "base/strings.h"
#include "outside/com/variant.h"
#include "outside/pim/item_classes.h"

namespace olconn97::pim {

namespace {

using com::Arguments;
using com::Variant;

Status BadIndex() {
  return Status::InvalidArgument("Array index out of bounds").WithNumber(DISP_E_BADINDEX);
}

}  // namespace

Result<int> UserPropertyItem::Type() const {
  OLC_ASSIGN_OR_RETURN(UserProperty property, contact_->card().FindUserProperty(name_));
  return property.type;
}

Result<Variant> UserPropertyItem::Value() const {
  OLC_ASSIGN_OR_RETURN(UserProperty property, contact_->card().FindUserProperty(name_));
  if (property.type != kUserPropertyNumber) return Variant::String(property.value);
  if (property.value.empty()) return Variant::R8(0);
  Result<double> number = Variant::String(property.value).ToDouble();
  if (!number.ok()) return Variant::String(property.value);  // keep what the card holds
  return Variant::R8(number.value());
}

Status UserPropertyItem::SetValue(const Variant& value) {
  OLC_ASSIGN_OR_RETURN(UserProperty property, contact_->card().FindUserProperty(name_));
  std::string text;
  if (property.type == kUserPropertyNumber) {
    OLC_ASSIGN_OR_RETURN(double number, value.ToDouble());
    text = com::FormatNumber(number);
  } else {
    OLC_ASSIGN_OR_RETURN(text, value.ToString());
  }
  return contact_->card().SetUserProperty(property.name, property.type, text);
}

Result<com::ComPtr<IDispatch>> UserProperties::Add(std::string_view name, int type) {
  if (type != kUserPropertyText && type != kUserPropertyNumber) {
    return Status::InvalidArgument("user properties hold text (1) or numbers (3)");
  }
  Result<UserProperty> existing = contact_->card().FindUserProperty(name);
  if (!existing.ok()) {
    OLC_RETURN_IF_ERROR(
        contact_->card().SetUserProperty(name, type, type == kUserPropertyNumber ? "0" : ""));
  }
  return com::ComPtr<IDispatch>(com::MakeObject<UserPropertyItem>(contact_, std::string(name)));
}

com::ComPtr<IDispatch> UserProperties::Find(std::string_view name) {
  Result<UserProperty> existing = contact_->card().FindUserProperty(name);
  if (!existing.ok()) return nullptr;
  return com::ComPtr<IDispatch>(com::MakeObject<UserPropertyItem>(contact_, existing.value().name));
}

Result<com::ComPtr<IDispatch>> UserProperties::Item(const Variant& name_or_index) {
  if (name_or_index.vt() == VT_BSTR) {
    OLC_ASSIGN_OR_RETURN(std::string name, name_or_index.ToString());
    com::ComPtr<IDispatch> found = Find(name);
    if (!found) return Status::NotFound("the contact has no user property " + name);
    return found;
  }
  OLC_ASSIGN_OR_RETURN(int32_t index, name_or_index.ToInt32());
  OLC_ASSIGN_OR_RETURN(std::vector<UserProperty> all, contact_->card().UserProperties());
  if (index < 1 || index > static_cast<int32_t>(all.size())) return BadIndex();
  return com::ComPtr<IDispatch>(
      com::MakeObject<UserPropertyItem>(contact_, all[static_cast<size_t>(index - 1)].name));
}

const com::MemberList<UserPropertyItem>& UserPropertyItem::Members() {
  using Self = UserPropertyItem;
  static const com::MemberList<Self> members({
      {"Value", [](Self& self, Arguments) -> Result<Variant> { return self.Value(); },
       [](Self& self, Arguments, const Variant& value) { return self.SetValue(value); },
       DISPID_VALUE},
      {"Name",
       [](Self& self, Arguments) -> Result<Variant> { return Variant::String(self.Name()); }},
      {"Type",
       [](Self& self, Arguments) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(int type, self.Type());
         return Variant::I4(type);
       }},
  });
  return members;
}

const com::MemberList<UserProperties>& UserProperties::Members() {
  using Self = UserProperties;
  static const com::MemberList<Self> members({
      {"Item",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(Variant key, com::Argument(args, 0));
         OLC_ASSIGN_OR_RETURN(com::ComPtr<IDispatch> property, self.Item(key));
         return com::ObjectValue(property);
       },
       nullptr, DISPID_VALUE},
      {"Count", [](Self& self, Arguments) -> Result<Variant> { return Variant::I4(self.Count()); }},
      {"Add",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(Variant name, com::Argument(args, 0));
         OLC_ASSIGN_OR_RETURN(std::string text, name.ToString());
         int32_t type = kUserPropertyText;
         if (args.size() > 1 && !args[1].IsMissing()) {
           OLC_ASSIGN_OR_RETURN(type, args[1].ToInt32());
         }
         OLC_ASSIGN_OR_RETURN(com::ComPtr<IDispatch> property, self.Add(text, type));
         return com::ObjectValue(property);
       }},
      {"Find",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(Variant name, com::Argument(args, 0));
         OLC_ASSIGN_OR_RETURN(std::string text, name.ToString());
         return com::ObjectValue(self.Find(text));
       }},
  });
  return members;
}

const com::MemberList<Recipients>& Recipients::Members() {
  using Self = Recipients;
  static const com::MemberList<Self> members({
      {"Item",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(Variant index, com::Argument(args, 0));
         OLC_ASSIGN_OR_RETURN(int32_t position, index.ToInt32());
         return com::Text(self.Item(position));
       },
       nullptr, DISPID_VALUE},
      {"Count", [](Self& self, Arguments) -> Result<Variant> { return Variant::I4(self.Count()); }},
      {"Add",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(Variant name, com::Argument(args, 0));
         OLC_ASSIGN_OR_RETURN(std::string text, name.ToString());
         self.Add(text);
         return Variant::String(text);
       }},
  });
  return members;
}

}  // namespace olconn97::pim
