#include "editor/paint.h"
#include "language_fixture.h"
#include "shell/settings.h"

using namespace velt;
using velt::testing::LanguageTest;

namespace {

using Paint = LanguageTest;

TEST_F(Paint, CKeywordsButNotIdentifiersThatContainThem) {
    Document& d =
        Doc("/t/a.c", {"int x = sizeof(int2);", "Int y; x1int z; int_t w; intj v;", "return"});
    EXPECT_EQ(RunsOf(d, 1), "keyword|int\ntext| x = \nkeyword|sizeof\ntext|(int2);\n");
    EXPECT_EQ(RunsOf(d, 2), "text|Int y; x1int z; int_t w; intj v;\n");
    EXPECT_EQ(RunsOf(d, 3), "keyword|return\n");  // a word that ends the run
}

TEST_F(Paint, PreprocessorDirectives) {
    Document& d = Doc("/t/a.c", {"#  include <stdio.h>", "  #if X", "#define N sizeof(int)",
                                 "#pragmatic int", "x = a # b; int"});
    EXPECT_EQ(RunsOf(d, 1), "keyword|#  include\ntext| <stdio.h>\n");
    EXPECT_EQ(RunsOf(d, 2), "text|  \nkeyword|#if\ntext| X\n");
    // The rest of a directive's line is plain.
    EXPECT_EQ(RunsOf(d, 3), "keyword|#define\ntext| N sizeof(int)\n");
    // No directive: the words are looked up as usual.
    EXPECT_EQ(RunsOf(d, 4), "text|#pragmatic \nkeyword|int\n");
    EXPECT_EQ(RunsOf(d, 5), "text|x = a # b; \nkeyword|int\n");
}

TEST_F(Paint, StringsArePlain) {
    Document& d =
        Doc("/t/a.c", {"s = \"int\" int;", "c = '\\'' ; t = \"a\\\"int\" char", "u = \"open int"});
    EXPECT_EQ(RunsOf(d, 1), "text|s = \"int\" \nkeyword|int\ntext|;\n");
    EXPECT_EQ(RunsOf(d, 2), "text|c = '\\'' ; t = \"a\\\"int\" \nkeyword|char\n");
    EXPECT_EQ(RunsOf(d, 3), "text|u = \"open int\n");
}

TEST_F(Paint, CommentsInTheCommentColourAcrossLines) {
    Document& d = Doc("/t/a.c", {"int a; /* int", "char */ long b; // short", "\"/*\" int"});
    EXPECT_EQ(RunsOf(d, 1), "keyword|int\ntext| a; \ncomment|/* int\n");
    EXPECT_EQ(RunsOf(d, 2), "comment|char */\ntext| \nkeyword|long\ntext| b; \ncomment|// short\n");
    EXPECT_EQ(RunsOf(d, 3), "text|\"/*\" \nkeyword|int\n");
}

TEST_F(Paint, FortranContinuationColumnInMagenta) {
    Document& d = Doc("/t/a.f", {"     x = 1", "      if (x) then", "    x", "C     if comment"});
    EXPECT_EQ(RunsOf(d, 1), "text|     \ncontinuation|x\ntext| = 1\n");
    // Six blanks: an ordinary statement; Fortran compares lower-cased words.
    EXPECT_EQ(RunsOf(d, 2), "text|      \nkeyword|if\ntext| (x) \nkeyword|then\n");
    EXPECT_EQ(RunsOf(d, 3), "text|    x\n");
    EXPECT_EQ(RunsOf(d, 4), "comment|C     if comment\n");
}

TEST_F(Paint, CaseInsensitiveLanguagesMatchAnyCase) {
    Document& p = Doc("/t/a.pas", {"BEGIN x := 1; END; { end }", "Endless"});
    EXPECT_EQ(RunsOf(p, 1),
              "keyword|BEGIN\ntext| x := 1; \nkeyword|END\ntext|; \n"
              "comment|{ end }\n");
    EXPECT_EQ(RunsOf(p, 2), "text|Endless\n");
    Document& e = Doc("/t/a.e", {"Result := Current -- end"});
    EXPECT_EQ(RunsOf(e, 1),
              "keyword|Result\ntext| := \nkeyword|Current\ntext| \n"
              "comment|-- end\n");
}

TEST_F(Paint, WordsLongerThanFourteenAreOnlyLookedUpAtTheEndOfARun) {
    auto mine = NewUserLanguage("Mine");
    mine->extensions = "mn";
    mine->commentChars = ";";
    SetKeywords(*mine, {"abcdefghijklmno", "ab", "a"});
    AddLanguage(std::move(mine));
    Document& d =
        Doc("/t/x.mn", {"abcdefghijklmno x", "x abcdefghijklmno", "a ab", "x abcdefghijklmno; c"});
    EXPECT_EQ(RunsOf(d, 1), "text|abcdefghijklmno x\n");
    EXPECT_EQ(RunsOf(d, 2), "text|x \nkeyword|abcdefghijklmno\n");
    // A one-letter word is only looked up at the end of a run.
    EXPECT_EQ(RunsOf(d, 3), "text|a \nkeyword|ab\n");
    // A comment ends the run before it.
    EXPECT_EQ(RunsOf(d, 4), "text|x \nkeyword|abcdefghijklmno\ncomment|; c\n");
}

TEST_F(Paint, AssemblyHasCommentsButNoKeywords) {
    Document& d = Doc("/t/a.asm", {"  mov al, ';' ; it's"});
    EXPECT_EQ(RunsOf(d, 1), "text|  mov al, ';' \ncomment|; it's\n");
}

TEST_F(Paint, NoLanguageNoColours) {
    Document& d = Doc("/t/a.c2", {"int a; /* x */"});
    EXPECT_EQ(RunsOf(d, 1), "text|int a; /* x */\n");
}

TEST_F(Paint, TabsAreExpandedToTheTabSize) {
    Document& d = Doc("/t/a.c", {"\tint\tx; // \tc", "ab\tc"});
    EXPECT_EQ(RunsOf(d, 1), "text|    \nkeyword|int\ntext| x; \ncomment|//   c\n");
    EXPECT_EQ(RunsOf(d, 1, 8), "text|        \nkeyword|int\ntext|     x; \ncomment|//   c\n");

    const Line* l = LineAt(d, 2);
    EXPECT_EQ(DisplayColumn(l, 2, 4), 2);
    EXPECT_EQ(DisplayColumn(l, 3, 4), 4);
    EXPECT_EQ(DisplayColumn(l, 6, 4), 7);  // two past the end
    EXPECT_EQ(DisplayWidth(l, 8), 9);
    EXPECT_EQ(CharColumnAt(l, 1, 4), 1);
    EXPECT_EQ(CharColumnAt(l, 2, 4), 2);  // inside the tab
    EXPECT_EQ(CharColumnAt(l, 3, 4), 2);
    EXPECT_EQ(CharColumnAt(l, 4, 4), 3);
    EXPECT_EQ(CharColumnAt(l, 40, 4), 4);
}

TEST_F(Paint, AtMost498CharactersAndTheCutOffMark) {
    Document& d = Doc("/t/a.c2", {std::string(600, 'x'), std::string(130, '\t') + "y",
                                  std::string(100, 'z'), "short"});
    PaintOptions o;
    o.columns = 600;
    PaintedRow r = PaintRow(d, LineAt(d, 1), std::nullopt, o);
    EXPECT_EQ(r.displayLength, kRowTextMax);
    ASSERT_EQ(r.runs.size(), 1u);
    EXPECT_EQ(r.runs[0].text.size(), 498u);
    EXPECT_TRUE(r.cutOff);
    EXPECT_EQ(r.cutMarkColumn, 498);
    // Expanded tabs count, too.
    r = PaintRow(d, LineAt(d, 2), std::nullopt, o);
    EXPECT_EQ(r.displayLength, kRowTextMax);
    EXPECT_EQ(r.runs[0].text, std::string(498, ' '));
    EXPECT_TRUE(r.cutOff);

    // Cut at the window's right edge, and scrolled to the right.
    o.columns = 80;
    r = PaintRow(d, LineAt(d, 3), std::nullopt, o);
    EXPECT_EQ(r.textColumns, 80);
    EXPECT_TRUE(r.cutOff);
    EXPECT_EQ(r.cutMarkColumn, 78);
    o.leftColumn = 30;
    r = PaintRow(d, LineAt(d, 3), std::nullopt, o);
    EXPECT_EQ(r.textColumns, 70);
    EXPECT_FALSE(r.cutOff);
    ASSERT_EQ(r.runs.size(), 1u);
    EXPECT_EQ(r.runs[0].column, 0);
    // Text that ends left of the first visible column: an empty row.
    r = PaintRow(d, LineAt(d, 4), std::nullopt, o);
    EXPECT_TRUE(r.runs.empty());
    EXPECT_EQ(r.textColumns, 0);
    EXPECT_FALSE(r.cutOff);
}

TEST_F(Paint, InactiveAndBreakpointLinesAndTheMarginMarks) {
    Document& d = Doc("/t/a.c", {"int a; // c", "int b;", "int c;", "int d;"});
    Line* l1 = LineAt(d, 1);
    Line* l2 = LineAt(d, 2);
    Line* l3 = LineAt(d, 3);
    Line* l4 = LineAt(d, 4);
    l1->flags |= kLineInactive;
    l2->flags |= kLineBreakpoint;
    l3->flags |= kLineMarked;
    l4->flags |= kLineDebuggerCurrent;

    PaintOptions o;
    EXPECT_EQ(Runs(PaintRow(d, l1, std::nullopt, o)), "inactive|int a; // c\n");
    PaintedRow r = PaintRow(d, l2, std::nullopt, o);
    EXPECT_EQ(Runs(r), "breakpoint|int b;\n");
    EXPECT_TRUE(r.marks.empty());
    r = PaintRow(d, l3, std::nullopt, o);
    ASSERT_EQ(r.marks.size(), 1u);
    EXPECT_EQ(r.marks[0].bitmap, nullptr);
    EXPECT_EQ(r.marks[0].invertRow, kMarkedLineColor);
    EXPECT_TRUE(PaintRow(d, l4, std::nullopt, o).marks.empty());  // no session: no mark

    o.debugging = true;
    r = PaintRow(d, l2, std::nullopt, o);
    EXPECT_EQ(Runs(r), "keyword|int\ntext| b;\n");
    ASSERT_EQ(r.marks.size(), 1u);
    EXPECT_STREQ(r.marks[0].bitmap, "bkpt");
    EXPECT_FALSE(r.marks[0].invertRow.has_value());
    r = PaintRow(d, l4, std::nullopt, o);
    ASSERT_EQ(r.marks.size(), 1u);
    EXPECT_STREQ(r.marks[0].bitmap, "DbgCur");
    EXPECT_EQ(r.marks[0].invertRow, kDebuggerLineColor);
    // Marks stay when the text is scrolled out of sight.
    o.leftColumn = 50;
    EXPECT_EQ(PaintRow(d, l4, std::nullopt, o).marks.size(), 1u);
}

TEST_F(Paint, ColoursComeFromTheSettingsAndTheFixedTable) {
    GlobalSettings s;
    s.keywordColor = 0x112233;
    s.commentColor = 0x445566;
    s.textColor = 0x778899;
    const PaintColours c = PaintColoursFrom(s);
    EXPECT_EQ(ColourRefOf(PaintColour::Keyword, c), 0x112233u);
    EXPECT_EQ(ColourRefOf(PaintColour::Comment, c), 0x445566u);
    EXPECT_EQ(ColourRefOf(PaintColour::Text, c), 0x778899u);
    EXPECT_EQ(ColourRefOf(PaintColour::Inactive, c), 0x808080u);
    EXPECT_EQ(ColourRefOf(PaintColour::Breakpoint, c), 0x0000C0u);
    EXPECT_EQ(ColourRefOf(PaintColour::Continuation, c), 0xFF00FFu);
}

class BlockPaint : public LanguageTest {
  protected:
    void SetUp() override {
        LanguageTest::SetUp();
        std::vector<std::string> lines;
        for (int i = 1; i <= 40; ++i) lines.push_back("line " + std::to_string(i));
        doc = &Doc("/t/b.txt", lines);
        view = NewView(doc, 1);
    }
    void Mark(int anchorLine, int anchorColumn, int cursorLine, int cursorColumn) {
        view->block = LineAt(*doc, anchorLine);
        view->blockColumn = static_cast<std::int16_t>(anchorColumn);
        view->cursor = LineAt(*doc, cursorLine);
        view->cursorColumn = static_cast<std::int16_t>(cursorColumn);
    }
    // Each row as "start-end" of its block part, "." for none.
    std::string Blocks(int rows) {
        std::string s;
        for (const PaintedRow& r : PaintView(*doc, *view, rows, {})) {
            if (r.blockStart < 0)
                s += ". ";
            else
                s += std::to_string(r.blockStart) + "-" + std::to_string(r.blockEnd) + " ";
        }
        return s;
    }
    Document* doc = nullptr;
    EditView* view = nullptr;
};

TEST_F(BlockPaint, TheBlockIsInvertedAcrossRowsWhicheverEndComesFirst) {
    view->top = LineAt(*doc, 1);
    Mark(2, 2, 4, 3);
    // Rows 2 and 3 run through the line's end (one column past the text).
    EXPECT_EQ(Blocks(5), ". 2-7 0-7 0-3 . ");
    Mark(4, 3, 2, 2);
    EXPECT_EQ(Blocks(5), ". 2-7 0-7 0-3 . ");
    // Within one line.
    Mark(3, 4, 3, 1);
    EXPECT_EQ(Blocks(5), ". . 1-4 . . ");
    Mark(3, 4, 3, 4);
    EXPECT_EQ(Blocks(5), ". . . . . ");

    PaintedRow r = PaintRow(*doc, LineAt(*doc, 2), BlockPart{2, 0, true}, {});
    EXPECT_EQ(Runs(r), "text|li\ntext*|ne 2\n");
}

TEST_F(BlockPaint, BlockEndsOutsideTheWindow) {
    view->top = LineAt(*doc, 20);
    Mark(5, 1, 35, 2);  // the window lies inside the block
    EXPECT_EQ(Blocks(3), "0-8 0-8 0-8 ");
    Mark(35, 2, 5, 1);
    EXPECT_EQ(Blocks(3), "0-8 0-8 0-8 ");
    Mark(5, 1, 10, 2);  // wholly above
    EXPECT_EQ(Blocks(3), ". . . ");
    Mark(30, 1, 38, 2);  // wholly below
    EXPECT_EQ(Blocks(3), ". . . ");
    Mark(21, 1, 2, 0);  // one end in the window, the other above
    EXPECT_EQ(Blocks(3), "0-8 0-1 . ");
    Mark(21, 1, 40, 0);  // ... and below
    EXPECT_EQ(Blocks(3), ". 1-8 0-8 ");
    view->block = nullptr;
    EXPECT_EQ(Blocks(3), ". . . ");
}

TEST_F(BlockPaint, ScrolledBlocksAndTabs) {
    Line* l = LineAt(*doc, 1);
    l = SetLineText(*doc, l, "\tab", 3);
    PaintOptions o;
    // The block from column 1 (after the tab) to the end: display columns 4 to 7.
    PaintedRow r = PaintRow(*doc, l, BlockPart{1, 0, true}, o);
    EXPECT_EQ(r.blockStart, 4);
    EXPECT_EQ(r.blockEnd, 7);
    o.leftColumn = 5;
    r = PaintRow(*doc, l, BlockPart{1, 0, true}, o);
    EXPECT_EQ(r.blockStart, 0);
    EXPECT_EQ(r.blockEnd, 2);
    EXPECT_EQ(Runs(r), "text*|b\n");
}

TEST_F(Paint, BrokenRangesAreReportedAndDrawnWithoutCommentColours) {
    Document& d = Doc("/t/a.c", {"int a; int b;"});
    Line* l = LineAt(d, 1);
    CommentRanges& cr = CommentRangesOf(d);
    cr.Clear();
    cr.NextLine(l, 1);
    cr.LineComment(7);
    cr.LineComment(2);  // out of order
    cr.Finish();
    d.flags |= kDocCommentRangesCurrent;
    EXPECT_EQ(RunsOf(d, 1), "keyword|int\ntext| a; \nkeyword|int\ntext| b;\n");
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"InternalError 4201"}));

    cr.Clear();
    cr.NextLine(l, 1);
    cr.Open(40);  // beyond the line
    cr.Close(42);
    cr.Finish();
    ui.Clear();
    EXPECT_EQ(RunsOf(d, 1), "keyword|int\ntext| a; \nkeyword|int\ntext| b;\n");
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"InternalError 4202"}));
}

TEST_F(Paint, RowsAndColumnsOfTheWindow) {
    EXPECT_EQ(MarginWidth(false, false), 0);
    EXPECT_EQ(MarginWidth(true, false), 20);
    EXPECT_EQ(MarginWidth(false, true), 20);
    EXPECT_EQ(FullRowsVisible(100, 16), 6);
    EXPECT_EQ(RowsToPaint(100, 16), 7);
    EXPECT_EQ(RowsToPaint(96, 16), 6);
    EXPECT_EQ(ColumnsToPaint(100, 20, 8), 10);
    EXPECT_EQ(ColumnsToPaint(101, 20, 8), 11);
    EXPECT_EQ(DisplayColumnAtX(37, 20, 8, 5), 7);
    EXPECT_EQ(DisplayColumnAtX(3, 20, 8, 5), 5);  // in the margin
}

}  // namespace
