#include "editor/autosave.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "editor/comment_scan.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/document_io.h"
#include "editor/undo.h"
#include "platform/files.h"
#include "shell/compiler_root.h"
#include "shell/config_dialog.h"
#include "shell/file_helpers.h"
#include "shell/frame_messages.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/settings.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

namespace {

constexpr char kHeaderWord[] = "Autosaved";
constexpr std::size_t kHeaderReadLimit = 512;
constexpr std::size_t kWriteChunk = 256 * 1024;
constexpr char kProbePrefix[] = "probe-";
constexpr char kCannotReopen[] = "Impossible to reopen %s ???\nAborting restore";

// A copy written in this session and the document it belongs to. The document is kept so
// that two documents with the same base name never write over each other's copy.
struct SessionCopy {
    std::string path;
    const Document* doc;
};

GlobalSettings* gSettings = nullptr;
std::string gRoot;
std::vector<SessionCopy> gSession;  // newest first
AutosaveRestoreDialogFn gRestoreDialog;
std::function<void(bool)> gTimer;
void (*gPreviousDropHook)(Document&) = nullptr;
bool gTicking = false;

bool AutosaveOn() {
    return gSettings && (gSettings->editorFlags & kEditorAutoSave);
}

bool DocumentExists(const Document* doc) {
    for (Document* d = FirstDocument(); d; d = d->next)
        if (d == doc) return true;
    return false;
}

void RunTimer(bool run) {
    if (gTimer) gTimer(run);
}

SessionCopy* CopyOf(const Document& doc) {
    for (SessionCopy& c : gSession)
        if (c.doc == &doc) return &c;
    return nullptr;
}

// Whether `path` may hold the copy of `doc`: not another open document's copy of this
// session, and not a file this session did not write (a copy left by a crash that the user
// chose to keep, which must survive until it is restored or erased).
bool PathFreeFor(const std::string& path, const Document& doc) {
    for (const SessionCopy& c : gSession)
        if (c.path == path) return c.doc == &doc || !DocumentExists(c.doc);
    return !pf::PathExists(path);
}

// The copy's file: the document's base name, lower-cased, in the autosave directory; when
// that name is taken, "~2", "~3", ... before the extension.
std::string CopyPathFor(const Document& doc, const std::string& dir) {
    if (const SessionCopy* c = CopyOf(doc)) return c->path;
    const std::string base = AsciiLower(pf::NamePart(doc.name));
    const std::size_t dot = base.rfind('.');
    const bool ext = dot != std::string::npos && dot > 0;
    const std::string stem = ext ? base.substr(0, dot) : base;
    const std::string tail = ext ? base.substr(dot) : std::string();
    std::string path = pf::JoinPath(dir, base);
    for (int n = 2; !PathFreeFor(path, doc); ++n)
        path = pf::JoinPath(dir, stem + "~" + std::to_string(n) + tail);
    return path;
}

void Remember(const std::string& path, const Document& doc) {
    std::erase_if(gSession, [&](const SessionCopy& c) { return c.path == path || c.doc == &doc; });
    gSession.insert(gSession.begin(), SessionCopy{path, &doc});
}

// The temporary file of a replacement that a crash interrupted (see FileReplacement).
bool IsTornWrite(const std::string& name) {
    return name.size() > 1 && name[0] == '.' && name.find(".velt-") != std::string::npos;
}

// One copy found at start-up.
struct FoundCopy {
    std::string path;
    std::string name;         // the document's name, as written in the header
    std::string description;  // the header after its first blank, lower-cased
};

// Reads the first line of `path` (at most kHeaderReadLimit bytes). False when it cannot be
// opened.
bool ReadHeader(const std::string& path, std::string& line) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) return false;
    char buf[kHeaderReadLimit];
    const std::size_t n = std::fread(buf, 1, sizeof buf, f.get());
    line.assign(buf, n);
    if (const std::size_t lf = line.find('\n'); lf != std::string::npos) line.resize(lf);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

// Splits "Autosaved <name> <stamp>": the stamp holds no blank, so a name with blanks stays
// whole. False for a file that is not a copy.
bool ParseHeader(const std::string& line, FoundCopy& copy) {
    const std::string_view prefix = "Autosaved ";
    if (line.compare(0, prefix.size(), prefix) != 0) return false;
    const std::size_t last = line.rfind(' ');
    if (last < prefix.size()) return false;
    copy.name = line.substr(prefix.size(), last - prefix.size());
    copy.description = AsciiLower(line.substr(prefix.size()));
    return !copy.name.empty();
}

// Writes 256 bytes to a new file in `dir`; the file is removed again either way.
bool ProbeDirectory(const std::string& dir) {
    const std::string probe = pf::CreateTempFile(dir, kProbePrefix);
    if (probe.empty()) return false;
    bool ok = false;
    if (FilePtr f{std::fopen(probe.c_str(), "wb")}) {
        const std::string bytes(256, '\0');
        ok = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
        ok = std::fclose(f.release()) == 0 && ok;
    }
    pf::DeleteFile(probe);
    return ok;
}

// Puts `bytes`, the copy's text, into the document named in its header, opening a window
// for it when none shows it. The document keeps its file time: the text on disk is older
// than the copy, and the check against the disk must not offer to throw the copy away.
bool RestoreCopy(const FoundCopy& copy, const std::string& bytes) {
    Document* doc = nullptr;
    if (EqualsNoCase(copy.name, "untitled")) {
        // A scratch text never had a file: it comes back as a new scratch text.
        if (EditView* v = NewUntitled()) doc = v->document;
    } else if (OpenFile(copy.name)) {
        doc = FindDocument(AbsoluteDocumentName(copy.name), false);
    }
    if (!doc) return false;
    ForgetCommentRanges(doc);
    // The recorded positions belong to the text being replaced.
    ResetUndo();
    // Unlike a load from the file this leaves the file time alone.
    const int status = LoadDocumentFromText(doc->name, bytes, *doc);
    FinishLoad(*doc, doc->name, status);
    MarkChanged(*doc);
    for (EditView* v = FirstView(); v; v = v->next)
        if (v->document == doc) {
            v->flags |= kViewRepaintAll;
            CurrentUi().RepaintDocumentWindow(v);
        }
    RefreshWindowTitles(*doc);
    UpdatePositionText();
    return true;
}

void AutosaveDropHook(Document& doc) {
    if (gPreviousDropHook) gPreviousDropHook(doc);
    DropAutosave(doc);
}

}  // namespace

void SetAutosaveRestoreDialog(AutosaveRestoreDialogFn show) {
    gRestoreDialog = std::move(show);
}

void SetAutosaveTimer(std::function<void(bool)> timer) {
    gTimer = std::move(timer);
}

void InstallAutosave(GlobalSettings& settings) {
    static bool handlerAdded = false;
    gSettings = &settings;
    if (gAutosaveDropHook != &AutosaveDropHook) {
        gPreviousDropHook = gAutosaveDropHook;
        gAutosaveDropHook = &AutosaveDropHook;
    }
    if (handlerAdded) return;
    handlerAdded = true;
    AddConfigConfirmedHandler([](const GlobalSettings& before, ConfigContext& ctx) {
        if (&ctx.settings != gSettings) return;
        SetAutosaveRoot(ctx.root);
        const bool was = (before.editorFlags & kEditorAutoSave) != 0;
        const bool now = (ctx.settings.editorFlags & kEditorAutoSave) != 0;
        if (now && !was) RunTimer(true);
        // Switched off: nothing of this session is left behind for a later start to offer.
        if (was && !now) AutosaveStop();
    });
}

void UninstallAutosave() {
    if (gAutosaveDropHook == &AutosaveDropHook) gAutosaveDropHook = gPreviousDropHook;
    gPreviousDropHook = nullptr;
    gSettings = nullptr;
    gSession.clear();
    gRoot.clear();
}

void SetAutosaveRoot(const std::string& root) {
    gRoot = root;
}

std::string AutosaveDirectory() {
    if (gRoot.empty()) return {};
    // Only the copy's own name is lower-cased: the root keeps its spelling on disk.
    return pf::ResolveName(UnderRoot(gRoot, kAutosaveDirName));
}

bool AutosaveDocument(Document& doc) {
    const std::string dir = AutosaveDirectory();
    if (dir.empty()) return false;
    if (!pf::IsDirectory(dir)) pf::CreateDirectory(dir);
    const std::string path = CopyPathFor(doc, dir);

    std::string buf =
        FormatText("%s %s %s\r\n", kHeaderWord, doc.name.c_str(), TimeStampText().c_str());
    buf.reserve(kWriteChunk + kMaxLineLength + 2);
    // Written beside the old copy and renamed over it: a crash while writing leaves the
    // previous copy whole.
    pf::FileReplacement file;
    bool ok = file.Begin(path);
    for (Line* l = doc.First(); ok && l != doc.head; l = l->next) {
        buf.append(l->text(), static_cast<std::size_t>(l->length));
        buf += "\r\n";
        if (buf.size() >= kWriteChunk) {
            ok = file.Write(buf);
            buf.clear();
        }
    }
    ok = ok && file.Write(buf) && file.Commit(false);
    if (!ok) {
        ShowMessage(FormatText("Impossible to autosave %s. Disk Full?", path.c_str()));
        return false;
    }
    Remember(path, doc);
    doc.flags |= kDocAutosaveCurrent;
    return true;
}

int AutosaveTick() {
    // A box shown by a failing pass runs its own event loop: the timer must not start a
    // second pass (and a second box) inside it.
    if (gTicking || !AutosaveOn() || gRoot.empty()) return 0;
    gTicking = true;
    int written = 0;
    for (Document* d = FirstDocument(); d; d = d->next) {
        if (!(d->flags & kDocModified) || (d->flags & (kDocInternalBuffer | kDocAutosaveCurrent)))
            continue;
        if (!AutosaveDocument(*d)) break;
        ++written;
    }
    gTicking = false;
    if (written > 0) {
        const std::string notice = FormatText("%d files autosaved", written);
        SendFrameMessage(FrameMessage::Notice, 0, TextParam(notice.c_str()));
    }
    return written;
}

void DropAutosave(Document& doc) {
    // Only this document's own copy: a same-named copy may belong to another document, or be
    // one left by a crash that the user chose to keep.
    if (SessionCopy* c = CopyOf(doc)) {
        pf::DeleteFile(c->path);
        std::erase_if(gSession, [&doc](const SessionCopy& s) { return s.doc == &doc; });
    }
    doc.flags &= static_cast<std::uint16_t>(~kDocAutosaveCurrent);
}

bool RestoreAutosaved() {
    const std::string dir = AutosaveDirectory();
    if (dir.empty()) return false;
    if (!pf::IsDirectory(dir)) {
        pf::CreateDirectory(dir);
        return false;
    }
    if (!ProbeDirectory(dir)) {
        ShowMessage(FormatText("Impossible to write to autosave dir\n%s\nAutosave will be disabled",
                               dir.c_str()));
        if (gSettings) gSettings->editorFlags &= ~kEditorAutoSave;
        return false;
    }
    std::vector<pf::DirEntry> entries;
    if (!pf::ListDirectory(dir, entries)) return false;
    std::vector<FoundCopy> copies;
    for (const pf::DirEntry& e : entries) {
        if (e.isDirectory) continue;
        const std::string path = pf::JoinPath(dir, e.name);
        if (IsTornWrite(e.name)) {
            pf::DeleteFile(path);
            continue;
        }
        std::string header;
        if (!ReadHeader(path, header)) {
            ShowMessage(FormatText(kCannotReopen, path.c_str()));
            return false;
        }
        FoundCopy copy;
        copy.path = path;
        if (ParseHeader(header, copy)) copies.push_back(std::move(copy));
    }
    if (copies.empty()) return false;

    AutosaveRestoreDialog dialog;
    for (const FoundCopy& c : copies) dialog.rows.push_back(c.description);
    const int answer = gRestoreDialog ? gRestoreDialog(dialog) : kIdCancel;
    if (answer != kIdYes) {
        if (AskYesNo("Erase the autosaved files?"))
            for (const FoundCopy& c : copies) pf::DeleteFile(c.path);
        return false;
    }
    bool restored = false;
    for (const FoundCopy& c : copies) {
        std::string bytes;
        if (!pf::ReadWholeFile(c.path, bytes)) {
            ShowMessage(FormatText(kCannotReopen, c.path.c_str()));
            break;
        }
        // A copy that could not be put into the editor stays for the next start.
        if (!RestoreCopy(c, bytes)) continue;
        pf::DeleteFile(c.path);
        restored = true;
    }
    return restored;
}

void AutosaveStart(const std::string& root) {
    SetAutosaveRoot(root);
    if (!root.empty() && RestoreAutosaved()) ShowInfo("Autosaved files restored in the editor");
    if (AutosaveOn()) RunTimer(true);
}

void AutosaveStop() {
    RunTimer(false);
    for (const SessionCopy& c : gSession) pf::DeleteFile(c.path);
    gSession.clear();
    // The copies are gone: should autosave run again, every document is written anew.
    for (Document* d = FirstDocument(); d; d = d->next)
        d->flags &= static_cast<std::uint16_t>(~kDocAutosaveCurrent);
}

std::vector<std::string> AutosaveSessionFiles() {
    std::vector<std::string> out;
    for (const SessionCopy& c : gSession) out.push_back(c.path);
    return out;
}

}  // namespace velt
