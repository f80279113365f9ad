// olconn97 contact show: a contact of the store, with its employee record,
// as the host reads it through the library.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "export/directory_schema.h"
#include "outside/jet/dao.h"
#include "test_support.h"

namespace olconn97::testing {
namespace {

class ContactCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The store is made on first use; the card goes into its contacts folder.
    ASSERT_EQ(Tool("store folders").exit_code, 0) << Stderr();
    card_ = home_.Child("data") + "/olconn97/pim/Contacts/ann.vcf";
    WriteFile(card_,
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Smith\r\nN:Smith;Ann;;;\r\n"
              "ORG:Norvale;Sales\r\nTEL;TYPE=PAGER:05\r\nTEL;TYPE=CELL:02\r\n"
              "TEL;TYPE=WORK,VOICE:01\r\nEMAIL:ann@example.org\r\n"
              "X-OLCONN-EMPLOYEEID;TYPE=3:42\r\nEND:VCARD\r\n");
    // The employee directory, in a data folder of its own.
    std::string data_path = home_.Child("stx");
    ASSERT_EQ(mkdir(data_path.c_str(), 0755), 0);
    ASSERT_EQ(Tool(R"(reg add 'HKCU\Software\Norvale\7316\ZEPPhone' /v DataPath /d ')" + data_path +
                   "' /f")
                  .exit_code,
              0);
    ASSERT_TRUE(
        jet::DBEngine()
            .CreateDatabase(data_path + "/stx.mdb",
                            std::string(DirectorySchemaSql()) +
                                "INSERT INTO Employees (EmployeeId, Categories, AssistantID,"
                                " MobilePhoneLabel) VALUES (42, '2', 7, 'Cell');"
                                "INSERT INTO \"Default\" (BusinessPhoneLabel) VALUES ('');")
            .ok());
  }

  ToolRun Tool(const std::string& arguments) { return RunHostTool(home_, arguments); }
  std::string Stderr() { return ReadFile(home_.Child("stderr")); }

  std::string EntryId() {
    ToolRun show = Tool("store show '" + card_ + "' --json");
    const std::string key = "\"EntryID\":\"";
    size_t at = show.out.find(key);
    if (at == std::string::npos) return {};
    at += key.size();
    return show.out.substr(at, show.out.find('"', at) - at);
  }

  TempDir home_;
  std::string card_;
};

TEST_F(ContactCommandTest, ShowsTheContactWithItsDirectoryLabels) {
  std::string id = EntryId();
  ASSERT_FALSE(id.empty());
  ToolRun show = Tool("contact show '" + id + "' --json");
  EXPECT_EQ(show.exit_code, 0) << Stderr();
  EXPECT_EQ(show.out,
            "{\"ContactId\":\"" + id +
                "\",\"FirstName\":\"Ann\",\"LastName\":\"Smith\",\"FullName\":\"Smith, Ann\","
                "\"MainPhoneNumber\":\"01\",\"MainEmail\":\"ann@example.org\","
                "\"Department\":\"Sales\",\"CategorieId\":2,\"employeeId\":42,"
                "\"NotInPIM\":false,"
                "\"PhoneNumbers\":[\"Business: \\t01\",\"Cell: \\t02\",\"Pager: \\t05\"],"
                "\"Emails\":[\"E-mail: \\tann@example.org\"]}\n");

  // In French, once the user's language says so; the directory's own label stays.
  ASSERT_EQ(
      Tool(R"(reg add 'HKCU\Software\Norvale\7316\ZEPPhone\Settings' /v lang /d 1 /f)").exit_code,
      0);
  ToolRun french = Tool("contact show '" + id + "'");
  EXPECT_EQ(french.exit_code, 0) << Stderr();
  EXPECT_NE(french.out.find("PhoneNumbers:\n  Bureau: \t01\n  Cell: \t02\n  Bip: \t05\n"),
            std::string::npos)
      << french.out;
  EXPECT_NE(french.out.find("Emails:\n  Courriel: \tann@example.org\n"), std::string::npos);
}

TEST_F(ContactCommandTest, AnUnknownIdShowsThePlaceholder) {
  ToolRun show = Tool("contact show no-such-id --json");
  EXPECT_EQ(show.exit_code, 1);
  EXPECT_EQ(show.out,
            "{\"ContactId\":\"\",\"FirstName\":\"\",\"LastName\":\"\",\"FullName\":\"\","
            "\"MainPhoneNumber\":\"\",\"MainEmail\":\"\",\"Department\":\"\","
            "\"CategorieId\":-1,\"employeeId\":null,\"NotInPIM\":true,"
            "\"PhoneNumbers\":null,\"Emails\":null}\n");
  ToolRun text = Tool("contact show no-such-id");
  EXPECT_EQ(text.exit_code, 1);
  EXPECT_NE(text.out.find("employeeId: (fails: the contact has no contact item (not in PIM))"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("NotInPIM: true"), std::string::npos);
  EXPECT_EQ(Tool("contact frobnicate").exit_code, 2);
  EXPECT_EQ(Tool("contact show").exit_code, 2);
  EXPECT_NE(Tool("contact --help").out.find("usage: olconn97 contact show"), std::string::npos);
}

}  // namespace
}  // namespace olconn97::testing
