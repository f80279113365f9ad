// Reading values of, and editing, the lines behind a ContactCard.
#include "base/strings.h"
#include "outside/pim/vcard/card_slots.h"
#include "outside/pim/vcard/contact_card_access.h"
#include "outside/pim/vcard/vcard_params.h"
#include "outside/pim/vcard/vcard_writer.h"

namespace olconn97::pim {
namespace {

// "group.NAME" as the line has it.
std::string_view GroupAndName(const ContentLine& line) {
  return line.text.substr(0, line.name_end);
}

}  // namespace

std::string ContactCardAccess::Text(const ContactCard& card, size_t line) {
  if (line == kNoLine) return {};
  const ContentLine& content = LineAt(card, line);
  DecodedValue decoded = DecodeValue(content.params(), content.value());
  return UnescapeText(decoded.text, Version(card));
}

std::vector<std::string> ContactCardAccess::Components(const ContactCard& card, size_t line,
                                                       char separator) {
  if (line == kNoLine) return {};
  const ContentLine& content = LineAt(card, line);
  DecodedValue decoded = DecodeValue(content.params(), content.value());
  return SplitStructured(decoded.text, separator, Version(card));
}

void ContactCardAccess::Rewrite(ContactCard& card, size_t line, std::string_view escaped_value,
                                std::initializer_list<std::string_view> drop,
                                std::string_view add) {
  const ContentLine& content = LineAt(card, line);
  std::string head(GroupAndName(content));
  head += ParamsWithout(content.params(), drop);
  head += add;
  VCardDocument& document = card.document_;
  document.Replace(line, ComposeLine(head, escaped_value, document.version(), document.line_end()));
  card.changed_ = true;
  card.Reindex();
}

uint32_t ContactCardAccess::Insert(ContactCard& card, std::string_view head,
                                   std::string_view escaped_value) {
  VCardDocument& document = card.document_;
  size_t line = document.InsertBeforeEnd(
      ComposeLine(head, escaped_value, document.version(), document.line_end()));
  card.changed_ = true;
  card.Reindex();
  return document.lines()[line].id;
}

void ContactCardAccess::Put(ContactCard& card, size_t line, std::string_view name,
                            std::string_view escaped_value) {
  if (line == kNoLine) {
    Insert(card, name, escaped_value);
  } else {
    Rewrite(card, line, escaped_value);
  }
}

void ContactCardAccess::Remove(ContactCard& card, size_t line) {
  card.document_.Remove(line);
  card.changed_ = true;
  card.Reindex();
}

void ContactCardAccess::Pin(ContactCard& card, uint32_t id, std::string_view slot_name) {
  VCardDocument& document = card.document_;
  size_t line = document.IndexOf(id);
  if (line == document.lines().size()) return;
  const ContentLine& content = document.lines()[line];
  // The value keeps its encoded form, so its encoding parameters stay.
  std::string text(GroupAndName(content));
  text += ParamsWithout(content.params(), {kSlotParamName}, /*drop_encoding=*/false);
  text += ";";
  text += kSlotParamName;
  text += "=";
  text += slot_name;
  text += ":";
  text += content.value();
  document.Replace(line, ComposeRawLine(std::move(text), document.line_end()));
  card.changed_ = true;
  card.Reindex();
}

}  // namespace olconn97::pim
