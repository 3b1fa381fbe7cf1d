#include "analysis/function_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../editor/editing_fixture.h"
#include "analysis/function_list.h"
#include "editor/language.h"
#include "shell/commands.h"
#include "shell/strutil.h"

namespace velt {
namespace {

class FunctionCommandsTest : public testing::EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        ResetLanguages();
        gFunctionRescanSuspended = false;
        gFunctionsDialog = nullptr;
    }
    void TearDown() override {
        gFunctionsDialog = nullptr;
        EditingTest::TearDown();
    }
    // Opens C text in a window with `rows` visible rows.
    EditView* OpenC(const std::vector<std::string>& lines, const std::string& name, int rows) {
        EditView* v = Open(lines, name);
        v->document->language = FindLanguage(kCLanguageName);
        v->document->flags &= static_cast<std::uint16_t>(~kDocFunctionListValid);
        v->rows = rows;
        return v;
    }
    // Three functions: alpha 2..4, beta 40..42, gamma 80..82; filler lines between.
    static std::vector<std::string> Source(const std::string& prefix) {
        std::vector<std::string> lines(90, "");
        lines[0] = "/* " + prefix + " */";
        auto put = [&](int line, const std::string& name) {
            lines[line - 1] = "int " + prefix + name + "(int x)";
            lines[line] = "{";
            lines[line + 1] = "}";
        };
        put(2, "alpha");
        put(40, "beta");
        put(80, "gamma");
        return lines;
    }
};

TEST_F(FunctionCommandsTest, NextAndPreviousGoToStartLinesAndRecentre) {
    OpenC(Source("f_"), "a.c", 10);
    At(1, 0);
    Command(kCmdNextFunction);
    EXPECT_EQ(Cursor(), (std::pair<int, int>{2, 0}));
    EXPECT_EQ(TopLineNumber(*view), 1);  // visible already: no recentring

    Command(kCmdNextFunction);  // from inside alpha to beta, far below the window
    EXPECT_EQ(CursorLineNumber(*view), 40);
    EXPECT_EQ(TopLineNumber(*view), 35);  // recentred: five rows above the cursor

    At(60, 0);  // between functions
    Command(kCmdPreviousFunction);
    EXPECT_EQ(CursorLineNumber(*view), 40);
    Command(kCmdPreviousFunction);
    EXPECT_EQ(CursorLineNumber(*view), 2);
    EXPECT_EQ(TopLineNumber(*view), 1);
    Command(kCmdPreviousFunction);  // nothing before the first: stays
    EXPECT_EQ(CursorLineNumber(*view), 2);

    At(81, 0);  // inside gamma, the last one
    Command(kCmdNextFunction);
    EXPECT_EQ(CursorLineNumber(*view), 81);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FunctionCommandsTest, SearchFindsTheFunctionInAnotherOpenDocument) {
    EditView* first = OpenC(Source("one_"), "one.c", 10);
    EditView* second = OpenC(Source("two_"), "two.c", 10);
    ASSERT_EQ(CurrentView(), second);

    ui.textAnswers.push_back("one_beta");
    Command(kCmdSearchFunction);
    EXPECT_EQ(ui.prompts.size(), 1u);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(CurrentView(), first);
    EXPECT_EQ(CurrentDocument(), first->document);
    EXPECT_EQ(CursorLineNumber(*first), 40);
    EXPECT_EQ(TopLineNumber(*first), 35);
    ASSERT_NE(CurrentFunction(), nullptr);
    EXPECT_EQ(CurrentFunction()->name, "one_beta");
    EXPECT_EQ(FrameStatusPane().PositionText(), "one_beta 40:1");

    ui.textAnswers.push_back("two_gamma");
    Command(kCmdSearchFunction);
    EXPECT_EQ(CurrentView(), second);
    EXPECT_EQ(CursorLineNumber(*second), 80);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FunctionCommandsTest, UnknownOrCaseDifferentNameIsNotFound) {
    EditView* v = OpenC(Source("f_"), "a.c", 10);
    At(5, 0);
    ui.textAnswers.push_back("F_beta");  // names compare case-sensitively
    Command(kCmdSearchFunction);
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Function not found"}));
    EXPECT_EQ(CurrentView(), v);
    EXPECT_EQ(CursorLineNumber(*v), 5);

    ui.Clear();
    Command(kCmdSearchFunction);  // cancelled: nothing shown
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FunctionCommandsTest, PositionTextNamesTheFunctionOnlyWithAValidList) {
    OpenC(Source("f_"), "a.c", 10);
    At(41, 0);
    UpdatePositionText();
    EXPECT_EQ(FrameStatusPane().PositionText(), "41:1");  // no list built yet: no rescan

    ASSERT_TRUE(EnsureFunctionList(doc));
    UpdatePositionText();
    EXPECT_EQ(FrameStatusPane().PositionText(), "f_beta 41:1");
    At(60, 0);
    UpdatePositionText();
    EXPECT_EQ(FrameStatusPane().PositionText(), "60:1");

    At(41, 0);
    Type("x");  // a change makes the list stale: the name goes until the next scan
    UpdatePositionText();
    EXPECT_EQ(FrameStatusPane().PositionText(), "41:2 *");
    EXPECT_EQ(FunctionListOf(*doc) != nullptr && (doc->flags & kDocFunctionListValid), false);

    OpenC({"int main(void)", "{", "}"}, "plain.txt", 10);  // a language without a scanner
    view->document->language = nullptr;
    At(2, 0);
    UpdatePositionText();
    EXPECT_EQ(FrameStatusPane().PositionText(), "2:1");
}

TEST_F(FunctionCommandsTest, FunctionsListShowsTheListAndGoesToTheChoice) {
    // Source order: zeta (line 2), Alpha (line 40), mid (line 80).
    std::vector<std::string> lines(90, "");
    auto put = [&](int line, const std::string& name) {
        lines[line - 1] = "int " + name + "(void)";
        lines[line] = "{";
        lines[line + 1] = "}";
    };
    put(2, "zeta");
    put(40, "Alpha");
    put(80, "mid");
    EditView* v = OpenC(lines, "Funcs.C", 10);
    At(1, 0);

    std::vector<FunctionsDialogRecord> shown;
    // Each call: what the dialog is given, then the check box left as `sort` and the row
    // `row` of the list (as shown) chosen, or cancelled when -1.
    bool sort = true;
    int row = -1;
    gFunctionsDialog = [&](FunctionsDialogRecord& r) {
        shown.push_back(r);
        r.sorted = sort;
        if (row < 0) return false;
        r.chosen = r.Rows()[static_cast<std::size_t>(row)];
        return true;
    };

    Command(kCmdFunctionsList);  // cancelled with the box turned on
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, AsciiLower(doc->name));
    EXPECT_NE(shown[0].title, doc->name);
    EXPECT_EQ(shown[0].names, (std::vector<std::string>{"zeta", "Alpha", "mid"}));
    EXPECT_EQ(shown[0].Status(), "3 functions");
    EXPECT_EQ(CursorLineNumber(*v), 1);

    // The box stays on: the rows come alphabetically; the second of them is "mid".
    row = 1;
    Command(kCmdFunctionsList);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].sorted);
    EXPECT_EQ(shown[1].Rows(), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(CursorLineNumber(*v), 80);
    EXPECT_EQ(TopLineNumber(*v), 75);  // recentred
    EXPECT_EQ(FrameStatusPane().PositionText(), "mid 80:1");

    // Turned off again and the first row (source order) chosen.
    sort = false;
    row = 0;
    Command(kCmdFunctionsList);
    Command(kCmdFunctionsList);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_FALSE(shown[3].sorted);
    EXPECT_EQ(shown[3].Rows(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(CursorLineNumber(*v), 2);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FunctionCommandsTest, FunctionsListWithoutFunctionsSaysSo) {
    int shown = 0;
    gFunctionsDialog = [&](FunctionsDialogRecord&) {
        ++shown;
        return false;
    };
    OpenC({"int prototype(void);", "struct s { int (*f)(int); };"}, "empty.c", 10);
    Command(kCmdFunctionsList);
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"No functions defined in this file"}));

    ui.Clear();
    OpenC({"int main(void)", "{", "}"}, "notes.txt", 10);
    view->document->language = nullptr;  // no scanner
    Command(kCmdFunctionsList);
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"No functions defined in this file"}));
    EXPECT_EQ(shown, 0);
}

}  // namespace
}  // namespace velt
