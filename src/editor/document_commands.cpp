#include "editor/document_commands.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "analysis/function_commands.h"
#include "analysis/grep.h"
#include "editor/autosave.h"
#include "editor/comment_scan.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/editing.h"
#include "editor/language.h"
#include "editor/search.h"
#include "editor/undo.h"
#include "platform/files.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/document_host.h"
#include "shell/frame_messages.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/status_pane.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

bool (*gCurrentBookmarkHook)(const Document& doc, int& line, int& character) = nullptr;
bool (*gOpenProjectFileHook)(const std::string& name) = nullptr;
bool (*gOpenChosenFileHook)(const std::string& name) = nullptr;
bool (*gFileInformationHook)(EditView& view) = nullptr;

namespace pf = velt::platform;

namespace {

constexpr char kUntitled[] = "untitled";
constexpr char kReadOnlyNotice[] = "File is read only";

enum : unsigned {
    kMsgReadError = 141,
    kMsgToReadWrite = 427,
    kMsgToReadOnly = 439,
    kMsgFileChanged = 1202,
    kMsgSaveModifications = 1209,
    kMsgInformation = 3981,
    kMsgNameUsed = 4000,
    kMsgInternalBuffer = 4050,
    kMsgDiscardAndReload = 4051,
    kMsgMarkSet = 4115,
    kMsgNoMarks = 4116,
    kMsgLinesRead = 4388,
};

// An editor window as the core knows it: its view and its title without the modified mark.
struct DocumentWindow {
    EditView* view = nullptr;
    std::string title;
    bool marked = false;  // the title shown carries the modified mark
};

// In activation order: the active window first.
std::vector<DocumentWindow>& Windows() {
    static std::vector<DocumentWindow> windows;
    return windows;
}

const GlobalSettings* gSettings = nullptr;
EditView* gClosing = nullptr;  // the view whose window is being destroyed
bool gChecking = false;        // CheckFilesOnDisk runs: its boxes may bring focus back
const char kOwnerTag = 0;
const void* const kOwner = &kOwnerTag;

bool ViewExists(const EditView* view) {
    for (EditView* v = FirstView(); v; v = v->next)
        if (v == view) return true;
    return false;
}

bool DocumentExists(const Document* doc) {
    for (Document* d = FirstDocument(); d; d = d->next)
        if (d == doc) return true;
    return false;
}

// Drops the records of views released elsewhere.
void Prune() {
    std::erase_if(Windows(), [](const DocumentWindow& w) { return !ViewExists(w.view); });
}

DocumentWindow* FindWindow(const EditView* view) {
    for (DocumentWindow& w : Windows())
        if (w.view == view) return &w;
    return nullptr;
}

void Promote(EditView* view) {
    auto& ws = Windows();
    auto it = std::find_if(ws.begin(), ws.end(), [view](const auto& w) { return w.view == view; });
    if (it == ws.end() || it == ws.begin()) return;
    std::rotate(ws.begin(), it, it + 1);
}

// The front-most window showing `doc`.
EditView* ViewOf(const Document* doc) {
    Prune();
    for (const DocumentWindow& w : Windows())
        if (w.view->document == doc) return w.view;
    return nullptr;
}

bool ShownElsewhere(const Document* doc, const EditView* except) {
    for (EditView* v = FirstView(); v; v = v->next)
        if (v != except && v->document == doc) return true;
    return false;
}

// Documents in the order of their front-most window; documents without a window after them.
std::vector<Document*> DocumentsInWindowOrder() {
    Prune();
    std::vector<Document*> out;
    for (const DocumentWindow& w : Windows())
        if (w.view->document && std::find(out.begin(), out.end(), w.view->document) == out.end())
            out.push_back(w.view->document);
    for (Document* d = FirstDocument(); d; d = d->next)
        if (std::find(out.begin(), out.end(), d) == out.end()) out.push_back(d);
    return out;
}

bool IsUntitled(const Document& doc) {
    return EqualsNoCase(doc.name, kUntitled);
}

bool IsInternal(const Document& doc) {
    return (doc.flags & kDocInternalBuffer) != 0;
}

std::uint32_t EditorFlags() {
    return gSettings ? gSettings->editorFlags : GlobalSettings{}.editorFlags;
}

void Notice(const std::string& text) {
    SendFrameMessage(FrameMessage::Notice, 0, TextParam(text.c_str()));
}

std::string StripQuotes(const std::string& name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return name.substr(1, name.size() - 2);
    return name;
}

// The extension of the name's last component, compared without regard to case. Only the
// file's own extension counts: a directory called "tools.exe" holds ordinary files.
bool HasExtension(const std::string& name, std::string_view ext) {
    const std::string base = pf::NamePart(name);
    const std::size_t dot = base.rfind('.');
    return dot != std::string::npos && dot > 0 && EqualsNoCase(base.substr(dot + 1), ext);
}

// Leaving a view keeps its place in the document, for whoever shows the document next.
void MakeCurrent(EditView* view) {
    EditView* old = CurrentView();
    if (old && old != view && ViewExists(old) && old->document) {
        Document& d = *old->document;
        d.savedCursor = old->cursor;
        d.savedCursorColumn = old->cursorColumn;
        d.savedBlock = old->block;
        d.savedBlockColumn = old->blockColumn;
    }
    SetCurrentView(view);
}

void ActivateView(EditView* view) {
    CurrentUi().ActivateDocumentWindow(view);
    Promote(view);
    MakeCurrent(view);
    UpdatePositionText();
}

void RepaintViews(const Document& doc) {
    for (EditView* v = FirstView(); v; v = v->next)
        if (v->document == &doc) {
            v->flags |= kViewRepaintAll;
            CurrentUi().RepaintDocumentWindow(v);
        }
}

// A new window for `doc`, active and current. Null when the front end could make none (the
// out-of-memory box has been shown).
EditView* OpenWindow(Document* doc, const std::string& title) {
    Prune();
    // Asked before the new window exists: it follows the one active until now.
    const bool maximised = CurrentUi().IsActiveDocumentMaximised();
    EditView* view = NewView(doc, 0);
    // Recorded first: the front end may report the activation while the window is made.
    Windows().insert(Windows().begin(), DocumentWindow{view, title, false});
    if (!CurrentUi().OpenDocumentWindow(view, title, maximised)) {
        std::erase_if(Windows(), [view](const DocumentWindow& w) { return w.view == view; });
        ReleaseView(view);
        ShowOutOfMemory();
        return nullptr;
    }
    Promote(view);
    MakeCurrent(view);
    return view;
}

// Where a view stood, by line numbers, so that it can stand there again after a reload.
struct Place {
    EditView* view;
    int top;
    int cursor;
    int column;
};

// Line n, or the nearest one there is; the sentinel only when the document is empty.
Line* LineOrNearest(const Document& doc, int n) {
    if (n < 1) return doc.First();
    if (Line* l = LineAt(doc, n)) return l;
    return doc.Last();
}

void ReloadKeepingPlaces(Document& doc) {
    std::vector<Place> places;
    for (EditView* v = FirstView(); v; v = v->next)
        if (v->document == &doc)
            places.push_back(
                {v, LineNumber(doc, v->top), LineNumber(doc, v->cursor), v->cursorColumn});
    doc.flags = 0;
    ForgetCommentRanges(&doc);
    // The recorded positions belong to the text being discarded.
    ResetUndo();
    const std::string name = doc.name;
    const int status = LoadDocument(name, doc);
    FinishLoad(doc, name, status);
    for (const Place& p : places) {
        EditView& v = *p.view;
        v.top = LineOrNearest(doc, p.top);
        v.cursor = LineOrNearest(doc, p.cursor);
        const int length = v.cursor == doc.head ? 0 : v.cursor->length;
        v.cursorColumn = static_cast<std::int16_t>(std::min(p.column, length));
        v.flags |= kViewRepaintAll;
    }
    RefreshWindowTitles(doc);
    RepaintViews(doc);
    if (CurrentDocument() == &doc) UpdatePositionText();
}

// Closes the window after the question was settled. `tellUi` is false when the front end
// destroys the window itself (its close box).
void FinishClose(EditView* view, bool tellUi) {
    Document* doc = view->document;
    const bool last = doc && !ShownElsewhere(doc, view);
    const bool wasCurrent = CurrentView() == view;
    gClosing = view;
    if (tellUi) CurrentUi().CloseDocumentWindow(view);
    gClosing = nullptr;
    std::erase_if(Windows(), [view](const DocumentWindow& w) { return w.view == view; });
    ReleaseView(view);
    if (last) {
        if (!IsUntitled(*doc) && !IsInternal(*doc)) RememberRecentFile(doc->name);
        ReleaseDocument(doc);
    }
    if (!wasCurrent) return;
    SetCurrentView(nullptr);
    SetCurrentDocument(nullptr);
    Prune();
    if (!Windows().empty())
        ActivateView(Windows().front().view);
    else
        UpdatePositionText();
}

class EditorDocuments : public DocumentHost {
  public:
    std::vector<DocumentSummary> Documents() override {
        std::vector<DocumentSummary> out;
        for (Document* d : DocumentsInWindowOrder()) {
            DocumentSummary s;
            s.name = d->name;
            s.modified = (d->flags & kDocModified) != 0;
            s.internalBuffer = IsInternal(*d);
            s.view = ViewOf(d);
            if (s.view) s.line = std::max(1, CursorLineNumber(*s.view));
            out.push_back(std::move(s));
        }
        return out;
    }
    bool OpenDocument(const std::string& path) override {
        // The Window menu names documents as listed above, "untitled" ones too.
        for (Document* d : DocumentsInWindowOrder())
            if (d->name == path)
                if (EditView* v = ViewOf(d)) {
                    ActivateView(v);
                    return true;
                }
        return OpenFile(path);
    }
    bool SaveDocument(std::size_t index) override {
        std::vector<Document*> docs = DocumentsInWindowOrder();
        return index < docs.size() && SaveDocumentCommand(*docs[index]);
    }
    void MaximiseActive() override {
        Prune();
        if (!Windows().empty()) CurrentUi().MaximiseDocumentWindow(Windows().front().view);
    }
    void CloseAllWindows() override {
        Prune();
        while (!Windows().empty()) FinishClose(Windows().front().view, true);
    }
};

EditorDocuments& Host() {
    static EditorDocuments host;
    return host;
}

// The languages exist before the settings are read, so that their keys are read with them.
void SetUpLanguages() {
    static bool settingsRegistered = false;
    ResetLanguages();
    if (!settingsRegistered) {
        RegisterLanguageSettings();
        settingsRegistered = true;
    }
    InstallLanguageHooks();
}

}  // namespace

// ---- Titles and the status pane

std::string AbsoluteDocumentName(const std::string& name) {
    const std::string s = StripQuotes(name);
    if (s.empty()) return s;
    std::string norm = std::filesystem::path(pf::MakeAbsolute(s)).lexically_normal().string();
    while (norm.size() > 1 && norm.back() == pf::kPathSeparator) norm.pop_back();
    return norm;
}

std::string DocumentWindowTitle(const std::string& name) {
    std::string dir = pf::CurrentDirectory();
    if (!dir.empty() && dir.back() != pf::kPathSeparator) dir += pf::kPathSeparator;
    std::string_view shown = name;
    if (shown.size() > dir.size() && shown.compare(0, dir.size(), dir) == 0)
        shown.remove_prefix(dir.size());
    return AsciiLower(shown);
}

void RefreshWindowTitles(Document& doc) {
    const bool modified = (doc.flags & kDocModified) != 0;
    Prune();
    for (DocumentWindow& w : Windows()) {
        if (w.view->document != &doc || w.marked == modified) continue;
        w.marked = modified;
        CurrentUi().SetDocumentWindowTitle(w.view, TitleWithModifiedMark(w.title, modified));
    }
}

void UpdatePositionText() {
    EditView* v = CurrentView();
    if (!v || !v->document) {
        SendFrameMessage(FrameMessage::PositionText, 0, TextParam(""));
        return;
    }
    Document& doc = *v->document;
    // Kept by the view: the document is not walked on every keystroke.
    const int line = CursorLineNumber(*v);
    const std::string text =
        FormatPositionText(static_cast<unsigned>(line), v->cursorColumn, PositionFunctionName(),
                           (doc.flags & kDocModified) != 0);
    SendFrameMessage(FrameMessage::PositionText, 0, TextParam(text.c_str()));
    RefreshWindowTitles(doc);
}

void ForgetDocumentWindows() {
    Windows().clear();
    gClosing = nullptr;
}

// ---- Calls of the front end

void DocumentWindowActivated(EditView* view) {
    Prune();
    if (!view || !ViewExists(view) || view == gClosing) return;
    if (!FindWindow(view))
        Windows().insert(
            Windows().begin(),
            DocumentWindow{
                view, DocumentWindowTitle(view->document ? view->document->name : std::string()),
                false});
    Promote(view);
    MakeCurrent(view);
    UpdatePositionText();
}

bool DocumentWindowCloseRequested(EditView* view) {
    // Our own CloseDocumentWindow, or a view that is no longer ours: nothing to ask.
    if (view == gClosing || !ViewExists(view)) return true;
    Document* doc = view->document;
    if (doc && !ShownElsewhere(doc, view) && !AskSaveCurrent(*doc)) return false;
    FinishClose(view, false);
    return true;
}

// ---- The commands

bool OpenFile(const std::string& given) {
    const std::string name = AbsoluteDocumentName(given);
    if (name.empty()) return false;
    if (HasExtension(name, "exe")) {
        ShowInfo(DebuggingUnavailableText(name));
        return false;
    }
    if (HasExtension(name, "prj")) {
        if (!gOpenProjectFileHook) {
            ShowInfo(ProjectsUnavailableText(name));
            return false;
        }
        if (gOpenProjectFileHook(name)) return true;
    }
    if (Document* doc = FindDocument(name, false)) {
        if (EditView* v = ViewOf(doc)) {
            ActivateView(v);
            return true;
        }
        // Kept open by another part of the program without a window: shown as it is.
        if (!OpenWindow(doc, DocumentWindowTitle(doc->name))) return false;
        UpdatePositionText();
        return true;
    }
    Document* doc = NewDocument(name);
    if (!doc) return false;
    EditView* view = OpenWindow(doc, DocumentWindowTitle(name));
    if (!view) {
        ReleaseDocument(doc);
        return false;
    }
    // A file that does not exist leaves the document empty: a new file begins.
    FinishLoad(*doc, name, LoadDocument(name, *doc));
    CurrentUi().RepaintDocumentWindow(view);
    UpdatePositionText();
    return true;
}

EditView* NewUntitled() {
    // Not FindDocument: it would find the "untitled" already open, and every New is a new text.
    Document* doc = NewDocument(kUntitled);
    if (!doc) return nullptr;
    EditView* view = OpenWindow(doc, kUntitled);
    if (!view) {
        ReleaseDocument(doc);
        return nullptr;
    }
    UpdatePositionText();
    return view;
}

bool OpenWithChooser() {
    const std::string name = CurrentUi().ChooseFile("Open", kDocumentFileFilter, false, "");
    if (name.empty()) return false;
    return gOpenChosenFileHook ? gOpenChosenFileHook(name) : OpenFile(name);
}

bool SaveDocumentCommand(Document& doc) {
    // A nameless text would be written to a file called "untitled" in whatever directory is
    // current; an internal buffer has no file at all. Both get a name first.
    if (IsUntitled(doc) || IsInternal(doc)) return SaveDocumentAs(doc);
    const int saved = SaveDocument(doc, EditorFlags());
    RefreshWindowTitles(doc);
    if (CurrentDocument() == &doc) UpdatePositionText();
    return saved == 1;
}

bool SaveDocumentAs(Document& doc) {
    const std::string chosen =
        CurrentUi().ChooseFile("Save as", kDocumentFileFilter, true, doc.name);
    if (chosen.empty()) return false;
    const std::string name = AbsoluteDocumentName(chosen);
    Document* other = FindDocument(name, false);
    if (other && other != &doc) {
        ShowMessageId(kMsgNameUsed);
        return false;
    }
    const std::string oldName = doc.name;
    const std::uint16_t oldFlags = doc.flags;
    const Language* oldLanguage = doc.language;

    RenameDocument(doc, name);
    doc.flags &= static_cast<std::uint16_t>(~kDocInternalBuffer);
    // The read-only flag belonged to the old file; the new one is checked when written.
    if (!other) doc.flags &= static_cast<std::uint16_t>(~kDocReadOnly);
    // The new file is written even when nothing changed since the last save.
    doc.flags |= kDocModified;
    if (gChooseLanguageHook) gChooseLanguageHook(doc);

    if (SaveDocument(doc, EditorFlags()) != 1) {
        // Nothing was written under the new name: the document stays what it was.
        RenameDocument(doc, oldName);
        doc.flags = static_cast<std::uint16_t>(oldFlags & ~kDocCommentRangesCurrent);
        doc.language = oldLanguage;
        return false;
    }
    const std::string title = AsciiLower(name);
    Prune();
    for (DocumentWindow& w : Windows()) {
        if (w.view->document != &doc) continue;
        w.title = title;
        w.marked = false;
        CurrentUi().SetDocumentWindowTitle(w.view, title);
    }
    if (CurrentDocument() == &doc) UpdatePositionText();
    return true;
}

bool SaveAllDocuments() {
    bool all = true;
    // Collected first: a Save as re-sorts the registry.
    for (Document* d : DocumentsInWindowOrder()) {
        if (!DocumentExists(d) || !(d->flags & kDocModified) || IsInternal(*d)) continue;
        // Each failure has shown its message; the others are still saved.
        if (!SaveDocumentCommand(*d)) all = false;
    }
    return all;
}

bool ReloadCurrentDocument() {
    Document* doc = CurrentDocument();
    if (!doc) return false;
    // A nameless text has no file to come back from: reloading would only lose it.
    if (IsInternal(*doc) || IsUntitled(*doc)) {
        ShowMessageId(kMsgInternalBuffer);
        return false;
    }
    if (!AskYesNoId(kMsgDiscardAndReload)) return false;
    ReloadKeepingPlaces(*doc);
    return true;
}

bool InsertFileWithChooser() {
    if (!CurrentDocument()) return false;
    const std::string name = CurrentUi().ChooseFile("Open", kDocumentFileFilter, false, "");
    return !name.empty() && InsertFile(name);
}

bool InsertFile(const std::string& given) {
    EditView* view = CurrentView();
    Document* doc = view && view->document ? view->document : CurrentDocument();
    if (!doc) return false;
    if (doc->flags & kDocReadOnly) {
        Notice(kReadOnlyNotice);
        return false;
    }
    const std::string name = AbsoluteDocumentName(given);
    Line* after = view && view->document == doc && view->cursor ? view->cursor : doc->Last();
    const ReadResult r = ReadFileLines(name, *doc, after);
    if (r.status == kLoadCannotOpen) {
        ShowMessage(FormatText("File %s not found!", name.c_str()));
        return false;
    }
    if (r.lines > 0) {
        doc->lineCount += r.lines;
        MarkChanged(*doc, nullptr);
        Line* last = after;
        for (int i = 0; i < r.lines; ++i) last = last->next;
        // Views of what was an empty document rested on the sentinel.
        for (EditView* v = FirstView(); v; v = v->next) {
            if (v->document != doc) continue;
            if (v->top == doc->head) v->top = doc->First();
            if (v->cursor == doc->head) v->cursor = doc->First();
        }
        if (view && view->document == doc) {
            // Inserted at the end there is no line after them: the cursor stays on text.
            view->cursor = last->next == doc->head ? last : last->next;
            view->cursorColumn = 0;
        }
    }
    if (r.status == kLoadReadError) ShowMessageId(kMsgReadError);
    // The out-of-memory box was shown where memory ran out.
    if (r.status == kLoadReadError || r.status == kLoadOutOfMemory) doc->flags |= kDocIncomplete;
    Notice(FormatText(GetMessageText(kMsgLinesRead), r.lines));
    RepaintViews(*doc);
    UpdatePositionText();
    return r.status == kLoadOk;
}

void ToggleReadOnly() {
    Document* doc = CurrentDocument();
    if (!doc) return;
    const bool readOnly = (doc->flags & kDocReadOnly) != 0;
    if (AskYesNoId(readOnly ? kMsgToReadWrite : kMsgToReadOnly)) doc->flags ^= kDocReadOnly;
}

bool AskSaveCurrent(Document& doc) {
    if (!(doc.flags & kDocModified) || IsInternal(doc)) return true;
    const int answer = CurrentUi().MessageBox(
        FormatText(GetMessageText(kMsgSaveModifications), doc.name.c_str()),
        GetMessageText(kMsgInformation), kMbYesNoCancel | kMbSetForeground, BoxOwner::Frame);
    switch (answer) {
        case kIdYes:
            // A nameless text needs a name before it can be written anywhere.
            if (IsUntitled(doc)) return SaveDocumentAs(doc);
            if (!WriteDocumentTo(doc, doc.name)) return false;
            doc.flags &= static_cast<std::uint16_t>(~kDocModified);
            return true;
        case kIdNo:
            return true;
        default:
            return false;
    }
}

bool CloseDocumentView(EditView* view) {
    Prune();
    if (!view || !ViewExists(view)) return false;
    if (view == gClosing) return true;
    Document* doc = view->document;
    if (doc && !ShownElsewhere(doc, view) && !AskSaveCurrent(*doc)) return false;
    FinishClose(view, true);
    return true;
}

bool CloseCurrentWindow() {
    EditView* view = CurrentView();
    return view && CloseDocumentView(view);
}

std::string FileInformationText(const EditView& view) {
    const Document& doc = *view.document;
    const int lines = CountLines(doc);
    const int line = std::max(1, LineNumber(doc, view.cursor));
    const long long percent = lines > 0 ? static_cast<long long>(line) * 100 / lines : 0;
    long bytes = 0;
    for (const Line* l : Lines(doc)) bytes += l->length + 2;  // as written, with CR LF
    std::string text = doc.name + "\n";
    text += FormatText("Line %d (%d%%) Column %d", line, static_cast<int>(percent),
                       view.cursorColumn + 1);
    text += FormatText("\n%ld bytes, %d lines\n", bytes, lines);
    int markLine = 0, markChar = 0;
    if (gCurrentBookmarkHook && gCurrentBookmarkHook(doc, markLine, markChar))
        text += FormatText(GetMessageText(kMsgMarkSet), markLine, markChar);
    else
        text += GetMessageText(kMsgNoMarks);
    return text;
}

void ShowFileInformation() {
    EditView* view = CurrentView();
    if (!view || !view->document) return;
    if (gFileInformationHook)
        gFileInformationHook(*view);
    else
        ShowInfo(FileInformationText(*view));
}

void CheckFilesOnDisk() {
    if (gChecking) return;
    gChecking = true;
    EditView* before = CurrentView();
    bool moved = false;
    std::vector<Document*> docs;
    for (Document* d = FirstDocument(); d; d = d->next)
        if (!IsUntitled(*d) && !IsInternal(*d)) docs.push_back(d);
    for (Document* d : docs) {
        if (!DocumentExists(d)) continue;
        const std::optional<std::int64_t> t = pf::ModificationTime(pf::ResolveName(d->name));
        if (!t || *t == d->fileTimeNs) continue;
        // Stored before asking: a No is not asked again until the file changes once more.
        d->fileTimeNs = *t;
        d->fileTime = static_cast<std::uint32_t>(*t / 1000000000);
        if (!AskYesNo(FormatText(GetMessageText(kMsgFileChanged), d->name.c_str()))) continue;
        if (EditView* v = ViewOf(d)) {
            ActivateView(v);
            moved = true;
        }
        ReloadKeepingPlaces(*d);
    }
    if (moved && before && ViewExists(before)) ActivateView(before);
    gChecking = false;
}

// ---- Wiring

void SetEditorSettings(const GlobalSettings* settings) {
    gSettings = settings;
}

const GlobalSettings& EditorSettings() {
    static const GlobalSettings defaults;
    return gSettings ? *gSettings : defaults;
}

void RegisterDocumentCommands() {
    CommandDispatcher& d = FrameCommands();
    d.Unregister(kOwner);
    auto add = [&d](unsigned id, CommandPhase phase, std::function<bool()> fn) {
        d.Register(
            id, [fn = std::move(fn)](const CommandCall&) { return std::intptr_t{fn() ? 1 : 0}; },
            kOwner, phase);
    };
    auto onCurrent = [](bool (*fn)(Document&)) {
        return [fn] {
            Document* doc = CurrentDocument();
            return doc && fn(*doc);
        };
    };
    add(kCmdNewFile, CommandPhase::Table, [] { return NewUntitled() != nullptr; });
    add(kCmdOpen, CommandPhase::Table, OpenWithChooser);
    add(kCmdSave, CommandPhase::Table, onCurrent(SaveDocumentCommand));
    add(kCmdSetReadOnly, CommandPhase::Table, [] {
        ToggleReadOnly();
        return true;
    });
    add(kCmdInsertFile, CommandPhase::Table, InsertFileWithChooser);
    add(kCmdReload, CommandPhase::Table, ReloadCurrentDocument);
    add(kCmdSaveAll, CommandPhase::Table, SaveAllDocuments);

    // The frame's own commands.
    add(kCmdSaveAs, CommandPhase::Frame, onCurrent(SaveDocumentAs));
    add(kCmdClose, CommandPhase::Frame, CloseCurrentWindow);
    add(kCmdFileInformation, CommandPhase::Frame, [] {
        ShowFileInformation();
        return true;
    });
    d.Register(
        kCmdOpenByName,
        [](const CommandCall& c) {
            const char* name = reinterpret_cast<const char*>(c.lparam);
            return std::intptr_t{name && *name && OpenFile(name) ? 1 : 0};
        },
        kOwner, CommandPhase::Frame);

    SetFrameMessageHandler(FrameMessage::CheckFiles, [](std::uintptr_t, std::intptr_t) {
        CheckFilesOnDisk();
        return std::intptr_t{0};
    });
}

void InstallEditor(GlobalSettings& settings) {
    static bool stepAdded = false;
    SetEditorSettings(&settings);
    if (!stepAdded) {
        AddBeforeSettingsStep(SetUpLanguages);
        stepAdded = true;
    }
    RegisterDocumentCommands();
    InstallEditingCommands();
    InstallSearchCommands(settings);
    InstallFunctionCommands();
    InstallGrepCommands();
    InstallAutosave(settings);
    SetDocumentHost(&Host());
}

void UninstallEditor() {
    FrameCommands().Unregister(kOwner);
    UninstallEditingCommands();
    UninstallSearchCommands();
    UninstallFunctionCommands();
    UninstallGrepCommands();
    UninstallAutosave();
    SetFrameMessageHandler(FrameMessage::CheckFiles, {});
    if (&CurrentDocuments() == &Host()) SetDocumentHost(nullptr);
    SetEditorSettings(nullptr);
}

}  // namespace velt
