#include "outside/jet/text_fold.h"

#include <cstdint>

namespace olconn97::jet {
namespace {

constexpr char32_t kInvalidByteBase = 0x110000;

// Base letters of U+00C0..U+017F, one per code point: a letter, '=' for a
// character that is its own base, '+' for a ligature (see Ligature()).
constexpr std::string_view kLatinBase =
    "aaaaaa+ceeeeiiiidnooooo=ouuuuy++"     // U+00C0..U+00DF
    "aaaaaa+ceeeeiiiidnooooo=ouuuuy+y"     // U+00E0..U+00FF
    "aaaaaaccccccccddddeeeeeeeeeegggggg"   // U+0100..U+0121
    "gghhhhiiiiiiiiii++jjkkkllllllllll"    // U+0122..U+0142
    "nnnnnnnnnoooooo++rrrrrrsssssssstttt"  // U+0143..U+0165
    "ttuuuuuuuuuuuuwwyyyzzzzzzs";          // U+0166..U+017F
static_assert(kLatinBase.size() == 0x180 - 0xC0);

// The letters a ligature sorts as; 0 when `c` is none.
std::u32string_view Ligature(char32_t c) {
  switch (c) {
    case 0xC6:
    case 0xE6:
      return U"ae";
    case 0xDE:
    case 0xFE:
      return U"th";
    case 0xDF:
      return U"ss";
    case 0x132:
    case 0x133:
      return U"ij";
    case 0x152:
    case 0x153:
      return U"oe";
    default:
      return {};
  }
}

char32_t FoldLatinExtendedA(char32_t c) {
  if (c == 0x130) return U'i';
  if (c == 0x178) return 0xFF;
  if (c == 0x17F) return U's';
  if (c == 0x131 || c == 0x138 || c == 0x149) return c;
  bool odd_is_upper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
  if (odd_is_upper) return (c & 1) ? c + 1 : c;
  return (c & 1) ? c : c + 1;
}

char32_t FoldGreekCyrillic(char32_t c) {
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 37;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 63;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c == 0x3C2) return 0x3C3;  // final sigma
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c == 0x4C0) return 0x4CF;
  if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c + 1 : c;
  bool even_is_upper = (c >= 0x3D8 && c <= 0x3EF) || (c >= 0x460 && c <= 0x481) ||
                       (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x4FF);
  return (even_is_upper && (c & 1) == 0) ? c + 1 : c;
}

// Yields the primary weights of a text: folded base letters, a ligature as
// two letters.
class PrimaryWeights {
 public:
  explicit PrimaryWeights(std::string_view text) : text_(text) {}

  bool Next(char32_t& weight) {
    if (!pending_.empty()) {
      weight = pending_.front();
      pending_.remove_prefix(1);
      return true;
    }
    if (pos_ >= text_.size()) return false;
    char32_t c = FoldCase(NextCodePoint(text_, pos_));
    if (c < 0xC0 || c >= 0x180) {
      weight = c;
      return true;
    }
    char base = kLatinBase[c - 0xC0];
    if (base == '+') {
      pending_ = Ligature(c);
      return Next(weight);
    }
    weight = base == '=' ? c : static_cast<char32_t>(base);
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  std::u32string_view pending_;
};

template <typename Stream>
int CompareStreams(Stream a, Stream b) {
  char32_t x = 0;
  char32_t y = 0;
  while (true) {
    bool has_x = a.Next(x);
    bool has_y = b.Next(y);
    if (!has_x || !has_y) return has_x ? 1 : (has_y ? -1 : 0);
    if (x != y) return x < y ? -1 : 1;
  }
}

// Folded code points, accents kept: the tie-break between equal primaries.
class SecondaryWeights {
 public:
  explicit SecondaryWeights(std::string_view text) : text_(text) {}
  bool Next(char32_t& weight) {
    if (pos_ >= text_.size()) return false;
    weight = FoldCase(NextCodePoint(text_, pos_));
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

char32_t NextCodePoint(std::string_view text, size_t& pos) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  uint8_t lead = byte(pos);
  size_t length = lead < 0x80   ? 1
                  : lead < 0xC2 ? 0
                  : lead < 0xE0 ? 2
                  : lead < 0xF0 ? 3
                  : lead < 0xF5 ? 4
                                : 0;
  if (length == 1) {
    ++pos;
    return lead;
  }
  char32_t c = length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
  bool valid = length != 0 && pos + length <= text.size();
  for (size_t i = 1; valid && i < length; ++i) {
    valid = (byte(pos + i) & 0xC0) == 0x80;
    c = (c << 6) | (byte(pos + i) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  valid = valid && !(length == 3 && c < 0x800) && !(length == 4 && (c < 0x10000 || c > 0x10FFFF)) &&
          !(c >= 0xD800 && c <= 0xDFFF);
  if (!valid) {
    ++pos;
    return kInvalidByteBase + lead;
  }
  pos += length;
  return c;
}

void AppendCodePoint(std::string& out, char32_t c) {
  if (c >= kInvalidByteBase) {
    out.push_back(static_cast<char>(c - kInvalidByteBase));
  } else if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

char32_t FoldCase(char32_t c) {
  if (c < 0x80) return (c >= U'A' && c <= U'Z') ? c + 32 : c;
  if (c < 0x100) return (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? c + 32 : c;
  if (c < 0x180) return FoldLatinExtendedA(c);
  if (c >= 0x380 && c < 0x500) return FoldGreekCyrillic(c);
  return c;
}

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  // Names are mostly ASCII: byte by byte until the first other character.
  for (; pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80; ++pos) {
    char c = text[pos];
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  }
  while (pos < text.size()) AppendCodePoint(out, FoldCase(NextCodePoint(text, pos)));
  return out;
}

int CompareText(std::string_view a, std::string_view b) {
  int primary = CompareStreams(PrimaryWeights(a), PrimaryWeights(b));
  if (primary != 0) return primary;
  return CompareStreams(SecondaryWeights(a), SecondaryWeights(b));
}

}  // namespace olconn97::jet
