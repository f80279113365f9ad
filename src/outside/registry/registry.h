// The settings store that takes the place of the Windows registry.
//
// A hive is a tree of keys; a key has values and subkeys. Key and value names
// compare without regard to (ASCII) case and keep the case they were created
// with. The empty value name is the key's default value.
//
// `Registry` is the one interface the rest of the driver sees. The real
// implementation keeps each hive in a `.reg` text file (file_registry.h);
// tests use `MemoryRegistry`, or a `RegistryWrapper` that overrides one call
// to inject a failure.
#ifndef OLCONN97_OUTSIDE_REGISTRY_REGISTRY_H_
#define OLCONN97_OUTSIDE_REGISTRY_REGISTRY_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/result.h"
#include "base/status.h"

namespace olconn97::registry {

// The predefined hive handles, with their Windows values.
enum class Hive : uint32_t {
  kClassesRoot = 0x80000000u,
  kCurrentUser = 0x80000001u,
  kLocalMachine = 0x80000002u,
  kUsers = 0x80000003u,
  kPerformanceData = 0x80000004u,
  kCurrentConfig = 0x80000005u,
  kDynData = 0x80000006u,
};

// "HKEY_CURRENT_USER", ...
std::string_view HiveName(Hive hive);

enum class ValueType : uint32_t {
  kNone = 0,
  kSz = 1,
  kExpandSz = 2,
  kBinary = 3,
  kDword = 4,
  kMultiSz = 7,
  kQword = 11,
};

struct RegValue {
  ValueType type = ValueType::kSz;
  // kSz, kExpandSz: UTF-8 text without terminating NUL.
  // kDword: 4 bytes, little-endian. kQword: 8 bytes. kMultiSz: the strings,
  // each followed by NUL. Other types: the raw bytes.
  std::string data;

  static RegValue String(std::string text) { return {ValueType::kSz, std::move(text)}; }
  static RegValue ExpandString(std::string text) { return {ValueType::kExpandSz, std::move(text)}; }
  static RegValue Dword(uint32_t number);

  // The number held by a kDword value (0 for any other).
  uint32_t AsDword() const;
  // The size Windows reports for the data: strings count their terminating NUL.
  size_t DataSize() const;

  friend bool operator==(const RegValue&, const RegValue&) = default;
};

class RegKey {
 public:
  explicit RegKey(std::string name = {}) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }

  // Values in the order they were first set.
  struct NamedValue {
    std::string name;
    RegValue value;
  };
  const std::vector<NamedValue>& values() const { return values_; }
  const RegValue* FindValue(std::string_view name) const;
  void SetValue(std::string_view name, RegValue value);
  bool DeleteValue(std::string_view name);

  // Subkeys in the order they were created.
  const std::vector<std::unique_ptr<RegKey>>& subkeys() const { return subkeys_; }
  const RegKey* FindSubkey(std::string_view name) const;
  RegKey* FindSubkey(std::string_view name);
  RegKey& AddSubkey(std::string_view name);  // returns the existing one if present
  bool DeleteSubkey(std::string_view name);

  RegKey(const RegKey& other);
  RegKey& operator=(const RegKey& other);
  RegKey(RegKey&&) = default;
  RegKey& operator=(RegKey&&) = default;

 private:
  // Positions in values_ and subkeys_ by lower-case name, so that reading a
  // file of many values under one key stays linear. Rebuilt after a delete.
  using NameIndex = std::unordered_map<std::string, size_t>;
  void IndexValues();
  void IndexSubkeys();

  std::string name_;
  std::vector<NamedValue> values_;
  std::vector<std::unique_ptr<RegKey>> subkeys_;
  NameIndex value_index_;
  NameIndex subkey_index_;
};

// One hive's whole tree. Paths are backslash-separated below the hive root,
// without a leading backslash ("Software\\Norvale\\7316\\Popup"); empty
// path components (doubled or trailing backslashes) are ignored.
class RegTree {
 public:
  const RegKey& root() const { return root_; }
  RegKey& root() { return root_; }

  const RegKey* Find(std::string_view path) const;
  RegKey* Find(std::string_view path);
  // Creates every missing key on the path and returns the last one.
  RegKey& Create(std::string_view path);
  // Deletes the key at path. Fails with kNotFound when it does not exist and
  // with kAccessDenied when it has subkeys and `recursive` is false (the
  // Windows rule for RegDeleteKey). The root cannot be deleted.
  Status Delete(std::string_view path, bool recursive);

 private:
  RegKey root_;
};

// Splits a key path at backslashes, dropping empty components.
std::vector<std::string_view> SplitKeyPath(std::string_view path);

class Registry {
 public:
  virtual ~Registry() = default;

  // The hive as it stands now, with every write of this and other processes
  // that finished before the call. Fails with kUnavailable for a hive this
  // store does not keep.
  virtual Result<std::shared_ptr<const RegTree>> Snapshot(Hive hive) = 0;

  // Applies `change` to the newest tree of the hive and stores the result
  // atomically: either all of the change is kept or none of it. A failure
  // returned by `change` stores nothing and is returned.
  virtual Status Update(Hive hive, const std::function<Status(RegTree&)>& change) = 0;

  // Whether this process may change the hive (the "full access to Software" test).
  virtual bool CanWrite(Hive hive) = 0;
};

// Forwards every call; a test overrides the one it needs.
class RegistryWrapper : public Registry {
 public:
  explicit RegistryWrapper(Registry& target) : target_(target) {}
  Result<std::shared_ptr<const RegTree>> Snapshot(Hive hive) override {
    return target_.Snapshot(hive);
  }
  Status Update(Hive hive, const std::function<Status(RegTree&)>& change) override {
    return target_.Update(hive, change);
  }
  bool CanWrite(Hive hive) override { return target_.CanWrite(hive); }

 private:
  Registry& target_;
};

// All hives in memory: for tests, and for hosts that want no files.
class MemoryRegistry : public Registry {
 public:
  Result<std::shared_ptr<const RegTree>> Snapshot(Hive hive) override;
  Status Update(Hive hive, const std::function<Status(RegTree&)>& change) override;
  bool CanWrite(Hive hive) override;

  void SetReadOnly(Hive hive, bool read_only);

 private:
  std::mutex mutex_;
  std::map<Hive, std::shared_ptr<const RegTree>> hives_;
  std::map<Hive, bool> read_only_;
};

// --- One-call helpers over a Registry, used by the settings functions. ---

bool KeyExists(Registry& registry, Hive hive, std::string_view path);
// kNotFound when the key or the value is missing.
Result<RegValue> QueryValue(Registry& registry, Hive hive, std::string_view path,
                            std::string_view name);
// Creates the key path as needed.
Status SetValue(Registry& registry, Hive hive, std::string_view path, std::string_view name,
                RegValue value);
Status CreateKey(Registry& registry, Hive hive, std::string_view path);
// kNotFound when the key or the value is missing.
Status DeleteValue(Registry& registry, Hive hive, std::string_view path, std::string_view name);
Status DeleteKey(Registry& registry, Hive hive, std::string_view path, bool recursive);

}  // namespace olconn97::registry

#endif  // OLCONN97_OUTSIDE_REGISTRY_REGISTRY_H_
