// The undo log: what each event records and how Undo takes it back.
#include "editing_fixture.h"
#include "shell/commands.h"
#include "shell/memory.h"
#include "shell/status_pane.h"

namespace velt::testing {
namespace {

const UndoRecord& Last() {
    return *UndoRecordAt(UndoCount() - 1);
}

using UndoLog = EditingTest;

TEST_F(UndoLog, TypedCharactersAndMovesGoBack) {
    Open({"abcdef"});
    At(1, 3);
    Type("x");
    EXPECT_EQ(Last().message, kUndoChar);
    EXPECT_EQ(Last().wparam, unsigned{'x'});
    EXPECT_EQ(Last().extra, (1u << 8) + 3u);
    Key(kVkLeft);
    Key(kVkLeft);
    Key('S', false, true);  // Ctrl+S: recorded as a command that cannot be taken back
    EXPECT_EQ(Last().message, kUndoCommand);
    EXPECT_EQ(Last().wparam, unsigned{kCmdSave});
    Key(kVkBack, false, false, true);  // Alt+Backspace
    EXPECT_EQ(Cursor(), (std::pair{1, 2}));
    Command(kCmdUndo);
    Command(kCmdUndo);
    EXPECT_EQ(Cursor(), (std::pair{1, 4}));
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"abcdef"}));
    EXPECT_EQ(Cursor(), (std::pair{1, 3}));
    EXPECT_EQ(UndoCount(), 0);
    Command(kCmdUndo);  // an empty log: nothing happens
    EXPECT_EQ(Text(), (Strings{"abcdef"}));
}

TEST_F(UndoLog, BackspaceKeepsWhatItRemoved) {
    Open({"abc", "def"});
    At(2, 0);
    Char('\b');
    EXPECT_EQ(Text(), (Strings{"abcdef"}));
    EXPECT_EQ(Last().extra, unsigned{'\n'});
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"abc", "def"}));
    EXPECT_EQ(Cursor(), (std::pair{2, 0}));
    // Five at once: the four nearest in `extra`, all five kept for the undo.
    At(2, 3);
    Char('\b', false, false, 5);
    EXPECT_EQ(Text(), (Strings{"ab"}));
    EXPECT_EQ(Last().extra, ('f' | 'e' << 8 | 'd' << 16 | unsigned{'\n'} << 24));
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"abc", "def"}));
    EXPECT_EQ(Cursor(), (std::pair{2, 3}));
}

TEST_F(UndoLog, DeleteKeepsTheCharacterOrTheLineEnd) {
    Open({"abc", "def"});
    At(1, 1);
    Key(kVkDelete);
    EXPECT_EQ(Last().extra, unsigned{'b'});
    At(1, 2);
    Key(kVkDelete);
    EXPECT_EQ(Last().extra, unsigned{'\n'});
    EXPECT_EQ(Text(), (Strings{"acdef"}));
    At(1, 1);
    Key(kVkDelete, false, false, false, 3);
    EXPECT_EQ(Text(), (Strings{"af"}));
    Command(kCmdUndo);
    Command(kCmdUndo);
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"abc", "def"}));
    EXPECT_EQ(Cursor(), (std::pair{1, 1}));
}

TEST_F(UndoLog, TheLogIsClearedWhenItFills) {
    Open({std::string(300, '.')});
    const std::uint32_t memory = MemoryInUse();
    // Deletions own their texts: the clearing releases them.
    for (int i = 0; i < kUndoLogSize - 1; ++i) Key(kVkDelete);
    EXPECT_EQ(UndoCount(), kUndoLogSize - 1);
    EXPECT_GT(MemoryInUse(), memory);
    Key(kVkDelete);  // the 255th
    EXPECT_EQ(UndoCount(), 0);
    EXPECT_EQ(MemoryInUse(), memory);
    Command(kCmdUndo);
    EXPECT_EQ(Line1(1).size(), 45u);
    Type("z");  // the 256th is the only one undone
    Command(kCmdUndo);
    Command(kCmdUndo);
    EXPECT_EQ(Line1(1), std::string(45, '.'));
}

TEST_F(UndoLog, EnterIsUndoneWithItsIndentation) {
    Open({"    x"});
    At(1, 5);
    Type("\n");
    EXPECT_EQ(Text(), (Strings{"    x", "    "}));
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"    x"}));
    EXPECT_EQ(Cursor(), (std::pair{1, 5}));
    // In overwrite mode Enter past the last line made one; its 129 goes with it.
    Key(kVkInsert);
    Type("\n");
    EXPECT_EQ(Text(), (Strings{"    x", ""}));
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"    x"}));
    EXPECT_EQ(UndoCount(), 0);
}

TEST_F(UndoLog, OverwrittenCharactersComeBackWithTheirTyping) {
    Open({"abcd"});
    Key(kVkInsert);
    At(1, 1);
    Char('X', false, false, 2);
    EXPECT_EQ(Text(), (Strings{"aXXd"}));
    EXPECT_EQ(UndoRecordAt(0)->message, kUndoOverwritten);
    EXPECT_EQ(UndoRecordAt(0)->wparam, unsigned{'b'});
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"abcd"}));
    EXPECT_EQ(Cursor(), (std::pair{1, 1}));
    EXPECT_EQ(UndoCount(), 0);
}

TEST_F(UndoLog, BraceOutdentAndLongLineSplitGoBack) {
    Open({"\t\t", "x"}, "b.c");
    doc->flags |= kDocCLanguage;
    At(1, 2);
    Type("}");
    EXPECT_EQ(Line1(1), "\t}");
    Command(kCmdUndo);
    EXPECT_EQ(Line1(1), "\t\t");
    EXPECT_EQ(Cursor(), (std::pair{1, 2}));
    // The split before typing into an overlong line is a step of its own.
    const std::string longLine(520, 'a');
    SetLineText(*doc, LineAt(*doc, 2), longLine.data(), 520);
    At(2, 10);
    Type("b");
    Command(kCmdUndo);
    EXPECT_EQ(Text().size(), 3u);
    Command(kCmdUndo);
    EXPECT_EQ(Line1(2), longLine);
}

TEST_F(UndoLog, CutAndPasteGoBack) {
    Open({"one", "two", "three"});
    At(1, 1);
    Key(kVkDown, true);
    Command(kCmdCut);
    EXPECT_EQ(Text(), (Strings{"owo", "three"}));
    EXPECT_EQ(std::string(Last().text, Last().textLength), "ne\nt");
    At(2, 5);
    Command(kCmdPaste);
    EXPECT_EQ(Text(), (Strings{"owo", "threene", "t"}));
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"owo", "three"}));
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"one", "two", "three"}));
    EXPECT_EQ(Cursor(), (std::pair{2, 1}));
    // Delete with a block cuts it, recorded as Cut.
    Key(kVkRight, true);
    Key(kVkDelete);
    EXPECT_EQ(Last().wparam, unsigned{kCmdCut});
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"one", "two", "three"}));
}

TEST_F(UndoLog, BlockIndentGoesBackWithTheBlockMarked) {
    settings.tabSize = 4;
    Open({"a", "  b", "   c", "d"});
    At(1, 0);
    for (int i = 0; i < 3; ++i) Key(kVkDown, true);
    Char('\t', false, true);
    EXPECT_EQ(Text(), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(Last().message, kUndoBlockUnindent);
    EXPECT_EQ(Last().wparam, (0u << 16) + 1u);
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"a", "  b", "   c", "d"}));
    EXPECT_TRUE(BlockMarked(*view));
    Char('\t');
    EXPECT_EQ(Text(), (Strings{"\ta", "\t  b", "\t   c", "d"}));
    Command(kCmdUndo);
    EXPECT_EQ(Text(), (Strings{"a", "  b", "   c", "d"}));
}

TEST_F(UndoLog, ReplacementSeriesGoBackAtOnce) {
    Open({"aXbXc"});
    auto replace = [&](int column) {
        RecordReplacement(*view, 1, column, "X", "YY");
        At(1, column);
        DeleteText(1);
        InsertText("YY", 2);
    };
    BeginReplacementSeries(*view);
    replace(1);
    replace(4);
    EndReplacementSeries(*view, 2);
    EXPECT_EQ(Line1(1), "aYYbYYc");
    Command(kCmdUndo);
    EXPECT_EQ(Line1(1), "aXbXc");
    EXPECT_EQ(UndoCount(), 0);
    // Replacements one after the other go back together too.
    replace(1);
    replace(4);
    Command(kCmdUndo);
    EXPECT_EQ(Line1(1), "aXbXc");
    // A series whose start is no longer in the log is left alone.
    replace(1);
    EndReplacementSeries(*view, 1);
    Command(kCmdUndo);
    EXPECT_EQ(ui.Texts(), (Strings{"Undo: internal error"}));
    EXPECT_EQ(Line1(1), "aYYbXc");
    EXPECT_EQ(UndoCount(), 2);
}

TEST_F(UndoLog, UndoWorksOnTheCurrentWindowsRecords) {
    Open({"aaa"}, "a.txt");
    EditView* a = view;
    Type("1");
    Open({"bbb"}, "b.txt");
    EditView* b = view;
    Type("2");
    DocumentWindowActivated(a);
    view = a;
    doc = a->document;
    Command(kCmdUndo);
    EXPECT_EQ(Line1(1), "aaa");
    EXPECT_EQ(LineString(b->document->First()), "2bbb");
    Command(kCmdUndo);  // only b's record is left
    EXPECT_EQ(LineString(b->document->First()), "2bbb");
    EXPECT_EQ(UndoCount(), 1);
    // A right click in another window is taken back by going there.
    RecordEventAt(*b, 1, 3, kUndoRightClick, 0, 0);
    Command(kCmdUndo);
    EXPECT_EQ(CurrentView(), b);
    EXPECT_EQ(b->cursorColumn, 3);
}

TEST_F(UndoLog, ReloadAndReadOnlyKeepUndoFromHarm) {
    Open({"abc"});
    Type("xy");
    doc->flags |= kDocReadOnly;
    Command(kCmdUndo);
    EXPECT_EQ(Line1(1), "xyabc");
    EXPECT_EQ(FrameStatusPane().Text(), "File is read only");
    doc->flags &= static_cast<std::uint16_t>(~kDocReadOnly);
    ui.Answer(kIdYes);
    Command(kCmdReload);
    EXPECT_EQ(Line1(1), "abc");
    EXPECT_EQ(UndoCount(), 0);
    Command(kCmdUndo);
    EXPECT_EQ(Line1(1), "abc");
}

// Any mix of editing keys, taken back record by record, gives the text it started from.
TEST_F(UndoLog, RandomEditingIsUndoneToTheStart) {
    settings.macros = {{'m', "x{\n\ty;\n}", 2}};
    const Strings start = {"int f() {", "\treturn 1;", "}", "", "  two  blanks", "\t\tdeep"};
    for (unsigned seed = 1; seed <= 40; ++seed) {
        ReleaseAllDocuments();
        ForgetDocumentWindows();
        ResetUndo();
        Open(start, "r" + std::to_string(seed) + ".c");
        doc->flags |= kDocCLanguage;
        SetViewRows(*view, 3);
        unsigned state = seed;
        auto next = [&state](unsigned n) {
            state = state * 1103515245u + 12345u;
            return (state >> 16) % n;
        };
        const unsigned keys[] = {kVkLeft, kVkRight, kVkUp,   kVkDown,   kVkHome,
                                 kVkEnd,  kVkPrior, kVkNext, kVkDelete, kVkInsert};
        const char typed[] = {'a', '}', ' ', '\t', '\r', '\b', '{', 'Z'};
        for (int step = 0; step < 120; ++step) {
            const unsigned what = next(10);
            if (what < 4)
                Key(keys[next(10)], next(3) == 0, false, false, 1 + static_cast<int>(next(3)));
            else if (what < 8)
                Char(static_cast<unsigned char>(typed[next(8)]), false, next(4) == 0,
                     1 + static_cast<int>(next(2)));
            else if (what == 8)
                Char(13, true);  // Ctrl+M: the macro
            else
                Key(next(2) ? 'X' : 'V', false, true);  // Cut, Paste
        }
        ASSERT_LT(UndoCount(), kUndoLogSize) << seed;
        while (UndoCount() > 0) Command(kCmdUndo);
        ASSERT_EQ(Text(), start) << "seed " << seed;
    }
}

}  // namespace
}  // namespace velt::testing
