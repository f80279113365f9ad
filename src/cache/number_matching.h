// Number matching: a phone search by a whole number that also finds the
// stored numbers which dial the same, however either side was written.
// From Germany, "+49 160 1234567", "0049 160 1234567" and "0160 1234567"
// find each other, and so do "+49 (0)160 123 45 67" and "0160-1234567 x12".
//
// It works as phones do. The index gives the candidates: the rows whose
// number ends as the caller's does (PhoneReversed, and PhoneMain for a
// number written with an extension): its last seven digits at least, and
// where reading a number puts no digits into it, its whole national number,
// or the number is the end of that (a local number). libphonenumber gives
// the verdict, in the matching's region, on each candidate. Nothing is
// parsed when rows are written, so the cache costs no more to build; a
// search reads the caller's number once and usually one stored number.
//
// Opt-in: without a NumberMatching a search compares digits, as it always
// did, and the answers are those of a plain search byte for byte. Numbers
// of fewer than seven digits, and patterns with "*", are compared by their
// digits whatever the matching.
#ifndef OLCONN97_CACHE_NUMBER_MATCHING_H_
#define OLCONN97_CACHE_NUMBER_MATCHING_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "cache/stored_number.h"
#include "outside/jet/database.h"
#include "outside/phone/phone_numbers.h"

namespace olconn97 {

// How many of a number's last digits a candidate must share: enough to
// leave few candidates, few enough that every written form of a number
// still ends with them.
inline constexpr size_t kMatchedDigits = 7;

class NumberMatching {
 public:
  // Matching for `region` (a two-letter code, either case); null when
  // libphonenumber has no numbering rules for it.
  static std::shared_ptr<NumberMatching> ForRegion(std::string_view region);

  // The region numbers without a country code are read in ("DE").
  const std::string& region() const { return reader_.region(); }

  // Whether a phone search for `filter` is widened: a whole number, no "*".
  static bool Widens(std::string_view filter);

  // The distinct stored numbers of `cache` that dial the number `caller`
  // dials, as their rows hold them; none when `caller` is no number of
  // seven digits or more. Host thread only.
  Result<std::vector<StoredNumber>> SameNumbers(jet::Database& cache,
                                                std::string_view caller) const;

  explicit NumberMatching(std::string region) : reader_(std::move(region)) {}

 private:
  // The verdict on one candidate.
  bool Dials(const phone::DialledNumber& caller, const StoredNumber& stored) const;

  phone::NumberReader reader_;
};

}  // namespace olconn97

#endif  // OLCONN97_CACHE_NUMBER_MATCHING_H_
