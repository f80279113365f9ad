#include "outside/pim/entry_id.h"

#include <array>

namespace olconn97::pim {

namespace {

// The bytes behind an ID, before base64url:
//   '2', store, folder, file name
// where store and folder are each either 'H' and the 16 bytes of a
// 32-digit hexadecimal identity (the usual case, kept short because the
// contact cache stores one ID per phone number), 'T' for the top folder,
// or 'P' and a text ended by the unit separator.
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr char kVersion = '2';
constexpr char kSeparator = '\x1f';
constexpr size_t kIdentityBytes = 16;

constexpr std::array<int, 256> DecodingTable() {
  std::array<int, 256> table{};
  for (int& entry : table) entry = -1;
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
  return table;
}

constexpr std::array<int, 256> kDecoding = DecodingTable();

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower case is not an identity of ours: kept as text
}

bool IsIdentity(std::string_view text) {
  if (text.size() != 2 * kIdentityBytes) return false;
  for (char c : text) {
    if (HexValue(c) < 0) return false;
  }
  return true;
}

void AppendPart(std::string_view part, bool top_allowed, std::string* raw) {
  if (top_allowed && part == "top") {
    *raw += 'T';
  } else if (IsIdentity(part)) {
    *raw += 'H';
    for (size_t i = 0; i < kIdentityBytes; ++i) {
      *raw += static_cast<char>(HexValue(part[2 * i]) * 16 + HexValue(part[2 * i + 1]));
    }
  } else {
    *raw += 'P';
    *raw += part;
    *raw += kSeparator;
  }
}

// Reads one part at `at`; false when the bytes are not a part.
bool ReadPart(std::string_view raw, size_t* at, bool top_allowed, std::string* part) {
  if (*at >= raw.size()) return false;
  char kind = raw[(*at)++];
  if (kind == 'T' && top_allowed) {
    *part = "top";
    return true;
  }
  if (kind == 'H') {
    if (raw.size() - *at < kIdentityBytes) return false;
    static constexpr char kHex[] = "0123456789ABCDEF";
    part->clear();
    for (size_t i = 0; i < kIdentityBytes; ++i) {
      auto byte = static_cast<unsigned char>(raw[*at + i]);
      *part += kHex[byte >> 4];
      *part += kHex[byte & 15];
    }
    *at += kIdentityBytes;
    return true;
  }
  if (kind != 'P') return false;
  size_t end = raw.find(kSeparator, *at);
  if (end == std::string_view::npos || end == *at) return false;
  *part = std::string(raw.substr(*at, end - *at));
  *at = end + 1;
  return true;
}

std::string Base64Url(std::string_view raw) {
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (unsigned char byte : raw) {
    bits = (bits << 8) | byte;
    count += 8;
    while (count >= 6) {
      count -= 6;
      out += kAlphabet[(bits >> count) & 63];
    }
  }
  if (count > 0) out += kAlphabet[(bits << (6 - count)) & 63];
  return out;
}

Result<std::string> FromBase64Url(std::string_view text) {
  std::string raw;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    int value = kDecoding[static_cast<unsigned char>(c)];
    if (value < 0) return Status::NotFound("not a valid entry ID");
    bits = (bits << 6) | static_cast<unsigned>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      raw += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  // Leftover bits must be the zero padding the encoder writes.
  if (count >= 6 || (bits & ((1u << count) - 1)) != 0)
    return Status::NotFound("not a valid entry ID");
  return raw;
}

}  // namespace

std::string EncodeEntryId(const EntryIdParts& parts) {
  std::string raw(1, kVersion);
  AppendPart(parts.store_id, false, &raw);
  AppendPart(parts.folder_key, true, &raw);
  raw += parts.file;
  return Base64Url(raw);
}

Result<EntryIdParts> DecodeEntryId(std::string_view entry_id) {
  Status invalid = Status::NotFound("not a valid entry ID");
  if (entry_id.empty() || entry_id.size() > kMaxEntryIdLength) return invalid;
  OLC_ASSIGN_OR_RETURN(std::string raw, FromBase64Url(entry_id));
  if (raw.empty() || raw[0] != kVersion) return invalid;
  EntryIdParts parts;
  size_t at = 1;
  if (!ReadPart(raw, &at, false, &parts.store_id) || !ReadPart(raw, &at, true, &parts.folder_key)) {
    return invalid;
  }
  parts.file = raw.substr(at);
  for (char c : parts.file) {
    if (c == '\0' || c == kSeparator) return invalid;
  }
  // Only the canonical form is an ID: re-encoding must give the same text.
  if (EncodeEntryId(parts) != entry_id) return invalid;
  return parts;
}

}  // namespace olconn97::pim
