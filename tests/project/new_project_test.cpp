#include "project/new_project.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "build/build.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/language.h"
#include "platform/process.h"
#include "platform/user_store.h"
#include "project/project_commands.h"
#include "project_fixture.h"
#include "shell/commands.h"
#include "shell/compiler_root.h"
#include "shell/dispatch.h"
#include "shell/document_host.h"
#include "shell/strutil.h"

namespace velt::testing {
namespace {

using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

// The compiler root's skeleton generator: the one the build installed beside the tests when
// it is there, else a script that behaves like it (exit 1 with an answer, 2 without).
std::string BuiltSkeletonGenerator() {
    const std::string tests = platform::DirectoryPart(platform::CurrentExecutablePath());
    const std::string real = platform::DirectoryPart(tests) + "/sdk-root/bin/skelgen.exe";
    return platform::IsRegularFile(real) ? real : std::string();
}

class NewProject : public ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        work = fs::canonical(work).string();
        ReleaseAllDocuments();
        ForgetDocumentWindows();
        editorSettings.editorFlags = 0;
        InstallEditor(editorSettings);
        // The languages the start-up makes, so that C sources are scanned for functions.
        ResetLanguages();
        InstallLanguageHooks();
        InstallProjects(settings);
        InstallProjectCreation();
        ProjectWindowHooks hooks;
        hooks.setFrameTitle = [this](const std::string& t) { titles.push_back(t); };
        SetProjectWindowHooks(hooks);
        Table("[Projects]\n");
        ReadProjectsTable(false);
        // The dependency scan finds nothing to list.
        Script("root/bin/nimra.exe", "exit 0\n");
        const std::string skelgen = BuiltSkeletonGenerator();
        if (!skelgen.empty()) {
            fs::create_symlink(skelgen, root + "/bin/skelgen.exe");
        } else {
            Script("root/bin/skelgen.exe",
                   "for a in \"$@\"; do case \"$a\" in /prjname:*) n=${a#/prjname:};;"
                   " /prjpath:*) p=${a#/prjpath:};; /out:*) o=${a#/out:};; esac; done\n"
                   "[ -e \"$p/$n.c\" ] && exit 2\n"
                   "printf 'int main(void)\\n{\\n    return 0;\\n}\\n' > \"$p/$n.c\"\n"
                   "printf 'project:%s\\nsource:%s/%s.c\\n' \"$n\" \"$p\" \"$n\" > \"$o\"\n"
                   "exit 1\n");
        }
        platform::SetCurrentDirectory(work);
    }
    void TearDown() override {
        settings.saveEnabled = false;
        ui.answers.clear();
        ui.Answer(kIdNo);
        CloseCurrentProject();
        gNewProjectDialog = nullptr;
        gSourceFilesDialog = nullptr;
        gChooseSourceFiles = nullptr;
        gBuildSettingsDialog = nullptr;
        gCmsCheckIn = nullptr;
        UninstallProjectCreation();
        UninstallProjects();
        UninstallEditor();
        ReleaseAllDocuments();
        ForgetDocumentWindows();
        ProjectTest::TearDown();
    }
    std::string Script(const std::string& name, const std::string& body) {
        const std::string path = dir.Write(name, "#!/bin/sh\n" + body);
        ::chmod(path.c_str(), 0755);
        return path;
    }
    // The dialogs as a user fills them: the path of the project (the output directory
    // following it), the type, then "&Create"; the build pages finished as they open.
    void FillDialogs(const std::string& path, std::uint32_t type) {
        gNewProjectDialog = [this, path, type](NewProjectRecord& r, Project& p) {
            shownName = r.name;
            r.path = path;
            r.PathLeft();
            r.type = type;
            return r.Create(p);
        };
        gBuildSettingsDialog = [this](BuildSettingsSequence& s) {
            offeredLibraries = s.linker.libraries;
            return s.Finish() > 0;
        };
    }
    Strings OpenDocuments() {
        Strings names;
        for (const DocumentSummary& d : CurrentDocuments().Documents()) names.push_back(d.name);
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Key(const std::string& file, const std::string& section, const std::string& key) {
        platform::ProfileForgetCache();
        return platform::ProfileGetString(file, section, key, "(none)");
    }

    // The system's name for the user, so that no login is asked.
    ScopedEnv user{"USER", std::string("tester")};
    ScopedEnv logname{"LOGNAME", std::nullopt};
    GlobalSettings editorSettings;
    Strings titles;
    std::string shownName;
    std::string offeredLibraries;
};

// The whole command for a console program named hello: the name, the dialog, the files
// chosen in the source-files dialog, the build pages, then registration, the opened file,
// the makefile and the title. Closing it afterwards saves what it was made with.
TEST_F(NewProject, ConsoleHelloFromChosenSources) {
    const std::string hello = work + "/hello";
    ASSERT_TRUE(platform::UserStoreWrite(kCompilerKeyPath, kIncludePathValue, root + "/include"));
    FillDialogs(hello, kTargetConsole);
    fs::create_directories(hello);
    const std::string helloC =
        dir.Write("work/hello/hello.c", "int main(void)\n{\n  return 0;\n}\n");
    const std::string other = dir.Write("elsewhere/util.c", "int u;\n");
    const std::string script = dir.Write("work/hello/hello.rc", "\n");
    Strings chooserCalls;
    gChooseSourceFiles = [&](const std::string& caption, const std::vector<FileFilter>& filters,
                             int row, const std::string& directory) {
        chooserCalls.push_back(caption + "|" + filters[row].pattern + "|" + directory);
        return Strings{helloC, other, helloC, script};
    };
    Strings listed;
    gSourceFilesDialog = [&](SourceFilesRecord& r, Project& p) {
        listed = r.names;
        EXPECT_EQ(r.title, "Source files for project hello");
        return r.Validate(p);
    };
    ui.textAnswers.push_back("hello");
    ui.Answer(kIdNo);  // no skeleton

    ASSERT_EQ(DispatchCommand(kCmdCreateProject).value, 1);

    EXPECT_EQ(ui.prompts, Strings{"Enter the new project name|Project name?|"});
    EXPECT_EQ(shownName, "hello");
    EXPECT_EQ(ui.Texts(), Strings{kSkeletonQuestion});
    // The chooser opened at once on the empty list, in the new project's directory.
    EXPECT_EQ(chooserCalls, Strings{"Add source files to project|*.c|" + hello});
    EXPECT_EQ(listed, (Strings{"HELLO.C", AsciiUpper(other), "HELLO.RC"}));
    EXPECT_EQ(offeredLibraries, " txtconio.lib");

    const Project& p = CurrentProject();
    EXPECT_EQ(p.name, "hello");
    EXPECT_EQ(p.projectPath, hello);
    EXPECT_EQ(p.sourcesDir, hello);
    ASSERT_TRUE(p.make);
    EXPECT_EQ(p.make->makeDir, hello + "/nimra");
    EXPECT_TRUE(platform::IsDirectory(hello + "/nimra"));
    EXPECT_EQ(p.make->makeName, root + "/bin/make.exe");
    EXPECT_EQ(p.compilerFlags, 0x88u);
    // The Linker page puts the output file into the make directory.
    EXPECT_EQ(p.exe, hello + "/nimra/hello.exe");
    EXPECT_EQ(p.libraries, " txtconio.lib");
    EXPECT_EQ(p.includes, root + "/include");
    EXPECT_EQ(p.errorFile, AsciiUpper(hello + "/nimra/hello.err"));
    EXPECT_EQ(p.cmsDirectory, hello + "/CMS");
    EXPECT_EQ(settings.debuggerExeName, hello + "/nimra/hello.exe");
    EXPECT_EQ(settings.debuggerDir, hello + "/nimra");
    EXPECT_EQ(platform::CurrentDirectory(), hello);

    EXPECT_EQ(CurrentProjectName(), "hello");
    EXPECT_EQ(ProjectNames().front(), "hello");
    EXPECT_EQ(Key(TableFile(), "Projects", "hello"), hello + "/hello.prj");
    EXPECT_EQ(Key(hello + "/hello.prj", "hello", "PrjFiles"), "3");
    EXPECT_EQ(Key(hello + "/hello.prj", "hello", "File1"), "HELLO.C");
    // The files were opened but the resource script; the makefile names the program and the
    // library.
    EXPECT_EQ(OpenDocuments(), (Strings{other, helloC}));
    const std::string makefile = Read(hello + "/nimra/Makefile");
    EXPECT_EQ(makefile.rfind("# Velt Makefile for project hello\n", 0), 0u);
    EXPECT_NE(makefile.find("\nLIBS= txtconio.lib\n"), std::string::npos);
    EXPECT_NE(makefile.find("\n" + hello + "/nimra/hello.exe:\t$(OBJS) Makefile\n"),
              std::string::npos);
    EXPECT_EQ(titles.back(), "hello");

    // A project made here is saved when it closes, like one that was opened.
    ui.Clear();
    settings.saveEnabled = true;
    ASSERT_TRUE(CloseCurrentProject());
    EXPECT_EQ(Key(hello + "/hello.prj", "hello", "CompilerFlags"), "136");
    EXPECT_EQ(Key(hello + "/hello.prj", "hello", "MakeDir"), hello + "/nimra");
    EXPECT_EQ(Key(hello + "/hello.prj", "hello", "Libraries"), " txtconio.lib");
}

// The default output directory takes the first free of nimra, nimra1 ... nimra8 and says
// where when it was not the first; with all nine taken the settings cannot be made. A DLL
// gets its entry point and leaves the debugger's program alone.
TEST_F(NewProject, DefaultMakeSettingsCountTheOutputDirectory) {
    fs::create_directories(work + "/nimra");
    fs::create_directories(work + "/nimra1");
    settings.debuggerExeName = "old.exe";
    settings.debuggerArguments = "-v";
    Project& p = CurrentProject();
    p.name = "calc";
    p.compilerFlags = kTargetDll;
    ASSERT_TRUE(EnsureMakeSettings(p));
    EXPECT_EQ(ui.Texts(), Strings{"Project directory is:\n" + work + "/nimra2"});
    EXPECT_TRUE(platform::IsDirectory(work + "/nimra2"));
    EXPECT_EQ(p.make->makeDir, work + "/nimra2");
    EXPECT_EQ(p.sourcesDir, work);
    EXPECT_EQ(p.exe, "calc.dll");
    EXPECT_EQ(p.dllEntry, "LibMain");
    EXPECT_EQ(p.compilerFlags, kTargetDll | kCompileDebug2);
    EXPECT_EQ(p.make->makeArgs, "");
    EXPECT_EQ(p.includes, "");
    EXPECT_EQ(settings.debuggerExeName, "old.exe");
    EXPECT_EQ(settings.debuggerArguments, "");
    EXPECT_EQ(settings.debuggerDir, work + "/nimra2");

    ui.Clear();
    ClearProject(p);
    p.name = "calc";
    for (int i = 2; i <= 8; ++i) fs::create_directories(work + "/nimra" + std::to_string(i));
    EXPECT_FALSE(CompleteMakeSettings(p));
    EXPECT_FALSE(p.make);
    EXPECT_EQ(ui.Texts(), Strings{"Impossible to create a project subdir in\n"});
}

// The answer file: the first line names the project, the next two are files, reduced to
// their names under the project path; only complete lines count.
TEST_F(NewProject, SkeletonAnswerAndRun) {
    Project p;
    p.name = "hello";
    p.projectPath = "/w/Work";
    ReadSkeletonAnswer("project:hello2\r\nsource:/W/WORK/hello.c\nfile:/other/x.h\nmore:y.c\n", p);
    EXPECT_EQ(p.name, "hello2");
    EXPECT_EQ(p.files, (std::deque<std::string>{"/other/x.h", "hello.c"}));
    Project cut;
    cut.projectPath = "/w";
    ReadSkeletonAnswer("project:a\nsource:/w/a.c", cut);
    EXPECT_EQ(cut.name, "a");
    EXPECT_TRUE(cut.files.empty());

    p.projectPath = "/w";
    p.compilerFlags = kTargetConsole;
    const std::string gen = root + "/bin/skelgen.exe";
    EXPECT_EQ(SkeletonCommand(root, 77, p, "/t/ans"),
              gen + " /velt:77 /prjname:hello2 /prjpath:/w /out:/t/ans /console");
    p.compilerFlags = kTargetDll;
    EXPECT_EQ(SkeletonCommand(root, 1, p, "a"),
              gen + " /velt:1 /prjname:hello2 /prjpath:/w /out:a /dll");
    p.compilerFlags = kTargetWindows;
    EXPECT_EQ(SkeletonCommand(root, 1, p, "a"),
              gen + " /velt:1 /prjname:hello2 /prjpath:/w /out:a");

    // The real run: the skeleton is written, its answer read and deleted.
    Project run;
    run.name = "hello";
    run.projectPath = work;
    run.compilerFlags = kTargetConsole;
    int minimised = 0, restored = 0;
    NewProjectWindowHooks hooks;
    hooks.minimiseFrame = [&] { ++minimised; };
    hooks.restoreFrame = [&] { ++restored; };
    hooks.frameWindow = [] { return std::uint64_t{4242}; };
    SetNewProjectWindowHooks(hooks);
    EXPECT_EQ(RunSkeletonGenerator(run), 1);
    EXPECT_EQ(run.files, std::deque<std::string>{"hello.c"});
    EXPECT_EQ(run.name, "hello");
    EXPECT_EQ(minimised, 1);
    EXPECT_EQ(restored, 1);
    EXPECT_NE(Read(work + "/hello.c").find("main"), std::string::npos);
    std::vector<platform::DirEntry> entries;
    ASSERT_TRUE(platform::ListDirectory(work, entries));
    for (const platform::DirEntry& e : entries)
        EXPECT_EQ(e.name.rfind("skl", 0), std::string::npos) << e.name;
    // A second run finds its file there already and fails: nothing is taken over.
    Project again;
    again.name = "hello";
    again.projectPath = work;
    again.compilerFlags = kTargetConsole;
    EXPECT_EQ(RunSkeletonGenerator(again), 0);
    EXPECT_TRUE(again.files.empty());
    SetNewProjectWindowHooks({});
}

// Building a lone source without a project: its name, its directory, its kind from main or
// WinMain; the refusals with their messages and no project left open.
TEST_F(NewProject, DefaultProjectFromALoneSource) {
    // Written and opened in the work directory; no output directory left from before.
    auto open = [&](const std::string& name, const std::string& text) {
        for (const char* d : {"nimra", "nimra1", "nimra2"}) fs::remove_all(work + "/" + d);
        dir.Write("work/" + name, text);
        return OpenFile(work + "/" + name);
    };
    ASSERT_TRUE(open("a.c", "int main(void)\n{\n    return 0;\n}\n"));
    platform::SetCurrentDirectory(dir.path());
    ASSERT_TRUE(gDefaultProjectHook && gDefaultProjectHook())
        << ::testing::PrintToString(ui.Texts());
    const Project& p = CurrentProject();
    EXPECT_EQ(p.name, "a");
    EXPECT_EQ(p.compilerFlags, 0x88u);
    EXPECT_EQ(p.files, std::deque<std::string>{"A.C"});
    EXPECT_EQ(p.projectPath, work);
    EXPECT_EQ(p.sourcesDir, work);
    EXPECT_EQ(p.make->makeDir, work + "/nimra");
    EXPECT_EQ(p.exe, "a.exe");
    EXPECT_EQ(platform::CurrentDirectory(), work);
    EXPECT_EQ(CurrentProjectName(), "a");
    EXPECT_EQ(ProjectNames().front(), "a");
    EXPECT_EQ(Key(TableFile(), "Projects", "a"), "(none)");
    EXPECT_TRUE(ui.Texts().empty());
    CloseCurrentProject();

    ASSERT_TRUE(open("win.c", "int WinMain(int a)\n{\n    return a;\n}\n"));
    ASSERT_TRUE(MakeDefaultProject());
    EXPECT_EQ(CurrentProject().compilerFlags, 0x48u);
    CloseCurrentProject();

    auto refused = [&](const std::string& file, const std::string& text) {
        ui.Clear();
        ASSERT_TRUE(open(file, "int x;\n"));
        EXPECT_FALSE(MakeDefaultProject()) << file;
        EXPECT_FALSE(ProjectIsOpen()) << file;
        EXPECT_EQ(ui.Texts(), Strings{text});
    };
    refused("data.c",
            "No functions defined in " + work + "/data.c\nImpossible to generate default project");
    ui.Clear();
    ASSERT_TRUE(open("other.c", "int helper(void)\n{\n    return 1;\n}\n"));
    EXPECT_FALSE(MakeDefaultProject());
    EXPECT_EQ(ui.Texts(), Strings{"Neither 'main' nor 'WinMain' defined in " + work +
                                  "/other.c\nImpossible to generate default project"});
    refused("README", "Impossible to generate default project");
    // A known project in other letters: its file list is not to be overwritten.
    AddProjectName("Known");
    refused("known.c", "A project with the name 'known' exists already");
}

// The name question asks again for a used name (any letter case); the dialog's fields
// refuse what they must, with the dialog kept open.
TEST_F(NewProject, NameLoopAndDialogRefusals) {
    AddProjectName("demo");
    ui.textAnswers = {"Demo", "fresh"};
    NewProjectRecord seen;
    gNewProjectDialog = [&](NewProjectRecord& r, Project&) {
        seen = r;
        return false;
    };
    EXPECT_FALSE(NewProjectCommand());
    EXPECT_EQ(ui.Texts(), Strings{"This name ('Demo') is already used as a project name"});
    EXPECT_EQ(ui.prompts.size(), 2u);
    EXPECT_EQ(ui.prompts[1], "Enter the new project name|Project name?|Demo");
    EXPECT_EQ(seen.name, "fresh");
    EXPECT_EQ(seen.type, kTargetConsole);
    EXPECT_FALSE(seen.multiUser);
    EXPECT_FALSE(ProjectIsOpen());

    // Nobody known: the login comes first, and cancelling it cancels the dialog; a name
    // given there is the user's from then on.
    ui.Clear();
    ui.prompts.clear();
    {
        ScopedEnv noUser("USER", std::nullopt);
        NewProjectRecord login;
        EXPECT_FALSE(login.Load("x"));
        ui.textAnswers.push_back("ann");
        EXPECT_TRUE(login.Load("x"));
        EXPECT_EQ(ui.prompts, (Strings{"CMS login|Your name?|", "CMS login|Your name?|"}));
        EXPECT_EQ(ProjectUserName(), "ann");
        EXPECT_EQ(login.name, "x");
    }

    ui.Clear();
    NewProjectRecord r;
    ASSERT_TRUE(r.Load("DEMO"));
    Project p;
    EXPECT_FALSE(r.NameLeft());
    EXPECT_EQ(r.name, "");
    r.name = "two words";
    EXPECT_FALSE(r.NameLeft());
    EXPECT_EQ(r.name, "two words");
    r.path = work + "/x/";
    r.PathLeft();
    EXPECT_EQ(r.outputDir, work + "/x/nimra");
    r.PathLeft(work + "/picked");
    EXPECT_EQ(r.path, work + "/picked");
    EXPECT_EQ(r.outputDir, work + "/picked/nimra");
    EXPECT_EQ(ui.Texts(), (Strings{"A project with name \"DEMO\" is already defined",
                                   "Do not use spaces here"}));

    ui.Clear();
    auto refusedWith = [&](const std::string& name, const std::string& path) {
        r.name = name;
        r.path = path;
        r.outputDir.clear();
        EXPECT_FALSE(r.Create(p)) << name << " " << path;
    };
    refusedWith("", work + "/x");
    refusedWith("x", "");
    refusedWith("two words", work + "/x");
    refusedWith("x", work + "/no/such/dir");
    EXPECT_EQ(ui.Texts(), (Strings{"Empty project file?", "You have to give a project path!",
                                   "Do not use spaces here",
                                   "Impossible to create directory '" + work + "/no/such/dir'"}));
    EXPECT_EQ(platform::CurrentDirectory(), work);

    // An existing output directory needs a yes.
    ui.Clear();
    fs::create_directories(work + "/x/nimra");
    ui.Answer(kIdNo);
    refusedWith("x", "x");
    EXPECT_EQ(ui.Texts(), Strings{"Directory " + work + "/x/nimra exists. Use it anyway?"});
    ui.Answer(kIdYes);
    r.type = kTargetLibrary;
    ASSERT_TRUE(r.Create(p));
    EXPECT_EQ(p.projectPath, work + "/x");
    EXPECT_EQ(p.make->makeDir, work + "/x/nimra");
    EXPECT_EQ(p.compilerFlags, kTargetLibrary);
    EXPECT_EQ(p.name, "x");
    EXPECT_EQ(platform::CurrentDirectory(), work + "/x");
}

// With a project open, making a new one closes it with its own directory still recorded;
// a refusal at "Continue with empty project?" or at the build pages leaves no project open.
TEST_F(NewProject, OldProjectClosedIntactAndRefusalsLeaveNothing) {
    settings.saveEnabled = true;
    const std::string old = WriteProject("old", "ProjectPath=" + work + "\n");
    ReadProjectsTable(false);
    ASSERT_TRUE(OpenProjectByName("old"));
    dir.Write("work/old.c", "int o;\n");
    ASSERT_TRUE(OpenFile(work + "/old.c"));

    FillDialogs(work + "/lib1", kTargetLibrary);
    gSourceFilesDialog = [](SourceFilesRecord&, Project&) { return false; };
    ui.textAnswers.push_back("lib1");
    ui.Answer(kIdNo);  // not an empty project
    EXPECT_FALSE(NewProjectCommand());
    EXPECT_EQ(ui.Texts(), Strings{kNoFilesQuestion});
    EXPECT_FALSE(ProjectIsOpen());
    EXPECT_EQ(Key(old, "old", "ProjectPath"), work);
    EXPECT_TRUE(OpenDocuments().empty());

    // An empty project accepted, then the build pages cancelled: nothing is registered.
    ui.Clear();
    ui.textAnswers.push_back("lib2");
    ui.Answer(kIdYes);
    FillDialogs(work + "/lib2", kTargetLibrary);
    gBuildSettingsDialog = [](BuildSettingsSequence&) { return false; };
    EXPECT_FALSE(NewProjectCommand());
    EXPECT_FALSE(ProjectIsOpen());
    EXPECT_EQ(CurrentProjectName(), "");
    EXPECT_FALSE(ProjectNameKnown("lib2"));
    EXPECT_EQ(Key(TableFile(), "Projects", "lib2"), "(none)");
}

// Many files are opened only when the user agrees; with versioning every file is checked
// in with the creator's name; the libraries among the files are the project's libraries.
TEST_F(NewProject, ManyFilesAndVersioning) {
    Strings chosen;
    for (int i = 0; i < 46; ++i)
        chosen.push_back(dir.Write("work/v/f" + std::to_string(i) + ".c", "int x;\n"));
    chosen.push_back(dir.Write("work/v/v.rc", "\n"));
    chosen.push_back(dir.Write("work/v/extra.lib", ""));
    gChooseSourceFiles = [&](const std::string&, const std::vector<FileFilter>&, int,
                             const std::string&) { return chosen; };
    gSourceFilesDialog = [](SourceFilesRecord& r, Project& p) { return r.Validate(p); };
    Strings checkedIn;
    gCmsCheckIn = [&](const std::string& f, const std::string& description) {
        checkedIn.push_back(f + "|" + description);
        return true;
    };
    SetProjectUserName("ann");
    gNewProjectDialog = [&](NewProjectRecord& r, Project& p) {
        EXPECT_TRUE(NewProjectRecord::VersioningOffered());
        r.path = work + "/v";
        r.useVersioning = true;
        r.type = kTargetLibrary;
        return r.Create(p);
    };
    gBuildSettingsDialog = [](BuildSettingsSequence& s) { return s.Finish() > 0; };
    ui.textAnswers.push_back("v");
    ui.Answer(kIdNo);  // do not open 48 files
    ASSERT_TRUE(NewProjectCommand());
    EXPECT_EQ(ui.Texts(), Strings{"Open 48 files?"});
    EXPECT_TRUE(OpenDocuments().empty());
    const Project& p = CurrentProject();
    EXPECT_EQ(p.projectFlags, kProjectUsesCms);
    EXPECT_TRUE(platform::IsDirectory(work + "/v/CMS"));
    EXPECT_EQ(p.cms.users, std::deque<std::string>{"ann"});
    EXPECT_EQ(p.libraries, "EXTRA.LIB");
    EXPECT_EQ(p.exe, work + "/v/nimra/v.lib");
    ASSERT_EQ(checkedIn.size(), 48u);
    EXPECT_EQ(checkedIn[0].rfind("F0.C|Saved by ann  ", 0), 0u);
    EXPECT_EQ(checkedIn[0].substr(checkedIn[0].size() - 2), ".\n");
}

// The source-files dialog: the list from the project, files in its directory by name, all
// upper case and each once; Remove; an empty list is refused; the chooser starts with the
// filter of the last extension added.
TEST_F(NewProject, SourceFilesList) {
    Project p;
    p.name = "demo";
    p.sourcesDir = work;
    p.files = {"MAIN.C", "main.c"};
    p.libraries = "m.lib  x.lib";
    SourceFilesRecord r;
    r.Load(p, false);
    EXPECT_EQ(r.names, (Strings{"MAIN.C", "M.LIB", "X.LIB"}));
    r.AddFiles({work + "/dlg.rc", "/else/where/a.c", work + "/sub/b.c", work + "/MAIN.C"});
    EXPECT_EQ(r.names, (Strings{"MAIN.C", "M.LIB", "X.LIB", "DLG.RC", "/ELSE/WHERE/A.C",
                                AsciiUpper(work) + "/SUB/B.C"}));
    EXPECT_EQ(SourceFileFilters()[r.FilterRow()].pattern, "*.c");
    r.AddFiles({work + "/dlg.rc"});
    EXPECT_EQ(SourceFileFilters()[r.FilterRow()].label, "Resources");
    r.selected = 1;
    EXPECT_TRUE(r.Remove());
    r.selected = -1;
    EXPECT_FALSE(r.Remove());
    EXPECT_TRUE(r.Validate(p));
    EXPECT_EQ(p.files.front(), "MAIN.C");
    EXPECT_EQ(p.files.size(), 5u);
    EXPECT_EQ(p.libraries, "m.lib  x.lib");  // only a new project takes libraries from the list

    const std::vector<FileFilter> filters = SourceFileFilters();
    ASSERT_EQ(filters.size(), 11u);
    EXPECT_EQ(filters[10].label, "All");
    EXPECT_EQ(filters[10].pattern, "*.*");

    r.names.clear();
    EXPECT_FALSE(r.Validate(p));
    EXPECT_EQ(ui.Texts(), Strings{"No files specified"});
}

}  // namespace
}  // namespace velt::testing
