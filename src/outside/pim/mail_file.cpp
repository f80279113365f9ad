#include "outside/pim/mail_file.h"

#include <optional>
#include <utility>

#include "base/strings.h"
#include "outside/pim/mail_header.h"
#include "outside/pim/text_codec.h"

namespace olconn97::pim {
namespace {

// Nested multiparts deeper than this are not searched for the text.
constexpr int kDeepestPart = 8;

// The header block and body of a message or of one part of it.
struct MailPart {
  std::vector<std::pair<std::string, std::string>> fields;  // lower-case name, unfolded value
  std::string_view body;

  std::string_view Field(std::string_view name) const {
    for (const auto& [field_name, value] : fields) {
      if (field_name == name) return TrimWhiteSpace(value);
    }
    return {};
  }
  static std::string_view TrimWhiteSpace(std::string_view text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
  }
};

// A valid field name: printable ASCII without blanks or colons.
bool IsFieldName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (c <= 0x20 || c >= 0x7F || c == ':') return false;
  }
  return true;
}

MailPart ParsePart(std::string_view text) {
  MailPart part;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (line.ends_with('\r')) line.remove_suffix(1);
    pos = std::min(end + 1, text.size());
    if (line.empty()) break;
    size_t colon = line.find(':');
    if ((line[0] == ' ' || line[0] == '\t') && !part.fields.empty()) {
      part.fields.back().second += line;  // unfolding drops only the line break
    } else if (colon != std::string_view::npos && IsFieldName(line.substr(0, colon))) {
      part.fields.emplace_back(ToLowerAscii(line.substr(0, colon)), line.substr(colon + 1));
    }
    // Anything else (an mbox "From " line, stray text) is skipped.
  }
  part.body = text.substr(pos);
  return part;
}

// The value of one parameter of a Content-Type field, unquoted.
std::string Parameter(std::string_view field, std::string_view name) {
  for (std::string_view piece : Split(field, ';')) {
    size_t equals = piece.find('=');
    if (equals == std::string_view::npos) continue;
    if (!EqualsIgnoreCase(MailPart::TrimWhiteSpace(piece.substr(0, equals)), name)) continue;
    std::string_view value = MailPart::TrimWhiteSpace(piece.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return {};
}

// The parts between the delimiter lines of a multipart body.
std::vector<std::string_view> SplitMultipart(std::string_view body, std::string_view boundary) {
  std::vector<std::string_view> parts;
  std::string delimiter = "--" + std::string(boundary);
  size_t start = std::string_view::npos;
  size_t pos = 0;
  while (pos < body.size()) {
    size_t end = std::min(body.find('\n', pos), body.size());
    std::string_view line = body.substr(pos, end - pos);
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = MailPart::TrimWhiteSpace(line);
    bool closing = line == delimiter + "--";
    if (line == delimiter || closing) {
      // The line break before a delimiter belongs to the delimiter.
      size_t part_end = pos > 0 && body[pos - 1] == '\n' ? pos - 1 : pos;
      if (part_end > 0 && body[part_end - 1] == '\r') --part_end;
      if (start != std::string_view::npos && part_end >= start) {
        parts.push_back(body.substr(start, part_end - start));
      }
      if (closing) break;
      start = std::min(end + 1, body.size());
    }
    pos = end + 1;
  }
  return parts;
}

std::string DecodedText(const MailPart& part) {
  std::string encoding = ToLowerAscii(part.Field("content-transfer-encoding"));
  std::string bytes = encoding == "quoted-printable" ? DecodeQuotedPrintable(part.body)
                      : encoding == "base64"         ? DecodeBase64(part.body)
                                                     : std::string(part.body);
  std::string text =
      UnixLineBreaks(ToUtf8(bytes, Parameter(part.Field("content-type"), "charset")));
  // Every line the writer writes ends in a line break, the last one too.
  if (text.ends_with('\n')) text.pop_back();
  return text;
}

// The first plain text of a part; nothing when a multipart has none.
std::optional<std::string> BodyText(const MailPart& part, int depth) {
  std::string_view type_field = part.Field("content-type");
  std::string media(TrimBlanks(ToLowerAscii(type_field.substr(0, type_field.find(';')))));
  if (media.starts_with("multipart/")) {
    std::string boundary = Parameter(type_field, "boundary");
    if (boundary.empty() || depth >= kDeepestPart) return std::nullopt;
    for (std::string_view child : SplitMultipart(part.body, boundary)) {
      std::optional<std::string> text = BodyText(ParsePart(child), depth + 1);
      if (text.has_value()) return text;
    }
    return std::nullopt;
  }
  bool plain = media.empty() || media == "text/plain";
  if (!plain && depth > 0) return std::nullopt;
  return DecodedText(part);
}

std::string MessageIdText(std::string_view id) {
  std::string out;
  for (char c : id) {
    if (c > 0x20 && c < 0x7F && c != '<' && c != '>') out += c;
  }
  return out;
}

}  // namespace

std::string WriteMail(const MailMessage& message) {
  std::string out = FoldedField("Date", {FormatMailDate(message.date)});
  // From must name a mailbox; without an address it is left to the mail
  // program, which puts in the sending user.
  if (AddressOf(HeaderSafeText(message.from)).has_value()) {
    out += FoldedField("From", AddressListSegments({message.from}));
  }
  std::vector<std::string> to = AddressListSegments(message.to);
  if (!to.empty()) out += FoldedField("To", to);
  out += FoldedField("Subject", UnstructuredSegments(message.subject));
  std::string id = MessageIdText(message.message_id);
  if (!id.empty()) out += FoldedField("Message-ID", {"<" + id + ">"});
  out +=
      "MIME-Version: 1.0\r\n"
      "Content-Type: text/plain; charset=UTF-8\r\n"
      "Content-Transfer-Encoding: quoted-printable\r\n"
      "\r\n";
  out += EncodeQuotedPrintable(UnixLineBreaks(message.body));
  return out;
}

Result<MailMessage> ReadMail(std::string_view eml) {
  MailPart part = ParsePart(eml);
  if (part.fields.empty()) return Status::Corrupt("the mail file has no header field");
  MailMessage message;
  std::vector<std::string> from = ParseAddressList(part.Field("from"));
  if (!from.empty()) message.from = from.front();
  message.to = ParseAddressList(part.Field("to"));
  message.subject = DecodeHeaderText(part.Field("subject"));
  message.message_id = MessageIdText(part.Field("message-id"));
  message.date = ParseMailDate(part.Field("date")).value_or(shell::WallTime());
  message.body = BodyText(part, 0).value_or(std::string());
  return message;
}

}  // namespace olconn97::pim
