#include "outside/pim/mail_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>

#include "base/strings.h"
#include "test_support.h"

namespace olconn97::pim {
namespace {

using ::olconn97::testing::ScopedEnv;
using shell::WallTime;

constexpr std::time_t kCallTime = 1796381405;  // 2026-12-04 10:50:05 UTC

WallTime At(std::time_t seconds) { return std::chrono::system_clock::from_time_t(seconds); }

std::string HeaderBlock(const std::string& mail) {
  return mail.substr(0, mail.find("\r\n\r\n") + 2);
}
std::string BodyBlock(const std::string& mail) { return mail.substr(mail.find("\r\n\r\n") + 4); }

// The physical lines of a CR LF text; fails the test on a bare CR or LF.
std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
    } else if (text[i] == '\n') {
      EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
      lines.push_back(text.substr(start, i - 1 - start));
      start = i + 1;
    }
  }
  return lines;
}

// The names of the header fields, in order.
std::vector<std::string> FieldNames(const std::string& mail) {
  std::vector<std::string> names;
  for (const std::string& line : CrLfLines(HeaderBlock(mail))) {
    if (!line.empty() && line[0] != ' ' && line[0] != '\t') {
      names.push_back(line.substr(0, line.find(':')));
    }
  }
  return names;
}

class MailFileTest : public ::testing::Test {
 protected:
  MailFileTest() : time_zone_(std::in_place, "TZ", "CET-1CEST,M3.5.0,M10.5.0/3") { tzset(); }
  ~MailFileTest() override {
    time_zone_.reset();
    tzset();
  }

  static MailMessage CallMail() {
    MailMessage message;
    message.from = "Popup <popup@example.org>";
    message.to = {"boss@example.org"};
    message.subject = "Call from Ann Smith";
    message.body =
        "Ann Smith called on 04/12/2026 at 11:50:05\n\rContact:  <Outlook://~Ann Smith> ";
    message.date = At(kCallTime);
    message.message_id = "20261204105005.1@example.org";
    return message;
  }

 private:
  std::optional<ScopedEnv> time_zone_;
};

TEST_F(MailFileTest, HeadersOfACallMail) {
  std::string mail = WriteMail(CallMail());
  EXPECT_EQ(HeaderBlock(mail),
            "Date: Fri, 04 Dec 2026 11:50:05 +0100\r\n"
            "From: Popup <popup@example.org>\r\n"
            "To: boss@example.org\r\n"
            "Subject: Call from Ann Smith\r\n"
            "Message-ID: <20261204105005.1@example.org>\r\n"
            "MIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=UTF-8\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n");
  Result<MailMessage> read = ReadMail(mail);
  ASSERT_TRUE(read.ok()) << read.status().ToString();
  MailMessage expected = CallMail();
  expected.body = "Ann Smith called on 04/12/2026 at 11:50:05\nContact:  <Outlook://~Ann Smith> ";
  EXPECT_EQ(read.value(), expected);

  // A sender that is no address is left to the mail program; no id, no field.
  MailMessage anonymous = CallMail();
  anonymous.from = "Popup";
  anonymous.message_id.clear();
  EXPECT_EQ(FieldNames(WriteMail(anonymous)),
            (std::vector<std::string>{"Date", "To", "Subject", "MIME-Version", "Content-Type",
                                      "Content-Transfer-Encoding"}));
}

TEST_F(MailFileTest, LineBreaksFromCallDataCannotAddHeaders) {
  MailMessage message = CallMail();
  message.subject = "x\r\nBcc: victim@example.org";
  message.to = {"boss@example.org\nBcc: other@example.org", "Ann\rCc: third@example.org",
                std::string("nul\0X-Evil: 1", 13)};
  message.from = "popup@example.org\n\rReply-To: spoof@example.org";
  message.message_id = "id@x\r\nBcc: fourth@example.org";
  std::string mail = WriteMail(message);
  EXPECT_EQ(FieldNames(mail),
            (std::vector<std::string>{"Date", "To", "Subject", "Message-ID", "MIME-Version",
                                      "Content-Type", "Content-Transfer-Encoding"}));
  Result<MailMessage> read = ReadMail(mail);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value().subject, "x Bcc: victim@example.org");
  EXPECT_EQ(read.value().to,
            (std::vector<std::string>{"boss@example.org Bcc: other@example.org",
                                      "Ann Cc: third@example.org", "nul X-Evil: 1"}));
  EXPECT_EQ(read.value().from, "");
}

TEST_F(MailFileTest, NonAsciiHeadersAreShortEncodedWords) {
  MailMessage message = CallMail();
  message.subject = "Anruf von Jürgen Müller-Lüdenscheidt über die Zentrale, Rückruf erbeten: " +
                    std::string(40, 'x') + " €€€€€€€€€€€€€€€€€€€€€€€€€€€€€€";
  message.to = {"Jürgen Müller <juergen@example.org>", "Zoë"};
  std::string mail = WriteMail(message);
  std::string headers = HeaderBlock(mail);
  for (const std::string& line : CrLfLines(headers)) EXPECT_LE(line.size(), 78u) << line;
  for (unsigned char c : headers) EXPECT_LT(c, 0x80);
  std::regex word("=\\?UTF-8\\?Q\\?([^?]*)\\?=");
  int words = 0;
  for (auto it = std::sregex_iterator(headers.begin(), headers.end(), word);
       it != std::sregex_iterator(); ++it, ++words) {
    EXPECT_LE(it->length(), 75);
    // A character is never split: the euros make up whole "=E2=82=AC" runs.
    std::string encoded = (*it)[1];
    if (encoded.starts_with("=E2=82=AC")) {
      EXPECT_EQ(encoded.size() % 9, 0u) << encoded;
    }
  }
  EXPECT_GE(words, 4);
  Result<MailMessage> read = ReadMail(mail);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value().subject, message.subject);
  EXPECT_EQ(read.value().to, message.to);
}

TEST_F(MailFileTest, RecipientsThatAreNotAddressesStayReadable) {
  MailMessage message = CallMail();
  message.to = {"Ann Smith",
                "  ",
                "0123 456",
                "Smith, Ann <ann@example.org>",
                "\"Bob\" <bob@example.org>",
                "=?not a word?="};
  std::string mail = WriteMail(message);
  EXPECT_NE(mail.find("To: Ann Smith :;, 0123 456 :;, \"Smith, Ann\" <ann@example.org>,"),
            std::string::npos)
      << mail;
  Result<MailMessage> read = ReadMail(mail);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value().to,
            (std::vector<std::string>{"Ann Smith", "0123 456", "Smith, Ann <ann@example.org>",
                                      "Bob <bob@example.org>", "=?not a word?="}));
}

TEST_F(MailFileTest, BodyIsQuotedPrintableAndRoundTrips) {
  MailMessage message = CallMail();
  message.body = std::string(200, 'a') + "\n.\nFrom the desk of Ann\ntrailing blank \n" +
                 "Grüße = " + std::string(80, '=') + "\n\n";
  std::string mail = WriteMail(message);
  std::vector<std::string> lines = CrLfLines(BodyBlock(mail));
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), 76u) << line;
    EXPECT_NE(line, ".");
    EXPECT_FALSE(line.starts_with("From ")) << line;
    EXPECT_FALSE(line.ends_with(" ")) << line;
    for (unsigned char c : line) EXPECT_LT(c, 0x80);
  }
  Result<MailMessage> read = ReadMail(mail);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value().body, message.body);

  message.body = "";
  EXPECT_EQ(ReadMail(WriteMail(message)).value().body, "");
}

TEST_F(MailFileTest, DateCarriesTheLocalOffset) {
  ScopedEnv zone("TZ", "<-0330>3:30");
  tzset();
  MailMessage message = CallMail();
  std::string mail = WriteMail(message);
  EXPECT_TRUE(mail.starts_with("Date: Fri, 04 Dec 2026 07:20:05 -0330\r\n")) << mail;
  EXPECT_EQ(ReadMail(mail).value().date, message.date);
}

TEST_F(MailFileTest, ReadsSimpleMessagesOfOtherTools) {
  Result<MailMessage> latin = ReadMail(
      "From nobody Fri Dec  4 10:50:05 2026\n"
      "Date: 4 Dec 26 10:50 GMT\n"
      "From: =?ISO-8859-1?Q?J=FCrgen?= <j@example.org>\n"
      "To: \"Smith, Ann\" <ann@example.org>,\n"
      "\tteam: bob@example.org, carol@example.org;\n"
      "Subject: =?iso-8859-1?q?R=FCckruf?=\n"
      " =?UTF-8?B?Yml0dGU=?= please\n"
      "Content-Type: text/plain; charset=\"iso-8859-1\"\n"
      "Content-Transfer-Encoding: 8bit\n"
      "\n"
      "Gr\xFC\xDF"
      "e\n");
  ASSERT_TRUE(latin.ok()) << latin.status().ToString();
  EXPECT_EQ(latin.value().date, At(kCallTime - 5));
  EXPECT_EQ(latin.value().from, "Jürgen <j@example.org>");
  EXPECT_EQ(latin.value().to, (std::vector<std::string>{"Smith, Ann <ann@example.org>",
                                                        "bob@example.org", "carol@example.org"}));
  EXPECT_EQ(latin.value().subject, "Rückrufbitte please");
  EXPECT_EQ(latin.value().body, "Grüße");

  Result<MailMessage> multipart = ReadMail(
      "Subject: parts\r\nContent-Type: multipart/alternative; boundary=\"b1\"\r\n\r\n"
      "preamble\r\n--b1\r\nContent-Type: text/html\r\n\r\n<p>html</p>\r\n"
      "--b1\r\nContent-Type: text/plain; charset=utf-8\r\n"
      "Content-Transfer-Encoding: base64\r\n\r\nVGV4dCBvbmUKVGV4dCB0d28=\r\n--b1--\r\n");
  ASSERT_TRUE(multipart.ok());
  EXPECT_EQ(multipart.value().body, "Text one\nText two");
  EXPECT_EQ(multipart.value().date, WallTime());

  Result<MailMessage> soft = ReadMail(
      "Subject: soft\nContent-Transfer-Encoding: quoted-printable\n\n"
      "long=\nline =3D done  \nnext=ZZ\n");
  ASSERT_TRUE(soft.ok());
  EXPECT_EQ(soft.value().body, "longline = done\nnext=ZZ");

  EXPECT_EQ(ReadMail("").status().code(), Code::kCorrupt);
  EXPECT_EQ(ReadMail("just some text\nwithout headers\n").status().code(), Code::kCorrupt);
}

}  // namespace
}  // namespace olconn97::pim
