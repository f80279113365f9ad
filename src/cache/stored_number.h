// What a cache row keeps of a phone number as it was written.
//
// PhoneNumber holds the digits alone, and a search compares with them. Two
// things the digits lose decide which number they dial: a leading "+" (the
// digits then begin with a country code) and an extension (its digits are
// not part of the number dialled). The row keeps both in two plain columns,
// found by a character scan when the row is written, so that writing a row
// costs no more than before:
//
//   PhoneMain       null when the number is its digits (no "+", no
//                   extension); else, for a number with an extension, the
//                   digits before it, backwards like PhoneReversed, and
//                   then "+" when the number began with one:
//                   "+33 (0)1 23 45 67 89" -> "+", "0123 456 789 ext. 12"
//                   -> "9876543210", "+44 20 7946 0958 x204" ->
//                   "859064970244+".
//   PhoneExtension  the extension's digits ("0123 456 789 ext. 12" -> "12");
//                   null when there is none.
//
// Most numbers have no extension, and many begin with "+": a lone "+"
// keeps what those need in one byte.
//
// A row another program wrote has neither: its digits are all it says.
#ifndef OLCONN97_CACHE_STORED_NUMBER_H_
#define OLCONN97_CACHE_STORED_NUMBER_H_

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace olconn97 {

struct StoredNumber {
  std::string digits;                    // PhoneNumber
  std::optional<std::string> main;       // PhoneMain
  std::optional<std::string> extension;  // PhoneExtension

  // The digits of the number dialled, without the extension.
  std::string MainDigits() const;
  // The number as a reader should see it: "+" and the main digits, or the
  // main digits alone.
  std::string DialledForm() const;
  bool international() const { return main && !main->empty() && main->back() == '+'; }
  bool has_extension() const { return extension.has_value(); }

  friend bool operator==(const StoredNumber&, const StoredNumber&) = default;
  friend auto operator<=>(const StoredNumber&, const StoredNumber&) = default;
};

// What a row keeps of `written`. The extension is what follows the number
// behind one of the marks people and phones write ("ext. 12", "x12",
// "#12", ";ext=12", ",12"): its digits, and nothing else, end the text.
StoredNumber StoreNumber(std::string_view written);

}  // namespace olconn97

#endif  // OLCONN97_CACHE_STORED_NUMBER_H_
