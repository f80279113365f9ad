// Where the text components find their texts: one catalog file per language
// path of the suite's language table (<folder>/us.po, <folder>/fr.po, ...),
// each read at most once, and the lookup with its English fallback.
#ifndef OLCONN97_OUTSIDE_TEXTRES_CATALOGS_H_
#define OLCONN97_OUTSIDE_TEXTRES_CATALOGS_H_

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"
#include "outside/textres/po_catalog.h"

namespace olconn97::textres {

// The language path whose catalog every other language falls back to.
inline constexpr std::string_view kFallbackLanguage = "us";

// The catalogs read so far, by file. A file is read on its first request
// and never again: neither a good catalog, nor a missing file (a language
// without catalog), nor a catalog that cannot be read.
class CatalogCache {
 public:
  // Told once about each catalog file that exists but cannot be used.
  using Reporter = std::function<void(const std::string& path, const Status& failure)>;

  explicit CatalogCache(Reporter report) : report_(std::move(report)) {}
  CatalogCache(const CatalogCache&) = delete;
  CatalogCache& operator=(const CatalogCache&) = delete;

  // The catalog in the file, or null when it is missing or unusable.
  const Catalog* Get(const std::string& path);
  // How many times a file was read, for tests.
  int reads_for_testing() const { return reads_; }

 private:
  Reporter report_;
  std::map<std::string, std::unique_ptr<const Catalog>, std::less<>> catalogs_;
  int reads_ = 0;
};

// The texts of one language.
struct TextSource {
  std::string folder;         // where the catalog files lie
  std::string language_path;  // the user's language in the table ("fr"); empty: none
  std::shared_ptr<CatalogCache> catalogs;
};

// The catalog file of a language path, or "" for a path that cannot name
// one (empty, or other than letters, digits, "_" and "-"). Paths are folded
// to lower case: the table's paths name files case-insensitively.
std::string CatalogFile(std::string_view folder, std::string_view language_path);

// The translation of `msgid` in the source's language, else in English; no
// value when neither catalog has it.
std::optional<std::string> FindText(const TextSource& source, std::string_view msgid);

}  // namespace olconn97::textres

#endif  // OLCONN97_OUTSIDE_TEXTRES_CATALOGS_H_
