// Find, Find Next and Find Previous: plain and regular-expression search in one window and
// through all windows, the "Search" dialog's record and the commands.
#include "editor/bookmarks.h"
#include "search_fixture.h"
#include "shell/commands.h"
#include "shell/dispatch.h"

namespace velt::testing {
namespace {

using Find = SearchTest;
using V = std::vector<int>;
const std::vector<std::string> kNotFound = {"String not found"};

TEST_F(Find, PlainSearchMarksTheMatchAndGoesOn) {
    Open({"int x = 1;", "print(x);", "  int y;"});
    At(1, 1);
    Seek("int", kPlainForwards);
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{2, 2, 5}));  // the cursor at the far end
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{3, 2, 5}));
    EXPECT_TRUE(ui.Texts().empty());
    EXPECT_FALSE(FindNext());
    EXPECT_EQ(ui.Texts(), kNotFound);
    EXPECT_EQ(ui.boxes[0].style & 0xF0, unsigned{kMbIconInformation});
    EXPECT_EQ(Marked(), (V{3, 2, 5}));
}

TEST_F(Find, BackwardsFindsTheNearestOccurrenceBeforeTheCursor) {
    Open({"ab ab", "xx ab ab"});
    At(2, 7);  // inside the last one: it does not end before the cursor
    Seek("ab", kPlainForwards);
    EXPECT_TRUE(FindPrevious());
    EXPECT_EQ(Marked(), (V{2, 5, 3}));  // backwards: the cursor at the start
    EXPECT_TRUE(settings.findFlags & kFindBackwards);
    EXPECT_FALSE(settings.findFlags & kFindForwards);
    EXPECT_TRUE(FindPrevious());
    EXPECT_EQ(Marked(), (V{1, 5, 3}));
    EXPECT_TRUE(FindPrevious());
    EXPECT_EQ(Marked(), (V{1, 2, 0}));
    EXPECT_FALSE(FindPrevious());
    EXPECT_EQ(ui.Texts(), kNotFound);
    // Turning round does not find the marked occurrence again.
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{1, 3, 5}));
    EXPECT_TRUE(FindPrevious());
    EXPECT_EQ(Marked(), (V{1, 2, 0}));
}

TEST_F(Find, IgnoreCaseFoldsOnlyAToZ) {
    Open({"Hello HELLO", "CAF\xc9 caf\xe9"});
    At(1, 0);
    Seek("hello", kPlainForwards);
    EXPECT_FALSE(FindNext());
    Seek("hello", kPlainForwards | kFindIgnoreCase);
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{1, 0, 5}));
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{1, 6, 11}));
    Seek("caf\xe9", kPlainForwards | kFindIgnoreCase);
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{2, 5, 9}));  // "\xc9" is not the upper case of "\xe9" here
    At(2, 9);
    Seek("hElLo", kPlainForwards | kFindIgnoreCase);
    EXPECT_TRUE(FindPrevious());
    EXPECT_EQ(Marked(), (V{1, 11, 6}));
}

TEST_F(Find, WholeWordsAreBoundedByNonIdentifierCharacters) {
    Open({"print(int_x); sprint", "x=int;", "int"});
    At(1, 0);
    Seek("int", kPlainForwards | kFindWholeWords);
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{2, 2, 5}));
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{3, 0, 3}));  // the line's start and end bound it
    EXPECT_FALSE(FindNext());
    Unmark(*view);
    At(3, 3);
    EXPECT_TRUE(FindPrevious());
    EXPECT_EQ(Marked(), (V{3, 3, 0}));
    EXPECT_TRUE(FindPrevious());
    EXPECT_EQ(Marked(), (V{2, 5, 2}));
    EXPECT_FALSE(FindPrevious());
}

TEST_F(Find, WrapGoesRoundToTheStartPosition) {
    Open({"one two", "three", "two four"});
    At(3, 4);
    Seek("two", kPlainForwards);
    EXPECT_FALSE(FindNext());
    ui.Clear();
    Seek("two", kFindAllWindows | kFindPlain | kFindWrap);
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{1, 4, 7}));
    // Find Next keeps the wrap and makes the scope the current window.
    EXPECT_EQ(settings.findFlags & (kFindWrap | kFindCurrentWindow | kFindAllWindows),
              kFindWrap | kFindCurrentWindow);
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{3, 0, 3}));
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{1, 4, 7}));
    Seek("three", kFindCurrentWindow | kFindPlain | kFindWrap);
    At(2, 2);  // inside the only one: it starts before the start position
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{2, 0, 5}));
    Seek("seven", kFindCurrentWindow | kFindPlain | kFindWrap);
    EXPECT_FALSE(FindNext());
    EXPECT_EQ(ui.Texts(), kNotFound);
}

TEST_F(Find, RegularExpressionsSearchLineByLineFromTheCursorColumn) {
    Open({"12345abc", "abc", "x abc"});
    At(1, 5);
    const std::uint16_t regex = kFindCurrentWindow | kFindRegex | kFindForwards;
    Seek("^abc", regex);
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{1, 5, 8}));  // "^" matches at the cursor
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{2, 0, 3}));
    EXPECT_FALSE(FindNext());
    EXPECT_EQ(ui.Texts(), kNotFound);

    ui.Clear();
    At(1, 0);
    Seek("$", regex);  // only ever an empty match at a line's end: nothing
    EXPECT_FALSE(FindNext());
    EXPECT_EQ(ui.Texts(), kNotFound);

    // Wrap: on from the first line, the start line's beginning included.
    At(3, 3);
    Seek("ab+c", regex | kFindWrap);
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{1, 5, 8}));
    At(3, 3);
    Seek("x", regex | kFindWrap);
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{3, 0, 1}));
    // Backwards does not apply to regular expressions: they search forwards.
    At(2, 0);
    Seek("b", regex);
    EXPECT_TRUE(FindPrevious());
    EXPECT_EQ(Marked(), (V{2, 1, 2}));
}

TEST_F(Find, EmptyRegularExpressionMatchesStillMoveOn) {
    Open({"abc"});
    At(1, 0);
    Seek("x*", kFindCurrentWindow | kFindRegex | kFindForwards);
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{1, 0, 0}));
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{1, 1, 1}));
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(Marked(), (V{1, 2, 2}));
    EXPECT_FALSE(FindNext());  // an empty match at the line's end is none
}

TEST_F(Find, ABadExpressionForgetsTheSearch) {
    Open({"(a"});
    At(1, 0);
    FindDialogRecord r;
    r.Load();
    r.text = "(a";
    r.regex = true;
    r.Apply();
    ASSERT_NE(Search().startMark, nullptr);
    EXPECT_FALSE(RunSearch());
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Mismatched () in regular expression"}));
    EXPECT_EQ(Search().text, "");
    EXPECT_EQ(Search().startMark, nullptr);
    EXPECT_EQ(FirstBookmark(), nullptr);
    EXPECT_FALSE(IsCommandEnabled(kCmdFindNext));
}

TEST_F(Find, TheDialogRecordLoadsChecksAndApplies) {
    Open({"  counter = limit + 1;", "  ;"});
    FindDialogRecord r;
    At(1, 5);
    r.Load();
    EXPECT_EQ(r.text, "counter");  // the identifier at the cursor
    At(1, 12);
    view->block = LineAt(*doc, 1);
    view->blockColumn = 17;
    r.Load();
    EXPECT_EQ(r.text, "limit");  // a block within a line, without blanks
    At(1, 5);
    r.Load();
    EXPECT_EQ(r.text, "counter");  // "nter = limit" holds blanks
    Unmark(*view);
    SetSearchText("previous");
    At(2, 1);
    r.Load();
    EXPECT_EQ(r.text, "previous");  // nothing to take: the last search text

    // The flags as the dialog shows them.
    settings.findFlags = kFindAllWindows | kFindRegex | kFindIgnoreCase | kFindBackwards |
                         kFindSkipMinimised | kFindWholeWords;
    r.Load();
    EXPECT_TRUE(r.allWindows && r.regex && !r.matchCase && r.wholeWords && !r.searchMinimised);
    EXPECT_FALSE(r.MatchCaseEnabled());
    EXPECT_TRUE(r.SearchMinimisedEnabled());
    EXPECT_EQ(r.direction, SearchDirection::Backwards);
    settings.findFlags = kFindPlain;
    r.Load();
    EXPECT_EQ(r.direction, SearchDirection::None);

    // OK: a direction first, then a text.
    r.text = "";
    EXPECT_FALSE(r.Validate());
    r.direction = SearchDirection::Forwards;
    EXPECT_FALSE(r.Validate());
    r.text = "x";
    EXPECT_TRUE(r.Validate());
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Direction ?", "Empty search string?"}));

    // Wrap with all windows becomes forwards; wrap alone is the current window's.
    settings.findFlags = kFindConfirm;
    r = FindDialogRecord{};
    r.text = "x";
    r.allWindows = true;
    r.direction = SearchDirection::Wrap;
    r.searchMinimised = false;
    r.Apply();
    EXPECT_EQ(settings.findFlags,
              kFindConfirm | kFindAllWindows | kFindForwards | kFindPlain | kFindSkipMinimised);
    r.direction = SearchDirection::Wrap;
    r.allWindows = false;
    r.searchMinimised = true;
    r.regex = true;
    r.matchCase = false;
    r.Apply();
    EXPECT_EQ(settings.findFlags,
              kFindConfirm | kFindCurrentWindow | kFindWrap | kFindRegex | kFindIgnoreCase);

    // History: new texts in front, known ones where they are.
    r.text = "y";
    r.Apply();
    r.text = "x";
    r.Apply();
    EXPECT_EQ(Search().history, (std::vector<std::string>{"y", "x"}));
    EXPECT_EQ(Search().text, "x");
    EXPECT_EQ(Search().reversed, "x");
    r.text = std::string(200, 'z') + "abc";
    r.Apply();
    EXPECT_EQ(Search().text, std::string(kSearchTextMax, 'z'));
}

TEST_F(Find, TheStartIsRememberedAsASearchMark) {
    Open({"one", "two", "three"});
    At(2, 1);
    FindDialogRecord r;
    r.text = "o";
    r.Apply();
    Bookmark* mark = FindBookmark(LineAt(*doc, 2));
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->flags, kBookmarkSearchStart);
    EXPECT_EQ(Search().startMark, mark);
    EXPECT_EQ(Search().startColumn, 1);
    EXPECT_EQ(Search().startWindow, view);
    EXPECT_TRUE(UserBookmarks().empty());
    // A new start replaces the old mark; a bookmark of the user stays the user's.
    At(3, 0);
    SetBookmarkCommand();
    r.Apply();
    EXPECT_EQ(FindBookmark(LineAt(*doc, 2)), nullptr);
    ASSERT_EQ(UserBookmarks().size(), 1u);
    EXPECT_EQ(Search().startMark, UserBookmarks()[0]);
}

TEST_F(Find, TheCommandsRunTheDialogAndTheKeys) {
    Open({"alpha beta", "beta"});
    At(1, 0);
    EXPECT_FALSE(IsCommandEnabled(kCmdFindNext));  // no search text yet
    EXPECT_FALSE(IsCommandEnabled(kCmdFindPrevious));
    EXPECT_TRUE(IsCommandEnabled(kCmdFind));
    EXPECT_TRUE(IsCommandEnabled(kCmdReplace));
    EXPECT_EQ(DispatchCommand(kCmdFindNext).status, DispatchStatus::Ignored);

    std::string offered;
    gFindDialog = [&offered](FindDialogRecord& r) {
        offered = r.text;
        r.text = "beta";
        r.direction = SearchDirection::Forwards;
        return true;
    };
    Command(kCmdFind);
    EXPECT_EQ(offered, "alpha");
    EXPECT_EQ(Marked(), (V{1, 6, 10}));
    EXPECT_EQ(Search().history, (std::vector<std::string>{"beta"}));
    EXPECT_TRUE(IsCommandEnabled(kCmdFindNext));
    Key(VkF(3));
    EXPECT_EQ(Marked(), (V{2, 0, 4}));
    Key(VkF(3), false, true);  // Ctrl+F3
    EXPECT_EQ(Marked(), (V{1, 10, 6}));
    // A cancelled dialog changes nothing.
    gFindDialog = [](FindDialogRecord& r) {
        r.text = "alpha";
        return false;
    };
    Command(kCmdFind);
    EXPECT_EQ(Search().text, "beta");
    EXPECT_EQ(Marked(), (V{1, 10, 6}));
}

TEST_F(Find, AllWindowsGoesRoundTheWindowsUntilItIsBack) {
    EditView* a = Open({"x", "needle at top", "cursor here", "end"}, "a.txt");
    EditView* b = Open({"nothing"}, "b.txt");
    EditView* c = Open({"one needle"}, "c.txt");
    DocumentWindowActivated(a);
    view = a;
    doc = a->document;
    At(3, 0);
    FindDialogRecord r;
    r.text = "needle";
    r.allWindows = true;
    r.Apply();
    // The windows in their fixed order after a: c, b, a.
    EXPECT_TRUE(RunSearch());
    EXPECT_EQ(CurrentView(), c);
    view = c;
    EXPECT_EQ(Marked(), (V{1, 4, 10}));
    EXPECT_TRUE(FindNext());  // nothing more in c, nothing in b, a from its first line
    EXPECT_EQ(CurrentView(), a);
    view = a;
    EXPECT_EQ(Marked(), (V{2, 0, 6}));
    EXPECT_TRUE(ui.Texts().empty());
    EXPECT_FALSE(FindNext());  // past the start again
    EXPECT_EQ(ui.Texts(), kNotFound);
    EXPECT_EQ(CurrentView(), a);
    // The next search is a new round.
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(CurrentView(), c);

    // Minimised windows are left out when asked.
    DocumentWindowActivated(a);
    view = a;
    At(3, 0);
    r.searchMinimised = false;
    r.Apply();
    gWindowMinimised = [c](const EditView* v) { return v == c; };
    EXPECT_TRUE(FindNext());
    EXPECT_EQ(CurrentView(), a);
    EXPECT_EQ(Marked(), (V{2, 0, 6}));
    (void)b;
}

TEST_F(Find, AllWindowsBackwardsStartsAtTheLastLines) {
    EditView* a = Open({"x needle", "start"}, "a.txt");
    EditView* b = Open({"needle 1", "needle 2", "other"}, "b.txt");
    DocumentWindowActivated(a);
    view = a;
    doc = a->document;
    At(1, 0);
    FindDialogRecord r;
    r.text = "needle";
    r.allWindows = true;
    r.direction = SearchDirection::Backwards;
    r.Apply();
    EXPECT_TRUE(RunSearch());
    EXPECT_EQ(CurrentView(), b);
    view = b;
    EXPECT_EQ(Marked(), (V{2, 6, 0}));
    EXPECT_TRUE(FindPrevious());
    EXPECT_EQ(Marked(), (V{1, 6, 0}));
    EXPECT_TRUE(FindPrevious());  // back in a, after the start
    EXPECT_EQ(CurrentView(), a);
    view = a;
    EXPECT_EQ(Marked(), (V{1, 8, 2}));
    EXPECT_FALSE(FindPrevious());
    EXPECT_EQ(ui.Texts(), kNotFound);
}

TEST_F(Find, FindPlainAndFindRegexWorkOnAnyView) {
    Open({"foo bar", "bar foo"});
    At(1, 1);
    Seek("foo", kPlainForwards);
    EXPECT_TRUE(FindPlain(*view));
    EXPECT_EQ(Marked(), (V{2, 4, 7}));
    ASSERT_TRUE(RegCompile("b[a-z]r"));
    At(1, 0);
    EXPECT_TRUE(FindRegex(*view));
    EXPECT_EQ(Marked(), (V{1, 4, 7}));
    EXPECT_TRUE(ui.Texts().empty());  // neither shows anything
}

}  // namespace
}  // namespace velt::testing
