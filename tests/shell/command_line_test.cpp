#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/process.h"
#include "recording_documents.h"
#include "scoped_env.h"
#include "scripted_ui.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::ParseCommandLine;
using velt::StartupOptions;
using velt::testing::RecordingDocuments;
using velt::testing::ScopedCurrentDirectory;
using velt::testing::ScriptedUi;
using velt::testing::TempDir;
using Names = std::vector<std::string>;

namespace {

std::string Canonical(const std::string& p) {
    return std::filesystem::canonical(p).string();
}

// ---- reading the line

TEST(CommandLineOptions, ProjectTakesTheRestOfTheLineAndNoFiles) {
    StartupOptions o = ParseCommandLine("a.c /prj:MyProj", true);
    EXPECT_EQ(o.project, "myproj");
    EXPECT_FALSE(o.anotherInstance);
    EXPECT_TRUE(o.filePatterns.empty());

    o = ParseCommandLine("/prj:My Proj -p 12", false);
    EXPECT_EQ(o.project, "my proj -p 12");
    EXPECT_EQ(o.attachPid, 0u);

    o = ParseCommandLine("-w \"/prj:Two Words\"", true);
    EXPECT_EQ(o.project, "two words");
    EXPECT_FALSE(o.splash);
    EXPECT_FALSE(o.anotherInstance);

    // Inside a file name it is no option.
    o = ParseCommandLine("notes/prj:x", false);
    EXPECT_TRUE(o.project.empty());
    EXPECT_EQ(o.filePatterns, Names{"notes/prj:x"});
}

TEST(CommandLineOptions, SplashAndSessionSwitches) {
    StartupOptions o = ParseCommandLine("", false);
    EXPECT_FALSE(o.lineGiven);
    EXPECT_TRUE(o.splash && o.restoreSession && o.saveSession);

    for (const char* line : {"-w", "/W", "/ww", "-WW a.c"}) {
        o = ParseCommandLine(line, false);
        EXPECT_FALSE(o.splash) << line;
        EXPECT_FALSE(o.restoreSession) << line;
        EXPECT_FALSE(o.saveSession) << line;
    }
    o = ParseCommandLine("-f", false);
    EXPECT_TRUE(o.splash);
    EXPECT_FALSE(o.restoreSession);
    EXPECT_FALSE(o.saveSession);

    o = ParseCommandLine("/n", false);
    EXPECT_TRUE(o.splash);
    EXPECT_TRUE(o.restoreSession);
    EXPECT_FALSE(o.saveSession);

    o = ParseCommandLine("/x -q", false);
    EXPECT_TRUE(o.lineGiven);
    EXPECT_TRUE(o.splash && o.restoreSession && o.saveSession);
    EXPECT_TRUE(o.filePatterns.empty());
}

TEST(CommandLineOptions, AttachOptionsTakeTheirNumbers) {
    StartupOptions o = ParseCommandLine("/p 123 /e 45", false);
    EXPECT_EQ(o.attachPid, 123u);
    EXPECT_EQ(o.attachEvent, 45u);
    EXPECT_TRUE(o.anotherInstance);
    EXPECT_FALSE(o.restoreSession);
    EXPECT_FALSE(o.saveSession);
    EXPECT_TRUE(o.filePatterns.empty());  // the numbers are no file names

    o = ParseCommandLine("-D77 -e9", false);
    EXPECT_EQ(o.attachPid, 77u);
    EXPECT_EQ(o.attachEvent, 9u);

    // An event alone attaches nothing and keeps the session.
    o = ParseCommandLine("/e45", false);
    EXPECT_EQ(o.attachPid, 0u);
    EXPECT_FALSE(o.anotherInstance);
    EXPECT_TRUE(o.restoreSession);

    // No usable number: nothing to attach to, and the next token stays a file.
    for (const char* line : {"/p a.c", "/p 0 a.c", "/p 99999999999 a.c"}) {
        o = ParseCommandLine(line, false);
        EXPECT_EQ(o.attachPid, 0u) << line;
        EXPECT_FALSE(o.anotherInstance) << line;
        EXPECT_TRUE(o.restoreSession) << line;
        EXPECT_EQ(o.filePatterns.back(), "a.c") << line;
    }
}

TEST(CommandLineOptions, FileTokensAndPaths) {
    // Absolute names are files, even where they hold "/p", "/d" or "/f".
    StartupOptions o = ParseCommandLine("/home/dev/proj/File.C \"My File.c\" b-x.h", false);
    EXPECT_EQ(o.filePatterns, (Names{"/home/dev/proj/file.c", "my file.c", "b-x.h"}));
    EXPECT_EQ(o.attachPid, 0u);
    EXPECT_TRUE(o.restoreSession && o.saveSession && o.splash);
}

TEST(CommandLineOptions, ProgramEndsTheLineAndKeepsItsArguments) {
    StartupOptions o = ParseCommandLine("a.c Tools/Prog.EXE -Flag \"two words\" /p 5 -w", false);
    EXPECT_EQ(o.filePatterns, Names{"a.c"});
    EXPECT_TRUE(o.debugStart);
    EXPECT_EQ(o.debuggerExeName, "tools/prog.exe");
    EXPECT_EQ(o.debuggerArguments, "-Flag \"two words\" /p 5 -w");
    // What follows the program is its own: no attach, no switches.
    EXPECT_EQ(o.attachPid, 0u);
    EXPECT_TRUE(o.splash && o.restoreSession);
}

TEST(CommandLineText, ProgramNameAndArgumentVectors) {
    EXPECT_EQ(velt::SkipProgramName("\"/opt/My Velt/velt\"  a.c b.c"), "a.c b.c");
    EXPECT_EQ(velt::SkipProgramName("velt \t-w x"), "-w x");
    EXPECT_EQ(velt::SkipProgramName("velt"), "");
    EXPECT_EQ(velt::SkipProgramName("\"unterminated name"), "");

    Names args{"a b", "c", "", "-p"};
    std::string line = velt::CommandLineFromArguments(args);
    EXPECT_EQ(line, "\"a b\" c \"\" -p");
    EXPECT_EQ(pf::SplitCommandLine(line), args);
}

// ---- opening what the line names

class CommandLineFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        root = Canonical(t.path());
        start = root + "/start";
        elsewhere = root + "/elsewhere";
        pf::CreateDirectory(start);
        pf::CreateDirectory(elsewhere);
        // The files are looked for from the start directory, whatever the current one is.
        pf::SetCurrentDirectory(elsewhere);
    }

    StartupOptions Open(const std::string& line) {
        StartupOptions o = ParseCommandLine(line, false);
        velt::OpenCommandLineFiles(o, start);
        return o;
    }

    TempDir t;
    ScopedCurrentDirectory keepCwd;
    ScriptedUi ui;
    RecordingDocuments docs;
    std::string root, start, elsewhere;
};

TEST_F(CommandLineFiles, PatternOpensEveryMatchingFile) {
    t.Write("start/a.c", "");
    t.Write("start/B.C", "");
    t.Write("start/x.h", "");
    pf::CreateDirectory(start + "/dir.c");
    StartupOptions o = Open("*.c");
    EXPECT_EQ(docs.opened, (Names{start + "/B.C", start + "/a.c"}));
    EXPECT_EQ(o.filesOpened, docs.opened);
    EXPECT_TRUE(o.openedAnything);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(pf::CurrentDirectory(), start);
}

TEST_F(CommandLineFiles, NamesReachTheFilesWhateverTheirCase) {
    t.Write("start/My File.c", "");
    t.Write("start/Sub/ReadMe.TXT", "");
    StartupOptions o = Open("\"my file.c\" SUB/readme.txt");
    EXPECT_EQ(docs.opened, (Names{start + "/My File.c", start + "/Sub/ReadMe.TXT"}));
    // The current directory ends where the last file opened lives.
    EXPECT_EQ(pf::CurrentDirectory(), start + "/Sub");
    EXPECT_EQ(o.filesOpened.size(), 2u);
}

TEST_F(CommandLineFiles, MissingNameIsReportedAndDirectoryRestored) {
    t.Write("start/a.c", "");
    StartupOptions o = Open("NoSuch.c");
    EXPECT_TRUE(docs.opened.empty());
    EXPECT_FALSE(o.openedAnything);
    EXPECT_EQ(ui.Texts(), Names{"[nosuch.c]: incorrect file name"});
    EXPECT_EQ(pf::CurrentDirectory(), elsewhere);

    // A file the editor refuses was reported by the editor: no second message.
    ui.Clear();
    docs.refuse.insert(start + "/a.c");
    o = Open("a.c");
    EXPECT_EQ(docs.opened, Names{start + "/a.c"});
    EXPECT_FALSE(o.openedAnything);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(pf::CurrentDirectory(), elsewhere);
}

TEST_F(CommandLineFiles, ProgramSwitchesToDebugStart) {
    t.Write("start/a.c", "");
    t.Write("start/bin/Prog.exe", "");
    StartupOptions o = Open("a.c BIN/PROG.EXE Arg1 \"Arg 2\"");
    EXPECT_EQ(docs.opened, Names{start + "/a.c"});
    EXPECT_TRUE(o.debugStart);
    EXPECT_EQ(o.debuggerExeName, start + "/bin/Prog.exe");
    EXPECT_EQ(o.debuggerDir, start + "/bin");
    EXPECT_EQ(o.debuggerArguments, "Arg1 \"Arg 2\"");
    EXPECT_EQ(pf::CurrentDirectory(), start + "/bin");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, velt::DebuggingUnavailableText(start + "/bin/Prog.exe"));
    EXPECT_EQ(ui.boxes[0].caption, "Information");

    ui.Clear();
    pf::SetCurrentDirectory(elsewhere);
    o = Open("gone.exe x");
    EXPECT_FALSE(o.debugStart);
    EXPECT_TRUE(o.debuggerExeName.empty());
    EXPECT_EQ(ui.Texts(), Names{"[gone.exe]: incorrect file name"});
    EXPECT_EQ(pf::CurrentDirectory(), elsewhere);
}

}  // namespace
