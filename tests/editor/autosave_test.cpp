// Autosave: which documents a tick writes and how, the copies of documents that share a base
// name, the drop on saving, the restore at the next start (restore, cancel, erase, the probe)
// and the end of a session, which deletes its own copies only.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "editing_fixture.h"
#include "editor/autosave.h"
#include "platform/files.h"
#include "shell/config_dialog.h"
#include "shell/strutil.h"

namespace velt::testing {
namespace {

namespace fs = std::filesystem;

class AutosaveTest : public EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        settings.editorFlags |= kEditorAutoSave;
        root = dir / "root";
        fs::create_directories(root);
        SetAutosaveRoot(root);
        SetAutosaveTimer([this](bool run) { timerCalls.push_back(run); });
        SetAutosaveRestoreDialog([this](const AutosaveRestoreDialog& d) {
            dialogs.push_back(d);
            if (dialogAnswers.empty()) return int{kIdCancel};
            const int answer = dialogAnswers.front();
            dialogAnswers.pop_front();
            return answer;
        });
    }
    void TearDown() override {
        SetAutosaveTimer({});
        SetAutosaveRestoreDialog({});
        EditingTest::TearDown();
    }

    std::string AutosaveDir() const { return root + "/veltautosave"; }
    // The files in the autosave directory, by name.
    std::vector<std::string> Copies() const {
        std::vector<std::string> out;
        if (!fs::is_directory(AutosaveDir())) return out;
        for (const auto& e : fs::directory_iterator(AutosaveDir()))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Types `text` at the start of line 1 of `v`.
    void TypeInto(EditView* v, std::string_view text) {
        DocumentWindowActivated(v);
        view = v;
        doc = v->document;
        At(1, 0);
        Type(text);
    }
    // What a crash leaves: the copies on disk, nothing in memory, nothing deleted.
    void Crash() {
        // The next process starts without windows: the scripted front end forgets them.
        for (EditView* v = FirstView(); v; v = v->next) ui.CloseDocumentWindow(v);
        UninstallEditor();
        ReleaseAllDocuments();
        ForgetDocumentWindows();
        InstallEditor(settings);
        SetAutosaveRoot(root);
        ui.Clear();
        ui.windowCalls.clear();
        timerCalls.clear();
    }
    // The document's text as a copy holds it, CR LF after each line.
    static std::string All(const Document& d) {
        std::string out;
        for (const Line* l : Lines(d)) out += LineString(l) + "\r\n";
        return out;
    }
    // The same without the first line (a restored document's header line).
    static std::string Body(const Document& d) {
        const std::string all = All(d);
        return all.substr(all.find("\r\n") + 2);
    }

    std::string root;
    std::vector<bool> timerCalls;
    std::vector<AutosaveRestoreDialog> dialogs;
    std::deque<int> dialogAnswers;
};

TEST_F(AutosaveTest, TickWritesChangedDocumentsUntilSavedAndSavingDropsTheCopy) {
    int otherDrops = 0;
    static int* drops = nullptr;
    drops = &otherDrops;
    // A hook set before the autosave was installed keeps being called.
    UninstallEditor();
    gAutosaveDropHook = [](Document&) { ++*drops; };
    InstallEditor(settings);
    SetAutosaveRoot(root);

    Open({"int a;", "int b;"}, "Prog.C");
    const std::string copy = AutosaveDir() + "/prog.c";
    EXPECT_EQ(AutosaveTick(), 0);
    EXPECT_TRUE(Copies().empty());
    EXPECT_EQ(FrameStatusPane().Text(), "");

    Type("x");
    EXPECT_EQ(AutosaveTick(), 1);
    EXPECT_EQ(Copies(), Strings{"prog.c"});
    EXPECT_TRUE(doc->flags & kDocAutosaveCurrent);
    EXPECT_EQ(FrameStatusPane().Text(), "1 files autosaved");
    EXPECT_EQ(AutosaveSessionFiles(), Strings{copy});

    // Current: the next tick leaves it alone.
    fs::remove(copy);
    FrameStatusPane().Reset();
    EXPECT_EQ(AutosaveTick(), 0);
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(FrameStatusPane().Text(), "");

    // Every change makes the copy stale again.
    Type("y");
    EXPECT_FALSE(doc->flags & kDocAutosaveCurrent);
    EXPECT_EQ(AutosaveTick(), 1);
    EXPECT_NE(Slurp(copy).find("\r\nxyint a;\r\n"), std::string::npos);

    EXPECT_TRUE(SaveDocumentCommand(*doc));
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_FALSE(doc->flags & kDocAutosaveCurrent);
    EXPECT_TRUE(AutosaveSessionFiles().empty());
    EXPECT_EQ(otherDrops, 1);
    EXPECT_EQ(AutosaveTick(), 0);
    EXPECT_TRUE(Copies().empty());

    // Internal buffers have no file to come back to; autosave switched off writes nothing.
    Type("z");
    doc->flags |= kDocInternalBuffer;
    EXPECT_EQ(AutosaveTick(), 0);
    doc->flags &= ~kDocInternalBuffer;
    settings.editorFlags &= ~kEditorAutoSave;
    EXPECT_EQ(AutosaveTick(), 0);
    SetAutosaveRoot("");
    settings.editorFlags |= kEditorAutoSave;
    EXPECT_EQ(AutosaveTick(), 0);
    EXPECT_TRUE(Copies().empty());
}

TEST_F(AutosaveTest, CopyHoldsTheHeaderAndEveryLineAsInMemory) {
    Open({"first  ", "", "\tlast\t"}, "Mixed.TXT");
    At(2, 0);
    Type("mid");
    ASSERT_EQ(AutosaveTick(), 1);
    const std::string bytes = Slurp(AutosaveDir() + "/mixed.txt");
    const std::string start = "Autosaved " + doc->name + " ";
    ASSERT_EQ(bytes.rfind(start, 0), 0u) << bytes;
    const std::size_t end = bytes.find("\r\n") + 2;
    const std::string stamp = bytes.substr(start.size(), end - start.size());
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}(\.\d{1,2}){5}\r\n)"))) << stamp;
    // Trailing blanks are the user's until a save: neither the copy nor the text loses them.
    EXPECT_EQ(bytes.substr(end), "first  \r\nmid\r\n\tlast\t\r\n");
    EXPECT_EQ(Text(), (Strings{"first  ", "mid", "\tlast\t"}));
}

TEST_F(AutosaveTest, DocumentsSharingABaseNameKeepSeparateCopies) {
    fs::create_directories(dir / "one");
    fs::create_directories(dir / "two");
    // A copy left by an earlier crash that the user kept: never written over.
    fs::create_directories(AutosaveDir());
    const std::string kept = "Autosaved /old/util.h 2020.1.1.0.0.0\r\nold\r\n";
    { std::ofstream(AutosaveDir() + "/util.h", std::ios::binary) << kept; }

    EditView* a = Open({"a"}, "one/Util.h");
    EditView* b = Open({"b"}, "two/util.H");
    TypeInto(a, "A");
    TypeInto(b, "B");
    ASSERT_EQ(AutosaveTick(), 2);
    EXPECT_EQ(Copies(), (Strings{"util.h", "util~2.h", "util~3.h"}));
    EXPECT_EQ(Slurp(AutosaveDir() + "/util.h"), kept);
    std::map<std::string, std::string> byName;
    for (const std::string& f : AutosaveSessionFiles()) {
        const std::string s = Slurp(f);
        byName[s.substr(10, s.find(' ', 10) - 10)] = s.substr(s.find("\r\n") + 2);
    }
    EXPECT_EQ(byName[a->document->name], "Aa\r\n");
    EXPECT_EQ(byName[b->document->name], "Bb\r\n");

    // Saving one drops its own copy only; the other document's stays current.
    EXPECT_TRUE(SaveDocumentCommand(*a->document));
    EXPECT_EQ(Copies(), (Strings{"util.h", "util~3.h"}));
    EXPECT_TRUE(b->document->flags & kDocAutosaveCurrent);
    EXPECT_EQ(Slurp(AutosaveDir() + "/util~3.h").substr(10, b->document->name.size()),
              b->document->name);
}

TEST_F(AutosaveTest, AFailedWriteStopsThePassAndIsTriedAgain) {
    // A file where the directory should be: nothing can be written under it.
    { std::ofstream(AutosaveDir()) << "x"; }
    EditView* a = Open({"a"}, "a.c");
    EditView* b = Open({"b"}, "b.c");
    TypeInto(a, "1");
    TypeInto(b, "2");
    EXPECT_EQ(AutosaveTick(), 0);
    ASSERT_EQ(ui.Texts().size(), 1u);
    EXPECT_EQ(ui.Texts()[0], "Impossible to autosave " + AutosaveDir() + "/a.c. Disk Full?");
    EXPECT_FALSE(a->document->flags & kDocAutosaveCurrent);
    EXPECT_EQ(FrameStatusPane().Text(), "");

    fs::remove(AutosaveDir());
    EXPECT_EQ(AutosaveTick(), 2);
    EXPECT_EQ(Copies(), (Strings{"a.c", "b.c"}));
    EXPECT_EQ(FrameStatusPane().Text(), "2 files autosaved");
}

TEST_F(AutosaveTest, CopiesLeftByACrashAreRestoredUnderTheirOwnNames) {
    fs::create_directories(dir / "one");
    fs::create_directories(dir / "two");
    EditView* a = Open({"alpha", "beta"}, "one/m.c");
    EditView* b = Open({"gamma"}, "two/m.c");
    EditView* c = Open({"delta"}, "c.c");
    TypeInto(a, "A ");
    TypeInto(b, "B\n");
    TypeInto(c, "C");
    const std::string nameA = a->document->name, nameB = b->document->name;
    const std::string nameC = c->document->name;
    EditView* scratch = NewUntitled();
    TypeInto(scratch, "scratch");
    ASSERT_EQ(AutosaveTick(), 4);
    std::map<std::string, std::string> before;
    for (Document* d = FirstDocument(); d; d = d->next) before[d->name] = All(*d);
    // c.c stays in the editor unchanged from the disk; the others come back from nothing.
    Crash();
    ASSERT_TRUE(OpenFile(nameC));
    const std::int64_t timeC = CurrentDocument()->fileTimeNs;
    const std::string onDiskA = Slurp(nameA);

    dialogAnswers.push_back(kIdYes);
    AutosaveStart(root);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Restore auto saved files");
    EXPECT_EQ(dialogs[0].restoreLabel, "Restore");
    EXPECT_FALSE(dialogs[0].showForget);
    ASSERT_EQ(dialogs[0].rows.size(), 4u);
    EXPECT_EQ(dialogs[0].rows[0].rfind(AsciiLower(nameC) + " ", 0), 0u) << dialogs[0].rows[0];
    EXPECT_EQ(ui.Texts(), Strings{"Autosaved files restored in the editor"});
    EXPECT_EQ(timerCalls, std::vector<bool>{true});
    EXPECT_TRUE(Copies().empty());

    for (const std::string& name : {nameA, nameB, nameC}) {
        Document* d = FindDocument(name, false);
        ASSERT_TRUE(d) << name;
        EXPECT_EQ(d->name, name);
        EXPECT_EQ(Body(*d), before[name]) << name;
        // The header line stays for the user to remove; the text is unsaved.
        EXPECT_EQ(LineString(d->First()).rfind("Autosaved " + name + " ", 0), 0u);
        EXPECT_TRUE(d->flags & kDocModified);
        EXPECT_FALSE(d->flags & kDocAutosaveCurrent);
    }
    // A scratch text comes back as one, not as a file called "untitled" somewhere.
    Document* restoredScratch = FindDocument("untitled", false);
    ASSERT_TRUE(restoredScratch);
    EXPECT_EQ(restoredScratch->name, "untitled");
    EXPECT_EQ(Body(*restoredScratch), "scratch\r\n");
    EXPECT_TRUE(restoredScratch->flags & kDocModified);
    EXPECT_EQ(FindDocument(nameC, false)->fileTimeNs, timeC);
    EXPECT_EQ(Slurp(nameA), onDiskA);
    // The open document's window was brought forward; the last restored one is current,
    // its cursor on line 1.
    EXPECT_NE(std::find(ui.windowCalls.begin(), ui.windowCalls.end(),
                        "activate " + DocumentWindowTitle(nameC)),
              ui.windowCalls.end())
        << ::testing::PrintToString(ui.windowCalls);
    EXPECT_EQ(CurrentDocument(), restoredScratch);
    EXPECT_EQ(CursorLineNumber(*CurrentView()), 1);
    // Restored text is not taken for a change on disk.
    CheckFilesOnDisk();
    EXPECT_EQ(ui.boxes.size(), 1u);
    // The next tick keeps the restored texts safe again.
    EXPECT_EQ(AutosaveTick(), 4);
}

TEST_F(AutosaveTest, CancelledRestoreKeepsOrErasesTheCopies) {
    EditView* a = Open({"a"}, "a.c");
    TypeInto(a, "1");
    ASSERT_EQ(AutosaveTick(), 1);
    Crash();

    // Cancel, then No: the copies stay and are offered again at the next start.
    ui.Answer(kIdNo);
    AutosaveStart(root);
    EXPECT_EQ(ui.Texts(), Strings{"Erase the autosaved files?"});
    EXPECT_EQ(Copies(), Strings{"a.c"});
    EXPECT_EQ(FirstDocument(), nullptr);
    EXPECT_EQ(timerCalls, std::vector<bool>{true});

    ui.Clear();
    ui.Answer(kIdYes);
    AutosaveStart(root);
    EXPECT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(ui.Texts(), Strings{"Erase the autosaved files?"});
    EXPECT_TRUE(Copies().empty());

    // Nothing left: no dialog at all.
    AutosaveStart(root);
    EXPECT_EQ(dialogs.size(), 2u);
}

TEST_F(AutosaveTest, StartWithoutADirectoryOrAWritableOneRestoresNothing) {
    AutosaveStart(root);
    EXPECT_TRUE(fs::is_directory(AutosaveDir()));
    EXPECT_TRUE(dialogs.empty());
    EXPECT_TRUE(ui.boxes.empty());

    // A directory nothing can be created in: the probe fails and autosave goes off.
    fs::remove(AutosaveDir());
    fs::create_directory_symlink("/proc", AutosaveDir());
    timerCalls.clear();
    AutosaveStart(root);
    EXPECT_EQ(ui.Texts(), Strings{"Impossible to write to autosave dir\n" + AutosaveDir() +
                                  "\nAutosave will be disabled"});
    EXPECT_FALSE(settings.editorFlags & kEditorAutoSave);
    EXPECT_TRUE(timerCalls.empty());
    EXPECT_TRUE(dialogs.empty());
    fs::remove(AutosaveDir());

    // The probe leaves nothing behind, and a copy torn by a crash is not offered.
    settings.editorFlags |= kEditorAutoSave;
    fs::create_directories(AutosaveDir());
    { std::ofstream(AutosaveDir() + "/.a.c.velt-1f") << "Autosaved /x/a.c 1.1.1.1.1.1\r\nhalf"; }
    ui.Clear();
    AutosaveStart(root);
    EXPECT_TRUE(dialogs.empty());
    EXPECT_TRUE(Copies().empty());
}

TEST_F(AutosaveTest, StopDeletesThisSessionsCopiesOnly) {
    fs::create_directories(AutosaveDir());
    { std::ofstream(AutosaveDir() + "/left.c", std::ios::binary) << "Autosaved /x/left.c 1\r\n"; }
    EditView* a = Open({"a"}, "a.c");
    EditView* b = Open({"b"}, "b.c");
    TypeInto(a, "1");
    TypeInto(b, "2");
    ASSERT_EQ(AutosaveTick(), 2);
    EXPECT_EQ(Copies(), (Strings{"a.c", "b.c", "left.c"}));
    AutosaveStop();
    EXPECT_EQ(Copies(), Strings{"left.c"});
    EXPECT_EQ(timerCalls, std::vector<bool>{false});
    // Were autosave started again, the documents would be written anew.
    EXPECT_FALSE(a->document->flags & kDocAutosaveCurrent);
    EXPECT_EQ(AutosaveTick(), 2);
}

TEST_F(AutosaveTest, TheConfigurationSwitchesTheAutosaveOnAndOff) {
    dir.Write("root/bin/nimra.exe", "exe");
    dir.Write("root/lib/kernel32.lib", "");
    fs::create_directories(dir / "root/include");
    settings.editorFlags &= ~kEditorAutoSave;
    SetAutosaveRoot("");
    auto confirm = [&](bool on) {
        std::string r = root;
        ConfigContext ctx(settings, r);
        ConfigSheet sheet(ctx);
        GeneralPage& g = *sheet.Find<GeneralPage>();
        g.editorFlags = on ? g.editorFlags | kEditorAutoSave : g.editorFlags & ~kEditorAutoSave;
        ASSERT_TRUE(sheet.Confirm());
    };
    confirm(true);
    EXPECT_EQ(timerCalls, std::vector<bool>{true});
    Open({"a"}, "a.c");
    Type("1");
    EXPECT_EQ(AutosaveTick(), 1);
    confirm(true);  // unchanged: nothing happens
    EXPECT_EQ(timerCalls, std::vector<bool>{true});
    confirm(false);
    EXPECT_EQ(timerCalls, (std::vector<bool>{true, false}));
    EXPECT_TRUE(Copies().empty());
}

}  // namespace
}  // namespace velt::testing
