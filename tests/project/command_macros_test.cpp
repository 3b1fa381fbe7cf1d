#include "project/command_macros.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/document.h"
#include "platform/files.h"
#include "scripted_ui.h"

namespace velt::testing {
namespace {

class CommandMacros : public ::testing::Test {
  protected:
    void SetUp() override { ReleaseAllDocuments(); }
    void TearDown() override {
        ReleaseAllDocuments();
        gProjectExeQuery = nullptr;
    }

    // A current view of a document named `name` holding `lines`, the cursor on `line`
    // (1-based) at `column`.
    EditView* Show(const std::string& name, const std::vector<std::string>& lines, int line,
                   int column) {
        Document* doc = FindDocument(name, true);
        for (const std::string& s : lines)
            AppendLine(*doc, NewLine(s.data(), static_cast<int>(s.size())));
        EditView* v = NewView(doc, 0);
        v->cursor = LineAt(*doc, line);
        v->cursorColumn = static_cast<std::int16_t>(column);
        SetCurrentView(v);
        return v;
    }
    static std::string Expand(std::string_view text,
                              const std::optional<std::string>& title = std::nullopt) {
        return ExpandMacros(text, title).value_or("<failed>");
    }

    ScriptedUi ui;
};

TEST_F(CommandMacros, WordsAreReplacedEachFollowedByOneBlank) {
    Show("/src/main.c", {"int value = other;"}, 1, 5);
    EXPECT_EQ(Expand("$FILE$"), "/src/main.c ");
    EXPECT_EQ(Expand("-c $file$-o x"), "-c /src/main.c -o x");  // any letter case
    // An unknown word is replaced by nothing, the blank still follows.
    EXPECT_EQ(Expand("a$NOSUCH$b"), "a b");
    EXPECT_EQ(Expand("$$"), " ");
    EXPECT_EQ(Expand("$DIR$"), platform::CurrentDirectory() + " ");
    EXPECT_EQ(Expand("no macros"), "no macros");
    // Thirty characters are kept of a longer word; what follows its '$' is copied as ever.
    EXPECT_EQ(Expand("x$" + std::string(40, 'F') + "$y"), "x y");
    // Without a closing '$' the word runs to the end, which ends the expansion.
    EXPECT_EQ(Expand("cc $FILE"), "cc /src/main.c ");
    EXPECT_EQ(Expand("cc $FILE trailing"), "cc  ");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CommandMacros, IdentifierAtTheCursor) {
    EditView* v = Show("/src/a.c", {"int value = other;  ", "   ", std::string(50, 'k')}, 1, 5);
    EXPECT_EQ(Expand("$CURRENT_TEXT$"), "value ");
    // Between identifiers the nearest one to the left counts.
    v->cursorColumn = 10;
    EXPECT_EQ(Expand("$CURSOR$"), "value ");
    v->cursorColumn = 12;  // on the first letter
    EXPECT_EQ(Expand("$CURSOR$"), "other ");
    v->cursorColumn = 40;  // past the end of the line, behind blanks
    EXPECT_EQ(Expand("$CURSOR$"), "other ");
    v->cursor = LineAt(*v->document, 2);
    EXPECT_EQ(Expand("[$CURSOR$]"), "[ ]");
    v->cursor = LineAt(*v->document, 3);
    v->cursorColumn = 0;
    EXPECT_EQ(Expand("$CURSOR$"), std::string(40, 'k') + " ");
}

TEST_F(CommandMacros, SelectionWithinOneLinePassesItsCharactersSeveralLinesFail) {
    EditView* v = Show("/src/a.c", {"alpha beta gamma", "second"}, 1, 6);
    EXPECT_EQ(Expand("$SELECTION$"), " ");  // nothing marked
    v->block = v->cursor;
    v->blockColumn = 16;
    v->cursorColumn = 6;  // marked from the right end back to column 6
    EXPECT_EQ(Expand("<$SELECTION$>"), "<beta gamma >");
    EXPECT_TRUE(ui.boxes.empty());

    v->cursor = LineAt(*v->document, 2);
    v->cursorColumn = 2;
    EXPECT_FALSE(ExpandMacros("$SELECTION$"));
    ASSERT_EQ(ui.Texts(), std::vector<std::string>{"Impossible to send multi-line selection"});
}

TEST_F(CommandMacros, AskNeedsATitleAndAnAnswer) {
    ui.textAnswers = {"-v input.txt"};
    EXPECT_EQ(Expand("run $ASK$!", std::string("/bin/tool.exe ")), "run -v input.txt !");
    EXPECT_EQ(ui.prompts, std::vector<std::string>{"/bin/tool.exe |Program arguments|"});
    // Cancelled, or no title to ask under: the expansion fails.
    EXPECT_FALSE(ExpandMacros("$ASK$", std::string("t")));
    EXPECT_FALSE(ExpandMacros("$ASK$"));
    EXPECT_EQ(ui.prompts.size(), 2u);
}

TEST_F(CommandMacros, ExeIsTheProjectsProgram) {
    EXPECT_EQ(Expand("[$EXE$]"), "[ ]");  // no project
    std::optional<ProjectExeInfo> project = ProjectExeInfo{"hello.exe", "/work/obj"};
    gProjectExeQuery = [&project] { return project; };
    EXPECT_EQ(Expand("$EXE$"), "/work/obj/hello.exe ");
    // A name with a directory of its own stays as it is, in either separator.
    project->outputFile = "/opt/out/hello.exe";
    EXPECT_EQ(Expand("$EXE$"), "/opt/out/hello.exe ");
    project->outputFile = "out\\hello.exe";
    EXPECT_EQ(Expand("$EXE$"), "out\\hello.exe ");
    project = ProjectExeInfo{"hello.exe", ""};
    EXPECT_EQ(Expand("$EXE$"), "hello.exe ");
    project.reset();
    EXPECT_EQ(Expand("$EXE$"), " ");
}

TEST_F(CommandMacros, HwndNamesTheCurrentEditorWindow) {
    EXPECT_EQ(Expand("$HWND$"), "0x0 ");  // no editor window
    EditView* v = Show("/src/a.c", {"x"}, 1, 0);
    EditView* other = NewView(v->document, 0);
    const std::string first = Expand("$HWND$");
    SetCurrentView(other);
    EXPECT_NE(Expand("$HWND$"), first);  // each window its own number
    other->window = 0x2a0;
    EXPECT_EQ(Expand("$HWND$"), "0x2a0 ");
}

}  // namespace
}  // namespace velt::testing
