#include "outside/registry/reg_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "test_support.h"

namespace olconn97::registry {
namespace {

using ::olconn97::testing::ReadFile;
using ::olconn97::testing::TempDir;
using ::olconn97::testing::WriteFile;

class RegCommandTest : public ::testing::Test {
 protected:
  // Runs "reg ARGS" with `answers` as the replies to its questions.
  int Reg(std::vector<std::string> args, const std::string& answers = "") {
    return RunOn(registry_, std::move(args), answers);
  }
  int RunOn(Registry& registry, std::vector<std::string> args, const std::string& answers = "") {
    std::istringstream in(answers);
    std::ostringstream out, err;
    int code = RunRegCommand(registry, args, in, out, err);
    out_ = out.str();
    err_ = err.str();
    return code;
  }
  std::string Data(std::string_view path, std::string_view name) {
    Result<RegValue> value = QueryValue(registry_, Hive::kCurrentUser, path, name);
    return value.ok() ? value.value().data : "<missing>";
  }

  MemoryRegistry registry_;
  std::string out_, err_;
};

TEST_F(RegCommandTest, AddsValuesOfEachTypeAndQueriesThemBack) {
  const std::string key = "HKCU\\Software\\Norvale";
  EXPECT_EQ(Reg({"add", key, "/v", "Name", "/d", "Ann"}), 0);
  EXPECT_EQ(out_, "The operation completed successfully.\n");
  EXPECT_EQ(Reg({"ADD", key, "-V", "Count", "/t", "reg_dword", "/d", "0x102"}), 0);
  EXPECT_EQ(Reg({"add", key, "/v", "List", "/t", "REG_MULTI_SZ", "/d", "a|b", "/s", "|"}), 0);
  EXPECT_EQ(Reg({"add", key, "/v", "Blob", "/t", "REG_BINARY", "/d", "00ff"}), 0);
  EXPECT_EQ(Reg({"add", key, "/ve", "/d", "main"}), 0);
  EXPECT_EQ(Reg({"add", key + "\\Sub"}), 0);

  EXPECT_EQ(Reg({"query", "hkey_current_user\\software\\norvale"}), 0);
  EXPECT_EQ(out_,
            "\nHKEY_CURRENT_USER\\Software\\Norvale\n"
            "    Name    REG_SZ    Ann\n"
            "    Count    REG_DWORD    0x102\n"
            "    List    REG_MULTI_SZ    a\\0b\n"
            "    Blob    REG_BINARY    00FF\n"
            "    (Default)    REG_SZ    main\n"
            "\nHKEY_CURRENT_USER\\Software\\Norvale\\Sub\n");
  EXPECT_EQ(Data("Software\\Norvale", "List"), std::string("a\0b\0", 4));

  EXPECT_EQ(Reg({"query", key, "/v", "count", "/z"}), 0);
  EXPECT_EQ(out_, "\nHKEY_CURRENT_USER\\Software\\Norvale\n    Count    REG_DWORD (4)    0x102\n");
  EXPECT_EQ(Reg({"query", key, "/v", "Missing"}), 1);
  EXPECT_EQ(err_, "ERROR: The system was unable to find the specified registry key or value.\n");
}

TEST_F(RegCommandTest, RefusesBadInput) {
  EXPECT_EQ(Reg({"add", "HKCU\\X", "/v", "n", "/t", "REG_DWORD", "/d", "4294967296"}), 1);
  EXPECT_EQ(Reg({"add", "HKCU\\X", "/v", "n", "/t", "REG_BINARY", "/d", "abc"}), 1);
  EXPECT_EQ(Reg({"add", "HKCU\\X", "/v", "n", "/t", "REG_FANCY"}), 1);
  EXPECT_EQ(Reg({"add", "Software\\X"}), 1);
  EXPECT_EQ(Reg({"add", "\\\\host\\HKCU\\X"}), 1);
  EXPECT_EQ(Reg({"add", "HKCU\\X", "/v", "a", "/ve"}), 1);
  EXPECT_EQ(Reg({"query", "HKCU\\X", "/v"}), 1);
  EXPECT_EQ(Reg({"query", "HKCU\\X", "/k"}), 1);
  EXPECT_EQ(err_, "ERROR: Invalid syntax.\nType \"REG QUERY /?\" for usage.\n");
  EXPECT_EQ(Reg({"frobnicate"}), 1);
  EXPECT_FALSE(KeyExists(registry_, Hive::kCurrentUser, "X"));
  EXPECT_EQ(Reg({"query", "/?"}), 0);
  EXPECT_TRUE(out_.starts_with("REG QUERY")) << out_;
}

TEST_F(RegCommandTest, AsksBeforeOverwritingOrDeleting) {
  ASSERT_EQ(Reg({"add", "HKCU\\S", "/v", "a", "/d", "1"}), 0);
  EXPECT_EQ(Reg({"add", "HKCU\\S", "/v", "a", "/d", "2"}, "no\n"), 1);
  EXPECT_EQ(Data("S", "a"), "1");
  EXPECT_EQ(Reg({"add", "HKCU\\S", "/v", "a", "/d", "2"}), 1);  // no answer at all
  EXPECT_EQ(Reg({"add", "HKCU\\S", "/v", "a", "/d", "2"}, "Yes\n"), 0);
  EXPECT_EQ(Data("S", "a"), "2");
  EXPECT_EQ(Reg({"add", "HKCU\\S", "/v", "a", "/d", "3", "/f"}), 0);
  EXPECT_EQ(Data("S", "a"), "3");

  ASSERT_EQ(Reg({"add", "HKCU\\S", "/v", "b", "/d", "x"}), 0);
  ASSERT_EQ(Reg({"add", "HKCU\\S\\T", "/v", "c", "/d", "y"}), 0);
  EXPECT_EQ(Reg({"delete", "HKCU\\S", "/v", "a"}, "n\n"), 1);
  EXPECT_EQ(Reg({"delete", "HKCU\\S", "/v", "a"}, "y\n"), 0);
  EXPECT_EQ(Data("S", "a"), "<missing>");
  EXPECT_EQ(Reg({"delete", "HKCU\\S", "/v", "a", "/f"}), 1);
  EXPECT_EQ(Reg({"delete", "HKCU\\S", "/va", "/f"}), 0);
  EXPECT_EQ(Data("S", "b"), "<missing>");
  EXPECT_EQ(Data("S\\T", "c"), "y");  // only the key's own values
  EXPECT_EQ(Reg({"delete", "HKCU\\S", "/f"}), 0);
  EXPECT_FALSE(KeyExists(registry_, Hive::kCurrentUser, "S"));
  EXPECT_EQ(Reg({"delete", "HKCU\\S", "/f"}), 1);
  EXPECT_EQ(Reg({"delete", "HKCU", "/f"}), 1);
}

TEST_F(RegCommandTest, SearchesBelowAKey) {
  ASSERT_EQ(Reg({"add", "HKCU\\A", "/v", "Phone", "/d", "0612"}), 0);
  ASSERT_EQ(Reg({"add", "HKCU\\A\\Phones", "/v", "x", "/d", "other"}), 0);
  ASSERT_EQ(Reg({"add", "HKCU\\A\\B", "/v", "phone", "/d", "0699"}), 0);
  EXPECT_EQ(Reg({"query", "HKCU\\A", "/v", "PHONE", "/s"}), 0);
  EXPECT_EQ(out_,
            "\nHKEY_CURRENT_USER\\A\n    Phone    REG_SZ    0612\n"
            "\nHKEY_CURRENT_USER\\A\\B\n    phone    REG_SZ    0699\n"
            "\nEnd of search: 2 match(es) found.\n");
  EXPECT_EQ(Reg({"query", "HKCU\\A", "/f", "06", "/s", "/d"}), 0);
  EXPECT_NE(out_.find("End of search: 2 match(es) found."), std::string::npos) << out_;
  EXPECT_EQ(Reg({"query", "HKCU\\A", "/f", "phones", "/s", "/k", "/e"}), 0);
  EXPECT_EQ(out_, "\nHKEY_CURRENT_USER\\A\\Phones\n\nEnd of search: 1 match(es) found.\n");
  EXPECT_EQ(Reg({"query", "HKCU\\A", "/f", "Phone", "/c", "/s"}), 0);
  EXPECT_NE(out_.find("End of search: 2 match(es) found."), std::string::npos) << out_;
}

TEST_F(RegCommandTest, ExportsAndImportsAWholeBranch) {
  TempDir temp;
  const std::string file = temp.Child("popup.reg");
  ASSERT_EQ(Reg({"add", "HKCU\\Software\\Norvale\\7316\\Popup", "/v", "Path", "/d", "C:\\a \"b\""}),
            0);
  ASSERT_EQ(Reg({"add", "HKCU\\Software\\Norvale\\7316\\Popup\\outlook98", "/v", "n", "/t",
                 "REG_DWORD", "/d", "7"}),
            0);
  EXPECT_EQ(Reg({"export", "hkcu\\software\\NORVALE\\7316", file}), 0);
  EXPECT_TRUE(
      ReadFile(file).starts_with("Windows Registry Editor Version 5.00\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\Norvale\\7316]\r\n"));
  EXPECT_EQ(Reg({"export", "HKCU\\Software", file}, "no\n"), 1);  // exists: asks
  EXPECT_EQ(Reg({"export", "HKCU\\Nowhere", file, "/y"}), 1);

  MemoryRegistry other;
  EXPECT_EQ(RunOn(other, {"import", file}), 0);
  EXPECT_EQ(QueryValue(other, Hive::kCurrentUser, "Software\\Norvale\\7316\\Popup", "Path").value(),
            RegValue::String("C:\\a \"b\""));
  EXPECT_EQ(QueryValue(other, Hive::kCurrentUser, "Software\\Norvale\\7316\\Popup\\outlook98", "n")
                .value()
                .AsDword(),
            7u);
}

TEST_F(RegCommandTest, ImportsAllOrNothing) {
  TempDir temp;
  const std::string file = temp.Child("in.reg");
  WriteFile(file,
            "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"1\"\n"
            "\"b\"=dword:xyz\n");
  EXPECT_EQ(Reg({"import", file}), 1);
  EXPECT_NE(err_.find("line 4"), std::string::npos) << err_;
  EXPECT_FALSE(KeyExists(registry_, Hive::kCurrentUser, "A"));

  registry_.SetReadOnly(Hive::kLocalMachine, true);
  WriteFile(file,
            "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"1\"\n"
            "[HKEY_LOCAL_MACHINE\\B]\n");
  EXPECT_EQ(Reg({"import", file}), 1);
  EXPECT_FALSE(KeyExists(registry_, Hive::kCurrentUser, "A"));

  WriteFile(file,
            "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"1\"\n"
            "[-HKEY_CURRENT_USER\\Old]\n[HKEY_CURRENT_USER\\Keep]\n\"gone\"=-\n");
  ASSERT_EQ(Reg({"add", "HKCU\\Old\\Deep"}), 0);
  ASSERT_EQ(Reg({"add", "HKCU\\Keep", "/v", "gone", "/d", "1"}), 0);
  EXPECT_EQ(Reg({"import", file}), 0);
  EXPECT_EQ(Data("A", "a"), "1");
  EXPECT_FALSE(KeyExists(registry_, Hive::kCurrentUser, "Old"));
  EXPECT_EQ(Data("Keep", "gone"), "<missing>");
  EXPECT_EQ(Reg({"import", temp.Child("missing.reg")}), 1);
}

}  // namespace
}  // namespace olconn97::registry
