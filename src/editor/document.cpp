#include "editor/document.h"

#include "analysis/function_list.h"

#include <cstring>

#include "editor/comment_scan.h"
#include "platform/files.h"
#include "shell/memory.h"
#include "shell/msgbox.h"

namespace velt {

void (*gLineChangedHook)(Document& doc, Line* line) = nullptr;
void (*gLineDeletedHook)(Document& doc, Line* line) = nullptr;
void (*gLineMovedHook)(Document& doc, Line* from, Line* to) = nullptr;

namespace {

Document* gDocuments = nullptr;
EditView* gViews = nullptr;
Document* gCurrentDocument = nullptr;
EditView* gCurrentView = nullptr;

int CompareNoCase(const std::string& a, const std::string& b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

void LinkSorted(Document* doc) {
    Document** at = &gDocuments;
    while (*at && CompareNoCase((*at)->name, doc->name) <= 0) at = &(*at)->next;
    doc->next = *at;
    *at = doc;
}

void Unlink(Document* doc) {
    for (Document** at = &gDocuments; *at; at = &(*at)->next)
        if (*at == doc) {
            *at = doc->next;
            doc->next = nullptr;
            return;
        }
}

std::string StripQuotes(const std::string& name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return name.substr(1, name.size() - 2);
    return name;
}

// Moves every reference of the views and saved positions from `from` to `to`.
void Redirect(Document& doc, Line* from, Line* to, bool resetColumns) {
    for (EditView* v = gViews; v; v = v->next) {
        if (v->document != &doc) continue;
        if (v->top == from) v->top = to;
        // A line moved to a bigger block keeps its number.
        if (!resetColumns && v->numberedTop == from) v->numberedTop = to;
        if (!resetColumns && v->numberedCursor == from) v->numberedCursor = to;
        if (v->cursor == from) {
            v->cursor = to;
            if (resetColumns) v->cursorColumn = 0;
        }
        if (v->block == from) {
            v->block = to;
            if (resetColumns) v->blockColumn = 0;
        }
    }
    if (doc.savedCursor == from) {
        doc.savedCursor = to;
        if (resetColumns) doc.savedCursorColumn = 0;
    }
    if (doc.savedBlock == from) {
        doc.savedBlock = to;
        if (resetColumns) doc.savedBlockColumn = 0;
    }
}

}  // namespace

Line* NewLine(const char* text, int n) {
    if (n < 0 || n > kMaxLineLength) return nullptr;
    int capacity = LineCapacityFor(n);
    auto* line =
        static_cast<Line*>(MemAlloc(static_cast<std::uint32_t>(kLineHeadSize + capacity + 3)));
    if (!line) return nullptr;  // MemAlloc has shown the out-of-memory box
    line->capacity = static_cast<std::int16_t>(capacity);
    line->length = static_cast<std::int16_t>(n);
    if (n > 0 && text) std::memcpy(line->text(), text, static_cast<std::size_t>(n));
    // MemAlloc zero-fills, so the NUL after the text is already there.
    return line;
}

void FreeLine(Line* line) {
    MemFree(line);
}

void MarkChanged(Document& doc, Line* line) {
    doc.flags |= kDocModified;
    doc.flags &= static_cast<std::uint16_t>(~(kDocFunctionListValid | kDocAutosaveCurrent));
    if (gLineChangedHook) gLineChangedHook(doc, line);
}

void InsertLineAfter(Document& doc, Line* at, Line* line) {
    if (doc.head->next == doc.head) line->flags |= doc.head->flags & kLineInactive;
    ++doc.structureVersion;
    ++doc.liveLines;
    line->prev = at;
    line->next = at->next;
    at->next->prev = line;
    at->next = line;
}

void AppendLine(Document& doc, Line* line) {
    InsertLineAfter(doc, doc.head->prev, line);
}

Line* GrowLine(Document& doc, Line* line, int length) {
    if (length <= line->capacity) return line;
    if (length > kMaxLineLength) return nullptr;
    int capacity = LineCapacityFor(length);
    auto* bigger =
        static_cast<Line*>(MemAlloc(static_cast<std::uint32_t>(kLineHeadSize + capacity + 3)));
    if (!bigger) return nullptr;
    bigger->capacity = static_cast<std::int16_t>(capacity);
    bigger->length = line->length;
    bigger->flags = line->flags;
    std::memcpy(bigger->text(), line->text(), static_cast<std::size_t>(line->length));
    bigger->prev = line->prev;
    bigger->next = line->next;
    line->prev->next = bigger;
    line->next->prev = bigger;
    Redirect(doc, line, bigger, false);
    if (doc.timeStampLine == line) doc.timeStampLine = bigger;
    if (gLineMovedHook) gLineMovedHook(doc, line, bigger);
    FreeLine(line);
    return bigger;
}

Line* SetLineText(Document& doc, Line* line, const char* text, int n) {
    if (n < 0 || n > kMaxLineLength) return nullptr;
    // The new text may come from the line itself, whose block GrowLine would free.
    std::string copy;
    if (n > line->capacity && text >= line->text() && text < line->text() + line->capacity) {
        copy.assign(text, static_cast<std::size_t>(n));
        text = copy.data();
    }
    Line* l = GrowLine(doc, line, n);
    if (!l) return nullptr;
    if (n > 0) std::memmove(l->text(), text, static_cast<std::size_t>(n));
    l->length = static_cast<std::int16_t>(n);
    l->text()[n] = '\0';
    return l;
}

void DeleteLine(Document& doc, Line* line) {
    if (!line || line == doc.head) return;
    Line* to = line->next;
    if (to == doc.head && line->prev != doc.head) to = line->prev;
    Redirect(doc, line, to, true);
    if (doc.timeStampLine == line) doc.timeStampLine = nullptr;
    ++doc.structureVersion;
    --doc.liveLines;
    line->prev->next = line->next;
    line->next->prev = line->prev;
    if (gLineDeletedHook) gLineDeletedHook(doc, line);
    FreeLine(line);
}

void EmptyDocument(Document& doc) {
    Line* l = doc.head->next;
    while (l != doc.head) {
        Line* next = l->next;
        if (gLineDeletedHook) gLineDeletedHook(doc, l);
        FreeLine(l);
        l = next;
    }
    doc.head->next = doc.head->prev = doc.head;
    doc.timeStampLine = nullptr;
    ++doc.structureVersion;
    doc.liveLines = 0;
    for (EditView* v = gViews; v; v = v->next) {
        if (v->document != &doc) continue;
        v->top = v->cursor = doc.head;
        v->block = nullptr;
        v->cursorColumn = v->blockColumn = 0;
        v->flags |= kViewRepaintAll;
    }
    doc.savedCursor = doc.head;
    doc.savedBlock = nullptr;
    doc.savedCursorColumn = doc.savedBlockColumn = 0;
}

int CountLines(const Document& doc) {
    return doc.liveLines;
}

Line* LineAt(const Document& doc, int n) {
    if (n < 1) return nullptr;
    Line* l = doc.head->next;
    for (; l != doc.head && n > 1; l = l->next) --n;
    return l == doc.head ? nullptr : l;
}

int LineNumber(const Document& doc, const Line* line) {
    int n = 1;
    for (const Line* l = doc.head->next; l != doc.head; l = l->next, ++n)
        if (l == line) return n;
    return 0;
}

// ---- Documents

Document* FirstDocument() {
    return gDocuments;
}

Document* NewDocument(const std::string& name) {
    Line* head = NewLine(nullptr, 0);
    if (!head) return nullptr;
    auto* doc = new Document;
    head->next = head->prev = head;
    doc->head = head;
    doc->savedCursor = head;
    doc->name = name;
    LinkSorted(doc);
    return doc;
}

Document* FindDocument(const std::string& given, bool create) {
    std::string name = StripQuotes(given);
    for (Document* d = gDocuments; d; d = d->next)
        if (CompareNoCase(d->name, name) == 0) return d;
    // Different spellings of one file (letter case the resolver folds, links, "./") are
    // one document; only names of existing files can be compared that way.
    if (platform::PathExists(name)) {
        for (Document* d = gDocuments; d; d = d->next)
            if (platform::SameFile(platform::ResolveName(d->name), name)) return d;
    }
    std::string resolved = platform::ResolveName(name);
    if (resolved != name && platform::PathExists(resolved)) {
        for (Document* d = gDocuments; d; d = d->next)
            if (platform::SameFile(platform::ResolveName(d->name), resolved)) return d;
    }
    return create ? NewDocument(name) : nullptr;
}

void ReleaseDocument(Document* doc) {
    if (!doc) return;
    Unlink(doc);
    EmptyDocument(*doc);
    for (EditView* v = gViews; v; v = v->next)
        if (v->document == doc) {
            v->document = nullptr;
            v->top = v->cursor = v->block = nullptr;
        }
    FreeLine(doc->head);
    if (gCurrentDocument == doc) gCurrentDocument = nullptr;
    // A later document may get the same address; it must not inherit these ranges.
    ForgetCommentRanges(doc);
    ReleaseFunctionList(*doc);
    delete doc;
}

void RenameDocument(Document& doc, const std::string& name) {
    Unlink(&doc);
    doc.name = name;
    LinkSorted(&doc);
}

int DocumentCount() {
    int n = 0;
    for (Document* d = gDocuments; d; d = d->next) ++n;
    return n;
}

// ---- Views

std::uint64_t NewViewSerial() {
    static std::uint64_t last = 0;
    return ++last;
}

EditView* FirstView() {
    return gViews;
}

EditView* NewView(Document* doc, std::uintptr_t window) {
    auto* v = new EditView;
    v->document = doc;
    v->window = window;
    if (doc) ResetView(*v);
    v->next = gViews;
    gViews = v;
    return v;
}

void ReleaseView(EditView* view) {
    if (!view) return;
    for (EditView** at = &gViews; *at; at = &(*at)->next)
        if (*at == view) {
            *at = view->next;
            break;
        }
    if (gCurrentView == view) gCurrentView = nullptr;
    delete view;
}

void ResetView(EditView& view) {
    Line* first = view.document->head->next;
    view.top = view.cursor = first;
    view.block = nullptr;
    view.cursorColumn = view.blockColumn = 0;
    view.leftColumn = 0;
    view.flags |= kViewRepaintAll;
}

Document* CurrentDocument() {
    return gCurrentDocument;
}
void SetCurrentDocument(Document* doc) {
    gCurrentDocument = doc;
}
EditView* CurrentView() {
    return gCurrentView;
}
void SetCurrentView(EditView* view) {
    gCurrentView = view;
    if (view) gCurrentDocument = view->document;
}

void ReleaseAllDocuments() {
    while (gViews) ReleaseView(gViews);
    while (gDocuments) ReleaseDocument(gDocuments);
    gCurrentDocument = nullptr;
    gCurrentView = nullptr;
}

}  // namespace velt
