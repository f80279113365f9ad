// Golden files: each card under tests/data/vcard/NAME.vcf has the fields we
// read from it (NAME.fields.txt) and the file we write after a fixed set of
// changes (NAME.changed.vcf). OLCONN97_UPDATE_GOLDEN=1 rewrites them; review
// the difference before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "outside/pim/vcard/contact_card.h"

namespace olconn97::pim {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// One line per value: line breaks shown as \r and \n.
std::string Shown(std::string_view value) {
  std::string shown;
  for (char c : value) {
    if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else {
      shown += c;
    }
  }
  return shown;
}

std::string DumpFields(const ContactCard& card) {
  std::string dump = "UID: " + Shown(card.Uid()) + "\n";
  if (card.IsGroup())
    return dump + "IsGroup: true\nDLName: " + card.GetProperty("DLName").value() + "\n";
  std::vector<std::string> names = {
      "FirstName",     "LastName",      "FullName",     "LastNameAndFirstName",
      "CompanyName",   "Department",    "Categories",   "BillingInformation",
      "Email1Address", "Email2Address", "Email3Address"};
  for (PhoneKind kind : kAllPhoneKinds) names.emplace_back(PhonePropertyName(kind));
  for (const std::string& name : names) {
    std::string value = card.GetProperty(name).value();
    if (!value.empty()) dump += name + ": " + Shown(value) + "\n";
  }
  std::vector<std::string> extras = card.ExtraPhoneNumbers().value();
  for (const std::string& extra : extras) dump += "ExtraPhoneNumber: " + Shown(extra) + "\n";
  std::vector<UserProperty> properties = card.UserProperties().value();
  for (const UserProperty& property : properties) {
    dump += "UserProperty " + property.name + " (" + std::to_string(property.type) +
            "): " + Shown(property.value) + "\n";
  }
  return dump;
}

struct Change {
  std::string_view property, value;
};

// The same changes for every card: a name, a number rewritten in place, one
// removed, one added, an e-mail slot, department, categories, billing
// information and a user property.
constexpr Change kChanges[] = {
    {"FirstName", "Zo\xC3\xAB"},
    {"MobileTelephoneNumber", "+1 555 0100"},
    {"BusinessTelephoneNumber", ""},
    {"Business2TelephoneNumber", "+1 555 0102"},
    {"Email2Address", "second@example.org"},
    {"Department", "Sales"},
    {"Categories", "Employees"},
    {"BillingInformation", "Acct 7"},
};

void ApplyChanges(ContactCard& card) {
  if (card.IsGroup()) {
    ASSERT_TRUE(card.SetProperty("DLName", "Team 2").ok());
    return;
  }
  for (const Change& change : kChanges) {
    ASSERT_TRUE(card.SetProperty(change.property, change.value).ok()) << change.property;
  }
  ASSERT_TRUE(card.SetUserProperty("EmployeeId", kUserPropertyNumber, "42").ok());
}

void ExpectGolden(const fs::path& path, const std::string& actual) {
  if (std::getenv("OLCONN97_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  ASSERT_TRUE(fs::exists(path)) << path << " is missing; run with OLCONN97_UPDATE_GOLDEN=1";
  EXPECT_EQ(actual, ReadBytes(path)) << path;
}

TEST(VCardGoldenTest, CardsReadAndRewriteAsRecorded) {
  fs::path dir = fs::path(OLCONN97_TEST_DATA_DIR) / "vcard";
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    if (name.ends_with(".vcf") && !name.ends_with(".changed.vcf")) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  ASSERT_GE(inputs.size(), 7u);
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.filename().string());
    std::string bytes = ReadBytes(input);
    ContactCard card = ContactCard::Parse(bytes).value();
    EXPECT_EQ(card.Serialize(), bytes);
    fs::path stem = input.parent_path() / input.stem();
    ExpectGolden(stem.string() + ".fields.txt", DumpFields(card));
    ApplyChanges(card);
    std::string changed = card.Serialize();
    ExpectGolden(stem.string() + ".changed.vcf", changed);
    // What was written reads back as what was set.
    ContactCard back = ContactCard::Parse(changed).value();
    if (back.IsGroup()) continue;
    for (const Change& change : kChanges) {
      EXPECT_EQ(back.GetProperty(change.property).value(), change.value) << change.property;
    }
  }
}

}  // namespace
}  // namespace olconn97::pim
