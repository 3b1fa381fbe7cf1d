#include "editor/comment_scan.h"
#include "language_fixture.h"

using namespace velt;
using velt::testing::LanguageTest;

namespace {

class CommentScan : public LanguageTest {
  protected:
    const std::vector<CommentRange>& Ranges(Document& doc) {
        const CommentRanges* cr = EnsureCommentRanges(doc);
        EXPECT_NE(cr, nullptr);
        EXPECT_TRUE(doc.flags & kDocCommentRangesCurrent);
        return cr->ranges();
    }
    std::vector<ColumnSpan> Spans(Document& doc, int n) {
        std::vector<ColumnSpan> out;
        const CommentRanges* cr = EnsureCommentRanges(doc);
        EXPECT_NE(cr->SpansOf(LineAt(doc, n), out), CommentRanges::Lookup::Stale);
        return out;
    }
    bool Current(const Document& doc) { return doc.flags & kDocCommentRangesCurrent; }
};

using R = CommentRange;
using S = ColumnSpan;
using SpanList = std::vector<S>;

TEST_F(CommentScan, CBlockCommentsSpanLinesAndSlashSlashEndsTheLine) {
    Document& d = Doc("/t/a.c", {
                                    "int a; /* one",       // 1
                                    "two",                 // 2
                                    "three */ int b; //",  // 3
                                    "x = 1; // y /* z",    // 4
                                    "/**/ p /* q */",      // 5
                                    "plain",               // 6
                                });
    EXPECT_EQ(Ranges(d), (std::vector<R>{{1, 3, 7, 8},
                                         {3, 3, 16, kToLineEnd},
                                         {4, 4, 7, kToLineEnd},
                                         {5, 5, 0, 4},
                                         {5, 5, 7, 14}}));
    EXPECT_EQ(Spans(d, 1), (SpanList{{7, kToLineEnd}}));
    EXPECT_EQ(Spans(d, 2), (SpanList{{0, kToLineEnd}}));
    EXPECT_EQ(Spans(d, 3), (SpanList{{0, 8}, {16, kToLineEnd}}));
    EXPECT_EQ(Spans(d, 5), (SpanList{{0, 4}, {7, 14}}));
    EXPECT_EQ(Spans(d, 6), SpanList{});
}

TEST_F(CommentScan, CStringsHideCommentMarks) {
    Document& d = Doc("/t/a.c", {
                                    "s = \"/* no\"; t = '/'; // yes",
                                    "s = \"a\\\"//\" /* c */",
                                    "c = '\\'' ; /* d",
                                    "*/",
                                });
    EXPECT_EQ(Ranges(d), (std::vector<R>{{1, 1, 22, kToLineEnd}, {2, 2, 12, 19}, {3, 4, 11, 2}}));
}

TEST_F(CommentScan, AnUnclosedCommentRunsToTheEnd) {
    Document& d = Doc("/t/a.c", {"a /* open", "b"});
    EXPECT_EQ(Ranges(d), (std::vector<R>{{1, 2, 2, kToLineEnd}}));
    EXPECT_EQ(Spans(d, 2), (SpanList{{0, kToLineEnd}}));
}

TEST_F(CommentScan, AssemblyQuotesAndComments) {
    Document& d = Doc("/t/a.asm", {
                                      "  mov al, ';' ; it's a 'quote",
                                      "; whole line",
                                      "  db 'no; comment here'",
                                      "  db 'open; to the end",
                                  });
    EXPECT_EQ(Ranges(d), (std::vector<R>{{1, 1, 14, kToLineEnd}, {2, 2, 0, kToLineEnd}}));
}

TEST_F(CommentScan, FortranCommentsAndCommentLines) {
    Document& d = Doc("/t/a.f", {
                                    "C     a comment line",
                                    "      X = 1 ; trailing",
                                    "      Y = 'a;b' ! bang",
                                    "*     star",
                                    "      CALL F",
                                });
    EXPECT_EQ(Ranges(d), (std::vector<R>{{1, 1, 0, kToLineEnd},
                                         {2, 2, 12, kToLineEnd},
                                         {3, 3, 16, kToLineEnd},
                                         {4, 4, 0, kToLineEnd}}));
}

TEST_F(CommentScan, PascalBracesAndParenStarAcrossLines) {
    Document& d = Doc("/t/a.pas", {
                                      "begin { one",
                                      "two } x := '{'; (* three",
                                      "*) end (**)",
                                  });
    EXPECT_EQ(Ranges(d), (std::vector<R>{{1, 2, 6, 5}, {2, 3, 16, 2}, {3, 3, 7, 11}}));
}

TEST_F(CommentScan, EiffelDoubleDashOutsideStrings) {
    Document& d = Doc("/t/a.e", {
                                    "x := a - b",
                                    "s := \"--%\"--\" -- real",
                                    "c := '-' -- also",
                                });
    EXPECT_EQ(Ranges(d), (std::vector<R>{{2, 2, 14, kToLineEnd}, {3, 3, 9, kToLineEnd}}));
}

TEST_F(CommentScan, UserLanguagesUseTheirFirstCommentCharacter) {
    auto mine = NewUserLanguage("Mine");
    mine->extensions = "mn";
    mine->commentChars = "#!";
    mine->stringChars = "\"";
    AddLanguage(std::move(mine));
    Document& d = Doc("/t/a.mn", {"a \"#\" # c", "b ! not"});
    EXPECT_EQ(Ranges(d), (std::vector<R>{{1, 1, 6, kToLineEnd}}));
}

TEST_F(CommentScan, TheWholeDocumentIsScannedWhateverItsLineCount) {
    std::vector<std::string> lines(300, "x");
    lines[249] = "y // late";
    Document& d = Doc("/t/a.c", lines);
    d.lineCount = 0;  // as after lines were typed into a new document
    EXPECT_EQ(Ranges(d), (std::vector<R>{{250, 250, 2, kToLineEnd}}));
}

TEST_F(CommentScan, NoLanguageNoRanges) {
    Document& d = Doc("/t/a.c2", {"/* x */"});
    EXPECT_EQ(EnsureCommentRanges(d), nullptr);
}

TEST_F(CommentScan, EditsMarkTheRangesStaleOnlyWhenTheyCanChangeThem) {
    Document& d = Doc("/t/a.c", {"int a;", "/* one", "two */", "int b; // c", "x = 1;"});
    Ranges(d);

    // A line far from any comment: nothing to rescan.
    Line* l1 = LineAt(d, 1);
    l1 = SetLineText(d, l1, "int aa;", 7);
    MarkChanged(d, l1);
    EXPECT_TRUE(Current(d));

    // A line that opens a comment now.
    l1 = SetLineText(d, l1, "int a; /*", 9);
    MarkChanged(d, l1);
    EXPECT_FALSE(Current(d));
    SetLineText(d, l1, "int a;", 6);
    Ranges(d);

    // Inside a comment, even without any comment mark on the line.
    Line* l3 = LineAt(d, 3);
    l3 = SetLineText(d, l3, "tw */", 5);
    MarkChanged(d, l3);
    EXPECT_FALSE(Current(d));
    Ranges(d);

    // A line that held a comment and no longer does.
    Line* l4 = LineAt(d, 4);
    l4 = SetLineText(d, l4, "int b;", 6);
    MarkChanged(d, l4);
    EXPECT_FALSE(Current(d));
    Ranges(d);

    // Lines inserted or removed.
    MarkChanged(d, nullptr);
    EXPECT_FALSE(Current(d));
}

TEST_F(CommentScan, AMovedLineKeepsItsCommentsAndAReleasedOneIsForgotten) {
    Document& d = Doc("/t/a.c", {"/* a", "b", "c */", "d"});
    Ranges(d);
    Line* grown = GrowLine(d, LineAt(d, 2), 200);  // a bigger block: the line moves
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(Spans(d, 2), (SpanList{{0, kToLineEnd}}));
    EXPECT_TRUE(Current(d));

    DeleteLine(d, LineAt(d, 4));  // held no comment
    EXPECT_TRUE(Current(d));
    DeleteLine(d, LineAt(d, 2));
    EXPECT_FALSE(Current(d));
}

TEST_F(CommentScan, ALineChangedBehindTheLanguagesBackIsSeen) {
    Document& d = Doc("/t/a.c", {"a // b"});
    Ranges(d);
    Line* l = LineAt(d, 1);
    l->text()[0] = 'z';  // no MarkChanged
    std::vector<ColumnSpan> out;
    EXPECT_EQ(CommentRangesOf(d).SpansOf(l, out), CommentRanges::Lookup::Stale);
}

TEST_F(CommentScan, GenericHookFollowsTheCommentCharacter) {
    Document& d = Doc("/t/a.asm", {"mov a, b", "mov c, d ; x"});
    Ranges(d);
    Line* l1 = LineAt(d, 1);
    l1 = SetLineText(d, l1, "mov a, 'b'", 10);
    MarkChanged(d, l1);
    EXPECT_TRUE(Current(d));  // a quote without a ";" cannot change a comment
    l1 = SetLineText(d, l1, "mov a, b ;", 10);
    MarkChanged(d, l1);
    EXPECT_FALSE(Current(d));
}

}  // namespace
