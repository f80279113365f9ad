#include "outside/textres/text_resources.h"

#include <utility>

#include "base/strings.h"
#include "outside/ui/control.h"
#include "outside/ui/window_model.h"

namespace olconn97::textres {
namespace {

constexpr size_t kCodeLength = 7;  // "#" + five digits + "#"

// No value when the text does not begin with a message code.
std::optional<std::string> Localized(const TextSource& source, std::string_view text) {
  std::optional<MessageCode> code = SplitMessageCode(text);
  if (!code) return std::nullopt;
  if (std::optional<std::string> found = FindText(source, code->code)) return found;
  return std::string(code->default_text.empty() ? code->code : code->default_text);
}

Result<std::string> TextOf(const TextSource& source, std::string_view text) {
  if (std::optional<std::string> localized = Localized(source, text)) return std::move(*localized);
  return Status::InvalidArgument("Not a message code: >" + std::string(text) + "<",
                                 "TextResources");
}

}  // namespace

std::optional<MessageCode> SplitMessageCode(std::string_view text) {
  if (text.size() < kCodeLength || text[0] != '#' || text[kCodeLength - 1] != '#')
    return std::nullopt;
  for (size_t i = 1; i + 1 < kCodeLength; ++i)
    if (!IsAsciiDigit(text[i])) return std::nullopt;
  return MessageCode{text.substr(0, kCodeLength), text.substr(kCodeLength)};
}

Result<std::string> TextResources::GetText(std::string_view code) { return TextOf(source_, code); }

int32_t TextResources::Initialize(int32_t /*value*/) {
  for (std::string_view language : {std::string_view(source_.language_path), kFallbackLanguage}) {
    std::string file = CatalogFile(source_.folder, language);
    if (!file.empty() && source_.catalogs->Get(file) != nullptr) return 0;
  }
  return -1;
}

Status TextResources::LocalizeForm(ui::WindowModel& window) {
  if (!window.loaded()) {
    return Status::InvalidArgument("The window " + window.name() + " is not loaded",
                                   "TextResources");
  }
  if (auto text = Localized(source_, window.caption())) window.set_caption(std::move(*text));
  for (const auto& control : window.controls()) {
    if (auto text = Localized(source_, control->text())) control->set_text(std::move(*text));
    if (auto tip = Localized(source_, control->tool_tip())) control->set_tool_tip(std::move(*tip));
  }
  return Status::Ok();
}

Result<std::string> Translator::Translate(std::string_view code_and_default) {
  if (!source_) source_ = UserTextSource();
  return TextOf(*source_, code_and_default);
}

}  // namespace olconn97::textres
