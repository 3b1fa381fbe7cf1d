#include "analysis/function_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../editor/editing_fixture.h"
#include "analysis/function_list.h"
#include "editor/language.h"
#include "shell/commands.h"

namespace velt {
namespace {

class FunctionCommandsTest : public testing::EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        ResetLanguages();
        gFunctionRescanSuspended = false;
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

}  // namespace
}  // namespace velt
