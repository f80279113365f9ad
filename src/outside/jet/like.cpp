#include "outside/jet/like.h"

#include "outside/jet/text_fold.h"

namespace olconn97::jet {
namespace {

Status InvalidPattern() {
  // Error 93 of the VB-style runtime, as a caller of Like knows it.
  return Status::InvalidArgument("Invalid pattern string.", "DAO.Database")
      .WithNumber(static_cast<int32_t>(0x800A005Du));
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// Like reads every text of a scanned column: ASCII, by far the most common,
// is decoded and folded here without a call.
inline char32_t Next(std::string_view text, size_t& pos) {
  auto byte = static_cast<unsigned char>(text[pos]);
  if (byte < 0x80) {
    ++pos;
    return byte;
  }
  return NextCodePoint(text, pos);
}

inline char32_t Fold(char32_t c) {
  if (c < 0x80) return (c >= U'A' && c <= U'Z') ? c + 32 : c;
  return FoldCase(c);
}

// A character only itself matches under Like's case rule.
bool HasNoOtherCase(char32_t c) { return c < 0x80 && !((c | 0x20) >= U'a' && (c | 0x20) <= U'z'); }

}  // namespace

bool LikePattern::Element::Accepts(char32_t c) const {
  switch (kind) {
    case Kind::kLiteral:
      return Fold(c) == folded;
    case Kind::kAnyCharacter:
      return true;
    case Kind::kDigit:
      return IsDigit(c);
    case Kind::kList: {
      char32_t folded_c = Fold(c);
      bool found = false;
      for (const Range& range : ranges) {
        found = found || (c >= range.low && c <= range.high) ||
                (folded_c >= Fold(range.low) && folded_c <= Fold(range.high));
      }
      return found != negated;
    }
    case Kind::kAnyRun:
      break;
  }
  return false;
}

std::optional<char32_t> LikePattern::Element::FixedCharacter() const {
  if (kind == Kind::kLiteral) return character;
  bool single =
      kind == Kind::kList && !negated && ranges.size() == 1 && ranges[0].low == ranges[0].high;
  if (single) return ranges[0].low;
  return std::nullopt;
}

// `pos` is just past "["; on success it is just past "]".
Result<LikePattern::Element> LikePattern::ParseList(std::string_view pattern, size_t& pos) {
  Element list;
  list.kind = Element::Kind::kList;
  if (pos < pattern.size() && pattern[pos] == '!') {
    list.negated = true;
    ++pos;
  }
  while (pos < pattern.size() && pattern[pos] != ']') {
    char32_t low = NextCodePoint(pattern, pos);
    char32_t high = low;
    bool is_range = pos + 1 < pattern.size() && pattern[pos] == '-' && pattern[pos + 1] != ']';
    if (is_range) {
      ++pos;
      high = NextCodePoint(pattern, pos);
      if (high < low) return InvalidPattern();
    }
    list.ranges.push_back({low, high});
  }
  if (pos >= pattern.size()) return InvalidPattern();  // no closing "]"
  ++pos;
  return list;
}

Result<LikePattern> LikePattern::Compile(std::string_view pattern) {
  std::vector<Element> elements;
  for (size_t pos = 0; pos < pattern.size();) {
    char32_t c = NextCodePoint(pattern, pos);
    Element element;
    if (c == U'[') {
      OLC_ASSIGN_OR_RETURN(element, ParseList(pattern, pos));
      // "[]" matches the empty text: it adds nothing to the pattern.
      if (element.ranges.empty() && !element.negated) continue;
      // "[!]" excludes nothing: any one character.
      if (element.ranges.empty()) element.kind = Element::Kind::kAnyCharacter;
    } else if (c == U'*') {
      if (!elements.empty() && elements.back().kind == Element::Kind::kAnyRun) continue;
      element.kind = Element::Kind::kAnyRun;
    } else if (c == U'?') {
      element.kind = Element::Kind::kAnyCharacter;
    } else if (c == U'#') {
      element.kind = Element::Kind::kDigit;
    } else {
      element.character = c;
      element.folded = Fold(c);
    }
    elements.push_back(std::move(element));
  }
  return LikePattern(std::move(elements));
}

LikePattern::LikePattern(std::vector<Element> elements) : elements_(std::move(elements)) {
  // The longest run of literals that only match themselves: a match must
  // hold it as it stands, which a plain substring search rules out fast.
  std::string run;
  for (size_t i = 0; i <= elements_.size(); ++i) {
    bool plain = i < elements_.size() && elements_[i].kind == Element::Kind::kLiteral &&
                 HasNoOtherCase(elements_[i].character);
    if (plain) {
      run += static_cast<char>(elements_[i].character);
      continue;
    }
    if (run.size() > required_.size()) required_ = run;
    run.clear();
  }
}

// Greedy matching that, on a mismatch, lets the last "*" take one more
// character and tries again from there: no recursion, no blow-up.
bool LikePattern::Matches(std::string_view text) const {
  if (!required_.empty() && text.find(required_) == std::string_view::npos) return false;
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t element = 0;
  size_t pos = 0;
  size_t star_element = kNone;
  size_t star_pos = 0;
  while (true) {
    if (element < elements_.size() && elements_[element].kind == Element::Kind::kAnyRun) {
      star_element = ++element;
      star_pos = pos;
      continue;
    }
    if (pos >= text.size()) break;
    size_t next = pos;
    char32_t c = Next(text, next);
    if (element < elements_.size() && elements_[element].Accepts(c)) {
      ++element;
      pos = next;
      continue;
    }
    if (star_element == kNone) return false;
    Next(text, star_pos);
    pos = star_pos;
    element = star_element;
  }
  return element == elements_.size();
}

std::string LikePattern::LiteralPrefix() const {
  std::string prefix;
  for (const Element& element : elements_) {
    std::optional<char32_t> c = element.FixedCharacter();
    if (!c) break;
    AppendCodePoint(prefix, *c);
  }
  return prefix;
}

std::string LikePattern::LiteralSuffix() const {
  std::u32string backwards;
  for (auto element = elements_.rbegin(); element != elements_.rend(); ++element) {
    std::optional<char32_t> c = element->FixedCharacter();
    if (!c) break;
    backwards += *c;
  }
  std::string suffix;
  for (auto c = backwards.rbegin(); c != backwards.rend(); ++c) AppendCodePoint(suffix, *c);
  return suffix;
}

bool LikePattern::IsLiteral() const {
  for (const Element& element : elements_) {
    if (!element.FixedCharacter()) return false;
  }
  return true;
}

std::optional<std::string> PrefixUpperBound(std::string_view prefix) {
  std::string bound(prefix);
  while (!bound.empty() && static_cast<unsigned char>(bound.back()) == 0xFF) bound.pop_back();
  if (bound.empty()) return std::nullopt;
  bound.back() = static_cast<char>(static_cast<unsigned char>(bound.back()) + 1);
  return bound;
}

}  // namespace olconn97::jet
