// The reference host as an administrator uses it: one process per command.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "core/product_identity.h"
#include "test_support.h"

namespace olconn97::testing {
namespace {

class HostToolTest : public ::testing::Test {
 protected:
  ToolRun Tool(const std::string& arguments) { return RunHostTool(home_, arguments); }
  std::string Stderr() { return ReadFile(home_.Child("stderr")); }

  // The demo's store, made in a folder of the test, as this user's store.
  void UseDemoStore() {
    std::string demo = home_.Child("demo");
    ASSERT_EQ(Tool("demo '" + demo + "'").exit_code, 0) << Stderr();
    ASSERT_EQ(Tool("reg add 'HKCU\\Software\\Norvale\\7316\\Popup\\outlook98' /v PimStore /d '" +
                   demo + "/store' /f")
                  .exit_code,
              0);
  }

  TempDir home_;
};

TEST_F(HostToolTest, RegAddThenQueryRoundTripsThroughAWindowsReadableFile) {
  ToolRun add = Tool(R"(reg add 'HKCU\Software\Norvale\7316\Popup' /v Developper /d 2 /f)");
  ASSERT_EQ(add.exit_code, 0) << Stderr();
  ToolRun query =
      Tool(R"(reg query 'HKEY_CURRENT_USER\Software\Norvale\7316\Popup' /v developper)");
  ASSERT_EQ(query.exit_code, 0) << Stderr();
  EXPECT_NE(query.out.find("Developper"), std::string::npos) << query.out;
  EXPECT_NE(query.out.find("REG_SZ"), std::string::npos) << query.out;
  EXPECT_NE(query.out.find("2"), std::string::npos) << query.out;

  std::string file = ReadFile(home_.Child("HKCU.reg"));
  EXPECT_EQ(file.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u) << file;
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Norvale\\7316\\Popup]\r\n"),
            std::string::npos);
  EXPECT_NE(file.find("\"Developper\"=\"2\"\r\n"), std::string::npos) << file;
}

TEST_F(HostToolTest, EveryCommandSaysOnceWhatIsWrongInASettingsFile) {
  const std::string file = home_.Child("HKCU.reg");
  const std::string faulty =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Norvale\\7316\\Popup]\r\n"
      "\"autodetect\"=\"1\"\r\n"
      "\"Mask\"=hex:01,02,0\r\n";
  for (const char* command : {R"(reg query 'HKCU\Software\Norvale\7316\Popup')", "status --json",
                              "store folders", "cache status"}) {
    WriteFile(file, faulty);  // the driver's start-up may have written a sound one
    ToolRun run = Tool(command);
    EXPECT_EQ(run.exit_code, 0) << command << ": " << Stderr();
    std::string text = Stderr();
    size_t first = text.find("olconn97 settings: " + file + ": ");
    EXPECT_NE(first, std::string::npos) << command << ": " << text;
    EXPECT_EQ(text.find("olconn97 settings:", first + 1), std::string::npos) << command;
    EXPECT_NE(text.find("line 5: "), std::string::npos) << command << ": " << text;
    EXPECT_NE(text.find("kept as " + file + ".malformed"), std::string::npos) << text;
    if (std::string(command).starts_with("reg")) {
      EXPECT_NE(run.out.find("autodetect"), std::string::npos) << run.out;
      EXPECT_EQ(run.out.find("Mask"), std::string::npos) << run.out;
    }
  }
  EXPECT_EQ(ReadFile(file + ".malformed"), faulty);  // one copy of the one faulty version
  // Once the file is written again it is sound, and nothing more is said.
  WriteFile(file, faulty);
  ASSERT_EQ(Tool(R"(reg add 'HKCU\Software\Norvale\7316\Popup' /v Mask /t REG_BINARY /d 0102 /f)")
                .exit_code,
            0);
  ASSERT_EQ(Tool("status").exit_code, 0);
  EXPECT_EQ(Stderr().find("olconn97 settings:"), std::string::npos) << Stderr();
}

TEST_F(HostToolTest, StatusReportsTheDriverAsTheHostSeesIt) {
  ToolRun status = Tool("status --json");
  EXPECT_EQ(status.exit_code, 0) << Stderr();  // the user's store is made on first use
  EXPECT_EQ(
      status.out,
      "{\"PIMInstalled\":true,\"PIMName\":4096,\"Version\":\"1.0\",\"CacheRecovery\":\"\"}\n");

  // In text, the code says what it means.
  EXPECT_NE(Tool("status").out.find(
                "PIMName: 4096 (the contact store is connected and the driver ready)\n"),
            std::string::npos);

  ToolRun missing =
      Tool("reg add 'HKCU\\Software\\Norvale\\7316\\Popup\\outlook98' /v PimStore /d '" +
           home_.Child("nowhere") + "' /f");
  ASSERT_EQ(missing.exit_code, 0);
  status = Tool("status --json");
  EXPECT_EQ(status.exit_code, 1);  // a configured store that is not there: not installed
  EXPECT_EQ(status.out,
            "{\"PIMInstalled\":false,\"PIMName\":0,\"Version\":\"0\",\"CacheRecovery\":\"\"}\n");
  EXPECT_NE(Tool("status").out.find("PIMName: 0 (not ready"), std::string::npos);
}

TEST_F(HostToolTest, VersionNamesTheProductTheDriverVersionAndTheLibraryLoaded) {
  const std::string version(DriverVersion());
  ToolRun run = Tool("--version");
  EXPECT_EQ(run.exit_code, 0) << Stderr();
  EXPECT_EQ(run.out, "olconn97 (Norvale Corvanta) " + version + "\nlibrary: " +
                         std::filesystem::canonical(OLCONN97_LIBRARY_PATH).string() + "\n");
  ASSERT_EQ(Tool(R"(reg add 'HKLM\Software\Norvale\7316\Install' /v 7316Name /d 'Acme Suite' /f)")
                .exit_code,
            0);
  EXPECT_EQ(Tool("--version").out.rfind("olconn97 (Acme Suite) " + version + "\n", 0), 0u);
}

TEST_F(HostToolTest, BadUsageGivesAClearMessageAndANonZeroExit) {
  ToolRun unknown = Tool("frobnicate");
  EXPECT_EQ(unknown.exit_code, 2);
  EXPECT_NE(Stderr().find("unknown command 'frobnicate'"), std::string::npos);
  ToolRun bad_key = Tool(R"(reg query 'HKXX\Software')");
  EXPECT_EQ(bad_key.exit_code, 1);
  EXPECT_FALSE(Stderr().empty());
  ToolRun help = Tool("status --help");
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("usage: olconn97 status"), std::string::npos);
}

TEST_F(HostToolTest, ConfigSaysWhyWhenItCannotShowTheWindow) {
  ScopedEnv no_x("DISPLAY", ""), no_wayland("WAYLAND_DISPLAY", ""), no_qpa("QT_QPA_PLATFORM", "");
  EXPECT_EQ(Tool("config").exit_code, 1);
  EXPECT_EQ(Stderr(),
            "olconn97 config: no display (DISPLAY or WAYLAND_DISPLAY is not set): the "
            "configuration window needs one\n");
  EXPECT_EQ(Tool("config now").exit_code, 2);
  EXPECT_EQ(Tool("config --help").exit_code, 0);

  // A display, but a driver without its Qt back end beside it.
  TempDir lone;
  std::filesystem::copy_file(OLCONN97_LIBRARY_PATH, lone.Child("libolconn97.so"));
  ScopedEnv library("OLCONN97_LIBRARY", lone.Child("libolconn97.so"));
  ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
  EXPECT_EQ(Tool("config").exit_code, 1);
  const std::string said = Stderr();
  EXPECT_NE(said.find("olconn97: the windows stay headless: "), std::string::npos) << said;
  EXPECT_NE(said.find("libolconn97-qt.so"), std::string::npos) << said;
  EXPECT_NE(said.find("olconn97 config: the driver cannot draw windows here"), std::string::npos)
      << said;
}

TEST_F(HostToolTest, StoreViewListsFoldersAndShowsWhatTheDriverReadsFromACard) {
  ToolRun folders = Tool("store folders --json");
  ASSERT_EQ(folders.exit_code, 0) << Stderr();
  EXPECT_NE(
      folders.out.find("\"path\":\"Personal Folders/Contacts\",\"directory\":\"" +
                       home_.Child("data") + "/olconn97/pim/Contacts\",\"kind\":\"contacts\""),
      std::string::npos)
      << folders.out;

  std::string card = home_.Child("data") + "/olconn97/pim/Contacts/ann.vcf";
  WriteFile(card,
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Smith\r\nN:Smith;Ann;;;\r\n"
            "item1.TEL:+33 6 11\r\nitem1.X-ABLabel:_$!<Mobile>!$_\r\n"
            "X-OLCONN-EMPLOYEEID;TYPE=3:42\r\nEND:VCARD\r\n");
  ToolRun show = Tool("store show '" + card + "' --json");
  ASSERT_EQ(show.exit_code, 0) << Stderr();
  EXPECT_NE(show.out.find("\"LastNameAndFirstName\":\"Smith, Ann\""), std::string::npos)
      << show.out;
  EXPECT_NE(show.out.find("\"MobileTelephoneNumber\":\"+33 6 11\""), std::string::npos);
  EXPECT_NE(show.out.find("{\"Name\":\"EMPLOYEEID\",\"Type\":3,\"Value\":\"42\"}"),
            std::string::npos);

  WriteFile(home_.Child("broken.vcf"), "this is no card at all\n");
  ToolRun broken = Tool("store show '" + home_.Child("broken.vcf") + "'");
  EXPECT_EQ(broken.exit_code, 1);
  EXPECT_NE(Stderr().find("cannot be read as a card"), std::string::npos) << Stderr();
  EXPECT_EQ(Tool("store show no-such-id").exit_code, 1);
  EXPECT_EQ(Tool("store frobnicate").exit_code, 2);
}

TEST_F(HostToolTest, CacheRebuildWalksTheStoreAndStatusCountsTheRows) {
  ASSERT_EQ(Tool("store folders").exit_code, 0) << Stderr();  // the user's store, made on first use
  WriteFile(home_.Child("data") + "/olconn97/pim/Contacts/ann.vcf",
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Smith\r\nN:Smith;Ann;;;\r\n"
            "TEL;TYPE=WORK,VOICE:+33 1 23\r\nTEL;TYPE=CELL:06 11\r\nEND:VCARD\r\n");
  ToolRun rebuild = Tool("cache rebuild --json");
  ASSERT_EQ(rebuild.exit_code, 0) << Stderr();
  EXPECT_NE(rebuild.out.find("\"rows\":2,\"contacts\":1"), std::string::npos) << rebuild.out;
  ToolRun status = Tool("cache status");
  EXPECT_NE(status.out.find("Rows:          2"), std::string::npos) << status.out;
  EXPECT_EQ(Tool("cache frobnicate").exit_code, 2);
}

TEST_F(HostToolTest, CacheRebuildWalksTheStoreOnceWhetherOrNotACacheExists) {
  ASSERT_EQ(Tool("store folders").exit_code, 0) << Stderr();
  ASSERT_EQ(Tool("reg add 'HKCU\\Software\\Norvale\\7316\\Popup' /v Developper /d 1 /f").exit_code,
            0);  // the developer log on stderr
  const std::string contacts = home_.Child("data") + "/olconn97/pim/Contacts/";
  auto count = [](const std::string& text, const std::string& line) {
    int found = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
      ++found;
    }
    return found;
  };
  // The first one builds the missing cache; the second finds a card changed
  // since then, which a start-up would refresh.
  for (const char* card : {"ann", "bob"}) {
    WriteFile(contacts + card + ".vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + std::string(card) +
                                            "\r\nTEL:+33 1 23\r\nEND:VCARD\r\n");
    ToolRun rebuild = Tool("cache rebuild --json");
    ASSERT_EQ(rebuild.exit_code, 0) << Stderr();
    std::string log = Stderr();
    EXPECT_EQ(count(log, "Preparing cache creation..."), 1) << card << ": " << log;
    EXPECT_EQ(count(log, "Updating Cache..."), 0) << card << ": " << log;
    EXPECT_NE(rebuild.out.find("\"rebuild_pending\":false"), std::string::npos) << rebuild.out;
  }
  EXPECT_NE(Tool("cache status").out.find("Contacts:      2\n"), std::string::npos);
}

TEST_F(HostToolTest, CacheStatusSaysNeverWhileEveryContactIsStillToRead) {
  for (const char* stored : {"01/01/1900 00:00", "01/01/1900"}) {
    ASSERT_EQ(Tool("reg add 'HKCU\\Software\\Norvale\\7316\\Popup' /v LastModification /d '" +
                   std::string(stored) + "' /f")
                  .exit_code,
              0);
    EXPECT_NE(Tool("cache status").out.find("Last refresh:  never\n"), std::string::npos) << stored;
    EXPECT_NE(Tool("cache status --json").out.find("\"last_refresh\":null,"), std::string::npos)
        << stored;
  }
  ASSERT_EQ(Tool("reg add 'HKCU\\Software\\Norvale\\7316\\Popup' /v LastModification /d "
                 "'04/12/2026 10:50' /f")
                .exit_code,
            0);
  EXPECT_NE(Tool("cache status --json").out.find("\"last_refresh\":\"04/12/2026 10:50\","),
            std::string::npos);
}

TEST_F(HostToolTest, LookupFindsTheCallerAfterTheStartUpBuildAndSaysWhenItDoesNot) {
  // The demo store, made by the demo in a folder it keeps, becomes the store
  // of this user.
  std::string demo = home_.Child("demo");
  ToolRun played = Tool("demo '" + demo + "'");
  ASSERT_EQ(played.exit_code, 0) << Stderr();
  // The demo plays a known and an unknown caller.
  EXPECT_NE(played.out.find("A call from 33123456789"), std::string::npos) << played.out;
  EXPECT_NE(played.out.find("FullName: Smith, Ann"), std::string::npos) << played.out;
  EXPECT_NE(played.out.find("No contact for 33999000111\n"), std::string::npos) << played.out;
  ASSERT_EQ(Tool("reg add 'HKCU\\Software\\Norvale\\7316\\Popup\\outlook98' /v PimStore /d '" +
                 demo + "/store' /f")
                .exit_code,
            0);

  // No cache yet: start-up builds it, and the lookup waits for the build.
  ToolRun found = Tool("lookup 33123456789 --json");
  ASSERT_EQ(found.exit_code, 0) << Stderr();
  EXPECT_EQ(found.out.rfind("[{\"ContactId\":", 0), 0u) << found.out;
  EXPECT_NE(found.out.find("\"FullName\":\"Smith, Ann\""), std::string::npos) << found.out;
  EXPECT_NE(found.out.find("\"NotInPIM\":false"), std::string::npos) << found.out;
  EXPECT_EQ(found.out.find("},{"), std::string::npos) << found.out;  // one contact

  ToolRun by_name = Tool("lookup --name 'SMITH, a*' --first");
  ASSERT_EQ(by_name.exit_code, 0) << Stderr();
  EXPECT_NE(by_name.out.find("FullName: Smith, Ann\n"), std::string::npos) << by_name.out;

  // Nobody: one line for a person, the driver's placeholder for a script.
  ToolRun unknown = Tool("lookup '+33 1 23 45 67 89'");
  EXPECT_EQ(unknown.exit_code, 1);
  EXPECT_EQ(unknown.out, "No contact for +33 1 23 45 67 89\n");
  EXPECT_NE(Stderr().find("only digits and '*' can match"), std::string::npos) << Stderr();
  ToolRun placeholder = Tool("lookup 999 --json");
  EXPECT_EQ(placeholder.exit_code, 1);
  EXPECT_EQ(placeholder.out.rfind("[{\"ContactId\":\"\",", 0), 0u) << placeholder.out;
  EXPECT_NE(placeholder.out.find("\"MainPhoneNumber\":\"999\""), std::string::npos);
  EXPECT_NE(placeholder.out.find("\"NotInPIM\":true"), std::string::npos) << placeholder.out;

  EXPECT_EQ(Tool("lookup").exit_code, 2);
  EXPECT_EQ(Tool("lookup 1 --bogus").exit_code, 2);
}

TEST_F(HostToolTest, NameLookupTakesPlainWordsInAnyOrderWithoutCaseOrAccents) {
  UseDemoStore();
  ToolRun words = Tool("lookup --name garcia INES");  // no quotes needed
  ASSERT_EQ(words.exit_code, 0) << Stderr();
  EXPECT_NE(words.out.find("LastName: García\n"), std::string::npos) << words.out;

  ToolRun two = Tool("lookup --name hugo --json");  // a first name, and a middle one
  ASSERT_EQ(two.exit_code, 0) << Stderr();
  EXPECT_NE(two.out.find("\"LastName\":\"Lefèvre\""), std::string::npos) << two.out;
  EXPECT_NE(two.out.find("\"LastName\":\"Dumas\""), std::string::npos) << two.out;
  ToolRun one = Tool("lookup --name 'lefevre hugo' --json");
  ASSERT_EQ(one.exit_code, 0) << Stderr();
  EXPECT_EQ(one.out.find("},{"), std::string::npos) << one.out;

  // A pattern is the driver's own search, accents and all.
  EXPECT_EQ(Tool("lookup --name 'lefèvre*'").exit_code, 0) << Stderr();
  ToolRun pattern = Tool("lookup --name 'lefevre*'");
  EXPECT_EQ(pattern.exit_code, 1);
  EXPECT_EQ(pattern.out, "No contact named lefevre*\n");

  ToolRun nobody = Tool("lookup --name 'nobody here' --json");
  EXPECT_EQ(nobody.exit_code, 1);
  EXPECT_NE(nobody.out.find("\"FirstName\":\"nobody here\""), std::string::npos) << nobody.out;
  EXPECT_NE(nobody.out.find("\"NotInPIM\":true"), std::string::npos) << nobody.out;
  EXPECT_EQ(Tool("lookup --name ' - '").exit_code, 2);  // no word at all
}

TEST_F(HostToolTest, DemoRemovesTheFolderItMadeUnlessToldToKeepIt) {
  const std::string tmp = home_.Child("tmp");
  std::filesystem::create_directory(tmp);
  ScopedEnv tmpdir("TMPDIR", tmp);
  auto folders = [&] {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(tmp)) {
      found.push_back(entry.path().string());
    }
    return found;
  };
  ToolRun played = Tool("demo");
  ASSERT_EQ(played.exit_code, 0) << Stderr();
  EXPECT_NE(played.out.find("FullName: Smith, Ann"), std::string::npos) << played.out;
  EXPECT_TRUE(folders().empty());
  // The lines it says a first launch logs are in the log.
  for (const char* line : {"File does not exist !!! (First launch ?)",
                           "Error (TestAndSet): the item is not a contact"}) {
    EXPECT_NE(played.out.find(std::string("\"") + line), std::string::npos) << played.out;
    EXPECT_NE(Stderr().find(line), std::string::npos) << line;
  }

  ToolRun kept = Tool("demo --keep");
  ASSERT_EQ(kept.exit_code, 0) << Stderr();
  ASSERT_EQ(folders().size(), 1u);
  EXPECT_TRUE(std::filesystem::is_directory(folders()[0] + "/store"));
  EXPECT_NE(kept.out.find("export OLCONN97_REGISTRY_DIR='" + folders()[0] + "/settings'"),
            std::string::npos)
      << kept.out;
  EXPECT_EQ(Tool("demo --bogus").exit_code, 2);
}

TEST_F(HostToolTest, JsonOutputIsValidUtf8WhateverTheCallerTyped) {
  ToolRun unknown = Tool("lookup '\xff\xfe\x01' --json");
  EXPECT_EQ(unknown.exit_code, 1) << Stderr();  // nobody: the placeholder is printed
  EXPECT_TRUE(IsValidUtf8(unknown.out)) << unknown.out;
  EXPECT_NE(unknown.out.find("\"MainPhoneNumber\":\"\xEF\xBF\xBD\xEF\xBF\xBD\\u0001\""),
            std::string::npos)
      << unknown.out;
}

TEST_F(HostToolTest, ContactCreateMakesACallerFindableAtOnce) {
  ToolRun created = Tool("contact create 'Zoé Quinn' '+33 7 00 00 00 01' --json");
  ASSERT_EQ(created.exit_code, 0) << Stderr();
  EXPECT_NE(created.out.find("\"FullName\":\"Quinn, Zoé\""), std::string::npos) << created.out;
  ToolRun found = Tool("lookup '*700000001' --first");
  ASSERT_EQ(found.exit_code, 0) << Stderr();
  EXPECT_NE(found.out.find("MainPhoneNumber: +33 7 00 00 00 01"), std::string::npos) << found.out;
  EXPECT_EQ(Tool("contact create 'Only A Name'").exit_code, 2);
}

// The lookup turns number matching on whenever it knows a region: a card
// is found from the number as the network gives it.
TEST_F(HostToolTest, LookupFindsTheSameNumberHoweverItWasWritten) {
  ASSERT_EQ(Tool("contact create 'Ann Smith' '0160 123 456 78'").exit_code, 0) << Stderr();
  ASSERT_EQ(Tool("contact create 'Bob Martin' '+33 (0)1 23 45 67 89'").exit_code, 0) << Stderr();
  auto region = [&](const std::string& code) {
    ASSERT_EQ(Tool("reg add 'HKCU\\Software\\Norvale\\7316\\Popup\\outlook98' /v NumberRegion /d " +
                   code + " /f")
                  .exit_code,
              0);
  };
  region("DE");
  ToolRun german = Tool("lookup +4916012345678");
  EXPECT_EQ(german.exit_code, 0) << Stderr();
  EXPECT_NE(german.out.find("FullName: Smith, Ann"), std::string::npos) << german.out;
  region("FR");
  ToolRun french = Tool("lookup 01 23 45 67 89");
  EXPECT_EQ(french.exit_code, 0) << Stderr();
  EXPECT_NE(french.out.find("FullName: Martin, Bob"), std::string::npos) << french.out;
  // Digits only: the numbers as typed match nothing stored.
  ToolRun digits = Tool("lookup 01 23 45 67 89 --match digits");
  EXPECT_EQ(digits.exit_code, 1);
  EXPECT_EQ(digits.out, "No contact for 01 23 45 67 89\n");
  EXPECT_EQ(Tool("lookup 0123456789 --match=nearly").exit_code, 2);
}

}  // namespace
}  // namespace olconn97::testing
