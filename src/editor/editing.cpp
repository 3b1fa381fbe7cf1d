#include "editor/editing.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing_internal.h"
#include "editor/language.h"
#include "editor/paint.h"
#include "editor/undo.h"
#include "shell/frame_messages.h"
#include "shell/memory.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/settings.h"
#include "shell/ui.h"

namespace velt {

namespace {

enum : unsigned {
    kMsgLineTooLong = 4001,
};

// Typing refuses to grow a line past this; a longer line is split first.
constexpr int kTypingLineLimit = 511;

std::int16_t Col(int c) {
    return static_cast<std::int16_t>(c);
}

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

// ---- Kept line numbers

int Recount(const Document& doc, const Line* line) {
    return std::max(1, LineNumber(doc, line));
}

// The number of `target`, searched both ways from `from` (number `fromNumber`): a cursor
// set elsewhere usually lands near where it was. 0 when it is not found.
int NumberNear(const Document& doc, const Line* from, int fromNumber, const Line* target) {
    if (from == target) return fromNumber;
    const Line* up = from;
    const Line* down = from;
    for (int d = 1; up != doc.head || down != doc.head; ++d) {
        if (up != doc.head) up = up->prev;
        if (down != doc.head) down = down->next;
        if (up == target && up != doc.head) return fromNumber - d;
        if (down == target && down != doc.head) return fromNumber + d;
    }
    return 0;
}

// The number of `line` when only it moved since `known` (number `knownNumber`) was counted.
int RecountFrom(const Document& doc, const Line* known, int knownNumber, const Line* line) {
    if (known && known != doc.head && line != doc.head)
        if (int n = NumberNear(doc, known, knownNumber, line)) return n;
    return Recount(doc, line);
}

void Renumber(EditView& v) {
    const Document& doc = *v.document;
    if (v.numberedVersion != doc.structureVersion) {
        v.cursorLineNumber = Recount(doc, v.cursor);
        v.topLineNumber = v.top == v.cursor ? v.cursorLineNumber : Recount(doc, v.top);
        v.numberedCursor = v.cursor;
        v.numberedTop = v.top;
        v.numberedVersion = doc.structureVersion;
        return;
    }
    // The lines are the ones counted before: only a pointer was set from outside.
    if (v.numberedCursor != v.cursor) {
        v.cursorLineNumber = RecountFrom(doc, v.numberedCursor, v.cursorLineNumber, v.cursor);
        v.numberedCursor = v.cursor;
    }
    if (v.numberedTop != v.top) {
        v.topLineNumber = v.top == v.cursor
                              ? v.cursorLineNumber
                              : RecountFrom(doc, v.numberedTop, v.topLineNumber, v.top);
        v.numberedTop = v.top;
    }
}

void Stamp(EditView& v) {
    v.numberedCursor = v.cursor;
    v.numberedTop = v.top;
    v.numberedVersion = v.document->structureVersion;
}

// Lines were linked in after line `k` (0: before the first): `m` of them.
void LinesInserted(Document& doc, int k, int m) {
    for (EditView* v = FirstView(); v; v = v->next) {
        if (v->document != &doc) continue;
        if (v->cursorLineNumber > k) v->cursorLineNumber += m;
        if (v->topLineNumber > k) v->topLineNumber += m;
        Stamp(*v);
    }
}

// Line `k` was unlinked; `wasLast` when nothing followed it. DeleteLine has moved the views
// that stood on it to the next line, or to the one before when it was the last.
void LineRemoved(Document& doc, int k, bool wasLast) {
    const int landed = wasLast ? std::max(1, k - 1) : k;
    for (EditView* v = FirstView(); v; v = v->next) {
        if (v->document != &doc) continue;
        if (v->cursorLineNumber > k)
            --v->cursorLineNumber;
        else if (v->cursorLineNumber == k)
            v->cursorLineNumber = landed;
        if (v->topLineNumber > k)
            --v->topLineNumber;
        else if (v->topLineNumber == k)
            v->topLineNumber = landed;
        Stamp(*v);
    }
}

// Lines that other views show may have become shorter.
void ClampViews(Document& doc) {
    for (EditView* v = FirstView(); v; v = v->next) {
        if (v->document != &doc || !v->cursor) continue;
        const int len = v->cursor == doc.head ? 0 : v->cursor->length;
        if (v->cursorColumn > len) v->cursorColumn = Col(len);
        if (v->block) {
            const int blen = v->block == doc.head ? 0 : v->block->length;
            if (v->blockColumn > blen) v->blockColumn = Col(blen);
        }
    }
}

Line* Forward(const Document& doc, Line* l, int n, int* moved) {
    int done = 0;
    while (done < n && l->next != doc.head) {
        l = l->next;
        ++done;
    }
    if (moved) *moved = done;
    return l;
}

Line* Backward(const Document& doc, Line* l, int n, int* moved) {
    int done = 0;
    while (done < n && l->prev != doc.head) {
        l = l->prev;
        ++done;
    }
    if (moved) *moved = done;
    return l;
}

// A document without lines gets an empty one, so the cursor has a line to work on.
bool EnsureLine(EditView& v) {
    Document& doc = *v.document;
    if (!doc.Empty()) return true;
    Line* l = NewLine(nullptr, 0);
    if (!l) return false;
    AppendLine(doc, l);
    for (EditView* o = FirstView(); o; o = o->next) {
        if (o->document != &doc) continue;
        if (o->top == doc.head) o->top = l;
        if (o->cursor == doc.head) {
            o->cursor = l;
            o->cursorColumn = 0;
        }
        o->cursorLineNumber = o->topLineNumber = 1;
        Stamp(*o);
    }
    return true;
}

void SetCursorLine(EditView& v, Line* line, int number) {
    v.cursor = line;
    v.cursorLineNumber = number;
    v.numberedCursor = line;
}

void SetTopLine(EditView& v, Line* line, int number) {
    v.top = line;
    v.topLineNumber = number;
    v.numberedTop = line;
}

// Replaces the text of `line` by `text`; the line to use afterwards, or null when it did not
// fit (memory).
Line* Retext(Document& doc, Line* line, const char* text, int n) {
    return SetLineText(doc, line, text, n);
}

}  // namespace

// ---- Shared with the other editing files

EditView* EditingView() {
    EditView* v = CurrentView();
    if (!v || !v->document || !v->cursor) return nullptr;
    Renumber(*v);
    Document& doc = *v->document;
    const int len = v->cursor == doc.head ? 0 : v->cursor->length;
    if (v->cursorColumn > len) v->cursorColumn = Col(len);
    if (v->cursorColumn < 0) v->cursorColumn = 0;
    return v;
}

int EditingTabSize() {
    return std::clamp(EditorSettings().tabSize, 1, 64);
}

bool AutoIndentOn() {
    return (EditorSettings().editorFlags & kEditorAutoIndent) != 0;
}

bool IsReadOnly(const Document& doc) {
    return (doc.flags & kDocReadOnly) != 0;
}

void ReadOnlyNotice() {
    SendFrameMessage(FrameMessage::Notice, 0, TextParam("File is read only"));
}

int LineLength(const Document& doc, const Line* line) {
    return line == doc.head ? 0 : line->length;
}

void RepaintView(EditView& v) {
    CurrentUi().RepaintDocumentWindow(&v);
}

void RepaintDocument(Document& doc) {
    for (EditView* v = FirstView(); v; v = v->next)
        if (v->document == &doc) CurrentUi().RepaintDocumentWindow(v);
}

void NumberViewsOf(Document& doc) {
    for (EditView* v = FirstView(); v; v = v->next)
        if (v->document == &doc && v->cursor) Renumber(*v);
}

void KeepCursorVisible(EditView& v) {
    Document& doc = *v.document;
    Renumber(v);
    if (v.cursor == doc.head) {
        SetTopLine(v, v.cursor, 1);
        return;
    }
    const int rows = v.rows;
    const int cur = v.cursorLineNumber;
    const int top = v.topLineNumber;
    if (rows <= 0) {
        if (cur < top || v.top == doc.head) SetTopLine(v, v.cursor, cur);
        return;
    }
    if (cur >= top && cur < top + rows && v.top != doc.head) return;
    // A short step scrolls just enough; a jump puts the cursor in the middle.
    int want;
    if (cur < top && top - cur <= rows)
        want = cur;
    else if (cur >= top + rows && cur - (top + rows - 1) <= rows)
        want = cur - rows + 1;
    else
        want = cur - rows / 2;
    want = std::max(1, want);
    int moved = 0;
    Line* t = Backward(doc, v.cursor, cur - want, &moved);
    SetTopLine(v, t, cur - moved);
}

// ---- Positions

int CursorLineNumber(EditView& view) {
    if (!view.document || !view.cursor) return 1;
    Renumber(view);
    return view.cursorLineNumber;
}

int TopLineNumber(EditView& view) {
    if (!view.document || !view.top) return 1;
    Renumber(view);
    return view.topLineNumber;
}

void PlaceCursor(EditView& v, int line, int column) {
    Document& doc = *v.document;
    Renumber(v);
    if (doc.Empty()) {
        v.cursorColumn = 0;
        return;
    }
    line = std::max(1, line);
    const int cur = v.cursor == doc.head ? 0 : v.cursorLineNumber;
    Line* l;
    int number;
    int moved = 0;
    if (cur > 0 && std::abs(line - cur) < line) {
        if (line >= cur) {
            l = Forward(doc, v.cursor, line - cur, &moved);
            number = cur + moved;
        } else {
            l = Backward(doc, v.cursor, cur - line, &moved);
            number = cur - moved;
        }
    } else {
        l = Forward(doc, doc.First(), line - 1, &moved);
        number = 1 + moved;
    }
    SetCursorLine(v, l, number);
    v.cursorColumn = Col(std::clamp(column, 0, static_cast<int>(l->length)));
    KeepCursorVisible(v);
}

TextPosition CursorPosition(EditView& v) {
    Renumber(v);
    return {v.cursorLineNumber, v.cursorColumn};
}

// ---- Text

std::size_t InsertTextAt(EditView& v, const char* text, std::size_t n) {
    Document& doc = *v.document;
    if (n == 0) return 0;
    NumberViewsOf(doc);
    if (!EnsureLine(v)) return 0;
    Line* line = v.cursor;
    const int k = v.cursorLineNumber;
    const int col = std::min<int>(v.cursorColumn, line->length);
    const char* end = text + n;
    const bool oneLine = std::memchr(text, '\n', n) == nullptr;

    // Within one line: the path of every keystroke.
    if (oneLine && line->length + static_cast<std::int64_t>(n) <= kMaxLineLength) {
        const int add = static_cast<int>(n);
        Line* l = GrowLine(doc, line, line->length + add);
        if (!l) return 0;
        char* t = l->text();
        std::memmove(t + col + add, t + col, static_cast<std::size_t>(l->length - col));
        std::memcpy(t + col, text, n);
        l->length = static_cast<std::int16_t>(l->length + add);
        t[l->length] = '\0';
        v.cursorColumn = Col(col + add);
        MarkChanged(doc, l);
        ClampViews(doc);
        return n;
    }

    auto pieceEnd = [end](const char* from) {
        const void* e = std::memchr(from, '\n', static_cast<std::size_t>(end - from));
        return e ? static_cast<const char*>(e) : end;
    };
    // The tail of the cursor line goes after the last piece.
    const std::string tail(line->text() + col, static_cast<std::size_t>(line->length - col));
    const char* p = text;
    std::size_t inserted = 0;
    int added = 0;
    Line* cur;
    {
        const std::size_t room = static_cast<std::size_t>(kMaxLineLength - col);
        const std::size_t take = std::min<std::size_t>(room, pieceEnd(p) - p);
        std::string head(line->text(), static_cast<std::size_t>(col));
        head.append(p, take);
        cur = Retext(doc, line, head.data(), static_cast<int>(head.size()));
        if (!cur) return 0;
        inserted += take;
        p += take;
    }
    while (p < end) {
        // A LF begins a new line; so does a line that is full (a break is made).
        if (*p == '\n') ++p;
        const std::size_t take = std::min<std::size_t>(kMaxLineLength, pieceEnd(p) - p);
        Line* l = NewLine(p, static_cast<int>(take));
        if (!l) break;  // out of memory: the box was shown, what is in stays
        InsertLineAfter(doc, cur, l);
        ++added;
        cur = l;
        inserted += 1 + take;
        p += take;
    }
    Line* endLine = cur;
    const int endNumber = k + added;
    const int endColumn = cur->length;
    if (!tail.empty()) {
        Line* joined = nullptr;
        if (cur->length + static_cast<std::int64_t>(tail.size()) <= kMaxLineLength) {
            std::string t(cur->text(), static_cast<std::size_t>(cur->length));
            t += tail;
            joined = Retext(doc, cur, t.data(), static_cast<int>(t.size()));
            if (joined) endLine = joined;
        }
        if (!joined) {
            // Too long to join (or no memory to grow): the tail keeps a line of its own.
            if (Line* l = NewLine(tail.data(), static_cast<int>(tail.size()))) {
                InsertLineAfter(doc, endLine, l);
                ++added;
                inserted += 1;
            }
        }
    }
    LinesInserted(doc, k, added);
    SetCursorLine(v, endLine, endNumber);
    v.cursorColumn = Col(endColumn);
    MarkChanged(doc, added ? nullptr : endLine);
    ClampViews(doc);
    return inserted;
}

std::size_t DeleteTextAt(EditView& v, std::size_t n, std::string* removed) {
    Document& doc = *v.document;
    if (n == 0 || doc.Empty() || v.cursor == doc.head) return 0;
    NumberViewsOf(doc);
    Line* line = v.cursor;
    const int k = v.cursorLineNumber;
    const int col = std::min<int>(v.cursorColumn, line->length);
    const int len = line->length;

    if (static_cast<std::size_t>(len - col) >= n) {
        const int cut = static_cast<int>(n);
        char* t = line->text();
        if (removed) removed->append(t + col, n);
        std::memmove(t + col, t + col + cut, static_cast<std::size_t>(len - col - cut));
        line->length = static_cast<std::int16_t>(len - cut);
        t[line->length] = '\0';
        MarkChanged(doc, line);
        ClampViews(doc);
        return n;
    }

    // Where the removal ends: line `last`, column `endCol`.
    std::size_t left = n - static_cast<std::size_t>(len - col);
    std::size_t count = static_cast<std::size_t>(len - col);
    Line* last = line;
    int endCol = len;
    while (left > 0 && last->next != doc.head) {
        Line* m = last->next;
        --left;  // the line end
        const std::size_t take = std::min<std::size_t>(left, static_cast<std::size_t>(m->length));
        left -= take;
        count += 1 + take;
        last = m;
        endCol = static_cast<int>(take);
    }
    // A join that would make a line too long stops before the break leading to it.
    if (last != line && col + (last->length - endCol) > kMaxLineLength) {
        count -= static_cast<std::size_t>(endCol) + 1;
        last = last->prev;
        endCol = last->length;
    }
    if (removed) {
        removed->reserve(removed->size() + count);
        removed->append(line->text() + col, static_cast<std::size_t>(len - col));
        for (Line* m = line; m != last;) {
            m = m->next;
            removed->push_back('\n');
            removed->append(m->text(), static_cast<std::size_t>(m == last ? endCol : m->length));
        }
    }
    std::string joined(line->text(), static_cast<std::size_t>(col));
    joined.append(last->text() + endCol, static_cast<std::size_t>(last->length - endCol));
    Line* kept = Retext(doc, line, joined.data(), static_cast<int>(joined.size()));
    if (!kept) return 0;
    const bool lastWasKept = last == line;
    if (!lastWasKept) {
        for (;;) {
            Line* m = kept->next;
            const bool done = m == last;
            const bool wasLast = m->next == doc.head;
            DeleteLine(doc, m);
            LineRemoved(doc, k + 1, wasLast);
            if (done) break;
        }
    }
    SetCursorLine(v, kept, k);
    v.cursorColumn = Col(col);
    MarkChanged(doc, lastWasKept ? kept : nullptr);
    ClampViews(doc);
    return count;
}

namespace {
EditEffect gEffect;
}

EditEffect& CurrentEffect() {
    return gEffect;
}

void ResetEffect() {
    gEffect = EditEffect{};
}

namespace {

// Inserts at the cursor and notes where, for the event's record.
std::size_t InsertNoting(EditView& v, const char* text, std::size_t n) {
    const TextPosition at = CursorPosition(v);
    const std::size_t done = InsertTextAt(v, text, n);
    if (done) {
        if (!gEffect.set) {
            gEffect.set = true;
            gEffect.line = at.line;
            gEffect.column = at.column;
        }
        gEffect.inserted += done;
    }
    return done;
}

// Splits the line too long to type into at the cursor (recorded as a compound change). The
// cursor stays at the end of the first part when typing can go on there, else it starts
// the second part.
void SplitForTyping(EditView& v) {
    const TextPosition at = CursorPosition(v);
    if (InsertTextAt(v, "\n", 1) != 1) return;
    if (UndoRecord* r = RecordEventAt(v, at.line, at.column, kUndoCompound, 0, 0)) {
        r->atLine = at.line;
        r->atColumn = at.column;
        r->inserted = 1;
    }
    if (at.column <= kTypingLineLimit) {
        SetCursorLine(v, v.cursor->prev, at.line);
        v.cursorColumn = Col(at.column);
    }
}

// Removes the character at the cursor, recording it as a kind-129 record.
bool RemoveRecorded(EditView& v) {
    const TextPosition at = CursorPosition(v);
    const char c = v.cursor->text()[v.cursorColumn];
    std::string gone;
    if (DeleteTextAt(v, 1, &gone) != 1) return false;
    RecordEventAt(v, at.line, at.column, kUndoOverwritten, static_cast<unsigned char>(c), 1);
    return true;
}

}  // namespace

// ---- Primitives

void InsertChars(unsigned ch, int count) {
    EditView* v = EditingView();
    if (!v) return;
    Document& doc = *v->document;
    if (IsReadOnly(doc)) {
        ReadOnlyNotice();
        return;
    }
    if (ch < 32 || ch > 255 || count < 1) return;
    if (v->cursor != doc.head && v->cursor->length > kTypingLineLimit) {
        ShowMessageId(kMsgLineTooLong);
        SplitForTyping(*v);
    }
    const int tab = EditingTabSize();
    if (v->flags & kViewOverwrite) {
        for (int i = 0; i < count && v->cursor != doc.head; ++i) {
            Line* l = v->cursor;
            if (v->cursorColumn >= l->length) break;
            // A tab wider than one column takes the character in front of it and stays.
            if (l->text()[v->cursorColumn] == '\t' &&
                DisplayColumn(l, v->cursorColumn, tab) % tab != tab - 1)
                break;
            if (!RemoveRecorded(*v)) break;
        }
    }
    std::string text;
    if (ch == '}' && (doc.flags & kDocCLanguage) && AutoIndentOn() && v->cursor != doc.head) {
        Line* l = v->cursor;
        const int col = v->cursorColumn;
        const int visual = DisplayColumn(l, col, tab);
        bool blank = true;
        for (int i = 0; i < col && blank; ++i) blank = Blank(l->text()[i]);
        if (blank && visual >= tab) {
            // Back one tab stop: only the white space between goes, never text after it.
            const int target = visual - tab;
            const int from = CharColumnAt(l, target, tab);
            v->cursorColumn = Col(from);
            for (int i = from; i < col; ++i) RemoveRecorded(*v);
            const int pad = target - DisplayColumn(v->cursor, from, tab);
            if (pad > 0) text.assign(static_cast<std::size_t>(pad), ' ');
        }
    }
    text.append(static_cast<std::size_t>(count), static_cast<char>(ch));
    InsertNoting(*v, text.data(), text.size());
    KeepCursorVisible(*v);
}

bool InsertRun(int count, char ch) {
    EditView* v = EditingView();
    if (!v || count < 1) return false;
    if (IsReadOnly(*v->document)) {
        ReadOnlyNotice();
        return false;
    }
    const std::string text(static_cast<std::size_t>(count), ch);
    const bool done = InsertNoting(*v, text.data(), text.size()) > 0;
    KeepCursorVisible(*v);
    return done;
}

bool NewLine(int count) {
    EditView* v = EditingView();
    if (!v || count < 1) return false;
    Document& doc = *v->document;
    if (IsReadOnly(doc)) {
        ReadOnlyNotice();
        return false;
    }
    bool done = false;
    if (v->flags & kViewOverwrite) {
        // Only a move while there is a next line; past the last one a line is made.
        for (int i = 0; i < count; ++i) {
            if (v->cursor != doc.head && v->cursor->next != doc.head) {
                SetCursorLine(*v, v->cursor->next, v->cursorLineNumber + 1);
                v->cursorColumn = 0;
                done = true;
                continue;
            }
            if (v->cursor != doc.head) v->cursorColumn = Col(v->cursor->length);
            if (InsertNoting(*v, "\n", 1) != 1) break;
            done = true;
        }
        KeepCursorVisible(*v);
        return done;
    }
    std::string text(static_cast<std::size_t>(count), '\n');
    if (count == 1 && AutoIndentOn() && v->cursor != doc.head) {
        // The indentation of the line being split, as far as it lies before the cursor.
        const Line* l = v->cursor;
        int n = 0;
        while (n < v->cursorColumn && Blank(l->text()[n])) ++n;
        text.append(l->text(), static_cast<std::size_t>(n));
    }
    done = InsertNoting(*v, text.data(), text.size()) > 0;
    KeepCursorVisible(*v);
    return done;
}

namespace {

// The position `count` characters before the cursor (a line end counting one); `walked`
// receives how many there were.
TextPosition PositionBefore(EditView& v, std::size_t count, std::size_t* walked, Line** at) {
    Document& doc = *v.document;
    Line* l = v.cursor;
    int number = v.cursorLineNumber;
    int c = v.cursorColumn;
    std::size_t left = count;
    while (left > 0 && l != doc.head) {
        if (c > 0) {
            const int step = static_cast<int>(std::min<std::size_t>(left, c));
            c -= step;
            left -= static_cast<std::size_t>(step);
        } else {
            if (l->prev == doc.head) break;
            l = l->prev;
            --number;
            c = l->length;
            --left;
        }
    }
    if (walked) *walked = count - left;
    if (at) *at = l;
    return {number, c};
}

}  // namespace

std::string TextBeforeCursor(EditView& v, std::size_t count, TextPosition* start) {
    std::size_t walked = 0;
    Line* l = nullptr;
    const TextPosition from = PositionBefore(v, count, &walked, &l);
    if (start) *start = from;
    std::string out;
    out.reserve(walked);
    int c = from.column;
    while (out.size() < walked) {
        const int take = std::min<int>(l->length - c, static_cast<int>(walked - out.size()));
        out.append(l->text() + c, static_cast<std::size_t>(take));
        if (out.size() < walked) {
            out.push_back('\n');
            l = l->next;
            c = 0;
        }
    }
    return out;
}

std::string TextAtCursor(EditView& v, std::size_t count) {
    Document& doc = *v.document;
    std::string out;
    Line* l = v.cursor;
    if (l == doc.head) return out;
    int c = v.cursorColumn;
    while (out.size() < count) {
        const int take = std::min<int>(l->length - c, static_cast<int>(count - out.size()));
        out.append(l->text() + c, static_cast<std::size_t>(take));
        if (out.size() >= count || l->next == doc.head) break;
        out.push_back('\n');
        l = l->next;
        c = 0;
    }
    return out;
}

std::size_t DeleteBeforeCursor(EditView& v, std::size_t count, std::string* removed) {
    std::size_t walked = 0;
    Line* l = nullptr;
    const TextPosition from = PositionBefore(v, count, &walked, &l);
    if (walked == 0) return 0;
    SetCursorLine(v, l, from.line);
    v.cursorColumn = Col(from.column);
    return DeleteTextAt(v, walked, removed);
}

bool DeleteLeft(int count) {
    EditView* v = EditingView();
    if (!v || count < 1) return false;
    if (IsReadOnly(*v->document)) {
        ReadOnlyNotice();
        return false;
    }
    const bool done = DeleteBeforeCursor(*v, static_cast<std::size_t>(count), nullptr) > 0;
    KeepCursorVisible(*v);
    return done;
}

bool DeleteChars(int count) {
    EditView* v = EditingView();
    if (!v || count < 1) return false;
    if (IsReadOnly(*v->document)) {
        ReadOnlyNotice();
        return false;
    }
    return DeleteTextAt(*v, static_cast<std::size_t>(count), nullptr) > 0;
}

bool DeleteRight(int count) {
    return DeleteChars(count);
}

std::size_t InsertText(const char* text, std::size_t n) {
    EditView* v = EditingView();
    if (!v || n == 0) return 0;
    if (IsReadOnly(*v->document)) {
        ReadOnlyNotice();
        return 0;
    }
    const std::size_t done = InsertTextAt(*v, text, n);
    KeepCursorVisible(*v);
    return done;
}

std::size_t DeleteText(std::size_t n, std::string* removed) {
    EditView* v = EditingView();
    if (!v || n == 0) return 0;
    if (IsReadOnly(*v->document)) {
        ReadOnlyNotice();
        return 0;
    }
    const std::size_t done = DeleteTextAt(*v, n, removed);
    KeepCursorVisible(*v);
    return done;
}

// ---- Moves

bool MoveLeft(int n) {
    EditView* v = EditingView();
    if (!v || n < 1) return false;
    std::size_t walked = 0;
    Line* l = nullptr;
    const TextPosition to = PositionBefore(*v, static_cast<std::size_t>(n), &walked, &l);
    if (walked == 0) return false;
    SetCursorLine(*v, l, to.line);
    v->cursorColumn = Col(to.column);
    KeepCursorVisible(*v);
    return true;
}

bool MoveRight(int n) {
    EditView* v = EditingView();
    if (!v || n < 1) return false;
    Document& doc = *v->document;
    Line* l = v->cursor;
    if (l == doc.head) return false;
    int number = v->cursorLineNumber;
    int c = v->cursorColumn;
    int left = n;
    while (left > 0) {
        if (c < l->length) {
            const int step = std::min(left, l->length - c);
            c += step;
            left -= step;
        } else {
            if (l->next == doc.head) break;
            l = l->next;
            ++number;
            c = 0;
            --left;
        }
    }
    if (left == n) return false;
    SetCursorLine(*v, l, number);
    v->cursorColumn = Col(c);
    KeepCursorVisible(*v);
    return true;
}

namespace {

// Moves the cursor `delta` lines keeping its display column; false when it could not move.
bool MoveLines(EditView& v, int delta) {
    Document& doc = *v.document;
    if (v.cursor == doc.head || delta == 0) return false;
    const int tab = EditingTabSize();
    const int display = DisplayColumn(v.cursor, v.cursorColumn, tab);
    int moved = 0;
    Line* l =
        delta > 0 ? Forward(doc, v.cursor, delta, &moved) : Backward(doc, v.cursor, -delta, &moved);
    if (moved == 0) return false;
    SetCursorLine(v, l, v.cursorLineNumber + (delta > 0 ? moved : -moved));
    v.cursorColumn = Col(std::min<int>(CharColumnAt(l, display, tab), l->length));
    KeepCursorVisible(v);
    return true;
}

}  // namespace

bool MoveCursorLines(EditView& v, int delta) {
    return MoveLines(v, delta);
}

void SetCursorToLine(EditView& v, Line* line, int column) {
    Document& doc = *v.document;
    Renumber(v);
    if (!line || line == doc.head) line = doc.Last();
    if (line == doc.head) {
        v.cursorColumn = 0;
        return;
    }
    // Searched from the cursor both ways: a click or a bookmark is usually near it.
    int number = 0;
    if (line == v.cursor) {
        number = v.cursorLineNumber;
    } else if (v.cursor == doc.head) {
        number = std::max(1, LineNumber(doc, line));
    } else {
        Line* up = v.cursor;
        Line* down = v.cursor;
        for (int d = 1; up != doc.head || down != doc.head; ++d) {
            if (up != doc.head) up = up->prev;
            if (down != doc.head) down = down->next;
            if (up == line) {
                number = v.cursorLineNumber - d;
                break;
            }
            if (down == line) {
                number = v.cursorLineNumber + d;
                break;
            }
        }
        if (number == 0) return;  // not a line of this document
    }
    SetCursorLine(v, line, number);
    v.cursorColumn = Col(std::clamp(column, 0, static_cast<int>(line->length)));
    KeepCursorVisible(v);
}

bool LineUp(int n) {
    EditView* v = EditingView();
    return v && n > 0 && MoveLines(*v, -n);
}

bool LineDown(int n) {
    EditView* v = EditingView();
    return v && n > 0 && MoveLines(*v, n);
}

bool GotoLine(int n) {
    EditView* v = EditingView();
    if (!v || v->document->Empty()) return false;
    PlaceCursor(*v, n, 0);
    return true;
}

bool GotoColumn(int column) {
    EditView* v = EditingView();
    if (!v || v->cursor == v->document->head) return false;
    v->cursorColumn = Col(std::clamp(column, 0, static_cast<int>(v->cursor->length)));
    return true;
}

namespace {

bool Page(int direction) {
    EditView* v = EditingView();
    if (!v || v->cursor == v->document->head) return false;
    Document& doc = *v->document;
    const int rows = std::max(1, v->rows);
    if (!MoveLines(*v, direction * rows)) return false;
    // The window moves by a page too, as far as the document allows.
    Renumber(*v);
    int moved = 0;
    Line* t = v->top == doc.head ? doc.First() : v->top;
    const int topNumber = v->top == doc.head ? 1 : v->topLineNumber;
    if (direction > 0) {
        t = Forward(doc, t, rows, &moved);
        SetTopLine(*v, t, topNumber + moved);
    } else {
        t = Backward(doc, t, rows, &moved);
        SetTopLine(*v, t, topNumber - moved);
    }
    KeepCursorVisible(*v);
    return true;
}

}  // namespace

bool PageUp() {
    return Page(-1);
}

bool PageDown() {
    return Page(1);
}

bool ScrollLine(int direction) {
    EditView* v = EditingView();
    if (!v || v->cursor == v->document->head || direction == 0) return false;
    Document& doc = *v->document;
    Line* t = v->top == doc.head ? doc.First() : v->top;
    Line* to = direction < 0 ? t->prev : t->next;
    if (to == doc.head) return false;
    SetTopLine(*v, to, v->topLineNumber + (direction < 0 ? -1 : 1));
    // The cursor stays in the window.
    const int rows = std::max(1, v->rows);
    if (v->cursorLineNumber < v->topLineNumber)
        MoveLines(*v, v->topLineNumber - v->cursorLineNumber);
    else if (v->cursorLineNumber >= v->topLineNumber + rows)
        MoveLines(*v, v->topLineNumber + rows - 1 - v->cursorLineNumber);
    return true;
}

void Recenter() {
    EditView* v = EditingView();
    if (!v || v->cursor == v->document->head) return;
    int moved = 0;
    Line* t = Backward(*v->document, v->cursor, std::max(1, v->rows) / 2, &moved);
    SetTopLine(*v, t, v->cursorLineNumber - moved);
    v->flags |= kViewRepaintAll;
}

// ---- The block

bool BlockMarked(const EditView& view) {
    return view.block != nullptr;
}

void Unmark(EditView& view) {
    if (!view.block) return;
    view.block = nullptr;
    view.blockColumn = 0;
    view.flags |= kViewRepaintAll;
}

bool OrderedBlock(EditView& v, BlockRange& range) {
    if (!v.block || !v.document || v.cursor == v.document->head) return false;
    Renumber(v);
    const Document& doc = *v.document;
    // The anchor's number: searched from the cursor both ways at once, so a small block
    // costs little wherever it lies.
    int anchorNumber = 0;
    if (v.block == v.cursor) {
        anchorNumber = v.cursorLineNumber;
    } else {
        Line* up = v.cursor;
        Line* down = v.cursor;
        for (int d = 1; up != doc.head || down != doc.head; ++d) {
            if (up != doc.head) up = up->prev;
            if (down != doc.head) down = down->next;
            if (up == v.block) {
                anchorNumber = v.cursorLineNumber - d;
                break;
            }
            if (down == v.block) {
                anchorNumber = v.cursorLineNumber + d;
                break;
            }
        }
        if (anchorNumber == 0) return false;
    }
    const int anchorColumn = std::clamp<int>(v.blockColumn, 0, v.block->length);
    const int cursorColumn = std::clamp<int>(v.cursorColumn, 0, v.cursor->length);
    const bool anchorFirst = anchorNumber < v.cursorLineNumber ||
                             (anchorNumber == v.cursorLineNumber && anchorColumn <= cursorColumn);
    if (anchorFirst) {
        range = {v.block,      anchorNumber, anchorColumn, v.cursor, v.cursorLineNumber,
                 cursorColumn, true};
    } else {
        range = {v.cursor,     v.cursorLineNumber, cursorColumn, v.block,
                 anchorNumber, anchorColumn,       false};
    }
    return true;
}

std::size_t BlockLength(const BlockRange& r) {
    if (r.startLine == r.endLine) return static_cast<std::size_t>(r.endColumn - r.startColumn);
    std::size_t n = static_cast<std::size_t>(r.startLine->length - r.startColumn);
    for (Line* l = r.startLine->next; l != r.endLine; l = l->next)
        n += 1 + static_cast<std::size_t>(l->length);
    return n + 1 + static_cast<std::size_t>(r.endColumn);
}

char* BlockText(const EditView& view, std::size_t* length) {
    BlockRange r;
    if (!OrderedBlock(const_cast<EditView&>(view), r)) return nullptr;
    const std::size_t n = BlockLength(r);
    if (n + 1 > 0xFFFFFFF0u) return nullptr;
    auto* out = static_cast<char*>(MemAlloc(static_cast<std::uint32_t>(n + 1)));
    if (!out) return nullptr;
    char* p = out;
    if (r.startLine == r.endLine) {
        std::memcpy(p, r.startLine->text() + r.startColumn, n);
        p += n;
    } else {
        const std::size_t first = static_cast<std::size_t>(r.startLine->length - r.startColumn);
        std::memcpy(p, r.startLine->text() + r.startColumn, first);
        p += first;
        for (Line* l = r.startLine->next;; l = l->next) {
            *p++ = '\n';
            const std::size_t take =
                static_cast<std::size_t>(l == r.endLine ? r.endColumn : l->length);
            std::memcpy(p, l->text(), take);
            p += take;
            if (l == r.endLine) break;
        }
    }
    *p = '\0';
    if (length) *length = n;
    return out;
}

bool DeleteBlockText(EditView& view, std::string* removed) {
    BlockRange r;
    if (!OrderedBlock(view, r)) return false;
    const std::size_t n = BlockLength(r);
    SetCursorLine(view, r.startLine, r.startNumber);
    view.cursorColumn = Col(r.startColumn);
    Unmark(view);
    const bool done = n > 0 && DeleteTextAt(view, n, removed) > 0;
    KeepCursorVisible(view);
    return done;
}

bool DeleteBlock(EditView& view) {
    if (!view.block) return false;
    if (IsReadOnly(*view.document)) {
        ReadOnlyNotice();
        return false;
    }
    return DeleteBlockText(view, nullptr);
}

bool MarkBraceBlock(EditView& view) {
    Document& doc = *view.document;
    if (view.cursor == doc.head) return false;
    Renumber(view);
    // Backwards from the cursor to the '{' no '}' closes.
    Line* l = view.cursor;
    int number = view.cursorLineNumber;
    int c = view.cursorColumn - 1;
    int depth = 0;
    Line* open = nullptr;
    int openNumber = 0, openColumn = 0;
    while (l != doc.head) {
        for (; c >= 0; --c) {
            const char ch = l->text()[c];
            if (ch == '}') {
                ++depth;
            } else if (ch == '{') {
                if (depth == 0) {
                    open = l;
                    openNumber = number;
                    openColumn = c;
                    break;
                }
                --depth;
            }
        }
        if (open) break;
        l = l->prev;
        --number;
        if (l != doc.head) c = l->length - 1;
    }
    if (!open) return false;
    // Forwards from it to its '}'.
    l = open;
    number = openNumber;
    c = openColumn + 1;
    depth = 0;
    while (l != doc.head) {
        for (; c < l->length; ++c) {
            const char ch = l->text()[c];
            if (ch == '{') {
                ++depth;
            } else if (ch == '}') {
                if (depth == 0) {
                    view.block = open;
                    view.blockColumn = Col(openColumn);
                    SetCursorLine(view, l, number);
                    view.cursorColumn = Col(c + 1);
                    view.flags |= kViewRepaintAll;
                    KeepCursorVisible(view);
                    return true;
                }
                --depth;
            }
        }
        l = l->next;
        ++number;
        c = 0;
    }
    return false;
}

// ---- Block indent

namespace {

// The lines a block indent works on: a last line the block only reaches at its column 0
// holds nothing of the block and is left alone.
void IndentRange(const BlockRange& r, int& first, int& last) {
    first = r.startNumber;
    last = r.endNumber;
    if (last > first && r.endColumn == 0) --last;
}

// The leading white space Shift+Tab removes: a tab, or else blanks up to one tab size,
// stopping after a tab.
int UnindentWidth(const Line* l, int tab) {
    if (l->length == 0) return 0;
    if (l->text()[0] == '\t') return 1;
    int n = 0;
    while (n < l->length && n < tab) {
        const char c = l->text()[n];
        if (c == '\t') return n + 1;
        if (c != ' ') break;
        ++n;
    }
    return n;
}

Line* LineOfNumber(EditView& v, int number) {
    PlaceCursor(v, number, 0);
    return v.cursor;
}

// Keeps a position on an indented line on the same character.
void ShiftColumn(std::int16_t& column, int delta) {
    if (column > 0 || delta < 0) column = Col(std::max(0, column + delta));
}

}  // namespace

bool IndentBlock(EditView& v, bool unindent) {
    Document& doc = *v.document;
    BlockRange r;
    if (!OrderedBlock(v, r)) return false;
    int first = 0, last = 0;
    IndentRange(r, first, last);
    const int anchorNumber = r.anchorFirst ? r.startNumber : r.endNumber;
    const TextPosition at = CursorPosition(v);
    const int anchorColumn = v.blockColumn;
    const std::uint32_t wparam = (static_cast<std::uint32_t>(anchorColumn) << 16) +
                                 (static_cast<std::uint32_t>(anchorNumber) & 0xFFFF);
    const int tab = EditingTabSize();
    std::string prefixes;
    bool changed = false;
    Line* l = r.startLine;
    for (int n = first; n <= last && l != doc.head; ++n, l = l->next) {
        if (n > first) prefixes.push_back('\n');
        std::string text;
        int delta;
        if (unindent) {
            const int w = UnindentWidth(l, tab);
            if (w == 0) continue;
            prefixes.append(l->text(), static_cast<std::size_t>(w));
            text.assign(l->text() + w, static_cast<std::size_t>(l->length - w));
            delta = -w;
        } else {
            if (l->length + 1 > kMaxLineLength) continue;
            prefixes.push_back('\t');
            text.assign(1, '\t');
            text.append(l->text(), static_cast<std::size_t>(l->length));
            delta = 1;
        }
        Line* kept = SetLineText(doc, l, text.data(), static_cast<int>(text.size()));
        if (!kept) break;
        l = kept;
        for (EditView* o = FirstView(); o; o = o->next) {
            if (o->document != &doc) continue;
            if (o->cursor == l) ShiftColumn(o->cursorColumn, delta);
            if (o->block == l) ShiftColumn(o->blockColumn, delta);
        }
        changed = true;
    }
    if (!changed) return false;
    if (UndoRecord* rec = RecordEventAt(
            v, at.line, at.column, unindent ? kUndoBlockUnindent : kUndoBlockIndent, wparam, 0)) {
        rec->anchorLine = anchorNumber;
        rec->anchorColumn = anchorColumn;
        rec->atLine = first;
        rec->atColumn = last;
        SetRecordText(*rec, prefixes);
    }
    MarkChanged(doc, nullptr);
    ClampViews(doc);
    return true;
}

void ReverseIndent(EditView& v, int first, int last, bool unindent, const std::string& prefixes) {
    Document& doc = *v.document;
    if (doc.Empty()) return;
    Line* l = LineOfNumber(v, first);
    std::size_t p = 0;
    for (int n = first; n <= last && l != doc.head; ++n, l = l->next) {
        std::size_t e = prefixes.find('\n', p);
        if (e == std::string::npos) e = prefixes.size();
        const std::string prefix = prefixes.substr(p, e - p);
        p = e + 1;
        if (prefix.empty()) continue;  // the line was left alone
        std::string text;
        if (unindent) {
            // The white space the unindent removed comes back.
            text = prefix;
            text.append(l->text(), static_cast<std::size_t>(l->length));
        } else {
            if (l->length == 0 || l->text()[0] != '\t') continue;
            text.assign(l->text() + 1, static_cast<std::size_t>(l->length - 1));
        }
        if (text.size() > static_cast<std::size_t>(kMaxLineLength)) continue;
        Line* kept = SetLineText(doc, l, text.data(), static_cast<int>(text.size()));
        if (!kept) break;
        l = kept;
    }
    MarkChanged(doc, nullptr);
    ClampViews(doc);
}

// ---- Tabs and spaces

namespace {

// Rewrites the leading white space of every line with `rewrite(run, width)`, which returns
// the new white space or false to leave the line alone.
template <class Rewrite>
void RewriteIndentation(Document& doc, int tabSize, Rewrite rewrite) {
    const int tab = std::max(1, tabSize);
    bool changed = false;
    std::string text;
    for (Line* l = doc.head->next; l != doc.head; l = l->next) {
        int n = 0, width = 0;
        bool hasTab = false;
        while (n < l->length && Blank(l->text()[n])) {
            if (l->text()[n] == '\t') {
                hasTab = true;
                width = (width / tab + 1) * tab;
            } else {
                ++width;
            }
            ++n;
        }
        if (n == 0) continue;
        std::string lead;
        if (!rewrite(std::string_view(l->text(), static_cast<std::size_t>(n)), width, hasTab, lead))
            continue;
        if (lead == std::string_view(l->text(), static_cast<std::size_t>(n))) continue;
        text.assign(lead);
        text.append(l->text() + n, static_cast<std::size_t>(l->length - n));
        if (text.size() > static_cast<std::size_t>(kMaxLineLength)) continue;
        // The cursors on this line keep their place in the text after the white space.
        const int delta = static_cast<int>(lead.size()) - n;
        Line* kept = SetLineText(doc, l, text.data(), static_cast<int>(text.size()));
        if (!kept) break;
        l = kept;
        for (EditView* v = FirstView(); v; v = v->next) {
            if (v->document != &doc) continue;
            if (v->cursor == l && v->cursorColumn >= n)
                v->cursorColumn = Col(v->cursorColumn + delta);
            if (v->block == l && v->blockColumn >= n) v->blockColumn = Col(v->blockColumn + delta);
        }
        changed = true;
    }
    if (changed) {
        MarkChanged(doc, nullptr);
        ClampViews(doc);
        RepaintDocument(doc);
    }
}

}  // namespace

void SpacesToTabs(Document& doc, int tabSize) {
    const int tab = std::max(1, tabSize);
    RewriteIndentation(doc, tab,
                       [tab](std::string_view, int width, bool hasTab, std::string& lead) {
                           if (!hasTab && width < tab) return false;
                           lead.assign(static_cast<std::size_t>(width / tab), '\t');
                           lead.append(static_cast<std::size_t>(width % tab), ' ');
                           return true;
                       });
}

void TabsToSpaces(Document& doc, int tabSize) {
    RewriteIndentation(doc, tabSize, [](std::string_view, int width, bool, std::string& lead) {
        lead.assign(static_cast<std::size_t>(width), ' ');
        return true;
    });
}

// ---- Debug check

std::string CheckDocument(const Document& doc) {
    const Line* head = doc.head;
    if (!head) return "no sentinel";
    if (head->length != 0) return "sentinel holds text";
    int forward = 0;
    for (const Line* l = head;;) {
        if (!l->next || !l->prev) return "null link";
        if (l->next->prev != l) return "next/prev disagree after line " + std::to_string(forward);
        l = l->next;
        if (l == head) break;
        ++forward;
        if (l->length < 0 || l->length > l->capacity) return "length beyond capacity";
        if (l->capacity < 16 || l->capacity % 16 != 0) return "bad capacity";
        if (std::memchr(l->text(), '\n', static_cast<std::size_t>(l->length)) ||
            std::memchr(l->text(), '\r', static_cast<std::size_t>(l->length)))
            return "line " + std::to_string(forward) + " holds CR or LF";
    }
    int backward = 0;
    for (const Line* l = head->prev; l != head; l = l->prev) ++backward;
    if (backward != forward) return "ring counts differ";
    for (EditView* v = FirstView(); v; v = v->next) {
        if (v->document != &doc) continue;
        const int cursorNumber = v->cursor == head ? 0 : LineNumber(doc, v->cursor);
        if (v->cursor != head && cursorNumber == 0) return "cursor outside the document";
        if (v->top != head && LineNumber(doc, v->top) == 0) return "top outside the document";
        if (v->block && v->block != head && LineNumber(doc, v->block) == 0)
            return "block anchor outside the document";
        if (v->cursorColumn < 0 || v->cursorColumn > LineLength(doc, v->cursor))
            return "cursor column beyond its line";
        if (v->numberedVersion == doc.structureVersion) {
            if (v->numberedCursor == v->cursor && v->cursorLineNumber != std::max(1, cursorNumber))
                return "kept cursor number " + std::to_string(v->cursorLineNumber) + " is " +
                       std::to_string(std::max(1, cursorNumber));
            if (v->numberedTop == v->top &&
                v->topLineNumber != std::max(1, LineNumber(doc, v->top)))
                return "kept top number wrong";
        }
    }
    return {};
}

}  // namespace velt
