#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>

#include "document_fixture.h"
#include "platform/files.h"

namespace velt::testing {
namespace {

using Loading = DocumentTest;
using LoadOutcome = DocumentTest;
using RecentFilesList = DocumentTest;

// The splitting a load must produce, written plainly: CR dropped everywhere, LF ends a line,
// a non-empty rest is the last line, and every line is cut into pieces of 497.
std::vector<std::string> ExpectedLines(const std::string& bytes, int* broken = nullptr) {
    std::vector<std::string> out;
    std::string cur;
    int cuts = 0;
    auto flush = [&]() {
        std::size_t at = 0;
        while (cur.size() - at > 497) {
            out.push_back(cur.substr(at, 497));
            at += 497;
            ++cuts;
        }
        out.push_back(cur.substr(at));
        cur.clear();
    };
    for (char c : bytes) {
        if (c == '\r') continue;
        if (c == '\n')
            flush();
        else
            cur += c;
    }
    if (!cur.empty()) flush();
    if (broken) *broken = cuts;
    return out;
}

TEST_F(Loading, EmptyFileGivesAnEmptyDocument) {
    std::string file = dir.Write("empty.c", "");
    Document* doc = FindDocument(file, true);
    ReadResult r;
    EXPECT_EQ(LoadDocument(file, *doc, &r), kLoadOk);
    EXPECT_EQ(doc->head->next, doc->head);
    EXPECT_EQ(doc->head->prev, doc->head);
    EXPECT_EQ(doc->lineCount, 0);
    EXPECT_EQ(r.lines, 0);
    EXPECT_EQ(doc->flags, 0);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(Loading, LineEndsLfAndCrLfAndLoneCrLoadAlike) {
    std::string lf = "int main()\n{\n\n  return 0;\n}\n";
    std::string crlf = "int main()\r\n{\r\n\r\n  return 0;\r\n}\r\n";
    std::string stray = "int ma\rin()\r\r\n{\n\r\n  return 0;\r\n}\r\n\r";
    std::vector<std::string> want = {"int main()", "{", "", "  return 0;", "}"};
    for (const std::string& text : {lf, crlf, stray}) {
        Document* doc = FindDocument(dir.Write("a.c", text), true);
        EXPECT_EQ(LoadDocument(dir / "a.c", *doc), kLoadOk);
        EXPECT_EQ(Texts(*doc), want);
        EXPECT_EQ(doc->lineCount, 5);
    }
    // The same bytes with more than 128 after each line go through the fast path.
    std::string tail(300, 'x');
    for (const std::string& text : {lf, crlf, stray}) {
        Document* doc = FindDocument(dir.Write("a.c", text + tail), true);
        EXPECT_EQ(LoadDocument(dir / "a.c", *doc), kLoadOk);
        std::vector<std::string> withTail = want;
        withTail.push_back(tail);
        EXPECT_EQ(Texts(*doc), withTail);
    }
}

TEST_F(Loading, LastLineWithoutLineFeedIsKeptAndAnEmptyRestMakesNoLine) {
    Document* doc = FindDocument(dir.Write("a.c", "one\ntwo"), true);
    LoadDocument(dir / "a.c", *doc);
    EXPECT_EQ(Texts(*doc), (std::vector<std::string>{"one", "two"}));
    LoadDocument(dir.Write("a.c", "one\n\r"), *doc);
    EXPECT_EQ(Texts(*doc), (std::vector<std::string>{"one"}));
    LoadDocument(dir.Write("a.c", "\n"), *doc);
    EXPECT_EQ(Texts(*doc), (std::vector<std::string>{""}));
}

TEST_F(Loading, LongLinesBreakAt497WithTheCountReported) {
    std::string line(1200, 'a');
    for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<char>('a' + i % 26);
    std::string file = dir.Write("long.c", line + "\nnext\n");
    Document* doc = FindDocument(file, true);
    ReadResult r;
    EXPECT_EQ(LoadDocument(file, *doc, &r), kLoadOk);
    std::vector<std::string> lines = Texts(*doc);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], line.substr(0, 497));
    EXPECT_EQ(lines[1], line.substr(497, 497));
    EXPECT_EQ(lines[2], line.substr(994));
    EXPECT_EQ(lines[2].size(), 206u);
    EXPECT_EQ(lines[3], "next");
    EXPECT_EQ(r.broken, 2);
    EXPECT_EQ(doc->flags & kDocIncomplete, kDocIncomplete);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, file + ":\n2 lines longuer than 500 characters were truncated");

    // Exactly 497 or 994 characters: the pieces end with the line, no empty line follows.
    ui.Clear();
    LoadDocument(
        dir.Write("long.c", std::string(497, 'b') + "\n" + std::string(994, 'c') + "\r\nz"), *doc,
        &r);
    EXPECT_EQ(Texts(*doc), (std::vector<std::string>{std::string(497, 'b'), std::string(497, 'c'),
                                                     std::string(497, 'c'), "z"}));
    EXPECT_EQ(r.broken, 1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, file + ":\n1 lines longuer than 500 characters were truncated");

    // Unbroken again: the incomplete flag goes.
    ui.Clear();
    LoadDocument(dir.Write("long.c", std::string(497, 'b')), *doc);
    EXPECT_EQ(doc->flags & kDocIncomplete, 0);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(Loading, SplittingHoldsAcrossBufferRefills) {
    // Lines of every length around the fast path's window and the break, with stray CRs,
    // over several buffers, so lines straddle each refill in both paths.
    std::mt19937 rng(7);
    std::string bytes;
    while (bytes.size() < 3 * kIoBlock + 1000) {
        int n = static_cast<int>(rng() % 1100);
        if (rng() % 3 == 0) n = 120 + static_cast<int>(rng() % 20);
        for (int i = 0; i < n; ++i) {
            unsigned r = rng() % 100;
            bytes += r == 0 ? '\r' : r == 1 ? ' ' : static_cast<char>('!' + r % 90);
        }
        bytes += rng() % 4 == 0 ? "\r\n" : "\n";
    }
    bytes += "tail";
    std::string file = dir.Write("big.c", bytes);
    Document* doc = FindDocument(file, true);
    ReadResult r;
    ASSERT_EQ(LoadDocument(file, *doc, &r), kLoadOk);
    int broken = 0;
    std::vector<std::string> want = ExpectedLines(bytes, &broken);
    EXPECT_EQ(Texts(*doc), want);
    EXPECT_EQ(r.broken, broken);
    EXPECT_EQ(doc->lineCount, static_cast<int>(want.size()));

    // The in-memory entry splits the same way.
    Document* mem = FindDocument(dir / "mem.c", true);
    LoadDocumentFromText(mem->name, bytes, *mem);
    EXPECT_EQ(Texts(*mem), want);
}

TEST_F(LoadOutcome, MissingFileIsANewEmptyDocument) {
    Document* doc = Make(dir / "new.c", {"old text"});
    doc->flags = kDocModified;
    EXPECT_EQ(LoadDocument(dir / "new.c", *doc), kLoadCannotOpen);
    EXPECT_TRUE(doc->Empty());
    EXPECT_EQ(doc->flags, 0);
    EXPECT_EQ(doc->fileTime, 0u);
    EXPECT_TRUE(RecentFiles().empty());
    FinishLoad(*doc, dir / "new.c", kLoadCannotOpen);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LoadOutcome, ReadOnlyAttributeTimeAndRecentFileAreTaken) {
    std::string file = dir.Write("ro.c", "x\n");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    Document* doc = FindDocument(file, true);
    EXPECT_EQ(LoadDocument(file, *doc), kLoadOk);
    EXPECT_EQ(doc->flags, kDocReadOnly);
    std::int64_t mtime = *platform::ModificationTime(file);
    EXPECT_EQ(doc->fileTimeNs, mtime);
    EXPECT_EQ(doc->fileTime, static_cast<std::uint32_t>(mtime / 1000000000));
    EXPECT_EQ(RecentFiles(), std::vector<std::string>{file});
}

TEST_F(LoadOutcome, AnExistingFileThatCannotBeReadIsAReadErrorNotANewFile) {
    platform::CreateDirectory(dir / "adir.c");
    Document* doc = FindDocument(dir / "adir.c", true);
    int status = LoadDocument(dir / "adir.c", *doc);
    EXPECT_EQ(status, kLoadReadError);
    EXPECT_EQ(doc->flags & kDocIncomplete, kDocIncomplete);
    FinishLoad(*doc, dir / "adir.c", status);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "File read or write error.");
    EXPECT_EQ(doc->flags & kDocIncomplete, kDocIncomplete);  // a save asks first
}

TEST_F(LoadOutcome, FinishingALoadNamesTheDocumentAndPutsItsViewsOnTheFirstLine) {
    std::string file = dir.Write("b.c", "first\nsecond\n");
    Document* doc = Make(dir / "scratch", {"a", "b", "c"});
    EditView* v = NewView(doc, 7);
    v->cursor = v->top = v->block = doc->Last();
    v->cursorColumn = 1;
    v->leftColumn = 4;
    v->flags = 0;
    Document* other = Make(dir / "a.c", {"keep"});
    EditView* otherView = NewView(other, 8);
    otherView->cursorColumn = 3;
    static Document* chosen = nullptr;
    static int order = 0;
    gChooseLanguageHook = [](Document& d) {
        chosen = &d;
        order = order * 10 + 1;
    };
    gDocumentLoadedHook = [](Document&) { order = order * 10 + 2; };

    int status = LoadDocument(file, *doc);
    doc->flags |= kDocModified;
    FinishLoad(*doc, file, status);
    EXPECT_EQ(doc->name, file);
    EXPECT_EQ(doc->flags & kDocModified, 0);
    EXPECT_EQ(chosen, doc);
    EXPECT_EQ(order, 12);
    EXPECT_EQ(v->top, doc->First());
    EXPECT_EQ(v->cursor, doc->First());
    EXPECT_EQ(v->block, nullptr);
    EXPECT_EQ(v->cursorColumn, 0);
    EXPECT_EQ(v->leftColumn, 0);
    EXPECT_EQ(v->flags & kViewRepaintAll, kViewRepaintAll);
    EXPECT_EQ(otherView->cursorColumn, 3);
    // Renamed, the document moved to its place in the registry.
    EXPECT_EQ(FirstDocument(), other);
    EXPECT_EQ(FindDocument(file, false), doc);
}

TEST_F(Loading, BinaryBytesLoadWithoutLoss) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes += static_cast<char>((i * 37) % 256);
    bytes += std::string("\xff\xfe\xc3\x28\0\0\x80", 7);
    std::string file = dir.Write("bin.dat", bytes);
    Document* doc = FindDocument(file, true);
    ASSERT_EQ(LoadDocument(file, *doc), kLoadOk);
    EXPECT_EQ(Texts(*doc), ExpectedLines(bytes));
}

TEST_F(RecentFilesList, EightNamesMostRecentLast) {
    for (int i = 1; i <= 8; ++i) RememberRecentFile("/w/f" + std::to_string(i));
    EXPECT_EQ(RecentFiles().size(), 8u);
    RememberRecentFile("/W/F3");  // present (in any letter case): moves to the end
    EXPECT_EQ(RecentFiles().size(), 8u);
    EXPECT_EQ(RecentFiles().front(), "/w/f1");
    EXPECT_EQ(RecentFiles().back(), "/W/F3");
    RememberRecentFile("/w/f9");  // new and full: the oldest goes
    std::vector<std::string> want = {"/w/f2", "/w/f4", "/w/f5", "/w/f6",
                                     "/w/f7", "/w/f8", "/W/F3", "/w/f9"};
    EXPECT_EQ(RecentFiles(), want);

    // Loading remembers the name it was given.
    std::string file = dir.Write("r.c", "x");
    Document* doc = FindDocument(file, true);
    LoadDocument(file, *doc);
    EXPECT_EQ(RecentFiles().back(), file);
    EXPECT_EQ(RecentFiles().front(), "/w/f4");
}

}  // namespace
}  // namespace velt::testing
