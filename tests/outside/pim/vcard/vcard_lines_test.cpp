#include "outside/pim/vcard/vcard_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace olconn97::pim {
namespace {

VCardFile ParseOk(std::string_view bytes, size_t max_cards = VCardFile::kAllCards) {
  Result<VCardFile> file = VCardFile::Parse(bytes, max_cards);
  EXPECT_TRUE(file.ok()) << file.status().ToString();
  return std::move(file).value();
}

std::string Rejoin(const VCardFile& file) {
  std::string all;
  for (const ContentLine& line : file.lines()) all.append(line.raw);
  return all.append(file.tail());
}

TEST(VCardLinesTest, EveryLineEndSplitsAndKeepsItsBytes) {
  std::string bytes = "BEGIN:VCARD\r\nA:1\nB:2\rC:3\r\r\nD:4\r\n\r\nEND:VCARD";
  VCardFile file = ParseOk(bytes);
  std::vector<std::string> raws;
  for (const ContentLine& line : file.lines()) raws.emplace_back(line.raw);
  EXPECT_EQ(raws, (std::vector<std::string>{"BEGIN:VCARD\r\n", "A:1\n", "B:2\r", "C:3\r\r\n",
                                            "D:4\r\n", "\r\n", "END:VCARD"}));
  EXPECT_EQ(file.lines()[3].value(), "3");
  EXPECT_EQ(LineEndOf(file.lines()[3].raw), "\r\r\n");
  EXPECT_EQ(LineEndOf(file.lines()[6].raw), "");
  EXPECT_EQ(Rejoin(file), bytes);
}

TEST(VCardLinesTest, FoldsAndSoftBreaksJoinIntoOneLogicalLine) {
  std::string bytes =
      "BEGIN:VCARD\n"
      "NOTE:one\n two\n\tthree\n"
      "TEL;TYPE=VOICE,M\n\tSG:1\n"  // a fold inside the parameters
      "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=\nBr=C3=BCning;=\n Michael\n"
      "ADR;QUOTED-PRINTABLE:a;=\n\nX:after empty line\n"
      "LABEL;ENCODING=QUOTED-PRINTABLE:ends in=\nEND:VCARD\n";
  VCardFile file = ParseOk(bytes);
  const std::vector<ContentLine>& lines = file.lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[1].text, "NOTE:onetwothree");
  EXPECT_EQ(lines[1].raw, "NOTE:one\n two\n\tthree\n");
  EXPECT_EQ(lines[2].params(), ";TYPE=VOICE,MSG");
  // After "=" the next line is data even when it starts with a blank.
  EXPECT_EQ(lines[3].value(), "Br=C3=BCning; Michael");
  // A soft break followed by an empty line ends there.
  EXPECT_EQ(lines[4].value(), "a;");
  EXPECT_EQ(lines[5].text, "X:after empty line");
  // A trailing "=" does not swallow END:VCARD.
  EXPECT_EQ(lines[6].value(), "ends in=");
  ASSERT_EQ(file.cards().size(), 1u);
  EXPECT_TRUE(file.cards()[0].has_end);
  EXPECT_EQ(Rejoin(file), bytes);
}

TEST(VCardLinesTest, GroupsNamesParametersAndValues) {
  VCardFile file = ParseOk(
      "home.begin:vcard\n"
      "item1.TEL;TYPE=\"work,voice\";X-Q=\"a:b;c\":tel:+1-555\n"
      "NOCOLON\n"
      "NOTE;:x:y\n"
      "end:VCARD \n");
  const std::vector<ContentLine>& lines = file.lines();
  ASSERT_EQ(file.cards().size(), 1u);
  EXPECT_EQ(lines[0].group(), "home");
  EXPECT_TRUE(lines[0].NameIs("BEGIN"));
  EXPECT_EQ(lines[1].group(), "item1");
  EXPECT_EQ(lines[1].name(), "TEL");
  EXPECT_EQ(lines[1].params(), ";TYPE=\"work,voice\";X-Q=\"a:b;c\"");
  EXPECT_EQ(lines[1].value(), "tel:+1-555");
  EXPECT_FALSE(lines[2].has_value());
  EXPECT_EQ(lines[2].name(), "NOCOLON");
  EXPECT_EQ(lines[3].value(), "x:y");
  EXPECT_TRUE(file.cards()[0].has_end);
}

TEST(VCardLinesTest, CardsNestAndStopWhereAsked) {
  std::string bytes =
      "junk before\n"
      "BEGIN:VCARD\nN:outer\nAGENT:\nBEGIN:VCARD\nN:inner\nEND:VCARD\nTEL:1\nEND:VCARD\n"
      "\nBEGIN:VCARD\nN:second\nEND:VCARD\n"
      "BEGIN:VCARD\nN:no end\n";
  VCardFile all = ParseOk(bytes);
  ASSERT_EQ(all.cards().size(), 3u);
  EXPECT_EQ(all.cards()[0].begin, 1u);
  EXPECT_EQ(all.cards()[0].end, 9u);
  EXPECT_EQ(all.lines()[5].depth, 1u);  // N:inner
  EXPECT_EQ(all.lines()[7].depth, 0u);  // TEL:1 belongs to the outer card
  EXPECT_FALSE(all.cards()[2].has_end);
  EXPECT_EQ(Rejoin(all), bytes);

  VCardFile first = ParseOk(bytes, 1);
  ASSERT_EQ(first.cards().size(), 1u);
  EXPECT_EQ(first.lines().size(), 9u);
  EXPECT_EQ(first.tail().substr(0, 13), "\nBEGIN:VCARD\n");
  EXPECT_EQ(Rejoin(first), bytes);

  EXPECT_TRUE(ParseOk("N:no begin\nEND:VCARD\n").cards().empty());
  EXPECT_TRUE(ParseOk("BEGIN:VCARDinvalid\n").cards().empty());
}

TEST(VCardLinesTest, HostileBytesAndLimits) {
  static constexpr char kHostile[] = "BEGIN:VCARD\nN:\0\xff\xfe;x\n\n\n:\n;;;\n\"\n END:VCARD";
  std::string bytes(kHostile, sizeof(kHostile) - 1);
  VCardFile file = ParseOk(bytes);
  EXPECT_EQ(Rejoin(file), bytes);
  EXPECT_EQ(file.lines()[1].value(), std::string_view("\0\xff\xfe;x", 5));

  std::string too_big(kMaxVCardFileBytes + 1, 'x');
  Result<VCardFile> refused = VCardFile::Parse(too_big);
  EXPECT_EQ(refused.status().code(), Code::kInvalidArgument);

  std::string many_lines(kMaxVCardLines + 1, '\n');
  EXPECT_EQ(VCardFile::Parse(many_lines).status().code(), Code::kInvalidArgument);
}

}  // namespace
}  // namespace olconn97::pim
