#include "outside/textres/catalogs.h"

#include <cerrno>
#include <cstdio>
#include <utility>

#include "base/result.h"
#include "base/strings.h"

namespace olconn97::textres {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The whole file; kNotFound when it does not exist.
Result<std::string> ReadWholeFile(const std::string& path) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return Status::FromErrno(errno, path);
  std::string content;
  char buffer[8192];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) content.append(buffer, got);
  if (std::ferror(file.get())) return Status::FromErrno(errno == 0 ? EIO : errno, path);
  return content;
}

bool IsPathCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

}  // namespace

const Catalog* CatalogCache::Get(const std::string& path) {
  if (auto found = catalogs_.find(path); found != catalogs_.end()) return found->second.get();
  ++reads_;
  std::unique_ptr<const Catalog> catalog;
  Result<std::string> content = ReadWholeFile(path);
  if (content.ok()) {
    Result<Catalog> parsed = ParsePo(content.value());
    if (parsed.ok()) {
      catalog = std::make_unique<const Catalog>(std::move(parsed).value());
    } else {
      report_(path, parsed.status());
    }
  } else if (!content.status().IsNotFound()) {
    report_(path, content.status());
  }
  return catalogs_.emplace(path, std::move(catalog)).first->second.get();
}

std::string CatalogFile(std::string_view folder, std::string_view language_path) {
  if (language_path.empty()) return "";
  for (char c : language_path)
    if (!IsPathCharacter(c)) return "";
  return std::string(folder) + "/" + ToLowerAscii(language_path) + ".po";
}

std::optional<std::string> FindText(const TextSource& source, std::string_view msgid) {
  for (std::string_view language : {std::string_view(source.language_path), kFallbackLanguage}) {
    std::string file = CatalogFile(source.folder, language);
    if (file.empty()) continue;
    const Catalog* catalog = source.catalogs->Get(file);
    if (catalog == nullptr) continue;
    if (const std::string* text = catalog->Find(msgid)) return *text;
  }
  return std::nullopt;
}

}  // namespace olconn97::textres
