#include "outside/jet/jet_lexer.h"

#include "base/strings.h"

namespace olconn97::jet {
namespace {

bool IsWordStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}
bool IsWordPart(char c) { return IsWordStart(c) || IsAsciiDigit(c); }

std::string At(size_t pos) { return " at character " + std::to_string(pos + 1); }

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  Result<std::vector<JetToken>> Run() {
    while (true) {
      while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
      if (pos_ >= text_.size()) return std::move(tokens_);
      OLC_RETURN_IF_ERROR(Next());
    }
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  Status Next() {
    char c = text_[pos_];
    if (c == '"' || c == '\'') return Quoted(c, JetToken::Kind::kText);
    if (c == '[') return Bracketed();
    if (IsWordStart(c)) return Word();
    if (IsAsciiDigit(c) || (c == '.' && pos_ + 1 < text_.size() && IsAsciiDigit(text_[pos_ + 1]))) {
      return Number();
    }
    if (c == '?') return Add(JetToken::Kind::kPlaceholder, "?", 1);
    return Symbol();
  }

  Status Add(JetToken::Kind kind, std::string text, size_t length) {
    tokens_.push_back({kind, std::move(text)});
    pos_ += length;
    return Status::Ok();
  }

  // Jet doubles the quote character to put it inside a literal.
  Status Quoted(char quote, JetToken::Kind kind) {
    size_t start = pos_;
    std::string value;
    for (++pos_; pos_ < text_.size(); ++pos_) {
      if (text_[pos_] != quote) {
        value.push_back(text_[pos_]);
      } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
        value.push_back(quote);
        ++pos_;
      } else {
        return Add(kind, std::move(value), 1);
      }
    }
    return JetSyntaxError("Unterminated text literal" + At(start) + ".");
  }

  Status Bracketed() {
    size_t end = text_.find(']', pos_);
    if (end == std::string_view::npos) return JetSyntaxError("Unclosed \"[\"" + At(pos_) + ".");
    std::string_view name = text_.substr(pos_ + 1, end - pos_ - 1);
    if (name.empty() || name.find('[') != std::string_view::npos) {
      return JetSyntaxError("Invalid bracketed name" + At(pos_) + ".");
    }
    return Add(JetToken::Kind::kQuotedName, std::string(name), end + 1 - pos_);
  }

  Status Word() {
    size_t end = pos_;
    while (end < text_.size() && IsWordPart(text_[end])) ++end;
    return Add(JetToken::Kind::kWord, std::string(text_.substr(pos_, end - pos_)), end - pos_);
  }

  Status Number() {
    size_t end = pos_;
    auto digits = [&] {
      while (end < text_.size() && IsAsciiDigit(text_[end])) ++end;
    };
    digits();
    if (end < text_.size() && text_[end] == '.') {
      ++end;
      digits();
    }
    if (end < text_.size() && (text_[end] == 'e' || text_[end] == 'E')) {
      size_t exponent = end + 1;
      if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-')) ++exponent;
      if (exponent < text_.size() && IsAsciiDigit(text_[exponent])) {
        end = exponent;
        digits();
      }
    }
    if (end < text_.size() && IsWordPart(text_[end])) {
      return JetSyntaxError("Malformed number" + At(pos_) + ".");
    }
    return Add(JetToken::Kind::kNumber, std::string(text_.substr(pos_, end - pos_)), end - pos_);
  }

  Status Symbol() {
    std::string_view two = text_.substr(pos_, 2);
    if (two == "--" || two == "/*") {
      return JetSyntaxError("Comments are not part of a statement" + At(pos_) + ".");
    }
    if (two == "<=" || two == ">=" || two == "<>") {
      return Add(JetToken::Kind::kSymbol, std::string(two), 2);
    }
    constexpr std::string_view kSingle = "(),.*=<>+-/&;";
    char c = text_[pos_];
    if (kSingle.find(c) == std::string_view::npos) {
      return JetSyntaxError(std::string("Unexpected character '") + c + "'" + At(pos_) + ".");
    }
    return Add(JetToken::Kind::kSymbol, std::string(1, c), 1);
  }

  std::string_view text_;
  size_t pos_ = 0;
  std::vector<JetToken> tokens_;
};

}  // namespace

bool JetToken::IsKeyword(std::string_view keyword) const {
  return kind == Kind::kWord && EqualsIgnoreCase(text, keyword);
}

Result<std::vector<JetToken>> LexJet(std::string_view statement) { return Lexer(statement).Run(); }

Status JetSyntaxError(std::string description) {
  // 3075: the engine's "syntax error in query expression".
  return Status::InvalidArgument(std::move(description), "DAO.Database")
      .WithNumber(static_cast<int32_t>(0x800A0000u | 3075u));
}

}  // namespace olconn97::jet
