// The control port's framing: a stream read whole and cut in pieces gives
// the same frames, and the frames framed again read back the same. Each
// frame then goes to the JSON reader, as the phone host passes it on.
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "tools/olconn97/json_value.h"
#include "tools/olconn97/netstring.h"

namespace olconn97::fuzz {
namespace {

constexpr std::string_view kTarget = "netstring";

struct Read {
  bool ok = true;
  std::vector<std::string> frames;
};

// The stream fed `piece` bytes at a time (all at once for 0).
Read FeedInPieces(std::string_view stream, size_t piece) {
  host::NetstringReader reader;
  Read read;
  if (piece == 0) piece = stream.size() + 1;
  for (size_t at = 0; at < stream.size() && read.ok; at += piece) {
    read.ok = reader.Feed(stream.substr(at, piece), &read.frames);
  }
  OLCONN97_FUZZ_CHECK(kTarget, read.ok != reader.lost());
  return read;
}

}  // namespace

int NetstringInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = data[0] % 8;
  const std::string_view stream = AsText(data + 1, size - 1);

  const Read whole = FeedInPieces(stream, 0);
  const Read cut = FeedInPieces(stream, piece);
  OLCONN97_FUZZ_CHECK(kTarget, whole.ok == cut.ok && whole.frames == cut.frames);

  std::string framed;
  for (const std::string& frame : whole.frames) {
    framed += host::Netstring(frame);
    (void)host::ParseJson(frame);
  }
  const Read again = FeedInPieces(framed, piece);
  OLCONN97_FUZZ_CHECK(kTarget, again.ok && again.frames == whole.frames);
  return 0;
}

}  // namespace olconn97::fuzz
