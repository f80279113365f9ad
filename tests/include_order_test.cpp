// The include arrows of the source tree run one way: the entry object, then
// the subsystems (actions, export, cache, contact, diag, each using only
// those after it), then the shared services, then the platform layers, then
// the basic helpers. The reference host includes nothing but the public
// interface and its own files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace olconn97::testing {
namespace {

namespace fs = std::filesystem;

// The folders under src/, from the top down.
const std::map<std::string, int>& LayerRanks() {
  static const std::map<std::string, int> ranks = {
      {"driver", 0}, {"actions", 1}, {"export", 2},  {"cache", 3}, {"contact", 4},
      {"diag", 5},   {"core", 6},    {"outside", 7}, {"base", 8},
  };
  return ranks;
}

constexpr std::string_view kPublicInterface = "olconn97";
constexpr std::string_view kHostFolder = "tools/olconn97";

// The target of an `#include` line, or empty for any other line; "<...>" is
// kept around a target in angle brackets.
std::string IncludedPath(const std::string& line) {
  size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos || line[at] != '#') return {};
  at = line.find_first_not_of(" \t", at + 1);
  if (at == std::string::npos || line.compare(at, 7, "include") != 0) return {};
  size_t open = line.find_first_of("\"<", at + 7);
  if (open == std::string::npos) return {};
  size_t close = line.find(line[open] == '"' ? '"' : '>', open + 1);
  if (close == std::string::npos) return {};
  return line[open] == '<' ? line.substr(open, close - open + 1)
                           : line.substr(open + 1, close - open - 1);
}

std::string FirstFolder(const std::string& path) { return path.substr(0, path.find('/')); }

// What is wrong with `file` (relative to `root`, "/"-separated) including
// `included`, or empty.
std::string Offence(const fs::path& root, const std::string& file, std::string included) {
  const bool angled = included.front() == '<';
  if (angled) included = included.substr(1, included.size() - 2);
  const std::string target = FirstFolder(included);
  const bool ours = LayerRanks().count(target) != 0 || target == kPublicInterface;
  if (file.rfind(std::string(kHostFolder) + "/", 0) == 0) {
    if (target == kPublicInterface) return {};
    const bool beside = included.find("..") == std::string::npos &&
                        fs::exists(root / fs::path(file).parent_path() / included);
    if (!ours && (angled || beside)) return {};  // the system's headers, or its own
    return "the host includes more than the public interface";
  }
  if (file.rfind("src/", 0) != 0) return {};  // build tools sit above everything
  const std::string from = FirstFolder(file.substr(4));
  if (!ours) return {};  // the system's and other libraries' headers
  if (from == "base") {
    return target == "base" ? std::string() : "the basic helpers include nothing of ours";
  }
  if (target == kPublicInterface || target == from) return {};
  const auto from_rank = LayerRanks().find(from);
  if (from_rank == LayerRanks().end()) return "a folder of no known layer";
  if (LayerRanks().at(target) < from_rank->second) return "an arrow upward, against the layers";
  return {};
}

std::vector<std::string> LayerOffences(const fs::path& root) {
  std::vector<std::string> offences;
  for (const char* top : {"src", "tools"}) {
    if (!fs::exists(root / top)) continue;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / top)) {
      const std::string extension = entry.path().extension().string();
      if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
      const std::string file = fs::relative(entry.path(), root).generic_string();
      std::ifstream in(entry.path());
      std::string line;
      for (int number = 1; std::getline(in, line); ++number) {
        const std::string included = IncludedPath(line);
        if (included.empty()) continue;
        const std::string offence = Offence(root, file, included);
        if (!offence.empty()) {
          const std::string shown = included.front() == '<' ? included : '"' + included + '"';
          offences.push_back(file + ":" + std::to_string(number) + " includes " + shown + ": " +
                             offence);
        }
      }
    }
  }
  return offences;
}

TEST(IncludeOrderTest, TheSourceTreeKeepsItsLayers) {
  const fs::path root = OLCONN97_SOURCE_ROOT;
  ASSERT_TRUE(fs::exists(root / "src" / "core")) << root;
  std::vector<std::string> offences = LayerOffences(root);
  std::string listed;
  for (const std::string& offence : offences) listed += offence + "\n";
  EXPECT_TRUE(offences.empty()) << listed;
}

// The check itself, on a small tree with one file of each kind of offence
// and files that keep the rules.
TEST(IncludeOrderTest, EachKindOfWrongArrowIsCaught) {
  TempDir tree;
  const fs::path root = tree.path();
  auto write = [&](const std::string& file, const std::string& text) {
    fs::create_directories((root / file).parent_path());
    WriteFile((root / file).string(), text);
  };
  write("src/core/settings.h", "#include <string>\n#include \"outside/registry/registry.h\"\n");
  write("src/core/upward.cpp", "// fine above\n  #  include \"driver/data_connector.h\"\n");
  write("src/cache/walk.cpp",
        "#include \"contact/contact.h\"\n#include \"core/settings.h\"\n#include "
        "\"olconn97/olconn97.h\"\n");
  write("src/diag/log.cpp", "#include \"cache/data_cache.h\"\n");
  write("src/outside/pim/store.cpp", "#include <core/shared_state.h>\n");
  write("src/base/strings.h", "#include \"olconn97/olconn97.h\"\n");
  write("tools/olconn97/commands.h", "#include \"olconn97/olconn97.h\"\n");
  write("tools/olconn97/main.cpp",
        "#include \"commands.h\"\n#include <vector>\n#include \"base/status.h\"\n"
        "#include \"../../src/core/settings.h\"\n");
  write("tools/make_template/make.cpp", "#include \"outside/jet/dao.h\"\n");

  std::vector<std::string> offences = LayerOffences(root);
  std::sort(offences.begin(), offences.end());
  EXPECT_EQ(offences,
            (std::vector<std::string>{
                "src/base/strings.h:1 includes \"olconn97/olconn97.h\": the basic helpers include "
                "nothing of ours",
                "src/core/upward.cpp:2 includes \"driver/data_connector.h\": an arrow upward, "
                "against the layers",
                "src/diag/log.cpp:1 includes \"cache/data_cache.h\": an arrow upward, against the "
                "layers",
                "src/outside/pim/store.cpp:1 includes <core/shared_state.h>: an arrow upward, "
                "against the layers",
                "tools/olconn97/main.cpp:3 includes \"base/status.h\": the host includes more than "
                "the public interface",
                "tools/olconn97/main.cpp:4 includes \"../../src/core/settings.h\": the host "
                "includes more than the public interface",
            }));
}

}  // namespace
}  // namespace olconn97::testing
