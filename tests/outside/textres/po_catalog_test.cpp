#include "outside/textres/po_catalog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace olconn97::textres {
namespace {

using ::testing::HasSubstr;

std::string TextOf(const Catalog& catalog, std::string_view msgid) {
  const std::string* text = catalog.Find(msgid);
  return text == nullptr ? "<none>" : *text;
}

TEST(CatalogParseTest, ReadsStringsCommentsAndFlags) {
  Result<Catalog> catalog = ParsePo(
      "\xEF\xBB\xBF# translator comment\r\n"
      "msgid \"\"\n"
      "msgstr \"Content-Type: text/plain; charset=utf-8\\n\"\n"
      "\n"
      "#: source.cpp:12\n"
      "#, c-format\n"
      "msgid \"#01000#\"\n"
      "msgstr \"\"\n"
      "  \"two \" \n"
      "\"lines\"\n"
      "msgid \"#01001#\"\n"
      "msgstr \"tab\\there \\\"quoted\\\" back\\\\slash\\nnew\\101\\x42\"\n"
      "#, fuzzy, c-format\n"
      "msgid \"#01002#\"\n"
      "msgstr \"not sure\"\n"
      "msgid \"#01003#\"\n"
      "msgstr \"\"\n"
      "msgctxt \"menu\"\n"
      "msgid \"#01004#\"\n"
      "msgstr \"in a context\"\n"
      "msgid \"#01005#\"\n"
      "msgid_plural \"#01005#s\"\n"
      "msgstr[0] \"one\"\n"
      "msgstr[1] \"many\"\n"
      "#~ msgid \"#01006#\"\n"
      "#~ msgstr \"obsolete\"\n");
  ASSERT_TRUE(catalog.ok()) << catalog.status().description();
  EXPECT_EQ(TextOf(catalog.value(), "#01000#"), "two lines");
  EXPECT_EQ(TextOf(catalog.value(), "#01001#"), "tab\there \"quoted\" back\\slash\nnewAB");
  EXPECT_EQ(TextOf(catalog.value(), "#01002#"), "<none>");  // fuzzy
  EXPECT_EQ(TextOf(catalog.value(), "#01003#"), "<none>");  // untranslated
  EXPECT_EQ(TextOf(catalog.value(), "#01004#"), "<none>");  // only in its context
  EXPECT_EQ(TextOf(catalog.value(), "#01005#"), "one");
  EXPECT_EQ(TextOf(catalog.value(), "#01006#"), "<none>");
  EXPECT_EQ(TextOf(catalog.value(), ""), "<none>");  // the header is no message
  EXPECT_EQ(catalog.value().size(), 4u);
}

TEST(CatalogParseTest, RefusesMalformedCatalogsWithTheLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"msgid \"a\"\nmsgstr \"b\n", "line 2: unterminated string"},
           {"msgid \"a\"\nmsgstr \"b\"\nmsgid \"c\"\n", "line 3: the catalog ends inside an entry"},
           {"msgid \"a\"\nmsgid \"b\"\nmsgstr \"\"\n", "line 2: msgid without msgstr"},
           {"msgid \"a\"\nmsgstr \"b\\q\"\n", "line 2: unknown escape sequence"},
           {"msgid \"a\"\nmsgstr \"b\" x\n", "line 2: text after the string"},
           {"msgid \"a\"\nmsgstr \"\xC3\x28\"\n", "line 2: not valid UTF-8"},
           {"msgid \"a\"\nmsgstr \"\xED\xA0\x80\"\n", "line 2: not valid UTF-8"},
           {"msgid \"a\"\nmsgstr \"b\"\nmsgid \"a\"\nmsgstr \"c\"\n",
            "line 4: duplicate message a"},
           {"\"orphan\"\n", "line 1: a string without a keyword"},
           {"msgid \"a\"\nmsgtxt \"b\"\n", "line 2: unknown keyword msgtxt"},
           {"msgid \"a\"\nmsgstr[0] \"b\"\n", "line 2: unexpected msgstr[0]"},
           {"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n",
            "line 2: the catalog's charset is not UTF-8"},
       }) {
    Result<Catalog> catalog = ParsePo(c.text);
    ASSERT_FALSE(catalog.ok()) << c.text;
    EXPECT_EQ(catalog.status().code(), Code::kCorrupt);
    EXPECT_THAT(catalog.status().description(), HasSubstr(c.error)) << c.text;
  }
}

}  // namespace
}  // namespace olconn97::textres
