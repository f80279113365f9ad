// The search cursor as a host drives it: through the ContactRecord vtable
// (and once by name), one FindFirst and then FindNext until none.
#include "cache/contact_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cache/cache_search.h"
#include "cache/cache_test_support.h"
#include "cache/progress_window.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "outside/com/variant.h"
#include "outside/jet/database.h"

namespace olconn97::testing {
namespace {

using Strings = std::vector<std::string>;

std::string Read(Contact* contact, HRESULT (STDMETHODCALLTYPE Contact::*get)(BSTR*)) {
  BSTR text = nullptr;
  EXPECT_EQ((contact->*get)(&text), S_OK);
  return std::string(com::Bstr::Adopt(text).view());
}

// What the host learns of a contact handed out: its full name, or for a
// placeholder the value it carries; "none" for no contact.
std::string Describe(Contact* contact) {
  if (contact == nullptr) return "none";
  VARIANT_BOOL not_in_pim = VARIANT_FALSE;
  EXPECT_EQ(contact->get_NotInPIM(&not_in_pim), S_OK);
  if (not_in_pim == VARIANT_FALSE) return Read(contact, &Contact::get_FullName);
  std::string phone = Read(contact, &Contact::get_MainPhoneNumber);
  std::string first = Read(contact, &Contact::get_FirstName);
  return phone.empty() ? "unknown name " + first : "unknown phone " + phone;
}

// The host's side of one cursor.
class HostCursor {
 public:
  explicit HostCursor(com::ComPtr<ContactRecord> cursor) : cursor_(std::move(cursor)) {}

  std::string FindFirst(int32_t field, const std::string& filter) {
    com::Bstr text(filter);
    Contact* found = nullptr;
    EXPECT_EQ(cursor_->ContactRecord_FindFirst(field, text.get(), &found), S_OK);
    return Take(found);
  }
  std::string FindNext() { return Step(&ContactRecord::ContactRecord_FindNext); }
  std::string FindPrevious() { return Step(&ContactRecord::ContactRecord_FindPrevious); }
  std::string Current() { return Step(&ContactRecord::get_ContactRecord_Contact); }
  // FindFirst, then FindNext until none: every answer in order.
  Strings Walk(int32_t field, const std::string& filter) {
    Strings answers{FindFirst(field, filter)};
    for (std::string next = FindNext(); next != "none"; next = FindNext()) answers.push_back(next);
    return answers;
  }
  // "EOF BOF NoMatch" as 0s and 1s, then the record count.
  std::string Flags() {
    VARIANT_BOOL eof = 0, bof = 0, no_match = 0;
    SHORT count = -1;
    EXPECT_EQ(cursor_->get_ContactRecord_EOF(&eof), S_OK);
    EXPECT_EQ(cursor_->get_ContactRecord_BOF(&bof), S_OK);
    EXPECT_EQ(cursor_->get_ContactRecord_NoMatch(&no_match), S_OK);
    EXPECT_EQ(cursor_->get_ContactRecord_RecordCount(&count), S_OK);
    auto bit = [](VARIANT_BOOL b) { return b != VARIANT_FALSE ? "1" : "0"; };
    return std::string(bit(eof)) + bit(bof) + bit(no_match) + " " + std::to_string(count);
  }
  ContactRecord* get() { return cursor_.get(); }

 private:
  std::string Take(Contact* found) {
    com::ComPtr<Contact> held = com::ComPtr<Contact>::Adopt(found);
    return Describe(held.get());
  }
  std::string Step(HRESULT (STDMETHODCALLTYPE ContactRecord::*move)(Contact**)) {
    Contact* found = nullptr;
    EXPECT_EQ((cursor_.get()->*move)(&found), S_OK);
    return Take(found);
  }

  com::ComPtr<ContactRecord> cursor_;
};

class ContactRecordTest : public CacheTest {
 protected:
  HostCursor Open() {
    Result<com::ComPtr<ContactRecord>> cursor = driver_->Dataconnector_OpenContactRecord();
    EXPECT_TRUE(cursor.ok() && cursor.value());
    return HostCursor(cursor.value());
  }
  // The log lines written since `from`, without their time stamps.
  Strings LogSince(size_t from) {
    Strings lines = LogLines();
    Strings texts;
    for (size_t i = from; i < lines.size(); ++i) {
      size_t stamp_end = lines[i].find(": ");
      texts.push_back(stamp_end == std::string::npos ? lines[i] : lines[i].substr(stamp_end + 2));
    }
    return texts;
  }
  // Removes the card behind the driver's back, as another program would:
  // its cache rows stay until a cursor meets them.
  static void RemoveCard(const com::ComPtr<pim::ContactItem>& contact) {
    ASSERT_TRUE(std::filesystem::remove(contact->path()));
  }
};

TEST_F(ContactRecordTest, NoMatchAnswersWithAPlaceholderCarryingTheValue) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "0123"}});
  StartDriver();
  HostCursor cursor = Open();
  EXPECT_EQ(cursor.Flags(), "111 0");  // before any search
  EXPECT_EQ(cursor.FindNext(), "none");
  EXPECT_EQ(cursor.FindPrevious(), "none");

  size_t from = LogLines().size();
  EXPECT_EQ(cursor.FindFirst(kSearchByPhone, "0999"), "unknown phone 0999");
  EXPECT_EQ(cursor.Flags(), "111 0");
  EXPECT_EQ(LogSince(from), (Strings{"Searching for 0999 in phone field...", "Starts the search...",
                                     "Found: ", "Returning Unknown"}));
  EXPECT_EQ(cursor.FindNext(), "none");

  EXPECT_EQ(cursor.FindFirst(kSearchByName, "Nobody"), "unknown name Nobody");
  EXPECT_EQ(cursor.Flags(), "111 0");
  // A field the cache has no column for cannot run; the fetch then fails.
  from = LogLines().size();
  EXPECT_EQ(cursor.FindFirst(7, "0123"), "unknown phone 0123");
  EXPECT_EQ(cursor.Flags(), "010 0");
  EXPECT_EQ(LogSince(from),
            (Strings{"Searching for 0123 in phone field...", "Starts the search...",
                     "Found: ", "Trying to find it in Outlook...", "Returning Unknown"}));
}

TEST_F(ContactRecordTest, AContactWithSeveralMatchingNumbersIsOneAnswer) {
  auto ann = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "01231"},
                                      {"MobileTelephoneNumber", "01232"},
                                      {"HomeTelephoneNumber", "+0 (123) 3"}});
  auto bob = AddContact("Bob Stone", {{"BusinessTelephoneNumber", "01234"}});
  AddContact("Cy Young", {{"BusinessTelephoneNumber", "0999"}});
  StartDriver();
  HostCursor cursor = Open();
  size_t from = LogLines().size();
  EXPECT_EQ(cursor.FindFirst(kSearchByPhone, "0123*"), "Smith, Ann");
  Strings log = LogSince(from);
  EXPECT_EQ(log, (Strings{"Searching for 0123* in phone field...", "Starts the search...",
                          "Found: Smith, Ann with " + ann->EntryID(), "Found: ",
                          "Found: Smith, Ann with 1 count", "Trying to find it in Outlook...",
                          "Smith, Ann found in Outlook...", "Returning: 'Smith, Ann'."}));
  EXPECT_EQ(cursor.Flags(), "000 1");  // the dynaset has reached one row
  EXPECT_EQ(cursor.FindNext(), "Stone, Bob");
  EXPECT_EQ(cursor.FindNext(), "none");
  EXPECT_EQ(cursor.Flags(), "100 4");
  EXPECT_EQ(cursor.Current(), "Stone, Bob");  // the last answer stays current

  // Backwards, the same contacts once each.
  ASSERT_EQ(cursor.get()->ContactRecord_MoveLast(), S_OK);
  EXPECT_EQ(cursor.Current(), "Stone, Bob");
  EXPECT_EQ(cursor.FindPrevious(), "Smith, Ann");
  EXPECT_EQ(cursor.FindPrevious(), "none");
  EXPECT_EQ(cursor.Flags(), "010 4");

  EXPECT_EQ(cursor.Walk(kSearchByPhone, "*"), (Strings{"Smith, Ann", "Stone, Bob", "Young, Cy"}));
  EXPECT_EQ(cursor.Flags(), "100 5");
  EXPECT_EQ(bob->EntryID(), RowsOf(bob->EntryID()).at(0).entry_id);
}

TEST_F(ContactRecordTest, NamesMatchWithoutRegardToCase) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  AddContact("Émile Smythe", {{"BusinessTelephoneNumber", "2"}});
  AddContact("Bob Stone", {{"BusinessTelephoneNumber", "3"}});
  StartDriver();
  HostCursor cursor = Open();
  EXPECT_EQ(cursor.Walk(kSearchByName, "smith, ann"), (Strings{"Smith, Ann"}));
  EXPECT_EQ(cursor.Walk(kSearchByName, "SM*"), (Strings{"Smith, Ann", "Smythe, Émile"}));
  EXPECT_EQ(cursor.Walk(kSearchByName, "*, é*"), (Strings{"Smythe, Émile"}));
  EXPECT_EQ(cursor.Walk(kSearchByName, "s*e, *"), (Strings{"Smythe, Émile", "Stone, Bob"}));
  EXPECT_EQ(cursor.Walk(kSearchByName, "Smith"), (Strings{"unknown name Smith"}));
}

TEST_F(ContactRecordTest, TheHostsSpecialCharactersAreSearchedLiterally) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1234"}});
  AddContact("Room #4", {{"BusinessTelephoneNumber", "5"}});
  AddContact("Dot [A?] \"Quoted\"", {{"BusinessTelephoneNumber", "6"}});
  StartDriver();
  HostCursor cursor = Open();
  // "#", "?" and "[" would be a digit, any character and a list in Jet's Like.
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "12#4"), (Strings{"unknown phone 12#4"}));
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "12?4"), (Strings{"unknown phone 12?4"}));
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "[1]234"), (Strings{"unknown phone [1]234"}));
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "*34"), (Strings{"Smith, Ann"}));
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "1*4"), (Strings{"Smith, Ann"}));
  // Only digits can match a phone row: the value is not reduced to digits.
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "12-34"), (Strings{"unknown phone 12-34"}));
  EXPECT_EQ(cursor.Walk(kSearchByName, "#4*"), (Strings{"#4, Room"}));
  EXPECT_EQ(cursor.Walk(kSearchByName, "*[A?]*"), (Strings{"\"Quoted\", Dot [A?]"}));
  // A double quote is one more character, not the end of the statement.
  EXPECT_EQ(cursor.Walk(kSearchByName, "\"quoted\"*"), (Strings{"\"Quoted\", Dot [A?]"}));
  EXPECT_EQ(cursor.Flags(), "100 1");
}

TEST_F(ContactRecordTest, RowsOfContactsGoneFromTheStoreAreDeletedWhenMet) {
  auto ann = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "0101"}});
  auto bob = AddContact("Bob Stone",
                        {{"BusinessTelephoneNumber", "0102"}, {"MobileTelephoneNumber", "0105"}});
  auto cy = AddContact("Cy Young", {{"BusinessTelephoneNumber", "0103"}});
  auto di = AddContact("Di Zane", {{"BusinessTelephoneNumber", "0104"}});
  StartDriver();
  HostCursor cursor = Open();

  RemoveCard(bob);  // met by FindNext: both of its rows go, one at a time
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "010*"), (Strings{"Smith, Ann", "Young, Cy", "Zane, Di"}));
  EXPECT_TRUE(RowsOf(bob->EntryID()).empty());

  RemoveCard(di);  // the last row, met by MoveLast: the contact before it answers
  EXPECT_EQ(cursor.FindFirst(kSearchByPhone, "010*"), "Smith, Ann");
  ASSERT_EQ(cursor.get()->ContactRecord_MoveLast(), S_OK);
  EXPECT_EQ(cursor.Current(), "Young, Cy");
  EXPECT_TRUE(RowsOf(di->EntryID()).empty());

  // The first row of a search, deleted in the store (so in Deleted Items,
  // still found by its old ID): the first live match answers.
  const std::string ann_id = ann->EntryID();
  ASSERT_TRUE(ann->Delete().ok());
  EXPECT_EQ(cursor.FindFirst(kSearchByPhone, "010*"), "Young, Cy");
  EXPECT_EQ(cursor.Flags(), "000 1");
  EXPECT_TRUE(RowsOf(ann_id).empty());
  EXPECT_EQ(cursor.FindNext(), "none");

  RemoveCard(cy);  // every match gone: the placeholder, and nothing left
  EXPECT_EQ(cursor.FindFirst(kSearchByPhone, "010*"), "unknown phone 010*");
  EXPECT_EQ(cursor.Flags(), "101 0");
  EXPECT_TRUE(Rows().empty());
}

TEST_F(ContactRecordTest, ANamelessRowTakesTheNameTheContactHasNow) {
  auto ann = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "0101"}});
  StartDriver();
  ASSERT_TRUE(Shared()
                  .gCacheDatabase
                  ->Execute("Update TCache Set Name = \"&&&\" Where EntryID = ?", {ann->EntryID()})
                  .ok());
  HostCursor cursor = Open();
  size_t from = LogLines().size();
  EXPECT_EQ(cursor.FindFirst(kSearchByPhone, "0101"), "Smith, Ann");
  Strings log = LogSince(from);
  EXPECT_NE(std::find(log.begin(), log.end(), "ContactName = '&&&' Updating record..."), log.end());
  EXPECT_EQ(RowsOf(ann->EntryID()),
            (std::vector<CacheRow>{{"0101", ann->EntryID(), "Smith, Ann"}}));
}

TEST_F(ContactRecordTest, MoveFirstLetsTheNextReadSearchAgainAndFailsOnAnEmptyResult) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "0101"}});
  AddContact("Bob Stone", {{"BusinessTelephoneNumber", "0102"}});
  StartDriver();
  HostCursor cursor = Open();
  ASSERT_EQ(cursor.get()->ContactRecord_MoveFirst(), S_OK);  // no search yet: nothing to do
  EXPECT_EQ(cursor.FindFirst(kSearchByPhone, "010*"), "Smith, Ann");
  EXPECT_EQ(cursor.FindNext(), "Stone, Bob");
  ASSERT_EQ(cursor.get()->ContactRecord_MoveFirst(), S_OK);
  EXPECT_EQ(cursor.Flags(), "000 2");
  size_t from = LogLines().size();
  EXPECT_EQ(cursor.Current(), "Smith, Ann");
  EXPECT_EQ(LogSince(from).at(0), "Searching for 010* in phone field...");

  EXPECT_EQ(cursor.FindFirst(kSearchByPhone, "9"), "unknown phone 9");
  EXPECT_NE(cursor.get()->ContactRecord_MoveFirst(), S_OK);  // the database's failure
}

TEST_F(ContactRecordTest, AHostReachesTheCursorByName) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "0101"}});
  StartDriver();
  HostCursor cursor = Open();
  IDispatch* object = cursor.get();
  auto id_of = [&](const char* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
    return id;
  };
  // FindFirst(Field, Filter), with the field as a 16-bit integer.
  com::Bstr filter("0101");
  VARIANT args[2];
  VariantInit(&args[0]);
  VariantInit(&args[1]);
  args[0].vt = VT_BSTR;  // the last argument comes first
  args[0].bstrVal = filter.get();
  args[1].vt = VT_I2;
  args[1].iVal = 0;
  DISPPARAMS params{args, nullptr, 2, 0};
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(object->Invoke(id_of("FindFirst"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                           &params, &out, nullptr, nullptr),
            S_OK);
  com::Variant found = com::Variant::Adopt(&out);
  com::ComPtr<IDispatch> contact = found.ToDispatch().value();
  Contact* typed = nullptr;
  ASSERT_EQ(contact->QueryInterface(IID_Contact, reinterpret_cast<void**>(&typed)), S_OK);
  EXPECT_EQ(Describe(com::ComPtr<Contact>::Adopt(typed).get()), "Smith, Ann");

  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VariantInit(&out);
  ASSERT_EQ(object->Invoke(id_of("ContactRecord_RecordCount"), IID_NULL, LOCALE_USER_DEFAULT,
                           DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, &out, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(out.vt, VT_I2);
  EXPECT_EQ(out.iVal, 1);
  VariantInit(&out);
  ASSERT_EQ(object->Invoke(id_of("NoMatch"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                           &none, &out, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(out.vt, VT_BOOL);
  EXPECT_EQ(out.boolVal, VARIANT_FALSE);
}

TEST_F(ContactRecordTest, OpenedCursorsAreListedUntilReleasedAndLoseTheirRowsWithTheDriver) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "0101"}});
  AddContact("Bob Stone", {{"BusinessTelephoneNumber", "0102"}});
  StartDriver();
  {
    HostCursor first = Open();
    HostCursor second = Open();
    EXPECT_EQ(Shared().gContactRecords.size(), 2u);
  }
  EXPECT_TRUE(Shared().gContactRecords.empty());

  HostCursor kept = Open();
  EXPECT_EQ(kept.FindFirst(kSearchByPhone, "010*"), "Smith, Ann");
  driver_.reset();  // the host ends the driver but still holds the cursor
  EXPECT_EQ(kept.FindNext(), "none");
  EXPECT_EQ(kept.Flags(), "000 0");

  // A driver whose start-up failed hands out no cursor.
  Shared().gDriverReady = false;
  cDataConnector not_ready;
  Shared().gDriverReady = false;
  Result<com::ComPtr<ContactRecord>> none = not_ready.Dataconnector_OpenContactRecord();
  ASSERT_TRUE(none.ok());
  EXPECT_FALSE(none.value());
}

TEST_F(ContactRecordTest, ASearchWhileAWalkRunsSeesTheRowsWrittenSoFar) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "0101"}});
  AddContact("Bob Stone", {{"BusinessTelephoneNumber", "0102"}});
  StartDriver();
  HostCursor cursor = Open();
  // A call rings while a rebuild runs: the host searches from its message
  // loop, between two contacts of the walk.
  Strings answers;
  auto timer = desktop_.loop().StartTimer(std::chrono::milliseconds(0), true, [&] {
    if (!answers.empty() || !Shared().progress_window->walking() || Rows().size() != 1) return;
    answers = {cursor.FindFirst(kSearchByPhone, "010*"), cursor.FindNext()};
  });
  ASSERT_TRUE(driver_->Dataconnector_WriteCache(true).ok());
  RunWalk();
  desktop_.loop().StopTimer(timer);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_NE(answers[0], "unknown phone 010*");
  EXPECT_EQ(answers[1], "none");
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "010*"), (Strings{"Smith, Ann", "Stone, Bob"}));
}

TEST_F(ContactRecordTest, AContactCreatedForACallerIsFoundAtOnce) {
  StartDriver();
  HostCursor cursor = Open();
  EXPECT_EQ(cursor.FindFirst(kSearchByPhone, "33123"), "unknown phone 33123");
  ASSERT_TRUE(driver_->Dataconnector_CreateContact("Ann Smith", "+33 1 23", false).ok());
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "33123"), (Strings{"Smith, Ann"}));
  EXPECT_EQ(cursor.Walk(kSearchByName, "smith*"), (Strings{"Smith, Ann"}));
}

// What the driver answers a host's "numberMatching" command with.
std::string MatchingAnswer(cDataConnector& driver, const VARIANT& argument) {
  Result<com::Variant> answer = driver.DataConnector_ExecuteCommand("numberMatching", argument);
  EXPECT_TRUE(answer.ok());
  return answer.ok() ? answer.value().ToString().value_or("<not text>") : "<failed>";
}
VARIANT Flag(bool on) {
  VARIANT flag;
  VariantInit(&flag);
  flag.vt = VT_BOOL;
  flag.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
  return flag;
}

// With number matching, one search finds a caller under every form the
// number was written in, each contact once, in name order; the host turns
// it off and on for its own driver object.
TEST_F(ContactRecordTest, NumberMatchingFindsEveryFormOfTheNumberOnceEach) {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "NumberMatching", "1"));
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "NumberRegion", "de"));
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "0160 1234567"},
                           {"MobileTelephoneNumber", "+49 (0)160 123 45 67"},
                           {"HomeTelephoneNumber", "+49 30 1234567"}});
  AddContact("Bob Stone", {{"BusinessTelephoneNumber", "+49 30 1234567"}});
  AddContact("Cy Young", {{"BusinessTelephoneNumber", "0049 160 1234567 x12"}});
  AddContact("Al Ames", {{"BusinessTelephoneNumber", "01601234567"}});
  StartDriver();
  HostCursor cursor = Open();
  size_t from = LogLines().size();
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "+49 160 1234567"),
            (Strings{"Ames, Al", "Smith, Ann", "Young, Cy"}));
  EXPECT_EQ(LogSince(from).at(2), "Same number in region DE: 3 more stored number(s).");
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "01601234567"),
            (Strings{"Ames, Al", "Smith, Ann", "Young, Cy"}));
  // Shorter than seven digits, or with a wildcard: the digits as always.
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "*601234567"), (Strings{"Ames, Al", "Smith, Ann"}));
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "030 123"), (Strings{"unknown phone 030 123"}));

  EXPECT_EQ(MatchingAnswer(*driver_, Flag(false)), "");
  HostCursor digits = Open();
  EXPECT_EQ(digits.Walk(kSearchByPhone, "+49 160 1234567"),
            (Strings{"unknown phone +49 160 1234567"}));
  EXPECT_EQ(digits.Walk(kSearchByPhone, "01601234567"), (Strings{"Ames, Al", "Smith, Ann"}));
  // The cursor opened before keeps the matching it was opened with.
  EXPECT_EQ(cursor.Walk(kSearchByPhone, "0160 1234567"),
            (Strings{"Ames, Al", "Smith, Ann", "Young, Cy"}));

  EXPECT_EQ(MatchingAnswer(*driver_, com::Variant::String("ch").raw()), "CH");
  EXPECT_EQ(MatchingAnswer(*driver_, com::Variant().raw()), "CH");  // asked, not changed
  // From Switzerland, 0160 ... is a Swiss number: only the international forms are Ann's.
  EXPECT_EQ(Open().Walk(kSearchByPhone, "+49 160 1234567"), (Strings{"Smith, Ann", "Young, Cy"}));
}

TEST_F(ContactRecordTest, NumberMatchingWithoutARegionComparesDigitsAndSaysWhyOnce) {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "NumberMatching", "1"));
  ScopedEnv all("LC_ALL", ""), telephone("LC_TELEPHONE", ""), lang("LANG", "C.UTF-8");
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "0160 1234567"}});
  StartDriver();
  EXPECT_EQ(Open().Walk(kSearchByPhone, "+49 160 1234567"),
            (Strings{"unknown phone +49 160 1234567"}));
  EXPECT_EQ(MatchingAnswer(*driver_, Flag(true)), "");
  Strings lines = LogLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) {
                            return line.find("Number matching is off: no region is known") !=
                                   std::string::npos;
                          }),
            1);
  // The locale's region serves when the settings name none.
  ScopedEnv german("LC_TELEPHONE", "de_DE.UTF-8");
  EXPECT_EQ(MatchingAnswer(*driver_, Flag(true)), "DE");
  EXPECT_EQ(Open().Walk(kSearchByPhone, "+49 160 1234567"), (Strings{"Smith, Ann"}));
  // A region the phone plan does not know turns nothing on.
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "NumberRegion", "XX"));
  EXPECT_EQ(MatchingAnswer(*driver_, Flag(true)), "");
}

}  // namespace
}  // namespace olconn97::testing
