#include "actions/action_properties.h"

#include <utility>

#include "base/strings.h"
#include "diag/log.h"
#include "outside/com/automation_object.h"
#include "outside/com/dynamic_dispatch.h"

namespace olconn97 {

namespace {

constexpr char kSource[] = "cActionProperties";

Status NoSuchSetting(std::string_view what) {
  return Status::Failed(std::string(what) + ": no such setting of the action", kSource)
      .WithNumber(DISP_E_BADINDEX);
}

bool IsNumber(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
      return true;
    default:
      return false;
  }
}

}  // namespace

void cActionProperty::ValueIndex(int16_t index) {
  if (type_ != kPropertyChoice) return;
  Result<std::vector<com::Variant>> choices = values_.ArrayElements();
  if (!choices.ok()) {
    diag::LogFailure("Error (ValueIndex - Let): ", choices.status());
    return;
  }
  if (index < 0 || static_cast<size_t>(index) >= choices.value().size()) return;
  value_index_ = index;
  value_ = choices.value()[static_cast<size_t>(index)];
}

void cActionProperty::Value(const VARIANT& value) {
  if (value_.vt() == (VT_ARRAY | VT_BSTR)) return;
  value_ = com::Variant::CopyOfValue(value);
}

Result<com::ComPtr<ActionProperty>> cActionProperties::Item(const VARIANT& key_or_position) const {
  com::Variant wanted = com::Variant::CopyOfValue(key_or_position);
  if (wanted.vt() == VT_BSTR) {
    std::string key = wanted.ToString().value();
    for (const Entry& entry : entries_) {
      if (!entry.key.empty() && EqualsIgnoreCase(entry.key, key)) return entry.property;
    }
    return NoSuchSetting("key \"" + key + "\"");
  }
  if (IsNumber(wanted.vt())) {
    Result<int32_t> position = wanted.ToInt32();
    if (position.ok() && position.value() >= 1 && position.value() <= Count()) {
      return entries_[static_cast<size_t>(position.value() - 1)].property;
    }
    return NoSuchSetting("position " + com::FormatNumber(wanted.ToDouble().value_or(0)));
  }
  return NoSuchSetting("an index that is neither a key nor a position");
}

com::ComPtr<IUnknown> cActionProperties::NewEnum() const {
  std::vector<com::Variant> items;
  items.reserve(entries_.size());
  for (const Entry& entry : entries_) items.push_back(com::Variant::Dispatch(entry.property.get()));
  return com::ComPtr<IUnknown>(com::MakeEnumerator(std::move(items)).get());
}

com::ComPtr<ActionProperty> cActionProperties::AddProperty(std::string_view key,
                                                           std::string_view name,
                                                           const com::Variant& value,
                                                           int16_t type) {
  auto property = com::MakeAutomationObject<ActionProperty, cActionProperty>();
  cActionProperty& setting = *PropertyOf(property.get());
  setting.Key(key);
  setting.SetPropertyName(name);
  setting.Value(value.raw());
  setting.SetPropertyType(type);
  if (key.empty()) {
    entries_.push_back({std::string(), property});
  } else if (Find(key) == nullptr) {
    entries_.push_back({std::string(key), property});
  }  // a key already present: the collection stays as it is
  return property;
}

cActionProperty* cActionProperties::Find(std::string_view key) const {
  for (const Entry& entry : entries_) {
    if (!entry.key.empty() && EqualsIgnoreCase(entry.key, key)) {
      return PropertyOf(entry.property.get());
    }
  }
  return nullptr;
}

cActionProperty* PropertyOf(IUnknown* property) { return com::ImplOf<cActionProperty>(property); }

com::ComPtr<ActionProperties> NewActionProperties() {
  return com::MakeAutomationObject<ActionProperties, cActionProperties>();
}

cActionProperties* PropertiesOf(IUnknown* properties) {
  return com::ImplOf<cActionProperties>(properties);
}

com::Variant ChoiceList(const std::vector<std::string>& choices) {
  std::vector<com::Variant> items;
  items.reserve(choices.size());
  for (const std::string& choice : choices) items.push_back(com::Variant::String(choice));
  return com::Variant::VariantArray(items);
}

}  // namespace olconn97
