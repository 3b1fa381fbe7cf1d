#include "analysis/syntax_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../editor/document_fixture.h"
#include "editor/language.h"
#include "platform/files.h"
#include "shell/settings.h"

namespace velt::testing {
namespace {

using CCheck = DocumentTest;
using EiffelCheck = DocumentTest;
using CheckOnSave = DocumentTest;

const char kName[] = "/src/m.c";

// "ok" or the first problem.
std::string C(const std::vector<std::string>& lines) {
    ReleaseAllDocuments();
    Document* doc = FindDocument(kName, true);
    for (const std::string& s : lines)
        AppendLine(*doc, NewLine(s.data(), static_cast<int>(s.size())));
    std::string message;
    const bool passed = CheckC(*doc, message);
    EXPECT_EQ(passed, message.empty()) << message;
    return passed ? "ok" : message;
}

std::string Eiffel(const std::vector<std::string>& lines) {
    ReleaseAllDocuments();
    Document* doc = FindDocument("/src/a.e", true);
    for (const std::string& s : lines)
        AppendLine(*doc, NewLine(s.data(), static_cast<int>(s.size())));
    std::string message;
    return CheckEiffel(*doc, message) ? "ok" : message;
}

TEST_F(CCheck, EachProblemIsReportedWithItsLine) {
    EXPECT_EQ(C({"int main(void)", "{", "  return 0;", "}"}), "ok");
    EXPECT_EQ(C({}), "ok");
    EXPECT_EQ(C({"int a;", "char *s = \"abc;", "int b;"}), "/src/m.c: unfinished string line 2");
    EXPECT_EQ(C({"char c = 'ab", "int b;"}), "/src/m.c: incorrect char constant line 1");
    EXPECT_EQ(C({"", "char c = '';"}), "/src/m.c: incorrect char constant line 2");
    EXPECT_EQ(C({"int a;", "", "#endif"}), "#endif without matching #if line 3");
    EXPECT_EQ(C({"f(a));"}), "/src/m.c: too many ')' at line 1");
    EXPECT_EQ(C({"void f(void)", "{", "  if (a; b) x();", "}"}), "/src/m.c: Syntax error line 3");
    EXPECT_EQ(C({"int a[3]];"}), "/src/m.c: too many ']' at line 1");
    EXPECT_EQ(C({"void f(void)", "{", "  g(a,", "  }", ""}),
              "/src/m.c: Mismatched () after line 3");
    EXPECT_EQ(C({"void f(void)", "{", "  (g(a, {"}), "/src/m.c: Mismatched () after line 3");
    EXPECT_EQ(C({"void f(void)", "{", "  if (x > 0 {", "  }", "}"}),
              "/src/m.c: Mismatched () after line 3");
    // Braces that C allows inside parentheses are reported all the same: catching the slip
    // "if (x > 0 {" matters more.
    EXPECT_EQ(C({"void f(void)", "{", "  draw((struct pt){1, 2});", "}"}),
              "/src/m.c: Mismatched () after line 3");
    EXPECT_EQ(C({"int a;", "}"}), "/src/m.c: too many } at line 2");
    // At the end: braces first, then parentheses, then conditionals.
    EXPECT_EQ(C({"#ifdef X", "void f(void)", "{", "  if (a) {", "    g((b)"}),
              "/src/m.c: mismatched { } after line 4");
    EXPECT_EQ(C({"#ifdef X", "int a = (1 +", "  2"}), "/src/m.c: Mismatched () after line 2");
    EXPECT_EQ(C({"int a;", "#ifdef X", "#  if Y", "#  endif", "int b;"}),
              "#if without matching #endif line 2");
    // The first problem only.
    EXPECT_EQ(C({"}", ")"}), "/src/m.c: too many } at line 1");
}

TEST_F(CCheck, OnlyTheFirstLevelsKeepTheirLines) {
    // 16 open parentheses on 16 lines: the innermost kept one is the fifteenth.
    std::vector<std::string> lines;
    for (int i = 0; i < 16; ++i) lines.push_back("(");
    EXPECT_EQ(C(lines), "/src/m.c: Mismatched () after line 15");
    lines.push_back(")");  // closes the sixteenth, which kept nothing
    EXPECT_EQ(C(lines), "/src/m.c: Mismatched () after line 15");
    lines.push_back(")");
    EXPECT_EQ(C(lines), "/src/m.c: Mismatched () after line 14");
    lines.push_back("{");
    EXPECT_EQ(C(lines), "/src/m.c: Mismatched () after line 14");

    lines.assign(17, "{");
    EXPECT_EQ(C(lines), "/src/m.c: mismatched { } after line 15");
    lines.push_back("}");
    lines.push_back("}");
    lines.push_back("}");
    EXPECT_EQ(C(lines), "/src/m.c: mismatched { } after line 14");

    lines.assign(57, "#if A");
    EXPECT_EQ(C(lines), "#if without matching #endif line 55");
    lines.push_back("#endif");
    lines.push_back("#endif");
    lines.push_back("# endif /* B */");
    EXPECT_EQ(C(lines), "#if without matching #endif line 54");
}

TEST_F(CCheck, CommentsStringsCharactersAndDirectivesAreNotCounted) {
    EXPECT_EQ(C({"/* { ( [ ; ' \" */ int a; // } ) ] ; ' \"", "/* spans {", "   lines ( */",
                 "char *s = \"}); [\\\" ';\";", "char *t = \"continued {\\", "  (;\";",
                 "char c = '{', d = ')', e = '\\'', f = '\\x7f', g = ';', q = '\"';",
                 "#define M(a) { (a); \\", "   ]]) }", "#include \"x/*y.h\"", "#define N /* {",
                 "   ( */ 1", "#error can't happen (", "int a = b / c;", "// line comment \\",
                 "   continued {"}),
              "ok");
    // Directive words are read after blanks; other directives open nothing.
    EXPECT_EQ(C({"#  ifndef H", "#include <x.h>", "#elif 1", "# endif"}), "ok");
}

TEST_F(CCheck, SemicolonsAreAllowedOnlyDirectlyInAForHeader) {
    EXPECT_EQ(C({"void f(void)", "{", "  for (i = g(a); i < n; i++) x(i);", "  h(1);", "}"}), "ok");
    EXPECT_EQ(C({"for(;;);", "for\t(;;) {", "}", "for", "(;;);"}), "ok");
    // Deeper than the header's own parentheses.
    EXPECT_EQ(C({"for (i = g(a; b); i < n; i++);"}), "/src/m.c: Syntax error line 1");
    // The flag ends with the header's parentheses.
    EXPECT_EQ(C({"for (;;)", "  g(a;", "  );"}), "/src/m.c: Syntax error line 2");
    // Words that merely end or begin with "for" are no for header.
    EXPECT_EQ(C({"perform (a; b);"}), "/src/m.c: Syntax error line 1");
    EXPECT_EQ(C({"format (a; b);"}), "/src/m.c: Syntax error line 1");
}

TEST_F(EiffelCheck, ParenthesesBracketsAndStrings) {
    EXPECT_EQ(Eiffel({"class A", "feature", "  f (x: INTEGER) is", "    do",
                      "      io.put_string (\"a (%\" \\\")", "      g (x - 1, <<1>>, a [2])",
                      "      c := '('; d := '%''", "      -- a comment (", "    end", "end"}),
              "ok");
    EXPECT_EQ(Eiffel({"s := \"continued (%", "   %still)\"", "v := \"[", "  ) ] \"", "]\""}), "ok");
    EXPECT_EQ(Eiffel({"x := 1", "s := \"open"}), "/src/a.e: unfinished string line 2");
    EXPECT_EQ(Eiffel({"f (a))"}), "/src/a.e: too many ')' at line 1");
    EXPECT_EQ(Eiffel({"a [1]]"}), "/src/a.e: too many ']' at line 1");
    EXPECT_EQ(Eiffel({"f (a,", "  b - 1", "  -- )"}), "/src/a.e: Mismatched () after line 1");
    // Braces, semicolons and directives are C matters.
    EXPECT_EQ(Eiffel({"}}; #endif", "g (a; b)"}), "ok");
}

TEST_F(CheckOnSave, AProblemAsksBeforeSavingWhileTheOptionIsOn) {
    ResetLanguages();
    InstallLanguageHooks();
    const std::string file = dir / "u.c";
    Document* doc = Make(file, {"void f(void)", "{", "  g();"});
    doc->language = FindLanguage(kCLanguageName);
    const std::string question = file + ": mismatched { } after line 2\nSave?";

    MarkChanged(*doc);
    ui.Answer(kIdNo);
    EXPECT_EQ(SaveDocument(*doc, kEditorCheckSyntax), 0);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{question});
    EXPECT_EQ(doc->flags & kDocModified, kDocModified);
    EXPECT_FALSE(platform::PathExists(file));

    ui.Answer(kIdYes);
    EXPECT_EQ(SaveDocument(*doc, kEditorCheckSyntax), 1);
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(doc->flags & kDocModified, 0);
    EXPECT_EQ(dir.Read("u.c"), "void f(void)\r\n{\r\n  g();\r\n");

    // The option off: nothing asked.
    MarkChanged(*doc);
    EXPECT_EQ(SaveDocument(*doc, 0), 1);
    EXPECT_EQ(ui.boxes.size(), 2u);

    // A sound document and another language's document are saved silently.
    AppendLine(*doc, NewLine("}", 1));
    MarkChanged(*doc);
    EXPECT_EQ(SaveDocument(*doc, kEditorCheckSyntax), 1);
    Document* pas = Make(dir / "p.pas", {"begin ("});
    pas->language = FindLanguage("Pascal");
    MarkChanged(*pas);
    EXPECT_EQ(SaveDocument(*pas, kEditorCheckSyntax), 1);
    Document* e = Make(dir / "a.e", {"f (x"});
    e->language = FindLanguage("eiffel");
    MarkChanged(*e);
    ui.Answer(kIdNo);
    EXPECT_EQ(SaveDocument(*e, kEditorCheckSyntax), 0);
    EXPECT_EQ(ui.Texts().back(), dir / "a.e" + ": Mismatched () after line 1\nSave?");
    EXPECT_EQ(ui.boxes.size(), 3u);
}

}  // namespace
}  // namespace velt::testing
