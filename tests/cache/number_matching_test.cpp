// Number matching against libphonenumber's own verdict: a caller is found
// under every card that IsNumberMatch calls the same number (exact or
// national-number match, in the region), and under no card it calls
// another number; with matching off, every answer is the plain search's.
#include "cache/number_matching.h"

#include <gtest/gtest.h>
#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "cache/cache_schema.h"
#include "cache/cache_search.h"
#include "outside/jet/jet_test_support.h"

namespace olconn97 {
namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;
using Ids = std::set<std::string>;

struct Pair {
  const char* region;
  const char* card;    // as written on the card
  const char* caller;  // as the network or the user gives it
  bool same;           // what libphonenumber says (checked below)
};

// Trunk prefixes, "00" and "+", "(0)", letters, extensions, other
// countries' numbers, and numbers that share their last seven digits.
const Pair kPairs[] = {
    {"DE", "0160 123 456 78", "+4916012345678", true},
    {"DE", "0160 123 456 78", "016012345678", true},
    {"DE", "+49 (0)160 1234567", "0160 1234567", true},
    {"DE", "+49 (0)160 1234567", "+491601234567", true},
    {"DE", "0049 170 1234567", "+49 170 1234567", true},
    {"DE", "0049 170 1234567", "0170 1234567", true},
    {"DE", "+49 30 1234567", "030 1234567", true},
    {"DE", "030 1234567", "0049 30 1234567", true},
    {"DE", "Tel. 0160 1234567", "+49 160 1234567", true},
    {"DE", "0160-1234567 x12", "+49 160 1234567", true},
    {"DE", "0160-1234567 x12", "0160 1234567 ext 12", true},
    {"DE", "0160-1234567 x12", "0160 1234567 ext 13", false},
    {"DE", "+41 44 668 18 00", "0041 44 668 18 00", true},
    {"DE", "+44 20 7946 0958", "0044 20 7946 0958", true},
    {"DE", "030 1234567", "089 1234567", false},
    {"DE", "+49 30 1234567", "+43 30 1234567", false},
    {"DE", "0160 1234567", "1234567", false},
    {"DE", "+49 160 1234567", "+1 160 1234567", false},
    {"DE", "0160 1234567", "0170 1234567", false},
    {"FR", "+33 (0)1 23 45 67 89", "01 23 45 67 89", true},
    {"FR", "01 23 45 67 89", "+33 1 23 45 67 89", true},
    {"FR", "01 23 45 67 89", "0033 1 23 45 67 89", true},
    {"FR", "0123 456 789 ext. 12", "+33123456789", true},
    {"FR", "0123 456 789 ext. 12", "0123456789;ext=12", true},
    {"FR", "0123 456 789 ext. 12", "0123456789 x13", false},
    {"FR", "+33 6 12 34 56 78", "0033 612345678", true},
    {"FR", "06 12 34 56 78", "07 12 34 56 78", false},
    {"FR", "tel:+33-1-23-45-67-89", "0123456789", true},
    {"FR", "+33 1 23 45 67 89", "+32 1 23 45 67 89", false},
    {"FR", "01 23 45 67 89", "+33 2 23 45 67 89", false},
    {"FR", "Bureau : 01.23.45.67.89", "+33 1 23 45 67 89", true},
    {"GB", "+44 20 7946 0958", "020 7946 0958", true},
    {"GB", "020 7946 0958", "+44 (0)20 7946 0958", true},
    {"GB", "00 44 20 7946 0958", "020 7946 0958", true},
    {"GB", "020 7946 0958", "0161 946 0958", false},
    {"GB", "07700 900123", "+447700900123", true},
    {"GB", "07700 900123", "+44 7700 900124", false},
    {"GB", "+44 20 7946 0958 ext. 204", "020 7946 0958", true},
    {"GB", "+44 20 7946 0958", "+1 207 946 0958", false},
    {"GB", "020 7946 0958", "00 33 20 7946 0958", false},
    {"GB", "+353 1 234 5678", "00353 1 2345678", true},
    {"US", "(654) 374-1040", "+1 654 374 1040", true},
    {"US", "(654) 374-1040", "1-654-374-1040", true},
    {"US", "654-374-1040", "011 1 654 374 1040", true},
    {"US", "+1 (654) 374-1040", "374-1040", false},
    {"US", "+1 800 356 9377", "1-800-FLOWERS", true},
    {"US", "(654) 374-1040 x 55", "+1 654 374 1040", true},
    {"US", "(654) 374-1040", "(654) 374-1041", false},
    {"US", "+1 212 555 0100", "(646) 555-0100", false},
    {"US", "+1 654 374 1040", "6543741040", true},
    {"US", "+44 20 7946 0958", "011 44 20 7946 0958", true},
    {"US", "(654) 374-1040", "+44 654 374 1040", false},
    {"CH", "+41 44 668 18 00", "044 668 18 00", true},
    {"CH", "044 668 18 00", "0041 44 668 18 00", true},
    {"CH", "+41 (0)44 668 18 00", "+41446681800", true},
    {"CH", "044 668 18 00", "043 668 18 00", false},
    {"CH", "+41 79 123 45 67", "079 123 45 67", true},
    {"CH", "079 123 45 67", "+49 79 123 45 67", false},
    {"CH", "+41 44 668 18 00 int. 12", "044 668 18 00", true},
    {"CH", "Natel 079 123 45 67", "0041791234567", true},
    {"CH", "044 668 18 00", "+43 44 668 18 00", false},
};

// libphonenumber's verdict on the whole texts, read in `region`; an
// extension on one side only does not count against the main numbers.
bool OracleSame(const std::string& region, const std::string& a, const std::string& b) {
  PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
  PhoneNumber first, second;
  if (util.Parse(a, region, &first) != PhoneNumberUtil::NO_PARSING_ERROR ||
      util.Parse(b, region, &second) != PhoneNumberUtil::NO_PARSING_ERROR) {
    return false;
  }
  if (first.extension().empty() || second.extension().empty()) {
    auto main_only = [](const PhoneNumber& number) {
      PhoneNumber main;
      main.set_country_code(number.country_code());
      main.set_national_number(number.national_number());
      if (number.has_italian_leading_zero()) {
        main.set_italian_leading_zero(number.italian_leading_zero());
      }
      if (number.has_number_of_leading_zeros()) {
        main.set_number_of_leading_zeros(number.number_of_leading_zeros());
      }
      return main;
    };
    first = main_only(first);
    second = main_only(second);
  }
  PhoneNumberUtil::MatchType match = util.IsNumberMatch(first, second);
  return match == PhoneNumberUtil::EXACT_MATCH || match == PhoneNumberUtil::NSN_MATCH;
}

// The national significant number's length, as the caller's number is read.
size_t NationalLength(const std::string& region, const std::string& number) {
  PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
  PhoneNumber parsed;
  if (util.Parse(number, region, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR) return 0;
  std::string national;
  util.GetNationalSignificantNumber(parsed, &national);
  return national.size();
}

std::string CacheSchema() {
  std::ifstream file(OLCONN97_CACHE_SCHEMA_PATH);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class NumberMatchingTest : public jet::testing::JetTest {
 protected:
  void SetUp() override {
    cache_ = CreateAndOpen("Connector.mdb", CacheSchema().c_str());
    ASSERT_TRUE(cache_);
    JET_ASSERT_OK(EnsureCacheIndexes(*cache_));
  }

  // A row as the driver writes it for a card's number.
  void AddCard(const std::string& written, const std::string& id) {
    Result<std::unique_ptr<jet::Recordset>> table =
        cache_->OpenRecordset("TCache", jet::RecordsetType::kTable, {});
    ASSERT_TRUE(table.ok());
    jet::Recordset& rows = *table.value();
    StoredNumber stored = StoreNumber(written);
    auto nullable = [](const std::optional<std::string>& text) {
      return text ? jet::Value(*text) : jet::Value();
    };
    JET_ASSERT_OK(rows.AddNew());
    JET_ASSERT_OK(rows.SetField("PhoneNumber", stored.digits));
    JET_ASSERT_OK(rows.SetField("PhoneReversed", ReversedDigits(stored.digits)));
    JET_ASSERT_OK(rows.SetField("PhoneMain", nullable(stored.main)));
    JET_ASSERT_OK(rows.SetField("PhoneExtension", nullable(stored.extension)));
    JET_ASSERT_OK(rows.SetField("EntryID", id));
    JET_ASSERT_OK(rows.SetField("Name", "Name of " + id));
    JET_ASSERT_OK(rows.SetField("NameFolded", "name of " + id));
    JET_ASSERT_OK(rows.Update());
  }

  // The entry IDs a phone search for `caller` finds, in its order; with
  // `matching` null, the plain search.
  std::vector<std::string> Search(const std::string& caller, const NumberMatching* matching) {
    std::vector<StoredNumber> same;
    if (matching != nullptr && NumberMatching::Widens(caller)) {
      Result<std::vector<StoredNumber>> found = matching->SameNumbers(*cache_, caller);
      EXPECT_TRUE(found.ok()) << found.status().ToString();
      if (found.ok()) same = found.value();
    }
    Result<CacheQuery> query = CacheSearchQuery(kSearchByPhone, EscapeLikePattern(caller), same);
    EXPECT_TRUE(query.ok());
    Result<std::unique_ptr<jet::Recordset>> rows =
        cache_->OpenRecordset(query.value().sql, jet::RecordsetType::kDynaset, query.value().params);
    EXPECT_TRUE(rows.ok()) << rows.status().ToString();
    return rows.ok() ? Walk(*rows.value(), "EntryID") : std::vector<std::string>{"<failed>"};
  }
  Ids Found(const std::string& caller, const NumberMatching* matching) {
    std::vector<std::string> ids = Search(caller, matching);
    return Ids(ids.begin(), ids.end());
  }

  std::unique_ptr<jet::Database> cache_;
};

// Every pair of the table as libphonenumber sees it, and every caller of a
// region against every card of that region: found exactly when the digits
// match as they always did, or libphonenumber calls the numbers the same.
TEST_F(NumberMatchingTest, FindsWhatLibphonenumberCallsTheSameNumberAndNothingElse) {
  std::map<std::string, std::vector<size_t>> by_region;
  for (size_t i = 0; i < std::size(kPairs); ++i) {
    const Pair& pair = kPairs[i];
    ASSERT_EQ(OracleSame(pair.region, pair.card, pair.caller), pair.same)
        << pair.region << ": " << pair.card << " / " << pair.caller;
    AddCard(pair.card, "card" + std::to_string(i));
    by_region[pair.region].push_back(i);
  }
  ASSERT_GE(std::size(kPairs), 60u);
  int compared = 0;
  for (const auto& [region, pairs] : by_region) {
    std::shared_ptr<NumberMatching> matching = NumberMatching::ForRegion(region);
    ASSERT_TRUE(matching);
    for (size_t caller_pair : pairs) {
      const std::string caller = kPairs[caller_pair].caller;
      Ids found = Found(caller, matching.get());
      for (size_t card_pair : pairs) {
        const std::string card = kPairs[card_pair].card;
        bool digits = PhoneDigits(card) == caller;
        bool expected = digits || (NationalLength(region, caller) >= kMatchedDigits &&
                                   OracleSame(region, card, caller));
        EXPECT_EQ(found.count("card" + std::to_string(card_pair)) > 0, expected)
            << region << ": caller " << caller << ", card " << card;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 600);
}

// libphonenumber's example number of every region, written four ways,
// finds itself from each way it is written.
TEST_F(NumberMatchingTest, EveryRegionsExampleNumberIsFoundFromEveryFormOfIt) {
  using phone::NumberFormat;
  using phone::NumberReader;
  constexpr NumberFormat kForms[] = {NumberFormat::kE164, NumberFormat::kInternational,
                                     NumberFormat::kNational, NumberFormat::kRfc3966};
  std::map<std::string, std::vector<std::string>> written;
  for (const std::string& region : NumberReader::Regions()) {
    std::string e164 = NumberReader::ExampleNumber(region, NumberFormat::kE164);
    // Numbers shorter than seven digits are compared by their digits only.
    if (e164.empty() || NationalLength(region, e164) < kMatchedDigits) continue;
    for (NumberFormat form : kForms) {
      std::string text = NumberReader::ExampleNumber(region, form);
      AddCard(text, region + "/" + std::to_string(written[region].size()));
      written[region].push_back(text);
    }
  }
  ASSERT_GT(written.size(), 200u);
  for (const auto& [region, forms] : written) {
    std::shared_ptr<NumberMatching> matching = NumberMatching::ForRegion(region);
    ASSERT_TRUE(matching);
    for (const std::string& caller : forms) {
      Ids found = Found(caller, matching.get());
      for (size_t i = 0; i < forms.size(); ++i) {
        EXPECT_EQ(found.count(region + "/" + std::to_string(i)), 1u)
            << region << ": " << forms[i] << " not found from " << caller;
      }
      // Any other region's card found must be the same number too.
      for (const std::string& id : found) {
        std::string other = id.substr(0, id.find('/'));
        const std::string& card = written[other][std::stoul(id.substr(id.find('/') + 1))];
        EXPECT_TRUE(other == region || OracleSame(region, card, caller))
            << region << ": " << caller << " found " << card << " of " << other;
      }
    }
  }
}

// Off, a search is the plain one: a Like on the digits, every match in
// name order. On, it keeps every plain answer, in the same order among the
// others; patterns with "*" are left as they are.
TEST_F(NumberMatchingTest, OffGivesThePlainAnswersAndOnKeepsThem) {
  for (size_t i = 0; i < std::size(kPairs); ++i) AddCard(kPairs[i].card, "card" + std::to_string(i));
  AddCard("0160 1234567", "extra");  // a second contact with the same number
  std::shared_ptr<NumberMatching> de = NumberMatching::ForRegion("de");
  for (const Pair& pair : kPairs) {
    for (const std::string& caller :
         {std::string(pair.caller), PhoneDigits(pair.card), PhoneDigits(pair.card) + "*",
          "*" + PhoneDigits(pair.caller)}) {
      std::vector<std::string> plain = Search(caller, nullptr);
      EXPECT_EQ(plain, Select(*cache_, "Select * From TCache Where PhoneNumber Like ? Order By Name",
                              {EscapeLikePattern(caller)}, "EntryID"))
          << caller;
      std::vector<std::string> widened = Search(caller, de.get());
      std::vector<std::string> kept;
      for (const std::string& id : widened) {
        if (std::find(plain.begin(), plain.end(), id) != plain.end()) kept.push_back(id);
      }
      EXPECT_EQ(kept, plain) << caller;
      if (caller.find('*') != std::string::npos) {
        EXPECT_EQ(widened, plain) << caller;
      }
    }
  }
}

// A row another program wrote has its digits only: it is read by them. One
// whose digits another program changed loses what it said beyond them.
TEST_F(NumberMatchingTest, RowsOtherProgramsWriteAreReadByTheirDigits) {
  AddCard("+49 (0)160 1234567 x12", "driver");
  JET_ASSERT_OK(cache_->Execute("Insert Into TCache (PhoneNumber, EntryID, Name) Values (?, ?, ?)",
                                {"01601234567", "other", "Other"})
                    .status());
  ASSERT_TRUE(FillDerivedValues(*cache_).ok());
  std::shared_ptr<NumberMatching> de = NumberMatching::ForRegion("DE");
  EXPECT_EQ(Found("+49 160 1234567", de.get()), (Ids{"driver", "other"}));
  // Renumbered by hand: its plus and extension no longer apply.
  JET_ASSERT_OK(cache_->Execute("Update TCache Set PhoneNumber = ? Where EntryID = ?",
                                {"0301234567", "driver"})
                    .status());
  ASSERT_TRUE(FillDerivedValues(*cache_).ok());
  EXPECT_EQ(Select(*cache_, "Select * From TCache Where EntryID = ?", {"driver"}, "PhoneMain"),
            (std::vector<std::string>{""}));
  EXPECT_EQ(Found("+49 30 1234567", de.get()), (Ids{"driver"}));
  EXPECT_EQ(Found("+49 160 1234567", de.get()), (Ids{"other"}));
}

TEST(NumberMatchingRulesTest, WidensWholeNumbersOfKnownRegionsOnly) {
  EXPECT_TRUE(NumberMatching::Widens("+49 160 1234567"));
  EXPECT_FALSE(NumberMatching::Widens("0160*"));
  EXPECT_FALSE(NumberMatching::Widens("*1234567"));
  EXPECT_EQ(NumberMatching::ForRegion("fr")->region(), "FR");
  EXPECT_FALSE(NumberMatching::ForRegion("XX"));
  EXPECT_FALSE(NumberMatching::ForRegion(""));
}

}  // namespace
}  // namespace olconn97
