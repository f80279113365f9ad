#include "outside/pim/journal_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "test_support.h"

namespace olconn97::pim {

// Readable failures: the fields, times as seconds since the epoch.
void PrintTo(const JournalEntry& entry, std::ostream* out) {
  auto seconds = [](const std::optional<shell::WallTime>& time) {
    return time ? std::to_string(std::chrono::system_clock::to_time_t(*time)) : "unset";
  };
  *out << "{uid=" << entry.uid << " subject=" << entry.subject << " body=" << entry.body
       << " recipients=" << ::testing::PrintToString(entry.recipients)
       << " start=" << seconds(entry.start) << " end=" << seconds(entry.end) << " duration="
       << (entry.duration_minutes ? std::to_string(*entry.duration_minutes) : "unset")
       << " stamp=" << seconds(entry.stamp) << "}";
}

namespace {

using ::olconn97::testing::ReadFile;
using ::olconn97::testing::ScopedEnv;
using shell::WallTime;

WallTime At(std::time_t seconds) { return std::chrono::system_clock::from_time_t(seconds); }

constexpr std::time_t kCallStart = 1796381405;  // 2026-12-04 10:50:05 UTC

// Local time is Central European time, so local and UTC texts differ.
class JournalFileTest : public ::testing::Test {
 protected:
  JournalFileTest() : time_zone_(std::in_place, "TZ", "CET-1CEST,M3.5.0,M10.5.0/3") { tzset(); }
  ~JournalFileTest() override {
    time_zone_.reset();
    tzset();
  }

  static JournalEntry CallEntry() {
    JournalEntry entry;
    entry.uid = "3F2504E04F8911D39A0C0305E82C3301";
    entry.subject = "Anruf von Jürgen Müller";
    entry.body =
        "Jürgen Müller called \n\rContact:  <Outlook://Personal Folders/Contacts/~Jürgen> ";
    entry.recipients = {"Jürgen Müller", "0123 456"};
    entry.start = At(kCallStart);
    entry.end = At(kCallStart + 95);
    entry.duration_minutes = 2;
    entry.stamp = At(kCallStart + 96);
    return entry;
  }

  static std::string TestData(const std::string& name) {
    return ReadFile(std::string(OLCONN97_SHARED_TESTDATA_DIR) + "/ical/" + name);
  }

 private:
  std::optional<ScopedEnv> time_zone_;
};

TEST_F(JournalFileTest, NewEntryIsACalendarWithOneJournalInUtc) {
  Result<std::string> written = WriteJournal(CallEntry());
  ASSERT_TRUE(written.ok()) << written.status().ToString();
  const std::string& text = written.value();
  EXPECT_TRUE(text.starts_with("BEGIN:VCALENDAR\r\n"));
  EXPECT_NE(text.find("PRODID:-//olconn97//"), std::string::npos);
  EXPECT_NE(text.find("VERSION:2.0\r\n"), std::string::npos);
  EXPECT_NE(text.find("BEGIN:VJOURNAL\r\n"), std::string::npos);
  EXPECT_NE(text.find("UID:3F2504E04F8911D39A0C0305E82C3301\r\n"), std::string::npos);
  EXPECT_NE(text.find("DTSTART:20261204T105005Z\r\n"), std::string::npos);
  EXPECT_NE(text.find("DTSTAMP:20261204T105141Z\r\n"), std::string::npos);
  EXPECT_NE(text.find("X-OLCONN97-END:20261204T105140Z\r\n"), std::string::npos);
  EXPECT_NE(text.find("X-OLCONN97-DURATION:PT2M\r\n"), std::string::npos);
  EXPECT_NE(text.find("CONTACT:0123 456\r\n"), std::string::npos);
  // Neither is allowed in a VJOURNAL.
  EXPECT_EQ(text.find("DTEND"), std::string::npos);
  EXPECT_EQ(text.find("\nDURATION"), std::string::npos);
}

TEST_F(JournalFileTest, EntryReadsBackAsWritten) {
  JournalEntry entry = CallEntry();
  Result<std::string> written = WriteJournal(entry);
  ASSERT_TRUE(written.ok());
  Result<JournalEntry> read = ReadJournal(written.value());
  ASSERT_TRUE(read.ok()) << read.status().ToString();
  JournalEntry expected = entry;
  // The driver's LF CR is one line break in the file; libical drops the
  // final blank.
  expected.body = "Jürgen Müller called \nContact:  <Outlook://Personal Folders/Contacts/~Jürgen>";
  expected.original = read.value().original;
  EXPECT_EQ(read.value(), expected);

  // A call that is still ringing: duration 0, no end; 0 is not "unset".
  entry.end.reset();
  entry.duration_minutes = 0;
  read = ReadJournal(WriteJournal(entry).value());
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value().duration_minutes, std::optional<int>(0));
  EXPECT_FALSE(read.value().end.has_value());
}

TEST_F(JournalFileTest, EmptyTextsAndLoneLineBreaksAreWrittenSoLibicalReadsThem) {
  JournalEntry entry = CallEntry();
  entry.subject.clear();
  entry.recipients = {"", " 0123 ", " "};
  entry.body = "a\rb\r\nc";
  Result<std::string> written = WriteJournal(entry);
  ASSERT_TRUE(written.ok());
  EXPECT_EQ(written.value().find("SUMMARY"), std::string::npos);
  EXPECT_EQ(written.value().find("CONTACT:\r\n"), std::string::npos);
  EXPECT_EQ(written.value().find("X-LIC-ERROR"), std::string::npos);
  Result<JournalEntry> read = ReadJournal(written.value());
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value().recipients, std::vector<std::string>{"0123"});
  EXPECT_EQ(read.value().body, "a\nb\nc");
  EXPECT_EQ(read.value().subject, "");
}

TEST_F(JournalFileTest, EntryWithoutUidOrJournalFailsCleanly) {
  JournalEntry entry = CallEntry();
  entry.uid.clear();
  EXPECT_EQ(WriteJournal(entry).status().code(), Code::kInvalidArgument);

  for (const char* text : {"", "not a calendar",
                           "BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:x\n"
                           "END:VEVENT\nEND:VCALENDAR\n"}) {
    EXPECT_EQ(ReadJournal(text).status().code(), Code::kCorrupt) << text;
  }
  entry = CallEntry();
  entry.original = "BEGIN:VCALENDAR\nEND:VCALENDAR\n";
  EXPECT_EQ(WriteJournal(entry).status().code(), Code::kCorrupt);
}

TEST_F(JournalFileTest, ReadsABareJournalWithADateStart) {
  OLC_SKIP_WITHOUT_SHARED_TESTDATA();
  Result<JournalEntry> read = ReadJournal(TestData("vobject/journal.ics"));
  ASSERT_TRUE(read.ok()) << read.status().ToString();
  const JournalEntry& entry = read.value();
  EXPECT_EQ(entry.uid, "19970901T130000Z-123405@example.com");
  EXPECT_EQ(entry.subject, "Staff meeting minutes");
  EXPECT_TRUE(entry.body.starts_with("1. Staff meeting: Participants include Joe, Lisa, and Bob."))
      << entry.body;
  EXPECT_NE(entry.body.find("Tuesday.\n2. Telephone Conference"), std::string::npos);
  // A date alone is local midnight: 1997-03-17 00:00 CET.
  EXPECT_EQ(entry.start, At(858553200));
  EXPECT_EQ(entry.stamp, At(873118800));
  EXPECT_TRUE(entry.original.starts_with("BEGIN:VCALENDAR\r\n"));

  Result<std::string> rewritten = WriteJournal(entry);
  ASSERT_TRUE(rewritten.ok());
  EXPECT_TRUE(rewritten.value().starts_with("BEGIN:VCALENDAR\r\n"));
  // Unchanged, the date start stays a date.
  EXPECT_NE(rewritten.value().find("DTSTART;VALUE=DATE:19970317"), std::string::npos);
}

TEST_F(JournalFileTest, ReadsZonedAndFloatingTimesOfOtherTools) {
  OLC_SKIP_WITHOUT_SHARED_TESTDATA();
  // DTSTAMP 1994-08-17 00:00 in the file's own Europe/Paris zone (summer time).
  Result<JournalEntry> zoned = ReadJournal(TestData("radicale/journal1.ics"));
  ASSERT_TRUE(zoned.ok());
  EXPECT_EQ(zoned.value().stamp, At(777074400));
  EXPECT_EQ(zoned.value().body, "Happy new year 2000 !");

  // A floating 2021-09-12 00:00 is local time, here summer time +02:00.
  Result<JournalEntry> floating = ReadJournal(TestData("jtxboard/journal-most-fields.ics"));
  ASSERT_TRUE(floating.ok());
  EXPECT_EQ(floating.value().start, At(1631397600));
  EXPECT_EQ(floating.value().stamp, At(1631957065));

  // Several calendars in a row: the first entry.
  Result<JournalEntry> first = ReadJournal(TestData("syncevolution/eds_memo.ics"));
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(first.value().original.find("END:VCALENDAR"),
            first.value().original.rfind("END:VCALENDAR"));
}

TEST_F(JournalFileTest, RewriteKeepsWhatTheEntryDoesNotChange) {
  OLC_SKIP_WITHOUT_SHARED_TESTDATA();
  Result<JournalEntry> read = ReadJournal(TestData("jtxboard/journal-most-fields.ics"));
  ASSERT_TRUE(read.ok());
  JournalEntry entry = read.value();
  entry.subject = "Call from Ann";
  entry.recipients.push_back("Ann Smith");
  Result<std::string> written = WriteJournal(entry);
  ASSERT_TRUE(written.ok());
  const std::string& text = written.value();
  for (const char* kept :
       {"PRODID:+//IDN techbee.at//jtxBoard\r\n", "LOCATION:At home\r\n", "CATEGORIES:Cat1\r\n",
        "ATTENDEE;CUTYPE=INDIVIDUAL;ROLE=REQ-PARTICIPANT:john@doe.com",
        "RELATED-TO;RELTYPE=CHILD:", "SEQUENCE:9\r\n", "STATUS:FINAL\r\n",
        "DTSTART:20210912T000000\r\n", "DESCRIPTION:This is the description\r\n"}) {
    EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
  }
  EXPECT_NE(text.find("SUMMARY:Call from Ann\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Almost all fields"), std::string::npos);

  // A zone definition the file carries stays with it.
  Result<JournalEntry> zoned = ReadJournal(TestData("radicale/journal2.ics"));
  ASSERT_TRUE(zoned.ok());
  zoned.value().body = "changed";
  Result<std::string> rezoned = WriteJournal(zoned.value());
  ASSERT_TRUE(rezoned.ok());
  EXPECT_NE(rezoned.value().find("BEGIN:VTIMEZONE"), std::string::npos);
  EXPECT_EQ(ReadJournal(rezoned.value()).value().body, "changed");
}

// Every file of other tools reads without crash or hang; fuzzer files may
// fail, but cleanly. What reads also rewrites and reads back the same.
TEST_F(JournalFileTest, OtherToolsFilesReadAndRewrite) {
  std::filesystem::path folder = std::filesystem::path(OLCONN97_SHARED_TESTDATA_DIR) / "ical";
  if (!std::filesystem::is_directory(folder)) {
    GTEST_SKIP() << "no shared iCalendar test data at " << folder;
  }
  const std::vector<std::string> hostile = {"crash.ics", "issue252.ics", "issue253.ics", "poc-01",
                                            "fuzzusban5"};
  int read_count = 0;
  for (const auto& file : std::filesystem::recursive_directory_iterator(folder)) {
    if (!file.is_regular_file()) continue;
    std::string name = file.path().filename().string();
    bool is_hostile = std::find(hostile.begin(), hostile.end(), name) != hostile.end();
    Result<JournalEntry> read = ReadJournal(ReadFile(file.path().string()));
    if (!read.ok()) {
      EXPECT_TRUE(is_hostile) << file.path() << ": " << read.status().ToString();
      continue;
    }
    ++read_count;
    if (read.value().uid.empty()) continue;
    Result<std::string> written = WriteJournal(read.value());
    ASSERT_TRUE(written.ok()) << file.path();
    Result<JournalEntry> again = ReadJournal(written.value());
    ASSERT_TRUE(again.ok()) << file.path();
    JournalEntry expected = read.value();
    expected.original = again.value().original;
    if (!expected.stamp.has_value()) expected.stamp = again.value().stamp;  // time of writing
    if (!is_hostile) {
      EXPECT_EQ(again.value(), expected) << file.path();
    }
  }
  EXPECT_GE(read_count, 15);
}

}  // namespace
}  // namespace olconn97::pim
