#include "outside/pim/vcard/vcard_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outside/pim/vcard/vcard_lines.h"
#include "outside/pim/vcard/vcard_writer.h"

namespace olconn97::pim {
namespace {

bool IsValidUtf8(std::string_view s) { return ToValidUtf8(s) == s; }

TEST(VCardValuesTest, QuotedPrintableAndCharsets) {
  EXPECT_EQ(DecodeVCardQuotedPrintable("Br=C3=BCning=0D=0A=ZZ=4"), "Br\xC3\xBCning\r\n=ZZ=4");
  std::string bytes = "a=b \t\x01\xFF end ";
  EXPECT_EQ(EncodeVCardQuotedPrintable(bytes), "a=3Db \t=01=FF end=20");
  EXPECT_EQ(DecodeVCardQuotedPrintable(EncodeVCardQuotedPrintable(bytes)), bytes);

  EXPECT_EQ(DecodeValue(";CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE", "G=F6rlitz").text,
            "G\xC3\xB6rlitz");
  // Shift_JIS "ソ" is 83 5C: its trail byte is a backslash only before
  // conversion, so escapes are read after it.
  DecodedValue sjis = DecodeValue(";CHARSET=SHIFT_JIS", "\x83\x5C\\;");
  EXPECT_EQ(UnescapeText(sjis.text, VCardVersion::k21), "\xE3\x82\xBD;");
  DecodedValue unknown = DecodeValue(";CHARSET=X-NO-SUCH-SET", "ok\xFF");
  EXPECT_TRUE(unknown.unknown_charset);
  EXPECT_EQ(unknown.text, "ok\xEF\xBF\xBD");
  EXPECT_TRUE(DecodeValue(";CHARSET=\"UTF-8//TRANSLIT\"", "x").unknown_charset);
  // Bytes the charset cannot read are replaced, the rest converted.
  EXPECT_EQ(DecodeValue(";CHARSET=UTF-16LE", std::string_view("A\0B", 3)).text, "A\xEF\xBF\xBD");
}

TEST(VCardValuesTest, InvalidUtf8AndNulBecomeReplacementCharacters) {
  const std::string r = "\xEF\xBF\xBD";
  EXPECT_EQ(ToValidUtf8(std::string_view("a\0b", 3)), "a" + r + "b");
  EXPECT_EQ(ToValidUtf8("\xC0\xAF"), r + r);                  // overlong
  EXPECT_EQ(ToValidUtf8("\xED\xA0\x80"), r + r + r);          // surrogate
  EXPECT_EQ(ToValidUtf8("\xE2\x82"), r + r);                  // cut short
  EXPECT_EQ(ToValidUtf8("\xF4\x90\x80\x80"), r + r + r + r);  // beyond U+10FFFF
  EXPECT_EQ(ToValidUtf8("\xF0\x9F\x98\x80 \xC3\xA9"), "\xF0\x9F\x98\x80 \xC3\xA9");
}

TEST(VCardValuesTest, EscapesDependOnTheVersion) {
  EXPECT_EQ(UnescapeText("a\\,b\\;c\\nd\\Ne\\\\f\\Mg\\:h\\", VCardVersion::k30),
            "a,b;c\nd\ne\\f\\Mg:h\\");
  EXPECT_EQ(UnescapeText("a\\,b\\;c", VCardVersion::k21), "a\\,b;c");
  EXPECT_EQ(SplitStructured("Doe\\;Jr;John;;", ';', VCardVersion::k30),
            (std::vector<std::string>{"Doe;Jr", "John", "", ""}));
  EXPECT_EQ(SplitStructured("a\\,b,c", ',', VCardVersion::k21),
            (std::vector<std::string>{"a\\", "b", "c"}));
  EXPECT_EQ(EscapeText("a,b;c\\d\r\ne\nf", VCardVersion::k40), "a\\,b\\;c\\\\d\\ne\\nf");
  EXPECT_EQ(EscapeText("a,b;c\ne", VCardVersion::k21), "a,b\\;c\ne");
  for (VCardVersion v : {VCardVersion::k21, VCardVersion::k30}) {
    std::string text = "x;y,z\\w";
    EXPECT_EQ(UnescapeText(EscapeText(text, v), v), text);
  }
}

// Written lines: what a reader unfolds is the logical text we meant, every
// physical line is at most 75 octets and valid UTF-8 on its own.
TEST(VCardValuesTest, WrittenLinesFoldAndReadBack) {
  std::string long_text = "NOTE:";
  for (int i = 0; i < 60; ++i) long_text += (i % 3 == 0) ? "\xE2\x82\xAC" : "ab ";
  std::vector<WrittenLine> written = {
      ComposeLine("NOTE", long_text.substr(5), VCardVersion::k30, "\r\n"),
      ComposeLine("NOTE", std::string(200, ' ') + "=\r\nx \xC3\xA9", VCardVersion::k21, "\n"),
      ComposeRawLine("X;ENCODING=QUOTED-PRINTABLE;X-OLCONN97-SLOT=Extra:" + std::string(90, 'q'),
                     "\r")};
  EXPECT_NE(written[1].text.find(";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:"), std::string::npos);
  for (const WrittenLine& line : written) {
    std::string card = "BEGIN:VCARD\n" + line.raw + "END:VCARD\n";
    VCardFile file = VCardFile::Parse(card).value();
    ASSERT_EQ(file.lines().size(), 3u) << line.raw;
    EXPECT_EQ(file.lines()[1].text, line.text);
    size_t start = 0;
    while (start < line.raw.size()) {
      size_t end = line.raw.find_first_of("\r\n", start);
      std::string_view physical = std::string_view(line.raw).substr(start, end - start);
      EXPECT_LE(physical.size(), kFoldOctets) << physical;
      EXPECT_TRUE(IsValidUtf8(physical)) << physical;
      start = line.raw.find_first_not_of("\r\n", end);
    }
  }
  DecodedValue qp =
      DecodeValue(";ENCODING=QUOTED-PRINTABLE",
                  VCardFile::Parse("BEGIN:VCARD\n" + written[1].raw).value().lines()[1].value());
  EXPECT_EQ(qp.text, std::string(200, ' ') + "=\r\nx \xC3\xA9");
}

}  // namespace
}  // namespace olconn97::pim
