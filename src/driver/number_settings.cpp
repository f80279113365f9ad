#include "driver/number_settings.h"

#include "base/strings.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "outside/shell/shell.h"

namespace olconn97 {

namespace {

// Says once per process why matching cannot be on.
void ReportNoRegion(const std::string& why) {
  SharedState& shared = Shared();
  if (shared.number_region_reported) return;
  shared.number_region_reported = true;
  diag::Log("Number matching is off: " + why + ". Phone searches compare digits.");
}

}  // namespace

std::shared_ptr<NumberMatching> NumberMatchingIn(std::string_view region) {
  std::string asked(TrimBlanks(region));
  std::string source = "the region asked for";
  if (asked.empty()) {
    asked = TrimBlanks(RegReadString(Hive::kCurrentUser, kOutlook98Key, kNumberRegionValue));
    source = std::string("the setting \"") + kNumberRegionValue + "\"";
  }
  if (asked.empty()) {
    asked = Shared().services.shell().TelephoneRegion();
    source = "the telephone locale's region";
  }
  if (asked.empty()) {
    ReportNoRegion(std::string("no region is known (set \"") + kNumberRegionValue +
                   "\", or a locale with a region in LC_TELEPHONE or LANG)");
    return nullptr;
  }
  std::shared_ptr<NumberMatching> matching = NumberMatching::ForRegion(asked);
  if (!matching) ReportNoRegion(source + ", \"" + asked + "\", is no region of the phone plan");
  return matching;
}

std::shared_ptr<NumberMatching> ConfiguredNumberMatching() {
  if (TrimBlanks(RegReadString(Hive::kCurrentUser, kOutlook98Key, kNumberMatchingValue)) != "1") {
    return nullptr;
  }
  return NumberMatchingIn({});
}

com::Variant NumberMatchingCommand(const VARIANT& argument,
                                   std::shared_ptr<NumberMatching>& current) {
  com::Variant asked = com::Variant::CopyOfValue(argument);
  if (asked.raw().vt == VT_BSTR) {
    current = NumberMatchingIn(asked.ToString().value_or(""));
  } else if (!asked.IsEmpty() && !asked.IsMissing()) {
    Result<bool> on = asked.ToBool();
    if (on.ok()) current = on.value() ? NumberMatchingIn({}) : nullptr;
  }
  return com::Variant::String(current ? current->region() : std::string());
}

}  // namespace olconn97
