#include "outside/jet/jet_sql.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace olconn97::jet {
namespace {

struct TranslationCase {
  const char* jet;
  std::vector<Value> params;
  StatementKind kind;
  const char* sqlite;
  std::vector<Value> bound;
};

const std::vector<TranslationCase>& TranslationCases() {
  static const std::vector<TranslationCase> cases = {
      // The cache's statements, as the driver writes them.
      {"Delete * From TCache", {}, StatementKind::kDelete, R"(DELETE FROM "TCache")", {}},
      {R"(Delete * From TCache Where EntryID = "00AB12")",
       {},
       StatementKind::kDelete,
       R"(DELETE FROM "TCache" WHERE "EntryID" = ?1)",
       {"00AB12"}},
      {"Delete * From TCache Where EntryID = ?",
       {"00AB12"},
       StatementKind::kDelete,
       R"(DELETE FROM "TCache" WHERE "EntryID" = ?1)",
       {"00AB12"}},
      {R"(Select * From TCache Where Name Like "Sm*" Order By Name)",
       {},
       StatementKind::kSelect,
       R"(SELECT * FROM "TCache" WHERE "Name" LIKE ?1 ORDER BY "Name" COLLATE jet_text)",
       {"Sm*"}},
      {"Select * From TCache Where PhoneNumber Like ? Order By Name",
       {"0123*"},
       StatementKind::kSelect,
       R"(SELECT * FROM "TCache" WHERE "PhoneNumber" LIKE ?1 ORDER BY "Name" COLLATE jet_text)",
       {"0123*"}},
      // The directory's.
      {"Select * from Employees where EmployeeId = ?",
       {int64_t{42}},
       StatementKind::kSelect,
       R"(SELECT * FROM "Employees" WHERE "EmployeeId" = ?1)",
       {int64_t{42}}},
      {"select * from Default", {}, StatementKind::kSelect, R"(SELECT * FROM "Default")", {}},
      {"Select * from BLFPagesContents, Employees where Employees.EmployeeId = "
       "BLFPagesContents.EmployeeId and BindToEmployee = 0 and BLFpageId = 1",
       {},
       StatementKind::kSelect,
       R"(SELECT * FROM "BLFPagesContents", "Employees" WHERE "Employees"."EmployeeId" = )"
       R"("BLFPagesContents"."EmployeeId" AND "BindToEmployee" = 0 AND "BLFpageId" = 1)",
       {}},
      // Quoting, literals, and the Jet spellings SQLite lacks.
      {"Select [Last Name] From [Order Details] Where [Order Details].Qty > 2",
       {},
       StatementKind::kSelect,
       R"(SELECT "Last Name" FROM "Order Details" WHERE "Order Details"."Qty" > 2)",
       {}},
      {"Select * From T Where A = 'it''s' Or B = \"say \"\"hi\"\"\"",
       {},
       StatementKind::kSelect,
       R"(SELECT * FROM "T" WHERE "A" = ?1 OR "B" = ?2)",
       {"it's", "say \"hi\""}},
      {"Delete T.* From T Where Flag = True Or Other = false",
       {},
       StatementKind::kDelete,
       R"(DELETE FROM "T" WHERE "Flag" = 1 OR "Other" = 0)",
       {}},
      {"Update TCache Set Name = \"x\" Where EntryID = ?",
       {"E1"},
       StatementKind::kUpdate,
       R"(UPDATE "TCache" SET "Name" = ?1 WHERE "EntryID" = ?2)",
       {"x", "E1"}},
      {"Insert Into TCache (PhoneNumber, Name) Values (\"1\", ?)",
       {Value()},
       StatementKind::kInsert,
       R"(INSERT INTO "TCache" ("PhoneNumber", "Name") VALUES (?1, ?2))",
       {"1", Value()}},
      {"Select Name & \" \" & EntryID From T Order By Name Desc, 2, Len(Name)",
       {},
       StatementKind::kSelect,
       R"(SELECT "Name" || ?1 || "EntryID" FROM "T" ORDER BY "Name" COLLATE jet_text DESC, 2, )"
       R"((Len("Name")) COLLATE jet_text)",
       {" "}},
      {"Select Count(*) From TCache Where Name Not Like ? And N Mod 2 = 1 And N In (1, 2);",
       {"a*"},
       StatementKind::kSelect,
       R"(SELECT Count(*) FROM "TCache" WHERE "Name" NOT LIKE ?1 AND "N" % 2 = 1 AND "N" IN (1, 2))",
       {"a*"}},
      // A hostile value is a value, whatever it spells.
      {"Select * From TCache Where Name = \"'; DROP TABLE TCache; --\"",
       {},
       StatementKind::kSelect,
       R"(SELECT * FROM "TCache" WHERE "Name" = ?1)",
       {"'; DROP TABLE TCache; --"}},
  };
  return cases;
}

TEST(JetSqlTest, TranslatesStatementsExactly) {
  for (const TranslationCase& test : TranslationCases()) {
    Result<SqlText> translated = TranslateStatement(test.jet, test.params);
    ASSERT_TRUE(translated.ok()) << test.jet << ": " << translated.status().ToString();
    EXPECT_EQ(translated.value().sql, test.sqlite) << test.jet;
    EXPECT_EQ(translated.value().params, test.bound) << test.jet;
    EXPECT_EQ(translated.value().kind, test.kind) << test.jet;
  }
}

TEST(JetSqlTest, RefusesWhatIsNotTheDialect) {
  struct Case {
    const char* jet;
    std::vector<Value> params;
    const char* says;
  };
  const Case cases[] = {
      {"Select * From T Where D = #1/1/2000#", {}, "Unexpected character '#'"},
      {"Select * From T; Drop Table T", {}, "after end of SQL statement"},
      {"Select * From T -- note", {}, "Comments"},
      {"Select * From T /* note */", {}, "Comments"},
      {"Select * From T Where A = \"open", {}, "Unterminated"},
      {"Select * From [T Where A = 1", {}, "Unclosed"},
      {"Select * From T Where A = ? And B = ?", {"x"}, "Too few parameters. Expected 2"},
      {"Select * From T", {"x"}, "Too many parameters. Expected 0"},
      {"Drop Table TCache", {}, "Invalid SQL statement"},
      {"Delete TCache", {}, "Delete without From"},
      {"Select * From T Where (A = 1", {}, "Unbalanced"},
      {"Select * From T Order Name", {}, "without BY"},
      {"Select * From T Where A = 12abc", {}, "Malformed number"},
  };
  for (const Case& test : cases) {
    Result<SqlText> translated = TranslateStatement(test.jet, test.params);
    ASSERT_FALSE(translated.ok()) << test.jet;
    EXPECT_EQ(translated.status().code(), Code::kInvalidArgument) << test.jet;
    EXPECT_NE(translated.status().description().find(test.says), std::string::npos)
        << test.jet << ": " << translated.status().description();
  }
}

TEST(JetSqlTest, CutsSelectsIntoKeysetStatements) {
  Result<SelectParts> search = TranslateSelect(
      "Select * From TCache Where Name Like ? Order By Name", std::vector<Value>{"Sm*"});
  ASSERT_TRUE(search.ok()) << search.status().ToString();
  EXPECT_EQ(search.value().tables, (std::vector<TableRef>{{"TCache", ""}}));
  KeysetSql sql = KeysetStatements(search.value());
  EXPECT_EQ(sql.keys, R"(SELECT "TCache".rowid FROM "TCache" WHERE "Name" LIKE ?1 )"
                      R"(ORDER BY "Name" COLLATE jet_text, "TCache".rowid)");
  EXPECT_EQ(sql.row, R"(SELECT * FROM "TCache" WHERE "TCache".rowid = ?2)");

  Result<SelectParts> join = TranslateSelect(
      "Select * from BLFPagesContents As P, Employees E where E.EmployeeId = P.EmployeeId", {});
  ASSERT_TRUE(join.ok()) << join.status().ToString();
  EXPECT_EQ(join.value().tables,
            (std::vector<TableRef>{{"BLFPagesContents", "P"}, {"Employees", "E"}}));
  sql = KeysetStatements(join.value());
  EXPECT_EQ(sql.keys,
            R"(SELECT "P".rowid, "E".rowid FROM "BLFPagesContents" AS "P", "Employees" "E" )"
            R"(WHERE "E"."EmployeeId" = "P"."EmployeeId" ORDER BY "P".rowid, "E".rowid)");
  EXPECT_EQ(sql.row, R"(SELECT * FROM "BLFPagesContents" AS "P", "Employees" "E" )"
                     R"(WHERE "P".rowid = ?1 AND "E".rowid = ?2)");

  for (const char* unkeyable :
       {"Select Distinct Name From TCache", "Select Name From TCache Group By Name",
        "Select * From A Inner Join B On A.x = B.x", "Delete * From TCache",
        "Select * From (Select * From TCache)", "Select Count(*) As n From TCache",
        "Select Max(Name) From TCache"}) {
    Result<SelectParts> parts = TranslateSelect(unkeyable, {});
    EXPECT_FALSE(parts.ok()) << unkeyable;
  }
}

}  // namespace
}  // namespace olconn97::jet
