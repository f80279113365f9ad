#include "outside/pim/mail_header.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/strings.h"
#include "outside/pim/text_codec.h"

namespace olconn97::pim {
namespace {

constexpr size_t kLineLimit = 78;
// A plain word longer than this would not fit a line after a field name.
constexpr size_t kLongestPlainWord = 66;

constexpr std::array<const char*, 7> kDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct ZoneName {
  const char* name;
  int hours;
};
constexpr std::array<ZoneName, 12> kZoneNames = {{{"UT", 0},
                                                  {"UTC", 0},
                                                  {"GMT", 0},
                                                  {"Z", 0},
                                                  {"EST", -5},
                                                  {"EDT", -4},
                                                  {"CST", -6},
                                                  {"CDT", -5},
                                                  {"MST", -7},
                                                  {"MDT", -6},
                                                  {"PST", -8},
                                                  {"PDT", -7}}};

std::string_view TrimWhiteSpace(std::string_view text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsAtext(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::strchr("!#$%&'*+-/=?^_`{|}~", c) != nullptr;
}

bool IsPrintableAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

// Atoms separated by dots, as in both halves of a plain address.
bool IsDotAtom(std::string_view text) {
  if (text.empty() || text.front() == '.' || text.back() == '.') return false;
  if (text.find("..") != std::string_view::npos) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || IsAtext(c); });
}

bool IsPlainAddress(std::string_view text) {
  size_t at = text.rfind('@');
  if (at == std::string_view::npos || text.size() > 254) return false;
  return IsDotAtom(text.substr(0, at)) && IsDotAtom(text.substr(at + 1));
}

std::string Unquote(std::string_view quoted) {
  std::string out;
  for (size_t i = 1; i + 1 < quoted.size(); ++i) {
    if (quoted[i] == '\\' && i + 2 < quoted.size()) ++i;
    out += quoted[i];
  }
  return out;
}

void AppendPhrase(std::string_view display, std::vector<std::string>& segments) {
  std::vector<std::string_view> words = Split(display, ' ');
  bool atoms = display.find("=?") == std::string_view::npos &&
               std::all_of(words.begin(), words.end(), [](std::string_view word) {
                 return !word.empty() && std::all_of(word.begin(), word.end(), IsAtext);
               });
  if (atoms && display.size() <= kLongestPlainWord) {
    segments.insert(segments.end(), words.begin(), words.end());
  } else if (IsPrintableAscii(display) && display.size() <= kLongestPlainWord) {
    segments.push_back('"' + ReplaceAll(ReplaceAll(display, "\\", "\\\\"), "\"", "\\\"") + '"');
  } else {
    std::vector<std::string> encoded = EncodeWords(display);
    segments.insert(segments.end(), encoded.begin(), encoded.end());
  }
}

std::vector<std::string> RecipientSegments(std::string_view text) {
  std::vector<std::string> segments;
  if (IsPlainAddress(text)) return {std::string(text)};
  std::optional<std::string> address = AddressOf(text);
  if (address.has_value()) {
    std::string_view display = TrimBlanks(text.substr(0, text.rfind('<')));
    std::string plain = display.size() >= 2 && display.front() == '"' && display.back() == '"'
                            ? Unquote(display)
                            : std::string(display);
    if (!plain.empty()) AppendPhrase(plain, segments);
    segments.push_back("<" + *address + ">");
  } else {
    AppendPhrase(text, segments);
    segments.push_back(":;");
  }
  return segments;
}

// A display name as written: quoted parts unquoted, encoded-words decoded.
std::string DecodePhrase(std::string_view text) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == '"') {
      size_t end = pos + 1;
      while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2 : 1;
      end = std::min(end + 1, text.size());
      out += Unquote(text.substr(pos, end - pos));
      pos = end;
    } else {
      size_t end = std::min(text.find('"', pos), text.size());
      out += DecodeHeaderText(text.substr(pos, end - pos));
      pos = end;
    }
  }
  return std::string(TrimWhiteSpace(out));
}

std::string RecipientFromItem(std::string_view item) {
  item = TrimWhiteSpace(item);
  size_t open = item.rfind('<');
  if (item.ends_with('>') && open != std::string_view::npos) {
    std::string address(TrimWhiteSpace(item.substr(open + 1, item.size() - open - 2)));
    std::string display = DecodePhrase(item.substr(0, open));
    return display.empty() ? address : display + " <" + address + ">";
  }
  return DecodePhrase(item);
}

// Splits an address list at the commas, colons and semicolons that stand
// outside quotes and angle brackets.
struct ListScanner {
  std::vector<std::string> recipients;
  std::string item;
  bool in_group = false;
  bool group_has_members = false;
  std::string group_name;

  void EndItem() {
    std::string recipient = RecipientFromItem(item);
    item.clear();
    if (recipient.empty()) return;
    recipients.push_back(std::move(recipient));
    if (in_group) group_has_members = true;
  }
  void Structural(char c) {
    if (c == ':' && !in_group) {
      in_group = true;
      group_has_members = false;
      group_name = DecodePhrase(item);
      item.clear();
    } else if (c == ';' && in_group) {
      EndItem();
      if (!group_has_members && !group_name.empty()) recipients.push_back(group_name);
      in_group = false;
    } else if (c == ',') {
      EndItem();
    } else {
      item += c;
    }
  }
};

// "+0100", "-0430" or a zone name; an unknown zone counts as UTC, as
// RFC 5322 asks of obsolete zone letters.
long ZoneOffsetSeconds(std::string_view zone) {
  if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-') &&
      std::all_of(zone.begin() + 1, zone.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    int digits = std::stoi(std::string(zone.substr(1)));
    return (digits / 100 * 3600L + digits % 100 * 60L) * (zone[0] == '-' ? -1 : 1);
  }
  auto known = std::find_if(kZoneNames.begin(), kZoneNames.end(), [&](const ZoneName& entry) {
    return EqualsIgnoreCase(zone, entry.name);
  });
  return known == kZoneNames.end() ? 0 : known->hours * 3600L;
}

}  // namespace

std::string HeaderSafeText(std::string_view text) {
  std::string out = UnixLineBreaks(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return out;
}

std::optional<std::string> AddressOf(std::string_view recipient) {
  recipient = TrimBlanks(recipient);
  if (IsPlainAddress(recipient)) return std::string(recipient);
  size_t open = recipient.rfind('<');
  if (!recipient.ends_with('>') || open == std::string_view::npos) return std::nullopt;
  std::string_view inner = TrimBlanks(recipient.substr(open + 1, recipient.size() - open - 2));
  if (!IsPlainAddress(inner)) return std::nullopt;
  return std::string(inner);
}

std::string FoldedField(std::string_view name, const std::vector<std::string>& segments) {
  std::string out = std::string(name) + ":";
  size_t line_length = out.size();
  for (size_t i = 0; i < segments.size(); ++i) {
    if (i > 0 && line_length + 1 + segments[i].size() > kLineLimit) {
      out += "\r\n";
      line_length = 0;
    }
    out += ' ' + segments[i];
    line_length += 1 + segments[i].size();
  }
  return out + "\r\n";
}

std::vector<std::string> UnstructuredSegments(std::string_view text) {
  std::string safe = HeaderSafeText(text);
  if (safe.empty()) return {};
  std::vector<std::string_view> words = Split(safe, ' ');
  bool plain = IsPrintableAscii(safe) && safe.find("=?") == std::string::npos &&
               safe.front() != ' ' && safe.back() != ' ' &&
               std::all_of(words.begin(), words.end(),
                           [](std::string_view word) { return word.size() <= kLongestPlainWord; });
  if (!plain) return EncodeWords(safe);
  return {words.begin(), words.end()};
}

std::vector<std::string> AddressListSegments(const std::vector<std::string>& recipients) {
  std::vector<std::string> segments;
  for (const std::string& recipient : recipients) {
    std::string safe = HeaderSafeText(recipient);
    std::string_view text = TrimBlanks(safe);
    if (text.empty()) continue;
    if (!segments.empty()) segments.back() += ",";
    std::vector<std::string> own = RecipientSegments(text);
    segments.insert(segments.end(), own.begin(), own.end());
  }
  return segments;
}

std::vector<std::string> ParseAddressList(std::string_view value) {
  ListScanner scanner;
  bool quoted = false;
  bool angle = false;
  for (size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (quoted) {
      scanner.item += c;
      if (c == '\\' && i + 1 < value.size()) scanner.item += value[++i];
      if (c == '"') quoted = false;
    } else if (angle || c == '"' || c == '<') {
      scanner.item += c;
      quoted = c == '"' && !angle;
      angle = c == '<' || (angle && c != '>');
    } else {
      scanner.Structural(c);
    }
  }
  scanner.EndItem();
  if (scanner.in_group && !scanner.group_has_members && !scanner.group_name.empty()) {
    scanner.recipients.push_back(scanner.group_name);
  }
  return scanner.recipients;
}

std::string FormatMailDate(shell::WallTime time) {
  std::tm local = shell::LocalTime(time);
  long offset_minutes = local.tm_gmtoff / 60;
  char sign = offset_minutes < 0 ? '-' : '+';
  offset_minutes = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                kDayNames[static_cast<size_t>(local.tm_wday) % 7], local.tm_mday,
                kMonthNames[static_cast<size_t>(local.tm_mon) % 12], local.tm_year + 1900,
                local.tm_hour, local.tm_min, local.tm_sec, sign, offset_minutes / 60,
                offset_minutes % 60);
  return text;
}

std::optional<shell::WallTime> ParseMailDate(std::string_view value) {
  std::string text(
      value.substr(value.find(',') == std::string_view::npos ? 0 : value.find(',') + 1));
  int day = 0, year = 0, hour = 0, minute = 0, second = 0, used = 0;
  char month_name[4] = {};
  if (std::sscanf(text.c_str(), " %d %3s %d %d:%d%n", &day, month_name, &year, &hour, &minute,
                  &used) != 5) {
    return std::nullopt;
  }
  std::string_view rest = std::string_view(text).substr(static_cast<size_t>(used));
  if (rest.starts_with(':')) {
    int seconds_used = 0;
    if (std::sscanf(rest.data(), ":%d%n", &second, &seconds_used) != 1) return std::nullopt;
    rest.remove_prefix(static_cast<size_t>(seconds_used));
  }
  auto month = std::find_if(kMonthNames.begin(), kMonthNames.end(),
                            [&](const char* name) { return EqualsIgnoreCase(name, month_name); });
  if (month == kMonthNames.end() || day < 1 || day > 31 || hour > 23 || minute > 59 ||
      second > 60 || hour < 0 || minute < 0 || second < 0 || year < 0) {
    return std::nullopt;
  }
  if (year < 50) year += 2000;
  if (year < 1000) year += 1900;
  long offset_seconds = ZoneOffsetSeconds(TrimBlanks(rest.substr(0, rest.find_first_of("(\t"))));
  std::tm broken{};
  broken.tm_year = year - 1900;
  broken.tm_mon = static_cast<int>(month - kMonthNames.begin());
  broken.tm_mday = day;
  broken.tm_hour = hour;
  broken.tm_min = minute;
  broken.tm_sec = second;
  return std::chrono::system_clock::from_time_t(timegm(&broken) - offset_seconds);
}

}  // namespace olconn97::pim
