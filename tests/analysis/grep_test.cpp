#include "analysis/grep.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "../editor/editing_fixture.h"
#include "editor/document_io.h"
#include "shell/commands.h"
#include "shell/output_pane.h"
#include "shell/strutil.h"

namespace velt {
namespace {

using testing::Strings;

struct Found {
    int line;
    std::string text;
    bool operator==(const Found&) const = default;
};

void PrintTo(const Found& f, std::ostream* os) {
    *os << f.line << ":" << f.text;
}

// The lines of `bytes` that match, scanned with pieces of `chunk` bytes.
std::vector<Found> Scan(GrepMatcher& m, std::string_view bytes, std::size_t chunk = kGrepChunk) {
    std::vector<Found> out;
    GrepFileScanner scanner(m, chunk);
    scanner.ScanBytes(bytes, [&](int line, std::string_view text) {
        out.push_back({line, std::string(text)});
    });
    return out;
}

// The same found the slow way: the loader's lines, each tried on its own.
std::vector<Found> Reference(GrepMatcher& m, std::string_view bytes) {
    ReleaseAllDocuments();
    Document* doc = FindDocument("reference", true);
    EXPECT_EQ(ReadTextLines(bytes, *doc, doc->head).status, kLoadOk);
    std::vector<Found> out;
    int n = 0;
    for (Line* l : Lines(*doc)) {
        ++n;
        if (m.MatchLine(l->text(), l->length)) out.push_back({n, LineString(l)});
    }
    ReleaseAllDocuments();
    return out;
}

bool Matches(const std::string& expression, std::uint16_t flags, const std::string& line) {
    GrepMatcher m;
    EXPECT_EQ(m.Prepare(expression, flags), kRegexOk) << expression;
    return m.MatchLine(line.data(), static_cast<int>(line.size()));
}

TEST(GrepMatcherTest, LineRules) {
    const std::uint16_t cs = kGrepCaseSensitive;
    // Whole words: not inside a longer identifier, but a later whole occurrence counts.
    EXPECT_TRUE(Matches("main", cs | kGrepWholeWords, "int main(void)"));
    EXPECT_TRUE(Matches("main", cs | kGrepWholeWords, "main"));
    EXPECT_FALSE(Matches("main", cs | kGrepWholeWords, "int domain;"));
    EXPECT_FALSE(Matches("main", cs | kGrepWholeWords, "main2 = 1;"));
    EXPECT_FALSE(Matches("main", cs | kGrepWholeWords, "_main"));
    EXPECT_TRUE(Matches("main", cs | kGrepWholeWords, "domain = main;"));
    EXPECT_TRUE(Matches("main", cs, "domain"));

    // Case: folded unless case-sensitive, in the expression and the line alike.
    EXPECT_TRUE(Matches("MAIN", 0, "int main(void)"));
    EXPECT_TRUE(Matches("main", 0, "MAIN"));
    EXPECT_FALSE(Matches("MAIN", cs, "int main(void)"));

    // Several words: every one, anywhere, in any order.
    const std::uint16_t several = kGrepSeveralWords;
    EXPECT_TRUE(Matches("open close", several, "close(fd); open(x)"));
    EXPECT_TRUE(Matches("open  close", several, "OPEN then CLOSE"));
    EXPECT_FALSE(Matches("open close", several, "open(fd)"));
    EXPECT_FALSE(Matches("open close", several | kGrepWholeWords, "reopen closed"));
    EXPECT_FALSE(Matches("   ", several, "anything"));

    // Regular expressions through the engine, upper-cased with the line when case is
    // ignored; whole words looks past a match inside a word.
    EXPECT_TRUE(Matches("ma[a-z]n", kGrepRegex, "MAIN"));
    EXPECT_FALSE(Matches("ma[a-z]n", cs | kGrepRegex, "MAIN"));
    EXPECT_TRUE(Matches("^#include", cs | kGrepRegex, "#include <a.h>"));
    EXPECT_FALSE(Matches("^#include", cs | kGrepRegex, " #include <a.h>"));
    EXPECT_TRUE(Matches("^$", cs | kGrepRegex, ""));
    EXPECT_TRUE(Matches("ma.n", cs | kGrepRegex | kGrepWholeWords, "domain; main"));
    EXPECT_FALSE(Matches("ma.n", cs | kGrepRegex | kGrepWholeWords, "domain mainly"));

    // A plain expression longer than the line never matches.
    EXPECT_FALSE(Matches("abcdef", cs, "abc"));

    GrepMatcher bad;
    EXPECT_EQ(bad.Prepare("[z-a]", kGrepRegex), kRegexInvalidRange);
    EXPECT_FALSE(bad.MatchLine("z-a", 3));
}

TEST(GrepMatcherTest, LiteralEveryMatchHolds) {
    GrepMatcher m;
    ASSERT_EQ(
        m.Prepare("static inline [a-z_]+ \\*?alloc_(page|slab)", kGrepCaseSensitive | kGrepRegex),
        kRegexOk);
    EXPECT_EQ(m.Literal(), "static inline ");
    ASSERT_EQ(m.Prepare("x?yy|zzz", kGrepRegex), kRegexOk);
    EXPECT_EQ(m.Literal(), "");  // two alternatives: neither is needed
    ASSERT_EQ(m.Prepare("[A-Z]+_MAX(abc)*", kGrepCaseSensitive | kGrepRegex), kRegexOk);
    EXPECT_EQ(m.Literal(), "_MAX");
    ASSERT_EQ(m.Prepare("open close", kGrepSeveralWords), kRegexOk);
    EXPECT_EQ(m.Literal(), "CLOSE");
}

// Text with what the loader treats specially: CRs anywhere, lines longer than the break,
// a line of exactly the break's length, empty lines, no LF at the end.
std::string Tricky() {
    std::string s;
    s += "int main(void)\r\n";
    s += "\r\n";
    s += std::string(1200, 'a') + "main" + std::string(600, 'b') + "\n";  // lines 3-6
    s += std::string(495, 'c') + "main\n";                                // split "ma|in"
    s += std::string(497, 'd') + "\n";                                    // exactly one line
    s += "ma\rin is here\n";
    s += std::string(490, 'e') + "\r\r\r\r\r\r\r\r\r\r" + "main\n";  // CRs do not count
    s += "\n\n";
    s += "last main";
    return s;
}

TEST(GrepScannerTest, LinesAreTheLoadersWhateverThePieces) {
    const std::string text = Tricky() + "\n" + Tricky() + "\r\nmain";
    struct Case {
        const char* expression;
        std::uint16_t flags;
    };
    const Case cases[] = {
        {"main", kGrepCaseSensitive},
        {"MAIN", 0},
        {"main", kGrepCaseSensitive | kGrepWholeWords},
        {"ma.n$", kGrepCaseSensitive | kGrepRegex},
        {"a*", kGrepCaseSensitive | kGrepRegex},  // every line: nothing to look for first
        {"is main", kGrepSeveralWords},
        {"e", kGrepCaseSensitive},
    };
    for (const Case& c : cases) {
        GrepMatcher m;
        ASSERT_EQ(m.Prepare(c.expression, c.flags), kRegexOk);
        const std::vector<Found> want = Reference(m, text);
        ASSERT_FALSE(want.empty()) << c.expression;
        for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{498},
                                  std::size_t{1300}, kGrepChunk})
            EXPECT_EQ(Scan(m, text, chunk), want) << c.expression << " in pieces of " << chunk;
    }

    // Random text over a small alphabet, so that matches, CRs and long lines all occur.
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int round = 0; round < 40; ++round) {
        std::string random;
        const int size = static_cast<int>(next(4000));
        for (int i = 0; i < size; ++i) {
            const std::uint32_t r = next(100);
            random += r < 4 ? '\n' : r < 6 ? '\r' : r < 8 ? ' ' : "abAB_"[next(5)];
            if (next(300) == 0) random += std::string(next(1200), 'a');
        }
        GrepMatcher m;
        const std::uint16_t flags = static_cast<std::uint16_t>(
            (round % 2 ? kGrepCaseSensitive : 0) | (round % 3 == 0 ? kGrepWholeWords : 0));
        ASSERT_EQ(m.Prepare(round % 4 == 3 ? "b_a" : "ab", flags), kRegexOk);
        const std::vector<Found> want = Reference(m, random);
        EXPECT_EQ(Scan(m, random, 1 + next(700)), want) << "round " << round;
        EXPECT_EQ(Scan(m, random), want) << "round " << round;
    }

    // What the loader makes of it, spelled out for "main".
    GrepMatcher m;
    ASSERT_EQ(m.Prepare("main", kGrepCaseSensitive), kRegexOk);
    const std::vector<Found> found = Scan(m, Tricky(), 100);
    std::vector<int> lines;
    for (const Found& f : found) lines.push_back(f.line);
    // The 1804 characters of line 3 become lines 3-6 with "main" on line 5 (from column
    // 1200); "ma|in" broken between lines 7 and 8 is no match; line 10 holds "ma\rin", line 11
    // the one padded with CRs, line 14 the last.
    EXPECT_EQ(lines, (std::vector<int>{1, 5, 10, 11, 14}));
    EXPECT_EQ(found[2].text, "main is here");
}

class GrepWalkTest : public ::testing::Test {
  protected:
    GrepOutcome Run(const std::string& expression, std::uint16_t flags,
                    const std::string& masks = "*.c *.h") {
        GrepParameters p{dir.path(), masks, flags, expression};
        GrepMatcher m;
        EXPECT_EQ(m.Prepare(p.expression, p.flags), kRegexOk);
        std::atomic<bool> cancel{false};
        GrepWalker w(p, m, cancel);
        return w.Run();
    }
    static std::vector<std::string> Files(const GrepOutcome& o) {
        std::vector<std::string> out;
        for (const GrepHit& h : o.hits) out.push_back(h.file + ":" + std::to_string(h.line));
        return out;
    }
    std::string Rel(const std::string& name) const { return dir / name; }

    testing::TempDir dir;
};

TEST_F(GrepWalkTest, MasksInOrderAndSubdirectoriesOnlyWhenAsked) {
    dir.Write("b.c", "x\nhit\n");
    dir.Write("a.h", "hit\n");
    dir.Write("A2.C", "hit\n");  // names match without regard to case
    dir.Write("a.c", "hit\n");
    dir.Write("notes.txt", "hit\n");
    dir.Write("sub1/s.c", "hit\n");
    dir.Write("sub2/t.h", "hit\n");
    dir.Write("sub2/deeper/u.c", "hit\n");
    dir.Write(".hidden/h.c", "hit\n");
    std::filesystem::create_directory(dir / "dir.c");  // a directory is no file to search
    ASSERT_EQ(::mkfifo((dir / "pipe.c").c_str(), 0600), 0);  // nor is a pipe: it would block

    GrepOutcome flat = Run("hit", kGrepCaseSensitive);
    EXPECT_EQ(Files(flat), (Strings{"A2.C:1", "a.c:1", "b.c:2", "a.h:1"}));
    EXPECT_FALSE(flat.cancelled);
    EXPECT_EQ(flat.unreadable, "");
    // Newest first.
    EXPECT_EQ(flat.files, (Strings{"a.h", "b.c", "a.c", "A2.C"}));

    // Each mask walks the whole tree; sub-directories are taken last listed first, and files
    // in them keep their path.
    GrepOutcome deep = Run("hit", kGrepCaseSensitive | kGrepSubdirectories);
    EXPECT_EQ(Files(deep), (Strings{"A2.C:1", "a.c:1", "b.c:2", Rel("sub2/deeper/u.c") + ":1",
                                    Rel("sub1/s.c") + ":1", "a.h:1", Rel("sub2/t.h") + ":1"}));

    // Masks separated by several blanks; a mask matching nothing.
    EXPECT_EQ(Files(Run("hit", kGrepCaseSensitive, "  *.txt   *.q ")), (Strings{"notes.txt:1"}));
}

TEST_F(GrepWalkTest, LinksBackUpTheTreeDoNotLoop) {
    dir.Write("d/x.c", "hit\n");
    ASSERT_EQ(::symlink(dir.path().c_str(), (dir / "d/up").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "d").c_str(), (dir / "d/self").c_str()), 0);
    GrepOutcome o = Run("hit", kGrepCaseSensitive | kGrepSubdirectories);
    EXPECT_EQ(Files(o), (Strings{Rel("d/x.c") + ":1"}));
}

// A file the walk lists but cannot read: a file without read permission, or for a user who
// may read anything, a name for this process's memory, whose first page is never mapped.
bool MakeUnreadable(const std::string& path) {
    ::chmod(path.c_str(), 0);
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        ::unlink(path.c_str());
        if (::symlink("/proc/self/mem", path.c_str()) != 0) return false;
        std::FILE* g = std::fopen(path.c_str(), "rb");
        if (!g) return true;
        char c;
        const bool failed = std::fread(&c, 1, 1, g) == 0 && std::ferror(g);
        std::fclose(g);
        return failed;
    }
    return true;
}

TEST_F(GrepWalkTest, UnreadableFileEndsTheWalkKeepingTheHits) {
    dir.Write("a.c", "hit one\n");
    dir.Write("b.c", "hit two\n");
    dir.Write("c.c", "hit three\n");
    dir.Write("z.h", "hit four\n");
    if (!MakeUnreadable(dir / "b.c")) GTEST_SKIP() << "no way to make an unreadable file here";
    GrepOutcome o = Run("hit", kGrepCaseSensitive);
    EXPECT_EQ(Files(o), (Strings{"a.c:1"}));  // neither c.c nor the next mask
    EXPECT_EQ(o.unreadable, dir / "b.c");
    EXPECT_FALSE(o.cancelled);
    ::unlink((dir / "b.c").c_str());
}

TEST_F(GrepWalkTest, CancelledJobKeepsItsHits) {
    for (char c = 'a'; c <= 'j'; ++c) dir.Write(std::string(1, c) + ".c", "x\nhit\nhit\n");
    GrepJob job;
    std::vector<std::string> seen;
    job.SetBeforeFile([&](const std::string& file) {
        seen.push_back(file);
        if (seen.size() == 4) job.Cancel();  // before the fourth file is searched
    });
    ASSERT_EQ(job.Start({dir.path(), "*.c", kGrepCaseSensitive, "hit"}), kRegexOk);
    EXPECT_TRUE(job.Active());
    job.Wait();
    EXPECT_TRUE(job.Finished());
    const GrepProgress progress = job.Progress();
    EXPECT_EQ(progress.filesSearched, 3);
    EXPECT_EQ(progress.hits, 6);
    EXPECT_EQ(progress.currentFile, "d.c");
    GrepOutcome o = job.Take();
    EXPECT_FALSE(job.Active());
    EXPECT_TRUE(o.cancelled);
    EXPECT_EQ(Files(o), (Strings{"a.c:2", "a.c:3", "b.c:2", "b.c:3", "c.c:2", "c.c:3"}));
    EXPECT_EQ(o.files, (Strings{"c.c", "b.c", "a.c"}));

    // The same job runs again to the end; a bad expression starts nothing.
    job.SetBeforeFile({});
    ASSERT_EQ(job.Start({dir.path(), "*.c", kGrepCaseSensitive, "hit"}), kRegexOk);
    o = job.Take();
    EXPECT_FALSE(o.cancelled);
    EXPECT_EQ(o.hits.size(), 20u);
    EXPECT_EQ(job.Start({dir.path(), "*.c", kGrepRegex, "(a"}), kRegexMismatchedParens);
    EXPECT_FALSE(job.Active());
}

// The command as the user meets it: the dialog record, the pane, the double-click.
class GrepCommandTest : public testing::EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        saved = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        Grep() = GrepState{};
        FrameOutputPane().Reset();
        InstallGrepCommands();
        gGrepStarted = nullptr;
    }
    void TearDown() override {
        gGrepDialog = nullptr;
        gGrepBeforeFile = nullptr;
        Grep() = GrepState{};
        std::filesystem::current_path(saved);
        EditingTest::TearDown();
        FrameOutputPane().Reset();
    }
    // Runs 1150 with the dialog filled by `fill`; the record as the dialog last saw it.
    GrepDialogRecord Search(const std::function<void(GrepDialogRecord&)>& fill) {
        GrepDialogRecord seen;
        gGrepDialog = [&](GrepDialogRecord& r) {
            fill(r);
            seen = r;
            return true;
        };
        DispatchCommand(kCmdFindInFiles);
        return seen;
    }
    const std::vector<std::string>& Pane() { return FrameOutputPane().Lines(kSearchPage); }

    std::filesystem::path saved;
};

TEST_F(GrepCommandTest, ResultsListedAndOpenedAtTheLine) {
    dir.Write("main.c", "/* start */\n\t  int main(void)\nint domain;\n");
    dir.Write("inc/Defs.H", "x\ny\n#define MAIN 1\n");
    Open({"int counter = main_loop();"}, "cur.c");
    At(1, 5);  // on "counter"

    GrepDialogRecord shown = Search([&](GrepDialogRecord& r) {
        EXPECT_EQ(r.expression, "counter");  // the identifier under the cursor
        EXPECT_EQ(r.masks, "*.c *.h");
        EXPECT_EQ(r.directory, dir.path());
        r.expression = "main";
        r.wholeWords = true;
        r.ignoreCase = true;
        r.subdirectories = true;
        r.directory = dir.path() + "/";
    });
    EXPECT_EQ(shown.directory, dir.path() + "/");
    EXPECT_EQ(Pane(),
              (Strings{"Searching for 'main' in '*.c *.h': 2 hits.", "[main.c:2] int main(void)",
                       "[" + AsciiLower(dir.path()) + "/inc/defs.h:3] #define MAIN 1"}));
    EXPECT_EQ(FrameOutputPane().ActivePage(), kSearchPage);
    EXPECT_EQ(Grep().request.directory, dir.path());  // without the separator
    EXPECT_EQ(Grep().request.hits, 2);
    EXPECT_EQ(Grep().files, (Strings{dir.path() + "/inc/Defs.H", "main.c"}));
    EXPECT_EQ(Grep().expressionHistory, (Strings{"main"}));
    EXPECT_EQ(Grep().directoryHistory, (Strings{dir.path()}));
    EXPECT_TRUE(ui.boxes.empty());

    // A double-click opens the file at the line; the title line does nothing.
    EXPECT_TRUE(FrameOutputPane().DoubleClick(kSearchPage, 0));
    EXPECT_EQ(CurrentDocument(), doc);
    EXPECT_TRUE(FrameOutputPane().DoubleClick(kSearchPage, 2));
    ASSERT_NE(CurrentView(), view);
    EXPECT_EQ(CurrentDocument()->name, dir.path() + "/inc/Defs.H");
    EXPECT_EQ(CursorLineNumber(*CurrentView()), 3);
    EXPECT_TRUE(FrameOutputPane().DoubleClick(kSearchPage, 1));
    EXPECT_EQ(CurrentDocument()->name, dir.path() + "/main.c");
    EXPECT_EQ(CursorLineNumber(*CurrentView()), 2);

    // From elsewhere, a bare name is shown with its directory and still opens.
    std::filesystem::current_path(dir.path() + "/inc");
    ListGrepResults();
    EXPECT_EQ(Pane()[1], "[" + AsciiLower(dir.path()) + "/main.c:2] int main(void)");
    EXPECT_EQ(Pane()[2], "[defs.h:3] #define MAIN 1");
    ReleaseAllDocuments();
    ForgetDocumentWindows();
    EXPECT_TRUE(FrameOutputPane().DoubleClick(kSearchPage, 1));
    ASSERT_NE(CurrentDocument(), nullptr);
    EXPECT_EQ(CurrentDocument()->name, dir.path() + "/main.c");

    // The next dialog offers the histories and the flags.
    Search([&](GrepDialogRecord& r) {
        EXPECT_EQ(r.expressionHistory, (Strings{"main"}));
        EXPECT_TRUE(r.wholeWords && r.ignoreCase && r.subdirectories && !r.regex);
        EXPECT_EQ(r.directory, dir.path() + "/inc");  // the current one, again
        r.expression = "nowhere";
    });
    EXPECT_EQ(ui.Texts(), (Strings{"'nowhere': not found"}));
    EXPECT_TRUE(Pane().empty());  // the old lines named hits that are gone
    EXPECT_FALSE(FrameOutputPane().DoubleClick(kSearchPage, 1));
}

TEST_F(GrepCommandTest, RefusedEntriesKeepTheDialogOpen) {
    dir.Write("a.c", "main\n");
    GrepDialogRecord r;
    r.Load();
    r.expression = "main";
    r.masks = "  ";
    EXPECT_FALSE(r.Validate());
    r.masks = "*.c";
    r.expression = "";
    EXPECT_FALSE(r.SearchEnabled());
    EXPECT_FALSE(r.Validate());
    r.expression = "main";
    r.directory = "no/such";
    EXPECT_FALSE(r.Validate());
    EXPECT_EQ(ui.Texts(), (Strings{"No files specified", "Empty search string?",
                                   "Directory no/such doesn't exist"}));
    // A relative directory becomes absolute; trailing separators go.
    std::filesystem::create_directory(dir / "Src");
    r.directory = "src//";
    EXPECT_TRUE(r.Validate());
    EXPECT_EQ(r.directory, dir / "Src");

    r.wholeWords = true;
    r.ignoreCase = false;
    r.SetSeveralWords(true);
    EXPECT_TRUE(r.severalWords && r.ignoreCase && !r.wholeWords);
}

TEST_F(GrepCommandTest, BadExpressionSearchesNothing) {
    dir.Write("a.c", "main\n");
    Search([](GrepDialogRecord& r) { r.expression = "main"; });
    const Strings before = Pane();
    ASSERT_EQ(before.size(), 2u);
    Search([](GrepDialogRecord& r) {
        r.expression = "ma(in";
        r.regex = true;
    });
    EXPECT_EQ(ui.Texts(), (Strings{"Mismatched () in regular expression"}));
    EXPECT_EQ(Pane(), before);
    EXPECT_EQ(Grep().hits.size(), 1u);
    EXPECT_FALSE(GrepRunning());
}

TEST_F(GrepCommandTest, CancelledSearchListsTheHitsSoFar) {
    for (char c = 'a'; c <= 'e'; ++c) dir.Write(std::string(1, c) + ".c", "main\n");
    // The front end polls; the walk is held at the third file until the command comes again.
    int polls = 0;
    gGrepStarted = [&] { ++polls; };
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    gGrepBeforeFile = [&](const std::string& file) {
        if (file != "c.c") return;
        held = true;
        while (!release.load()) std::this_thread::yield();
    };
    Search([](GrepDialogRecord& r) { r.expression = "main"; });
    EXPECT_EQ(polls, 1);
    ASSERT_TRUE(GrepRunning());
    while (!held.load()) std::this_thread::yield();
    EXPECT_TRUE(PollGrep());
    EXPECT_EQ(FrameStatusPane().Text().rfind("Searching for 'main' in '*.c *.h': ", 0), 0u);
    DispatchCommand(kCmdFindInFiles);  // again: stops it
    release = true;
    while (PollGrep()) std::this_thread::yield();
    EXPECT_FALSE(GrepRunning());
    EXPECT_EQ(Pane(), (Strings{"Searching for 'main' in '*.c *.h': 2 hits.", "[a.c:1] main",
                               "[b.c:1] main"}));
    EXPECT_EQ(FrameStatusPane().Text(), "Searching for 'main' in '*.c *.h': 2 hits.");
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace velt
