#include "build/diagnostics.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../editor/editing_fixture.h"
#include "build/build.h"
#include "editor/document.h"
#include "editor/editing.h"
#include "project/project.h"
#include "shell/output_pane.h"

namespace velt {
namespace {

using Strings = std::vector<std::string>;

TEST(DiagnosticsParse, NimraFormat) {
    auto e = ParseNimraDiagnostic("Error c:\\src\\a.c: 12  undeclared identifier", "/w");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->file, "c:\\src\\a.c");
    EXPECT_EQ(e->line, 12);
    EXPECT_EQ(e->text, "[12]:undeclared identifier");

    // A relative name is taken against the current directory, an absolute one stays.
    e = ParseNimraDiagnostic("Warning hello.c: 3  unused variable 'x'", "/w");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->file, "/w/hello.c");
    EXPECT_EQ(e->text, "[3]:unused variable 'x'");
    e = ParseNimraDiagnostic("Error /src/b.c: 40 x", "/w");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->file, "/src/b.c");

    // A quoted name with blanks keeps its quotes, made absolute inside them.
    e = ParseNimraDiagnostic("Error \"my dir/a b.c\": 7  bad", "/w");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->file, "\"/w/my dir/a b.c\"");
    EXPECT_EQ(e->line, 7);
    EXPECT_EQ(e->text, "[7]:bad");

    // "CPP" in any case; "Error" and "Warning" only as spelt.
    e = ParseNimraDiagnostic("cpp x.h: 2 no newline", "/w");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->line, 2);
    EXPECT_FALSE(ParseNimraDiagnostic("error x.c: 2 y", "/w"));
    EXPECT_FALSE(ParseNimraDiagnostic("WARNING x.c: 2 y", "/w"));
    // The line must be at least 1; at most six digits are read.
    EXPECT_FALSE(ParseNimraDiagnostic("Error x.c: 0 y", "/w"));
    EXPECT_FALSE(ParseNimraDiagnostic("Error x.c: y", "/w"));
    e = ParseNimraDiagnostic("Error x.c: 12345678 y", "/w");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->line, 123456);
    EXPECT_EQ(e->text, "[123456]:y");
}

TEST(DiagnosticsParse, ParenthesisAndLineFormats) {
    auto e = ParseParenthesisDiagnostic("a.c(7) : error C2065: 'x' : undeclared");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->file, "A.C");
    EXPECT_EQ(e->line, 7);
    EXPECT_EQ(e->text, "error 'x' : undeclared");
    e = ParseParenthesisDiagnostic("dir/x_y-1.c (12)::WARNING W1 text here");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->file, "DIR/X_Y-1.C");
    EXPECT_EQ(e->line, 12);
    EXPECT_EQ(e->text, "WARNING text here");
    EXPECT_FALSE(ParseParenthesisDiagnostic("a.c(7) : ERROR C1: x"));  // error: exact case
    EXPECT_FALSE(ParseParenthesisDiagnostic("a.c(x) : error C1: x"));
    EXPECT_FALSE(ParseParenthesisDiagnostic("a b.c(7) : error C1: x"));

    // The nimra format falls back to this one; the Eiffel project uses "Line".
    e = ParseDiagnostic("a.c(7) : error C2065: 'x' : undeclared", false, "/w");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->file, "A.C");
    EXPECT_FALSE(ParseDiagnostic("a.c(7) : error C2065: 'x'", true, "/w"));

    const std::string line = "line 25 column 3 in Root (.\\root.e): unknown feature";
    e = ParseDiagnostic(line, true, "/w");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->file, "/W/ROOT.E");
    EXPECT_EQ(e->line, 25);
    EXPECT_EQ(e->text, line);
    EXPECT_FALSE(ParseLineDiagnostic("Line x (a.e)", "/w"));
    EXPECT_FALSE(ParseLineDiagnostic("Lines 3 (a.e)", "/w"));
}

TEST(OutputWrap, ContinuationsAndTheMessageTheyBelongTo) {
    const OutputLineFits fits = [](std::string_view t) { return t.size() <= 40; };
    const std::string text =
        "Error /some/where/file.c: 12  this message is long enough to wrap twice over";
    const Strings parts = WrapOutputLine(text, fits);
    ASSERT_EQ(parts.size(), 3u);
    // Cut back to the blank before the 40th character.
    EXPECT_EQ(parts[0], "Error /some/where/file.c: 12  this");
    EXPECT_EQ(parts[1].substr(0, 3), " + ");
    for (const std::string& p : parts) EXPECT_LE(p.size(), 40u);
    std::string joined = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i) joined += parts[i].substr(3);
    EXPECT_EQ(joined, text);

    // No blank or '(' near the cut: cut at the longest length that fits.
    const std::string word(70, 'x');
    const Strings hard = WrapOutputLine(word, fits);
    ASSERT_EQ(hard.size(), 2u);
    EXPECT_EQ(hard[0].size(), 40u);
    // Nothing fits even at 30 characters: the line stays whole.
    EXPECT_EQ(WrapOutputLine(word, [](std::string_view t) { return t.size() < 20; }),
              Strings{word});

    Strings pane = {"first", parts[0], parts[1], parts[2], "other"};
    EXPECT_EQ(WrappedMessageAt(pane, 3), text);
    EXPECT_EQ(WrappedMessageAt(pane, 1), text);
    EXPECT_EQ(WrappedMessageAt(pane, 4), "other");
    EXPECT_EQ(WrappedMessageAt(pane, 9), "");
}

class JumpTest : public testing::EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        saved = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        FrameOutputPane().Reset();
        ClearProject(CurrentProject());
        InstallBuild();
    }
    void TearDown() override {
        UninstallBuild();
        gOutputLineFits = nullptr;
        std::filesystem::current_path(saved);
        ReleaseAllDocuments();
        EditingTest::TearDown();
        FrameOutputPane().Reset();
    }
    std::filesystem::path saved;
};

TEST_F(JumpTest, WrappedDiagnosticOpensTheFileAtItsLineMarked) {
    std::string bytes;
    for (int i = 1; i <= 12; ++i) bytes += "line " + std::to_string(i) + "\n";
    dir.Write("src/main.c", bytes);
    Open({"other"}, "other.c");

    gOutputLineFits = [](std::string_view t) { return t.size() <= 40; };
    AddBuildLine("Build of hello");
    AddBuildLine("Warning src/main.c: 9  a warning whose text needs more than one line");
    const Strings& lines = FrameOutputPane().Lines(kBuildPage);
    ASSERT_GE(lines.size(), 3u);
    ASSERT_EQ(lines[2].substr(0, 3), " + ");

    // The double click on the continuation still jumps.
    EXPECT_TRUE(FrameOutputPane().DoubleClick(kBuildPage, 2));
    ASSERT_NE(CurrentView(), view);
    EXPECT_EQ(CurrentDocument()->name, dir.path() + "/src/main.c");
    EXPECT_EQ(CursorLineNumber(*CurrentView()), 9);
    EXPECT_EQ(CurrentView()->cursorColumn, 0);
    EXPECT_EQ(LineString(CurrentView()->cursor), "line 9");
    int marked = 0;
    for (Line* l : Lines(*CurrentDocument()))
        if (l->flags & kLineMarked) {
            ++marked;
            EXPECT_EQ(LineString(l), "line 9");
        }
    EXPECT_EQ(marked, 1);

    // A line that is not a diagnostic does nothing.
    EXPECT_TRUE(FrameOutputPane().DoubleClick(kBuildPage, 0));
    EXPECT_EQ(CursorLineNumber(*CurrentView()), 9);

    // An entry made while the file is open follows its line when lines are added above it;
    // the mark moves to the new place alone.
    auto entry = ParseDiagnostic("Error src/main.c: 4 x", false, dir.path());
    ASSERT_TRUE(entry);
    ASSERT_EQ(entry->document, CurrentDocument());
    PlaceCursor(*CurrentView(), 1, 0);
    InsertText("new\nnewer\n", 10);
    EXPECT_TRUE(JumpToDiagnostic(*entry));
    EXPECT_EQ(CursorLineNumber(*CurrentView()), 6);
    EXPECT_EQ(LineString(CurrentView()->cursor), "line 4");
    marked = 0;
    for (Line* l : Lines(*CurrentDocument())) marked += (l->flags & kLineMarked) ? 1 : 0;
    EXPECT_EQ(marked, 1);

    // The remembered line deleted: the number counts.
    auto gone = ParseDiagnostic("Error src/main.c: 3 x", false, dir.path());
    ASSERT_TRUE(gone);
    DeleteLine(*CurrentDocument(), gone->documentLine);
    EXPECT_TRUE(JumpToDiagnostic(*gone));
    EXPECT_EQ(CursorLineNumber(*CurrentView()), 3);
}

}  // namespace
}  // namespace velt
