#include "outside/jet/sql_functions.h"

#include <memory>
#include <string_view>

#include "outside/jet/jet_sql.h"
#include "outside/jet/like.h"
#include "outside/jet/sqlite_handle.h"
#include "outside/jet/text_fold.h"

namespace olconn97::jet {
namespace {

constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;

std::string_view TextOf(sqlite3_value* value) {
  const unsigned char* text = sqlite3_value_text(value);
  int size = sqlite3_value_bytes(value);
  if (text == nullptr || size == 0) return {};
  return {reinterpret_cast<const char*>(text), static_cast<size_t>(size)};
}

void DeletePattern(void* pattern) { delete static_cast<LikePattern*>(pattern); }

// like(pattern, text): SQLite's own order for "text LIKE pattern".
void JetLike(sqlite3_context* context, int, sqlite3_value** args) {
  if (sqlite3_value_type(args[0]) == SQLITE_NULL || sqlite3_value_type(args[1]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  // The pattern is compiled once per statement while it stays the same.
  auto* cached = static_cast<LikePattern*>(sqlite3_get_auxdata(context, 0));
  if (cached != nullptr) {
    sqlite3_result_int(context, cached->Matches(TextOf(args[1])) ? 1 : 0);
    return;
  }
  Result<LikePattern> compiled = LikePattern::Compile(TextOf(args[0]));
  if (!compiled.ok()) {
    const std::string& description = compiled.status().description();
    sqlite3_result_error(context, description.c_str(), static_cast<int>(description.size()));
    sqlite3_result_error_code(context, SQLITE_MISMATCH);
    return;
  }
  auto pattern = std::make_unique<LikePattern>(std::move(compiled).value());
  sqlite3_result_int(context, pattern->Matches(TextOf(args[1])) ? 1 : 0);
  // SQLite owns it from here, and may drop it at once.
  sqlite3_set_auxdata(context, 0, pattern.release(), DeletePattern);
}

void JetFold(sqlite3_context* context, int, sqlite3_value** args) {
  if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  std::string folded = FoldCase(TextOf(args[0]));
  sqlite3_result_text64(context, folded.data(), folded.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// The text backwards, byte by byte: the cache's reversed phone digits, so a
// number searched by its ending ("*4567") is an index range too. Phone rows
// hold ASCII digits only, for which bytes and characters are the same.
void JetReverse(sqlite3_context* context, int, sqlite3_value** args) {
  if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  std::string text(TextOf(args[0]));
  std::string reversed(text.rbegin(), text.rend());
  sqlite3_result_text64(context, reversed.data(), reversed.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

int CollateText(void*, int size_a, const void* a, int size_b, const void* b) {
  return CompareText({static_cast<const char*>(a), static_cast<size_t>(size_a)},
                     {static_cast<const char*>(b), static_cast<size_t>(size_b)});
}

}  // namespace

Status RegisterJetFunctions(sqlite3* db) {
  int rc = sqlite3_create_function_v2(db, "like", 2, kFlags, nullptr, JetLike, nullptr, nullptr,
                                      nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function_v2(db, kFoldFunction, 1, kFlags, nullptr, JetFold, nullptr,
                                    nullptr, nullptr);
  }
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function_v2(db, kReverseFunction, 1, kFlags, nullptr, JetReverse, nullptr,
                                    nullptr, nullptr);
  }
  if (rc == SQLITE_OK) {
    rc =
        sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, CollateText, nullptr);
  }
  return rc == SQLITE_OK ? Status::Ok() : SqliteStatus(rc, db);
}

}  // namespace olconn97::jet
