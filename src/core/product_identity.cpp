#include "core/product_identity.h"

#include <utility>

#include "base/strings.h"
#include "core/settings.h"
#include "core/shared_state.h"

namespace olconn97 {
namespace {

struct ProductString {
  std::string SharedState::*name;
  std::string_view value_name;
  std::string_view fallback;
};

constexpr ProductString kProductStrings[] = {
    {&SharedState::gProductFullName, "7316Name", kDefaultProductFullName},
    {&SharedState::gProductExtName, "7316ExtName", kDefaultProductExtName},
    {&SharedState::gProductName, "7316ShortName", kDefaultProductName},
};

// An installation value, trimmed of blanks; empty when it is blank or missing.
std::string InstallValue(std::string_view value_name) {
  std::string read = RegReadString(Hive::kLocalMachine, kInstallKey, value_name);
  return std::string(TrimBlanks(read));
}

std::string LoadedOrDefault(const std::string& loaded, std::string_view fallback) {
  return loaded.empty() ? std::string(fallback) : loaded;
}

}  // namespace

void LoadProductIdentity() {
  SharedState& shared = Shared();
  for (const ProductString& product : kProductStrings) {
    shared.*product.name = std::string(product.fallback);
  }
  for (const ProductString& product : kProductStrings) {
    std::string read = InstallValue(product.value_name);
    if (!read.empty()) shared.*product.name = std::move(read);
  }
}

std::string ProductFullName() {
  return LoadedOrDefault(Shared().gProductFullName, kDefaultProductFullName);
}

std::string InstalledProductFullName() {
  const ProductString& full_name = kProductStrings[0];
  return LoadedOrDefault(InstallValue(full_name.value_name), full_name.fallback);
}

// The build gives the version (the project's version number).
std::string_view DriverVersion() { return OLCONN97_VERSION; }

std::string ProductName() { return LoadedOrDefault(Shared().gProductName, kDefaultProductName); }

}  // namespace olconn97
