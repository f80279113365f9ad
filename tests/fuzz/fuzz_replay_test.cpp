// Every fuzz target's seeds and the inputs of its past findings, replayed
// through the same entry functions libFuzzer calls, so a finding once fixed
// stays fixed in every build. A broken property aborts the test's process.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"

namespace olconn97::fuzz {
namespace {

namespace fs = std::filesystem;

struct Target {
  const char* name;  // the folder under seeds/ and regressions/
  int (*entry)(const uint8_t*, size_t);
};

const Target kTargets[] = {
    {"vcard", VCardInput},        {"reg_file", RegFileInput},     {"like", LikeInput},
    {"call_data", CallDataInput}, {"filter", FilterInput},        {"netstring", NetstringInput},
    {"json", JsonInput},          {"po_catalog", PoCatalogInput},
};

const fs::path kFuzzFolder = fs::path(OLCONN97_SOURCE_ROOT) / "tests" / "fuzz";

// Runs every file below `folder`; returns how many.
int ReplayFolder(const Target& target, const fs::path& folder) {
  int count = 0;
  if (!fs::is_directory(folder)) return 0;
  for (const fs::directory_entry& file : fs::recursive_directory_iterator(folder)) {
    if (!file.is_regular_file()) continue;
    std::ifstream in(file.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    SCOPED_TRACE(file.path().string());
    target.entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ++count;
  }
  return count;
}

class FuzzReplayTest : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplayTest, SeedsAndPastFindingsPass) {
  const Target& target = GetParam();
  EXPECT_GT(ReplayFolder(target, kFuzzFolder / "seeds" / target.name), 0)
      << "every target keeps at least one seed";
  ReplayFolder(target, kFuzzFolder / "regressions" / target.name);
}

TEST_P(FuzzReplayTest, EmptyInputPasses) { GetParam().entry(nullptr, 0); }

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) {
                           std::string name = info.param.name;
                           std::erase(name, '_');
                           return name;
                         });

// The vCard corpus kept outside the project, under its own licences, read
// where it lies.
TEST(FuzzReplayTest, SharedVCardCorpusPasses) {
  const fs::path corpus = fs::path(OLCONN97_SHARED_TESTDATA_DIR) / "vcards";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no vCard corpus at " << corpus;
  EXPECT_GT(ReplayFolder({"vcard", VCardInput}, corpus), 100);
}

}  // namespace
}  // namespace olconn97::fuzz
