#include "outside/textres/text_resources.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

namespace olconn97::textres {
namespace {

using ::olconn97::testing::TempDir;
using ::olconn97::testing::WriteFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Catalogs in a temporary folder, and the reports they cause.
class TextResourcesTest : public ::testing::Test {
 protected:
  TextResourcesTest() {
    WriteFile(temp_.Child("us.po"),
              "msgid \"#21002#\"\nmsgstr \"Business\"\n"
              "msgid \"#21008#\"\nmsgstr \"Home\"\n");
    WriteFile(temp_.Child("fr.po"), "msgid \"#21002#\"\nmsgstr \"Bureau\"\n");
  }
  TextSource Source(std::string language) {
    return TextSource{temp_.path(), std::move(language), cache_};
  }

  TempDir temp_;
  std::vector<std::string> reports_;
  std::shared_ptr<CatalogCache> cache_ =
      std::make_shared<CatalogCache>([this](const std::string& path, const Status& failure) {
        reports_.push_back(path + ": " + failure.description());
      });
};

TEST_F(TextResourcesTest, FallsBackToEnglishThenTheDefaultThenTheCode) {
  TextResources french(Source("FR"));
  EXPECT_EQ(french.GetText("#21002#").value(), "Bureau");
  EXPECT_EQ(french.GetText("#21008#").value(), "Home");
  EXPECT_EQ(french.GetText("#21009#").value(), "#21009#");
  EXPECT_EQ(french.GetText("#21009#Home 2").value(), "Home 2");
  Translator translator(Source("fr"));
  EXPECT_EQ(translator.Translate("#21002#Business").value(), "Bureau");
  EXPECT_EQ(translator.Translate("#07060#Employees").value(), "Employees");
  EXPECT_EQ(translator.Translate("#07060#").value(), "#07060#");
  for (const char* not_a_code : {"", "Employees", "#0706#x", "#07a60#", "07060#", "#070600"}) {
    EXPECT_EQ(french.GetText(not_a_code).status().code(), Code::kInvalidArgument) << not_a_code;
    EXPECT_EQ(translator.Translate(not_a_code).status().code(), Code::kInvalidArgument);
  }
  // A language without catalog, or a path that names no catalog file.
  for (const char* language : {"ger", "", "../fr", "f r"})
    EXPECT_EQ(TextResources(Source(language)).GetText("#21002#").value(), "Business") << language;
  EXPECT_THAT(reports_, ElementsAre());
}

TEST_F(TextResourcesTest, EachCatalogReadOnceWhateverItHolds) {
  WriteFile(temp_.Child("hun.po"), "msgid \"#21002#\"\n");
  ASSERT_EQ(mkdir(temp_.Child("sp.po").c_str(), 0755), 0);  // a folder, not a file
  for (int i = 0; i < 2; ++i) {
    for (const char* language : {"hun", "ger", "sp"})
      EXPECT_EQ(TextResources(Source(language)).GetText("#21008#").value(), "Home");
  }
  EXPECT_EQ(cache_->reads_for_testing(), 4);
  ASSERT_EQ(reports_.size(), 2u);
  EXPECT_EQ(reports_[0], temp_.Child("hun.po") + ": line 1: the catalog ends inside an entry");
  EXPECT_THAT(reports_[1], HasSubstr(temp_.Child("sp.po")));
  // A changed file is not read again in this process.
  EXPECT_EQ(TextResources(Source("fr")).GetText("#21002#").value(), "Bureau");
  WriteFile(temp_.Child("fr.po"), "msgid \"#21002#\"\nmsgstr \"Travail\"\n");
  EXPECT_EQ(TextResources(Source("fr")).GetText("#21002#").value(), "Bureau");
}

TEST_F(TextResourcesTest, InitializeTellsWhetherAnyCatalogIsThere) {
  EXPECT_EQ(TextResources(Source("ger")).Initialize(0), 0);
  TempDir empty;
  EXPECT_EQ(TextResources(TextSource{empty.path(), "fr", cache_}).Initialize(0), -1);
}

}  // namespace
}  // namespace olconn97::textres
