#include "outside/phone/phone_numbers.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <set>

namespace olconn97::phone {

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

PhoneNumberUtil& Util() { return *PhoneNumberUtil::GetInstance(); }

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The proto libphonenumber compares, from what a reading gave, less the
// extension (compared apart).
std::optional<PhoneNumber> ToProto(const DialledNumber& number) {
  if (number.national.empty() || number.national.size() > 17 ||
      !std::all_of(number.national.begin(), number.national.end(),
                   [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  PhoneNumber proto;
  proto.set_country_code(number.country_code);
  proto.set_national_number(std::stoull(number.national));
  // Leading zeros are not part of the number's value: libphonenumber keeps
  // them apart, and so must a number made again from its digits.
  size_t zeros = number.national.find_first_not_of('0');
  if (zeros == std::string::npos) zeros = number.national.size() - 1;  // "0" itself
  if (zeros > 0) proto.set_italian_leading_zero(true);
  if (zeros > 1) proto.set_number_of_leading_zeros(static_cast<int32_t>(zeros));
  return proto;
}

}  // namespace

std::string NumberReader::KnownRegion(std::string_view code) {
  std::string upper(code);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  std::set<std::string> regions;
  Util().GetSupportedRegions(&regions);
  return regions.count(upper) > 0 ? upper : std::string();
}

std::vector<std::string> NumberReader::Regions() {
  std::set<std::string> regions;
  Util().GetSupportedRegions(&regions);
  return {regions.begin(), regions.end()};
}

NumberReader::NumberReader(std::string region) : region_(std::move(region)) {}

std::optional<DialledNumber> NumberReader::Read(std::string_view written) const {
  PhoneNumber parsed;
  if (Util().Parse(std::string(written), region_, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR) {
    return std::nullopt;
  }
  DialledNumber number;
  number.country_code = parsed.country_code();
  Util().GetNationalSignificantNumber(parsed, &number.national);
  if (number.national.empty()) return std::nullopt;
  number.extension = parsed.extension();
  return number;
}

bool NumberReader::SameNumber(const DialledNumber& a, const DialledNumber& b) {
  // libphonenumber's rule: different extensions are different numbers, and
  // an extension on one side only leaves a short match at best.
  if (a.extension != b.extension) return false;
  std::optional<PhoneNumber> first = ToProto(a);
  std::optional<PhoneNumber> second = ToProto(b);
  if (!first || !second) return false;
  PhoneNumberUtil::MatchType match = Util().IsNumberMatch(*first, *second);
  return match == PhoneNumberUtil::EXACT_MATCH || match == PhoneNumberUtil::NSN_MATCH;
}

bool NumberReader::MayRewriteDigits(int32_t country_code) const {
  std::string country_region;
  Util().GetRegionCodeForCountryCode(country_code, &country_region);
  return RegionRewritesDigits(region_) || RegionRewritesDigits(country_region);
}

bool NumberReader::RegionRewritesDigits(const std::string& region) const {
  auto known = rewrites_.find(region);
  if (known != rewrites_.end()) return known->second;
  bool rewrites = false;
  std::set<PhoneNumberUtil::PhoneNumberType> types;
  Util().GetSupportedTypesForRegion(region, &types);
  for (PhoneNumberUtil::PhoneNumberType type : types) {
    PhoneNumber example;
    if (!Util().GetExampleNumberForType(region, type, &example)) continue;
    std::string national, written;
    Util().GetNationalSignificantNumber(example, &national);
    Util().Format(example, PhoneNumberUtil::NATIONAL, &written);
    Util().NormalizeDigitsOnly(&written);
    if (!EndsWith(written, national) && !EndsWith(national, written)) rewrites = true;
  }
  rewrites_.emplace(region, rewrites);
  return rewrites;
}

std::string NumberReader::ExampleNumber(const std::string& region, NumberFormat format) {
  PhoneNumber example;
  if (!Util().GetExampleNumber(region, &example)) return {};
  static constexpr PhoneNumberUtil::PhoneNumberFormat kFormats[] = {
      PhoneNumberUtil::E164, PhoneNumberUtil::INTERNATIONAL, PhoneNumberUtil::NATIONAL,
      PhoneNumberUtil::RFC3966};
  std::string written;
  Util().Format(example, kFormats[static_cast<int>(format)], &written);
  return written;
}

}  // namespace olconn97::phone
