#include <gtest/gtest.h>

#include "scripted_ui.h"
#include "shell/status_pane.h"

using velt::StatusPane;

namespace {

TEST(PositionText, FormatsAndModifiedMarks) {
    EXPECT_EQ(velt::FormatPositionText(12, 4, "", false), "12:5");
    EXPECT_EQ(velt::FormatPositionText(1, 0, "", true), "1:1 *");
    EXPECT_EQ(velt::FormatPositionText(3, 0, "main", false), "main 3:1");
    EXPECT_EQ(velt::FormatPositionText(40000, 79, "parse", true), "parse 40000:80 *");
    // A function name is text, not a format.
    EXPECT_EQ(velt::FormatPositionText(2, 1, "%s%n", false), "%s%n 2:2");

    EXPECT_EQ(velt::TitleWithModifiedMark("a.c", true), "a.c*");
    EXPECT_EQ(velt::TitleWithModifiedMark("a.c*", true), "a.c*");  // never twice
    EXPECT_EQ(velt::TitleWithModifiedMark("a.c*", false), "a.c");
    EXPECT_EQ(velt::TitleWithModifiedMark("a.c", false), "a.c");
    EXPECT_EQ(velt::TitleWithModifiedMark("", false), "");
}

TEST(StatusPaneModel, TransientHelpRestoresTheTextFromBeforeIt) {
    velt::testing::ScriptedUi ui;
    StatusPane pane;
    pane.ShowNotice("Build done");
    pane.ShowTransientHelp("Open an existing file.");
    pane.ShowTransientHelp("Save the current file.");  // moving within the menu
    EXPECT_TRUE(pane.ShowingHelp());
    EXPECT_EQ(pane.Text(), "Save the current file.");
    pane.TransientHelpMessage(8037, "");
    EXPECT_EQ(pane.Text(), "Build done");
    EXPECT_FALSE(pane.ShowingHelp());

    // A second restore has nothing to bring back; an older text must not reappear.
    pane.ShowNotice("3 substitutions");
    pane.TransientHelpMessage(8037, nullptr);
    EXPECT_EQ(pane.Text(), "3 substitutions");

    // Only wParam 8037 with no text restores; other forms show what they carry.
    pane.TransientHelpMessage(0, "");
    EXPECT_TRUE(pane.ShowingHelp());
    EXPECT_EQ(pane.Text(), "");
    pane.TransientHelpMessage(8037, "text");
    EXPECT_EQ(pane.Text(), "text");
    pane.RestoreText();
    EXPECT_EQ(pane.Text(), "3 substitutions");

    // A notice arriving while a menu is open appears when the menu closes.
    pane.ShowTransientHelp("help.");
    pane.ShowNotice("Utility 'x' ready");
    EXPECT_EQ(pane.Text(), "help.");
    pane.MenuClosed();
    EXPECT_EQ(pane.Text(), "Utility 'x' ready");

    // The position part is apart from all this.
    pane.SetPositionText("7:3");
    pane.ShowTransientHelp("h.");
    EXPECT_EQ(pane.PositionText(), "7:3");
}

TEST(StatusPaneModel, MenuSelectionShowsHelpOrTheUtilityCommandLine) {
    velt::testing::ScriptedUi ui;
    StatusPane pane;
    pane.ShowNotice("before");
    pane.MenuSelect(1101);
    EXPECT_EQ(pane.Text(), "Create a new file.");
    pane.MenuSelect(1142);  // the first of the two 8142 rows
    EXPECT_EQ(pane.Text(), "Establish a book mark at the current position.");
    pane.MenuSelect(0);  // a sub-menu
    EXPECT_EQ(pane.Text(), "");
    pane.MenuSelect(1350);  // a window entry: no help text, no lone "."
    EXPECT_EQ(pane.Text(), "");

    unsigned asked = 0;
    pane.SetUtilityDescriber([&](unsigned command, std::string& program, std::string& args) {
        asked = command;
        if (command == 1325) return false;  // no such utility
        program = "grep";
        args = "-n %s";
        return true;
    });
    pane.MenuSelect(1320);
    EXPECT_EQ(pane.Text(), "Execute grep -n %s.");
    pane.MenuSelect(1331);
    EXPECT_EQ(asked, 1331u);
    EXPECT_EQ(pane.Text(), "Execute grep -n %s.");
    asked = 0;
    pane.MenuSelect(1332);  // past the described range: its own help, which it lacks
    EXPECT_EQ(asked, 0u);
    EXPECT_EQ(pane.Text(), "");
    pane.MenuSelect(1325);
    EXPECT_EQ(pane.Text(), "");

    pane.MenuClosed();
    EXPECT_EQ(pane.Text(), "before");
}

TEST(StatusPaneModel, TheFrontEndHearsOfEveryChange) {
    velt::testing::ScriptedUi ui;
    StatusPane pane;
    pane.SetPositionText("1:1");
    EXPECT_EQ(ui.statusChanges, 1);
    pane.SetPositionText("1:1");  // the same position again
    EXPECT_EQ(ui.statusChanges, 1);
    pane.ShowNotice("n");
    pane.MenuSelect(1101);
    pane.MenuClosed();
    EXPECT_EQ(ui.statusChanges, 4);
    pane.MenuClosed();  // nothing to restore
    EXPECT_EQ(ui.statusChanges, 4);
}

}  // namespace
