#include "project/project_file.h"

#include <gtest/gtest.h>

#include <chrono>

#include "project_fixture.h"

namespace velt::testing {
namespace {

using ProjectFile = ProjectTest;

OpenDocumentState Doc(const std::string& name, int line, ScreenRect rect, bool temporary = false) {
    OpenDocumentState d;
    d.name = name;
    d.line = line;
    d.rect = rect;
    d.temporary = temporary;
    return d;
}

TEST_F(ProjectFile, ASaveWritesEveryKeyInOrderAndLoadsBack) {
    const std::string prj = WriteProject("demo", "");
    ASSERT_TRUE(Load("demo"));
    Project& p = CurrentProject();
    p.sourcesDir = "/src";
    p.defines = "DEBUG;X=1";
    p.includes = "/inc";
    p.libraries = "libm.lib";
    p.linkerArgs = "-map";
    p.make = std::make_unique<MakeSettings>(MakeSettings{"/root/bin/make.exe", "-s", "/src/out"});
    p.exe = "demo.exe";
    p.compilerFlags = kCompileDebug2 | kTargetConsole;
    p.projectFlags = kProjectUsesCms;
    p.breakpoints = {{"/src/main.c", 12}, {"/src/util.c", 40}};
    p.errorFile = "/src/out/demo.err";
    p.fileProcessors.push_front({"doc.txt", "conv doc.txt", "doc.html"});
    settings.debuggerArguments = "-v";
    settings.debuggerExeName = "/src/out/demo.exe";
    SetProjectUserName("alice");
    platform::SetCurrentDirectory(work);

    SaveContext windows;
    windows.frameX = 10;
    windows.frameY = 20;
    windows.frameCX = 800;
    windows.frameCY = 600;
    windows.filesToolbar = ScreenRect{5, 6, 105, 306};
    windows.currentFile = "/src/main.c";
    // The active window first; a maximised one has a negative right, a minimised one a
    // negative left; a document that exists only in memory is not recorded.
    windows.documents = {Doc("/src/main.c", 3, {10, 20, -30, 40}), Doc("untitled", 1, {}, true),
                         Doc("/src/my file.c", 7, {-50, 60, 700, 500})};
    ASSERT_TRUE(SaveProjectWith(windows));

    EXPECT_EQ(Read(prj),
              "; Velt project file. Syntax: Name = value\n"
              "[demo]\n"
              "Frame=10 20 800 600\n"
              "StatusBar=5,6,105,306\n"
              "Name=demo\n"
              "CurrentFile=/src/main.c\n"
              "OpenFiles=2\n"
              "OpenFile1=\"/src/my file.c\" 7 -50 60 700 500\n"
              "OpenFile2=\"/src/main.c\" 3 10 20 -30 40\n"
              "ProjectPath=" +
                  work +
                  "\n"
                  "SourcesDir=/src\n"
                  "Defines=DEBUG;X=1\n"
                  "Includes=/inc\n"
                  "Libraries=libm.lib\n"
                  "LinkerArgs=-map\n"
                  "MakeName=/root/bin/make.exe\n"
                  "MakeArgs=-s\n"
                  "MakeDir=/src/out\n"
                  "Exe=demo.exe\n"
                  "DebuggerArguments=-v\n"
                  "DbgExeName=/src/out/demo.exe\n"
                  "DbgDir=/src/out\n"
                  "CompilerFlags=136\n"
                  "ProjectFlags=1\n"
                  "FortranFlags=0\n"
                  "EiffelFlags=0\n"
                  "NumberOfBreakpoints=2\n"
                  "BreakPoint1=/src/main.c@12\n"
                  "BreakPoint2=/src/util.c@40\n"
                  "ErrorFile=/src/out/demo.err\n"
                  "NrOfFileProcessors=1\n"
                  "FileProcessor1=doc.txt#conv doc.txt#doc.html\n"
                  "UserName=alice\n");

    platform::ProfileForgetCache();
    ASSERT_TRUE(Load("demo"));
    const Project& q = CurrentProject();
    // Read back at the head: the last key first. The quotes stay part of the name.
    ASSERT_EQ(q.openFiles.size(), 2u);
    EXPECT_EQ(q.openFiles[0].name, "\"/src/main.c\"");
    EXPECT_TRUE(q.openFiles[0].maximised());
    EXPECT_FALSE(q.openFiles[0].minimised());
    EXPECT_EQ(q.openFiles[1].name, "\"/src/my file.c\"");
    EXPECT_EQ(q.openFiles[1].line, 7);
    EXPECT_TRUE(q.openFiles[1].minimised());
    EXPECT_EQ(settings.reopenFiles, (std::vector<std::string>{"\"/src/my file.c\" 7 -50 60 700 500",
                                                              "\"/src/main.c\" 3 10 20 -30 40"}));
    EXPECT_EQ(q.frameCX, 800);
    EXPECT_EQ(ProjectFilesToolbar().right, 105);
    ASSERT_TRUE(q.make);
    EXPECT_EQ(q.make->makeArgs, "-s");
    EXPECT_EQ(q.compilerFlags, 0x88u);
    ASSERT_EQ(q.breakpoints.size(), 2u);
    EXPECT_EQ(q.breakpoints[1].line, 40);
    ASSERT_EQ(q.fileProcessors.size(), 1u);
    EXPECT_EQ(q.fileProcessors[0].command, "conv doc.txt");
    EXPECT_EQ(settings.debuggerDir, "/src/out");
}

TEST_F(ProjectFile, WithoutADocumentNoWindowIsRecordedAndOldKeysStayUnread) {
    const std::string prj = WriteProject("demo",
                                         "OpenFiles=2\n"
                                         "OpenFile1=\"/a b.c\" 1 2 3 4 5\n"
                                         "OpenFile2=/c.c 1 2 3 4 5\n"
                                         "ExeMajorVersion=3\n"
                                         "Custom = kept as it was\n");
    ASSERT_TRUE(Load("demo"));
    EXPECT_EQ(CurrentProject().openFiles.size(), 2u);
    ASSERT_TRUE(SaveProjectWith(SaveContext{}));
    const std::string bytes = Read(prj);
    EXPECT_NE(bytes.find("OpenFiles=0\nOpenFile1=\"/a b.c\" 1 2 3 4 5\nOpenFile2=/c.c 1 2 3 4 5\n"
                         "ExeMajorVersion=3\nCustom = kept as it was\n"),
              std::string::npos)
        << bytes;
    // No make settings: none of their keys is written.
    EXPECT_EQ(bytes.find("MakeName"), std::string::npos);
    EXPECT_EQ(bytes.find("DbgDir"), std::string::npos);

    ASSERT_TRUE(Load("demo"));
    EXPECT_TRUE(CurrentProject().openFiles.empty());
    EXPECT_EQ(CurrentProject().exeMajorVersion, 3);
}

TEST_F(ProjectFile, MissingKeysReadTheirDefaults) {
    WriteProject("demo", "");
    ASSERT_TRUE(Load("demo"));
    const Project& p = CurrentProject();
    EXPECT_EQ(p.name, "demo");
    EXPECT_EQ(p.compilerFlags, 8u);
    EXPECT_EQ(p.projectFlags, 8u);
    EXPECT_EQ(p.exeMajorVersion, 1);
    EXPECT_EQ(p.exeMinorVersion, 0);
    EXPECT_FALSE(p.make);
    EXPECT_FALSE(EiffelToolChainActive());
    EXPECT_EQ(CompileMenuText(), "Make\tF9");

    // A name that is not in the table reads nothing.
    EXPECT_FALSE(Load("other"));
    EXPECT_FALSE(ProjectIsOpen() && CurrentProject().name == "other");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ProjectFile, LongValuesAreCutToTheirFields) {
    const std::string longText(600, 'x');
    WriteProject("demo", "ProjectPath=" + longText + "\nDefines=" + longText +
                             "\nProjectFlags=2\nEiffelRootClass=ROOT\nEiffelRootProcedure=make\n"
                             "CompilerFlags=99999999999\n");
    ASSERT_TRUE(Load("demo"));
    const Project& p = CurrentProject();
    EXPECT_EQ(p.projectPath.size(), 399u);
    EXPECT_EQ(p.defines.size(), 511u);
    EXPECT_EQ(p.compilerFlags, 0x7FFFFFFFu);
    EXPECT_EQ(p.eiffelRootProcedure, "make");
    EXPECT_TRUE(EiffelToolChainActive());
    EXPECT_EQ(CompileMenuText(), "compile ROOT");
}

TEST_F(ProjectFile, BreakpointsEndAtTheFirstEmptyKey) {
    WriteProject("demo",
                 "NumberOfBreakpoints=6\n"
                 "BreakPoint1=/a.c@10\n"
                 "BreakPoint2=no line here\n"
                 "BreakPoint3=/b.c@ 20x\n"
                 "BreakPoint4=\n"
                 "BreakPoint5=/c.c@30\n");
    ASSERT_TRUE(Load("demo"));
    const std::vector<BreakpointEntry>& b = CurrentProject().breakpoints;
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].file, "/a.c");
    EXPECT_EQ(b[0].line, 10);
    EXPECT_EQ(b[1].file, "/b.c");
    EXPECT_EQ(b[1].line, 20);
}

TEST_F(ProjectFile, BadValuesOpenWithWhatCanBeRead) {
    const std::string prj = WriteProject("demo",
                                         "Frame=12 34 garbage 7\n"
                                         "OpenFiles=1000000\n"
                                         "OpenFile1=/a.c 5\n"
                                         "OpenFile2=\"/unclosed name 1 2\n"
                                         "NrOfFileProcessors=3\n"
                                         "FileProcessor1=a.x#cmd a#a.y\n"
                                         "FileProcessor2=b.x#only one\n"
                                         "FileProcessor3=c.x#c#c.y\n"
                                         "StatusBar=1, 2,3,4\n");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Load("demo"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    const Project& p = CurrentProject();
    EXPECT_EQ(p.frameX, 12);
    EXPECT_EQ(p.frameY, 34);
    EXPECT_EQ(p.frameCX, 0);
    EXPECT_EQ(p.frameCY, 0);
    ASSERT_EQ(p.openFiles.size(), 2u);
    EXPECT_EQ(p.openFiles[1].name, "/a.c");
    EXPECT_EQ(p.openFiles[1].line, 5);
    EXPECT_EQ(p.openFiles[1].left, 0);
    EXPECT_EQ(p.openFiles[0].name, "\"/unclosed name 1 2");
    EXPECT_EQ(p.openFiles[0].line, 0);
    ASSERT_EQ(p.fileProcessors.size(), 1u);
    EXPECT_EQ(p.fileProcessors[0].output, "a.y");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{
                              "Incorrect format in key 'FileProcessor' stored in registry"});
    // "%d,%d": blanks before a number are skipped, none before a comma.
    EXPECT_EQ(ProjectFilesToolbar().top, 2);
    EXPECT_EQ(ProjectFilesToolbar().right, 3);

    // A save rewrites only its own keys: the processor after the bad one stays in the file.
    ASSERT_TRUE(SaveProjectWith(SaveContext{}));
    const std::string bytes = Read(prj);
    EXPECT_NE(bytes.find("NrOfFileProcessors=1\nFileProcessor1=a.x#cmd a#a.y\n"
                         "FileProcessor2=b.x#only one\nFileProcessor3=c.x#c#c.y\n"),
              std::string::npos)
        << bytes;
    EXPECT_NE(bytes.find("Frame=12 34 0 0\n"), std::string::npos);
}

TEST_F(ProjectFile, AMissingSectionLoadsDefaultsAndASaveAddsIt) {
    const std::string prj = WriteProject("demo", "");
    dir.Write("work/demo.prj", "; Velt project file. Syntax: Name = value\n[other]\nExe=x\n");
    ASSERT_TRUE(Load("demo"));
    EXPECT_EQ(CurrentProject().exe, "");
    CurrentProject().exe = "demo.exe";
    ASSERT_TRUE(SaveProjectWith(SaveContext{}));
    ASSERT_TRUE(Load("demo"));
    EXPECT_EQ(CurrentProject().name, "demo");
    EXPECT_EQ(
        Read(prj).rfind("; Velt project file. Syntax: Name = value\n[other]\nExe=x\n[demo]\n", 0),
        0u);
}

TEST_F(ProjectFile, AFileListComesBackReversedWithItsDependencies) {
    const std::string prj = WriteProject("demo",
                                         "PrjFiles=4\n"
                                         "File1=main.c\n"
                                         "File2=io.c\n"
                                         "File3=Main.C\n"
                                         "File4=util.c\n"
                                         "File1Dependencies=3\n"
                                         "File1Dependencies1=a.h\n"
                                         "File1Dependencies2=\n"
                                         "File1Dependencies3=b.h\n"
                                         "File2Dependencies=1\n"
                                         "File2Dependencies1=io.h\n");
    ASSERT_TRUE(Load("demo"));
    ASSERT_TRUE(LoadProjectFileList());
    Project& p = CurrentProject();
    // Upper-cased and kept once, the last key first.
    EXPECT_EQ(p.files, (std::deque<std::string>{"UTIL.C", "IO.C", "MAIN.C"}));
    ASSERT_EQ(p.dependencies.size(), 2u);
    EXPECT_EQ(p.dependencies[0].file, "IO.C");
    EXPECT_EQ(p.dependencies[1].file, "MAIN.C");
    EXPECT_EQ(p.dependencies[1].includes, (std::deque<std::string>{"b.h", "a.h"}));

    ASSERT_EQ(SaveProjectFiles(kSaveFileList), 1);
    const std::string bytes = Read(prj);
    // UTIL.C now has the first place and no dependencies: the count of the file that had
    // that place before becomes 0. A place without a count gets none.
    EXPECT_NE(bytes.find("PrjFiles=3\nFile1=UTIL.C\nFile2=IO.C\nFile3=MAIN.C\nFile4=util.c\n"
                         "File1Dependencies=0\nFile1Dependencies1=a.h\nFile1Dependencies2="
                         "\nFile1Dependencies3=b.h\n"
                         "File2Dependencies=1\nFile2Dependencies1=io.h\n"
                         "File3Dependencies=2\nFile3Dependencies1=b.h\nFile3Dependencies2=a.h\n"
                         "UserCount=0\nCmsDirectory=\nPutOptions=4\nGetOptions=0\n"
                         "FileOptions=0\nLockOptions=1\nUsersOptions=1\nProjectFlags=8\n"),
              std::string::npos)
        << bytes;

    // Read again, every file keeps its own dependencies.
    platform::ProfileForgetCache();
    ASSERT_TRUE(LoadProjectFileList());
    EXPECT_EQ(p.files, (std::deque<std::string>{"MAIN.C", "IO.C", "UTIL.C"}));
    ASSERT_EQ(p.dependencies.size(), 2u);
    EXPECT_EQ(p.dependencies[0].file, "MAIN.C");
    EXPECT_EQ(p.dependencies[0].includes, (std::deque<std::string>{"a.h", "b.h"}));
    EXPECT_EQ(p.dependencies[1].file, "IO.C");

    // Saving is disabled: nothing is written.
    settings.saveEnabled = false;
    EXPECT_EQ(SaveProjectFiles(kSaveFileList | kSaveReleases), 0);
}

TEST_F(ProjectFile, TheLanguageFlagsComeWithTheFileListOnlyAfterACmsDirectory) {
    const std::string keys = "PrjFiles=0\nProjectFlags=4\nFortranFlags=3\nEiffelFlags=9\n";
    WriteProject("demo", keys);
    ASSERT_TRUE(Load("demo"));
    ASSERT_TRUE(LoadProjectFileList());
    EXPECT_EQ(CurrentProject().fortranFlags, 0u);

    const std::string prj = WriteProject(
        "demo", keys + "CmsDirectory=/w/CMS\nUserCount=3\nUser1=me\nUser2=you\nPutOptions=36\n");
    ASSERT_TRUE(Load("demo"));
    ASSERT_TRUE(LoadProjectFileList());
    const Project& p = CurrentProject();
    EXPECT_EQ(p.fortranFlags, 3u);
    EXPECT_EQ(p.eiffelFlags, 0u);
    EXPECT_EQ(p.cmsDirectory, "/w/CMS");
    EXPECT_EQ(p.cms.users, (std::deque<std::string>{"you", "me"}));
    EXPECT_EQ(p.cms.putOptions, 36u);
    EXPECT_EQ(p.cms.lockOptions, 1u);

    ASSERT_EQ(SaveProjectFiles(kSaveFileList), 1);
    const std::string bytes = Read(prj);
    EXPECT_NE(bytes.find("FortranFlags=3\nEiffelFlags=9\nCmsDirectory=/w/CMS\nUserCount=2\n"
                         "User1=you\nUser2=me\nPutOptions=36\nGetOptions=0\n"),
              std::string::npos)
        << bytes;
}

TEST_F(ProjectFile, AFileListSaveStopsAtTheFirstKeyThatCannotBeWritten) {
    const std::string prj = WriteProject("demo", "PrjFiles=1\nFile1=a.c\n");
    ASSERT_TRUE(Load("demo"));
    ASSERT_TRUE(LoadProjectFileList());
    CurrentProject().files.push_back("BAD\nNAME.C");
    CurrentProject().files.push_back("C.C");
    EXPECT_EQ(SaveProjectFiles(kSaveFileList), 0);
    const std::string bytes = Read(prj);
    EXPECT_NE(bytes.find("PrjFiles=3\nFile1=A.C\n"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find("C.C\n"), std::string::npos) << bytes;
}

TEST_F(ProjectFile, TheKindOfTargetFollowsTheFirstBitInItsOrder) {
    EXPECT_EQ(TargetKindText(kTargetLibrary | kTargetDll), "Library");
    EXPECT_EQ(DefaultOutputExtension(kTargetLibrary | kTargetDll), ".lib");
    EXPECT_EQ(TargetKindText(kTargetDll | kTargetConsole), "Dll");
    EXPECT_EQ(DefaultOutputExtension(kTargetDll), ".dll");
    EXPECT_EQ(TargetKindText(kTargetConsole | kTargetWindows), "Console application");
    EXPECT_EQ(TargetKindText(0), "Windows application");
    EXPECT_EQ(DefaultOutputExtension(kTargetConsole), ".exe");

    Project p;
    p.name = "demo";
    EXPECT_EQ(DefaultErrorFile(p), "./demo.err");
    p.make = std::make_unique<MakeSettings>(MakeSettings{"make", "", "/w/out"});
    EXPECT_EQ(DefaultErrorFile(p), "/w/out/demo.err");
}

TEST_F(ProjectFile, NumbersScanAsTheFormatsDo) {
    int a = -1, b = -1, c = -1;
    int* three[] = {&a, &b, &c};
    EXPECT_EQ(ScanNumbers("  -5   +7x 9", ' ', three, 3), 2);
    EXPECT_EQ(a, -5);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(c, -1);
    EXPECT_EQ(ScanNumbers("1 ,2", ',', three, 3), 1);
    EXPECT_EQ(ScanNumbers("99999999999,-99999999999", ',', three, 2), 2);
    EXPECT_EQ(a, 2147483647);
    EXPECT_EQ(b, -2147483647 - 1);

    const OpenFileRecord r = ParseOpenFileValue("\"/my dir/a b.c\" 4 -1 2 3 4");
    EXPECT_EQ(r.name, "\"/my dir/a b.c\"");
    EXPECT_EQ(r.bottom, 4);
    EXPECT_EQ(OpenFileValue(r), "\"/my dir/a b.c\" 4 -1 2 3 4");
}

}  // namespace
}  // namespace velt::testing
