// The vCard reader: a file's lines, the card seen as a contact item, and one
// round of edits written out and read back.
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "outside/pim/vcard/contact_card.h"
#include "outside/pim/vcard/vcard_lines.h"

namespace olconn97::fuzz {
namespace {

constexpr std::string_view kTarget = "vcard";

// Every property the item model reads, failures included as their code.
std::vector<std::string> ReadAll(const pim::ContactCard& card) {
  std::vector<std::string> read;
  for (const std::string& name : pim::ContactCardPropertyNames()) {
    Result<std::string> value = card.GetProperty(name);
    read.push_back(value.ok() ? value.value()
                              : "!" + std::to_string(static_cast<int>(value.status().code())));
  }
  Result<std::vector<std::string>> extra = card.ExtraPhoneNumbers();
  if (extra.ok()) read.insert(read.end(), extra.value().begin(), extra.value().end());
  Result<std::vector<pim::UserProperty>> user = card.UserProperties();
  if (user.ok()) {
    for (const pim::UserProperty& property : user.value()) {
      read.push_back(property.name + "=" + std::to_string(property.type) + ":" + property.value);
    }
  }
  read.push_back(card.Uid());
  return read;
}

// Edits as the driver makes them: a contact created from a call, a number
// and an address added, the directory's employee id.
bool Edit(pim::ContactCard& card) {
  return card.SetProperty("FullName", "Ann Smith").ok() &&
         card.SetProperty("BusinessTelephoneNumber", "+33 1 23 45 67 89").ok() &&
         card.SetProperty("Email2Address", "ann@example.org").ok() &&
         card.SetProperty("Department", "Sales; North").ok() &&
         card.SetUserProperty("employeeId", pim::kUserPropertyNumber, "42").ok();
}

}  // namespace

int VCardInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = AsText(data, size);
  Result<pim::VCardFile> file = pim::VCardFile::Parse(bytes);
  if (file.ok()) {
    for (const pim::ContentLine& line : file.value().lines()) {
      (void)line.group(), (void)line.name(), (void)line.params(), (void)line.value();
    }
  }

  Result<pim::ContactCard> parsed = pim::ContactCard::Parse(bytes);
  if (!parsed.ok()) return 0;
  pim::ContactCard card = std::move(parsed).value();
  // A card read and not changed is written back byte for byte.
  OLCONN97_FUZZ_CHECK(kTarget, card.Serialize() == bytes);
  (void)ReadAll(card);
  if (card.IsGroup() || !Edit(card)) return 0;

  // What was written reads back as the edited card showed it.
  const std::string written = card.Serialize();
  Result<pim::ContactCard> reread = pim::ContactCard::Parse(written);
  OLCONN97_FUZZ_CHECK(kTarget, reread.ok());
  OLCONN97_FUZZ_CHECK(kTarget, ReadAll(reread.value()) == ReadAll(card));
  OLCONN97_FUZZ_CHECK(kTarget, reread.value().GetProperty("FullName").value_or("") == "Ann Smith");
  OLCONN97_FUZZ_CHECK(kTarget, reread.value().Serialize() == written);
  return 0;
}

}  // namespace olconn97::fuzz
