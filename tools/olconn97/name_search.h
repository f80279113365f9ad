// How a person finds a contact by name on the command line: plain words, in
// any order, without regard to case or accents, beside the driver's own
// Like patterns. The driver compares case only, so the words are matched
// here, on the names of the contacts the driver hands out.
#ifndef OLCONN97_TOOLS_NAME_SEARCH_H_
#define OLCONN97_TOOLS_NAME_SEARCH_H_

#include <string>
#include <string_view>
#include <vector>

namespace host {

// True when `typed` is one of the driver's name patterns, false when it is
// plain words. A '*' (a wildcard) or a ',' (the "Last, First" form the cache
// keeps names in) makes a pattern: 'smi*', 'Smith, Ann', 'SMITH, a*'.
bool IsNamePattern(std::string_view typed);

// The words of a text, in lower case and without accents ("Núñez, Ana" ->
// nunez, ana; "Straße" -> strasse). Words are runs of letters and digits;
// a word with an apostrophe also counts whole ("O'Brien" -> o, brien,
// obrien). Latin, Greek and Cyrillic letters lose their case and accents;
// other scripts are compared as written.
std::vector<std::string> SearchWords(std::string_view text);

// True when each of `typed` (from SearchWords) begins a word of `name`.
bool NameHasWords(std::string_view name, const std::vector<std::string>& typed);

}  // namespace host

#endif  // OLCONN97_TOOLS_NAME_SEARCH_H_
