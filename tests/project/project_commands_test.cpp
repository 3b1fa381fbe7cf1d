#include "project/project_commands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "project_fixture.h"
#include "recording_documents.h"
#include "shell/command_line.h"
#include "shell/strutil.h"

namespace velt::testing {
namespace {

using Strings = std::vector<std::string>;

class ProjectOpen : public ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        ProjectWindowHooks hooks;
        hooks.setFrameTitle = [this](const std::string& t) { titles.push_back(t); };
        SetProjectWindowHooks(hooks);
    }
    void TearDown() override {
        // Nothing is asked or saved on the way out.
        settings.saveEnabled = false;
        ui.Answer(kIdNo);
        CloseCurrentProject();
        ui.answers.clear();
        ProjectTest::TearDown();
    }
    Strings titles;
};

TEST_F(ProjectOpen, TheStartupProjectComesFromTheLineThenTheSettings) {
    const std::string velt = dir.Write("root/lib/velt.prj", "[velt]\nCMSProjectPath=cms\n");
    Table("[Projects]\n");
    ReadProjectsTable(false);
    // An empty table chooses nothing, whatever the line says.
    EXPECT_EQ(ChooseStartupProject("line", velt), "");
    Table("[Projects]\nfirst=/f.prj\n");
    ReadProjectsTable(false);
    EXPECT_EQ(ChooseStartupProject("line", velt), "line");
    EXPECT_EQ(ChooseStartupProject("", velt), "cms");
    dir.Write("root/lib/velt.prj", "[velt]\nCurrentProject=last\nCMSProjectPath=cms\n");
    platform::ProfileForgetCache();
    EXPECT_EQ(ChooseStartupProject("", velt), "last");
}

TEST_F(ProjectOpen, TheSettingsLoadTheCurrentProjectAndSaveItWithTheProjectsList) {
    ClearSettingsParts();
    StartupOptions options;
    InstallProjects(settings, &options);
    const std::string prj = WriteProject("demo",
                                         "OpenFiles=1\nOpenFile1=\"/w/a b.c\" 4 1 2 3 4\n"
                                         "DbgExeName=/w/demo.exe\n");
    Table("[Projects]\nother=/o.prj\ndemo=" + prj + "\n");
    dir.Write("root/lib/velt.prj",
              "[velt]\nCurrentProject=demo\nOpenFiles=1\nOpenFile1=/w/session.c 1 0 0 0 0\n");
    LoadGlobalSettings(root, settings);
    EXPECT_EQ(CurrentProject().name, "demo");
    // The project's windows replace the session's.
    EXPECT_EQ(settings.reopenFiles, Strings{"\"/w/a b.c\" 4 1 2 3 4"});
    EXPECT_EQ(settings.debuggerExeName, "/w/demo.exe");

    SaveContext windows;
    windows.frameX = 7;
    windows.frameCX = 640;
    windows.frameCY = 480;
    windows.projectOpen = true;
    ProjectWindowHooks hooks;
    hooks.windowState = [&windows] { return windows; };
    SetProjectWindowHooks(hooks);
    ASSERT_TRUE(SaveGlobalSettings(root, settings, windows));
    const std::string global = Read(root + "/lib/velt.prj");
    // CurrentProject keeps its place at the top; the list is new.
    EXPECT_EQ(global.rfind("[velt]\nCurrentProject=demo\n", 0), 0u) << global;
    EXPECT_NE(global.find("Projects=2\nProject1=demo\nProject2=other\n"), std::string::npos)
        << global;
    EXPECT_NE(Read(prj).find("Frame=7 0 640 480\n"), std::string::npos);

    UninstallProjects();
    ClearSettingsParts();
}

TEST_F(ProjectOpen, OpeningReopensTheWindowsAndEntersTheDirectories) {
    RecordingDocuments docs;
    platform::CreateDirectory(work + "/src");
    WriteProject("demo",
                 "OpenFiles=2\n"
                 "OpenFile1=\"" +
                     work +
                     "/a b.c\" 4 1 2 3 4\n"
                     "OpenFile2=" +
                     work +
                     "/c.c 1 0 0 0 0\n"
                     "CurrentFile=" +
                     work +
                     "/a b.c\n"
                     "ProjectPath=" +
                     work +
                     "\n"
                     "SourcesDir=" +
                     work +
                     "/src\n"
                     "PrjFiles=1\nFile1=x.c\n");
    settings.saveEnabled = false;
    ASSERT_TRUE(OpenProjectByName("demo"));
    // In key order, then the current file again to activate it.
    EXPECT_EQ(docs.opened, (Strings{work + "/a b.c", work + "/c.c", work + "/a b.c"}));
    EXPECT_EQ(titles, Strings{"demo"});
    EXPECT_EQ(ProjectFrameTitle(), "demo");
    EXPECT_EQ(platform::CurrentDirectory(), work + "/src");
    EXPECT_TRUE(settings.saveEnabled);
    EXPECT_EQ(CurrentProject().files, std::deque<std::string>{"X.C"});
    EXPECT_EQ(CurrentProject().cmsDirectory, work + "/CMS");

    // A project directory that does not exist is reported; the current one is kept.
    WriteProject("gone", "ProjectPath=/no/such/dir\n");
    ASSERT_TRUE(OpenProjectByName("gone"));
    EXPECT_EQ(ui.Texts().back(), "Directory /no/such/dir doesn't exist");
    EXPECT_FALSE(OpenProjectByName("unknown"));
}

TEST_F(ProjectOpen, ClosingAsksAboutModifiedFilesSavesAndClears) {
    RecordingDocuments docs;
    const std::string prj = WriteProject("demo", "DbgExeName=/w/demo.exe\nMakeName=make\n");
    ASSERT_TRUE(OpenProjectByName("demo"));
    DocumentSummary d;
    d.name = work + "/m.c";
    d.modified = true;
    d.line = 9;
    docs.docs.push_back(d);

    // Cancel keeps everything.
    EXPECT_FALSE(CloseCurrentProject());
    EXPECT_EQ(ui.modifiedFileLists.size(), 1u);
    EXPECT_TRUE(ProjectIsOpen());
    EXPECT_EQ(docs.closedAll, 0);

    ui.Answer(kIdNo);
    ASSERT_TRUE(CloseCurrentProject());
    EXPECT_FALSE(ProjectIsOpen());
    EXPECT_EQ(docs.closedAll, 1);
    EXPECT_EQ(settings.debuggerExeName, "");
    EXPECT_EQ(titles, (Strings{"demo", ""}));
    const std::string bytes = Read(prj);
    EXPECT_NE(bytes.find("OpenFiles=1\nOpenFile1=\"" + work + "/m.c\" 9 0 0 0 0\n"),
              std::string::npos)
        << bytes;
    EXPECT_NE(bytes.find("DbgExeName=/w/demo.exe\n"), std::string::npos);
}

TEST_F(ProjectOpen, AProjectFileIsImportedUnderItsLowerCasedPathAndCanBeErased) {
    RecordingDocuments docs;
    Table("[Projects]\n");
    ReadProjectsTable(false);
    const std::string text = dir.Write("work/Notes.PRJ", "just text\n[x]\n");
    EXPECT_FALSE(ImportProjectFile(text));
    EXPECT_EQ(Read(TableFile()), "[Projects]\n");

    const std::string path =
        dir.Write("work/Imported.PRJ", "; VELT PROJECT FILE\r\n[imp]\r\nExe=imp.exe\r\n");
    ASSERT_TRUE(ImportProjectFile(path));
    EXPECT_EQ(Read(TableFile()), "[Projects]\nimp=" + AsciiLower(path) + "\n");
    EXPECT_EQ(CurrentProject().name, "imp");
    EXPECT_EQ(CurrentProject().exe, "imp.exe");
    EXPECT_EQ(ProjectNameList(), Strings{"imp"});

    ASSERT_TRUE(EraseProject("imp"));
    EXPECT_FALSE(ProjectIsOpen());
    EXPECT_EQ(Read(TableFile()), "[Projects]\n");
    EXPECT_TRUE(ProjectNameList().empty());
    EXPECT_TRUE(platform::PathExists(path));
}

// With the editor: the windows come back at their lines, a maximised one maximised, and a
// project file among them opens as text instead of opening a project inside the opening.
TEST_F(ProjectOpen, ReopenedEditorWindowsStandAtTheirLines) {
    ReleaseAllDocuments();
    ForgetDocumentWindows();
    GlobalSettings editorSettings;
    InstallEditor(editorSettings);
    InstallProjects(settings);
    dir.Write("work/five.c", "1\n2\n3\n4\n5\n");
    dir.Write("work/other.prj", "; Velt project file. Syntax: Name = value\n[other]\n");
    WriteProject("demo",
                 "OpenFiles=2\n"
                 "OpenFile1=\"" +
                     work +
                     "/five.c\" 4 10 10 -200 200\n"
                     "OpenFile2=" +
                     work + "/other.prj 2 0 0 0 0\n");
    platform::SetCurrentDirectory(work);
    ASSERT_TRUE(OpenProjectByName("demo"));
    EXPECT_EQ(CurrentProject().name, "demo");
    Document* five = FindDocument(work + "/five.c", false);
    ASSERT_NE(five, nullptr);
    EXPECT_NE(FindDocument(work + "/other.prj", false), nullptr);
    EditView* view = nullptr;
    for (EditView* v = FirstView(); v; v = v->next)
        if (v->document == five) view = v;
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(CursorLineNumber(*view), 4);
    EXPECT_NE(std::find(ui.windowCalls.begin(), ui.windowCalls.end(), "maximise five.c"),
              ui.windowCalls.end());

    settings.saveEnabled = false;
    ASSERT_TRUE(CloseCurrentProject());
    UninstallProjects();
    UninstallEditor();
    ReleaseAllDocuments();
    ForgetDocumentWindows();
}

}  // namespace
}  // namespace velt::testing
