// The narrowed search statement against a plain scan of the same table:
// the same rows in the same order for every pattern, and an index where the
// pattern fixes a beginning or a phone number's ending.
#include "cache/cache_search.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <random>
#include <sstream>

#include "cache/cache_schema.h"
#include "outside/jet/jet_sql.h"
#include "outside/jet/jet_test_support.h"
#include "outside/jet/sql_functions.h"

namespace olconn97 {
namespace {

using Ids = std::vector<std::string>;

std::string CacheSchema() {
  std::ifstream file(OLCONN97_CACHE_SCHEMA_PATH);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Characters chosen to trip a narrowing that is not exact: letters in both
// cases, letters whose case partner lies outside ASCII (Kelvin sign, long s,
// final sigma, dotted capital I), a letter that folds to two (sharp s),
// accents, Like's own special characters, and a byte that is not UTF-8.
const std::vector<std::string> kNameAlphabet = {
    "a",      "A",      "b",      "s",      "S",      "k",      "K",      "i",      "I",
    "\u212A", "\u017F", "\u03C2", "\u03C3", "\u03A3", "\u0130", "\u00DF", "\u00E9", "\u00C9",
    "e",      ",",      " ",      "-",      "1",      "9",      "\xFF",   "'"};
const std::vector<std::string> kDigitAlphabet = {"0", "1", "2", "3", "9"};
// What may stand in a pattern beside literal characters.
const std::vector<std::string> kPatternParts = {"*",   "?",   "#",   "[a-c]", "[!b]", "[#]",
                                                "[[]", "[?]", "[*]", "[0-2]", "[",    "[]"};

class CacheSearchTest : public jet::testing::JetTest {
 protected:
  void SetUp() override {
    std::string schema = CacheSchema();
    cache_ = CreateAndOpen("Connector.mdb", schema.c_str());
    ASSERT_TRUE(cache_);
    JET_ASSERT_OK(EnsureCacheIndexes(*cache_));
  }

  // EntryIDs of the rows `sql` finds, in its order; "<failed>" when it fails.
  Ids Find(const std::string& sql, const std::vector<jet::Value>& params) {
    Result<std::unique_ptr<jet::Recordset>> rows =
        cache_->OpenRecordset(sql, jet::RecordsetType::kDynaset, params);
    if (!rows.ok()) return {"<failed>"};
    return Walk(*rows.value(), "EntryID");
  }
  Ids Narrowed(int32_t field, const std::string& pattern) {
    Result<CacheQuery> query = CacheSearchQuery(field, pattern);
    if (!query.ok()) return {"<failed>"};
    return Find(query.value().sql, query.value().params);
  }
  Ids Scanned(int32_t field, const std::string& pattern) {
    std::string column = field == kSearchByName ? "Name" : "PhoneNumber";
    return Find("Select * From TCache Where " + column + " Like ? Order By Name", {pattern});
  }

  // SQLite's plan for the narrowed statement's row keys.
  std::string Plan(int32_t field, const std::string& pattern) {
    Result<CacheQuery> query = CacheSearchQuery(field, pattern);
    EXPECT_TRUE(query.ok());
    return query.ok() ? Plan(query.value()) : std::string();
  }
  std::string Plan(const CacheQuery& query) {
    Result<jet::SelectParts> parts = jet::TranslateSelect(query.sql, query.params);
    EXPECT_TRUE(parts.ok()) << parts.status().ToString();
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(Path("Connector.mdb").c_str(), &db), SQLITE_OK);
    EXPECT_TRUE(jet::RegisterJetFunctions(db).ok());
    std::string sql = "EXPLAIN QUERY PLAN " + jet::KeysetStatements(parts.value()).keys;
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    std::string plan;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      plan += reinterpret_cast<const char*>(sqlite3_column_text(statement, 3));
      plan += "\n";
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return plan;
  }

  std::unique_ptr<jet::Database> cache_;
};

std::string Pick(std::mt19937& random, const std::vector<std::string>& from, size_t max_length) {
  std::string text;
  size_t length = std::uniform_int_distribution<size_t>(0, max_length)(random);
  for (size_t i = 0; i < length; ++i) {
    text += from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
  }
  return text;
}

// Literal runs from `alphabet` with pattern parts between them, so that
// most patterns have a fixed beginning or ending to narrow on.
std::string RandomPattern(std::mt19937& random, const std::vector<std::string>& alphabet) {
  std::string pattern;
  int pieces = std::uniform_int_distribution<int>(1, 4)(random);
  for (int i = 0; i < pieces; ++i) {
    if (std::bernoulli_distribution(0.5)(random)) {
      pattern += Pick(random, alphabet, 3);
    } else {
      pattern +=
          kPatternParts[std::uniform_int_distribution<size_t>(0, kPatternParts.size() - 1)(random)];
    }
  }
  return pattern;
}

TEST_F(CacheSearchTest, NarrowedSearchesFindWhatAScanFinds) {
  std::mt19937 random(20261206);
  std::vector<jet::testing::CacheRow> rows;
  for (int i = 0; i < 1500; ++i) {
    std::string phone = Pick(random, kDigitAlphabet, 6);
    // Only digits are stored; a row with more must not upset the search.
    if (i % 20 == 0) phone = Pick(random, kNameAlphabet, 4);
    rows.push_back({phone, "r" + std::to_string(i), Pick(random, kNameAlphabet, 5)});
  }
  AddCacheRows(*cache_, rows);
  ASSERT_TRUE(FillDerivedValues(*cache_).ok());  // as the driver does when it opens the cache

  int compared = 0, found = 0;
  for (int i = 0; i < 1500; ++i) {
    bool by_name = i % 2 == 0;
    // A few phone patterns carry letters, as a host may pass anything.
    bool digits = !by_name && i % 10 != 1;
    std::string pattern = RandomPattern(random, digits ? kDigitAlphabet : kNameAlphabet);
    if (i % 5 == 0) pattern = EscapeLikePattern(pattern);  // a host's value
    int32_t field = by_name ? kSearchByName : kSearchByPhone;
    Ids narrowed = Narrowed(field, pattern);
    ASSERT_EQ(narrowed, Scanned(field, pattern)) << (by_name ? "name " : "phone ") << pattern;
    ++compared;
    if (!narrowed.empty() && narrowed[0] != "<failed>") ++found;
  }
  // The patterns must have found rows often enough for the comparison to mean something.
  EXPECT_GT(found, compared / 4);
}

TEST_F(CacheSearchTest, EscapingLeavesOnlyTheStarAWildcard) {
  EXPECT_EQ(EscapeLikePattern("12#4"), "12[#]4");
  EXPECT_EQ(EscapeLikePattern("[a]?*\""), "[[]a][?]*\"");
  EXPECT_FALSE(CacheSearchQuery(2, "1").ok());
  EXPECT_FALSE(CacheSearchQuery(kSearchByName, "[a").ok());
}

TEST_F(CacheSearchTest, FixedBeginningsAndPhoneEndingsUseAnIndex) {
  struct Case {
    int32_t field;
    const char* pattern;
  } cases[] = {{kSearchByPhone, "0123*"},   {kSearchByPhone, "0123"},  {kSearchByPhone, "*4567"},
               {kSearchByPhone, "01[#]*"},  {kSearchByName, "smith*"}, {kSearchByName, "Émile, *"},
               {kSearchByName, "\"Quoted*"}};
  for (const Case& c : cases) {
    std::string plan = Plan(c.field, c.pattern);
    EXPECT_NE(plan.find("USING INDEX"), std::string::npos) << c.pattern << "\n" << plan;
    EXPECT_EQ(plan.find("SCAN TCache"), std::string::npos) << c.pattern << "\n" << plan;
  }
  // Nothing fixed to narrow on: these may scan.
  EXPECT_NE(Plan(kSearchByPhone, "*12*").find("SCAN"), std::string::npos);
  EXPECT_NE(Plan(kSearchByName, "*mith").find("SCAN"), std::string::npos);
}

// Number matching's two statements: the candidates by their ending, and the
// search widened by the numbers found to be the same.
TEST_F(CacheSearchTest, NumberMatchingProbesIndexesOnly) {
  for (bool loose : {false, true}) {
    std::string candidates = Plan(SameEndingQuery("1601234567", 7, loose));
    EXPECT_NE(candidates.find("TCachePhoneReversed"), std::string::npos) << candidates;
    EXPECT_NE(candidates.find("TCachePhoneMain"), std::string::npos) << candidates;
    EXPECT_EQ(candidates.find("SCAN"), std::string::npos) << candidates;
  }
  std::vector<StoredNumber> same = {StoreNumber("0160 1234567"), StoreNumber("+49 160 1234567"),
                                    StoreNumber("0160 1234567 x12")};
  for (const char* caller : {"+49 160 1234567", "01601234567"}) {
    Result<CacheQuery> widened = CacheSearchQuery(kSearchByPhone, caller, same);
    ASSERT_TRUE(widened.ok());
    std::string plan = Plan(widened.value());
    EXPECT_EQ(plan.find("SCAN"), std::string::npos) << caller << "\n" << plan;
  }
}

}  // namespace
}  // namespace olconn97
