#include "outside/registry/file_registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "test_support.h"

namespace olconn97::registry {
namespace {

using ::olconn97::testing::ReadFile;
using ::olconn97::testing::ScopedEnv;
using ::olconn97::testing::TempDir;
using ::olconn97::testing::WriteFile;

class FileRegistryTest : public ::testing::Test {
 protected:
  // Another process's view of the same files.
  std::unique_ptr<FileRegistry> Open() {
    FileRegistry::Options options;
    options.current_user_file = user_file();
    options.local_machine_file = temp_.Child("etc/HKLM.reg");
    options.durable = false;
    options.report = [this](std::string_view message) { reports_.emplace_back(message); };
    return std::make_unique<FileRegistry>(std::move(options));
  }
  std::string user_file() const { return temp_.Child("config/olconn97/HKCU.reg"); }
  std::string Read(Registry& registry, std::string_view path, std::string_view name) {
    Result<RegValue> value = QueryValue(registry, Hive::kCurrentUser, path, name);
    return value.ok() ? value.value().data : "<missing>";
  }

  TempDir temp_;
  std::vector<std::string> reports_;
};

TEST_F(FileRegistryTest, AWriteIsSeenByEveryOtherViewOfTheFile) {
  auto first = Open();
  auto second = Open();
  EXPECT_EQ(Read(*second, "Software\\Norvale", "a"), "<missing>");  // no file yet
  ASSERT_TRUE(
      SetValue(*first, Hive::kCurrentUser, "Software\\Norvale", "a", RegValue::String("1")).ok());
  EXPECT_EQ(Read(*second, "Software\\Norvale", "a"), "1");
  ASSERT_TRUE(
      SetValue(*second, Hive::kCurrentUser, "Software\\Norvale", "b", RegValue::String("2")).ok());
  EXPECT_EQ(Read(*first, "Software\\Norvale", "b"), "2");
  EXPECT_EQ(Read(*first, "Software\\Norvale", "a"), "1");

  std::string text = ReadFile(user_file());
  EXPECT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\r\n")) << text;
  EXPECT_NE(text.find("\"b\"=\"2\"\r\n"), std::string::npos);
  struct stat info {};
  EXPECT_EQ(stat(temp_.Child("config/olconn97/HKCU.lock").c_str(), &info), 0);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(FileRegistryTest, AFileChangedByHandIsReadAgain) {
  auto registry = Open();
  ASSERT_TRUE(CreateKey(*registry, Hive::kCurrentUser, "Software").ok());
  EXPECT_EQ(Read(*registry, "Software", "x"), "<missing>");
  WriteFile(user_file(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n\"x\"=\"7\"\n");
  EXPECT_EQ(Read(*registry, "Software", "x"), "7");
}

TEST_F(FileRegistryTest, ConcurrentWritersLoseNothing) {
  constexpr int kWrites = 40;
  auto increment = [this] {
    auto registry = Open();  // each writer with its own view, as separate processes
    for (int i = 0; i < kWrites; ++i) {
      Status done = registry->Update(Hive::kCurrentUser, [](RegTree& tree) {
        RegKey& key = tree.Create("Software\\Counter");
        const RegValue* old = key.FindValue("n");
        key.SetValue("n", RegValue::Dword(old == nullptr ? 1 : old->AsDword() + 1));
        return Status::Ok();
      });
      ASSERT_TRUE(done.ok()) << done.ToString();
    }
  };
  std::thread a(increment), b(increment);
  a.join();
  b.join();
  auto registry = Open();
  EXPECT_EQ(QueryValue(*registry, Hive::kCurrentUser, "Software\\Counter", "n").value().AsDword(),
            2u * kWrites);
}

TEST_F(FileRegistryTest, TwoProcessesWritingAtOnceLoseNoValue) {
  constexpr int kValuesEach = 500;
  ASSERT_TRUE(CreateKey(*Open(), Hive::kCurrentUser, "Software\\Race").ok());
  pid_t writers[2];
  for (int process = 0; process < 2; ++process) {
    writers[process] = fork();
    ASSERT_GE(writers[process], 0);
    if (writers[process] == 0) {
      FileRegistry::Options options;
      options.current_user_file = user_file();
      options.local_machine_file = temp_.Child("etc/HKLM.reg");
      FileRegistry registry(std::move(options));  // durable, as in real use
      for (int i = 0; i < kValuesEach; ++i) {
        std::string name = "p" + std::to_string(process) + "_" + std::to_string(i);
        if (!SetValue(registry, Hive::kCurrentUser, "Software\\Race", name, RegValue::String(name))
                 .ok()) {
          _exit(1);
        }
      }
      _exit(0);
    }
  }
  for (pid_t writer : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  auto tree = Open()->Snapshot(Hive::kCurrentUser);
  ASSERT_TRUE(tree.ok());
  const RegKey* race = tree.value()->Find("Software\\Race");
  ASSERT_NE(race, nullptr);
  EXPECT_EQ(race->values().size(), 2u * kValuesEach);
  for (int process = 0; process < 2; ++process) {
    for (int i = 0; i < kValuesEach; i += 97) {
      std::string name = "p" + std::to_string(process) + "_" + std::to_string(i);
      const RegValue* value = race->FindValue(name);
      ASSERT_NE(value, nullptr) << name;
      EXPECT_EQ(value->data, name);
    }
  }
}

TEST_F(FileRegistryTest, AFailedChangeStoresNothing) {
  auto registry = Open();
  ASSERT_TRUE(SetValue(*registry, Hive::kCurrentUser, "Software", "a", RegValue::String("1")).ok());
  std::string before = ReadFile(user_file());
  Status failed = registry->Update(Hive::kCurrentUser, [](RegTree& tree) {
    tree.Create("Software").SetValue("a", RegValue::String("2"));
    return Status::Failed("no");
  });
  EXPECT_EQ(failed.code(), Code::kFailed);
  EXPECT_EQ(ReadFile(user_file()), before);
  EXPECT_EQ(Read(*registry, "Software", "a"), "1");
  EXPECT_FALSE(DeleteValue(*registry, Hive::kCurrentUser, "Software", "zz").ok());
  EXPECT_EQ(ReadFile(user_file()), before);
}

TEST_F(FileRegistryTest, AMalformedFileIsReportedOnceWithItsLinesAndWhereTheOriginalIsKept) {
  std::string bad =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n"
      "\"good\"=\"1\"\r\n\"broken=\"2\r\n\"cut\"=hex:01,0\r\n"
      "[HKEY_LOCAL_MACHINE\\Software]\r\n\"m\"=\"3\"\r\n";
  mkdir(temp_.Child("config").c_str(), 0755);
  mkdir(temp_.Child("config/olconn97").c_str(), 0755);
  WriteFile(user_file(), bad);
  auto registry = Open();
  EXPECT_EQ(Read(*registry, "Software", "good"), "1");
  EXPECT_EQ(Read(*registry, "Software", "good"), "1");
  ASSERT_EQ(reports_.size(), 1u);
  const std::string copy = user_file() + ".malformed";
  for (const std::string& part : {user_file() + ": ", std::string("line 5: "),
                                  std::string("line 6: "), std::string("line 7: "), copy}) {
    EXPECT_NE(reports_[0].find(part), std::string::npos) << part << " in " << reports_[0];
  }
  // Kept as soon as it was read; another reader of the same file keeps no second copy.
  EXPECT_EQ(ReadFile(copy), bad);
  EXPECT_EQ(Read(*Open(), "Software", "good"), "1");
  EXPECT_EQ(reports_.size(), 2u);
  struct stat info {};
  EXPECT_NE(stat((copy + ".1").c_str(), &info), 0);

  ASSERT_TRUE(
      SetValue(*registry, Hive::kCurrentUser, "Software", "new", RegValue::String("4")).ok());
  EXPECT_EQ(ReadFile(copy), bad);
  EXPECT_EQ(Read(*Open(), "Software", "good"), "1");
  EXPECT_EQ(Read(*Open(), "Software", "new"), "4");
  // The rewritten file is sound: no further report, no further copy.
  ASSERT_TRUE(
      SetValue(*registry, Hive::kCurrentUser, "Software", "new", RegValue::String("5")).ok());
  EXPECT_EQ(reports_.size(), 2u);
  EXPECT_NE(stat((copy + ".1").c_str(), &info), 0);

  // A new faulty version is a new report, and a new copy beside the first.
  std::string worse = bad + "\"x\"=dword:zz\r\n";
  WriteFile(user_file(), worse);
  EXPECT_EQ(Read(*registry, "Software", "good"), "1");
  ASSERT_EQ(reports_.size(), 3u);
  EXPECT_NE(reports_[2].find(copy + ".1"), std::string::npos) << reports_[2];
  EXPECT_EQ(ReadFile(copy + ".1"), worse);
}

TEST_F(FileRegistryTest, AReportNamesTheFirstBadLinesAndCountsTheRest) {
  std::string text = "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Software]\r\n";
  for (int i = 0; i < 12; ++i) text += "junk\r\n";  // lines 3 to 14
  mkdir(temp_.Child("config").c_str(), 0755);
  mkdir(temp_.Child("config/olconn97").c_str(), 0755);
  WriteFile(user_file(), text);
  EXPECT_TRUE(KeyExists(*Open(), Hive::kCurrentUser, "Software"));
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find("line 12: "), std::string::npos) << reports_[0];
  EXPECT_EQ(reports_[0].find("line 13: "), std::string::npos) << reports_[0];
  EXPECT_NE(reports_[0].find("and 2 more lines"), std::string::npos) << reports_[0];
}

TEST_F(FileRegistryTest, KeepsTheModeOfTheFileItReplaces) {
  auto registry = Open();
  ASSERT_TRUE(CreateKey(*registry, Hive::kCurrentUser, "Software").ok());
  chmod(user_file().c_str(), 0640);
  ASSERT_TRUE(CreateKey(*registry, Hive::kCurrentUser, "Software\\X").ok());
  struct stat info {};
  ASSERT_EQ(stat(user_file().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(FileRegistryTest, OnlyTheTwoHivesAreKept) {
  auto registry = Open();
  EXPECT_EQ(registry->Snapshot(Hive::kUsers).status().code(), Code::kUnavailable);
  EXPECT_EQ(CreateKey(*registry, Hive::kClassesRoot, "X").code(), Code::kUnavailable);
  EXPECT_FALSE(registry->CanWrite(Hive::kUsers));
  EXPECT_TRUE(registry->CanWrite(Hive::kCurrentUser));
  ASSERT_TRUE(CreateKey(*registry, Hive::kLocalMachine, "Software\\Norvale").ok());
  EXPECT_TRUE(KeyExists(*Open(), Hive::kLocalMachine, "software\\NORVALE"));
  EXPECT_FALSE(KeyExists(*Open(), Hive::kCurrentUser, "Software\\Norvale"));

  // A file whose folder cannot exist (a file stands in its place).
  WriteFile(temp_.Child("plain"), "x");
  FileRegistry::Options options;
  options.current_user_file = temp_.Child("plain/HKCU.reg");
  FileRegistry blocked(std::move(options));
  EXPECT_FALSE(blocked.CanWrite(Hive::kCurrentUser));
  EXPECT_FALSE(CreateKey(blocked, Hive::kCurrentUser, "Software").ok());
  EXPECT_EQ(blocked.Snapshot(Hive::kLocalMachine).status().code(), Code::kUnavailable);
}

TEST(DefaultFileRegistryOptionsTest, FollowTheEnvironment) {
  {
    ScopedEnv dir("OLCONN97_REGISTRY_DIR", "/tmp/reg");
    FileRegistry::Options options = DefaultFileRegistryOptions();
    EXPECT_EQ(options.current_user_file, "/tmp/reg/HKCU.reg");
    EXPECT_EQ(options.local_machine_file, "/tmp/reg/HKLM.reg");
  }
  ScopedEnv dir("OLCONN97_REGISTRY_DIR", "");
  ScopedEnv home("HOME", "/home/ann");
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(DefaultFileRegistryOptions().current_user_file, "/cfg/olconn97/HKCU.reg");
  }
  ScopedEnv config("XDG_CONFIG_HOME", "relative/ignored");
  FileRegistry::Options options = DefaultFileRegistryOptions();
  EXPECT_EQ(options.current_user_file, "/home/ann/.config/olconn97/HKCU.reg");
  EXPECT_EQ(options.local_machine_file, "/etc/olconn97/HKLM.reg");
}

}  // namespace
}  // namespace olconn97::registry
