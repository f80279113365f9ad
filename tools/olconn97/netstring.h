// Netstrings ("<decimal length>:<payload>,"), the framing of the SIP user
// agent's control port.
//
//   NetstringReader reader;
//   std::vector<std::string> frames;
//   if (!reader.Feed(bytes_just_read, &frames)) reset_the_connection(reader.error());
//   for (const std::string& frame : frames) ...
//
// The reader holds at most one unfinished frame, never more than
// kMaxNetstringPayload bytes of payload, so a peer cannot make it grow.
#ifndef OLCONN97_TOOLS_NETSTRING_H_
#define OLCONN97_TOOLS_NETSTRING_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// The longest payload a frame may carry (64 kB); a longer one is taken for
// a broken stream, not waited for.
constexpr size_t kMaxNetstringPayload = 65536;

// `payload` framed as a netstring.
std::string Netstring(std::string_view payload);

class NetstringReader {
 public:
  // Takes the next bytes of the stream, however they were cut, and appends
  // each frame they complete to `frames`. Returns false once the framing is
  // lost (a length that is not digits, has a leading zero or is over the
  // limit, a frame that does not end with ','): the frames completed before
  // the fault are still appended, nothing after it is read, and every later
  // Feed returns false until Reset.
  [[nodiscard]] bool Feed(std::string_view bytes, std::vector<std::string>* frames);

  bool lost() const { return !error_.empty(); }
  // Why the framing was lost, one line; empty while it holds.
  const std::string& error() const { return error_; }
  // True while part of a frame is held, waiting for more bytes.
  bool mid_frame() const { return stage_ != Stage::kLength || length_digits_ > 0; }

  // Forgets everything held, for a new connection.
  void Reset();

 private:
  enum class Stage { kLength, kPayload, kComma };

  void Lose(std::string why);

  Stage stage_ = Stage::kLength;
  size_t length_ = 0;
  size_t length_digits_ = 0;
  std::string payload_;
  std::string error_;
};

}  // namespace host

#endif  // OLCONN97_TOOLS_NETSTRING_H_
