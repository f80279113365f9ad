// The names the driver goes by (module mCustom).
//
// The suite can be delivered under other product names: the installation
// key may rename the product, with built-in defaults. The names are loaded
// once at the very beginning of the driver's start-up into the shared state
// (gProductFullName, gProductExtName, gProductName).
#ifndef OLCONN97_CORE_PRODUCT_IDENTITY_H_
#define OLCONN97_CORE_PRODUCT_IDENTITY_H_

#include <string>
#include <string_view>

namespace olconn97 {

// Fixed by the driver's build, like a module's version information.
inline constexpr std::string_view kDriverTitle = "olconn97";  // title and file base name
inline constexpr std::string_view kVersionProductName = "Corvanta";

// Defaults of the names the installation key may override.
inline constexpr std::string_view kDefaultProductFullName = "Norvale Corvanta";
inline constexpr std::string_view kDefaultProductExtName = "";
inline constexpr std::string_view kDefaultProductName = "Corvanta";

// Sets every name to its default, then takes each value of the installation
// key that is not blank ("7316Name", "7316ExtName", "7316ShortName"),
// trimmed of blanks. Never fails: what cannot be read keeps its default.
void LoadProductIdentity();

// gProductFullName and gProductName, or their defaults while the names are
// not loaded yet.
std::string ProductFullName();
std::string ProductName();

// The full name as the installation key gives it now, read the way Load
// reads it, without touching the names the running driver loaded (a host
// may ask before, or while, a driver lives).
std::string InstalledProductFullName();

// The driver's version number ("1.0"), fixed by its build.
std::string_view DriverVersion();

}  // namespace olconn97

#endif  // OLCONN97_CORE_PRODUCT_IDENTITY_H_
