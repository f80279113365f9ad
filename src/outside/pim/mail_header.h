// Header fields of the store's mail files (RFC 5322): the safe text a
// header may carry, folding, address lists and dates.
#ifndef OLCONN97_OUTSIDE_PIM_MAIL_HEADER_H_
#define OLCONN97_OUTSIDE_PIM_MAIL_HEADER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "outside/shell/clock.h"

namespace olconn97::pim {

// The text a header may carry: every line break and every other control
// character becomes a blank, so no value from call data can end its header
// line or start another one.
std::string HeaderSafeText(std::string_view text);

// The address a recipient text names: the text itself when it is an
// address ("ann@example.org"), the part in angle brackets of
// "Ann Smith <ann@example.org>"; nothing for a name or a phone number.
std::optional<std::string> AddressOf(std::string_view recipient);

// A header field ending in CR LF. The segments are joined by single
// blanks, and the field is folded before a blank wherever a line would
// grow beyond 78 characters.
std::string FoldedField(std::string_view name, const std::vector<std::string>& segments);

// The segments of an unstructured value (a subject): its words when it is
// plain ASCII, else RFC 2047 encoded-words.
std::vector<std::string> UnstructuredSegments(std::string_view text);

// The segments of an address list. An address is written as it is, with
// its display name when it has one; a text that names no address (a
// caller's name or number) becomes an empty group, "Ann Smith :;", the one
// form in which RFC 5322 lets a bare name stand in an address field.
// Empty texts are left out.
std::vector<std::string> AddressListSegments(const std::vector<std::string>& recipients);

// The recipients of an unfolded address list, in the forms the segments
// above are made from: "ann@example.org", "Ann Smith <ann@example.org>",
// "Ann Smith" for an empty group; the members of a group with members.
std::vector<std::string> ParseAddressList(std::string_view value);

// "Fri, 04 Dec 2026 10:50:05 +0100": the local time with its offset; day
// and month names are English whatever the locale.
std::string FormatMailDate(shell::WallTime time);
// Reads the RFC 5322 form and its obsolete variants (no day name, no
// seconds, two-digit years, "GMT" and the US zone names).
std::optional<shell::WallTime> ParseMailDate(std::string_view value);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_MAIL_HEADER_H_
