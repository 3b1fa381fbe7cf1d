#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include "document_fixture.h"
#include "platform/files.h"
#include "shell/settings.h"

namespace velt::testing {
namespace {

using Writing = DocumentTest;
using Saving = DocumentTest;
using Backups = DocumentTest;
using TimeStamp = DocumentTest;

// Any non-null language: the save only asks whether the document has one.
const Language* SomeLanguage() {
    static int marker;
    return reinterpret_cast<const Language*>(&marker);
}

std::vector<std::string> DirectoryNames(const std::string& dir) {
    std::vector<platform::DirEntry> entries;
    platform::ListDirectory(dir, entries);
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
}

TEST_F(Writing, EveryLineEndsInCrLfWithTrailingBlanksStrippedInMemoryToo) {
    std::string file = dir.Write("a.c", "a  \t\nb\n\t \n  c");
    Document* doc = FindDocument(file, true);
    LoadDocument(file, *doc);
    ASSERT_TRUE(WriteDocument(file));
    EXPECT_EQ(dir.Read("a.c"), "a\r\nb\r\n\r\n  c\r\n");
    EXPECT_EQ(Texts(*doc), (std::vector<std::string>{"a", "b", "", "  c"}));
    EXPECT_EQ(doc->First()->length, 1);
    EXPECT_EQ(doc->First()->text()[1], '\0');

    // An empty document writes nothing at all.
    Document* empty = FindDocument(dir.Write("e.c", "old"), true);
    LoadDocument(dir / "e.c", *empty);
    EmptyDocument(*empty);
    ASSERT_TRUE(WriteDocument(dir / "e.c"));
    EXPECT_EQ(dir.Read("e.c"), "");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(Writing, TheNameMustBelongToAnOpenDocument) {
    Make(dir / "open.c", {"x"});
    EXPECT_FALSE(WriteDocument(dir / "closed.c"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Internal error: File " + dir / "closed.c" + " does not exist!");
    EXPECT_FALSE(platform::PathExists(dir / "closed.c"));
    // Letter case does not matter.
    EXPECT_TRUE(WriteDocument(dir / "OPEN.C"));
    EXPECT_EQ(dir.Read("open.c"), "x\r\n");
}

TEST_F(Writing, AfterAWriteTheTimeIsStoredCursorsClampedAndTheAutosaveCopyDropped) {
    std::string file = dir / "a.c";
    Document* doc = Make(file, {"ab   ", "cdef"});
    doc->flags = kDocAutosaveCurrent | kDocModified;
    EditView* v = NewView(doc, 1);
    v->cursorColumn = 5;
    v->flags = 0;
    EditView* fine = NewView(doc, 2);
    fine->cursor = doc->Last();
    fine->cursorColumn = 4;
    fine->flags = 0;
    static int drops = 0;
    gAutosaveDropHook = [](Document&) { ++drops; };

    ASSERT_TRUE(WriteDocument(file));
    EXPECT_EQ(v->cursorColumn, 2);
    EXPECT_EQ(v->flags & kViewRepaintAll, kViewRepaintAll);
    EXPECT_EQ(fine->cursorColumn, 4);
    EXPECT_EQ(fine->flags, 0);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(doc->flags, kDocModified);  // the writer leaves modified to its caller
    EXPECT_EQ(doc->fileTimeNs, *platform::ModificationTime(file));
}

TEST_F(Writing, AFailedWriteLeavesTheOldFileWholeAndTheDocumentModified) {
    std::string old;
    for (int i = 0; i < 100; ++i) old += std::string(39, 'o') + "\n";
    std::string file = dir.Write("full.c", old);
    Document* doc = FindDocument(file, true);
    LoadDocument(file, *doc);
    for (int i = 0; i < 200; ++i) AppendLine(*doc, NewLine("a longer text than before", 25));
    MarkChanged(*doc);
    doc->flags |= kDocAutosaveCurrent;

    // The disk fills after 1000 bytes of any file this process writes.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int result = SaveDocument(*doc, 0);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(result, 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Write error. Is the disk full?");
    EXPECT_EQ(dir.Read("full.c"), old);
    EXPECT_EQ(DirectoryNames(dir.path()), std::vector<std::string>{"full.c"});
    EXPECT_EQ(doc->flags & kDocModified, kDocModified);
    EXPECT_EQ(doc->flags & kDocAutosaveCurrent, kDocAutosaveCurrent);
    EXPECT_EQ(CountLines(*doc), 300);

    // With room again, the same document saves.
    EXPECT_EQ(SaveDocument(*doc, 0), 1);
    EXPECT_EQ(dir.Read("full.c").size(), 100u * 41 + 200 * 27);
}

TEST_F(Writing, AReadOnlyFileIsNotWrittenAndPermissionsOfOthersAreKept) {
    std::string file = dir.Write("ro.c", "old\n");
    Document* doc = Make(file, {"new"});
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    EXPECT_FALSE(WriteDocument(file));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Impossible to open " + file + " for writing!");
    EXPECT_EQ(dir.Read("ro.c"), "old\n");

    ASSERT_EQ(chmod(file.c_str(), 0751), 0);
    EXPECT_TRUE(WriteDocument(file));
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(dir.Read("ro.c"), "new\r\n");
    (void)doc;
}

TEST_F(Writing, NoFinalNewlineAndBinaryContentComeBackWithCrLfOnly) {
    // NUL bytes, invalid UTF-8, a stray CR and a last line without LF.
    std::string bytes = std::string("ab\0c\xff\xfe\n\xc3\x28\rz\n", 12) + "end";
    std::string file = dir.Write("bin.c", bytes);
    Document* doc = FindDocument(file, true);
    ASSERT_EQ(LoadDocument(file, *doc), kLoadOk);
    ASSERT_TRUE(WriteDocument(file));
    EXPECT_EQ(dir.Read("bin.c"), std::string("ab\0c\xff\xfe\r\n\xc3\x28z\r\nend\r\n", 18));
}

TEST_F(Writing, TenMegabytesWithoutANewlineComeBackBrokenEvery497) {
    std::string bytes(10 * 1000 * 1000, 'x');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 7 == 0 ? '\0' : 'A' + i % 50);
    std::string file = dir.Write("huge.bin", bytes);
    Document* doc = FindDocument(file, true);
    ReadResult r;
    ASSERT_EQ(LoadDocument(file, *doc, &r), kLoadOk);
    EXPECT_EQ(r.lines, 20121);
    EXPECT_EQ(r.broken, 20120);
    ASSERT_TRUE(WriteDocument(file));
    std::string want;
    for (std::size_t at = 0; at < bytes.size(); at += 497) {
        want += bytes.substr(at, 497);
        want += "\r\n";
    }
    EXPECT_EQ(dir.Read("huge.bin"), want);
}

TEST_F(Saving, ReadOnlyOrUnmodifiedDocumentsWriteNothing) {
    std::string file = dir.Write("ro.c", "old\n");
    Document* doc = Make(file, {"new"});
    doc->flags = kDocReadOnly | kDocModified;
    EXPECT_EQ(SaveDocument(*doc, 0), 0);  // changes not on disk: not reported as saved
    EXPECT_EQ(FrameStatusPane().Text(), "ro.c: ReadOnlyFile. Not Saved");
    EXPECT_EQ(dir.Read("ro.c"), "old\n");
    EXPECT_EQ(doc->flags & kDocModified, kDocModified);
    EXPECT_TRUE(ui.boxes.empty());

    doc->flags = kDocReadOnly;
    EXPECT_EQ(SaveDocument(*doc, 0), 1);
    doc->flags = 0;
    EXPECT_EQ(SaveDocument(*doc, kEditorBackups), 1);
    EXPECT_EQ(dir.Read("ro.c"), "old\n");
    EXPECT_FALSE(platform::PathExists(dir / "ro.~c"));

    SetCurrentDocument(doc);
    doc->flags = kDocModified;
    EXPECT_EQ(SaveDocument(0u), 1);
    EXPECT_EQ(dir.Read("ro.c"), "new\r\n");
    EXPECT_EQ(doc->flags, 0);
}

TEST_F(Saving, TruncatedLinesAreSavedOnlyWithConsent) {
    std::string file = dir.Write("t.c", std::string(600, 'q'));
    Document* doc = FindDocument(file, true);
    LoadDocument(file, *doc);
    ui.Clear();
    MarkChanged(*doc);
    ui.Answer(kIdNo);
    EXPECT_EQ(SaveDocument(*doc, 0), 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "File contains truncated lines\nSave anyway?");
    EXPECT_EQ(dir.Read("t.c"), std::string(600, 'q'));
    EXPECT_EQ(doc->flags & kDocIncomplete, kDocIncomplete);

    ui.Answer(kIdYes);
    EXPECT_EQ(SaveDocument(*doc, 0), 1);
    EXPECT_EQ(dir.Read("t.c"), std::string(497, 'q') + "\r\n" + std::string(103, 'q') + "\r\n");
    EXPECT_EQ(doc->flags & (kDocIncomplete | kDocModified), 0);
}

TEST_F(Saving, TheSyntaxCheckAsksOnlyForDocumentsWithALanguageWhileChecking) {
    std::string file = dir / "s.c";
    Document* doc = Make(file, {"int x"});
    static int checks = 0;
    gSyntaxCheckHook = [](Document&, std::string& message) {
        ++checks;
        message = "s.c 1: missing ;";
        return true;
    };
    MarkChanged(*doc);
    EXPECT_EQ(SaveDocument(*doc, kEditorCheckSyntax), 1);  // no language: no check
    EXPECT_EQ(checks, 0);

    doc->language = SomeLanguage();
    MarkChanged(*doc);
    EXPECT_EQ(SaveDocument(*doc, 0), 1);  // checking off
    EXPECT_EQ(checks, 0);

    MarkChanged(*doc);
    ui.Answer(kIdNo);
    EXPECT_EQ(SaveDocument(*doc, kEditorCheckSyntax), 0);
    EXPECT_EQ(checks, 1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "s.c 1: missing ;\nSave?");
    EXPECT_EQ(doc->flags & kDocModified, kDocModified);
    ui.Answer(kIdYes);
    EXPECT_EQ(SaveDocument(*doc, kEditorCheckSyntax), 1);
    EXPECT_EQ(doc->flags & kDocModified, 0);
}

TEST_F(Backups, NamesReplaceTheExtensionWithATildeAndItsFirstTwoCharacters) {
    EXPECT_EQ(BackupName("/w/main.c"), "/w/main.~c");
    EXPECT_EQ(BackupName("/w/unit.cpp"), "/w/unit.~cp");
    EXPECT_EQ(BackupName("/w/Makefile"), "/w/Makefile.~");
    EXPECT_EQ(BackupName("/w.d/Makefile"), "/w.d/Makefile.~");
    EXPECT_EQ(BackupName("/w/a.b.hpp"), "/w/a.b.~hp");
    EXPECT_EQ(BackupName("/w/.profile"), "/w/.profile.~");
    EXPECT_EQ(BackupName("x."), "x.~");
}

TEST_F(Backups, TheBackupHoldsThePreviousContentsAndTheFileKeepsItsMode) {
    std::string file = dir.Write("prog.c", "version 1\n");
    dir.Write("prog.~c", "ancient\n");
    ASSERT_EQ(chmod((dir / "prog.~c").c_str(), 0444), 0);
    ASSERT_EQ(chmod(file.c_str(), 0750), 0);
    Document* doc = FindDocument(file, true);
    LoadDocument(file, *doc);
    SetLineText(*doc, doc->First(), "version 2", 9);
    MarkChanged(*doc);
    ASSERT_EQ(SaveDocument(*doc, kEditorBackups), 1);
    EXPECT_EQ(dir.Read("prog.~c"), "version 1\n");
    EXPECT_EQ(dir.Read("prog.c"), "version 2\r\n");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);

    // Without the preference the backup is left alone.
    SetLineText(*doc, doc->First(), "version 3", 9);
    MarkChanged(*doc);
    ASSERT_EQ(SaveDocument(*doc, 0), 1);
    EXPECT_EQ(dir.Read("prog.~c"), "version 1\n");
    // A new file has nothing to back up.
    Document* fresh = Make(dir / "new.cpp", {"x"});
    MarkChanged(*fresh);
    ASSERT_EQ(SaveDocument(*fresh, kEditorBackups), 1);
    EXPECT_FALSE(platform::PathExists(dir / "new.~cp"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TimeStamp, TheStampAfterDateIsRewrittenInPlace) {
    Document* doc = Make("/w/a.c", {});
    auto make = [&](const std::string& s) {
        Line* l = NewLine(s.data(), static_cast<int>(s.size()));
        AppendLine(*doc, l);
        return l;
    };
    std::string head = "static char *_CMSID = \"$CmsFile: a.c $ $Date: ";
    Line* l = make(head + "2000.10.13.12.30.45 $\";");
    Line* r = RefreshTimeStampLine(*doc, l, "2024.1.2.3.4.5");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(LineString(r), head + "2024.1.2.3.4.5      $\";");

    // A longer stamp grows the line and keeps a blank before the "$".
    l = make(head + "2000.1.1.1.1.1 $\";");
    r = RefreshTimeStampLine(*doc, l, "2024.12.22.13.44.55");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(LineString(r), head + "2024.12.22.13.44.55 $\";");

    // No "$D", no colon after it or no closing "$": nothing changes.
    for (const char* bad :
         {"static char *_CMSID = \"$CmsFile: a.c $\";", "static char *_CMSID = \"$Date 2000 $\";",
          "static char *_CMSID = \"$Date: 2000"}) {
        l = make(bad);
        EXPECT_EQ(RefreshTimeStampLine(*doc, l, "2024.1.2.3.4.5"), nullptr);
        EXPECT_EQ(LineString(l), bad);
    }
}

TEST_F(TimeStamp, SavingRefreshesTheInstalledStampLine) {
    std::string file = dir / "ts.c";
    Document* doc = Make(file, {"int a;", "static char *_CMSID = \"$Date: 1999.1.1.0.0.0 $\";"});
    doc->timeStampLine = doc->Last();
    EditView* v = NewView(doc, 1);
    v->flags = 0;
    MarkChanged(*doc);
    ASSERT_EQ(SaveDocument(*doc, 0), 1);
    EXPECT_EQ(doc->flags & kDocTimeStampLine, kDocTimeStampLine);
    std::string line = LineString(doc->Last());
    EXPECT_EQ(line.find("1999"), std::string::npos);
    EXPECT_EQ(line.rfind("static char *_CMSID = \"$Date: 20", 0), 0u) << line;
    EXPECT_EQ(line.substr(line.size() - 4), " $\";");
    EXPECT_EQ(v->flags & kViewRepaintAll, kViewRepaintAll);
    EXPECT_EQ(dir.Read("ts.c"), "int a;\r\n" + line + "\r\n");

    // Once the line no longer starts with the prefix it is left alone and the flag goes.
    SetLineText(*doc, doc->Last(), "// $Date: 1999 $", 16);
    MarkChanged(*doc);
    ASSERT_EQ(SaveDocument(*doc, 0), 1);
    EXPECT_EQ(LineString(doc->Last()), "// $Date: 1999 $");
    EXPECT_EQ(doc->flags & kDocTimeStampLine, 0);
    // A deleted stamp line is forgotten.
    DeleteLine(*doc, doc->Last());
    EXPECT_EQ(doc->timeStampLine, nullptr);
}

}  // namespace
}  // namespace velt::testing
