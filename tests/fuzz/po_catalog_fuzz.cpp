// The message catalog reader: a .po text read, and a few messages looked up.
#include "fuzz/fuzz_targets.h"
#include "outside/textres/po_catalog.h"

namespace olconn97::fuzz {
namespace {

constexpr std::string_view kTarget = "po_catalog";

}  // namespace

int PoCatalogInput(const uint8_t* data, size_t size) {
  Result<textres::Catalog> catalog = textres::ParsePo(AsText(data, size));
  if (!catalog.ok()) {
    OLCONN97_FUZZ_CHECK(kTarget, !catalog.status().description().empty());
    return 0;
  }
  // The header entry is never a message.
  OLCONN97_FUZZ_CHECK(kTarget, catalog.value().Find("") == nullptr);
  for (std::string_view msgid : {"#21002#", "a", "#1#"}) (void)catalog.value().Find(msgid);
  return 0;
}

}  // namespace olconn97::fuzz
