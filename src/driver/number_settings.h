// Which number matching a driver object's search cursors use.
//
// Number matching (cache/number_matching.h) is off unless asked for, so a
// host that knows nothing of it gets the answers it always got. Two ways to
// ask (both under HKCU\Software\Norvale\7316\Popup\outlook98 for the
// settings):
//
//   "NumberMatching"  "1": every driver object starts with matching on.
//   "NumberRegion"    the region numbers without a country code are read
//                     in, two letters ("DE"). Without it, the region of the
//                     user's telephone locale (LC_ALL, LC_TELEPHONE, LANG).
//   ExecuteCommand "numberMatching": a host turns matching on or off for
//                     its own driver object (DataConnector_ExecuteCommand).
//
// Without a region matching does nothing, and the developer log says why,
// once per process.
#ifndef OLCONN97_DRIVER_NUMBER_SETTINGS_H_
#define OLCONN97_DRIVER_NUMBER_SETTINGS_H_

#include <memory>
#include <string_view>

#include "cache/number_matching.h"
#include "outside/com/variant.h"

namespace olconn97 {

inline constexpr char kNumberMatchingValue[] = "NumberMatching";
inline constexpr char kNumberRegionValue[] = "NumberRegion";
// The host command, spelt so.
inline constexpr char kNumberMatchingCommand[] = "numberMatching";

// The matching the settings ask for: null when "NumberMatching" is not "1"
// or no region is known.
std::shared_ptr<NumberMatching> ConfiguredNumberMatching();

// Matching in `region`, or in the default region (the setting, else the
// locale's) when `region` is empty; null, and a line in the log, when that
// names no region.
std::shared_ptr<NumberMatching> NumberMatchingIn(std::string_view region);

// The "numberMatching" command on a driver object whose matching is
// `current`: True (or a non-zero number) turns it on in the default region,
// a two-letter text in that region (an empty text: the default region),
// False (or 0) turns it off; Empty or a missing argument changes nothing. `current` is what follows. Answers the
// region in force, or the empty text when matching is off.
com::Variant NumberMatchingCommand(const VARIANT& argument,
                                   std::shared_ptr<NumberMatching>& current);

}  // namespace olconn97

#endif  // OLCONN97_DRIVER_NUMBER_SETTINGS_H_
