// The cache file as other programs and hard stops meet it: killed rebuilds,
// damaged files, and SQLite tools that read and change it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace olconn97::testing {
namespace {

constexpr int kCards = 300;

std::string CardText(int i) {
  return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(i) +
         "\r\nN:" + std::to_string(i) + ";Person;;;\r\nTEL;TYPE=WORK,VOICE:+44 20 7946 " +
         std::to_string(1000 + i) + "\r\nEND:VCARD\r\n";
}

class CacheFileToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Tool("store folders").exit_code, 0) << Stderr();  // the user's store
    for (int i = 0; i < kCards; ++i) {
      WriteFile(contacts() + "/p" + std::to_string(i) + ".vcf", CardText(i));
    }
  }

  ToolRun Tool(const std::string& arguments) { return RunHostTool(home_, arguments); }
  std::string Stderr() { return ReadFile(home_.Child("stderr")); }
  std::string contacts() const { return home_.Child("data") + "/olconn97/pim/Contacts"; }
  std::string data_folder() const { return home_.Child("data") + "/Norvale Corvanta"; }
  std::string cache() const { return data_folder() + "/Connector.mdb"; }

  // The row count `cache status` reports, after a start-up that completes
  // whatever a killed process left (a lookup waits for its walk).
  std::string StatusAfterStartUp() {
    ToolRun found = Tool("lookup 442079461007 --first");
    EXPECT_EQ(found.exit_code, 0) << found.out << Stderr();
    return Tool("cache status --json").out;
  }

  // `olconn97 cache rebuild` as its own process, killed after `delay`.
  void RebuildKilledAfter(std::chrono::microseconds delay) {
    BackgroundProcess rebuild({OLCONN97_HOST_PATH, "cache", "rebuild"}, HostEnvironment(home_),
                              "/dev/null");
    ASSERT_TRUE(rebuild.started());
    std::this_thread::sleep_for(delay);
    rebuild.Kill();
  }

  TempDir home_;
};

// Whenever a rebuild dies, the next start-up leaves a complete cache.
TEST_F(CacheFileToolTest, RandomKillsOfARebuildAreCompletedByTheNextStartUp) {
  auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Tool("cache rebuild").exit_code, 0) << Stderr();
  auto rebuild = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - started);
  std::mt19937 random(20261206);  // the same kill times at every run
  std::uniform_int_distribution<int64_t> delay(0, rebuild.count());
  for (int round = 0; round < 8; ++round) {
    auto kill_after = std::chrono::microseconds(delay(random));
    RebuildKilledAfter(kill_after);
    std::string status = StatusAfterStartUp();
    EXPECT_NE(status.find("\"rows\":" + std::to_string(kCards) + ","), std::string::npos)
        << "killed after " << kill_after.count() << " us: " << status;
    EXPECT_NE(status.find("\"rebuild_pending\":false"), std::string::npos) << status;
  }
}

TEST_F(CacheFileToolTest, ACacheThatCannotBeOpenedIsMovedAsideAndRebuilt) {
  ASSERT_EQ(Tool("cache rebuild").exit_code, 0) << Stderr();
  std::string whole = ReadFile(cache());
  ASSERT_GT(whole.size(), 8192u);
  struct Damage {
    const char* name;
    std::string bytes;
  };
  std::string random_bytes(4096, '\0');
  std::mt19937 random(7);
  for (char& c : random_bytes) c = static_cast<char>(random());
  const Damage damages[] = {{"cut short", whole.substr(0, whole.size() / 2)},
                            {"empty", ""},
                            {"random bytes", random_bytes}};
  for (const Damage& damage : damages) {
    std::filesystem::remove(cache() + "-wal");
    std::filesystem::remove(cache() + "-shm");
    WriteFile(cache(), damage.bytes);
    ToolRun status = Tool("status");
    EXPECT_EQ(status.exit_code, 0) << damage.name << ": " << status.out << Stderr();
    EXPECT_NE(status.out.find("Cache: The contact cache " + cache() + " could not be used"),
              std::string::npos)
        << damage.name << ": " << status.out;
    EXPECT_NE(status.out.find("moved aside to " + cache() + ".damaged-"), std::string::npos)
        << damage.name << ": " << status.out;
    std::string facts = StatusAfterStartUp();
    EXPECT_NE(facts.find("\"rows\":" + std::to_string(kCards) + ","), std::string::npos)
        << damage.name << ": " << facts;
    EXPECT_NE(facts.find("\"last_recovery\":\"The contact cache"), std::string::npos) << facts;
  }
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(data_folder())) {
    if (entry.path().filename().string().rfind("Connector.mdb.damaged-", 0) == 0 &&
        entry.path().string().find("-wal") == std::string::npos &&
        entry.path().string().find("-shm") == std::string::npos) {
      ++kept;
    }
  }
  EXPECT_EQ(kept, 3);  // nothing is deleted
}

bool HaveProgram(const char* name) {
  return ShellOutput(std::string("command -v ") + name + " >/dev/null && echo yes") == "yes\n";
}

// The cache is an ordinary SQLite file: the sqlite3 program and Python
// read, check, change and copy it, and the driver searches the result.
TEST_F(CacheFileToolTest, SqliteProgramsReadChangeAndCopyTheCache) {
  if (!HaveProgram("sqlite3") || !HaveProgram("python3")) {
    GTEST_SKIP() << "needs the sqlite3 program and python3 (scripts/setup installs both)";
  }
  ASSERT_EQ(Tool("cache rebuild").exit_code, 0) << Stderr();
  // A refresh time set by hand far ahead: no card counts as changed, so
  // the lookups below read the rows the programs left, not the cards.
  ASSERT_EQ(Tool("reg add 'HKCU\\Software\\Norvale\\7316\\Popup' /v LastModification "
                 "/d '01/01/2100 00:00' /f")
                .exit_code,
            0)
      << Stderr();
  const std::string db = "'" + cache() + "'";
  EXPECT_EQ(ShellOutput("sqlite3 " + db + " 'pragma integrity_check'"), "ok\n");
  EXPECT_EQ(ShellOutput("sqlite3 " + db +
                        " \"select Name from TCache where PhoneNumber = "
                        "'442079461007'\""),
            "7, Person\n");
  std::string entry_id =
      ShellOutput("sqlite3 " + db + " \"select EntryID from TCache where Name = '7, Person'\"");
  ASSERT_FALSE(entry_id.empty());
  entry_id.pop_back();
  // Another program adds a number to Person 7 (no derived values), renumbers
  // Person 8, and removes Person 9.
  EXPECT_EQ(ShellOutput("sqlite3 " + db +
                        " \"insert into TCache (PhoneNumber, EntryID, Name) values "
                        "('4915112345678', '" +
                        entry_id + "', '7, Person')\""),
            "");
  std::string python =
      "import sqlite3, sys\n"
      "db = sqlite3.connect(sys.argv[1])\n"
      "db.execute(\"update TCache set PhoneNumber = '4930555000' where Name = '8, Person'\")\n"
      "db.execute(\"delete from TCache where Name = '9, Person'\")\n"
      "db.commit()\n"
      "print(db.execute('pragma integrity_check').fetchone()[0])\n";
  WriteFile(home_.Child("change.py"), python);
  EXPECT_EQ(ShellOutput("python3 '" + home_.Child("change.py") + "' " + db), "ok\n");
  // A dump reloaded into a new file serves as the cache.
  std::string copy = "'" + home_.Child("copy.mdb") + "'";
  EXPECT_EQ(ShellOutput("sqlite3 " + db + " .dump | sqlite3 " + copy), "");
  EXPECT_EQ(ShellOutput("sqlite3 " + copy + " 'pragma integrity_check'"), "ok\n");
  std::filesystem::remove(cache() + "-wal");
  std::filesystem::remove(cache() + "-shm");
  std::filesystem::rename(home_.Child("copy.mdb"), cache());

  ToolRun by_ending = Tool("lookup '*12345678' --first");  // the reversed digits, filled in
  EXPECT_EQ(by_ending.exit_code, 0) << by_ending.out << Stderr();
  EXPECT_NE(by_ending.out.find("FullName: 7, Person"), std::string::npos) << by_ending.out;
  ToolRun renumbered = Tool("lookup '*0555000' --first");
  EXPECT_EQ(renumbered.exit_code, 0) << renumbered.out << Stderr();
  EXPECT_NE(renumbered.out.find("FullName: 8, Person"), std::string::npos) << renumbered.out;
  EXPECT_EQ(Tool("lookup 442079461009").exit_code, 1);  // deleted, and its card unchanged
  ToolRun by_name = Tool("lookup --name '7, PERS*' --first");
  EXPECT_EQ(by_name.exit_code, 0) << by_name.out << Stderr();
  EXPECT_EQ(ShellOutput("sqlite3 " + db + " 'pragma integrity_check'"), "ok\n");
}

}  // namespace
}  // namespace olconn97::testing
