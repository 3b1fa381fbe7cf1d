#include "analysis/keyword_scanners.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "../editor/document_fixture.h"
#include "analysis/function_list.h"
#include "editor/document.h"
#include "editor/language.h"

namespace velt {
namespace {

using Row = std::tuple<std::string, int, int>;  // name, start line, end line

class KeywordScannerTest : public testing::DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        ResetLanguages();
        gFunctionRescanSuspended = false;
    }
    Document* Doc(const char* language, const std::vector<std::string>& lines) {
        Document* doc = Make(dir / ("d" + std::to_string(++made_)), lines);
        doc->language = FindLanguage(language);
        return doc;
    }
    // Through the language record, as every command reaches the scanner.
    static std::vector<Row> Rows(Document& doc) {
        std::vector<Row> rows;
        EnsureFunctionList(&doc);
        for (FunctionEntry* e = FunctionListOf(doc); e; e = e->next)
            rows.emplace_back(e->name, e->startLine, e->endLine);
        return rows;
    }
    std::vector<Row> Scan(const char* language, const std::vector<std::string>& lines) {
        return Rows(*Doc(language, lines));
    }
    int made_ = 0;
};

TEST_F(KeywordScannerTest, FortranUnitsFromProgramOrSubroutineToEnd) {
    Document* doc = Doc("Fortran", {
                                       "C     THE MAIN PROGRAM CALLS SUBROUTINE STEP",
                                       "      PROGRAM MAIN",
                                       "      INTEGER ENDX, N",
                                       "      ENDX = 3",
                                       "      CALL STEP(ENDX)",
                                       "      END",
                                       "*     SUBROUTINE IN A COMMENT LINE",
                                       "      SUBROUTINE STEP (N)",
                                       "      PRINT *, 'THE END IS NEAR'",
                                       "      IF (N .GT. 0) N = N - 1",
                                       "      RETURN",
                                       "      END SUBROUTINE STEP",
                                       "\tsubroutine tabbed(x)",
                                       "\tx = x + 1 ! end of the update",
                                       "\tend",
                                       "      SUBROUTINE OPEN1",
                                       "      X = 1",
                                   });
    EXPECT_EQ(
        Rows(*doc),
        (std::vector<Row>{{"MAIN", 2, 6}, {"STEP", 8, 12}, {"tabbed", 13, 15}, {"OPEN1", 16, 17}}));
    const FunctionEntry* main = FunctionListOf(*doc);
    EXPECT_EQ(main->declarationColumn, 14);  // the name's column
    EXPECT_EQ(main->declarationLine, LineAt(*doc, 2));
    EXPECT_EQ(main->bodyLine, LineAt(*doc, 2));
    EXPECT_EQ(main->braceLineNumber, 1);
    EXPECT_EQ(main->endNode, LineAt(*doc, 6));
    EXPECT_EQ(main->hash, NameBucket("MAIN"));
    EXPECT_EQ(main->next->next->declarationColumn, 12);
    EXPECT_EQ(main->next->next->next->endNode, doc->Last());  // open at the end
}

TEST_F(KeywordScannerTest, FortranKeywordsAreWholeWords) {
    EXPECT_EQ(
        Scan("Fortran", {"      SUBROUTINE A", "      CALL ENDPOINT(1)", "      BEND = 2",
                         "      X = 1 + ENDX", "      END(1)", "      END   ", "      PROGRAMX = 1",
                         "      SUBROUTINES = 2", "      PROGRAM", "      PROGRAM P"}),
        (std::vector<Row>{{"A", 1, 6}, {"P", 10, 10}}));
    // PROGRAM first, SUBROUTINE only without it.
    EXPECT_EQ(Scan("Fortran", {"      SUBROUTINE PROGRAM Q", "      END"}),
              (std::vector<Row>{{"Q", 1, 2}}));
    EXPECT_TRUE(Scan("Fortran", {"PROGRAM COL1", "      END"}).empty());
}

TEST_F(KeywordScannerTest, PascalProgramWithNestedExternalAndDottedRoutines) {
    Document* doc =
        Doc("Pascal",
            {
                "program Demo;",                                                          // 1
                "{ procedure Hidden; begin end; }",                                       // 2
                "(* function AlsoHidden: Integer;",                                       // 3
                "   begin end *)",                                                        // 4
                "procedure Outer(x: Integer);",                                           // 5
                "var s: string;",                                                         // 6
                "  procedure Inner;",                                                     // 7
                "  begin",                                                                // 8
                "    s := 'end; procedure Fake;'",                                        // 9
                "  end;",                                                                 // 10
                "begin",                                                                  // 11
                "  Inner; if x > 0 then BEGIN WriteLn('begin') End;",                     // 12
                "end;",                                                                   // 13
                "function MessageBoxA(h: Integer): Integer; stdcall; external 'u.dll';",  // 14
                "procedure Later; Forward;",                                              // 15
                "procedure TForm1.Button1Click(Sender: TObject);",                        // 16
                "begin",                                                                  // 17
                "  BackgroundEnd := True; FBeginning := EndPos; ExternalName := 1;",      // 18
                "end;",                                                                   // 19
                "FUNCTION Later: Boolean;",                                               // 20
                "BEGIN Later := True END;",                                               // 21
                "type TProc = procedure(x: Integer);",                                    // 22
                "begin",                                                                  // 23
                "  Outer(1);",                                                            // 24
                "end.",                                                                   // 25
            });
    EXPECT_EQ(Rows(*doc), (std::vector<Row>{{"Outer", 5, 13},
                                            {"Inner", 7, 10},
                                            {"TForm1.Button1Click", 16, 19},
                                            {"Later", 20, 21}}));
    const FunctionEntry* outer = FunctionListOf(*doc);
    EXPECT_EQ(outer->nesting, 0);
    EXPECT_EQ(outer->declarationColumn, 0);
    EXPECT_EQ(outer->next->declarationColumn, 2);  // the keyword's column
    EXPECT_EQ(outer->endNode, LineAt(*doc, 13));
    EXPECT_EQ(outer->bodyLine, LineAt(*doc, 5));
    EXPECT_EQ(outer->braceLineNumber, 4);
}

TEST_F(KeywordScannerTest, PascalUnitRecordsFromItsImplementation) {
    EXPECT_EQ(Scan("Pascal",
                   {"unit Shapes;", "interface", "procedure Draw;", "function Area(r: Real): Real;",
                    "implementation", "function Area(r: Real): Real;", "begin",
                    "  Area := 3.14 * r * r", "end;", "procedure Draw;",
                    "var p: record x, y: Integer; end;", "begin", "  Area(1.0)", "end;", "end."}),
              (std::vector<Row>{{"Area", 6, 9}, {"Draw", 10, 14}}));
    // Nothing before "program" or "implementation"; a body open at the end ends there.
    EXPECT_EQ(Scan("Pascal", {"procedure Early; begin end;", "Program P;", "procedure Open;",
                              "begin", "  if a then", "  begin"}),
              (std::vector<Row>{{"Open", 3, 6}}));
    EXPECT_TRUE(Scan("Pascal", {}).empty());
}

TEST_F(KeywordScannerTest, EiffelHasNoScanner) {
    Document* doc = Doc("eiffel", {"class A", "feature", "  f is do end", "end"});
    EXPECT_FALSE(EnsureFunctionList(doc));
    EXPECT_EQ(FunctionListOf(*doc), nullptr);
}

}  // namespace
}  // namespace velt
