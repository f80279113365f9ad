// The user's language (module localize): the suite's language table, the
// character set of the user's language and its fonts, and the suite's text
// resources.
//
// The language table text lists entries "number, path, resource number,
// character set" separated by ";". The user's language is the number the
// per-user value "lang" begins with. Problems of the table are reported to
// the error file (diag/log_error.h) under "localize.<routine>".
//
// Called on the UI thread only.
#ifndef OLCONN97_DIAG_LOCALIZE_H_
#define OLCONN97_DIAG_LOCALIZE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "outside/textres/catalogs.h"
#include "outside/textres/text_resources.h"

namespace olconn97 {

namespace ui {
class WindowModel;
}

// The table used when "LanguageChoice" is absent or blank.
inline constexpr std::string_view kDefaultLanguageChoice =
    "0,us,5900,0; 1,fr,5901,0; 2,ger,5902,0; 3,sp,5903,0; 4,hun,5904,238; 5,plk,5905,238; "
    "7,nl,5907,0; 8,it,5909,0";

// One language of the table; an index no entry fills has an empty path.
struct LanguageEntry {
  std::string path;
  int32_t resource_number = 0;
  int32_t charset = 0;
  friend bool operator==(const LanguageEntry&, const LanguageEntry&) = default;
};

// The localisation's part of the process-wide state.
struct LocalizationState {
  LocalizationState();
  ~LocalizationState();

  // Indexes 0 to the largest language number of the table text.
  std::vector<LanguageEntry> gLanguageTable;
  // Set once the table is sized, never reset: the table is read at most
  // once per process.
  bool gLanguageTableLoaded = false;
  // Created on first use (TextResources()), released by the driver
  // object's end.
  std::unique_ptr<textres::TextResources> gTextResources;
  // Every catalog file read in this process.
  std::shared_ptr<textres::CatalogCache> catalogs;
};

// The one accessor.
LocalizationState& Localization();
// Starts the localisation afresh, as a new process would.
void ResetLocalizationForTesting();

// The character set of the user's language; 0 when the user's language has
// no entry in the table or on failure (reported under
// "localize.GetChartset"). Loads the table on first use.
int16_t GetChartset();

// "LanguageChoice" of the installation key, trimmed; the default table text
// when that is empty.
std::string ReadLanguageChoice();

// Fills gLanguageTable from a language table text, at most once per
// process. Entries with the wrong number of fields, a zero resource number
// or no path are reported as such; an entry whose numbers cannot be read
// (an empty entry among them) is reported and skipped.
void SplitLanguageChoice(std::string_view text);

// Gives every control of the window that has a font the character set
// gCharset.
void SetFormCharset(ui::WindowModel& window);

// gTextResources, created on first use on the user's language.
textres::TextResources& TextResources();
void ReleaseTextResources();

}  // namespace olconn97

#endif  // OLCONN97_DIAG_LOCALIZE_H_
