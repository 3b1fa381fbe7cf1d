#include "analysis/grep.h"

#include <algorithm>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/language.h"
#include "editor/regex.h"
#include "platform/files.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/output_pane.h"
#include "shell/status_pane.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

std::function<bool(GrepDialogRecord&)> gGrepDialog;
std::function<void()> gGrepStarted;
std::function<void(const std::string& file)> gGrepBeforeFile;

namespace pf = velt::platform;

namespace {

const int kOwnerTag = 0;
const void* const kOwner = &kOwnerTag;

constexpr unsigned kMsgEmptySearch = 1214;
constexpr unsigned kMsgNotFound = 4049;
constexpr unsigned kMsgNoDirectory = 4380;
constexpr char kNoFilesText[] = "No files specified";
constexpr char kTitleFormat[] = "Searching for '%s' in '%s': %d hits.";

GrepJob& Job() {
    static GrepJob job;
    return job;
}

// The directory of the search that runs: its hits' bare names live there.
std::string& RunningDirectory() {
    static std::string dir;
    return dir;
}

void AddToHistory(std::vector<std::string>& history, const std::string& text) {
    if (std::find(history.begin(), history.end(), text) == history.end())
        history.insert(history.begin(), text);
}

// A text cut at its first line end and to the field's length.
std::string Field(std::string text, std::size_t max) {
    if (const std::size_t eol = text.find_first_of("\r\n"); eol != std::string::npos)
        text.resize(eol);
    if (text.size() > max) text.resize(max);
    return text;
}

// The identifier under the cursor of the current view, when the cursor is on one.
std::string IdentifierAtCursor() {
    EditView* v = CurrentView();
    if (!v || !v->document) return {};
    const Line* l = v->cursor;
    if (!l || l == v->document->head) return {};
    const char* s = l->text();
    const int column = v->cursorColumn;
    if (column < 0 || column >= l->length || !IsIdentifierChar(s[column])) return {};
    int from = column;
    int to = column;
    while (from > 0 && IsIdentifierChar(s[from - 1])) --from;
    while (to < l->length && IsIdentifierChar(s[to])) ++to;
    return std::string(s + from, static_cast<std::size_t>(to - from));
}

// The results are shown; the status pane keeps the final count.
void FinishGrep() {
    GrepOutcome out = Job().Take();
    GrepState& g = Grep();
    GrepRequest& r = g.request;
    g.hits = std::move(out.hits);
    g.files = std::move(out.files);
    g.searchedDirectory = RunningDirectory();
    r.hits = static_cast<int>(g.hits.size());
    FrameStatusPane().ShowNotice(GrepTitle(r.expression, r.masks, r.hits));
    const bool listed = !g.hits.empty() || out.cancelled;
    if (listed) {
        r.title = GrepTitle(r.expression, r.masks, r.hits);
        ListGrepResults();
    } else {
        // The lines listed before would name hits that are gone.
        FrameOutputPane().Clear(kSearchPage);
    }
    if (out.regexGaveUp) ShowMessageId(kRegexBad);
    if (!listed) ShowMessage(FormatText(GetMessageText(kMsgNotFound), r.expression.c_str()));
}

void OpenHit(std::size_t index) {
    const GrepState& g = Grep();
    // Line 0 is the title.
    if (index == 0 || index > g.hits.size()) return;
    const GrepHit hit = g.hits[index - 1];
    if (!OpenFile(GrepHitPath(hit, g.searchedDirectory))) return;
    EditView* v = CurrentView();
    if (!v || !v->document) return;
    PlaceCursor(*v, hit.line, 0);
    v->flags |= kViewRepaintAll;
    CurrentUi().RepaintDocumentWindow(v);
    UpdatePositionText();
}

// Choosing the page lists the results again unless it still shows them.
void RefillSearchPage() {
    const GrepState& g = Grep();
    if (g.request.title.empty()) return;
    const std::vector<std::string>& lines = FrameOutputPane().Lines(kSearchPage);
    if (lines.size() == g.hits.size() + 1 && lines.front() == g.request.title) return;
    ListGrepResults();
}

}  // namespace

GrepState& Grep() {
    static GrepState state;
    return state;
}

std::string GrepTitle(const std::string& expression, const std::string& masks, int hits) {
    return FormatText(kTitleFormat, expression.c_str(), masks.c_str(), hits);
}

std::string GrepHitPath(const GrepHit& hit, const std::string& searchDirectory) {
    if (hit.file.find(pf::kPathSeparator) != std::string::npos) return hit.file;
    return pf::JoinPath(searchDirectory, hit.file);
}

std::string GrepHitLine(const GrepHit& hit, const std::string& searchDirectory,
                        const std::string& currentDirectory) {
    const std::string full = GrepHitPath(hit, searchDirectory);
    const std::string shown =
        EqualsNoCase(pf::DirectoryPart(full), currentDirectory) ? pf::NamePart(full) : full;
    const std::size_t text = std::min(hit.text.find_first_not_of(" \t"), hit.text.size());
    std::string line;
    line.reserve(shown.size() + hit.text.size() + 16);
    line += '[';
    line += AsciiLower(shown);
    line += ':';
    line += std::to_string(hit.line);
    line += "] ";
    line.append(hit.text, text);
    return line;
}

// ---- The dialog

void GrepDialogRecord::Load() {
    const GrepState& g = Grep();
    const GrepRequest& r = g.request;
    expression = r.expression;
    if (std::string id = IdentifierAtCursor(); !id.empty())
        expression = Field(std::move(id), kGrepExpressionMax);
    expressionHistory = g.expressionHistory;
    masks = r.masks;
    directory = pf::CurrentDirectory();
    directoryHistory = g.directoryHistory;
    regex = (r.flags & kGrepRegex) != 0;
    ignoreCase = !(r.flags & kGrepCaseSensitive);
    wholeWords = (r.flags & kGrepWholeWords) != 0;
    severalWords = (r.flags & kGrepSeveralWords) != 0;
    subdirectories = (r.flags & kGrepSubdirectories) != 0;
}

void GrepDialogRecord::SetSeveralWords(bool on) {
    severalWords = on;
    if (on) {
        ignoreCase = true;
        wholeWords = false;
    }
}

bool GrepDialogRecord::Validate() {
    if (masks.find_first_not_of(' ') == std::string::npos) {
        ShowMessage(kNoFilesText);
        return false;
    }
    if (expression.empty()) {
        ShowMessageId(kMsgEmptySearch);
        return false;
    }
    std::string dir = directory;
    while (dir.size() > 1 && dir.back() == pf::kPathSeparator) dir.pop_back();
    const std::string current = pf::CurrentDirectory();
    if (dir.empty() || EqualsNoCase(dir, current)) {
        directory = current;
        return true;
    }
    const std::string full = pf::ResolveName(AbsoluteDocumentName(dir));
    if (!pf::IsDirectory(full)) {
        ShowMessage(FormatText(GetMessageText(kMsgNoDirectory), dir.c_str()));
        return false;
    }
    directory = full;
    return true;
}

void GrepDialogRecord::Apply() {
    GrepState& g = Grep();
    GrepRequest& r = g.request;
    r.expression = Field(expression, kGrepExpressionMax);
    r.masks = Field(masks, kGrepMasksMax);
    r.directory = directory;
    r.flags = 0;
    if (!ignoreCase) r.flags |= kGrepCaseSensitive;
    if (subdirectories) r.flags |= kGrepSubdirectories;
    if (regex) r.flags |= kGrepRegex;
    if (wholeWords) r.flags |= kGrepWholeWords;
    if (severalWords) r.flags |= kGrepSeveralWords;
    AddToHistory(g.expressionHistory, r.expression);
    AddToHistory(g.directoryHistory, r.directory);
}

// ---- Searching

bool StartGrep() {
    const GrepRequest& r = Grep().request;
    if (r.expression.empty()) return false;
    AbandonGrep();
    GrepJob& job = Job();
    GrepParameters p;
    // The worker resolves every name against this directory: the process's current
    // directory is shared by every thread and stays as it is.
    p.directory = r.directory.empty() ? pf::CurrentDirectory() : r.directory;
    p.masks = r.masks;
    p.flags = r.flags;
    p.expression = r.expression;
    job.SetBeforeFile(gGrepBeforeFile);
    if (const unsigned e = job.Start(p)) {
        ShowMessage(RegexErrorText(e));
        return false;
    }
    RunningDirectory() = p.directory;
    FrameStatusPane().ShowNotice(GrepProgressText());
    return true;
}

bool GrepRunning() {
    return Job().Active();
}

void CancelGrep() {
    if (Job().Active()) Job().Cancel();
}

bool PollGrep() {
    GrepJob& job = Job();
    if (!job.Active()) return false;
    if (!job.Finished()) {
        FrameStatusPane().ShowNotice(GrepProgressText());
        return true;
    }
    FinishGrep();
    return false;
}

void WaitGrep() {
    if (!Job().Active()) return;
    Job().Wait();
    FinishGrep();
}

void AbandonGrep() {
    if (!Job().Active()) return;
    Job().Cancel();
    Job().Take();
}

std::string GrepProgressText() {
    const GrepRequest& r = Grep().request;
    const GrepProgress p = Job().Progress();
    std::string text = GrepTitle(r.expression, r.masks, p.hits);
    if (!p.currentFile.empty()) {
        text += ' ';
        text += AsciiLower(p.currentFile);
    }
    return text;
}

void ListGrepResults() {
    const GrepState& g = Grep();
    const std::string current = pf::CurrentDirectory();
    std::string text = g.request.title;
    for (const GrepHit& hit : g.hits) {
        text += '\n';
        text += GrepHitLine(hit, g.searchedDirectory, current);
    }
    OutputPane& pane = FrameOutputPane();
    pane.Clear(kSearchPage);
    pane.Append(kSearchPage, text);
    pane.SetActivePage(kSearchPage);
}

bool FindInFiles() {
    if (GrepRunning()) {
        CancelGrep();
        return false;
    }
    GrepDialogRecord r;
    r.Load();
    if (!gGrepDialog || !gGrepDialog(r) || !r.Validate()) return false;
    r.Apply();
    if (!StartGrep()) return false;
    if (gGrepStarted)
        gGrepStarted();
    else
        WaitGrep();
    return true;
}

void InstallGrepCommands() {
    CommandDispatcher& d = FrameCommands();
    d.Unregister(kOwner);
    d.Register(
        kCmdFindInFiles, [](const CommandCall&) { return std::intptr_t{FindInFiles() ? 1 : 0}; },
        kOwner);
    OutputPane& pane = FrameOutputPane();
    pane.SetRefill(kSearchPage, RefillSearchPage);
    pane.SetDoubleClickAction(kSearchPage,
                              [](std::size_t index, const std::string&) { OpenHit(index); });
}

void UninstallGrepCommands() {
    AbandonGrep();
    FrameCommands().Unregister(kOwner);
    OutputPane& pane = FrameOutputPane();
    pane.SetRefill(kSearchPage, {});
    pane.SetDoubleClickAction(kSearchPage, {});
}

}  // namespace velt
