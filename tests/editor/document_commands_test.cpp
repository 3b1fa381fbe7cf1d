#include "editor/document_commands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "document_fixture.h"
#include "editor/language.h"
#include "platform/files.h"
#include "scoped_env.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/compiler_root.h"
#include "shell/dispatch.h"
#include "shell/document_host.h"
#include "shell/frame_messages.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/strutil.h"

namespace velt::testing {
namespace {

namespace fs = std::filesystem;
namespace pf = velt::platform;
using Strings = std::vector<std::string>;

class DocumentCommands : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        ForgetDocumentWindows();
        base = fs::canonical(dir.path()).string();
        pf::SetCurrentDirectory(base);
        settings.editorFlags = 0;
        InstallEditor(settings);
        FrameCommands().SetStateSource([] {
            FrameState s;
            s.hasCurrentDocument = CurrentDocument() != nullptr;
            return s;
        });
    }
    void TearDown() override {
        UninstallEditor();
        FrameCommands().SetStateSource(nullptr);
        ForgetDocumentWindows();
        DocumentTest::TearDown();
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        dir.Write(name, bytes);
        return base + "/" + name;
    }
    Document* Open(const std::string& name) {
        EXPECT_TRUE(OpenFile(name)) << name;
        return CurrentDocument();
    }
    static void Change(Document& doc, int n, const std::string& text) {
        SetLineText(doc, LineAt(doc, n), text.data(), static_cast<int>(text.size()));
        MarkChanged(doc, LineAt(doc, n));
    }
    static void SetTime(const std::string& path, int secondsAhead) {
        fs::last_write_time(path,
                            fs::file_time_type::clock::now() + std::chrono::seconds(secondsAhead));
    }

    ScopedCurrentDirectory keepCwd;
    GlobalSettings settings;
    std::string base;
};

TEST_F(DocumentCommands, OpeningActivatesAnOpenFileAndTitlesTheWindowByTheWorkingDirectory) {
    Write("hello.c", "int a;\nint b;\n");
    Write("Sub/Main.C", "x\n");
    Write("other/Far.c", "");

    Document* hello = Open("\"hello.c\"");
    ASSERT_NE(hello, nullptr);
    EXPECT_EQ(hello->name, base + "/hello.c");
    EXPECT_EQ(Texts(*hello), (Strings{"int a;", "int b;"}));
    EXPECT_EQ(CurrentView()->cursor, hello->First());
    EXPECT_EQ(FrameStatusPane().PositionText(), "1:1");

    // New windows follow the active one's maximised state.
    ui.activeMaximised = true;
    Document* main = Open(base + "/./Sub/../Sub/Main.C");
    EXPECT_EQ(main->name, base + "/Sub/Main.C");
    ui.activeMaximised = false;

    // Another spelling of an open file activates its window.
    EXPECT_EQ(Open(base + "/HELLO.C"), hello);
    EXPECT_EQ(DocumentCount(), 2);

    pf::SetCurrentDirectory(base + "/Sub");
    Open(base + "/other/Far.c");
    EXPECT_EQ(ui.windowCalls, (Strings{"open hello.c", "open max sub/main.c", "activate hello.c",
                                       "open " + AsciiLower(base) + "/other/far.c"}));

    // A file that does not exist is a new, empty document; nothing is said.
    Document* fresh = Open("new.c");
    EXPECT_EQ(fresh->name, base + "/Sub/new.c");
    EXPECT_TRUE(fresh->Empty());
    EXPECT_EQ(fresh->flags & kDocModified, 0);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(FrameStatusPane().PositionText(), "1:1");
}

TEST_F(DocumentCommands, ProgramsAndProjectsAreNotOpenedAsText) {
    EXPECT_FALSE(OpenFile("prog.EXE"));
    EXPECT_FALSE(OpenFile("\"my app.Prj\""));
    EXPECT_EQ(ui.Texts(), (Strings{DebuggingUnavailableText(base + "/prog.EXE"),
                                   ProjectsUnavailableText(base + "/my app.Prj")}));
    EXPECT_EQ(ui.boxes[0].caption, "Information");
    EXPECT_TRUE(ui.windowCalls.empty());
    EXPECT_EQ(DocumentCount(), 0);

    // Only the file's own extension counts.
    Write("tools.exe/notes.txt", "n\n");
    EXPECT_TRUE(OpenFile("tools.exe/notes.txt"));
}

TEST_F(DocumentCommands, NewMakesSeparateUntitledTextsThatSaveThroughSaveAs) {
    EditView* a = NewUntitled();
    EditView* b = NewUntitled();
    ASSERT_TRUE(a && b);
    EXPECT_NE(a->document, b->document);
    EXPECT_EQ(a->document->name, "untitled");
    EXPECT_EQ(DocumentCount(), 2);
    EXPECT_EQ(CurrentView(), b);
    EXPECT_EQ(ui.windowCalls, (Strings{"open untitled", "open untitled"}));

    AppendLine(*b->document, NewLine("text", 4));
    MarkChanged(*b->document);
    ui.chosenFiles.push_back(base + "/Notes.TXT");
    EXPECT_TRUE(SaveDocumentCommand(*b->document));
    EXPECT_EQ(ui.fileChoices, (Strings{"Save as|untitled"}));
    EXPECT_EQ(dir.Read("Notes.TXT"), "text\r\n");
    EXPECT_EQ(b->document->name, base + "/Notes.TXT");
    EXPECT_EQ(ui.windowCalls.back(), "title " + AsciiLower(base) + "/notes.txt");

    // A nameless text has no file to reload from, and is not checked against the disk.
    Write("untitled", "not this\n");
    SetCurrentView(a);
    EXPECT_FALSE(ReloadCurrentDocument());
    CheckFilesOnDisk();
    EXPECT_EQ(ui.Texts(), (Strings{"Internal buffer"}));
    EXPECT_TRUE(a->document->Empty());
}

TEST_F(DocumentCommands, SaveAsRefusesAnOpenNameAndOtherwiseRenamesSavesAndRetitles) {
    Write("a.c", "a\n");
    const std::string bPath = Write("b.c", "b\n");
    Open("a.c");
    Document* b = Open("b.c");

    ui.chosenFiles.push_back(base + "/A.C");
    EXPECT_FALSE(SaveDocumentAs(*b));
    EXPECT_EQ(ui.Texts(), (Strings{"Name already used"}));
    EXPECT_EQ(b->name, bPath);

    // Written under the new name even when unchanged; the internal-buffer bit goes, and so
    // does the read-only flag of the old file.
    b->flags |= kDocInternalBuffer | kDocReadOnly;
    ui.chosenFiles.push_back(base + "/Copy.C");
    ASSERT_TRUE(SaveDocumentAs(*b));
    EXPECT_EQ(dir.Read("Copy.C"), "b\r\n");
    EXPECT_EQ(b->name, base + "/Copy.C");
    EXPECT_EQ(b->flags & (kDocInternalBuffer | kDocReadOnly | kDocModified), 0);
    EXPECT_EQ(FindDocument(bPath, false), nullptr);
    EXPECT_EQ(ui.windowCalls.back(), "title " + AsciiLower(base) + "/copy.c");

    // A failed write leaves the document as it was, under its old name.
    const std::string locked = Write("locked.c", "old\n");
    pf::SetReadOnly(locked, true);
    Change(*b, 1, "changed");
    ui.chosenFiles.push_back(locked);
    ui.Clear();
    EXPECT_FALSE(SaveDocumentAs(*b));
    EXPECT_EQ(ui.Texts(), (Strings{"Impossible to open " + locked + " for writing!"}));
    EXPECT_EQ(b->name, base + "/Copy.C");
    EXPECT_NE(b->flags & kDocModified, 0);
    EXPECT_EQ(dir.Read("locked.c"), "old\n");
}

TEST_F(DocumentCommands, SaveUsesTheEditorFlagsAndSaveAllGoesOnPastAFailure) {
    settings.editorFlags = kEditorBackups;
    Document* a = Open(Write("a.c", "a\n"));
    Document* b = Open(Write("b.c", "b\n"));
    Document* c = Open(Write("c.c", "c\n"));
    Change(*a, 1, "a2");
    Change(*b, 1, "b2");
    Change(*c, 1, "c2");
    c->flags |= kDocReadOnly;

    // The modified mark of the title and the position text follow the document.
    UpdatePositionText();
    EXPECT_EQ(FrameStatusPane().PositionText(), "1:1 *");
    EXPECT_EQ(ui.windowCalls.back(), "title c.c*");

    EXPECT_FALSE(SaveAllDocuments());
    EXPECT_EQ(dir.Read("a.c"), "a2\r\n");
    EXPECT_EQ(dir.Read("b.c"), "b2\r\n");
    EXPECT_EQ(dir.Read("a.~c"), "a\n");
    EXPECT_EQ(dir.Read("c.c"), "c\n");
    EXPECT_EQ(FrameStatusPane().Text(), "c.c: ReadOnlyFile. Not Saved");
    EXPECT_NE(c->flags & kDocModified, 0);

    c->flags &= static_cast<std::uint16_t>(~kDocReadOnly);
    EXPECT_TRUE(SaveDocumentCommand(*c));
    EXPECT_EQ(ui.windowCalls.back(), "title c.c");
    EXPECT_EQ(FrameStatusPane().PositionText(), "1:1");
}

TEST_F(DocumentCommands, ReloadAsksAndPutsTheCursorBack) {
    const std::string path = Write("r.c", "one\ntwo\nthree\n");
    Document* doc = Open(path);
    EditView* view = CurrentView();
    view->cursor = LineAt(*doc, 2);
    view->cursorColumn = 2;
    Change(*doc, 2, "TWO!!");

    ui.Answer(kIdNo);
    EXPECT_FALSE(ReloadCurrentDocument());
    EXPECT_EQ(LineString(LineAt(*doc, 2)), "TWO!!");

    Write("r.c", "1\n22\n3\n4\n");
    ui.Answer(kIdYes);
    EXPECT_TRUE(ReloadCurrentDocument());
    EXPECT_EQ(Texts(*doc), (Strings{"1", "22", "3", "4"}));
    EXPECT_EQ(view->cursor, LineAt(*doc, 2));
    EXPECT_EQ(view->cursorColumn, 2);
    EXPECT_EQ(doc->flags & kDocModified, 0);
    EXPECT_EQ(ui.Texts(), (Strings{"Discard changes and reload?", "Discard changes and reload?"}));

    // A column beyond the reloaded line ends at its end.
    view->cursorColumn = 9;
    Write("r.c", "1\n2\n");
    ui.Answer(kIdYes);
    ReloadCurrentDocument();
    EXPECT_EQ(view->cursor, LineAt(*doc, 2));
    EXPECT_EQ(view->cursorColumn, 1);

    doc->flags |= kDocInternalBuffer;
    ui.Clear();
    EXPECT_FALSE(ReloadCurrentDocument());
    EXPECT_EQ(ui.Texts(), (Strings{"Internal buffer"}));
}

TEST_F(DocumentCommands, InsertFilePutsTheLinesAfterTheCursorAndReportsFailures) {
    Document* doc = Open(Write("d.c", "a\nb\n"));
    EditView* view = CurrentView();
    Write("ins.c", "x\ny\n");

    ui.chosenFiles.push_back(base + "/ins.c");
    EXPECT_TRUE(InsertFileWithChooser());
    EXPECT_EQ(ui.fileChoices, (Strings{"Open|"}));
    EXPECT_EQ(Texts(*doc), (Strings{"a", "x", "y", "b"}));
    EXPECT_EQ(view->cursor, LineAt(*doc, 4));
    EXPECT_NE(doc->flags & kDocModified, 0);
    EXPECT_EQ(FrameStatusPane().Text(), "2 lines read");

    // At the end there is no line after them: the cursor stays on the last one inserted.
    EXPECT_TRUE(InsertFile(base + "/ins.c"));
    EXPECT_EQ(view->cursor, doc->Last());
    EXPECT_EQ(CountLines(*doc), 6);

    // Into an empty text: the view leaves the sentinel for the text.
    EditView* empty = NewUntitled();
    EXPECT_TRUE(InsertFile("ins.c"));
    EXPECT_EQ(Texts(*empty->document), (Strings{"x", "y"}));
    EXPECT_EQ(empty->top, empty->document->First());
    EXPECT_EQ(empty->cursor, empty->document->Last());
    DocumentWindowActivated(view);

    EXPECT_FALSE(InsertFile("nothere.c"));
    fs::create_directory(base + "/folder");
    EXPECT_EQ(doc->flags & kDocIncomplete, 0);
    EXPECT_FALSE(InsertFile("folder"));
    EXPECT_EQ(ui.Texts(),
              (Strings{"File " + base + "/nothere.c not found!", "File read or write error."}));
    EXPECT_NE(doc->flags & kDocIncomplete, 0);
    EXPECT_EQ(CountLines(*doc), 6);

    // A read-only document is never changed.
    doc->flags |= kDocReadOnly;
    EXPECT_FALSE(InsertFile(base + "/ins.c"));
    EXPECT_EQ(CountLines(*doc), 6);
    EXPECT_EQ(FrameStatusPane().Text(), "File is read only");
}

TEST_F(DocumentCommands, ReadOnlyToggleAsksAndFlipsTheFlagOnly) {
    const std::string path = Write("t.c", "t\n");
    Document* doc = Open(path);
    ui.Answer(kIdYes);
    EXPECT_EQ(DispatchCommand(kCmdSetReadOnly).status, DispatchStatus::Handled);
    EXPECT_NE(doc->flags & kDocReadOnly, 0);
    ui.Answer(kIdNo);
    ToggleReadOnly();
    EXPECT_NE(doc->flags & kDocReadOnly, 0);
    ui.Answer(kIdYes);
    ToggleReadOnly();
    EXPECT_EQ(doc->flags & kDocReadOnly, 0);
    EXPECT_EQ(ui.Texts(), (Strings{"Setting the file to read only", "Setting file to read/write",
                                   "Setting file to read/write"}));
    EXPECT_FALSE(pf::IsReadOnly(path));
}

TEST_F(DocumentCommands, ClosingAsksAboutChangesAndKeepsTheWindowWhenTheyAreNotSaved) {
    Document* a = Open(Write("a.c", "a\n"));
    Document* b = Open(Write("b.c", "b\n"));
    Change(*b, 1, "b2");
    ui.windowCalls.clear();

    ui.Answer(kIdCancel);
    EXPECT_FALSE(CloseCurrentWindow());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "The file " + base + "/b.c has been changed. Save modifications?");
    EXPECT_EQ(ui.boxes[0].caption, "Information");
    EXPECT_EQ(ui.boxes[0].style & 0xF, kMbYesNoCancel);
    EXPECT_EQ(CurrentDocument(), b);

    ui.Answer(kIdYes);
    EXPECT_TRUE(CloseCurrentWindow());
    EXPECT_EQ(dir.Read("b.c"), "b2\r\n");
    EXPECT_EQ(ui.windowCalls, (Strings{"close b.c", "activate a.c"}));
    EXPECT_EQ(CurrentDocument(), a);
    EXPECT_EQ(DocumentCount(), 1);
    EXPECT_EQ(RecentFiles().back(), base + "/b.c");

    b = Open("b.c");
    Change(*b, 1, "lost");
    ui.Answer(kIdNo);
    EXPECT_TRUE(DocumentWindowCloseRequested(CurrentView()));
    EXPECT_EQ(dir.Read("b.c"), "b2\r\n");
    EXPECT_EQ(DocumentCount(), 1);

    // A write that fails keeps the window and the changes.
    const std::string cPath = Write("c.c", "c\n");
    Document* c = Open(cPath);
    Change(*c, 1, "kept");
    pf::SetReadOnly(cPath, true);
    ui.Clear();
    ui.windowCalls.clear();
    ui.Answer(kIdYes);
    EXPECT_FALSE(CloseCurrentWindow());
    EXPECT_EQ(ui.Texts().back(), "Impossible to open " + cPath + " for writing!");
    EXPECT_TRUE(ui.windowCalls.empty());
    EXPECT_EQ(CurrentDocument(), c);
    EXPECT_NE(c->flags & kDocModified, 0);

    // An unchanged document closes without a question.
    SetCurrentView(nullptr);
    ui.Clear();
    EditView* aView = FirstView();
    while (aView && aView->document != a) aView = aView->next;
    EXPECT_TRUE(CloseDocumentView(aView));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(DocumentCount(), 1);
}

TEST_F(DocumentCommands, FilesChangedOnDiskAreOfferedOnceAndReloadedOnYes) {
    const std::string aPath = Write("a.c", "a\n");
    Document* a = Open(aPath);
    Document* b = Open(Write("b.c", "b\n"));
    NewUntitled();
    EditView* before = CurrentView();
    SetTime(aPath, 10);
    ui.windowCalls.clear();

    ui.Answer(kIdNo);
    SendFrameMessage(FrameMessage::CheckFiles);
    SendFrameMessage(FrameMessage::CheckFiles);
    EXPECT_EQ(ui.Texts(), (Strings{"File " + aPath + " has been changed. Reload from disk?"}));
    EXPECT_EQ(Texts(*a), (Strings{"a"}));

    Write("a.c", "new\n");
    SetTime(aPath, 20);
    ui.Answer(kIdYes);
    SendFrameMessage(FrameMessage::CheckFiles);
    EXPECT_EQ(Texts(*a), (Strings{"new"}));
    EXPECT_EQ(ui.windowCalls, (Strings{"activate a.c", "activate untitled"}));
    EXPECT_EQ(CurrentView(), before);
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(Texts(*b), (Strings{"b"}));
}

TEST_F(DocumentCommands, FileInformationShowsPositionSizeAndBookmark) {
    Document* doc = Open(Write("info.c", "ab\ncdef\n\nx\n"));
    CurrentView()->cursor = LineAt(*doc, 2);
    CurrentView()->cursorColumn = 2;
    const std::string head = base + "/info.c\nLine 2 (50%) Column 3\n15 bytes, 4 lines\n";
    EXPECT_EQ(FileInformationText(*CurrentView()), head + "No marks");

    gCurrentBookmarkHook = [](const Document&, int& line, int& character) {
        line = 4;
        character = 1;
        return true;
    };
    EXPECT_EQ(DispatchCommand(kCmdFileInformation).status, DispatchStatus::Handled);
    gCurrentBookmarkHook = nullptr;
    EXPECT_EQ(ui.Texts(), (Strings{head + "Mark set at line 4, char 1"}));
}

TEST_F(DocumentCommands, TheDispatcherAndTheShellReachTheDocuments) {
    const std::string aPath = Write("a.c", "a\n");
    Write("b.c", "b\n");

    // Without a document only what may run without one runs.
    EXPECT_EQ(DispatchCommand(kCmdSave).status, DispatchStatus::Ignored);
    ui.chosenFiles.push_back(aPath);
    EXPECT_EQ(DispatchCommand(kCmdOpen).value, 1);
    EXPECT_EQ(CurrentDocument()->name, aPath);
    SetCurrentView(nullptr);
    EXPECT_EQ(DispatchCommand(kCmdNewFile).value, 1);
    const std::string bName = base + "/b.c";
    EXPECT_EQ(DispatchCommand(kCmdOpenByName, 0, TextParam(bName.c_str())).value, 1);

    DocumentHost& host = CurrentDocuments();
    Strings names;
    for (const DocumentSummary& d : host.Documents()) names.push_back(d.name);
    EXPECT_EQ(names, (Strings{bName, "untitled", aPath}));

    // The Window menu names the untitled text; choosing it activates its window.
    ui.windowCalls.clear();
    EXPECT_TRUE(host.OpenDocument("untitled"));
    host.MaximiseActive();
    EXPECT_EQ(ui.windowCalls, (Strings{"activate untitled", "maximise untitled"}));
    EXPECT_EQ(DocumentCount(), 3);

    Document* a = FindDocument(aPath, false);
    Change(*a, 1, "a2");
    EXPECT_TRUE(host.Documents()[2].modified);
    EXPECT_TRUE(host.SaveDocument(2));
    EXPECT_EQ(dir.Read("a.c"), "a2\r\n");

    EXPECT_TRUE(host.OpenDocument(aPath));
    Change(*a, 1, "a3");
    EXPECT_EQ(DispatchCommand(kCmdSave).value, 1);
    EXPECT_EQ(dir.Read("a.c"), "a3\r\n");
    ui.chosenFiles.push_back(base + "/z.c");
    EXPECT_EQ(DispatchCommand(kCmdSaveAs).value, 1);
    EXPECT_EQ(dir.Read("z.c"), "a3\r\n");
    EXPECT_EQ(DispatchCommand(kCmdClose).value, 1);
    EXPECT_EQ(DocumentCount(), 2);
    EXPECT_EQ(CurrentDocument()->name, "untitled");
}

// After the exit questions, closing all windows asks nothing more, and the summaries carry
// the cursor line the session stores.
TEST_F(DocumentCommands, CloseAllClosesWithoutAskingAgain) {
    Write("a.c", "1\n2\n3\n");
    Document* a = Open(base + "/a.c");
    CurrentView()->cursor = LineAt(*a, 3);
    Change(*a, 1, "changed");
    EXPECT_EQ(CurrentDocuments().Documents().at(0).line, 3);
    ui.Clear();
    CurrentDocuments().CloseAllWindows();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_EQ(CurrentView(), nullptr);
    EXPECT_EQ(dir.Read("a.c"), "1\n2\n3\n");  // forgotten, not saved
}

// The languages are set up before the settings are read, so the settings' languages load.
TEST_F(DocumentCommands, StartupSetsUpTheLanguagesBeforeTheSettings) {
    class Hooks : public StartupHooks {
      public:
        bool CreateFrame(const FramePlacement&) override { return true; }
    } hooks;
    ScopedEnv runtime{"XDG_RUNTIME_DIR", base};
    ScopedEnv path{"PATH", std::string("/usr/bin:/bin")};
    const std::string root = base + "/root";
    fs::create_directories(root + "/bin");
    Write("root/lib/velt.prj",
          "[velt]\nLanguages=1\nLanguage1=Mine\nLanguage1Extension=MN\nLanguage1Flags=1\n");
    ASSERT_TRUE(RegisterDefaultRoot(root));

    StartupState st;
    ASSERT_EQ(RunStartup(st, hooks, "-w"), StartupOutcome::Run);
    RunShutdown(st, hooks);
    ASSERT_NE(LanguageForFile("x.mn"), nullptr);
    EXPECT_EQ(LanguageForFile("x.mn")->name, "Mine");
    EXPECT_EQ(gChooseLanguageHook, ChooseDocumentLanguage);
    ResetLanguages();
}

}  // namespace
}  // namespace velt::testing
