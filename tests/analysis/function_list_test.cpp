#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "../editor/document_fixture.h"
#include "analysis/c_scanner.h"
#include "analysis/function_list.h"
#include "editor/document.h"
#include "editor/editing.h"
#include "editor/language.h"

namespace velt {
namespace {

using Row = std::tuple<std::string, int, int>;  // name, start line, end line

class FunctionListTest : public testing::DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        ResetLanguages();
        gFunctionRescanSuspended = false;
    }
    Document* C(const std::vector<std::string>& lines, const std::string& name = "a.c") {
        Document* doc = Make(dir / name, lines);
        doc->language = FindLanguage(kCLanguageName);
        return doc;
    }
    static std::vector<Row> Rows(Document& doc) {
        std::vector<Row> rows;
        if (!EnsureFunctionList(&doc)) return rows;
        for (FunctionEntry* e = FunctionListOf(doc); e; e = e->next)
            rows.emplace_back(e->name, e->startLine, e->endLine);
        return rows;
    }
    std::vector<Row> Scan(const std::vector<std::string>& lines) {
        return Rows(*C(lines, "s" + std::to_string(++scans_) + ".c"));
    }
    int scans_ = 0;
};

TEST_F(FunctionListTest, DefinitionsAnsiAndOldStyleButNoPrototypes) {
    EXPECT_EQ(Scan({"#include <stdio.h>", "int add(int a, int b);", "static int", "add(int a,",
                    "    int b)", "{", "    return f(a) + (b);", "}", "int main(argc, argv)",
                    "int argc;", "char **argv; /* old */", "{", "  int x = add(1, 2);",
                    "  return x;", "}", "int v = g(3);"}),
              (std::vector<Row>{{"add", 4, 8}, {"main", 9, 15}}));
    Document* doc = FindDocument(dir / "s1.c", false);
    FunctionEntry* add = FunctionListOf(*doc);
    EXPECT_EQ(LineString(add->declarationLine), "static int");
    EXPECT_EQ(add->hash, NameBucket("add"));
    EXPECT_EQ(LineString(add->bodyLine), "{");
    EXPECT_EQ(LineString(add->endNode), "}");
}

TEST_F(FunctionListTest, BracesAndParenthesesInLiteralsCommentsAndDirectives) {
    EXPECT_EQ(Scan({"#define CALL(x) \\", "   x(1) {", "/* int fake(void) { } */",
                    "// int fake2(void) {", "char *s = \"int no(void) { \\", "  still(string) {\";",
                    "char c = '{';", "#if defined(X) /* ( */", "void inside(void) {",
                    "  printf(\"}\"); if (a) { b('}'); }", "}", "#endif",
                    "struct S { int (*fp)(int); };", "void last(void)", "{", "}"}),
              (std::vector<Row>{{"inside", 9, 11}, {"last", 14, 16}}));
}

TEST_F(FunctionListTest, QualifiedOperatorAndDeclspecNames) {
    EXPECT_EQ(Scan({"int A::f(int x) const {", "  return x;", "}",
                    "bool Vec::operator==(const Vec& o) { return true; }",
                    "Vec operator + (Vec a, Vec b) { return a; }",
                    "int X::operator()(int a) { return a; }",
                    "__declspec(dllexport) int exported(void) { return 0; }", "A::~A() { }",
                    "void f(void) throw() { }"}),
              (std::vector<Row>{{"A::f", 1, 3},
                                {"Vec::operator==", 4, 4},
                                {"operator +", 5, 5},
                                {"X::operator()", 6, 6},
                                {"exported", 7, 7},
                                {"A::~A", 8, 8},
                                {"f", 9, 9}}));
}

TEST_F(FunctionListTest, MacroCallsBeforeAFunctionAndUnbalancedEnd) {
    EXPECT_EQ(Scan({"DECLARE(x)", "int g(void)", "{", "}", "struct T {", "  int a;", "};",
                    "void open(void) {", "  if (x) {"}),
              (std::vector<Row>{{"g", 2, 4}, {"open", 8, 9}}));
    EXPECT_TRUE(Scan({}).empty());
    EXPECT_TRUE(Scan({"int f(void);", "extern int x;"}).empty());
}

// Old-style declarations may hold function-pointer declarators; a C++ member's trailing
// qualifier is let through after "::" or an operator's name, but a lone ":" stops the test.
TEST_F(FunctionListTest, OldStyleDeclaratorsAndTrailingQualifiers) {
    EXPECT_EQ(Scan({"sort(v, n, comp)", "char *v[]; int n;", "int (*comp)();", "{", "}",
                    "bool P::operator==(const P& o) const {", "}",
                    "note: see lookup(key) for { a cache }", "int f(void) __attribute__((pure));",
                    "int g(void)", "{", "}"}),
              (std::vector<Row>{{"sort", 1, 5}, {"P::operator==", 6, 7}, {"g", 10, 12}}));
}

TEST_F(FunctionListTest, ChangesInvalidateAndFindersMatchExactly) {
    Document* doc = C({"int one(void) { }", "int two(void) { }"});
    EXPECT_EQ(FindFunction(*doc, "two")->startLine, 2);
    EXPECT_EQ(CurrentFunction()->name, "two");
    EXPECT_EQ(FindFunction(*doc, "Two"), nullptr);
    EXPECT_EQ(FindByName(FunctionListOf(*doc), "one")->name, "one");
    EXPECT_EQ(FindByName(FunctionListOf(*doc), "on"), nullptr);
    Line* l = SetLineText(*doc, doc->First(), "int uno(void) { }", 17);
    MarkChanged(*doc, l);
    EXPECT_FALSE(doc->flags & kDocFunctionListValid);
    EXPECT_EQ(std::get<0>(Rows(*doc)[0]), "uno");
    doc->flags |= kDocInternalBuffer;
    doc->flags &= static_cast<std::uint16_t>(~kDocFunctionListValid);
    EXPECT_FALSE(EnsureFunctionList(doc));
}

TEST_F(FunctionListTest, CursorFunctionStaleListAndNavigation) {
    Document* doc =
        C({"int a(void)", "{", "}", "", "int b(void)", "{", "  x();", "}", "", "int c(void) { }"});
    EditView* view = NewView(doc, 1);
    SetCurrentView(view);
    PlaceCursor(*view, 7, 0);
    ASSERT_NE(FunctionAtCursor(), nullptr);
    EXPECT_EQ(FunctionAtCursor()->name, "b");
    PlaceCursor(*view, 4, 0);
    EXPECT_EQ(FunctionAtCursor(), nullptr);
    EXPECT_TRUE(NextFunction(true));
    EXPECT_EQ(CursorLineNumber(*view), 5);
    EXPECT_TRUE(NextFunction(true));
    EXPECT_EQ(CursorLineNumber(*view), 10);
    EXPECT_FALSE(NextFunction(true));
    EXPECT_TRUE(NextFunction(false));
    EXPECT_EQ(CursorLineNumber(*view), 5);
    PlaceCursor(*view, 9, 0);
    EXPECT_TRUE(NextFunction(false));
    EXPECT_EQ(CursorLineNumber(*view), 5);

    // A list kept while rescanning is suspended goes stale when a long line appears in it.
    PlaceCursor(*view, 7, 0);
    gFunctionRescanSuspended = true;
    std::string wide = "  " + std::string(1200, 'x') + ";";
    SetLineText(*doc, LineAt(*doc, 7), wide.data(), static_cast<int>(wide.size()));
    EXPECT_EQ(FunctionAtCursor(), nullptr);
    SetLineText(*doc, LineAt(*doc, 7), "  y();", 6);
    gFunctionRescanSuspended = false;
    ASSERT_NE(FunctionAtCursor(), nullptr);
    EXPECT_EQ(FunctionAtCursor()->name, "b");
}

TEST_F(FunctionListTest, RegexScannerForAssembly) {
    Document* doc = Make(dir / "a.asm", {"; main PROC near", "main proc near", "  ret",
                                         "main ENDP ", "helper PROC far", "  nop"});
    doc->language = FindLanguage("Assembly");
    EXPECT_EQ(Rows(*doc), (std::vector<Row>{{"main proc ", 2, 4}, {"helper PROC ", 5, 6}}));
    ASSERT_EQ(ui.Texts().size(), 1u);
    EXPECT_EQ(ui.Texts()[0], doc->name + ": open function definition");
}

TEST_F(FunctionListTest, ExtractAndNormalise) {
    std::string src = dir.Write("s.c",
                                "/* head */\n"
                                "static int\n"
                                "twice(int   x)\n"
                                "{\n"
                                "    return x*2;   // c\n"
                                "}\n"
                                "#define A 1\n"
                                "int b(void) { return A; }\n");
    ASSERT_TRUE(ExtractFunction("twice", src, dir / "out.c"));
    EXPECT_EQ(dir.Read("out.c"), "static int\ntwice(int   x)\n{\n    return x*2;   // c\n}\n");
    EXPECT_FALSE(ExtractFunction("tw", src, dir / "out2.c"));
    EXPECT_EQ(FindDocument(src, false), nullptr);  // the temporary document went

    std::vector<int> map = NormalizeC(src, dir / "norm.c");
    EXPECT_EQ(
        dir.Read("norm.c"),
        "static int twice(int x){\nreturn x*2;\n}\n#define A 1\nint b(void){\nreturn A;\n}\n");
    EXPECT_EQ(map, (std::vector<int>{8, 1, 1, 1, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(NormalizeC(src, dir / "missing/dir/x.c").empty());
    EXPECT_EQ(ui.Texts().size(), 1u);
}

// Continued literals are copied with their line ends; a directive keeps its continuation and
// comment lines; a line that gives nothing (line 9) takes the entry of the line before.
TEST_F(FunctionListTest, NormaliseLiteralsDirectivesAndTheLineMap) {
    std::string src = dir.Write("n.c",
                                "char *s = \"open {\\\n"                         // 1
                                "still ( in it\";  int  a ;\n"                  // 2
                                "char c = '\\\n"                                // 3
                                "x';\n"                                         // 4
                                "/* a comment */ #define TWO(a, b) \\\n"        // 5
                                "    ((a) + (b))\n"                             // 6
                                "#if 0 /* spans\n"                              // 7
                                "   lines */\n"                                 // 8
                                "\n"                                            // 9
                                "x = a ? b : c ; y = A::f ( 1 ) ;\n"            // 10
                                "case 1 : p . q = 1.5e3 + .5 ; return .5 ;\n");  // 11
    std::vector<int> map = NormalizeC(src, dir / "n.out");
    EXPECT_EQ(dir.Read("n.out"),
              "char*s=\"open {\\\n"
              "still ( in it\";\n"
              "int a;\n"
              "char c='\\\n"
              "x';\n"
              "#define TWO(a, b) \\\n"
              "    ((a) + (b))\n"
              "#if 0 /* spans\n"
              "   lines */\n"
              "x=a?b:\n"
              "c;\n"
              "y=A::f(1);\n"
              "case 1:\n"
              "p.q=1.5e3+.5;\n"
              "return .5;\n");
    EXPECT_EQ(map, (std::vector<int>{11, 1, 2, 4, 5, 6, 7, 8, 9, 9, 10, 13}));
}

// A closed document takes its function list with it: the current function must not be left
// pointing into a released list.
TEST_F(FunctionListTest, ReleasingADocumentFreesItsList) {
    Document* doc = C({"int one(void) { }", "int two(void) { }"});
    ASSERT_NE(FindFunction(*doc, "two"), nullptr);
    ASSERT_NE(CurrentFunction(), nullptr);
    ReleaseDocument(doc);
    EXPECT_EQ(CurrentFunction(), nullptr);
}

}  // namespace
}  // namespace velt
