// The reference host under hard conditions: killed in the middle of a walk,
// a full disk, a read-only data folder, a settings file turned to garbage,
// and two hosts on one store and one cache at once. Each case checks what
// is left afterwards: a cache that opens, a start-up that completes it,
// contacts that are found, and a store and settings that nobody damaged.
//
// The kill points are random; the seed is printed, and the environment
// variable OLCONN97_FAULT_SEED replays a run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace olconn97::testing {
namespace {

constexpr int kCards = 2000;

// Card i's one number: its first version dials +44 20 79xxxxx, a changed
// one +33 1 55xxxxx. File names sort as the cards are numbered.
std::string Digits(int i, bool changed) {
  char text[32];
  std::snprintf(text, sizeof text, changed ? "33155%05d" : "442079%05d", i);
  return text;
}
std::string CardFile(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "p%05d.vcf", i);
  return name;
}
std::string CardText(int i, bool changed) {
  char number[40];
  std::snprintf(number, sizeof number, changed ? "+33 1 55%05d" : "+44 20 79%05d", i);
  return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(i) +
         "\r\nN:" + std::to_string(i) + ";Person;;;\r\nTEL;TYPE=WORK,VOICE:" + number +
         "\r\nEND:VCARD\r\n";
}

uint64_t Fnv1a(const std::string& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// Every file of a folder tree: its size, modification time and content hash.
std::map<std::string, std::string> Listing(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    struct stat info {};
    stat(entry.path().c_str(), &info);
    files[entry.path().string()] =
        std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
        std::to_string(info.st_mtim.tv_nsec) + " " + std::to_string(Fnv1a(ReadFile(entry.path())));
  }
  return files;
}

// How to run a script in a mount namespace of its own, where it may mount
// a small file system or a read-only view: "" where this machine allows
// neither a user namespace nor (as root) a plain one.
std::string MountNamespacePrefix() {
  for (const char* prefix : {"unshare -rm", "unshare -m"}) {
    if (ShellOutput(std::string(prefix) + " sh -c 'mount -t tmpfs tmpfs /mnt && echo yes'") ==
        "yes\n") {
      return prefix;
    }
  }
  return "";
}

uint32_t Seed() {
  if (const char* given = std::getenv("OLCONN97_FAULT_SEED")) {
    return static_cast<uint32_t>(std::strtoul(given, nullptr, 10));
  }
  return std::random_device()();
}

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Tool("store folders").exit_code, 0) << Stderr();  // the user's store
    for (int i = 0; i < kCards; ++i) WriteFile(contacts() + "/" + CardFile(i), CardText(i, false));
  }

  ToolRun Tool(const std::string& arguments) { return RunHostTool(home_, arguments); }
  std::string Stderr() { return ReadFile(home_.Child("stderr")); }
  std::string store() const { return home_.Child("data") + "/olconn97/pim"; }
  std::string contacts() const { return store() + "/Contacts"; }
  std::string data_folder() const { return home_.Child("data") + "/Norvale Corvanta"; }
  std::string cache() const { return data_folder() + "/Connector.mdb"; }
  std::string hive() const { return home_.Child("HKCU.reg"); }

  // Rewrites every `step`-th card from `first` on with its changed number,
  // dated ahead of any walk so far.
  void ChangeCards(int first, int step) {
    std::filesystem::file_time_type later =
        std::filesystem::file_time_type::clock::now() + std::chrono::minutes(2);
    for (int i = first; i < kCards; i += step) {
      WriteFile(contacts() + "/" + CardFile(i), CardText(i, true));
      std::filesystem::last_write_time(contacts() + "/" + CardFile(i), later);
    }
  }

  // `olconn97 <words>` as a process of its own, its output to `output`.
  std::unique_ptr<BackgroundProcess> Spawn(const std::vector<std::string>& words,
                                           const std::string& output) {
    std::vector<std::string> argv = {OLCONN97_HOST_PATH};
    argv.insert(argv.end(), words.begin(), words.end());
    std::vector<std::string> env = HostEnvironment(home_);
    env.emplace_back("OLCONN97_UI=");
    return std::make_unique<BackgroundProcess>(argv, env, output);
  }

  // How long an undisturbed `olconn97 <words>` takes, in microseconds.
  int64_t Duration(const std::vector<std::string>& words) {
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Spawn(words, home_.Child("timed.err"))->Wait(), 0)
        << ReadFile(home_.Child("timed.err"));
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 started)
        .count();
  }

  void KillAfter(const std::vector<std::string>& words, std::chrono::microseconds delay) {
    std::unique_ptr<BackgroundProcess> child = Spawn(words, "/dev/null");
    ASSERT_TRUE(child->started());
    std::this_thread::sleep_for(delay);
    child->Kill();
  }

  // The contacts a lookup finds by `pattern` (by name with `by_name`), by
  // full name, each once.
  std::set<std::string> Found(const std::string& pattern, bool by_name) {
    ToolRun run =
        Tool(std::string("lookup ") + (by_name ? "--name " : "") + "'" + pattern + "' --json");
    std::set<std::string> names;
    const std::string key = "\"FullName\":\"";
    for (size_t at = run.out.find(key); at != std::string::npos; at = run.out.find(key, at + 1)) {
      size_t begin = at + key.size();
      names.insert(run.out.substr(begin, run.out.find('"', begin) - begin));
    }
    return names;
  }

  // What a killed walk left: a cache that opens; a start-up (a lookup waits
  // for the walk it begins) that completes it; every contact found, with
  // its current number; the store as it was.
  void ExpectRecovered(const std::string& context, int changed_cards,
                       const std::map<std::string, std::string>& store_before) {
    ToolRun opened = Tool("cache status --json");
    EXPECT_EQ(opened.exit_code, 0) << context << ": " << opened.out << Stderr();
    ToolRun first = Tool("lookup " + Digits(kCards - 1, changed_cards == kCards) + " --first");
    EXPECT_EQ(first.exit_code, 0) << context << ": " << first.out << Stderr();
    ToolRun status = Tool("cache status --json");
    EXPECT_NE(status.out.find("\"rows\":" + std::to_string(kCards) + ","), std::string::npos)
        << context << ": " << status.out;
    EXPECT_NE(status.out.find("\"rebuild_pending\":false"), std::string::npos)
        << context << ": " << status.out;
    EXPECT_EQ(Found("*, Person", true).size(), static_cast<size_t>(kCards)) << context;
    if (changed_cards > 0) {
      EXPECT_EQ(Found("33155*", false).size(), static_cast<size_t>(changed_cards)) << context;
    }
    EXPECT_TRUE(Listing(store()) == store_before) << context << ": the store changed";
  }

  TempDir home_;
};

TEST_F(FaultInjectionTest, AWalkKilledAtRandomPointsIsCompletedByTheNextStartUp) {
  const uint32_t seed = Seed();
  std::cout << "[ seed     ] OLCONN97_FAULT_SEED=" << seed << std::endl;
  RecordProperty("fault_seed", std::to_string(seed));
  std::mt19937 random(seed);
  const std::vector<std::string> rebuild = {"cache", "rebuild"};
  const std::vector<std::string> refresh = {"cache", "refresh"};
  const int64_t rebuild_time = Duration(rebuild);
  // Four kills of `walk`, each at a random point of a walk's length (and
  // now and then after its end), each followed by the checks.
  auto kill_rounds = [&](const std::vector<std::string>& walk, int changed_cards) {
    const std::map<std::string, std::string> store_before = Listing(store());
    for (int round = 0; round < 4; ++round) {
      auto delay = std::chrono::microseconds(
          std::uniform_int_distribution<int64_t>(0, rebuild_time * 5 / 4)(random));
      KillAfter(walk, delay);
      ExpectRecovered("seed " + std::to_string(seed) + ", " + walk[1] + " killed after " +
                          std::to_string(delay.count()) + " us",
                      changed_cards, store_before);
    }
  };
  kill_rounds(rebuild, 0);
  // A refresh with every card changed since the last walk: a walk as long
  // as a rebuild, but rows deleted and written again per contact.
  ChangeCards(0, 1);
  kill_rounds(refresh, kCards);
}

// A script for `bash` in a mount namespace of its own; the host's
// environment is set by the script itself.
class MountedFolderTest : public FaultInjectionTest {
 protected:
  void SetUp() override {
    FaultInjectionTest::SetUp();
    prefix_ = MountNamespacePrefix();
    ASSERT_EQ(Tool("cache rebuild").exit_code, 0) << Stderr();
  }

  // Runs `body` after lines that define `run NAME ARGS...` (the host's
  // output, errors and exit status to out/NAME.*). Returns the script's output.
  std::string RunScript(const std::string& body) {
    std::filesystem::create_directories(home_.Child("out"));
    std::string script = "set -u\nHOST='" + std::string(OLCONN97_HOST_PATH) + "'\nOUT='" +
                         home_.Child("out") +
                         "'\nrun() { name=$1; shift; \"$HOST\" \"$@\" >\"$OUT/$name.out\" "
                         "2>\"$OUT/$name.err\"; echo $? >\"$OUT/$name.rc\"; }\n" +
                         body;
    WriteFile(home_.Child("script.sh"), script);
    return ShellOutput(prefix_ + " bash '" + home_.Child("script.sh") + "'");
  }
  int ExitCode(const std::string& name) { return std::atoi(ReadFile(Out(name + ".rc")).c_str()); }
  std::string Out(const std::string& name) { return home_.Child("out/" + name); }

  std::string prefix_;
};

// A full disk under the data folder and the settings: a rebuild and a
// refresh fail and say why; the cache and the settings are as they were,
// and serve once there is room again.
TEST_F(MountedFolderTest, OnAFullDiskAWalkFailsClearlyAndLosesNothing) {
  if (prefix_.empty()) {
    GTEST_SKIP() << "no mount namespace here (unshare -rm and unshare -m both refused): a small "
                    "file system cannot be filled for this test";
  }
  ASSERT_EQ(Tool("reg add 'HKCU\\Software\\Norvale\\7316\\Popup\\outlook98' /v PimStore /d '" +
                 store() + "' /f")
                .exit_code,
            0);
  // The same cards changed, so that the refresh has rows to write.
  ChangeCards(0, 2);
  const std::string cache_bytes = ReadFile(cache());
  const std::string hive_bytes = ReadFile(hive());
  // Free space left on the full file system: none at all, a little, and
  // enough to empty the table but not to fill it again.
  for (int free_kb : {0, 256, 2048}) {
    const std::string context = std::to_string(free_kb) + " KB free";
    std::string output =
        RunScript("FULL='" + home_.Child("full") + "'\nmkdir -p \"$FULL\"\n" +
                  "mount -t tmpfs -o size=16m tmpfs \"$FULL\" || exit 90\n"
                  "mkdir \"$FULL/settings\" && cp '" +
                  hive() + "' \"$FULL/settings/\" && cp -a '" + data_folder() +
                  "' \"$FULL/\" || exit 91\n"
                  "export XDG_DATA_HOME=\"$FULL\" OLCONN97_REGISTRY_DIR=\"$FULL/settings\" "
                  "XDG_CONFIG_HOME=\"$FULL/config\" OLCONN97_UI=\n"
                  "avail=$(df -k --output=avail \"$FULL\" | tail -1)\n"
                  "dd if=/dev/zero of=\"$FULL/filler\" bs=1k count=$((avail - " +
                  std::to_string(free_kb) +
                  ")) 2>/dev/null\n"
                  "run rebuild cache rebuild\nrun refresh cache refresh\n"
                  "cp \"$FULL/settings/HKCU.reg\" \"$OUT/hive-while-full\"\n"
                  "rm -f \"$FULL/filler\"\n"
                  "run status cache status --json\nrun lookup lookup " +
                  Digits(kCards - 1, false) +
                  " --first\n"
                  "run changed lookup " +
                  Digits(0, true) + " --first\n");
    ASSERT_EQ(output, "") << context;
    // A refresh may find room for its few rows; a rebuild never does here.
    for (const char* walk : {"rebuild", "refresh"}) {
      std::string said = ReadFile(Out(walk + std::string(".err")));
      if (std::string(walk) == "refresh" && ExitCode(walk) == 0) continue;
      EXPECT_EQ(ExitCode(walk), 1) << context << ", " << walk << ": " << said;
      EXPECT_NE(said.find("olconn97 cache: "), std::string::npos) << context << ": " << said;
      EXPECT_TRUE(said.find("full") != std::string::npos ||
                  said.find("free space") != std::string::npos ||
                  said.find("disk I/O error") != std::string::npos)
          << context << ", " << walk << ": " << said;
      EXPECT_EQ(said.find("Rebuilt in"), std::string::npos) << said;
    }
    // Nothing written to the settings, unless the refresh found room and
    // completed: then it rightly wrote its time, and only that.
    const std::string hive_while_full = ReadFile(Out("hive-while-full"));
    if (ExitCode("refresh") != 0) {
      EXPECT_EQ(hive_while_full, hive_bytes) << context;
    } else {
      auto without_time = [](const std::string& hive) {
        return std::regex_replace(hive, std::regex("\"LastModification\"=\"[^\"]*\""), "");
      };
      EXPECT_EQ(without_time(hive_while_full), without_time(hive_bytes)) << context;
    }
    // Room again: the previous cache serves, then the refresh is made.
    EXPECT_EQ(ExitCode("status"), 0) << context << ": " << ReadFile(Out("status.err"));
    EXPECT_NE(ReadFile(Out("status.out")).find("\"rows\":" + std::to_string(kCards) + ","),
              std::string::npos)
        << context << ": " << ReadFile(Out("status.out"));
    EXPECT_EQ(ExitCode("lookup"), 0) << context << ": " << ReadFile(Out("lookup.err"));
    EXPECT_EQ(ExitCode("changed"), 0) << context << ": " << ReadFile(Out("changed.err"));
  }
  EXPECT_EQ(ReadFile(cache()), cache_bytes);  // the copies were on the full disk
}

// A data folder the user cannot write (mounted read-only, which binds root
// too): every walk and lookup fails, saying which file and why; the cache
// file and the settings are untouched, and serve once the folder is
// writable again.
TEST_F(MountedFolderTest, AReadOnlyDataFolderFailsClearlyAndChangesNothing) {
  if (prefix_.empty()) {
    GTEST_SKIP() << "no mount namespace here (unshare -rm and unshare -m both refused): a "
                    "read-only folder cannot be made for root, who ignores permission bits";
  }
  std::filesystem::remove(cache() + "-wal");
  std::filesystem::remove(cache() + "-shm");
  const std::map<std::string, std::string> data_before = Listing(data_folder());
  const std::string hive_bytes = ReadFile(hive());
  std::string output =
      RunScript("export OLCONN97_REGISTRY_DIR='" + home_.path() + "' XDG_DATA_HOME='" +
                home_.Child("data") + "' XDG_CONFIG_HOME='" + home_.Child("config") +
                "' OLCONN97_UI=\n"
                "D='" +
                data_folder() +
                "'\nmount --bind \"$D\" \"$D\" && mount -o remount,bind,ro \"$D\" || exit 90\n"
                "touch \"$D/probe\" 2>/dev/null && echo writable\n"
                "run rebuild cache rebuild\nrun refresh cache refresh\nrun lookup lookup " +
                Digits(5, false) + " --first\nrun status status\n");
  ASSERT_EQ(output, "");
  for (const char* command : {"rebuild", "refresh", "lookup"}) {
    std::string said = ReadFile(Out(command + std::string(".err")));
    EXPECT_EQ(ExitCode(command), 1) << command << ": " << said;
    EXPECT_NE(said.find("the contact cache " + cache() + " cannot be opened"), std::string::npos)
        << command << ": " << said;
  }
  EXPECT_NE(ReadFile(Out("status.out")).find("Start-up: the contact cache " + cache()),
            std::string::npos)
      << ReadFile(Out("status.out"));
  EXPECT_TRUE(Listing(data_folder()) == data_before);
  EXPECT_EQ(ReadFile(hive()), hive_bytes);
  ToolRun found = Tool("lookup " + Digits(5, false) + " --first");
  EXPECT_EQ(found.exit_code, 0) << found.out << Stderr();
}

// A settings file overwritten with garbage: each command says which file is
// wrong, keeps it (untouched or copied whole), and runs on the defaults.
TEST_F(FaultInjectionTest, ASettingsFileOfGarbageIsReportedKeptAndTheDriverRunsOnDefaults) {
  ASSERT_EQ(Tool("cache rebuild").exit_code, 0) << Stderr();
  std::string garbage(3000, '\0');
  std::mt19937 random(11);
  for (char& c : garbage) c = static_cast<char>(random());
  garbage.replace(0, 12, "\xff\xfeW\0i\0n\0d\0o\0", 12);  // starts as a UTF-16 export would
  for (const char* command : {"status", "cache refresh", "lookup 44207900007 --first",
                              "contact create 'New Caller' '+44 20 7999 0000'"}) {
    WriteFile(hive(), garbage);  // a command may have written a sound file since
    ToolRun run = Tool(command);
    EXPECT_EQ(run.exit_code, 0) << command << ": " << run.out << Stderr();
    EXPECT_NE(Stderr().find("olconn97 settings: " + hive()), std::string::npos)
        << command << ": " << Stderr();
    std::string now = ReadFile(hive());
    EXPECT_TRUE(now == garbage || ReadFile(hive() + ".malformed") == garbage)
        << command << ": the garbage was neither left nor kept";
  }
  EXPECT_EQ(ReadFile(hive() + ".malformed"), garbage);
  EXPECT_NE(Tool("lookup '44207999*' --first").out.find("FullName: Caller, New"),
            std::string::npos);
}

// Two hosts at once on one store and one cache: one rebuilds then
// refreshes, the other looks callers up and creates a contact meanwhile.
// Neither fails, and after both and one more refresh every card has its row.
TEST_F(FaultInjectionTest, TwoHostsOnOneCacheLoseNoRow) {
  ASSERT_EQ(Tool("cache rebuild").exit_code, 0) << Stderr();
  ChangeCards(1, 3);
  std::unique_ptr<BackgroundProcess> walker =
      Spawn({"cache", "rebuild"}, home_.Child("walker.err"));
  ASSERT_TRUE(walker->started());
  int lookups_ok = 0;
  std::string lookup_errors;
  for (int i = 0; i < 12; ++i) {
    ToolRun run = Tool("lookup " + Digits(i * 150, false) + " --first");
    if (run.exit_code == 0 || run.out.rfind("No contact for", 0) == 0) ++lookups_ok;
    lookup_errors += Stderr();
    if (i == 6) {
      ToolRun created = Tool("contact create 'Both At Once' '+44 20 7999 1234'");
      EXPECT_EQ(created.exit_code, 0) << created.out << Stderr();
    }
  }
  // A lookup's start-up may walk the changed cards first: a walk asked for
  // meanwhile then says so and leaves the cache to that walk.
  auto expect_walked_or_left_to_the_other = [&](BackgroundProcess& walk) {
    const int exit_code = walk.Wait();
    const std::string said = ReadFile(home_.Child("walker.err"));
    EXPECT_TRUE(exit_code == 0 ||
                (exit_code == 1 && said.find("Another process is walking") != std::string::npos))
        << said;
  };
  expect_walked_or_left_to_the_other(*walker);
  EXPECT_EQ(lookups_ok, 12);
  EXPECT_EQ(lookup_errors.find("rror"), std::string::npos) << lookup_errors;
  std::unique_ptr<BackgroundProcess> refresher =
      Spawn({"cache", "refresh"}, home_.Child("walker.err"));
  for (int i = 0; i < 4; ++i) {
    ToolRun run = Tool("lookup --name '*Both*' --first");
    EXPECT_TRUE(run.exit_code == 0 || run.exit_code == 1) << Stderr();
  }
  expect_walked_or_left_to_the_other(*refresher);
  ASSERT_EQ(Tool("cache refresh").exit_code, 0) << Stderr();
  ToolRun status = Tool("cache status --json");
  EXPECT_NE(status.out.find("\"rows\":" + std::to_string(kCards + 1) + ","), std::string::npos)
      << status.out;
  EXPECT_EQ(Found("*, Person", true).size(), static_cast<size_t>(kCards));
  EXPECT_EQ(Found("33155*", false).size(), static_cast<size_t>((kCards - 1 + 2) / 3));
  EXPECT_NE(Tool("lookup 442079991234 --first").out.find("Both"), std::string::npos);
}

}  // namespace
}  // namespace olconn97::testing
