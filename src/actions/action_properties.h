// The settings of an action, as the host shows and changes them:
// cActionProperty is one named, typed setting, cActionProperties the
// collection an action owns.
//
// A setting is a text (type 8), a yes/no value (11) or a choice among a
// fixed list (8200, an array of strings): the host sets a text or yes/no
// value through Value and picks a choice through ValueIndex, which copies
// the chosen entry into Value. The collection finds a setting by its key
// (letter case ignored) or by its 1-based position.
//
// Host thread only.
#ifndef OLCONN97_ACTIONS_ACTION_PROPERTIES_H_
#define OLCONN97_ACTIONS_ACTION_PROPERTIES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "olconn97/hostlib.h"
#include "outside/com/com_ptr.h"
#include "outside/com/variant.h"

namespace olconn97 {

// Property types: automation type codes.
inline constexpr int16_t kPropertyText = VT_BSTR;                 // 8
inline constexpr int16_t kPropertyBoolean = VT_BOOL;              // 11
inline constexpr int16_t kPropertyChoice = VT_ARRAY | VT_BSTR;    // 8200

class cActionProperty {
 public:
  cActionProperty() = default;
  cActionProperty(const cActionProperty&) = delete;
  cActionProperty& operator=(const cActionProperty&) = delete;

  // --- ActionProperty, in slot order ---
  void Key(std::string_view key) { key_ = key; }
  std::string Key() const { return key_; }
  std::string PropertyName() const { return name_; }
  // A copy of the choice array; empty for the other kinds.
  com::Variant Values() const { return values_; }
  // Picks entry `index` of the choice list; ignored for other kinds and
  // for an index outside the list. A list that is no array is logged.
  void ValueIndex(int16_t index);
  int16_t ValueIndex() const { return value_index_; }
  com::Variant Value() const { return value_; }
  // Ignored while the value is itself an array of strings.
  void Value(const VARIANT& value);
  int16_t PropertyType() const { return type_; }
  com::Variant ExecuteCommand(std::string_view, const VARIANT&) { return {}; }

  // --- for the actions ---
  void SetPropertyName(std::string_view name) { name_ = name; }
  void SetValueList(const VARIANT& values) { values_ = com::Variant::CopyOfValue(values); }
  void SetPropertyType(int16_t type) { type_ = type; }

 private:
  std::string key_;
  std::string name_;
  com::Variant value_;
  com::Variant values_;
  int16_t value_index_ = 0;
  int16_t type_ = 0;
};

class cActionProperties {
 public:
  cActionProperties() = default;
  cActionProperties(const cActionProperties&) = delete;
  cActionProperties& operator=(const cActionProperties&) = delete;

  // --- ActionProperties, in slot order ---
  // By key (letter case ignored) or by 1-based position; anything else
  // fails with DISP_E_BADINDEX.
  Result<com::ComPtr<ActionProperty>> Item(const VARIANT& key_or_position) const;
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  com::ComPtr<IUnknown> NewEnum() const;
  com::Variant ExecuteCommand(std::string_view, const VARIANT&) { return {}; }

  // --- for the actions ---
  // A new setting, added under `key` unless the key is empty or taken;
  // returned either way.
  com::ComPtr<ActionProperty> AddProperty(std::string_view key, std::string_view name,
                                          const com::Variant& value, int16_t type);
  // The setting under `key`, or null.
  cActionProperty* Find(std::string_view key) const;

 private:
  struct Entry {
    std::string key;  // empty: added without key
    com::ComPtr<ActionProperty> property;
  };
  std::vector<Entry> entries_;
};

// The implementation behind an ActionProperty of ours, or null.
cActionProperty* PropertyOf(IUnknown* property);

// A new, empty settings collection for an action.
com::ComPtr<ActionProperties> NewActionProperties();
cActionProperties* PropertiesOf(IUnknown* properties);

// A one-dimensional array of VARIANT strings, lower bound 0: a choice list.
com::Variant ChoiceList(const std::vector<std::string>& choices);

}  // namespace olconn97

#endif  // OLCONN97_ACTIONS_ACTION_PROPERTIES_H_
