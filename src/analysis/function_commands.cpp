#include "analysis/function_commands.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "analysis/function_list.h"
#include "analysis/word_completion.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/language.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/msgbox.h"
#include "shell/ui.h"

namespace velt {
namespace {

const int kOwnerTag = 0;
const void* const kOwner = &kOwnerTag;

// The sort check box of the functions list, kept while the program runs.
bool gFunctionsListSorted = false;

// Puts the cursor of the current view on `line`, recentring when it lies outside the window.
void GoToStartLine(int line) {
    EditView* view = CurrentView();
    if (!view) return;
    const int top = TopLineNumber(*view);
    const bool visible = view->rows > 0 && line >= top && line < top + view->rows;
    GotoLine(line);
    if (!visible) Recenter();
}

void Activate(EditView* view) {
    CurrentUi().ActivateDocumentWindow(view);
    DocumentWindowActivated(view);
    if (CurrentView() != view) SetCurrentView(view);
    if (CurrentDocument() != view->document) SetCurrentDocument(view->document);
}

std::intptr_t Navigate(bool forward) {
    if (NextFunction(forward)) {
        if (EditView* v = CurrentView()) {
            v->flags |= kViewRepaintAll;
            CurrentUi().RepaintDocumentWindow(v);
        }
        UpdatePositionText();
    }
    return 0;
}

}  // namespace

bool GotoFunctionNamed(const std::string& name) {
    if (!name.empty()) {
        // Window order: the current window first, then the others as the registry lists them.
        std::vector<EditView*> order;
        if (EditView* current = CurrentView(); current && current->document)
            order.push_back(current);
        for (EditView* v = FirstView(); v; v = v->next)
            if (v != CurrentView() && v->document) order.push_back(v);
        std::vector<const Document*> tried;
        for (EditView* v : order) {
            Document* doc = v->document;
            bool seen = false;
            for (const Document* d : tried) seen = seen || d == doc;
            if (seen) continue;
            tried.push_back(doc);
            FunctionEntry* entry = FindFunction(*doc, name);
            if (!entry) continue;
            const int line = entry->startLine;
            Activate(v);
            GoToStartLine(line);
            v->flags |= kViewRepaintAll;
            CurrentUi().RepaintDocumentWindow(v);
            UpdatePositionText();
            return true;
        }
    }
    ShowMessage("Function not found");
    return false;
}

std::function<bool(FunctionsDialogRecord&)> gFunctionsDialog;

std::vector<int> FunctionsDialogRecord::Rows() const {
    std::vector<int> rows(names.size());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
    if (sorted)
        std::stable_sort(rows.begin(), rows.end(), [this](int a, int b) {
            return WordOrderLess(names[static_cast<std::size_t>(a)],
                                 names[static_cast<std::size_t>(b)]);
        });
    return rows;
}

std::string FunctionsDialogRecord::Status() const {
    return std::to_string(names.size()) + " functions";
}

FunctionEntry* ChooseFunction() {
    Document* doc = CurrentDocument();
    FunctionEntry* first = doc && EnsureFunctionList(doc) ? FunctionListOf(*doc) : nullptr;
    if (!first) {
        ShowMessage("No functions defined in this file");
        return nullptr;
    }
    FunctionsDialogRecord record;
    for (const char c : doc->name)
        record.title.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    std::vector<FunctionEntry*> entries;
    for (FunctionEntry* e = first; e; e = e->next) {
        entries.push_back(e);
        record.names.push_back(e->name);
    }
    record.sorted = gFunctionsListSorted;
    const bool chosen = gFunctionsDialog && gFunctionsDialog(record);
    gFunctionsListSorted = record.sorted;
    if (!chosen || record.chosen < 0 || static_cast<std::size_t>(record.chosen) >= entries.size())
        return nullptr;
    // The row's own entry: two functions of one name (overloads in a C++ header) stay apart.
    return entries[static_cast<std::size_t>(record.chosen)];
}

bool ShowFunctionsList() {
    EditView* view = CurrentView();
    FunctionEntry* entry = ChooseFunction();
    if (!entry || !view || view != CurrentView()) return false;
    GoToStartLine(entry->startLine);
    view->flags |= kViewRepaintAll;
    CurrentUi().RepaintDocumentWindow(view);
    UpdatePositionText();
    return true;
}

bool SearchFunctionByName() {
    std::string name;
    if (!CurrentUi().AskText("Search a function", "Function name:", name)) return false;
    return GotoFunctionNamed(name);
}

std::string PositionFunctionName() {
    EditView* view = CurrentView();
    if (!view || !view->document) return {};
    Document& doc = *view->document;
    if (!doc.language || !doc.language->ops.scanFunctions) return {};
    if (!(doc.flags & kDocFunctionListValid) || !FunctionListOf(doc)) return {};
    FunctionEntry* entry = FunctionAtCursor();
    return entry ? entry->name : std::string();
}

void InstallFunctionCommands() {
    CommandDispatcher& commands = FrameCommands();
    commands.Unregister(kOwner);
    commands.Register(
        kCmdNextFunction, [](const CommandCall&) { return Navigate(true); }, kOwner);
    commands.Register(
        kCmdPreviousFunction, [](const CommandCall&) { return Navigate(false); }, kOwner);
    commands.Register(
        kCmdSearchFunction,
        [](const CommandCall&) {
            SearchFunctionByName();
            return std::intptr_t{0};
        },
        kOwner);
    commands.Register(
        kCmdFunctionsList,
        [](const CommandCall&) {
            ShowFunctionsList();
            return std::intptr_t{0};
        },
        kOwner);
    commands.Register(
        kCmdWordCompletion,
        [](const CommandCall&) {
            CompleteWord();
            return std::intptr_t{0};
        },
        kOwner);
}

void UninstallFunctionCommands() {
    FrameCommands().Unregister(kOwner);
}

}  // namespace velt
