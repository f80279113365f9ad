// Shared by the files that implement ContactCard; not for other users.
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_CONTACT_CARD_ACCESS_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_CONTACT_CARD_ACCESS_H_

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "outside/pim/vcard/contact_card.h"

namespace olconn97::pim {

struct ContactCardAccess {
  using Index = ContactCard::Index;

  // Where each property of the card is (contact_card_index.cpp).
  static Index BuildIndex(const ContactCard& card);

  // The decoded, unescaped text of a line's value; "" for kNoLine.
  static std::string Text(const ContactCard& card, size_t line);
  // The components of a structured value (N, ORG) or the items of a list
  // (CATEGORIES), decoded and unescaped; empty for kNoLine.
  static std::vector<std::string> Components(const ContactCard& card, size_t line, char separator);
  static std::string Escape(const ContactCard& card, std::string_view text) {
    return EscapeText(text, card.document_.version());
  }

  // Edits. Each one re-indexes the card and marks it changed, so indexes
  // taken before an edit are stale after it.
  //
  // Writes a new value into a line: group, name and parameters kept, except
  // the parameters in `drop` and the old value's encoding; `add` (";X=y")
  // appended to the parameters.
  static void Rewrite(ContactCard& card, size_t line, std::string_view escaped_value,
                      std::initializer_list<std::string_view> drop = {}, std::string_view add = {});
  // Inserts "head:value" before END:VCARD; head is "NAME;params". Returns
  // the new line's id.
  static uint32_t Insert(ContactCard& card, std::string_view head, std::string_view escaped_value);
  // Rewrites the line, or inserts "name:value" when line is kNoLine.
  static void Put(ContactCard& card, size_t line, std::string_view name,
                  std::string_view escaped_value);
  static void Remove(ContactCard& card, size_t line);
  // Sets our slot parameter on the line with this id, its value untouched.
  static void Pin(ContactCard& card, uint32_t id, std::string_view slot_name);

  static const VCardDocument& Document(const ContactCard& card) { return card.document_; }
  static const Index& Indexed(const ContactCard& card) { return card.index_; }
  static Status RequireContact(const ContactCard& card, std::string_view property) {
    return card.RequireContact(property);
  }
  static const ContentLine& LineAt(const ContactCard& card, size_t line) {
    return card.document_.lines()[line];
  }
  static VCardVersion Version(const ContactCard& card) { return card.document_.version(); }
};

// An e-mail slot name ("Email2") as a slot number 0 to 2, or kNoPin.
int EmailSlotFromName(std::string_view name);

// The field an Outlook property name (any case) stands for, and back.
bool FindContactField(std::string_view name, ContactField* field);
std::string_view ContactFieldName(ContactField field);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_CONTACT_CARD_ACCESS_H_
