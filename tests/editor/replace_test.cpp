// Replace: plain and regular-expression replacement with and without confirmation, wrap and
// direction, all windows, the count, the dialog's record, and the undo of a series.
#include "search_fixture.h"
#include "shell/commands.h"
#include "shell/status_pane.h"

namespace velt::testing {
namespace {

using Replace = SearchTest;
using A = ReplaceAnswer;

constexpr std::uint16_t kRegexForwards = kFindCurrentWindow | kFindRegex | kFindForwards;

TEST_F(Replace, ConfirmationNoNoAllReplacesAllButTheFirstTwo) {
    Open({"a x a", "a", "xa a"});
    At(1, 0);
    Seek("a", kPlainForwards | kFindConfirm);
    Search().replacement = "bb";
    answers = {A::No, A::No, A::All};
    EXPECT_EQ(ReplaceAll(), 3);
    EXPECT_EQ(Text(), (Strings{"a x a", "bb", "xbb bb"}));
    EXPECT_EQ(asked, (std::vector<std::string>{"a", "a", "a"}));  // not after All
    EXPECT_EQ(FrameStatusPane().Text(), "3 substitutions");
    EXPECT_EQ(Cursor(), (std::pair{1, 0}));
    EXPECT_FALSE(BlockMarked(*view));
    EXPECT_TRUE(ui.Texts().empty());
}

TEST_F(Replace, CancelStopsAndReportsTheCountSoFar) {
    Open({"a x a", "a"});
    At(1, 0);
    Seek("a", kPlainForwards | kFindConfirm);
    Search().replacement = "bb";
    answers = {A::Yes, A::Cancel};
    EXPECT_EQ(ReplaceAll(), 1);
    EXPECT_EQ(Text(), (Strings{"bb x a", "a"}));
    EXPECT_EQ(FrameStatusPane().Text(), "1 substitutions");
    // Found but nothing replaced is a count of 0, not "String not found".
    At(1, 0);
    answers = {A::Cancel};
    EXPECT_EQ(ReplaceAll(), 0);
    EXPECT_EQ(FrameStatusPane().Text(), "0 substitutions");
    EXPECT_TRUE(ui.Texts().empty());
    // Each question is asked with the match marked and shown.
    At(1, 0);
    gReplaceConfirm = [this](const std::string&) {
        EXPECT_EQ(Marked(), (std::vector<int>{1, 5, 6}));
        return A::Cancel;
    };
    ReplaceAll();
}

TEST_F(Replace, OneUndoTakesTheSeriesBack) {
    Open({"one two one", "three one"});
    At(1, 0);
    Type("X");
    Seek("one", kPlainForwards);
    Search().replacement = "1111";
    EXPECT_EQ(ReplaceAll(), 3);
    EXPECT_EQ(Text(), (Strings{"X1111 two 1111", "three 1111"}));
    // Opened and closed by a series marker, each replacement with its old and new text.
    ASSERT_EQ(UndoCount(), 6);
    EXPECT_EQ(UndoRecordAt(1)->message, kUndoSeries);
    EXPECT_EQ(UndoRecordAt(1)->wparam, 0u);
    EXPECT_EQ(UndoRecordAt(2)->message, kUndoReplacement);
    EXPECT_EQ(std::string(UndoRecordAt(2)->text, UndoRecordAt(2)->textLength), std::string("one\0"
                                                                                           "1111",
                                                                                           8));
    EXPECT_EQ(UndoRecordAt(5)->message, kUndoSeries);
    EXPECT_EQ(UndoRecordAt(5)->wparam, 3u);
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"Xone two one", "three one"}));
    EXPECT_EQ(Cursor(), (std::pair{1, 1}));
    Command(kCmdUndo);  // the typing before it is a step of its own
    EXPECT_EQ(Text(), (Strings{"one two one", "three one"}));

    // With case ignored, the text that was there comes back, not the search text.
    Open({"Hello HELLO hello"}, "case.txt");
    At(1, 0);
    Seek("hello", kPlainForwards | kFindIgnoreCase);
    Search().replacement = "x";
    EXPECT_EQ(ReplaceAll(), 3);
    EXPECT_EQ(Text(), (Strings{"x x x"}));
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"Hello HELLO hello"}));
}

TEST_F(Replace, WrapGoesRoundAndTheCursorStaysWithItsText) {
    Open({"ab ab", "ab", "ab ab"});
    At(1, 3);
    Seek("ab", kPlainForwards);
    Search().replacement = "XYZ";
    EXPECT_EQ(ReplaceAll(), 4);  // from the cursor to the end
    EXPECT_EQ(Text(), (Strings{"ab XYZ", "XYZ", "XYZ XYZ"}));
    Command(kCmdUndo);
    At(1, 3);
    Seek("ab", kFindCurrentWindow | kFindPlain | kFindWrap);
    EXPECT_EQ(ReplaceAll(), 5);
    EXPECT_EQ(Text(), (Strings{"XYZ XYZ", "XYZ", "XYZ XYZ"}));
    EXPECT_EQ(Cursor(), (std::pair{1, 4}));  // behind the same character as before
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"ab ab", "ab", "ab ab"}));

    // A replacement holding the search text is not searched again.
    Open({"a a"}, "grow.txt");
    At(1, 0);
    Seek("a", kFindCurrentWindow | kFindPlain | kFindWrap);
    Search().replacement = "aa";
    EXPECT_EQ(ReplaceAll(), 2);
    EXPECT_EQ(Text(), (Strings{"aa aa"}));
}

TEST_F(Replace, BackwardsReplacesTowardsTheStart) {
    Open({"ab ab", "ab ab"});
    At(2, 3);
    Seek("ab", kFindCurrentWindow | kFindPlain | kFindBackwards);
    Search().replacement = "XYZ";
    EXPECT_EQ(ReplaceAll(), 3);
    EXPECT_EQ(Text(), (Strings{"XYZ XYZ", "XYZ ab"}));
    EXPECT_EQ(Cursor(), (std::pair{2, 4}));
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"ab ab", "ab ab"}));
}

TEST_F(Replace, RegularExpressionsReplaceLiterallyLineByLine) {
    Open({"aaa", "  int x;", "int y; int z;"});
    At(1, 0);
    Seek("^a", kRegexForwards);
    Search().replacement = "b";
    EXPECT_EQ(ReplaceAll(), 1);  // "^" stays the line's start after a replacement
    EXPECT_EQ(Text()[0], "baa");
    Seek("int [a-z]", kRegexForwards);
    Search().replacement = "\\1";  // no group substitution
    EXPECT_EQ(ReplaceAll(), 3);
    EXPECT_EQ(Text(), (Strings{"baa", "  \\1;", "\\1; \\1;"}));
    EXPECT_EQ(Cursor(), (std::pair{1, 0}));
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"baa", "  int x;", "int y; int z;"}));

    // Empty matches move on instead of matching at the same place for ever.
    Open({"abc"}, "empty.txt");
    At(1, 0);
    Seek("x*", kRegexForwards);
    Search().replacement = "-";
    EXPECT_EQ(ReplaceAll(), 3);
    EXPECT_EQ(Text(), (Strings{"-a-b-c"}));

    // Removing text is a kept deletion, and comes back with one Undo too.
    Open({"a1b22c333"}, "digits.txt");
    At(1, 0);
    Seek("[0-9]+", kRegexForwards);
    Search().replacement = "";
    EXPECT_EQ(ReplaceAll(), 3);
    EXPECT_EQ(Text(), (Strings{"abc"}));
    EXPECT_EQ(UndoRecordAt(UndoCount() - 2)->message, kUndoKeptDeletion);
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"a1b22c333"}));
}

TEST_F(Replace, AllWindowsReplacesEveryDocumentAndComesBack) {
    EditView* a = Open({"cat", "dog cat"}, "a.txt");
    EditView* b = Open({"cat cat"}, "b.txt");
    EditView* c = Open({"cat"}, "c.txt");
    c->document->flags |= kDocReadOnly;
    DocumentWindowActivated(a);
    view = a;
    doc = a->document;
    At(2, 1);
    Seek("cat", kFindAllWindows | kFindPlain | kFindForwards);
    Search().replacement = "cow";
    EXPECT_EQ(ReplaceAll(), 4);
    EXPECT_EQ(Texts(*a->document), (Strings{"cow", "dog cow"}));
    EXPECT_EQ(Texts(*b->document), (Strings{"cow cow"}));
    EXPECT_EQ(Texts(*c->document), (Strings{"cat"}));  // read-only: left alone
    EXPECT_EQ(CurrentView(), a);
    EXPECT_EQ(Cursor(), (std::pair{2, 1}));
    EXPECT_EQ(FrameStatusPane().Text(), "4 substitutions");

    // Cancel ends the whole series.
    Seek("cow", kFindAllWindows | kFindPlain | kFindForwards | kFindConfirm);
    Search().replacement = "pig";
    answers = {A::Yes, A::Cancel};
    EXPECT_EQ(ReplaceAll(), 1);
    EXPECT_EQ(Texts(*a->document), (Strings{"pig", "dog cow"}));
    EXPECT_EQ(Texts(*b->document), (Strings{"cow cow"}));
    EXPECT_EQ(CurrentView(), a);
}

TEST_F(Replace, NothingOnAReadOnlyDocumentAndNotFoundSaysSo) {
    Open({"abc"});
    At(1, 0);
    doc->flags |= kDocReadOnly;
    Seek("b", kPlainForwards);
    Search().replacement = "x";
    EXPECT_EQ(ReplaceAll(), 0);
    EXPECT_EQ(FrameStatusPane().Text(), "File is read only");
    EXPECT_EQ(Text(), (Strings{"abc"}));
    doc->flags &= ~kDocReadOnly;
    FrameStatusPane().Reset();
    Seek("zz", kPlainForwards);
    EXPECT_EQ(ReplaceAll(), 0);
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"String not found"}));
    EXPECT_EQ(FrameStatusPane().Text(), "");
    EXPECT_EQ(UndoCount(), 0);  // an empty series leaves no record
}

TEST_F(Replace, TheDialogRecordAndTheCommand) {
    Open({"one two one"});
    At(1, 0);
    settings.findFlags = kPlainForwards;  // no confirmation stored
    gReplaceDialog = [](ReplaceDialogRecord& r) {
        EXPECT_TRUE(r.confirm);  // checked each time the dialog opens
        EXPECT_EQ(r.text, "one");
        r.replacement = "1";
        r.confirm = false;
        return true;
    };
    Command(kCmdReplace);
    EXPECT_EQ(Text(), (Strings{"1 two 1"}));
    EXPECT_EQ(Search().replacement, "1");
    EXPECT_EQ(settings.findFlags & kFindConfirm, 0);
    EXPECT_EQ(Search().history, (std::vector<std::string>{"one"}));

    ReplaceDialogRecord r;
    r.direction = SearchDirection::None;
    r.text = "";
    EXPECT_FALSE(r.Validate());  // the text first, then the direction
    r.text = "x";
    EXPECT_FALSE(r.Validate());
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Empty search string?", "Direction ?"}));
    r.direction = SearchDirection::Wrap;
    r.allWindows = true;
    r.regex = true;
    r.replacement = "new\nline";
    r.Apply();
    EXPECT_EQ(Search().replacement, "new");
    EXPECT_EQ(settings.findFlags, kFindAllWindows | kFindRegex | kFindWrap | kFindConfirm);
}

TEST_F(Replace, ASeriesLongerThanTheLogStaysUndoable) {
    Open(Strings(300, "q"));
    At(1, 0);
    Seek("q", kPlainForwards);
    Search().replacement = "r";
    EXPECT_EQ(ReplaceAll(), 300);
    Command(kCmdUndo);
    // What the log could hold comes back; the rest went with the cleared log.
    EXPECT_EQ(Line1(300), "q");
    EXPECT_EQ(Line1(254), "q");
    EXPECT_EQ(Line1(253), "r");
    EXPECT_TRUE(ui.Texts().empty());
}

}  // namespace
}  // namespace velt::testing
