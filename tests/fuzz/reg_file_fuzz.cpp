// The settings-file reader: a .reg file read into a hive, written out, and
// read back to the same hive.
#include <string>

#include "fuzz/fuzz_targets.h"
#include "outside/registry/reg_file.h"

namespace olconn97::fuzz {
namespace {

constexpr std::string_view kTarget = "reg_file";
constexpr registry::Hive kHive = registry::Hive::kCurrentUser;

}  // namespace

int RegFileInput(const uint8_t* data, size_t size) {
  registry::RegFileContent content = registry::ParseRegFile(AsText(data, size));
  for (const registry::RegFileFault& fault : content.faults) (void)fault.ToString();
  registry::RegTree tree;
  registry::ApplyRegFileEntries(content.entries, kHive, tree);
  Result<std::string> written = registry::WriteRegFile(registry::HiveName(kHive), tree.root());
  if (!written.ok()) return 0;

  // What the store writes, it reads without fault, and writes again the same.
  registry::RegFileContent reread = registry::ParseRegFile(written.value());
  OLCONN97_FUZZ_CHECK(kTarget, reread.faults.empty());
  registry::RegTree again;
  registry::ApplyRegFileEntries(reread.entries, kHive, again);
  Result<std::string> rewritten = registry::WriteRegFile(registry::HiveName(kHive), again.root());
  OLCONN97_FUZZ_CHECK(kTarget, rewritten.ok() && rewritten.value() == written.value());
  return 0;
}

}  // namespace olconn97::fuzz
