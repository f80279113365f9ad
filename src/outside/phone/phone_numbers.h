// Phone numbers as the network dials them, whatever form they were written
// in: libphonenumber's parser and matcher, behind the few calls number
// matching makes. Only this layer includes libphonenumber's headers.
//
//   phone::NumberReader reader("DE");
//   std::optional<phone::DialledNumber> caller = reader.Read("+49 160 1234567");
//   std::optional<phone::DialledNumber> card = reader.Read("0160 1234567");
//   bool same = caller && card && phone::NumberReader::SameNumber(*caller, *card);
//
// One reading costs about 7 to 15 µs (libphonenumber's regular expressions):
// a caller's number is read once per search, stored numbers only when their
// digits leave the verdict open. The first reader of a process loads the
// numbering rules of every region (some 20 ms).
//
// Host thread only: a reader remembers what it learnt of each region.
#ifndef OLCONN97_OUTSIDE_PHONE_PHONE_NUMBERS_H_
#define OLCONN97_OUTSIDE_PHONE_PHONE_NUMBERS_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace olconn97::phone {

// What a written number dials: country code, national significant number
// and extension, without the prefixes and punctuation it was written with.
struct DialledNumber {
  int32_t country_code = 0;
  std::string national;   // digits, leading zeros kept ("1601234567", Italy's "0612345678")
  std::string extension;  // digits; empty when none

  friend bool operator==(const DialledNumber&, const DialledNumber&) = default;
};

// The forms libphonenumber writes a number in, for tests that write one
// number every way.
enum class NumberFormat { kE164, kInternational, kNational, kRfc3966 };

class NumberReader {
 public:
  // The region code as libphonenumber knows it ("de" and "DE" give "DE");
  // empty when it has no numbering rules for `code`.
  static std::string KnownRegion(std::string_view code);
  // Every region it has rules for.
  static std::vector<std::string> Regions();

  // Reads numbers as dialled from `region` (a KnownRegion).
  explicit NumberReader(std::string region);

  const std::string& region() const { return region_; }

  // The number `written` dials from this reader's region: "0160 1234567"
  // and "+49 (0)160 123 45 67" give the same from Germany. None when it is
  // no number (no digits, too long, an unknown country code).
  std::optional<DialledNumber> Read(std::string_view written) const;

  // libphonenumber's own verdict: an exact or national-number match.
  static bool SameNumber(const DialledNumber& a, const DialledNumber& b);

  // Whether reading a national or international number of this region or
  // of the country `country_code` can put digits into its middle that the
  // written form does not have (Argentina: "011 15-2345-6789" dials
  // +54 9 11 2345 6789). Elsewhere the national significant number read is
  // always the end of the written digits, or has them as its end (a local
  // number read with its area code). Learnt once per region, from the
  // region's own example numbers.
  bool MayRewriteDigits(int32_t country_code) const;

  // libphonenumber's example number of `region` (fixed line), written in
  // `format`; empty when it has none.
  static std::string ExampleNumber(const std::string& region, NumberFormat format);

 private:
  bool RegionRewritesDigits(const std::string& region) const;

  std::string region_;
  mutable std::map<std::string, bool> rewrites_;
};

}  // namespace olconn97::phone

#endif  // OLCONN97_OUTSIDE_PHONE_PHONE_NUMBERS_H_
