#include <gtest/gtest.h>

#include "scripted_ui.h"
#include "shell/output_pane.h"

using velt::OutputPane;
using Lines = std::vector<std::string>;

namespace {

TEST(OutputPaneModel, PagesLinesAndSelection) {
    velt::testing::ScriptedUi ui;
    OutputPane pane;
    EXPECT_EQ(pane.PageNames(), (Lines{"build", "search"}));
    EXPECT_EQ(pane.ActivePage(), "build");
    EXPECT_TRUE(pane.AddPage("locals"));
    EXPECT_FALSE(pane.AddPage("locals"));
    EXPECT_FALSE(pane.AddPage(""));
    EXPECT_EQ(pane.PageNames(), (Lines{"build", "search", "locals"}));

    EXPECT_TRUE(pane.Append("build", "cc -c a.c\r\na.c:3: error\n"));
    EXPECT_TRUE(pane.Append("build", "done"));
    EXPECT_TRUE(pane.Append("build", "\n"));  // one empty line
    EXPECT_EQ(pane.Lines("build"), (Lines{"cc -c a.c", "a.c:3: error", "done", ""}));
    EXPECT_TRUE(pane.Lines("search").empty());
    EXPECT_FALSE(pane.Append("nowhere", "x"));
    EXPECT_TRUE(pane.Lines("nowhere").empty());

    EXPECT_TRUE(pane.SelectLine("build", 1));
    EXPECT_EQ(pane.SelectedLine("build"), 1u);
    EXPECT_FALSE(pane.SelectLine("build", 4));  // past the end: nothing changes
    EXPECT_EQ(pane.SelectedLine("build"), 1u);
    EXPECT_TRUE(pane.SelectLine("build", std::nullopt));
    EXPECT_FALSE(pane.SelectedLine("build"));
    pane.SelectLine("build", 0);
    EXPECT_TRUE(pane.Clear("build"));
    EXPECT_TRUE(pane.Lines("build").empty());
    EXPECT_FALSE(pane.SelectedLine("build"));  // a cleared page has nothing selected

    EXPECT_TRUE(pane.SetActivePage("search"));
    EXPECT_FALSE(pane.SetActivePage("nowhere"));
    EXPECT_EQ(pane.ActivePage(), "search");

    EXPECT_EQ(ui.outputChanges, (Lines{"locals", "build", "build", "build", "build", "build",
                                       "build", "build", "search"}));
}

TEST(OutputPaneModel, RefillAndDoubleClickBelongToThePageOwner) {
    velt::testing::ScriptedUi ui;
    OutputPane pane;
    pane.Append("search", "a.c(3): x\nb.c(9): x");
    EXPECT_FALSE(pane.DoubleClick("search", 0));  // no action yet
    EXPECT_FALSE(pane.Refill("search"));

    std::vector<std::pair<std::size_t, std::string>> opened;
    pane.SetDoubleClickAction("search", [&](std::size_t i, const std::string& line) {
        opened.push_back({i, line});
        pane.Clear("search");  // an action may empty its own page
    });
    EXPECT_FALSE(pane.DoubleClick("search", 2));
    EXPECT_TRUE(pane.DoubleClick("search", 1));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, 1u);
    EXPECT_EQ(opened[0].second, "b.c(9): x");
    EXPECT_TRUE(pane.Lines("search").empty());

    int refills = 0;
    pane.SetRefill("build", [&] {
        ++refills;
        pane.Clear("build");
        pane.Append("build", "fresh");
    });
    EXPECT_TRUE(pane.Refill("build"));
    EXPECT_EQ(refills, 1);
    EXPECT_EQ(pane.Lines("build"), (Lines{"fresh"}));

    pane.Reset();
    EXPECT_FALSE(pane.Refill("build"));
    EXPECT_TRUE(pane.Lines("build").empty());
}

}  // namespace
