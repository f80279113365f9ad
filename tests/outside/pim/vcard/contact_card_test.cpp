#include "outside/pim/vcard/contact_card.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "base/strings.h"

namespace olconn97::pim {
namespace {

ContactCard ParseOk(std::string_view bytes) {
  Result<ContactCard> card = ContactCard::Parse(bytes);
  EXPECT_TRUE(card.ok()) << card.status().ToString();
  return std::move(card).value();
}

std::string Get(const ContactCard& card, std::string_view name) {
  Result<std::string> value = card.GetProperty(name);
  return value.ok() ? value.value() : "<" + value.status().description() + ">";
}

void Set(ContactCard& card, std::string_view name, std::string_view value) {
  Status status = card.SetProperty(name, value);
  EXPECT_TRUE(status.ok()) << name << ": " << status.ToString();
}

ContactCard Reread(const ContactCard& card) { return ParseOk(card.Serialize()); }

TEST(ContactCardTest, NamesReadAndWriteAsOutlookDoes) {
  auto last_first = [](std::string_view n) {
    return Get(ParseOk("BEGIN:VCARD\nVERSION:3.0\n" + std::string(n) + "END:VCARD\n"),
               "LastNameAndFirstName");
  };
  EXPECT_EQ(last_first("N:Smith;Ann;;;\n"), "Smith, Ann");
  EXPECT_EQ(last_first("N:Smith;;;;\n"), "Smith");
  EXPECT_EQ(last_first("N:;Ann\n"), "Ann");
  EXPECT_EQ(last_first("N: Nikdo;Nikdovic \n"), "Nikdo, Nikdovic");
  EXPECT_EQ(last_first("FN:Ann Smith\n"), "");

  ContactCard card = ParseOk("BEGIN:VCARD\nVERSION:3.0\nN:Doe;John;Q.;Dr.;Jr.\nEND:VCARD\n");
  EXPECT_EQ(Get(card, "fullname"), "Dr. John Q. Doe Jr.");  // no FN: from N
  Set(card, "FirstName", "Jack");
  EXPECT_EQ(card.Serialize(),
            "BEGIN:VCARD\nVERSION:3.0\nN:Doe;Jack;Q.;Dr.;Jr.\nFN:Dr. Jack Q. Doe Jr.\nEND:VCARD\n");

  struct Case {
    std::string_view full, last, first;
  };
  for (const Case& c :
       {Case{"Smith, Ann", "Smith", "Ann"}, Case{" Ann  Marie Smith ", "Smith", "Ann Marie"},
        Case{"Cher", "", "Cher"}, Case{"", "", ""}}) {
    Set(card, "FullName", c.full);
    ContactCard back = Reread(card);
    EXPECT_EQ(Get(back, "FullName"), TrimBlanks(c.full));
    EXPECT_EQ(Get(back, "LastName"), c.last) << c.full;
    EXPECT_EQ(Get(back, "FirstName"), c.first) << c.full;
  }
  // FN keeps the style it had: a middle name it did not show stays out.
  ContactCard plain = ParseOk("BEGIN:VCARD\nN:Doe;John;Q.;;\nFN:John Doe\nEND:VCARD\n");
  Set(plain, "LastName", "Roe");
  EXPECT_EQ(Get(plain, "FullName"), "John Roe");
  // Setting the name it already has changes nothing, middle name included.
  ContactCard same = ParseOk("BEGIN:VCARD\nN:Doe;John;Q.;;\nFN:John Q. Doe\nEND:VCARD\n");
  Set(same, "FullName", "John Q. Doe");
  EXPECT_FALSE(same.changed());
  EXPECT_EQ(same.SetProperty("LastNameAndFirstName", "x").code(), Code::kAccessDenied);
}

TEST(ContactCardTest, OrganisationCategoriesAndBilling) {
  ContactCard card = ParseOk(
      "BEGIN:VCARD\nVERSION:3.0\nORG:Acme\\, Inc.;Sales;East\nCATEGORIES:A,B\\,C\n"
      "item1.CATEGORIES:D\nEND:VCARD\n");
  EXPECT_EQ(Get(card, "CompanyName"), "Acme, Inc.");
  EXPECT_EQ(Get(card, "Department"), "Sales");
  EXPECT_EQ(Get(card, "Categories"), "A, B,C, D");
  Set(card, "Department", "");
  Set(card, "Categories", "Employees, x ,");
  Set(card, "BillingInformation", "Acct; 7");
  EXPECT_EQ(card.Serialize(),
            "BEGIN:VCARD\nVERSION:3.0\nORG:Acme\\, Inc.;;East\nCATEGORIES:Employees,x\n"
            "X-OLCONN97-BILLING-INFORMATION:Acct\\; 7\nEND:VCARD\n");
  EXPECT_EQ(Get(Reread(card), "BillingInformation"), "Acct; 7");
  Set(card, "CompanyName", "");
  Set(card, "Categories", "");
  Set(card, "BillingInformation", "");
  EXPECT_EQ(card.Serialize(), "BEGIN:VCARD\nVERSION:3.0\nORG:;;East\nEND:VCARD\n");
}

TEST(ContactCardTest, UnchangedLinesKeepTheirBytesAndOtherCardsStay) {
  std::string head =
      "junk\r\nhome.begin:vcard\r\nversion:2.1\nitem1.tel;WORK;x-odd=\"a:b\":1\r\n"
      "NOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nb\r\nPHOTO;ENCODING=b:AAA\r\n BBB\r\n";
  std::string tail = "END:VCARD\r\nBEGIN:VCARD\nN:Other;Card\nEND:VCARD\n\n";
  ContactCard card = ParseOk(head + "ORG:Old\r\n" + tail);
  EXPECT_EQ(card.Serialize(), head + "ORG:Old\r\n" + tail);
  Set(card, "CompanyName", "Z\xC3\xBCrich");
  Set(card, "BusinessTelephoneNumber", "2");
  Set(card, "BillingInformation", "line 1\r\nline 2");
  // 2.1: the card's line end (of its BEGIN line), CHARSET for non-ASCII,
  // quoted-printable for line breaks.
  EXPECT_EQ(card.Serialize(),
            "junk\r\nhome.begin:vcard\r\nversion:2.1\nitem1.tel;WORK;x-odd=\"a:b\":2\r\n"
            "NOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nb\r\nPHOTO;ENCODING=b:AAA\r\n BBB\r\n"
            "ORG;CHARSET=UTF-8:Z\xC3\xBCrich\r\n"
            "X-OLCONN97-BILLING-INFORMATION;ENCODING=QUOTED-PRINTABLE:line 1=0D=0Aline =\r\n"
            "2\r\n" +
                tail);
  ContactCard back = Reread(card);
  EXPECT_EQ(Get(back, "BillingInformation"), "line 1\r\nline 2");
  EXPECT_EQ(Get(back, "CompanyName"), "Z\xC3\xBCrich");

  ContactCard copy = card;
  Set(copy, "CompanyName", "Copy");
  EXPECT_EQ(Get(card, "CompanyName"), "Z\xC3\xBCrich");
}

TEST(ContactCardTest, NewLinesStayOutOfBrokenNeighbours) {
  // A quoted-printable value cut short by END would run on into a line
  // added after it; a nested card never closed would take it in.
  ContactCard qp = ParseOk("BEGIN:VCARD\nVERSION:2.1\nNOTE;QUOTED-PRINTABLE:a=\nEND:VCARD\n");
  Set(qp, "MobileTelephoneNumber", "1");
  EXPECT_EQ(qp.Serialize(),
            "BEGIN:VCARD\nVERSION:2.1\nTEL;CELL:1\nNOTE;QUOTED-PRINTABLE:a=\nEND:VCARD\n");
  ContactCard nested = ParseOk("BEGIN:VCARD\nN:A;B\nAGENT:\nBEGIN:VCARD\nN:C;D");
  Set(nested, "MobileTelephoneNumber", "1");
  EXPECT_EQ(nested.Serialize(), "BEGIN:VCARD\nN:A;B\nAGENT:\nTEL;TYPE=CELL:1\nBEGIN:VCARD\nN:C;D");
  EXPECT_EQ(Get(Reread(nested), "MobileTelephoneNumber"), "1");
}

TEST(ContactCardTest, EmailSlotsKeepTheirPlace) {
  ContactCard card = ContactCard::NewCard("u");
  Set(card, "Email2Address", "two@example.org");
  EXPECT_EQ(Get(Reread(card), "Email1Address"), "");
  EXPECT_EQ(Get(Reread(card), "Email2Address"), "two@example.org");
  Set(card, "Email1Address", "one@example.org");
  Set(card, "Email3Address", "three@example.org");
  Set(card, "Email1Address", "");
  ContactCard back = Reread(card);
  EXPECT_EQ(Get(back, "Email1Address"), "");
  EXPECT_EQ(Get(back, "Email2Address"), "two@example.org");
  EXPECT_EQ(Get(back, "Email3Address"), "three@example.org");
  EXPECT_EQ(back.Email(4).status().code(), Code::kInvalidArgument);

  ContactCard extra = ParseOk(
      "BEGIN:VCARD\nEMAIL:a\nEMAIL;TYPE=WORK:b\nEMAIL:\nEMAIL:c\nEMAIL:d\n"
      "END:VCARD\n");
  EXPECT_EQ(Get(extra, "Email3Address"), "c");  // the empty line takes no slot
  Set(extra, "Email2Address", "");
  EXPECT_EQ(Get(Reread(extra), "Email3Address"), "c");
  EXPECT_EQ(Get(Reread(extra), "Email2Address"), "");
}

TEST(ContactCardTest, UserProperties) {
  ContactCard card = ParseOk("BEGIN:VCARD\r\nX-OLCONN-CategorieId;TYPE=3:2\r\nEND:VCARD\r\n");
  EXPECT_TRUE(card.SetUserProperty("EmployeeId", kUserPropertyNumber, "42").ok());
  EXPECT_TRUE(card.SetUserProperty("categorieid", kUserPropertyText, "x;y").ok());
  EXPECT_EQ(card.Serialize(),
            "BEGIN:VCARD\r\nX-OLCONN-CategorieId;TYPE=1:x\\;y\r\n"
            "X-OLCONN-EmployeeId;TYPE=3:42\r\nEND:VCARD\r\n");
  ContactCard back = Reread(card);
  EXPECT_EQ(back.FindUserProperty("EMPLOYEEID").value(),
            (UserProperty{"EmployeeId", kUserPropertyNumber, "42"}));
  EXPECT_EQ(back.UserProperties().value().size(), 2u);
  EXPECT_EQ(back.SetUserProperty("has space", 1, "v").code(), Code::kInvalidArgument);
  EXPECT_TRUE(back.RemoveUserProperty("employeeId").ok());
  EXPECT_TRUE(back.FindUserProperty("EmployeeId").status().IsNotFound());
}

TEST(ContactCardTest, GroupCardsAreDistributionLists) {
  for (std::string_view kind :
       {"KIND:group", "X-ADDRESSBOOKSERVER-KIND:group", "X-EVOLUTION-LIST:TRUE"}) {
    ContactCard card =
        ParseOk("BEGIN:VCARD\nVERSION:4.0\nFN:Team\n" + std::string(kind) + "\nEND:VCARD\n");
    EXPECT_TRUE(card.IsGroup()) << kind;
    EXPECT_EQ(card.GetProperty("FullName").status().code(), Code::kInvalidArgument);
    EXPECT_EQ(card.Phone(PhoneKind::kMobile).status().code(), Code::kInvalidArgument);
    EXPECT_EQ(card.SetProperty("Email1Address", "x").code(), Code::kInvalidArgument);
    EXPECT_EQ(Get(card, "DLName"), "Team");
  }
  ContactCard person = ContactCard::NewCard("u");
  EXPECT_FALSE(person.IsGroup());
  EXPECT_EQ(person.GetProperty("DLName").status().code(), Code::kInvalidArgument);
  EXPECT_TRUE(person.GetProperty("NoSuchProperty").status().IsNotFound());
}

TEST(ContactCardTest, NewCardsAreVCard30) {
  ContactCard card = ContactCard::NewCard("uid-1");
  EXPECT_TRUE(card.changed());
  EXPECT_EQ(card.Serialize(),
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:uid-1\r\nFN:\r\nN:;;;;\r\nEND:VCARD\r\n");
  Set(card, "FullName", "Ann Smith");
  Set(card, "BusinessTelephoneNumber", "+33 1 23");
  Set(card, "MobileTelephoneNumber", "06");
  EXPECT_EQ(card.Serialize(),
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:uid-1\r\nFN:Ann Smith\r\nN:Smith;Ann;;;\r\n"
            "TEL;TYPE=WORK,VOICE:+33 1 23\r\nTEL;TYPE=CELL:06\r\nEND:VCARD\r\n");
  EXPECT_EQ(card.Uid(), "uid-1");
  std::string a = ContactCard::NewCard().Uid(), b = ContactCard::NewCard().Uid();
  EXPECT_NE(a, b);
  EXPECT_TRUE(
      std::regex_match(a, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-"
                                     "[0-9a-f]{12}")))
      << a;

  EXPECT_EQ(ContactCard::Parse("").status().code(), Code::kCorrupt);
  EXPECT_EQ(ContactCard::Parse("N:x\nEND:VCARD\n").status().code(), Code::kCorrupt);
}

}  // namespace
}  // namespace olconn97::pim
