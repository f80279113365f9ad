#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "outside/pim/vcard/contact_card.h"

namespace olconn97::pim {
namespace {

using enum PhoneKind;

ContactCard ParseOk(std::string_view bytes) {
  Result<ContactCard> card = ContactCard::Parse(bytes);
  EXPECT_TRUE(card.ok()) << card.status().ToString();
  return std::move(card).value();
}

std::vector<std::string> AllPhones(const ContactCard& card) {
  std::vector<std::string> phones;
  for (PhoneKind kind : kAllPhoneKinds) phones.push_back(card.Phone(kind).value());
  return phones;
}

struct TypeCase {
  std::string_view lines;
  PhoneKind kind;
  std::string_view number = "1";
};

TEST(ContactCardPhonesTest, TypesAndLabelsReadAsKinds) {
  const TypeCase cases[] = {
      {"TEL;TYPE=WORK,VOICE:1", kBusiness},
      {"tel;work:1", kBusiness},
      {"TEL;TYPE=work;TYPE=fax:1", kBusinessFax},
      {"TEL;HOME;FAX:1", kHomeFax},
      {"TEL;FAX,WORK:1", kBusinessFax},
      {"TEL;TYPE=VOICE;MSG,WORK:1", kBusiness},
      {"TEL;TYPE=\"voice,home\";PREF=1:1", kHome},
      {"TEL;PREF=1:1", kPrimary},
      {"TEL;TYPE=PREF,VOICE:1", kPrimary},
      {"TEL;PREF;CELL:1", kMobile},
      {"TEL;TYPE=WORK,CELL:1", kMobile},
      {"TEL;TYPE=iPhone:1", kMobile},
      {"TEL;MOBILE:1", kMobile},
      {"TEL:1", kOther},
      {"TEL;TYPE=VOICE;TYPE=MSG:1", kOther},
      {"TEL;FAX:1", kOtherFax},
      {"TEL;TYPE=PAGER:1", kPager},
      {"TEL;CAR:1", kCar},
      {"TEL;TYPE=ISDN:1", kIsdn},
      {"TEL;TYPE=X-EVOLUTION-ASSISTANT:1", kAssistant},
      {"TEL;X-ASSISTANT:1", kAssistant},
      {"TEL;TYPE=X-CALLBACK:1", kCallback},
      {"TEL;TYPE=MAIN:1", kCompanyMain},
      {"TEL;TYPE=COMPANY-MAIN:1", kCompanyMain},
      {"TEL;TYPE=X-RADIO:1", kRadio},
      {"TEL;TYPE=X-TELEX:1", kTelex},
      {"TEL;TYPE=TEXTPHONE:1", kTtyTdd},
      {"TEL;TYPE=X-TTY-TDD:1", kTtyTdd},
      {"item1.TEL;type=pref:1\nitem1.X-ABLabel:_$!<Mobile>!$_", kMobile},
      {"item2.TEL:1\nITEM2.X-ABLabel:_$!<Main>!$_", kCompanyMain},
      {"item3.X-ABLabel:Assistant\nitem3.TEL:1", kAssistant},
      {"item4.TEL;TYPE=HOME:1\nitem4.X-ABLabel:_$!<HomeFAX>!$_", kHomeFax},
      {"item5.TEL;TYPE=HOME:1\nitem5.X-ABLabel:Summer house", kHome},
      {"TEL;VALUE=uri;TYPE=\"work,voice\":tel:+1-418-656-9254;ext=102", kBusiness,
       "+1-418-656-9254 ext. 102"},
      {"TEL;TYPE=HOME:sip:ann@example.org", kHome, "sip:ann@example.org"},
      {"TEL;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE;CELL:=2B33=20=C2=B7", kMobile, "+33 \xC2\xB7"},
  };
  for (const TypeCase& c : cases) {
    ContactCard card =
        ParseOk("BEGIN:VCARD\nVERSION:4.0\n" + std::string(c.lines) + "\nEND:VCARD\n");
    std::vector<std::string> expected(kPhoneKindCount);
    expected[static_cast<size_t>(c.kind)] = c.number;
    EXPECT_EQ(AllPhones(card), expected) << c.lines;
  }
}

TEST(ContactCardPhonesTest, SecondSlotsAndExtraNumbers) {
  ContactCard card = ParseOk(
      "BEGIN:VCARD\nVERSION:2.1\nTEL;WORK:w1\nTEL;HOME:h1\nTEL;WORK;VOICE:w2\nTEL;CELL:m1\n"
      "TEL;WORK:w3\nTEL;HOME:h2\nTEL;CELL:m2\nTEL;WORK:\nEND:VCARD\n");
  EXPECT_EQ(card.Phone(kBusiness).value(), "w1");
  EXPECT_EQ(card.Phone(kBusiness2).value(), "w2");
  EXPECT_EQ(card.Phone(kHome2).value(), "h2");
  EXPECT_EQ(card.ExtraPhoneNumbers().value(), (std::vector<std::string>{"w3", "m2"}));
  // Clearing a slot neither promotes an extra number nor moves the second.
  ASSERT_TRUE(card.SetPhone(kBusiness, "").ok());
  ASSERT_TRUE(card.SetPhone(kMobile, "").ok());
  ContactCard back = ParseOk(card.Serialize());
  EXPECT_EQ(back.Phone(kBusiness).value(), "");
  EXPECT_EQ(back.Phone(kBusiness2).value(), "w2");
  EXPECT_EQ(back.Phone(kMobile).value(), "");
  EXPECT_EQ(back.ExtraPhoneNumbers().value(), (std::vector<std::string>{"w3", "m2"}));
  EXPECT_EQ(back.Serialize(),
            "BEGIN:VCARD\nVERSION:2.1\nTEL;HOME:h1\nTEL;WORK;VOICE;X-OLCONN97-SLOT=Business2:w2\n"
            "TEL;WORK:w3\nTEL;HOME:h2\nTEL;CELL:m2\nTEL;WORK:\n"
            "X-OLCONN97-EMPTY-SLOTS:Business,Mobile\nEND:VCARD\n");
  // Setting the slot again takes it off the list; the extra stays extra.
  ASSERT_TRUE(back.SetPhone(kBusiness, "w0").ok());
  ContactCard again = ParseOk(back.Serialize());
  EXPECT_EQ(again.Phone(kBusiness).value(), "w0");
  EXPECT_EQ(again.Phone(kMobile).value(), "");
  EXPECT_EQ(again.ExtraPhoneNumbers().value(), (std::vector<std::string>{"w3", "m2"}));
  EXPECT_NE(again.Serialize().find("X-OLCONN97-EMPTY-SLOTS:Mobile\n"), std::string::npos);
}

TEST(ContactCardPhonesTest, UriNumbersStayUrisWhenTheyCan) {
  ContactCard card = ParseOk(
      "BEGIN:VCARD\nVERSION:4.0\nTEL;VALUE=uri;TYPE=cell:tel:+1-555\n"
      "TEL;VALUE=uri;TYPE=home:tel:+1-666\nEND:VCARD\n");
  ASSERT_TRUE(card.SetPhone(kMobile, "+1-555-0100").ok());
  ASSERT_TRUE(card.SetPhone(kHome, "+1 666 ext. 2").ok());
  ASSERT_TRUE(card.SetPhone(kPrimary, "+1 777").ok());
  EXPECT_EQ(card.Serialize(),
            "BEGIN:VCARD\nVERSION:4.0\nTEL;VALUE=uri;TYPE=cell:tel:+1-555-0100\n"
            "TEL;TYPE=home:+1 666 ext. 2\nTEL;PREF=1:+1 777\nEND:VCARD\n");
}

// Sets the kinds in `kinds` on a card of each version, reads the written
// file back, then clears every other one of them and reads it back again.
void ExpectRoundTrip(const std::vector<PhoneKind>& kinds, std::string_view base) {
  ContactCard card = ParseOk(base);
  std::vector<std::string> expected = AllPhones(card);
  for (PhoneKind kind : kinds) {
    std::string number = "+1 555 01" + std::to_string(static_cast<int>(kind));
    ASSERT_TRUE(card.SetPhone(kind, number).ok());
    expected[static_cast<size_t>(kind)] = number;
  }
  ContactCard back = ParseOk(card.Serialize());
  ASSERT_EQ(AllPhones(back), expected) << base;
  for (size_t i = 0; i < kinds.size(); i += 2) {
    ASSERT_TRUE(back.SetPhone(kinds[i], "").ok());
    expected[static_cast<size_t>(kinds[i])].clear();
  }
  ASSERT_EQ(AllPhones(ParseOk(back.Serialize())), expected) << back.Serialize();
}

TEST(ContactCardPhonesTest, EveryKindSurvivesWriteAndRead) {
  std::vector<std::vector<PhoneKind>> subsets;
  std::vector<PhoneKind> all(kAllPhoneKinds.begin(), kAllPhoneKinds.end());
  subsets.push_back(all);
  subsets.emplace_back(all.rbegin(), all.rend());
  for (PhoneKind a : all) {
    for (PhoneKind b : all) subsets.push_back({a, b});  // singles (a == b) and pairs, both orders
  }
  subsets.push_back({kBusiness2, kHome2});
  subsets.push_back({kBusiness2, kBusiness, kHome2, kHome});
  std::mt19937 random(97);  // fixed seed: the same subsets every run
  for (int i = 0; i < 200; ++i) {
    std::vector<PhoneKind> subset = all;
    std::shuffle(subset.begin(), subset.end(), random);
    subset.resize(random() % kPhoneKindCount);
    subsets.push_back(subset);
  }
  // Bases: empty cards of each version, and one whose existing numbers
  // (positional work and home lines, an Apple label) must stay in place.
  const std::string bases[] = {
      "BEGIN:VCARD\r\nVERSION:2.1\r\nEND:VCARD\r\n",
      "BEGIN:VCARD\nVERSION:3.0\nEND:VCARD\n",
      "BEGIN:VCARD\nVERSION:4.0\nEND:VCARD\n",
      "BEGIN:VCARD\nVERSION:3.0\nTEL;TYPE=WORK:w\nTEL;TYPE=WORK:w2\nTEL;TYPE=HOME:h\n"
      "item1.TEL:a\nitem1.X-ABLabel:Assistant\nEND:VCARD\n",
  };
  for (const std::string& base : bases) {
    for (const std::vector<PhoneKind>& subset : subsets) {
      ExpectRoundTrip(subset, base);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace olconn97::pim
