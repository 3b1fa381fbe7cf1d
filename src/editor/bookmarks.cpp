#include "editor/bookmarks.h"

#include <string>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/editing_internal.h"
#include "editor/undo.h"
#include "shell/commands.h"
#include "shell/msgbox.h"
#include "shell/ui.h"

namespace velt {

namespace {

enum : unsigned {
    kMsgNoBookmarks = 4017,
};

Bookmark* gFirst = nullptr;
Bookmark* gCurrent = nullptr;

void (*gPreviousDeleted)(Document&, Line*) = nullptr;
void (*gPreviousMoved)(Document&, Line*, Line*) = nullptr;

void Unlink(Bookmark* m) {
    if (m->prev)
        m->prev->next = m->next;
    else
        gFirst = m->next;
    if (m->next) m->next->prev = m->prev;
    if (gCurrent == m) gCurrent = nullptr;
    delete m;
}

// A bookmark dies with its line. The guard keeps a hook chain that came round to this
// function again (installed twice around another part's hook) from running in circles.
void OnLineDeleted(Document& doc, Line* line) {
    static bool inside = false;
    if (inside) return;
    inside = true;
    if (gPreviousDeleted) gPreviousDeleted(doc, line);
    for (Bookmark* m = gFirst; m;) {
        Bookmark* next = m->next;
        if (m->line == line) Unlink(m);
        m = next;
    }
    inside = false;
}

void OnLineMoved(Document& doc, Line* from, Line* to) {
    static bool inside = false;
    if (inside) return;
    inside = true;
    if (gPreviousMoved) gPreviousMoved(doc, from, to);
    for (Bookmark* m = gFirst; m; m = m->next)
        if (m->line == from) m->line = to;
    inside = false;
}

bool CurrentMarkOf(const Document& doc, int& line, int& character) {
    Bookmark* m = gCurrent;
    if (!m || m->document != &doc) return false;
    line = LineNumber(doc, m->line);
    // The bookmark takes the cursor to the start of its line.
    character = 1;
    return line > 0;
}

// A live view showing the bookmark's document: the one it was set in when it still does.
EditView* ViewFor(const Bookmark* m) {
    if (m->view && EditorViewAlive(m->view, m->viewSerial) && m->view->document == m->document)
        return m->view;
    for (EditView* v = FirstView(); v; v = v->next)
        if (v->document == m->document) return v;
    return nullptr;
}

bool GoTo(Bookmark* m) {
    EditView* v = ViewFor(m);
    if (!v) return false;
    if (CurrentView() != v) ActivateEditorView(v);
    Unmark(*v);
    SetCursorToLine(*v, m->line, 0);
    gCurrent = m;
    UpdatePositionText();
    RepaintView(*v);
    return true;
}

// The user's bookmarks as the dialog lists them; -1 when cancelled.
int ChooseBookmark(const std::string& caption, const std::vector<Bookmark*>& marks) {
    std::vector<std::string> rows;
    rows.reserve(marks.size());
    for (const Bookmark* m : marks) rows.push_back(LineString(m->line));
    const int chosen = CurrentUi().ChooseFromList(caption, rows);
    return chosen >= 0 && chosen < static_cast<int>(marks.size()) ? chosen : -1;
}

}  // namespace

Bookmark* SetBookmark(EditView& view, Line* line, std::uint16_t flags) {
    if (!view.document || !line || line == view.document->head) return nullptr;
    Bookmark* m = FindBookmark(line);
    if (m) {
        m->flags = flags;
    } else {
        m = new Bookmark;
        m->line = line;
        m->view = &view;
        m->viewSerial = view.serial;
        m->document = view.document;
        m->flags = flags;
        m->next = gFirst;
        if (gFirst) gFirst->prev = m;
        gFirst = m;
    }
    gCurrent = m;
    return m;
}

Bookmark* FindBookmark(const Line* line) {
    for (Bookmark* m = gFirst; m; m = m->next)
        if (m->line == line) return m;
    return nullptr;
}

void RemoveBookmark(Bookmark* mark) {
    for (Bookmark* m = gFirst; m; m = m->next)
        if (m == mark) {
            Unlink(m);
            return;
        }
}

void RemoveAllBookmarks() {
    while (gFirst) Unlink(gFirst);
}

Bookmark* FirstBookmark() {
    return gFirst;
}

Bookmark* CurrentBookmark() {
    return gCurrent;
}

std::vector<Bookmark*> UserBookmarks() {
    std::vector<Bookmark*> out;
    for (Bookmark* m = gFirst; m; m = m->next)
        if (m->flags == kBookmarkUser) out.push_back(m);
    return out;
}

void InstallBookmarkHooks() {
    if (gLineDeletedHook != OnLineDeleted) {
        gPreviousDeleted = gLineDeletedHook;
        gLineDeletedHook = OnLineDeleted;
    }
    if (gLineMovedHook != OnLineMoved) {
        gPreviousMoved = gLineMovedHook;
        gLineMovedHook = OnLineMoved;
    }
    gCurrentBookmarkHook = CurrentMarkOf;
}

bool SetBookmarkCommand() {
    EditView* v = EditingView();
    if (!v || v->cursor == v->document->head) return false;
    return SetBookmark(*v, v->cursor) != nullptr;
}

bool GotoBookmarkCommand() {
    const std::vector<Bookmark*> marks = UserBookmarks();
    if (marks.empty()) {
        ShowMessageId(kMsgNoBookmarks);
        return false;
    }
    const int chosen = ChooseBookmark("Goto bookmark", marks);
    return chosen >= 0 && GoTo(marks[static_cast<std::size_t>(chosen)]);
}

bool GotoNextBookmarkCommand() {
    const std::vector<Bookmark*> marks = UserBookmarks();
    if (marks.empty()) {
        ShowMessageId(kMsgNoBookmarks);
        return false;
    }
    std::size_t next = 0;
    for (std::size_t i = 0; i < marks.size(); ++i)
        if (marks[i] == gCurrent) next = (i + 1) % marks.size();
    return GoTo(marks[next]);
}

bool DeleteBookmarkCommand() {
    const std::vector<Bookmark*> marks = UserBookmarks();
    if (marks.empty()) {
        ShowMessageId(kMsgNoBookmarks);
        return false;
    }
    const int chosen = ChooseBookmark("Delete bookmark", marks);
    if (chosen < 0) return false;
    RemoveBookmark(marks[static_cast<std::size_t>(chosen)]);
    if (EditView* v = CurrentView()) RepaintView(*v);
    return true;
}

}  // namespace velt
