// Splits a Jet SQL statement into tokens. Literal values come out as their
// values, never as text to paste; anything outside the small Jet dialect the
// driver speaks (date literals, comments, "!" references) is refused.
#ifndef OLCONN97_OUTSIDE_JET_JET_LEXER_H_
#define OLCONN97_OUTSIDE_JET_JET_LEXER_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace olconn97::jet {

struct JetToken {
  enum class Kind {
    kWord,         // a keyword, name or function name, as written
    kQuotedName,   // "[Order Details]": the name inside the brackets
    kText,         // "..." or '...': the value, doubled quotes undone
    kNumber,       // as written
    kPlaceholder,  // ?
    kSymbol,       // ( ) , . * = < > <= >= <> + - / & ;
  };
  Kind kind;
  std::string text;

  bool IsSymbol(std::string_view symbol) const { return kind == Kind::kSymbol && text == symbol; }
  // A word equal to `keyword` (upper case) without regard to case.
  bool IsKeyword(std::string_view keyword) const;

  friend bool operator==(const JetToken&, const JetToken&) = default;
};

// Fails with kInvalidArgument, naming what was wrong and where.
Result<std::vector<JetToken>> LexJet(std::string_view statement);

// A syntax error of a statement, numbered as the database engine numbers it.
Status JetSyntaxError(std::string description);

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_JET_LEXER_H_
