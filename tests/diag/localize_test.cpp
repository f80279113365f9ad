#include "diag/localize.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "core/settings.h"
#include "outside/ui/control.h"
#include "outside/ui/timer_control.h"
#include "outside/ui/window_model.h"
#include "test_support.h"

namespace olconn97 {
namespace {

using ::olconn97::testing::ReadFile;
using ::olconn97::testing::WriteFile;
using ::testing::HasSubstr;

const std::string kShippedCatalogs = std::string(OLCONN97_TEST_DATA_DIR) + "/../../data/lang";

class FixedLoginShell : public shell::ShellWrapper {
 public:
  using ShellWrapper::ShellWrapper;
  std::string LoginName() override { return "ann"; }
};

class LocalizeTest : public testing::DriverTest {
 protected:
  LocalizeTest() : login_(*shell_) {
    ResetLocalizationForTesting();
    Shared().services.SetShell(&login_);
    Shared().gDataPath = app_path();
  }
  ~LocalizeTest() override { ResetLocalizationForTesting(); }

  void SetLanguage(std::string_view lang) {
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kZepPhoneSettingsKey, "lang", lang));
  }
  void SetLanguageChoice(std::string_view text) {
    ASSERT_TRUE(RegWriteString(Hive::kLocalMachine, kInstallKey, "LanguageChoice", text));
  }
  void InstallShippedCatalogs() {
    mkdir((app_path() + "/lang").c_str(), 0755);
    for (const char* name : {"/us.po", "/fr.po"})
      WriteFile(app_path() + "/lang" + name, ReadFile(kShippedCatalogs + name));
  }
  std::string ErrorFile() { return ReadFile(app_path() + "/error_ann.log"); }
  static std::string Report(std::string_view detail) {
    return "04/12/2026 10:50:05 Err: Corvanta - localize.SplitLanguageChoice " +
           std::string(detail) + " - -\r\n";
  }

  FixedLoginShell login_;
};

TEST_F(LocalizeTest, DefaultTableGivesCharsetsByLanguageNumber) {
  EXPECT_EQ(ReadLanguageChoice(), kDefaultLanguageChoice);
  // No "lang": language 0.
  EXPECT_EQ(GetChartset(), 0);
  for (auto [lang, charset] : {std::pair{"4", 238},
                               {"5", 238},
                               {" 4.5", 238},
                               {"3.5", 238},
                               {"4abc", 238},
                               {"1", 0},
                               {"6", 0},
                               {"9", 0},
                               {"-1", 0},
                               {"x", 0}}) {
    SetLanguage(lang);
    EXPECT_EQ(GetChartset(), charset) << lang;
  }
  EXPECT_EQ(Localization().gLanguageTable.size(), 9u);
  EXPECT_EQ(Localization().gLanguageTable[4], (LanguageEntry{"hun", 5904, 238}));
  EXPECT_EQ(Localization().gLanguageTable[6], LanguageEntry());
  EXPECT_EQ(ErrorFile(), "");
}

TEST_F(LocalizeTest, TableIsReadOncePerProcess) {
  SetLanguageChoice("  0,us,5900,204  ");
  EXPECT_EQ(GetChartset(), 204);
  SetLanguageChoice("0,us,5900,238");
  EXPECT_EQ(GetChartset(), 204);
  SplitLanguageChoice("0,us,5900,161");
  EXPECT_EQ(GetChartset(), 204);
}

TEST_F(LocalizeTest, WrongEntriesReportedWithTheEntryUntrimmed) {
  SetLanguageChoice("0,us,5900,0; 1,fr");
  SetLanguage("1");
  EXPECT_EQ(GetChartset(), 0);
  EXPECT_EQ(ErrorFile(), Report("Wrong language string (incorrect param number): > 1,fr<"));

  ResetLocalizationForTesting();
  SetLanguageChoice("0,us,0,204");
  SetLanguage("0");
  EXPECT_EQ(GetChartset(), 204);  // reported, but kept
  ResetLocalizationForTesting();
  SetLanguageChoice("0,,5900,204");
  EXPECT_EQ(GetChartset(), 0);
  EXPECT_THAT(ErrorFile(),
              HasSubstr(Report("Wrong language string (ressource = null): >0,us,0,204<") +
                        Report("Wrong language string (no path): >0,,5900,204<")));
}

TEST_F(LocalizeTest, UnreadableEntriesReportedOnceAndSkipped) {
  // An empty entry, numbers that are no numbers, outside the table or
  // beyond 16 bits, a trailing ";".
  SplitLanguageChoice(
      "0,us,5900,0;;x,fr,1,0;-1,ger,1,0;40000,hun,1,0;2,sp,1,abc;3,it, 5909 , 161 ;"
      "1,fr,5901,70000;");
  const auto& table = Localization().gLanguageTable;
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[0], (LanguageEntry{"us", 5900, 0}));
  EXPECT_EQ(table[2], LanguageEntry());
  EXPECT_EQ(table[3], (LanguageEntry{"it", 5909, 161}));
  for (const char* lang : {"0", "1", "2", "99999"}) {
    SetLanguage(lang);
    EXPECT_EQ(GetChartset(), 0) << lang;
  }
  std::string errors = ErrorFile();
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 8) << errors;
  for (const char* failure :
       {"Err: Corvanta - localize.SplitLanguageChoice - Language table entry ><: the language "
        "number is not a number",
        ">x,fr,1,0<: the language number is not a number",
        ">-1,ger,1,0<: the language number is outside the table",
        ">40000,hun,1,0<: the language number is too large",
        ">2,sp,1,abc<: the character set is not a number",
        "localize.GetChartset - The character set 70000 of language 1 is too large",
        "localize.GetChartset - The language number >99999< is too large"})
    EXPECT_THAT(errors, HasSubstr(failure));
}

// A window shaped like the driver's: coded captions, plain texts, and
// controls without a font.
class SampleWindow final : public ui::WindowModel {
 public:
  explicit SampleWindow(ui::Desktop& desktop) : WindowModel(desktop, "frmSample") {}
  const ui::Control& control(std::string_view name) const { return *Find(name); }

 private:
  void CreateControls() override {
    set_caption("#07100#Outlook contacts folders selection");
    Add<ui::Label>("Label1").set_text("#07101#Contacts folders :");
    Add<ui::Button>("CmdOK").set_text("#01000#&OK");
    Add<ui::Label>("FolderLbl").set_text("Inbox #07101#");
    Add<ui::ListBox>("listFolder").set_tool_tip("#15000#Folder:");
    Add<ui::Label>("Unknown").set_text("#12345#Kept default");
    Add<ui::Label>("Bare").set_text("#54321#");
    Add<ui::Image>("ImgInfo");
    Add<ui::TimerControl>("Timer");
  }
};

TEST_F(LocalizeTest, LocalizeFormInFrenchWithFallbacks) {
  InstallShippedCatalogs();
  SetLanguage("1");
  SampleWindow window(Shared().services.desktop());
  window.Load();
  ASSERT_TRUE(TextResources().LocalizeForm(window).ok());
  EXPECT_EQ(window.caption(), "Sélection des dossiers de contacts Outlook");
  EXPECT_EQ(window.control("Label1").text(), "Dossiers de contacts :");
  EXPECT_EQ(window.control("CmdOK").text(), "&OK");
  EXPECT_EQ(window.control("FolderLbl").text(), "Inbox #07101#");
  EXPECT_EQ(window.control("listFolder").tool_tip(), "Dossier :");
  EXPECT_EQ(window.control("Unknown").text(), "Kept default");
  EXPECT_EQ(window.control("Bare").text(), "#54321#");
  window.Unload();
  EXPECT_EQ(TextResources().LocalizeForm(window).code(), Code::kInvalidArgument);
}

TEST_F(LocalizeTest, SetFormCharsetReachesEveryControlWithAFont) {
  Shared().gCharset = 238;
  SampleWindow window(Shared().services.desktop());
  window.Load();
  SetFormCharset(window);
  for (const auto& control : window.controls()) {
    bool has_font =
        control->kind() != ui::ControlKind::kImage && control->kind() != ui::ControlKind::kTimer;
    EXPECT_EQ(control->font_charset(), has_font ? 238 : 0) << control->name();
  }
  EXPECT_EQ(window.font_charset(), 0);
}

TEST_F(LocalizeTest, CatalogChosenByTheUsersLanguage) {
  InstallShippedCatalogs();
  EXPECT_EQ(TextResources().GetText("#21002#").value(), "Business");
  EXPECT_EQ(TextResources().Initialize(0), 0);
  SetLanguage("1");
  EXPECT_EQ(TextResources().GetText("#21002#").value(), "Business");  // chosen at creation
  ReleaseTextResources();
  EXPECT_EQ(TextResources().GetText("#21002#").value(), "Bureau");
  EXPECT_EQ(textres::Translator().Translate("#07088#Phone sets").value(), "Postes téléphoniques");
  SetLanguage("2");  // German: no catalog, English instead
  ReleaseTextResources();
  EXPECT_EQ(TextResources().GetText("#99999#").value(), "E-mail");
  EXPECT_EQ(textres::Translator().Translate("#07060#Employees").value(), "Employees");
}

TEST_F(LocalizeTest, MalformedCatalogReportedOnceThenEnglish) {
  InstallShippedCatalogs();
  WriteFile(app_path() + "/lang/fr.po", "msgid \"#21002#\"\nmsgstr \"Bureau\n");
  SetLanguage("1");
  textres::Translator translator;
  for (int i = 0; i < 2; ++i) {
    ReleaseTextResources();
    EXPECT_EQ(TextResources().GetText("#21002#").value(), "Business");
    EXPECT_EQ(translator.Translate("#07060#Employees").value(), "Employees");
  }
  std::string errors = ErrorFile();
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
  EXPECT_THAT(errors, HasSubstr("Err: Corvanta - TextResources.ReadCatalog " + app_path() +
                                "/lang/fr.po line 2: unterminated string"));
}

}  // namespace
}  // namespace olconn97
