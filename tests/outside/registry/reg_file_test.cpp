#include "outside/registry/reg_file.h"

#include <gtest/gtest.h>

#include "outside/registry/reg_text.h"

namespace olconn97::registry {
namespace {

RegTree Read(std::string_view bytes, Hive hive, RegFileContent* content_out = nullptr) {
  RegFileContent content = ParseRegFile(bytes);
  RegTree tree;
  ApplyRegFileEntries(content.entries, hive, tree);
  if (content_out != nullptr) *content_out = std::move(content);
  return tree;
}

const RegValue* Value(const RegTree& tree, std::string_view path, std::string_view name) {
  const RegKey* key = tree.Find(path);
  return key == nullptr ? nullptr : key->FindValue(name);
}

TEST(RegFileTest, EveryKindOfValueSurvivesAWriteAndARead) {
  RegTree tree;
  RegKey& popup = tree.Create("Software\\Norvale\\7316\\Popup");
  popup.SetValue("Path", RegValue::String(std::string("C:\\Program \"x\"\r\nnext\0end", 24)));
  popup.SetValue("", RegValue::String("default"));
  popup.SetValue("Unicode", RegValue::String("Zoë – 東京 😀"));
  popup.SetValue("Expand", RegValue::ExpandString("%HOME%/x"));
  popup.SetValue("Multi", {ValueType::kMultiSz, std::string("a\0bc\0", 5)});
  popup.SetValue("Count", RegValue::Dword(258));
  popup.SetValue("Big", {ValueType::kQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)});
  popup.SetValue("Blob", {ValueType::kBinary, std::string("\x00\xff\x10", 3)});
  popup.SetValue("Odd", {static_cast<ValueType>(0x100000), "xy"});
  tree.Create("Software\\Empty");

  Result<std::string> text = WriteRegFile("HKEY_CURRENT_USER", tree.root());
  ASSERT_TRUE(text.ok());
  RegFileContent content;
  RegTree back = Read(text.value(), Hive::kCurrentUser, &content);
  EXPECT_TRUE(content.faults.empty());
  for (const auto& named : popup.values()) {
    const RegValue* read = Value(back, "Software\\Norvale\\7316\\Popup", named.name);
    ASSERT_NE(read, nullptr) << named.name;
    EXPECT_EQ(*read, named.value) << named.name;
  }
  EXPECT_NE(back.Find("software\\empty"), nullptr);
  // Written again, the file is the same byte for byte.
  EXPECT_EQ(WriteRegFile("HKEY_CURRENT_USER", back.root()).value(), text.value());
}

TEST(RegFileTest, WritesTheFormOrdinaryToolsRead) {
  RegTree tree;
  RegKey& key = tree.Create("Software\\Norvale");
  key.SetValue("Name", RegValue::String("a\\b"));
  key.SetValue("Number", RegValue::Dword(0x1F));
  key.SetValue("", RegValue::String(""));
  EXPECT_EQ(WriteRegFile("HKEY_LOCAL_MACHINE", tree.root()).value(),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Norvale]\r\n"
            "\"Name\"=\"a\\\\b\"\r\n"
            "\"Number\"=dword:0000001f\r\n"
            "@=\"\"\r\n\r\n");
}

TEST(RegFileTest, ReadsARegeditExportInUtf16) {
  std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "; exported\r\n"
      "[HKEY_CURRENT_USER\\Software\\Norvale\\7316\\Popup]\r\n"
      "\"autodetect\"=\"1\"\r\n"
      "\"Path\"=hex(2):25,00,54,00,\\\r\n"
      "  4d,00,50,00,25,00,00,00\r\n"
      "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
      "\"Flags\"=DWORD:0000000a\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Old]\r\n"
      "\"x\"=\"1\"\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
      "[HKEY_CURRENT_USER\\Software\\Norvale\\7316\\Popup]\r\n"
      "\"autodetect\"=-\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
      "\"y\"=\"2\"\r\n";
  std::string bytes = "\xFF\xFE" + Utf8ToUtf16Le(text);
  RegFileContent content;
  RegTree tree = Read(bytes, Hive::kCurrentUser, &content);
  EXPECT_TRUE(content.faults.empty());
  const std::string popup = "Software\\Norvale\\7316\\Popup";
  EXPECT_EQ(Value(tree, popup, "autodetect"), nullptr);
  EXPECT_EQ(*Value(tree, popup, "Path"), RegValue::ExpandString("%TMP%"));
  EXPECT_EQ(*Value(tree, popup, "list"), (RegValue{ValueType::kMultiSz, std::string("a\0b\0", 4)}));
  EXPECT_EQ(Value(tree, popup, "Flags")->AsDword(), 10u);
  EXPECT_EQ(tree.Find("Software\\Old"), nullptr);
  EXPECT_EQ(tree.Find("Software\\Other"), nullptr);  // another hive's key
  EXPECT_NE(Read(bytes, Hive::kLocalMachine).Find("Software\\Other"), nullptr);
}

// Byte-swapped UTF-16, as a big-endian editor saves it.
std::string Utf16Be(std::string_view text) {
  std::string bytes = Utf8ToUtf16Le(text);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
  return bytes;
}

TEST(RegFileTest, ReadsUtf16BigEndianWithItsByteOrderMark) {
  std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Norvale]\r\n"
      "\"Name\"=\"Zoë 😀\"\r\n"
      "\"Path\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\r\n";
  RegFileContent content;
  RegTree tree = Read("\xFE\xFF" + Utf16Be(text), Hive::kCurrentUser, &content);
  EXPECT_TRUE(content.faults.empty());
  ASSERT_NE(Value(tree, "Software\\Norvale", "Name"), nullptr);
  EXPECT_EQ(Value(tree, "Software\\Norvale", "Name")->data, "Zoë 😀");
  // Hex data stays little-endian whatever the file's own byte order.
  EXPECT_EQ(*Value(tree, "Software\\Norvale", "Path"), RegValue::ExpandString("%TMP%"));
}

TEST(RegFileTest, ReadsRegedit4InTheAnsiCodePage) {
  RegTree tree = Read(
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"Name\"=\"Caf\xE9 \x80\"\r\n"
      "\"Exp\"=hex(2):41,e9,00\r\n",
      Hive::kCurrentUser);
  EXPECT_EQ(Value(tree, "Software", "Name")->data, "Café €");
  EXPECT_EQ(*Value(tree, "Software", "Exp"), RegValue::ExpandString("Aé"));
}

TEST(RegFileTest, SkipsWhatCannotBeReadAndSaysWhere) {
  RegFileContent content;
  RegTree tree = Read(
      "Windows Registry Editor Version 5.00\n"  // 1
      "\"orphan\"=\"1\"\n"                      // 2: before any key
      "[HKEY_CURRENT_USER\\Software\\A]\n"      // 3
      "\"good\"=\"1\"\n"                        // 4
      "\"unterminated\"=\"abc\n"                // 5
      "\"bad\"=dword:123456789\n"               // 6
      "[HKEY_CURRENT_USER\\Software\\B\n"       // 7: no closing bracket
      "\"lost\"=\"1\"\n"                        // 8: under the unreadable key
      "[HKEY_NOWHERE\\X]\n"                     // 9
      "[HKEY_CURRENT_USER\\Software\\C]\n"      // 10
      "\"after\"=hex:0g\n"                      // 11
      "\"kept\"=hex:01,02\n"                    // 12
      "\"cut\"=hex:01,02,0\n"                   // 13: the last byte cut in half
      "\"wide\"=hex:01,002\n",                  // 14
      Hive::kCurrentUser, &content);
  std::vector<int> lines;
  for (const RegFileFault& fault : content.faults) lines.push_back(fault.line);
  EXPECT_EQ(lines, (std::vector<int>{2, 5, 6, 7, 9, 11, 13, 14}));
  EXPECT_NE(content.faults[6].message.find("byte 3 is \"0\""), std::string::npos)
      << content.faults[6].message;
  EXPECT_EQ(Value(tree, "Software\\C", "cut"), nullptr);
  EXPECT_EQ(Value(tree, "Software\\C", "wide"), nullptr);
  EXPECT_NE(Value(tree, "Software\\A", "good"), nullptr);
  EXPECT_EQ(tree.Find("Software\\B"), nullptr);
  EXPECT_EQ(Value(tree, "Software\\C", "kept")->data, "\x01\x02");

  content = ParseRegFile("[HKEY_CURRENT_USER\\X]\n");
  ASSERT_EQ(content.faults.size(), 1u);  // no header
  EXPECT_EQ(content.faults[0].line, 1);
  EXPECT_EQ(content.entries.size(), 1u);
}

TEST(RegFileTest, KeyNamesAndHives) {
  Result<KeyName> name = ParseKeyName("hkcu\\Software\\X");
  ASSERT_TRUE(name.ok());
  EXPECT_EQ(name.value().hive, Hive::kCurrentUser);
  EXPECT_EQ(name.value().path, "Software\\X");
  EXPECT_EQ(ParseKeyName("HKEY_LOCAL_MACHINE").value().hive, Hive::kLocalMachine);
  EXPECT_FALSE(ParseKeyName("HKEY_CURRENT_USERS\\X").ok());
  EXPECT_FALSE(ParseKeyName("Software\\X").ok());

  RegTree tree;
  tree.Create("Software").AddSubkey("two\nlines");
  EXPECT_EQ(WriteRegFile("HKEY_CURRENT_USER", tree.root()).status().code(), Code::kInvalidArgument);
}

TEST(RegTextTest, ConvertsBetweenUtf8AndUtf16) {
  std::string text = "aé東😀";
  EXPECT_EQ(Utf16LeToUtf8(Utf8ToUtf16Le(text)), text);
  EXPECT_EQ(Utf8ToUtf16Le("😀"), std::string("\x3D\xD8\x00\xDE", 4));
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x00\xD8\x41\x00", 4)),
            "\xEF\xBF\xBD"
            "A");  // lone surrogate
  EXPECT_EQ(DecodeRegFileBytes("\xEF\xBB\xBFx"), "x");
}

}  // namespace
}  // namespace olconn97::registry
