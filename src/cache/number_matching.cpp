#include "cache/number_matching.h"

#include <set>

#include "cache/cache_search.h"

namespace olconn97 {

namespace {

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The distinct stored numbers of SameEndingQuery's rows.
Result<std::vector<StoredNumber>> Candidates(jet::Database& cache, const CacheQuery& query) {
  // Read in one statement: a dynaset would read each row again, one file
  // lock each.
  OLC_ASSIGN_OR_RETURN(std::unique_ptr<jet::Recordset> rows,
                       cache.OpenRecordset(query.sql, jet::RecordsetType::kSnapshot, query.params));
  std::set<StoredNumber> distinct;
  while (!rows->Eof()) {
    StoredNumber stored;
    OLC_ASSIGN_OR_RETURN(jet::Value digits, rows->GetField("PhoneNumber"));
    OLC_ASSIGN_OR_RETURN(jet::Value main, rows->GetField("PhoneMain"));
    OLC_ASSIGN_OR_RETURN(jet::Value extension, rows->GetField("PhoneExtension"));
    stored.digits = digits.ToText();
    if (!main.is_null()) stored.main = main.ToText();
    if (!extension.is_null()) stored.extension = extension.ToText();
    distinct.insert(std::move(stored));
    OLC_RETURN_IF_ERROR(rows->MoveNext());
  }
  return std::vector<StoredNumber>(distinct.begin(), distinct.end());
}

}  // namespace

std::shared_ptr<NumberMatching> NumberMatching::ForRegion(std::string_view region) {
  std::string known = phone::NumberReader::KnownRegion(region);
  if (known.empty()) return nullptr;
  return std::make_shared<NumberMatching>(std::move(known));
}

bool NumberMatching::Widens(std::string_view filter) {
  return filter.find('*') == std::string_view::npos;
}

Result<std::vector<StoredNumber>> NumberMatching::SameNumbers(jet::Database& cache,
                                                              std::string_view caller) const {
  std::optional<phone::DialledNumber> dialled = reader_.Read(caller);
  if (!dialled || dialled->national.size() < kMatchedDigits) return std::vector<StoredNumber>();
  // Where reading puts no digits into a number, the index does the first
  // part of the verdict below: only numbers that end one with the other.
  bool loose = reader_.MayRewriteDigits(dialled->country_code);
  OLC_ASSIGN_OR_RETURN(
      std::vector<StoredNumber> candidates,
      Candidates(cache, SameEndingQuery(dialled->national, kMatchedDigits, loose)));
  std::vector<StoredNumber> same;
  for (StoredNumber& candidate : candidates) {
    // The caller's own digits: a plain search finds those rows already.
    if (candidate.digits == caller) continue;
    if (Dials(*dialled, candidate)) same.push_back(std::move(candidate));
  }
  return same;
}

bool NumberMatching::Dials(const phone::DialledNumber& caller, const StoredNumber& stored) const {
  std::string main = stored.MainDigits();
  // A number read keeps the end of its digits (prefixes go, a local number
  // may gain its area code): unless the region rewrites digits, a candidate
  // whose digits and the caller's national number do not end one with the
  // other cannot dial it, and libphonenumber need not be asked.
  if (!EndsWith(main, caller.national) && !EndsWith(caller.national, main) &&
      !reader_.MayRewriteDigits(caller.country_code)) {
    return false;
  }
  std::optional<phone::DialledNumber> read = reader_.Read(stored.DialledForm());
  if (!read) return false;
  phone::DialledNumber wanted = caller;
  read->extension = stored.extension.value_or("");
  // An extension on one side only does not keep the main numbers apart.
  if (wanted.extension.empty() || read->extension.empty()) {
    wanted.extension.clear();
    read->extension.clear();
  }
  return phone::NumberReader::SameNumber(wanted, *read);
}

}  // namespace olconn97
