#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "document_fixture.h"
#include "shell/memory.h"

namespace velt::testing {
namespace {

using LineModel = DocumentTest;
using Registry = DocumentTest;
using LinePositions = DocumentTest;

TEST_F(LineModel, CapacityIsLengthRoundedUpToSixteenAndTheBlockHoldsTheTextInline) {
    EXPECT_EQ(LineCapacityFor(0), 16);
    EXPECT_EQ(LineCapacityFor(1), 16);
    EXPECT_EQ(LineCapacityFor(16), 16);
    EXPECT_EQ(LineCapacityFor(17), 32);
    EXPECT_EQ(LineCapacityFor(497), 512);
    EXPECT_EQ(LineCapacityFor(kMaxLineLength), kMaxLineLength);

    for (int n : {0, 5, 16, 17, 100, 497}) {
        std::string text(static_cast<std::size_t>(n), 'x');
        std::uint32_t before = MemoryInUse();
        Line* l = NewLine(text.data(), n);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->length, n);
        EXPECT_EQ(l->capacity, LineCapacityFor(n));
        EXPECT_EQ(l->flags, 0);
        EXPECT_EQ(l->text(), reinterpret_cast<char*>(l) + kLineHeadSize);
        EXPECT_EQ(std::memcmp(l->text(), text.data(), static_cast<std::size_t>(n)), 0);
        EXPECT_EQ(l->text()[n], '\0');
        // One block: the head, the capacity and 3 more bytes, plus the block's own 12.
        EXPECT_EQ(MemoryInUse() - before, kLineHeadSize + l->capacity + 3 + kBlockOverhead);
        FreeLine(l);
        EXPECT_EQ(MemoryInUse(), before);
    }
    EXPECT_EQ(NewLine("", kMaxLineLength + 1), nullptr);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LineModel, ChangesMarkTheDocumentAndReachTheLanguageHook) {
    Document* doc = Make("/w/a.c", {"one", "two"});
    doc->flags = kDocFunctionListValid | kDocAutosaveCurrent | kDocCommentRangesCurrent;
    static Line* seen = nullptr;
    gLineChangedHook = [](Document& d, Line* l) {
        seen = l;
        d.flags &= static_cast<std::uint16_t>(~kDocCommentRangesCurrent);
    };
    MarkChanged(*doc, doc->First());
    EXPECT_EQ(doc->flags, kDocModified);
    EXPECT_EQ(seen, doc->First());
}

TEST_F(LineModel, FirstLineOfAnEmptyDocumentTakesTheSentinelsInactiveBit) {
    Document* doc = FindDocument("/w/a.c", true);
    doc->head->flags = kLineInactive;
    Line* first = NewLine("x", 1);
    AppendLine(*doc, first);
    Line* second = NewLine("y", 1);
    AppendLine(*doc, second);
    EXPECT_EQ(first->flags, kLineInactive);
    EXPECT_EQ(second->flags, 0);
}

TEST_F(LineModel, GrowingMovesTheTextAndEveryReferenceToTheNewBlock) {
    Document* doc = Make("/w/a.c", {"alpha", "beta", "gamma"});
    Line* beta = doc->First()->next;
    EditView* v = NewView(doc, 1);
    v->cursor = v->top = v->block = beta;
    v->cursorColumn = 3;
    v->blockColumn = 2;
    doc->savedCursor = beta;
    doc->timeStampLine = beta;
    static Line* movedFrom = nullptr;
    static Line* movedTo = nullptr;
    gLineMovedHook = [](Document&, Line* from, Line* to) {
        movedFrom = from;
        movedTo = to;
    };

    EXPECT_EQ(GrowLine(*doc, beta, 16), beta);  // still fits: nothing moves
    std::uint32_t before = MemoryInUse();
    Line* grown = GrowLine(*doc, beta, 40);
    ASSERT_NE(grown, beta);
    EXPECT_EQ(grown->capacity, 48);
    EXPECT_EQ(LineString(grown), "beta");
    EXPECT_EQ(Texts(*doc), (std::vector<std::string>{"alpha", "beta", "gamma"}));
    EXPECT_EQ(grown->prev->next, grown);
    EXPECT_EQ(grown->next->prev, grown);
    EXPECT_EQ(v->cursor, grown);
    EXPECT_EQ(v->top, grown);
    EXPECT_EQ(v->block, grown);
    EXPECT_EQ(v->cursorColumn, 3);  // growing is not a move of the cursor
    EXPECT_EQ(v->blockColumn, 2);
    EXPECT_EQ(doc->savedCursor, grown);
    EXPECT_EQ(doc->timeStampLine, grown);
    EXPECT_EQ(movedFrom, beta);
    EXPECT_EQ(movedTo, grown);
    EXPECT_EQ(MemoryInUse() - before, 32u);  // the old block was released

    // Text taken from the line itself survives the move.
    Line* l = SetLineText(*doc, grown, grown->text(), 2);
    EXPECT_EQ(LineString(l), "be");
    std::string longer(200, 'z');
    l = SetLineText(*doc, l, longer.data(), 200);
    EXPECT_EQ(LineString(l), longer);
    EXPECT_EQ(l->text()[200], '\0');
    EXPECT_EQ(GrowLine(*doc, l, kMaxLineLength + 1), nullptr);
}

TEST_F(LinePositions, DeletingALineMovesViewsAndSavedPositionsToTheNextLine) {
    Document* doc = Make("/w/a.c", {"one", "two", "three"});
    Line* one = LineAt(*doc, 1);
    Line* two = LineAt(*doc, 2);
    Line* three = LineAt(*doc, 3);
    EditView* on = NewView(doc, 1);
    on->top = on->cursor = on->block = two;
    on->cursorColumn = 2;
    on->blockColumn = 1;
    EditView* elsewhere = NewView(doc, 2);
    elsewhere->top = one;
    elsewhere->cursor = three;
    elsewhere->cursorColumn = 4;
    doc->savedCursor = two;
    doc->savedCursorColumn = 3;
    doc->savedBlock = two;
    doc->savedBlockColumn = 2;
    Document* other = Make("/w/b.c", {"x"});
    EditView* otherView = NewView(other, 3);

    DeleteLine(*doc, two);
    EXPECT_EQ(Texts(*doc), (std::vector<std::string>{"one", "three"}));
    EXPECT_EQ(on->top, three);
    EXPECT_EQ(on->cursor, three);
    EXPECT_EQ(on->block, three);
    EXPECT_EQ(on->cursorColumn, 0);
    EXPECT_EQ(on->blockColumn, 0);
    EXPECT_EQ(doc->savedCursor, three);
    EXPECT_EQ(doc->savedCursorColumn, 0);
    EXPECT_EQ(doc->savedBlock, three);
    EXPECT_EQ(doc->savedBlockColumn, 0);
    EXPECT_EQ(elsewhere->top, one);
    EXPECT_EQ(elsewhere->cursor, three);
    EXPECT_EQ(elsewhere->cursorColumn, 4);
    EXPECT_EQ(otherView->cursor, other->First());

    // The last line: the views stay on text, on the line before it.
    DeleteLine(*doc, three);
    EXPECT_EQ(on->cursor, one);
    EXPECT_EQ(elsewhere->cursor, one);
    EXPECT_EQ(doc->savedCursor, one);
    // The only line: the sentinel, where an empty document's positions are.
    DeleteLine(*doc, one);
    EXPECT_TRUE(doc->Empty());
    EXPECT_EQ(on->cursor, doc->head);
    EXPECT_EQ(doc->savedCursor, doc->head);
    // The sentinel is never deleted.
    DeleteLine(*doc, doc->head);
    EXPECT_TRUE(doc->Empty());
}

TEST_F(LinePositions, ReleasingADocumentFreesEveryLineAndDetachesItsViews) {
    std::uint32_t before = MemoryInUse();
    Document* doc = Make("/w/a.c", {"one", "two", "three"});
    EditView* v = NewView(doc, 1);
    SetCurrentView(v);
    EXPECT_EQ(CurrentDocument(), doc);
    EXPECT_EQ(CountLines(*doc), 3);
    EXPECT_EQ(LineNumber(*doc, LineAt(*doc, 3)), 3);
    EXPECT_EQ(LineAt(*doc, 4), nullptr);
    ReleaseDocument(doc);
    EXPECT_EQ(MemoryInUse(), before);
    EXPECT_EQ(CurrentDocument(), nullptr);
    EXPECT_EQ(v->document, nullptr);
    EXPECT_EQ(v->cursor, nullptr);
    ReleaseView(v);
    EXPECT_EQ(CurrentView(), nullptr);
    EXPECT_EQ(FirstDocument(), nullptr);
}

TEST_F(Registry, DocumentsAreKeptInCaseInsensitiveNameOrder) {
    for (const char* n : {"/w/b.c", "/w/C.c", "/w/a.c", "/w/B2.c"}) FindDocument(n, true);
    std::vector<std::string> names;
    for (Document* d = FirstDocument(); d; d = d->next) names.push_back(d->name);
    EXPECT_EQ(names, (std::vector<std::string>{"/w/a.c", "/w/b.c", "/w/B2.c", "/w/C.c"}));

    Document* a = FindDocument("/w/a.c", false);
    RenameDocument(*a, "/w/z.c");
    EXPECT_EQ(FirstDocument()->name, "/w/b.c");
    Document* last = FirstDocument();
    while (last->next) last = last->next;
    EXPECT_EQ(last, a);
    EXPECT_EQ(DocumentCount(), 4);
}

TEST_F(Registry, NamesDifferingInCaseOrSpellingOfOneFileAreOneDocument) {
    std::string file = dir.Write("hello.c", "int x;\n");
    Document* doc = FindDocument(file, true);
    EXPECT_TRUE(doc->Empty());
    EXPECT_EQ(doc->savedCursor, doc->head);
    EXPECT_EQ(FindDocument(dir / "HELLO.C", false), doc);
    EXPECT_EQ(FindDocument("\"" + dir / "Hello.c" + "\"", true), doc);
    dir.Write("sub/x", "");
    EXPECT_EQ(FindDocument(dir / "sub/../hello.c", false), doc);
    std::filesystem::create_symlink(file, dir / "link.c");
    EXPECT_EQ(FindDocument(dir / "link.c", false), doc);
    EXPECT_EQ(DocumentCount(), 1);

    // Different files stay different documents, and an absent name is not created.
    dir.Write("other.c", "");
    EXPECT_EQ(FindDocument(dir / "other.c", false), nullptr);
    EXPECT_NE(FindDocument(dir / "other.c", true), doc);
    EXPECT_EQ(FindDocument(dir / "missing.c", false), nullptr);
    EXPECT_EQ(DocumentCount(), 2);
}

}  // namespace
}  // namespace velt::testing
