#include "outside/pim/journal_file.h"

#include <libical/ical.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

#include "base/strings.h"
#include "outside/pim/text_codec.h"

namespace olconn97::pim {
namespace {

constexpr char kProductId[] = "-//olconn97//olconn97 PIM store//EN";
constexpr char kEndProperty[] = "X-OLCONN97-END";
constexpr char kDurationProperty[] = "X-OLCONN97-DURATION";

struct ComponentFree {
  void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentFree>;

// A calendar and the VJOURNAL in it that the entry is.
struct Calendar {
  ComponentPtr root;
  icalcomponent* journal = nullptr;
};

std::vector<icalcomponent*> Children(icalcomponent* component) {
  std::vector<icalcomponent*> children;
  for (icalcomponent* child = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
       child != nullptr; child = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT)) {
    children.push_back(child);
  }
  return children;
}

std::vector<icalproperty*> Properties(icalcomponent* component, icalproperty_kind kind) {
  std::vector<icalproperty*> properties;
  for (icalproperty* property = icalcomponent_get_first_property(component, kind);
       property != nullptr; property = icalcomponent_get_next_property(component, kind)) {
    properties.push_back(property);
  }
  return properties;
}

// The first VJOURNAL in document order. No recursion: hostile files nest
// components thousands deep.
icalcomponent* FirstJournal(icalcomponent* root) {
  std::vector<icalcomponent*> pending = {root};
  while (!pending.empty()) {
    icalcomponent* component = pending.back();
    pending.pop_back();
    if (icalcomponent_isa(component) == ICAL_VJOURNAL_COMPONENT) return component;
    std::vector<icalcomponent*> children = Children(component);
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return nullptr;
}

void RemoveProperties(icalcomponent* component, const std::vector<icalproperty*>& properties) {
  for (icalproperty* property : properties) {
    icalcomponent_remove_property(component, property);
    icalproperty_free(property);
  }
}

// libical puts X-LIC-ERROR properties where it could not parse a line; they
// are its notes, not the file's content, and are not written back.
void RemoveParserNotes(icalcomponent* root) {
  std::vector<icalcomponent*> pending = {root};
  while (!pending.empty()) {
    icalcomponent* component = pending.back();
    pending.pop_back();
    RemoveProperties(component, Properties(component, ICAL_XLICERROR_PROPERTY));
    std::vector<icalcomponent*> children = Children(component);
    pending.insert(pending.end(), children.begin(), children.end());
  }
}

Result<Calendar> ParseCalendar(std::string_view ics) {
  std::string text(ics);  // libical reads up to a NUL
  ComponentPtr parsed(icalparser_parse_string(text.c_str()));
  icalcomponent* journal = parsed ? FirstJournal(parsed.get()) : nullptr;
  if (journal == nullptr) return Status::Corrupt("the file holds no journal entry (VJOURNAL)");
  icalcomponent* parent = icalcomponent_get_parent(journal);
  Calendar calendar;
  if (parent != nullptr && icalcomponent_isa(parent) == ICAL_VCALENDAR_COMPONENT) {
    // One calendar of several in a row is taken alone.
    calendar.root.reset(parent == parsed.get() ? parsed.release()
                                               : icalcomponent_new_clone(parent));
  } else {
    calendar.root.reset(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_component(calendar.root.get(), icalcomponent_new_clone(journal));
  }
  calendar.journal = FirstJournal(calendar.root.get());
  RemoveParserNotes(calendar.root.get());
  return calendar;
}

// Takes a string libical allocated for the caller.
std::string Owned(char* text) {
  std::string out = text != nullptr ? text : "";
  icalmemory_free_buffer(text);
  return out;
}

std::string ValueText(icalproperty* property) {
  icalvalue* value = icalproperty_get_value(property);
  if (value == nullptr) return {};
  const char* text = nullptr;
  switch (icalvalue_isa(value)) {
    case ICAL_TEXT_VALUE:
      text = icalvalue_get_text(value);
      break;
    case ICAL_X_VALUE:
      text = icalvalue_get_x(value);
      break;
    default:
      break;
  }
  if (text != nullptr) return text;
  return Owned(icalvalue_as_ical_string_r(value));
}

std::vector<std::string> Texts(icalcomponent* journal, icalproperty_kind kind) {
  std::vector<std::string> texts;
  for (icalproperty* property : Properties(journal, kind)) texts.push_back(ValueText(property));
  return texts;
}

std::string FirstText(icalcomponent* journal, icalproperty_kind kind) {
  icalproperty* property = icalcomponent_get_first_property(journal, kind);
  return property != nullptr ? ValueText(property) : std::string();
}

icalproperty* FindX(icalcomponent* journal, std::string_view name) {
  for (icalproperty* property : Properties(journal, ICAL_X_PROPERTY)) {
    const char* x_name = icalproperty_get_x_name(property);
    if (x_name != nullptr && name == x_name) return property;
  }
  return nullptr;
}

shell::WallTime LocalWallTime(const icaltimetype& time) {
  std::tm local{};
  local.tm_year = time.year - 1900;
  local.tm_mon = time.month - 1;
  local.tm_mday = time.day;
  if (!time.is_date) {
    local.tm_hour = time.hour;
    local.tm_min = time.minute;
    local.tm_sec = time.second;
  }
  return shell::FromLocalTime(local);
}

icaltimezone* FindZone(icalcomponent* journal, const char* tzid) {
  icalcomponent* calendar = icalcomponent_get_parent(journal);
  icaltimezone* zone = calendar != nullptr ? icalcomponent_get_timezone(calendar, tzid) : nullptr;
  return zone != nullptr ? zone : icaltimezone_get_builtin_timezone(tzid);
}

std::optional<shell::WallTime> WallTimeOf(icaltimetype time, icalproperty* property,
                                          icalcomponent* journal) {
  if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time)) return std::nullopt;
  if (time.is_date) return LocalWallTime(time);
  if (icaltime_is_utc(time)) return std::chrono::system_clock::from_time_t(icaltime_as_timet(time));
  const char* tzid =
      property != nullptr ? icalproperty_get_parameter_as_string(property, "TZID") : nullptr;
  icaltimezone* zone = tzid != nullptr ? FindZone(journal, tzid) : nullptr;
  if (zone == nullptr) return LocalWallTime(time);
  return std::chrono::system_clock::from_time_t(icaltime_as_timet_with_zone(time, zone));
}

std::optional<shell::WallTime> TimeProperty(icalcomponent* journal, icalproperty_kind kind) {
  icalproperty* property = icalcomponent_get_first_property(journal, kind);
  icalvalue* value = property != nullptr ? icalproperty_get_value(property) : nullptr;
  if (value == nullptr) return std::nullopt;
  icalvalue_kind value_kind = icalvalue_isa(value);
  if (value_kind == ICAL_DATE_VALUE)
    return WallTimeOf(icalvalue_get_date(value), property, journal);
  if (value_kind != ICAL_DATETIME_VALUE) return std::nullopt;
  return WallTimeOf(icalvalue_get_datetime(value), property, journal);
}

JournalEntry EntryFrom(icalcomponent* journal) {
  JournalEntry entry;
  entry.uid = FirstText(journal, ICAL_UID_PROPERTY);
  entry.subject = FirstText(journal, ICAL_SUMMARY_PROPERTY);
  // A VJOURNAL may hold several descriptions; they read as one body.
  std::vector<std::string> descriptions = Texts(journal, ICAL_DESCRIPTION_PROPERTY);
  for (size_t i = 0; i < descriptions.size(); ++i) {
    entry.body += (i > 0 ? "\n" : "") + UnixLineBreaks(descriptions[i]);
  }
  entry.recipients = Texts(journal, ICAL_CONTACT_PROPERTY);
  entry.start = TimeProperty(journal, ICAL_DTSTART_PROPERTY);
  entry.stamp = TimeProperty(journal, ICAL_DTSTAMP_PROPERTY);
  if (icalproperty* end = FindX(journal, kEndProperty)) {
    entry.end = WallTimeOf(icaltime_from_string(ValueText(end).c_str()), nullptr, journal);
  }
  if (icalproperty* duration = FindX(journal, kDurationProperty)) {
    icaldurationtype parsed = icaldurationtype_from_string(ValueText(duration).c_str());
    if (!icaldurationtype_is_bad_duration(parsed)) {
      entry.duration_minutes = icaldurationtype_as_int(parsed) / 60;
    }
  }
  return entry;
}

std::string AsText(icalcomponent* component) {
  return Owned(icalcomponent_as_ical_string_r(component));
}

icaltimetype UtcTime(shell::WallTime time) {
  return icaltime_from_timet_with_zone(std::chrono::system_clock::to_time_t(time), 0,
                                       icaltimezone_get_utc_timezone());
}

void ReplaceTexts(icalcomponent* journal, icalproperty_kind kind,
                  const std::vector<std::string>& texts) {
  RemoveProperties(journal, Properties(journal, kind));
  for (const std::string& text : texts) {
    if (text.empty()) continue;
    icalproperty* property = icalproperty_new(kind);
    icalproperty_set_value(property, icalvalue_new_text(text.c_str()));
    icalcomponent_add_property(journal, property);
  }
}

void ReplaceTime(icalcomponent* journal, icalproperty_kind kind,
                 std::optional<shell::WallTime> time) {
  RemoveProperties(journal, Properties(journal, kind));
  if (!time.has_value()) return;
  icalproperty* property = icalproperty_new(kind);
  icalproperty_set_value(property, icalvalue_new_datetime(UtcTime(*time)));
  icalcomponent_add_property(journal, property);
}

void ReplaceX(icalcomponent* journal, const char* name, const std::optional<std::string>& text) {
  while (icalproperty* old = FindX(journal, name)) RemoveProperties(journal, {old});
  if (!text.has_value()) return;
  icalproperty* property = icalproperty_new_x(text->c_str());
  icalproperty_set_x_name(property, name);
  icalcomponent_add_property(journal, property);
}

std::optional<std::string> EndText(std::optional<shell::WallTime> end) {
  if (!end.has_value()) return std::nullopt;
  return Owned(icaltime_as_ical_string_r(UtcTime(*end)));
}

std::optional<std::string> DurationText(std::optional<int> minutes) {
  if (!minutes.has_value()) return std::nullopt;
  constexpr int kLongest =
      std::numeric_limits<int>::max() / 60;  // libical counts seconds in an int
  int seconds = std::clamp(*minutes, -kLongest, kLongest) * 60;
  return Owned(icaldurationtype_as_ical_string_r(icaldurationtype_from_int(seconds)));
}

// The entry as the file will hold it: LF line breaks, no empty recipients,
// and no blanks at either end of a text, as libical drops them on reading.
JournalEntry Normalized(const JournalEntry& entry) {
  auto text = [](std::string_view raw) { return std::string(TrimBlanks(UnixLineBreaks(raw))); };
  JournalEntry out = entry;
  out.uid = text(entry.uid);
  out.subject = text(entry.subject);
  out.body = text(entry.body);
  out.recipients.clear();
  for (const std::string& recipient : entry.recipients) {
    if (!text(recipient).empty()) out.recipients.push_back(text(recipient));
  }
  return out;
}

// Rewrites only the properties whose value the entry changes.
void Update(icalcomponent* journal, const JournalEntry& wanted) {
  JournalEntry current = EntryFrom(journal);
  if (current.uid != wanted.uid) ReplaceTexts(journal, ICAL_UID_PROPERTY, {wanted.uid});
  if (current.subject != wanted.subject) {
    ReplaceTexts(journal, ICAL_SUMMARY_PROPERTY, {wanted.subject});
  }
  if (current.body != wanted.body) ReplaceTexts(journal, ICAL_DESCRIPTION_PROPERTY, {wanted.body});
  if (current.recipients != wanted.recipients) {
    ReplaceTexts(journal, ICAL_CONTACT_PROPERTY, wanted.recipients);
  }
  if (current.start != wanted.start) ReplaceTime(journal, ICAL_DTSTART_PROPERTY, wanted.start);
  if (wanted.stamp.has_value() && wanted.stamp != current.stamp) {
    ReplaceTime(journal, ICAL_DTSTAMP_PROPERTY, wanted.stamp);
  } else if (!current.stamp.has_value()) {
    ReplaceTime(journal, ICAL_DTSTAMP_PROPERTY, std::chrono::system_clock::now());
  }
  if (current.end != wanted.end) ReplaceX(journal, kEndProperty, EndText(wanted.end));
  if (current.duration_minutes != wanted.duration_minutes) {
    ReplaceX(journal, kDurationProperty, DurationText(wanted.duration_minutes));
  }
}

Calendar NewCalendar() {
  Calendar calendar;
  calendar.root.reset(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
  calendar.journal = icalcomponent_new(ICAL_VJOURNAL_COMPONENT);
  icalcomponent_add_component(calendar.root.get(), calendar.journal);
  return calendar;
}

// A calendar of another tool keeps its PRODID; one without gets ours.
void AddCalendarProperties(icalcomponent* root) {
  if (icalcomponent_get_first_property(root, ICAL_PRODID_PROPERTY) == nullptr) {
    icalcomponent_add_property(root, icalproperty_new_prodid(kProductId));
  }
  if (icalcomponent_get_first_property(root, ICAL_VERSION_PROPERTY) == nullptr) {
    icalcomponent_add_property(root, icalproperty_new_version("2.0"));
  }
}

}  // namespace

Result<JournalEntry> ReadJournal(std::string_view ics) {
  OLC_ASSIGN_OR_RETURN(Calendar calendar, ParseCalendar(ics));
  JournalEntry entry = EntryFrom(calendar.journal);
  entry.original = AsText(calendar.root.get());
  return entry;
}

Result<std::string> WriteJournal(const JournalEntry& entry) {
  JournalEntry wanted = Normalized(entry);
  if (wanted.uid.empty()) return Status::InvalidArgument("a journal entry needs a UID");
  Calendar calendar;
  if (entry.original.empty()) {
    calendar = NewCalendar();
  } else {
    OLC_ASSIGN_OR_RETURN(calendar, ParseCalendar(entry.original));
  }
  AddCalendarProperties(calendar.root.get());
  Update(calendar.journal, wanted);
  return AsText(calendar.root.get());
}

}  // namespace olconn97::pim
