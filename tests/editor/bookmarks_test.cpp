// Bookmarks: one per line, the dialogs, their life with their lines.
#include "editing_fixture.h"
#include "shell/commands.h"

namespace velt::testing {
namespace {

int gDeletedCalls = 0;
void CountDeleted(Document&, Line*) {
    ++gDeletedCalls;
}

using Bookmarks = EditingTest;

TEST_F(Bookmarks, SetGotoNextAndDelete) {
    Open({"one", "two", "three", "four", "five"});
    At(2, 2);
    Key(VkF(7));
    At(4, 0);
    Key(VkF(7));
    At(4, 3);
    Key(VkF(7));  // the same line: still one bookmark there
    EXPECT_EQ(UserBookmarks().size(), 2u);
    ui.listAnswers = {1};
    Key(VkF(7), false, true);  // Goto: newest first
    EXPECT_EQ(ui.lists.back(), (Strings{"four", "two"}));
    EXPECT_EQ(Cursor(), (std::pair{2, 0}));
    Key(VkF(7), true, true);  // Goto next wraps to the first
    EXPECT_EQ(Cursor(), (std::pair{4, 0}));
    Command(kCmdUndo);  // a bookmark jump is undone to where it came from
    EXPECT_EQ(Cursor(), (std::pair{2, 0}));
    ui.listAnswers = {0};
    Command(kCmdDeleteBookmark);
    EXPECT_EQ(UserBookmarks().size(), 1u);
    EXPECT_EQ(LineString(UserBookmarks()[0]->line), "two");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(Bookmarks, WithoutBookmarksTheCommandsSaySo) {
    Open({"x"});
    Command(kCmdGotoBookmark);
    Command(kCmdGotoNextBookmark);
    Command(kCmdDeleteBookmark);
    EXPECT_EQ(ui.Texts(),
              (Strings{"No book marks defined", "No book marks defined", "No book marks defined"}));
    EXPECT_TRUE(ui.lists.empty());
}

TEST_F(Bookmarks, ABookmarkLivesAndDiesWithItsLine) {
    Open({"a", "b", "c"});
    gDeletedCalls = 0;
    gLineDeletedHook = CountDeleted;  // a hook installed before: it keeps being called
    InstallBookmarkHooks();
    At(1, 0);
    Command(kCmdSetBookmark);
    // The line grows into a bigger block: the bookmark moves with it.
    Type(std::string(40, 'x'));
    ASSERT_EQ(UserBookmarks().size(), 1u);
    EXPECT_EQ(UserBookmarks()[0]->line, LineAt(*doc, 1));
    At(3, 0);
    Command(kCmdSetBookmark);
    At(2, 1);
    Key(kVkDelete);  // joins line 3 into line 2: line 3 and its bookmark go
    EXPECT_EQ(gDeletedCalls, 1);
    ASSERT_EQ(UserBookmarks().size(), 1u);
    EXPECT_EQ(UserBookmarks()[0]->line, LineAt(*doc, 1));
}

TEST_F(Bookmarks, FileInformationReportsTheCurrentMark) {
    Open({"a", "b", "c"});
    EXPECT_NE(FileInformationText(*view).find("No marks"), std::string::npos);
    At(3, 1);
    Key(VkF(7));
    EXPECT_NE(FileInformationText(*view).find("Mark set at line 3, char 1"), std::string::npos);
}

}  // namespace
}  // namespace velt::testing
