#include "outside/pim/vcard/contact_card.h"

#include <array>
#include <cassert>
#include <cstdio>
#include <random>

#include "base/strings.h"
#include "outside/pim/vcard/contact_card_access.h"

namespace olconn97::pim {
namespace {

std::string RandomUuid() {
  std::random_device device;
  std::array<unsigned char, 16> bytes;
  for (size_t i = 0; i < bytes.size(); i += 4) {
    uint32_t word = device();
    for (size_t k = 0; k < 4; ++k) bytes[i + k] = static_cast<unsigned char>(word >> (8 * k));
  }
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  std::string uuid;
  char hex[3];
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) uuid.push_back('-');
    std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
    uuid.append(hex);
  }
  return uuid;
}

}  // namespace

ContactCard::ContactCard(VCardDocument document) : document_(std::move(document)) { Reindex(); }

Result<ContactCard> ContactCard::Parse(std::string_view file_bytes) {
  OLC_ASSIGN_OR_RETURN(VCardDocument document, VCardDocument::Parse(file_bytes));
  return ContactCard(std::move(document));
}

Result<ContactCard> ContactCard::ParseOwned(std::string file_bytes) {
  OLC_ASSIGN_OR_RETURN(VCardDocument document, VCardDocument::ParseOwned(std::move(file_bytes)));
  return ContactCard(std::move(document));
}

ContactCard ContactCard::NewCard(std::string_view uid) {
  std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:";
  text += EscapeText(uid.empty() ? RandomUuid() : std::string(uid), VCardVersion::k30);
  text += "\r\nFN:\r\nN:;;;;\r\nEND:VCARD\r\n";
  Result<VCardDocument> document = VCardDocument::Parse(text);
  assert(document.ok());
  ContactCard card(std::move(document).value());
  card.changed_ = true;
  return card;
}

std::string ContactCard::Serialize() const { return document_.Serialize(); }

std::string ContactCard::Uid() const { return ContactCardAccess::Text(*this, index_.uid); }

Status ContactCard::RequireContact(std::string_view property) const {
  if (!index_.group) return Status::Ok();
  return Status::InvalidArgument("The item is a distribution list; it has no property " +
                                 std::string(property));
}

void ContactCard::Reindex() { index_ = ContactCardAccess::BuildIndex(*this); }

}  // namespace olconn97::pim
