// The catalogs the driver ships: complete, well-formed, and in step with
// the default texts the driver's windows carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "outside/textres/po_catalog.h"
#include "outside/textres/text_resources.h"
#include "test_support.h"

namespace olconn97::textres {
namespace {

const std::string kCatalogDir = std::string(OLCONN97_TEST_DATA_DIR) + "/../../data/lang";

// Every message code the driver uses, as ranges of numbers.
std::vector<std::string> DriverCodes() {
  struct Range {
    int first, last;
  };
  std::vector<std::string> codes;
  for (Range range : {Range{1000, 1008},
                      {5000, 5003},
                      {5100, 5100},
                      {5200, 5207},
                      {5300, 5300},
                      {5400, 5402},
                      {7060, 7060},
                      {7088, 7088},
                      {7100, 7111},
                      {7200, 7201},
                      {15000, 15001},
                      {20012, 20013},
                      {21000, 21018},
                      {99999, 99999}}) {
    for (int number = range.first; number <= range.last; ++number) {
      char code[8];
      std::snprintf(code, sizeof code, "#%05d#", number);
      codes.push_back(code);
    }
  }
  return codes;
}

Catalog Load(const std::string& language) {
  std::string path = kCatalogDir + "/" + language + ".po";
  Result<Catalog> catalog = ParsePo(testing::ReadFile(path));
  EXPECT_TRUE(catalog.ok()) << path << ": " << catalog.status().description();
  return catalog.ok() ? std::move(catalog).value() : Catalog();
}

TEST(CatalogFilesTest, EnglishAndFrenchHoldEveryCodeAndNothingElse) {
  std::vector<std::string> codes = DriverCodes();
  ASSERT_EQ(codes.size(), 66u);
  for (const char* language : {"us", "fr"}) {
    Catalog catalog = Load(language);
    EXPECT_EQ(catalog.size(), codes.size()) << language;
    for (const std::string& code : codes) {
      const std::string* text = catalog.Find(code);
      EXPECT_TRUE(text != nullptr && !text->empty()) << language << " lacks " << code;
    }
  }
}

TEST(CatalogFilesTest, TranslationsKeepOneAccessKeyWhereEnglishHasOne) {
  Catalog english = Load("us");
  Catalog french = Load("fr");
  for (const std::string& code : DriverCodes()) {
    const std::string* us = english.Find(code);
    const std::string* fr = french.Find(code);
    if (us == nullptr || fr == nullptr) continue;  // reported by the test above
    EXPECT_EQ(std::count(us->begin(), us->end(), '&'), std::count(fr->begin(), fr->end(), '&'))
        << code << ": " << *us << " / " << *fr;
  }
}

TEST(CatalogFilesTest, EnglishMatchesTheDefaultTextsOfTheDriver) {
  Catalog english = Load("us");
  for (std::string_view coded : {
           "#01000#&OK",
           "#01001#&Cancel",
           "#01008#&Select",
           "#07060#Employees",
           "#07088#Phone sets",
           "#07100#Outlook contacts folders selection",
           "#07101#Contacts folders :",
           "#07102#If the selection is modified, the database must be reinitialized.",
           "#07103#The selection has changed because of contacts files added or removed in "
           "Outlook.",
           "#07110#A folder with this name already exists. Please use another name.",
           "#07111#Reinitialize (Close and restart application)",
           "#07200#Outlook configuration",
           "#07201#Select contacts &folders",
           "#15000#Folder:",
           "#15001#Contact:",
           "#20012#&Synchronize",
           "#20013#&Reinitialize",
       }) {
    std::optional<MessageCode> code = SplitMessageCode(coded);
    ASSERT_TRUE(code.has_value()) << coded;
    const std::string* text = english.Find(code->code);
    EXPECT_EQ(text == nullptr ? "" : *text, code->default_text) << code->code;
  }
}

}  // namespace
}  // namespace olconn97::textres
