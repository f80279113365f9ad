// The control port's framing: frames come out whole however the stream was
// cut, and a stream that breaks the framing is given up at once, before
// the reader holds more than one frame's worth.
#include "tools/olconn97/netstring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace olconn97 {
namespace {

using host::kMaxNetstringPayload;
using host::Netstring;
using host::NetstringReader;

TEST(NetstringTest, FramesComeOutWholeHoweverTheStreamIsCut) {
  EXPECT_EQ(Netstring("abc"), "3:abc,");
  EXPECT_EQ(Netstring(""), "0:,");
  const std::vector<std::string> payloads = {"{\"event\":true}", "",
                                             "12:a,b:", std::string("\0\xFF", 2),
                                             std::string(kMaxNetstringPayload, 'x')};
  std::string stream;
  for (const std::string& payload : payloads) stream += Netstring(payload);
  for (size_t piece : {size_t{1}, size_t{2}, size_t{5}, size_t{4096}, stream.size()}) {
    NetstringReader reader;
    std::vector<std::string> frames;
    for (size_t at = 0; at < stream.size(); at += piece) {
      ASSERT_TRUE(reader.Feed(std::string_view(stream).substr(at, piece), &frames)) << piece;
    }
    EXPECT_EQ(frames, payloads) << "in pieces of " << piece;
    EXPECT_FALSE(reader.mid_frame());
    ASSERT_TRUE(reader.Feed("3:ab", &frames));
    EXPECT_TRUE(reader.mid_frame());
  }
}

TEST(NetstringTest, ABrokenStreamIsGivenUpWithItsReason) {
  struct Case {
    const char* stream;
    const char* reason;
    size_t frames_before;
  };
  const Case kCases[] = {
      {"65537:", "longer than 65536 bytes", 0},  // refused before any payload comes
      {"2:ok,99999999999999999999:", "longer than 65536 bytes", 1},
      {"0000000000000000065536:", "leading zero", 0},
      {"01:x,", "leading zero", 0},
      {"-1:", "holds the byte 0x2D", 0},
      {":x,", "holds the byte 0x3A", 0},
      {"{\"event\":true}", "holds the byte 0x7B", 0},
      {"2:ok,3:abcX", "a frame of 3 bytes does not end with ','", 1},
  };
  for (const Case& c : kCases) {
    NetstringReader reader;
    std::vector<std::string> frames;
    EXPECT_FALSE(reader.Feed(c.stream, &frames)) << c.stream;
    EXPECT_NE(reader.error().find(c.reason), std::string::npos)
        << c.stream << ": " << reader.error();
    EXPECT_EQ(frames.size(), c.frames_before) << c.stream;
    EXPECT_FALSE(reader.Feed("2:ok,", &frames)) << "lost stays lost: " << c.stream;
    EXPECT_EQ(frames.size(), c.frames_before) << c.stream;
    reader.Reset();
    EXPECT_TRUE(reader.Feed("2:ok,", &frames)) << c.stream;
    EXPECT_EQ(frames.back(), "ok") << c.stream;
  }
}

}  // namespace
}  // namespace olconn97
