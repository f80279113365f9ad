// olconn97 lookup: who is calling, found as the suite's host finds it.
#include <cstdio>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "commands.h"
#include "contact_view.h"
#include "host_actions.h"
#include "name_search.h"

namespace host {

namespace {

constexpr char kLookupHelp[] =
    "usage: olconn97 lookup NUMBER... [--json] [--first] [--match national|digits]\n"
    "       olconn97 lookup --name NAME... [--json] [--first]\n"
    "\n"
    "Finds a caller the way the suite's host does when a call rings. It creates\n"
    "the driver, waits until the driver has brought its contact cache up to date\n"
    "(the refresh, or on first use the build, that its start-up begins), then\n"
    "asks a new search cursor for the first contact (FindFirst) and the next ones\n"
    "(FindNext) until none is left. Each contact is printed as 'olconn97 contact\n"
    "show' prints it, with its labelled numbers.\n"
    "\n"
    "NUMBER is compared with the digits of the stored numbers ('33123456789');\n"
    "its words need no quotes ('01 23 45 67 89' is one number).\n"
    "'*' stands for any run of characters ('0123*' for the numbers that begin\n"
    "so, '*456789' for those that end so); '#', '?' and '[' are plain\n"
    "characters. A whole number (no '*') of seven digits or more also finds\n"
    "the numbers that dial the same however they were written: from Germany,\n"
    "'+49 160 1234567' finds '0160 1234567' and '0049 160 1234567'. That\n"
    "needs a region: the setting NumberRegion (HKCU\\Software\\Norvale\\7316\\\n"
    "Popup\\outlook98), else the region of LC_TELEPHONE or LANG.\n"
    "\n"
    "NAME is plain words (quoted or not) or, when it holds a '*' or a ',', a\n"
    "pattern:\n"
    "  words     'ann smith', 'nunez': the contacts with a name word beginning\n"
    "            with each of them, in any order, without regard to case or\n"
    "            accents ('nunez' finds 'Núñez, Ana'). Every contact of the\n"
    "            cache is read for them, so on a large store they are slower\n"
    "            than a pattern.\n"
    "  pattern   'smith*', 'SMITH, a*', 'Smith, Ann': the driver's own search,\n"
    "            on the name as the cache keeps it ('Last, First'), without\n"
    "            regard to case but with accents; '*' stands for any run of\n"
    "            characters.\n"
    "\n"
    "A caller nobody has gives one line, 'No contact for NUMBER' (or 'No\n"
    "contact named NAME'); with --json, the driver's own answer: its\n"
    "placeholder contact, with \"NotInPIM\":true.\n"
    "\n"
    "  --json    a JSON array of the contacts on stdout\n"
    "  --first   only the first contact, as a call pop-up shows it\n"
    "  --match national  numbers that dial the same are found too (the default\n"
    "            when a region is known)\n"
    "  --match digits    digits only, as a host that does not ask for more\n"
    "Exit status: 0 when the caller was found, 1 when not (or on failure),\n"
    "2 for bad usage.\n";

// One walk of a new search cursor: FindFirst, then FindNext until none is
// left. `keep`, when set, chooses the contacts that count.
struct Search {
  LONG field = kByPhone;
  std::string filter;
  bool first = false;  // stop at the first contact that counts
  std::function<bool(IDispatch* contact)> keep;
  // The unknown caller's placeholder is read only to be printed whole: its
  // lists fail, and the driver logs each failure.
  bool read_placeholder = true;
};

bool IsPlaceholder(IDispatch* contact) { return FlagOf(contact, "NotInPIM"); }

// False with the reason in `failure` when the walk could not be made.
bool RunSearch(DataConnector* driver, const Search& search, std::vector<ContactView>* found,
               std::string* failure) {
  Held<ContactRecord> cursor;
  HRESULT hr = driver->Dataconnector_OpenContactRecord(cursor.Receive());
  if (FAILED(hr) || cursor.get() == nullptr) {
    std::string why = FAILED(hr) ? std::string() : CommandText(driver, "startupProblem");
    *failure = FAILED(hr)      ? FailureText(hr)
               : why.empty() ? "the driver is not ready (see 'olconn97 status' and the driver's log)"
                             : "the driver is not ready: " + why;
    return false;
  }
  Held<Contact> contact;
  HostBstr filter(search.filter);
  hr = cursor.get()->ContactRecord_FindFirst(search.field, filter.get(), contact.Receive());
  while (SUCCEEDED(hr) && contact.get() != nullptr) {
    if (!search.keep || search.keep(contact.get())) {
      if (search.read_placeholder || !IsPlaceholder(contact.get())) {
        found->push_back(ReadContact(contact.get()));
      } else {
        found->emplace_back().not_in_pim = true;
      }
      // Nothing follows the placeholder: it means the search found no row.
      if (search.first || found->back().not_in_pim) break;
    }
    hr = cursor.get()->ContactRecord_FindNext(contact.Receive());
  }
  if (FAILED(hr)) *failure = FailureText(hr);
  return SUCCEEDED(hr);
}

std::string TextMember(IDispatch* contact, const char* name) {
  HostVariant value;
  std::string failure;
  return SUCCEEDED(Read(contact, name, nullptr, &value, &failure)) ? value.Text() : std::string();
}

// Plain words: the driver compares case only, so every contact of the cache
// is walked and its names compared here. A contact whose rows are not side
// by side in the cursor's order comes once.
bool FindByWords(DataConnector* driver, const std::string& typed, const LookupOutput& output,
                 std::vector<ContactView>* found, std::string* failure) {
  std::vector<std::string> words = SearchWords(typed);
  std::set<std::string> seen;
  Search every{kByName, "*", output.first, [&](IDispatch* contact) {
                 std::string names = TextMember(contact, "FullName") + " " +
                                     TextMember(contact, "FirstName") + " " +
                                     TextMember(contact, "LastName");
                 return NameHasWords(names, words) &&
                        seen.insert(TextMember(contact, "ContactId")).second;
               }};
  if (!RunSearch(driver, every, found, failure)) return false;
  if (!found->empty()) return true;
  // Nobody: the driver's own answer for the name, its placeholder.
  return RunSearch(driver, Search{kByName, typed, true, nullptr, output.json}, found, failure);
}

void PrintFound(const std::vector<ContactView>& found, bool json) {
  if (json) {
    std::string out = "[";
    for (size_t i = 0; i < found.size(); ++i) out += (i > 0 ? "," : "") + ContactJson(found[i]);
    std::printf("%s]\n", out.c_str());
    return;
  }
  for (size_t i = 0; i < found.size(); ++i) {
    if (i > 0) std::printf("\n");
    PrintContactText(found[i]);
  }
}

// "--match national" or "--match digits": true for national, false for
// digits; none (with a message) for anything else.
std::optional<bool> MatchOption(const std::string& mode) {
  if (mode == "national") return true;
  if (mode == "digits") return false;
  std::fprintf(stderr, "olconn97 lookup: --match takes 'national' or 'digits', not '%s'\n",
               mode.c_str());
  return std::nullopt;
}

}  // namespace

std::string SetNumberMatching(DataConnector* driver, bool on) {
  HostBstr command("numberMatching");
  VARIANT wanted;
  Api().VariantInit(&wanted);
  wanted.vt = VT_BOOL;
  wanted.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
  HostVariant region;
  if (FAILED(driver->DataConnector_ExecuteCommand(command.get(), wanted, region.get()))) return {};
  return region.Text();
}

void FinishDriverWork() {
  // A pump without waiting runs what is due and tells whether more is to
  // come; only then is there a timer worth waiting for.
  while (Api().olconn97_pump(0) != 0) Api().olconn97_pump(100);
}

bool FindContacts(DataConnector* driver, LONG field, const std::string& value,
                  std::vector<ContactView>* found, std::string* failure) {
  LookupOutput every;
  bool searched = field == kByName && !IsNamePattern(value)
                      ? FindByWords(driver, value, every, found, failure)
                      : RunSearch(driver, Search{field, value, false, nullptr, false}, found,
                                  failure);
  if (searched && !found->empty() && found->front().not_in_pim) found->clear();
  return searched;
}

int LookUp(DataConnector* driver, LONG field, const std::string& value,
           const LookupOutput& output) {
  std::vector<ContactView> found;
  std::string failure;
  bool searched = field == kByName && !IsNamePattern(value)
                      ? FindByWords(driver, value, output, &found, &failure)
                      : RunSearch(driver, Search{field, value, output.first, nullptr, output.json},
                                  &found, &failure);
  if (!searched) {
    std::fprintf(stderr, "olconn97 lookup: %s\n", failure.c_str());
    return 1;
  }
  bool unknown = found.empty() || found[0].not_in_pim;
  if (unknown && !output.json) {
    // The placeholder only repeats what was typed; a person wants the answer.
    std::printf("No contact %s %s\n", field == kByName ? "named" : "for", value.c_str());
  } else {
    PrintFound(found, output.json);
  }
  return unknown ? 1 : 0;
}

int RunLookup(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kLookupHelp, stdout);
    return 0;
  }
  LookupOutput output;
  LONG field = kByPhone;
  std::vector<std::string> values;
  std::optional<bool> match;  // as asked; else on whenever a region is known
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--match" || arg.rfind("--match=", 0) == 0) {
      std::string mode = arg == "--match" ? (i + 1 < args.size() ? args[++i] : "") : arg.substr(8);
      match = MatchOption(mode);
      if (!match) return 2;
    } else if (arg == "--json") {
      output.json = true;
    } else if (arg == "--first") {
      output.first = true;
    } else if (arg == "--name") {
      field = kByName;
    } else if (arg.rfind("--", 0) == 0) {
      std::fprintf(stderr, "olconn97 lookup: unknown option '%s'\n%s", arg.c_str(), kLookupHelp);
      return 2;
    } else {
      values.push_back(arg);
    }
  }
  if (values.size() > 1) {
    // Words need no quotes: 'lookup --name ann smith', 'lookup 01 23 45 67 89'.
    for (size_t i = 1; i < values.size(); ++i) values[0] += " " + values[i];
    values.resize(1);
  }
  bool no_words = field == kByName && values.size() == 1 && !IsNamePattern(values[0]) &&
                  SearchWords(values[0]).empty();
  if (values.size() != 1 || values[0].empty() || no_words) {
    std::fprintf(stderr, "olconn97 lookup: expected one %s\n%s",
                 field == kByName ? "name (words or a pattern)" : "number", kLookupHelp);
    return 2;
  }
  std::string error;
  DataConnector* driver = Library().CreateDriver(&error);
  if (driver == nullptr) {
    std::fprintf(stderr, "olconn97 lookup: %s\n", error.c_str());
    return 1;
  }
  std::string region = SetNumberMatching(driver, match.value_or(true));
  if (match.value_or(false) && region.empty()) {
    std::fprintf(stderr,
                 "olconn97 lookup: note: no region is known (set NumberRegion, or LC_TELEPHONE): "
                 "digits are compared\n");
  }
  FinishDriverWork();
  int result = LookUp(driver, field, values[0], output);
  driver->Release();
  if (result != 0 && field == kByPhone && region.empty() &&
      values[0].find_first_not_of("0123456789*") != std::string::npos) {
    std::fprintf(stderr,
                 "olconn97 lookup: note: stored numbers hold digits only, so only digits and "
                 "'*' can match\n");
  }
  return result;
}

}  // namespace host
