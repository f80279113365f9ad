#include "core/product_identity.h"

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
    std::string read = RegReadString(Hive::kLocalMachine, kInstallKey, product.value_name);
    std::string_view trimmed = TrimBlanks(read);
    if (!trimmed.empty()) shared.*product.name = std::string(trimmed);
  }
}

std::string ProductFullName() {
  return LoadedOrDefault(Shared().gProductFullName, kDefaultProductFullName);
}

std::string ProductName() { return LoadedOrDefault(Shared().gProductName, kDefaultProductName); }

}  // namespace olconn97
