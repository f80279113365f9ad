// Real cards from many programs, and hostile or huge ones made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "outside/pim/vcard/contact_card.h"
#include "outside/pim/vcard/vcard_values.h"

namespace olconn97::pim {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> PropertyNames() {
  std::vector<std::string> names = {
      "FirstName",     "LastName",      "FullName",     "LastNameAndFirstName",
      "CompanyName",   "Department",    "Categories",   "BillingInformation",
      "Email1Address", "Email2Address", "Email3Address"};
  for (PhoneKind kind : kAllPhoneKinds) names.emplace_back(PhonePropertyName(kind));
  return names;
}

std::vector<std::string> ReadAll(const ContactCard& card) {
  std::vector<std::string> values;
  for (const std::string& name : PropertyNames()) {
    Result<std::string> value = card.GetProperty(name);
    values.push_back(value.ok() ? value.value() : "<failed>");
  }
  return values;
}

// Every readable file is written back unchanged when nothing changed, its
// values are valid UTF-8, and a change touches only what it changes.
TEST(VCardCorpusTest, RealCardsReadAndWriteBackLosslessly) {
  fs::path root = fs::path(OLCONN97_SHARED_TESTDATA_DIR) / "vcards";
  if (!fs::is_directory(root)) GTEST_SKIP() << "no shared vCard corpus at " << root;
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  size_t readable = 0;
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.string());
    std::string bytes = ReadBytes(path);
    Result<ContactCard> parsed = ContactCard::Parse(bytes);
    if (!parsed.ok()) {
      EXPECT_FALSE(parsed.status().description().empty());
      continue;
    }
    ++readable;
    ContactCard card = std::move(parsed).value();
    EXPECT_EQ(card.Serialize(), bytes);
    std::vector<std::string> before = ReadAll(card);
    for (const std::string& value : before) EXPECT_EQ(ToValidUtf8(value), value);
    if (card.IsGroup()) continue;
    ASSERT_TRUE(card.SetProperty("MobileTelephoneNumber", "+1 555 0199").ok());
    ASSERT_TRUE(card.SetProperty("Department", "Dept").ok());
    std::vector<std::string> after = ReadAll(ContactCard::Parse(card.Serialize()).value());
    before[5] = "Dept";
    before[11 + static_cast<size_t>(PhoneKind::kMobile)] = "+1 555 0199";
    EXPECT_EQ(after, before);
  }
  EXPECT_GT(readable, files.size() / 2);
}

TEST(VCardCorpusTest, HugeCardsStayLinearAndKeepEveryNumber) {
  // 50 MB: a folded photo of the kind phones attach.
  std::string photo_line(76, 'Q');
  std::string big = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Big\r\nTEL;TYPE=CELL:1\r\nPHOTO;ENCODING=b:";
  while (big.size() < (50u << 20)) big += photo_line + "\r\n ";
  big += "Q\r\nEND:VCARD\r\n";
  ContactCard card = ContactCard::Parse(big).value();
  EXPECT_EQ(card.Phone(PhoneKind::kMobile).value(), "1");
  ASSERT_TRUE(card.SetPhone(PhoneKind::kMobile, "2").ok());
  EXPECT_EQ(card.Serialize().size(), big.size());

  // 100,000 numbers: 19 slots, the rest extra, listed up to the cap.
  std::string many = "BEGIN:VCARD\nVERSION:3.0\nFN:Many\n";
  for (int i = 0; i < 100'000; ++i) many += "TEL;TYPE=CELL:" + std::to_string(i) + "\n";
  many += "END:VCARD\n";
  ContactCard numbers = ContactCard::Parse(many).value();
  EXPECT_EQ(numbers.Phone(PhoneKind::kMobile).value(), "0");
  std::vector<std::string> extras = numbers.ExtraPhoneNumbers().value();
  ASSERT_EQ(extras.size(), kMaxListedExtraPhoneNumbers);
  EXPECT_EQ(extras.front(), "1");
  ASSERT_TRUE(numbers.SetPhone(PhoneKind::kMobile, "").ok());
  ContactCard back = ContactCard::Parse(numbers.Serialize()).value();
  EXPECT_EQ(back.Phone(PhoneKind::kMobile).value(), "");
  EXPECT_EQ(back.ExtraPhoneNumbers().value(), extras);
}

TEST(VCardCorpusTest, NulAndInvalidUtf8) {
  static constexpr char kCard[] =
      "BEGIN:VCARD\nVERSION:2.1\nN:D\0e\xFF;J\xC3\nFN;CHARSET=UTF-8:\xE2\x82\n"
      "TEL;WORK:0\0 1\nX-\0:\0\nEND:VCARD\n";
  std::string bytes(kCard, sizeof(kCard) - 1);
  ContactCard card = ContactCard::Parse(bytes).value();
  EXPECT_EQ(card.Serialize(), bytes);
  const std::string r = "\xEF\xBF\xBD";
  EXPECT_EQ(card.GetProperty("LastNameAndFirstName").value(), "D" + r + "e" + r + ", J" + r);
  EXPECT_EQ(card.GetProperty("FullName").value(), r + r);
  EXPECT_EQ(card.Phone(PhoneKind::kBusiness).value(), "0" + r + " 1");
  ASSERT_TRUE(card.SetProperty("FirstName", "Jo").ok());
  EXPECT_EQ(ContactCard::Parse(card.Serialize()).value().GetProperty("FullName").value(),
            "Jo D" + r + "e" + r);
}

}  // namespace
}  // namespace olconn97::pim
