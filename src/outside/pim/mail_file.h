// The store's mail files: RFC 5322 messages (".eml") of one plain-text part.
//
// Written: CR LF line ends; Date, From (when an address is known), To,
// Subject, Message-ID, MIME-Version, Content-Type (text/plain, UTF-8) and
// Content-Transfer-Encoding. Header values are made safe first (see
// HeaderSafeText): call data can change the text of a header, never add a
// header. Non-ASCII header text is written as RFC 2047 encoded-words.
//
// The body is quoted-printable: it reaches any relay unchanged (7-bit,
// lines of at most 76 characters however long the driver's lines are), and
// a line that is only "." or starts with "From " is encoded too, so no
// program reading the message can take it for the end of the input or the
// start of another message.
#ifndef OLCONN97_OUTSIDE_PIM_MAIL_FILE_H_
#define OLCONN97_OUTSIDE_PIM_MAIL_FILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/shell/clock.h"

namespace olconn97::pim {

struct MailMessage {
  // An address, "Ann Smith <ann@example.org>", or empty.
  std::string from;
  // Addresses, "Name <address>" texts, or display texts that name no
  // address (a caller's name or number).
  std::vector<std::string> to;
  std::string subject;
  // Lines separated by LF; any line break the driver uses is accepted.
  std::string body;
  shell::WallTime date;
  // Without the angle brackets; left out of the file when empty.
  std::string message_id;

  friend bool operator==(const MailMessage&, const MailMessage&) = default;
};

std::string WriteMail(const MailMessage& message);

// Reads what WriteMail writes, and simple messages of other tools: LF or
// CR LF line ends, folded headers, encoded-words in any charset iconv
// knows, 7bit, 8bit, quoted-printable or base64 bodies, and the first
// text/plain part of a multipart message. The body comes back with LF line
// breaks, less the line break that ends its last line, so a body written
// reads back unchanged; seconds are the finest time unit; a missing or
// unreadable Date gives the epoch. Fails with kCorrupt when the text has
// no header field at all.
Result<MailMessage> ReadMail(std::string_view eml);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_MAIL_FILE_H_
