#include "outside/jet/jet_sql.h"

#include <algorithm>
#include <array>

#include "base/strings.h"
#include "outside/jet/jet_lexer.h"

namespace olconn97::jet {
namespace {

constexpr std::array<std::string_view, 34> kKeywords = {
    "ALL",    "AND",    "AS",    "ASC",    "BETWEEN", "BY",     "DELETE", "DESC",  "DISTINCT",
    "EXISTS", "FROM",   "GROUP", "HAVING", "IN",      "INNER",  "INSERT", "INTO",  "IS",
    "JOIN",   "LEFT",   "LIKE",  "NOT",    "NULL",    "ON",     "OR",     "ORDER", "OUTER",
    "RIGHT",  "SELECT", "SET",   "UNION",  "UPDATE",  "VALUES", "WHERE"};

// Jet words SQLite spells differently.
struct Respelling {
  std::string_view jet;
  std::string_view sqlite;
};
constexpr std::array<Respelling, 3> kRespellings = {{{"TRUE", "1"}, {"FALSE", "0"}, {"MOD", "%"}}};

// Words that open a clause when they stand outside parentheses.
constexpr std::array<std::string_view, 9> kClauses = {"SELECT", "FROM",  "WHERE", "ORDER", "GROUP",
                                                      "HAVING", "UNION", "SET",   "VALUES"};

template <size_t N>
bool Contains(const std::array<std::string_view, N>& words, std::string_view word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

std::string ToUpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool IsPlainAscii(std::string_view word) {
  return std::all_of(word.begin(), word.end(), [](char c) { return (c & 0x80) == 0; });
}

Status ParameterCountError(size_t expected, size_t given) {
  std::string description =
      (given < expected ? "Too few parameters. Expected " : "Too many parameters. Expected ") +
      std::to_string(expected) + ", given " + std::to_string(given) + ".";
  return Status::InvalidArgument(std::move(description), "DAO.Database")
      .WithNumber(static_cast<int32_t>(0x800A0000u | 3061u));
}

struct ClauseMark {
  std::string keyword;
  size_t token = 0;      // index of the keyword's token
  size_t out_begin = 0;  // where the keyword starts in the translation
  size_t out_end = 0;    // where the clause's body starts
};

class Translator {
 public:
  Translator(const std::vector<JetToken>& tokens, std::span<const Value> params)
      : tokens_(tokens), params_(params) {}

  Status Run() {
    for (size_t i = 0; i < tokens_.size();) OLC_RETURN_IF_ERROR(Token(i));
    EndOrderTerm();
    if (depth_ != 0) return JetSyntaxError("Unbalanced parentheses.");
    if (placeholders_ != params_.size()) return ParameterCountError(placeholders_, params_.size());
    return Status::Ok();
  }

  std::string out_;
  std::vector<Value> bound_;
  std::vector<size_t> placeholder_slots_;  // where each "?" went in bound_
  std::vector<ClauseMark> clauses_;

 private:
  const JetToken* Peek(size_t i) const { return i < tokens_.size() ? &tokens_[i] : nullptr; }

  // Returns where `piece` starts.
  size_t Emit(std::string_view piece) {
    bool attach = piece == "," || piece == ")" || piece == ".";
    if (!out_.empty() && !glue_ && !attach) out_.push_back(' ');
    last_start_ = out_.size();
    out_ += piece;
    glue_ = piece == "(" || piece == ".";
    return last_start_;
  }

  void CountTerm(bool is_number) {
    if (!in_order_by_) return;
    if (term_tokens_ == 0) term_start_ = last_start_;
    term_is_number_ = term_tokens_ == 0 && is_number;
    ++term_tokens_;
  }

  // A sort term ends: a column position ("Order By 1") keeps its meaning;
  // an expression is bracketed so the collation applies to all of it.
  void EndOrderTerm() {
    if (in_order_by_ && term_tokens_ > 0 && !(term_tokens_ == 1 && term_is_number_)) {
      if (term_tokens_ > 1) {
        out_.insert(term_start_, "(");
        out_ += ")";
      }
      Emit(std::string("COLLATE ") + kTextCollation);
    }
    term_tokens_ = 0;
  }

  void Bind(const Value& value) {
    bound_.push_back(value);
    Emit("?" + std::to_string(bound_.size()));
    CountTerm(false);
  }

  Status Token(size_t& i) {
    const JetToken& token = tokens_[i];
    switch (token.kind) {
      case JetToken::Kind::kWord:
        return Word(i);
      case JetToken::Kind::kQuotedName:
        Emit(QuoteName(token.text));
        CountTerm(false);
        break;
      case JetToken::Kind::kText:
        Bind(Value(token.text));
        break;
      case JetToken::Kind::kPlaceholder:
        ++placeholders_;
        if (placeholders_ <= params_.size()) {
          placeholder_slots_.push_back(bound_.size());
          Bind(params_[placeholders_ - 1]);
        }
        break;
      case JetToken::Kind::kNumber:
        Emit(token.text);
        CountTerm(true);
        break;
      case JetToken::Kind::kSymbol:
        OLC_RETURN_IF_ERROR(Symbol(i));
        break;
    }
    ++i;
    return Status::Ok();
  }

  Status Symbol(size_t i) {
    const std::string& symbol = tokens_[i].text;
    if (symbol == ";") {
      if (i + 1 != tokens_.size()) {
        return JetSyntaxError("Characters found after end of SQL statement.");
      }
      return Status::Ok();
    }
    if (symbol == "," && depth_ == 0 && in_order_by_) {
      EndOrderTerm();
      Emit(",");
      return Status::Ok();
    }
    if (symbol == "(") ++depth_;
    if (symbol == ")" && --depth_ < 0) return JetSyntaxError("Unbalanced parentheses.");
    Emit(symbol == "&" ? "||" : symbol);
    CountTerm(false);
    return Status::Ok();
  }

  Status Word(size_t& i) {
    const JetToken& token = tokens_[i];
    std::string upper = ToUpperAscii(token.text);
    for (const Respelling& respelling : kRespellings) {
      if (upper == respelling.jet) {
        Emit(respelling.sqlite);
        CountTerm(false);
        ++i;
        return Status::Ok();
      }
    }
    if (Contains(kKeywords, upper)) return Keyword(i, upper);
    const JetToken* next = Peek(i + 1);
    bool after_into = i > 0 && tokens_[i - 1].IsKeyword("INTO");
    if (next && next->IsSymbol("(") && !after_into && IsPlainAscii(token.text)) {
      Emit(token.text);  // a function
      glue_ = true;
    } else {
      Emit(QuoteName(token.text));
    }
    CountTerm(false);
    ++i;
    return Status::Ok();
  }

  Status Keyword(size_t& i, const std::string& upper) {
    bool with_by = upper == "ORDER" || upper == "GROUP";
    if (with_by && !(Peek(i + 1) && Peek(i + 1)->IsKeyword("BY"))) {
      return JetSyntaxError(upper + " without BY.");
    }
    bool clause = depth_ == 0 && Contains(kClauses, upper);
    if (clause) {
      EndOrderTerm();
      in_order_by_ = false;
    }
    bool sort_direction = in_order_by_ && depth_ == 0 && (upper == "ASC" || upper == "DESC");
    if (sort_direction) EndOrderTerm();
    size_t start = Emit(upper);
    ++i;
    if (with_by) {
      Emit("BY");
      ++i;
    }
    if (clause) clauses_.push_back({upper, i - (with_by ? 2 : 1), start, out_.size()});
    if (upper == "ORDER" && depth_ == 0) in_order_by_ = true;
    if (upper == "DELETE" && i == 1) return SkipDeleteTarget(i);
    if (!clause && !sort_direction) CountTerm(false);  // a keyword inside a sort term
    return Status::Ok();
  }

  // "Delete * From T" and "Delete T.* From T" name what the From names.
  Status SkipDeleteTarget(size_t& i) {
    const JetToken* first = Peek(i);
    if (first && first->IsSymbol("*")) {
      i += 1;
    } else if (first && !first->IsKeyword("FROM") && Peek(i + 1) && Peek(i + 1)->IsSymbol(".") &&
               Peek(i + 2) && Peek(i + 2)->IsSymbol("*")) {
      i += 3;
    }
    if (!Peek(i) || !Peek(i)->IsKeyword("FROM")) return JetSyntaxError("Delete without From.");
    return Status::Ok();
  }

  const std::vector<JetToken>& tokens_;
  std::span<const Value> params_;
  size_t placeholders_ = 0;
  int depth_ = 0;
  bool glue_ = false;
  bool in_order_by_ = false;
  size_t term_tokens_ = 0;
  size_t term_start_ = 0;
  size_t last_start_ = 0;
  bool term_is_number_ = false;
};

Result<StatementKind> KindOf(const std::vector<JetToken>& tokens) {
  struct Named {
    std::string_view word;
    StatementKind kind;
  };
  constexpr std::array<Named, 4> kKinds = {{{"SELECT", StatementKind::kSelect},
                                            {"DELETE", StatementKind::kDelete},
                                            {"UPDATE", StatementKind::kUpdate},
                                            {"INSERT", StatementKind::kInsert}}};
  for (const Named& named : kKinds) {
    if (!tokens.empty() && tokens[0].IsKeyword(named.word)) return named.kind;
  }
  return JetSyntaxError(
      "Invalid SQL statement; expected 'DELETE', 'INSERT', 'SELECT', or 'UPDATE'.");
}

Status Unkeyable(std::string what) {
  return Status::InvalidArgument(
             "A dynaset needs \"Select ... From <tables> [Where ...] [Order By ...]\"; " + what,
             "DAO.Database")
      .WithNumber(static_cast<int32_t>(0x800A0000u | 3219u));
}

// "T", "T A", "T As A", separated by commas.
Result<std::vector<TableRef>> ParseTables(std::span<const JetToken> tokens) {
  std::vector<TableRef> tables;
  auto is_name = [](const JetToken& t) {
    return t.kind == JetToken::Kind::kQuotedName ||
           (t.kind == JetToken::Kind::kWord && !Contains(kKeywords, ToUpperAscii(t.text)));
  };
  size_t i = 0;
  while (i < tokens.size()) {
    if (!is_name(tokens[i])) return Unkeyable("its From clause lists more than table names.");
    TableRef table{tokens[i++].text, {}};
    if (i < tokens.size() && tokens[i].IsKeyword("AS")) ++i;
    if (i < tokens.size() && is_name(tokens[i])) table.alias = tokens[i++].text;
    tables.push_back(std::move(table));
    if (i < tokens.size() && !tokens[i++].IsSymbol(",")) {
      return Unkeyable("its From clause lists more than table names.");
    }
  }
  if (tables.empty()) return Unkeyable("it has no table.");
  return tables;
}

// Select, From, then Where and Order By if present, in that order.
Status CheckClauseOrder(const std::vector<ClauseMark>& marks) {
  constexpr std::array<std::string_view, 4> kOrder = {"SELECT", "FROM", "WHERE", "ORDER"};
  size_t next = 0;
  for (const ClauseMark& mark : marks) {
    size_t position = std::find(kOrder.begin(), kOrder.end(), mark.keyword) - kOrder.begin();
    if (position >= kOrder.size() || position < next || (next < 2 && position != next)) {
      return Unkeyable("this statement has " + mark.keyword + " there.");
    }
    next = position + 1;
  }
  if (next < 2) return Unkeyable("it has no From clause.");
  return Status::Ok();
}

}  // namespace

std::string QuoteName(std::string_view name) {
  return "\"" + ReplaceAll(name, "\"", "\"\"") + "\"";
}

std::string TableRef::Qualifier() const { return QuoteName(alias.empty() ? name : alias); }

Result<SqlText> TranslateStatement(std::string_view jet, std::span<const Value> params) {
  OLC_ASSIGN_OR_RETURN(std::vector<JetToken> tokens, LexJet(jet));
  OLC_ASSIGN_OR_RETURN(StatementKind kind, KindOf(tokens));
  Translator translator(tokens, params);
  OLC_RETURN_IF_ERROR(translator.Run());
  return SqlText{kind, std::move(translator.out_), std::move(translator.bound_)};
}

// A row of a grouped or aggregated select stands for many rows of the
// table: a keyset (one key per table row) cannot hold it.
bool HasAggregate(const std::vector<JetToken>& tokens) {
  static constexpr std::string_view kAggregates[] = {"COUNT", "SUM",  "AVG",   "MIN", "MAX",
                                                     "FIRST", "LAST", "STDEV", "VAR"};
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].IsKeyword("GROUP") || tokens[i].IsKeyword("HAVING")) return true;
    if (i + 1 == tokens.size() || !tokens[i + 1].IsSymbol("(")) continue;
    for (std::string_view aggregate : kAggregates) {
      if (tokens[i].IsKeyword(aggregate)) return true;
    }
  }
  return false;
}

Result<SelectParts> TranslateSelect(std::string_view jet, std::span<const Value> params) {
  OLC_ASSIGN_OR_RETURN(std::vector<JetToken> tokens, LexJet(jet));
  OLC_ASSIGN_OR_RETURN(StatementKind kind, KindOf(tokens));
  if (kind != StatementKind::kSelect) return Unkeyable("this is not a select statement.");
  if (tokens.size() > 1 && tokens[1].IsKeyword("DISTINCT")) {
    return Unkeyable("distinct rows have no keys.");
  }
  if (HasAggregate(tokens)) return Unkeyable("grouped or counted rows have no keys.");
  Translator translator(tokens, params);
  OLC_RETURN_IF_ERROR(translator.Run());
  OLC_RETURN_IF_ERROR(CheckClauseOrder(translator.clauses_));
  SelectParts parts;
  const std::vector<ClauseMark>& marks = translator.clauses_;
  std::string_view out = translator.out_;
  size_t token_end = tokens.back().IsSymbol(";") ? tokens.size() - 1 : tokens.size();
  for (size_t m = 0; m < marks.size(); ++m) {
    size_t body_end = m + 1 < marks.size() ? marks[m + 1].out_begin : out.size();
    std::string body(TrimBlanks(out.substr(marks[m].out_end, body_end - marks[m].out_end)));
    if (marks[m].keyword == "SELECT") parts.columns = std::move(body);
    if (marks[m].keyword == "WHERE") parts.where = std::move(body);
    if (marks[m].keyword == "ORDER") parts.order_by = std::move(body);
    if (marks[m].keyword == "FROM") {
      parts.from = std::move(body);
      size_t first = marks[m].token + 1;
      size_t last = m + 1 < marks.size() ? marks[m + 1].token : token_end;
      OLC_ASSIGN_OR_RETURN(parts.tables,
                           ParseTables(std::span(tokens).subspan(first, last - first)));
    }
  }
  parts.params = std::move(translator.bound_);
  parts.placeholder_slots = std::move(translator.placeholder_slots_);
  return parts;
}

SelectParts SelectWholeTable(std::string_view table) {
  SelectParts parts;
  parts.columns = "*";
  parts.from = QuoteName(table);
  parts.tables.push_back({std::string(table), {}});
  return parts;
}

KeysetSql KeysetStatements(const SelectParts& parts) {
  std::string rowids;
  std::string match;
  size_t number = parts.params.size();
  for (const TableRef& table : parts.tables) {
    std::string rowid = table.Qualifier() + ".rowid";
    rowids += (rowids.empty() ? "" : ", ") + rowid;
    match += (match.empty() ? "" : " AND ") + rowid + " = ?" + std::to_string(++number);
  }
  KeysetSql sql;
  sql.keys = "SELECT " + rowids + " FROM " + parts.from;
  if (!parts.where.empty()) sql.keys += " WHERE " + parts.where;
  sql.keys += " ORDER BY " + (parts.order_by.empty() ? "" : parts.order_by + ", ") + rowids;
  sql.row = "SELECT " + parts.columns + " FROM " + parts.from + " WHERE " + match;
  return sql;
}

std::string SnapshotStatement(const SelectParts& parts) {
  std::string rowids;
  for (const TableRef& table : parts.tables) {
    rowids += (rowids.empty() ? "" : ", ") + table.Qualifier() + ".rowid";
  }
  std::string sql = "SELECT " + parts.columns + " FROM " + parts.from;
  if (!parts.where.empty()) sql += " WHERE " + parts.where;
  return sql + " ORDER BY " + (parts.order_by.empty() ? "" : parts.order_by + ", ") + rowids;
}

}  // namespace olconn97::jet
