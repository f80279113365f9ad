// The suite's two text components: the text resources (texts of message
// codes, localised windows) and the translator.
//
// A message code is "#", five digits and "#" ("#05200#"), optionally
// followed by a default English text ("#07088#Phone sets"). Its text is
// the catalog's translation in the user's language, else in English, else
// the default text after the code, else the code itself.
//
// Called on the UI thread only.
#ifndef OLCONN97_OUTSIDE_TEXTRES_TEXT_RESOURCES_H_
#define OLCONN97_OUTSIDE_TEXTRES_TEXT_RESOURCES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "base/status.h"
#include "outside/textres/catalogs.h"

namespace olconn97::ui {
class WindowModel;
}

namespace olconn97::textres {

struct MessageCode {
  std::string_view code;          // "#07088#"
  std::string_view default_text;  // "Phone sets", or empty
};

// No value when the text does not begin with a message code.
std::optional<MessageCode> SplitMessageCode(std::string_view text);

// The catalogs of the user's language as the driver finds them: its own
// folder and the user's entry of the language table. Supplied by the
// driver's localisation (diag/localize.cpp).
TextSource UserTextSource();

class TextResources {
 public:
  explicit TextResources(TextSource source) : source_(std::move(source)) {}
  TextResources(const TextResources&) = delete;
  TextResources& operator=(const TextResources&) = delete;

  // The text of a message code such as "#21002#", in the user's language.
  // InvalidArgument when `code` does not begin with a message code.
  Result<std::string> GetText(std::string_view code);

  // Reads the catalogs now rather than at the first text. `value` is the
  // suite's reserved argument (always 0). Answers 0 when the user's or the
  // English catalog can be used, -1 when neither can.
  int32_t Initialize(int32_t value);

  // Replaces every caption or text that begins with a message code
  // ("#07100#Outlook contacts folders selection") by its translation: the
  // window's caption and each control's text and tool tip. Other texts are
  // left alone. InvalidArgument when the window is not loaded (it has no
  // controls to localise then).
  Status LocalizeForm(ui::WindowModel& window);

  const TextSource& source() const { return source_; }

 private:
  TextSource source_;
};

class Translator {
 public:
  // Translates into the user's language, found at the first translation.
  Translator() = default;
  explicit Translator(TextSource source) : source_(std::move(source)) {}

  // "#07088#Phone sets" -> the text of 07088 in the user's language.
  // InvalidArgument when the text does not begin with a message code.
  Result<std::string> Translate(std::string_view code_and_default);

 private:
  std::optional<TextSource> source_;
};

}  // namespace olconn97::textres

#endif  // OLCONN97_OUTSIDE_TEXTRES_TEXT_RESOURCES_H_
