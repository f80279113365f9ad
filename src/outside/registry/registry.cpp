#include "outside/registry/registry.h"

#include <algorithm>

#include "base/strings.h"

namespace olconn97::registry {

std::string_view HiveName(Hive hive) {
  switch (hive) {
    case Hive::kClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case Hive::kCurrentUser:
      return "HKEY_CURRENT_USER";
    case Hive::kLocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case Hive::kUsers:
      return "HKEY_USERS";
    case Hive::kPerformanceData:
      return "HKEY_PERFORMANCE_DATA";
    case Hive::kCurrentConfig:
      return "HKEY_CURRENT_CONFIG";
    case Hive::kDynData:
      return "HKEY_DYN_DATA";
  }
  return "";
}

RegValue RegValue::Dword(uint32_t number) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return {ValueType::kDword, std::move(bytes)};
}

uint32_t RegValue::AsDword() const {
  if (type != ValueType::kDword || data.size() != 4) return 0;
  uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i]);
  return number;
}

size_t RegValue::DataSize() const {
  if (type == ValueType::kSz || type == ValueType::kExpandSz) return data.size() + 1;
  if (type == ValueType::kMultiSz) return data.size() + 1;
  return data.size();
}

// --- RegKey ---

RegKey::RegKey(const RegKey& other)
    : name_(other.name_),
      values_(other.values_),
      value_index_(other.value_index_),
      subkey_index_(other.subkey_index_) {
  subkeys_.reserve(other.subkeys_.size());
  for (const auto& sub : other.subkeys_) subkeys_.push_back(std::make_unique<RegKey>(*sub));
}

RegKey& RegKey::operator=(const RegKey& other) {
  if (this != &other) *this = RegKey(other);
  return *this;
}

void RegKey::IndexValues() {
  value_index_.clear();
  for (size_t i = 0; i < values_.size(); ++i) value_index_.emplace(ToLowerAscii(values_[i].name), i);
}

void RegKey::IndexSubkeys() {
  subkey_index_.clear();
  for (size_t i = 0; i < subkeys_.size(); ++i) {
    subkey_index_.emplace(ToLowerAscii(subkeys_[i]->name()), i);
  }
}

const RegValue* RegKey::FindValue(std::string_view name) const {
  auto found = value_index_.find(ToLowerAscii(name));
  return found == value_index_.end() ? nullptr : &values_[found->second].value;
}

void RegKey::SetValue(std::string_view name, RegValue value) {
  auto [found, added] = value_index_.emplace(ToLowerAscii(name), values_.size());
  if (!added) {
    values_[found->second].value = std::move(value);
    return;
  }
  values_.push_back({std::string(name), std::move(value)});
}

bool RegKey::DeleteValue(std::string_view name) {
  auto found = value_index_.find(ToLowerAscii(name));
  if (found == value_index_.end()) return false;
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(found->second));
  IndexValues();
  return true;
}

const RegKey* RegKey::FindSubkey(std::string_view name) const {
  auto found = subkey_index_.find(ToLowerAscii(name));
  return found == subkey_index_.end() ? nullptr : subkeys_[found->second].get();
}

RegKey* RegKey::FindSubkey(std::string_view name) {
  return const_cast<RegKey*>(static_cast<const RegKey*>(this)->FindSubkey(name));
}

RegKey& RegKey::AddSubkey(std::string_view name) {
  auto [found, added] = subkey_index_.emplace(ToLowerAscii(name), subkeys_.size());
  if (added) subkeys_.push_back(std::make_unique<RegKey>(std::string(name)));
  return *subkeys_[found->second];
}

bool RegKey::DeleteSubkey(std::string_view name) {
  auto found = subkey_index_.find(ToLowerAscii(name));
  if (found == subkey_index_.end()) return false;
  subkeys_.erase(subkeys_.begin() + static_cast<std::ptrdiff_t>(found->second));
  IndexSubkeys();
  return true;
}

// --- RegTree ---

std::vector<std::string_view> SplitKeyPath(std::string_view path) {
  std::vector<std::string_view> parts;
  for (std::string_view part : Split(path, '\\')) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

const RegKey* RegTree::Find(std::string_view path) const {
  const RegKey* key = &root_;
  for (std::string_view part : SplitKeyPath(path)) {
    key = key->FindSubkey(part);
    if (key == nullptr) return nullptr;
  }
  return key;
}

RegKey* RegTree::Find(std::string_view path) {
  return const_cast<RegKey*>(static_cast<const RegTree*>(this)->Find(path));
}

RegKey& RegTree::Create(std::string_view path) {
  RegKey* key = &root_;
  for (std::string_view part : SplitKeyPath(path)) key = &key->AddSubkey(part);
  return *key;
}

Status RegTree::Delete(std::string_view path, bool recursive) {
  std::vector<std::string_view> parts = SplitKeyPath(path);
  if (parts.empty()) return Status::InvalidArgument("the root of a hive cannot be deleted");
  RegKey* parent = &root_;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    parent = parent->FindSubkey(parts[i]);
    if (parent == nullptr) return Status::NotFound("the key does not exist");
  }
  RegKey* key = parent->FindSubkey(parts.back());
  if (key == nullptr) return Status::NotFound("the key does not exist");
  if (!recursive && !key->subkeys().empty()) {
    return Status::Error(Code::kAccessDenied, "the key has subkeys");
  }
  parent->DeleteSubkey(parts.back());
  return Status::Ok();
}

// --- MemoryRegistry ---

Result<std::shared_ptr<const RegTree>> MemoryRegistry::Snapshot(Hive hive) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& tree = hives_[hive];
  if (!tree) tree = std::make_shared<const RegTree>();
  return tree;
}

Status MemoryRegistry::Update(Hive hive, const std::function<Status(RegTree&)>& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (read_only_[hive]) return Status::Error(Code::kAccessDenied, "the hive is read-only");
  auto& current = hives_[hive];
  RegTree copy = current ? *current : RegTree();
  OLC_RETURN_IF_ERROR(change(copy));
  current = std::make_shared<const RegTree>(std::move(copy));
  return Status::Ok();
}

bool MemoryRegistry::CanWrite(Hive hive) {
  std::lock_guard<std::mutex> lock(mutex_);
  return !read_only_[hive];
}

void MemoryRegistry::SetReadOnly(Hive hive, bool read_only) {
  std::lock_guard<std::mutex> lock(mutex_);
  read_only_[hive] = read_only;
}

// --- helpers ---

bool KeyExists(Registry& registry, Hive hive, std::string_view path) {
  auto tree = registry.Snapshot(hive);
  return tree.ok() && tree.value()->Find(path) != nullptr;
}

Result<RegValue> QueryValue(Registry& registry, Hive hive, std::string_view path,
                            std::string_view name) {
  OLC_ASSIGN_OR_RETURN(std::shared_ptr<const RegTree> tree, registry.Snapshot(hive));
  const RegKey* key = tree->Find(path);
  if (key == nullptr) return Status::NotFound("the key does not exist");
  const RegValue* value = key->FindValue(name);
  if (value == nullptr) return Status::NotFound("the value does not exist");
  return *value;
}

Status SetValue(Registry& registry, Hive hive, std::string_view path, std::string_view name,
                RegValue value) {
  return registry.Update(hive, [&](RegTree& tree) {
    tree.Create(path).SetValue(name, value);
    return Status::Ok();
  });
}

Status CreateKey(Registry& registry, Hive hive, std::string_view path) {
  return registry.Update(hive, [&](RegTree& tree) {
    tree.Create(path);
    return Status::Ok();
  });
}

Status DeleteValue(Registry& registry, Hive hive, std::string_view path, std::string_view name) {
  return registry.Update(hive, [&](RegTree& tree) {
    RegKey* key = tree.Find(path);
    if (key == nullptr) return Status::NotFound("the key does not exist");
    if (!key->DeleteValue(name)) return Status::NotFound("the value does not exist");
    return Status::Ok();
  });
}

Status DeleteKey(Registry& registry, Hive hive, std::string_view path, bool recursive) {
  return registry.Update(hive, [&](RegTree& tree) { return tree.Delete(path, recursive); });
}

}  // namespace olconn97::registry
