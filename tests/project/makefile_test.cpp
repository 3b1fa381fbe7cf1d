#include "project/makefile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/files.h"
#include "project/project.h"
#include "project_fixture.h"

namespace velt {
namespace {

namespace pf = platform;

// The compiler's dependency mode stood in by a script: it logs each source it was asked
// about, fails for sources whose name holds "bad", and otherwise writes a fixed list (one
// entry with a blank) to the file named by -Fo.
constexpr char kFakeNimra[] = R"(#!/bin/sh
out=
for a in "$@"; do
  case "$a" in -Fo*) out="${a#-Fo}" ;; esac
  last="$a"
done
echo "$last" >> "$(dirname "$0")/scans.log"
case "$last" in *bad*) exit 3 ;; esac
printf '%s\n' /inc/stdio.h '/inc/my file.h' > "$out"
)";

class MakefileTest : public testing::ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        const std::string nimra = dir.Write("root/bin/nimra.exe", kFakeNimra);
        ::chmod(nimra.c_str(), 0755);
        out = work + "/out";
        pf::CreateDirectory(out);
        pf::SetCurrentDirectory(work);
        Project& p = CurrentProject();
        p.name = "hello";
        p.sourcesDir = work;
        p.make = std::make_unique<MakeSettings>();
        p.make->makeDir = out;
        p.compilerFlags = kCompileDebug2 | kTargetConsole;
        p.errorFile = "x.err";
    }
    void TearDown() override {
        gFileProcessorDialog = nullptr;
        ProjectTest::TearDown();
    }
    // The project's files as the file list holds them (upper case), in list order; each
    // source is created on disk in lower case.
    void Files(std::initializer_list<const char*> names) {
        Project& p = CurrentProject();
        p.files.clear();
        for (const char* n : names) {
            p.files.push_back(n);
            std::string lower = n;
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            dir.Write("work/" + lower, "int x;\n");
        }
    }
    bool Generate() { return GenerateMakefile(CurrentProject(), root); }
    std::string Makefile() const { return Read(out + "/Makefile"); }
    std::string Scans() const { return Read(root + "/bin/scans.log"); }
    bool Shown(const std::string& text) const {
        for (const auto& b : ui.boxes)
            if (b.text == text) return true;
        return false;
    }
    int CountShown(const std::string& text) const {
        int n = 0;
        for (const auto& b : ui.boxes) n += b.text == text;
        return n;
    }
    static int Count(const std::string& hay, const std::string& needle) {
        int n = 0;
        for (std::size_t at = hay.find(needle); at != std::string::npos;
             at = hay.find(needle, at + 1))
            ++n;
        return n;
    }

    std::string out;
};

TEST_F(MakefileTest, ConsoleProgramWithOneSourceIsWrittenByteForByte) {
    Files({"HELLO.C"});
    ASSERT_TRUE(Generate());
    const std::string link = "\t$(LINKER)  -subsystem console -o hello.exe $(OBJS) $(LIBS)\n";
    const std::string expected =
        "# Velt Makefile for project hello\n"
        "CFLAGS=-I" +
        root +
        "/include  -g2 \n"
        "CC=" +
        root +
        "/bin/nimra.exe\n"
        "LINKER=" +
        root +
        "/bin/nimralnk.exe\n"
        "OBJS=\\\n"
        "\thello.obj\n"
        "\n"
        "LIBS=\n"
        "\n"
        "hello.exe:\t$(OBJS) Makefile\n" +
        link +
        "\n"
        "# Build HELLO.C\n"
        "HELLO_C=\\\n"
        "\t/inc/stdio.h\\\n"
        "\t\"/inc/my file.h\"\\\n"
        "\n"
        "hello.obj: $(HELLO_C) " +
        work +
        "/hello.c\n"
        "\t$(CC) -c $(CFLAGS) " +
        work +
        "/hello.c\n"
        "\n"
        "link:\n" +
        link + "\n";
    EXPECT_EQ(Makefile(), expected);
    EXPECT_EQ(Scans(), work + "/hello.c\n");
    EXPECT_FALSE(pf::PathExists(work + "/" + kDependencyTempFile));
    EXPECT_EQ(CurrentProject().exe, "hello.exe");
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(MakefileGenerationInProgress());
}

TEST_F(MakefileTest, HeadersOnlyGiveAnEmptyObjectListAndNoScan) {
    Files({"A.H", "B.H"});
    ASSERT_TRUE(Generate());
    EXPECT_NE(Makefile().find("OBJS=\\\n\nLIBS=\n"), std::string::npos) << Makefile();
    EXPECT_EQ(Makefile().find("# Build"), std::string::npos);
    EXPECT_FALSE(pf::PathExists(root + "/bin/scans.log"));
}

TEST_F(MakefileTest, NamesWithBlanksAreQuotedInObjectsRuleAndCommand) {
    Files({"MY PROG.C", "UTIL.H"});
    ASSERT_TRUE(Generate());
    const std::string mk = Makefile();
    // Not the last file of the list: the continuation follows.
    EXPECT_NE(mk.find("OBJS=\\\n\t\"my prog.obj\" \\\n\n"), std::string::npos) << mk;
    EXPECT_NE(mk.find("# Build MY PROG.C\nMY_PROG_C=\\\n\t/inc/stdio.h\\\n"), std::string::npos);
    EXPECT_NE(mk.find("\"my prog.obj\": $(MY_PROG_C) \"" + work +
                      "/my prog.c\"\n"
                      "\t$(CC) -c $(CFLAGS) \"" +
                      work + "/my prog.c\"\n"),
              std::string::npos)
        << mk;
    // The scan got the name as one argument.
    EXPECT_EQ(Scans(), work + "/my prog.c\n");
}

TEST_F(MakefileTest, ResourcesListedCompiledOrIgnored) {
    CurrentProject().compilerFlags = kTargetWindows;
    Files({"FOO.RES", "MAIN.C"});
    ASSERT_TRUE(Generate());
    std::string mk = Makefile();
    EXPECT_NE(mk.find("OBJS=\\\n\t" + work + "/foo.res \\\n\tmain.obj\n"), std::string::npos) << mk;
    EXPECT_EQ(mk.find("foo.res:"), std::string::npos);
    EXPECT_FALSE(Shown("Windows program but no resources defined?"));

    // A script is compiled; a second one is not linked but still gets its rule.
    Files({"DLG.RC", "MORE.RC", "MAIN.C"});
    ASSERT_TRUE(Generate());
    mk = Makefile();
    EXPECT_NE(mk.find("OBJS=\\\n\tdlg.res \\\n\tmain.obj\n"), std::string::npos) << mk;
    EXPECT_TRUE(
        Shown("You have already defined resources for this project.\nMORE.RC will be "
              "ignored"));
    EXPECT_NE(mk.find("\n# Build 'dlg.res'\nDLG_RC=\\\n\t/inc/stdio.h\\\n\t\"/inc/my file.h\"\\\n"
                      "\ndlg.res:\t$(DLG_RC) " +
                      work +
                      "/dlg.rc\n"
                      "\tnimrarc -I" +
                      work + " -I" + root + "/include  " + work + "/dlg.rc\n"),
              std::string::npos)
        << mk;
    EXPECT_NE(mk.find("more.res:\t$(MORE_RC) " + work + "/more.rc\n"), std::string::npos);

    // A Windows program without any resource is warned about at both link commands.
    ui.boxes.clear();
    Files({"MAIN.C"});
    ASSERT_TRUE(Generate());
    EXPECT_EQ(CountShown("Windows program but no resources defined?"), 2);
    EXPECT_NE(Makefile().find("$(LINKER)  -subsystem windows -o hello.exe"), std::string::npos);
}

TEST_F(MakefileTest, LinkOptionsOfDllsLibrariesAndMaps) {
    Project& p = CurrentProject();
    Files({"MAIN.C"});
    p.compilerFlags = kTargetDll | kCompileNoDebugLink | kLinkNoUnderscores;
    p.dllEntry = "LibMain";
    ASSERT_TRUE(Generate());
    EXPECT_NE(Makefile().find("\t$(LINKER)  -s -dll -nounderscores -o hello.dll $(OBJS)"),
              std::string::npos)
        << Makefile();
    p.dllEntry = "Start";
    p.linkerArgs = "-x y";
    ASSERT_TRUE(Generate());
    EXPECT_NE(Makefile().find("$(LINKER)  -s -dll -entry Start -x y -nounderscores -o hello.dll"),
              std::string::npos);

    p.compilerFlags = kTargetConsole | kLinkMap;
    p.dllEntry.clear();
    p.linkerArgs.clear();
    p.exe = "my app.exe";
    EXPECT_EQ(LinkOptionsText(p), " -subsystem console -map \"my app.map\"");
    p.exe = "app";
    EXPECT_EQ(LinkOptionsText(p), " -subsystem console");

    // A library is made by the librarian under its .lib name, target line included.
    p.compilerFlags = kTargetLibrary;
    p.exe = "util.exe";
    ASSERT_TRUE(Generate());
    const std::string mk = Makefile();
    EXPECT_EQ(p.exe, "util.lib");
    EXPECT_NE(mk.find("\nutil.lib:\t$(OBJS) Makefile\n\t" + root +
                      "/bin/nimralib /OUT:util.lib $(OBJS)\n"),
              std::string::npos)
        << mk;
}

TEST_F(MakefileTest, FortranSourceAddsItsLibraryOnce) {
    Project& p = CurrentProject();
    p.fortranFlags = 0x41;
    p.libraries = "gdi32.lib";
    Files({"CALC.F"});
    ASSERT_TRUE(Generate());
    ASSERT_TRUE(Generate());
    const std::string mk = Makefile();
    EXPECT_EQ(p.libraries, "gdi32.lib libf77.lib");
    EXPECT_NE(mk.find("\tcalc.obj\n\nFFLAGS= -u -g\n\nLIBS=gdi32.lib libf77.lib\n"),
              std::string::npos)
        << mk;
    EXPECT_NE(mk.find("\ncalc.obj: " + work + "/calc.f\n\t$(F2C) $(FFLAGS) " + work + "/calc.f\n"),
              std::string::npos)
        << mk;
    EXPECT_EQ(mk.find("CALC_F"), std::string::npos);
    EXPECT_FALSE(pf::PathExists(root + "/bin/scans.log"));
}

TEST_F(MakefileTest, SourceWithTwoDotsIsCompiledUnderItsObjectListName) {
    Files({"A.B.C"});
    ASSERT_TRUE(Generate());
    const std::string mk = Makefile();
    EXPECT_NE(mk.find("OBJS=\\\n\ta.b.obj\n"), std::string::npos) << mk;
    EXPECT_NE(mk.find("# Build A.B.C\nA_B_C=\\\n"), std::string::npos);
    EXPECT_NE(mk.find("\na.b.obj: $(A_B_C) " + work + "/a.b.c\n"), std::string::npos) << mk;
}

TEST_F(MakefileTest, HandWrittenMakefileIsMovedAsideOursIsOverwritten) {
    Files({"HELLO.C"});
    dir.Write("work/out/Makefile", "all:\n\tcc hello.c\n");
    dir.Write("work/out/Makefile.old", "older\n");
    ASSERT_TRUE(Generate());
    EXPECT_EQ(Read(out + "/Makefile.old"), "all:\n\tcc hello.c\n");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_NE(ui.boxes[0].text.find(out + "/Makefile.old"), std::string::npos);
    EXPECT_EQ(Makefile().rfind(kMakefileMarker, 0), 0u);

    pf::DeleteFile(out + "/Makefile.old");
    ui.boxes.clear();
    ASSERT_TRUE(Generate());
    EXPECT_FALSE(pf::PathExists(out + "/Makefile.old"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MakefileTest, FailedScansAreReportedOnceAndLeaveLaterListsEmpty) {
    Files({"BAD1.C", "BAD2.C", "GOOD.C"});
    ASSERT_TRUE(Generate());
    const std::string mk = Makefile();
    ASSERT_EQ(ui.boxes.size(), 1u);
    const std::string& text = ui.boxes[0].text;
    EXPECT_EQ(text.rfind("Impossible to execute\n" + root + "/bin/nimra.exe -M -Fo", 0), 0u);
    EXPECT_NE(text.find("bad1.c\nto find out the dependencies.\nError code 3"), std::string::npos)
        << text;
    EXPECT_NE(mk.find("GOOD_C=\\\n\n"), std::string::npos) << mk;
    EXPECT_EQ(Scans(), work + "/bad1.c\n" + work + "/bad2.c\n" + work + "/good.c\n");

    // A source missing on disk is not scanned and never inherits an earlier list.
    ui.boxes.clear();
    Files({"DLG.RC", "GONE.C"});
    pf::DeleteFile(work + "/gone.c");
    ASSERT_TRUE(Generate());
    EXPECT_NE(Makefile().find("GONE_C=\\\n\n"), std::string::npos) << Makefile();
}

TEST_F(MakefileTest, UnknownFileNeedsAProcessor) {
    Files({"MAIN.C", "TABLE.Y"});
    ASSERT_FALSE(Generate());
    EXPECT_TRUE(
        Shown("I do not know how to handle TABLE.Y\nPlease define how it should be "
              "handled in the makefile"));
    EXPECT_TRUE(Shown("Cannot generate the makefile"));
    EXPECT_FALSE(MakefileGenerationInProgress());

    int asked = 0;
    gFileProcessorDialog = [&asked](FileProcessorRecord& r) {
        ++asked;
        EXPECT_EQ(r.file, "TABLE.Y");
        EXPECT_FALSE(r.Accept());  // both fields are needed
        r.command = "Yacc TABLE.Y";
        r.output = "TABLE.C";
        return r.Accept();
    };
    ASSERT_TRUE(Generate());
    ASSERT_TRUE(Generate());  // the processor is kept: asked once
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(Shown("You must fill both fields"));
    EXPECT_NE(Makefile().find("table.c:\ttable.y\n\tyacc table.y\n"), std::string::npos)
        << Makefile();
}

TEST_F(MakefileTest, CompilerSwitchesInTheirOrder) {
    EXPECT_EQ(CompilerFlagsText("", "", 0, "/r"), "-I/r/include ");
    EXPECT_EQ(CompilerFlagsText("/a;/my dir;", "X;Y=1", 0, "/r"), "-I/a -I\"/my dir\" -DX -DY=1 ");
    // The delimiter is chosen anew for the rest of the text.
    EXPECT_EQ(CompilerFlagsText("/a", "A B;C,D E", 0, "/r"), "-I/a -DA B -DC -DD -DE ");
    const std::uint32_t all = 0x4 | 0x10 | 0x1000 | 0x800 | 0x8 | 0x20 | 0x200 | 0x4000 | 0x8000 |
                              0x10000 | 0x20000 | 0x40000 | 0x80000 | 0x200000 | 0x800000 |
                              0x1000000;
    EXPECT_EQ(CompilerFlagsText("/a", "", all, "/r"),
              "-I/a  -O  -x  -g4  -S  -A  -Zp1  -Zp2  -Zp4  -Zp8  -Zp16  -z  -p6 -unused -ansic");
    EXPECT_EQ(CompilerFlagsText("/a", "", 0x808, "/r"), "-I/a  -g3 ");
    EXPECT_EQ(FortranFlagsText(0xFF), " -u -U -R -r -a -c -g -C");
    EXPECT_EQ(DependencyVariable("/x/my dlg.rc"), "MY_DLG_RC");

    Project p;
    AddLibrary(p, "/r", "/R/LIB/Kernel32.LIB");
    EXPECT_EQ(p.libraries, "/r/lib/kernel32.lib");
    AddLibrary(p, "/r", "/r/lib/USER32.lib");
    AddLibrary(p, "/r", "KERNEL32.LIB");
    EXPECT_EQ(p.libraries, "/r/lib/kernel32.lib user32.lib");
}

TEST_F(MakefileTest, MissingMakeDirectoryIsOfferedOrMadeByDefault) {
    Files({"HELLO.C"});
    CurrentProject().make->makeDir = work + "/absent";
    EXPECT_FALSE(Generate());  // the question is answered No
    EXPECT_FALSE(pf::PathExists(work + "/absent"));
    ui.Answer(kIdYes);
    EXPECT_TRUE(Generate());
    EXPECT_TRUE(pf::IsRegularFile(work + "/absent/Makefile"));

    pf::CreateDirectory(work + "/nimra");
    CurrentProject().make->makeDir.clear();
    ui.boxes.clear();
    ASSERT_TRUE(Generate());
    EXPECT_EQ(CurrentProject().make->makeDir, work + "/nimra1");
    EXPECT_TRUE(Shown("Project directory is:\n" + work + "/nimra1"));

    ClearProject(CurrentProject());
    EXPECT_FALSE(Generate());
    EXPECT_TRUE(Shown("No project defined"));
}

}  // namespace
}  // namespace velt
