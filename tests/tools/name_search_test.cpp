// Finding a contact by name the way a person types it: the host's own
// folding of case and accents, and where plain words end and the driver's
// patterns begin.
#include "tools/olconn97/name_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace olconn97 {
namespace {

using Words = std::vector<std::string>;

struct Case {
  const char* name;
  std::string text;
  Words words;
};

const Case kCases[] = {
    {"last, first", "Núñez, Ana", {"nunez", "ana"}},
    {"ligatures and strokes", "Straße Œuvre Ørsted Łódź", {"strasse", "oeuvre", "orsted", "lodz"}},
    {"comma below", "Șerban Țiriac", {"serban", "tiriac"}},
    {"combining accents", "Nu\u0301n\u0303ez", {"nunez"}},
    {"greek", "ΕΛΈΝΗ Παπαδοπούλου", {"ελενη", "παπαδοπουλου"}},
    {"cyrillic", "ЁЛКИН Пётр", {"елкин", "петр"}},
    {"apostrophes", "O'Brien d’Arcy", {"o", "brien", "obrien", "d", "arcy", "darcy"}},
    {"hyphens, digits, punctuation", "Smith-Jones (Room 12)", {"smith", "jones", "room", "12"}},
    {"other scripts as written", "王 小明", {"王", "小明"}},
    {"ill-formed bytes separate", "an\xFFn", {"an", "n"}},
    {"no words", " , - ' ", {}},
};

TEST(NameSearchTest, WordsLoseCaseAndAccentsInEveryScriptTheDriverFolds) {
  for (const Case& c : kCases) EXPECT_EQ(host::SearchWords(c.text), c.words) << c.name;
}

TEST(NameSearchTest, EachTypedWordMustBeginAWordOfTheNameInAnyOrder) {
  struct Match {
    const char* typed;
    const char* name;
    bool matches;
  };
  const Match kMatches[] = {
      {"ann smith", "Smith, Ann", true},   {"SMITH ann", "Smith, Ann", true},
      {"smi a", "Smith, Ann", true},       {"nunez", "Núñez, Ana", true},
      {"Müller", "Muller, Hans", true},    {"obrien", "O'Brien, Pat", true},
      {"jones", "Smith-Jones, Ann", true}, {"ann smyth", "Smith, Ann", false},
      {"mith", "Smith, Ann", false},       {"anna", "Smith, Ann", false},
  };
  for (const Match& m : kMatches) {
    EXPECT_EQ(host::NameHasWords(m.name, host::SearchWords(m.typed)), m.matches)
        << m.typed << " in " << m.name;
  }
}

TEST(NameSearchTest, AWildcardOrACommaMakesTheDriversPattern) {
  for (const char* pattern : {"smith*", "SMITH, a*", "Smith, Ann", "*456"}) {
    EXPECT_TRUE(host::IsNamePattern(pattern)) << pattern;
  }
  for (const char* words : {"ann smith", "nunez", "O'Brien", "Smith-Jones", "smith?"}) {
    EXPECT_FALSE(host::IsNamePattern(words)) << words;
  }
}

}  // namespace
}  // namespace olconn97
