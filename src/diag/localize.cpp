#include "diag/localize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "base/result.h"
#include "base/strings.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/log_error.h"
#include "outside/shell/shell.h"
#include "outside/ui/control.h"
#include "outside/ui/window_model.h"

namespace olconn97 {
namespace {

constexpr std::string_view kLanguageValue = "lang";
constexpr std::string_view kLanguageChoiceValue = "LanguageChoice";
constexpr std::string_view kSplitWhere = "localize.SplitLanguageChoice";
// Beside the driver's library, as installed.
constexpr std::string_view kCatalogFolder = "lang";
// Language numbers are 16-bit, which also bounds the table's size.
constexpr int32_t kLargestLanguageNumber = std::numeric_limits<int16_t>::max();

// The kinds of control that draw their text with a font of their own.
constexpr std::array kKindsWithFont = {
    ui::ControlKind::kLabel,      ui::ControlKind::kButton,   ui::ControlKind::kFrame,
    ui::ControlKind::kTextBox,    ui::ControlKind::kCheckBox, ui::ControlKind::kListBox,
    ui::ControlKind::kPictureBox,
};

void ReportCatalog(const std::string& path, const Status& failure) {
  diag::LogError("TextResources.ReadCatalog", path, "", failure);
}

void ReportEntry(std::string_view problem, std::string_view entry) {
  diag::LogError(
      kSplitWhere,
      "Wrong language string (" + std::string(problem) + "): >" + std::string(entry) + "<", "");
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Digits with an optional sign and decimal part, nothing else.
bool IsPlainNumber(std::string_view text) {
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  size_t dot = text.find('.');
  std::string_view whole = text.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
  return text != "." && !text.empty() && AllDigits(whole) && AllDigits(fraction);
}

Status EntryFailure(std::string_view entry, std::string_view what, std::string_view problem) {
  return Status::InvalidArgument("Language table entry >" + std::string(entry) + "<: the " +
                                 std::string(what) + " " + std::string(problem));
}

// A field of the table text, trimmed, as an integer (halves rounded to the
// even neighbour).
Result<int32_t> FieldNumber(std::string_view field, std::string_view entry, std::string_view what) {
  std::string_view text = TrimBlanks(field);
  if (!IsPlainNumber(text)) return EntryFailure(entry, what, "is not a number");
  double value = LeadingNumber(text);
  // Bounded before rounding, so that the conversion to an integer is defined.
  long long rounded = std::fabs(value) <= 4e9 ? RoundHalfEven(value) : 0;
  if (std::fabs(value) > 4e9 || rounded < std::numeric_limits<int32_t>::min() ||
      rounded > std::numeric_limits<int32_t>::max())
    return EntryFailure(entry, what, "is too large");
  return static_cast<int32_t>(rounded);
}

// The language number of each entry, or no value for an entry whose
// number cannot be read (reported).
std::vector<std::optional<int32_t>> LanguageNumbers(const std::vector<std::string_view>& entries) {
  std::vector<std::optional<int32_t>> numbers;
  for (std::string_view entry : entries) {
    Result<int32_t> number = FieldNumber(Split(entry, ',').front(), entry, "language number");
    if (number.ok() && number.value() > kLargestLanguageNumber)
      number = EntryFailure(entry, "language number", "is too large");
    if (!number.ok()) diag::LogError(kSplitWhere, "", "", number.status());
    numbers.push_back(number.ok() ? std::optional(number.value()) : std::nullopt);
  }
  return numbers;
}

// The entry's line of the table. The table's entry changes only once the
// line has been read whole, so a line that fails leaves it as it was.
void FillEntry(std::string_view entry, int32_t number, std::vector<LanguageEntry>& table) {
  std::vector<std::string_view> fields = Split(entry, ',');
  if (fields.size() != 4) return ReportEntry("incorrect param number", entry);
  if (number < 0 || static_cast<size_t>(number) >= table.size()) {
    return diag::LogError(kSplitWhere, "", "",
                          EntryFailure(entry, "language number", "is outside the table"));
  }
  LanguageEntry filled;
  filled.path = TrimBlanks(fields[1]);
  if (filled.path.empty()) {
    ReportEntry("no path", entry);
    table[number] = std::move(filled);
    return;
  }
  Result<int32_t> resource = FieldNumber(fields[2], entry, "resource number");
  if (!resource.ok()) return diag::LogError(kSplitWhere, "", "", resource.status());
  if (resource.value() == 0) ReportEntry("ressource = null", entry);
  Result<int32_t> charset = FieldNumber(fields[3], entry, "character set");
  if (!charset.ok()) return diag::LogError(kSplitWhere, "", "", charset.status());
  filled.resource_number = resource.value();
  filled.charset = charset.value();
  table[number] = std::move(filled);
}

// N: the number "lang" begins with, rounded to an integer.
Result<int16_t> UserLanguageNumber() {
  std::string text = RegReadString(Hive::kCurrentUser, kZepPhoneSettingsKey, kLanguageValue);
  double number = LeadingNumber(TrimBlanks(text));
  if (std::fabs(number) < 32768.0) {
    long long rounded = RoundHalfEven(number);
    if (rounded >= std::numeric_limits<int16_t>::min() &&
        rounded <= std::numeric_limits<int16_t>::max())
      return static_cast<int16_t>(rounded);
  }
  return Status::InvalidArgument("The language number >" + text + "< is too large");
}

// The table's entry for the language, loading the table first if need be;
// null when the table has none.
const LanguageEntry* UserLanguageEntry(int16_t number) {
  LocalizationState& state = Localization();
  if (!state.gLanguageTableLoaded) SplitLanguageChoice(ReadLanguageChoice());
  if (number < 0 || static_cast<size_t>(number) >= state.gLanguageTable.size()) return nullptr;
  const LanguageEntry& entry = state.gLanguageTable[number];
  return entry.path.empty() ? nullptr : &entry;
}

Result<int16_t> UserCharset() {
  OLC_ASSIGN_OR_RETURN(int16_t number, UserLanguageNumber());
  const LanguageEntry* entry = UserLanguageEntry(number);
  if (entry == nullptr) return int16_t{0};
  if (entry->charset < std::numeric_limits<int16_t>::min() ||
      entry->charset > std::numeric_limits<int16_t>::max()) {
    return Status::InvalidArgument("The character set " + std::to_string(entry->charset) +
                                   " of language " + std::to_string(number) + " is too large");
  }
  return static_cast<int16_t>(entry->charset);
}

}  // namespace

LocalizationState::LocalizationState()
    : catalogs(std::make_shared<textres::CatalogCache>(ReportCatalog)) {}
LocalizationState::~LocalizationState() = default;

LocalizationState& Localization() {
  Owned<LocalizationState>& state = Shared().localization;
  if (!state) state = std::make_unique<LocalizationState>();
  return *state;
}

void ResetLocalizationForTesting() { Shared().localization.reset(); }

int16_t GetChartset() {
  Result<int16_t> charset = UserCharset();
  if (charset.ok()) return charset.value();
  diag::LogError("localize.GetChartset", "", "", charset.status());
  return 0;
}

std::string ReadLanguageChoice() {
  std::string text = RegReadString(Hive::kLocalMachine, kInstallKey, kLanguageChoiceValue);
  std::string_view trimmed = TrimBlanks(text);
  return std::string(trimmed.empty() ? kDefaultLanguageChoice : trimmed);
}

void SplitLanguageChoice(std::string_view text) {
  LocalizationState& state = Localization();
  if (state.gLanguageTableLoaded) return;
  std::vector<std::string_view> entries;
  if (!text.empty()) entries = Split(text, ';');
  std::vector<std::optional<int32_t>> numbers = LanguageNumbers(entries);
  int32_t largest = 0;
  for (const std::optional<int32_t>& number : numbers)
    largest = std::max(largest, number.value_or(0));
  state.gLanguageTable.assign(static_cast<size_t>(largest) + 1, LanguageEntry());
  state.gLanguageTableLoaded = true;
  for (size_t i = 0; i < entries.size(); ++i)
    if (numbers[i]) FillEntry(entries[i], *numbers[i], state.gLanguageTable);
}

void SetFormCharset(ui::WindowModel& window) {
  int16_t charset = Shared().gCharset;
  for (const auto& control : window.controls()) {
    if (std::ranges::find(kKindsWithFont, control->kind()) != kKindsWithFont.end())
      control->set_font_charset(charset);
  }
}

textres::TextResources& TextResources() {
  std::unique_ptr<textres::TextResources>& resources = Localization().gTextResources;
  if (!resources) resources = std::make_unique<textres::TextResources>(textres::UserTextSource());
  return *resources;
}

void ReleaseTextResources() { Localization().gTextResources.reset(); }

textres::TextSource textres::UserTextSource() {
  TextSource source;
  source.folder = Shared().services.shell().AppPath() + "/" + std::string(kCatalogFolder);
  source.catalogs = Localization().catalogs;
  Result<int16_t> number = UserLanguageNumber();
  if (!number.ok()) return source;  // GetChartset reports it
  if (const LanguageEntry* entry = UserLanguageEntry(number.value()))
    source.language_path = entry->path;
  return source;
}

}  // namespace olconn97
