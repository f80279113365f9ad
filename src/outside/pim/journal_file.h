// The store's journal entries: iCalendar files (RFC 5545) holding a
// VCALENDAR with one VJOURNAL, read and written with libical.
//
// Times are written in UTC ("...Z"): an instant that any reader places
// exactly, with no VTIMEZONE to carry along (the system's zone may have no
// name a calendar tool knows), and calendar tools show it in the user's own
// zone. Floating times and TZID times of other tools are read too (a TZID
// neither defined in the file nor known to libical counts as local time);
// a date without a time is local midnight.
//
// A VJOURNAL has no DTEND and no DURATION, so the entry's end and duration
// are the X- properties X-OLCONN97-END (a UTC date-time) and
// X-OLCONN97-DURATION (an iCalendar duration such as "PT5M"). Other tools
// read unknown X- properties without error and keep them.
#ifndef OLCONN97_OUTSIDE_PIM_JOURNAL_FILE_H_
#define OLCONN97_OUTSIDE_PIM_JOURNAL_FILE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/shell/clock.h"

namespace olconn97::pim {

struct JournalEntry {
  std::string uid;                       // UID; required for writing
  std::string subject;                   // SUMMARY
  std::string body;                      // DESCRIPTION, with LF line breaks
  std::vector<std::string> recipients;   // CONTACT lines: names or numbers
  std::optional<shell::WallTime> start;  // DTSTART
  std::optional<shell::WallTime> end;
  std::optional<int> duration_minutes;
  // DTSTAMP. When unset, a rewritten file keeps its own and a new file
  // gets the time of writing.
  std::optional<shell::WallTime> stamp;
  // The calendar the entry was read from, as ReadJournal found it; written
  // back around the entry so that other tools' properties and components
  // survive. Empty for a new entry.
  std::string original;

  friend bool operator==(const JournalEntry&, const JournalEntry&) = default;
};

// Reads the first VJOURNAL of the text: in a VCALENDAR, in one of several
// calendars in a row, or bare. Fails with kCorrupt when libical finds no
// VJOURNAL. Times are read to the second.
Result<JournalEntry> ReadJournal(std::string_view ics);

// The file of an entry. Properties the entry does not change are left as
// they are, and so is everything else of `original`. Texts lose the blanks
// at either end, which libical drops on reading anyway, and empty texts are
// left out (libical reads an empty property as an error). Fails with
// kInvalidArgument for an entry without UID, with kCorrupt when `original`
// holds no VJOURNAL.
Result<std::string> WriteJournal(const JournalEntry& entry);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_JOURNAL_FILE_H_
