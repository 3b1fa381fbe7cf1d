#include "editor/undo.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/editing_internal.h"
#include "shell/commands.h"
#include "shell/memory.h"
#include "shell/msgbox.h"
#include "shell/shortcuts.h"

namespace velt {

namespace {

UndoRecord gLog[kUndoLogSize];
int gCount = 0;

void ReleaseText(UndoRecord& r) {
    MemFree(r.text);
    r.text = nullptr;
    r.textLength = 0;
}

void ClearLog() {
    for (UndoRecord& r : gLog) ReleaseText(r);
    gCount = 0;
}

std::uint32_t Extra(int line, int column) {
    return (static_cast<std::uint32_t>(line) << 8) + (static_cast<std::uint32_t>(column) & 0xFF);
}

std::string_view TextOf(const UndoRecord& r) {
    return r.text ? std::string_view(r.text, r.textLength) : std::string_view();
}

bool Belongs(const UndoRecord& r, const EditView* v) {
    return v && r.window == v && r.windowSerial == v->serial && r.document == v->document;
}

// Takes record i out of the log, the later ones moving down.
void Remove(int i) {
    ReleaseText(gLog[i]);
    for (int j = i; j + 1 < gCount; ++j) gLog[j] = gLog[j + 1];
    --gCount;
    gLog[gCount] = UndoRecord{};
}


// Whether taking the record back changes the text.
bool ChangesText(const UndoRecord& r) {
    switch (r.message) {
        case kUndoChar:
            return r.inserted > 0 || r.textLength > 0;
        case kUndoOverwritten:
            return r.wparam != '\r';
        case kUndoCompound:
            return r.inserted > 0;
        case kUndoKeyDown:
            return r.wparam == kVkDelete && r.textLength > 0;
        case kUndoCommand:
            return r.wparam == kCmdCut || r.wparam == kCmdPaste || r.wparam == kCmdWordCompletion;
        case kUndoReplacement:
        case kUndoKeptDeletion:
        case kUndoSeries:
        case kUndoBlockIndent:
        case kUndoBlockUnindent:
            return true;
        default:
            return false;
    }
}

void InsertAt(EditView& v, int line, int column, std::string_view text) {
    if (text.empty()) return;
    PlaceCursor(v, line, column);
    InsertTextAt(v, text.data(), text.size());
}

void DeleteAt(EditView& v, int line, int column, std::size_t n) {
    if (n == 0) return;
    PlaceCursor(v, line, column);
    DeleteTextAt(v, n, nullptr);
}

// One replacement (1026) or kept deletion (1027) taken back.
void ReverseReplacement(EditView& v, const UndoRecord& r) {
    const std::string_view all = TextOf(r);
    if (r.message == kUndoKeptDeletion) {
        InsertAt(v, r.atLine, r.atColumn, all);
    } else {
        const std::string_view oldText = all.substr(0, std::min(r.oldLength, all.size()));
        const std::string_view newText =
            r.oldLength < all.size() ? all.substr(r.oldLength + 1) : std::string_view();
        DeleteAt(v, r.atLine, r.atColumn, newText.size());
        InsertAt(v, r.atLine, r.atColumn, oldText);
    }
}

bool IsReplacement(const UndoRecord& r) {
    return r.message == kUndoReplacement || r.message == kUndoKeptDeletion;
}

// Takes record i of view v back; removes it (and what goes with it) from the log.
void UndoRecordOf(EditView& v, int i) {
    const UndoRecord r = gLog[i];  // a copy: the slot moves when records are removed
    bool keepBlock = false;
    switch (r.message) {
        case kUndoChar:
            if (r.wparam == kVkBack) {
                InsertAt(v, r.atLine, r.atColumn, TextOf(r));
            } else {
                DeleteAt(v, r.atLine, r.atColumn, r.inserted);
            }
            PlaceCursor(v, r.line, r.column);
            break;
        case kUndoOverwritten:
            // A 129 of CR only says that Enter moved in overwrite mode.
            if (r.wparam != '\r') {
                const char c = static_cast<char>(r.wparam);
                InsertAt(v, r.line, r.column, std::string_view(&c, 1));
            }
            PlaceCursor(v, r.line, r.column);
            break;
        case kUndoCompound:
            DeleteAt(v, r.atLine, r.atColumn, r.inserted);
            PlaceCursor(v, r.line, r.column);
            break;
        case kUndoKeyDown:
            if (r.wparam == kVkDelete) InsertAt(v, r.atLine, r.atColumn, TextOf(r));
            PlaceCursor(v, r.line, r.column);
            break;
        case kUndoCommand:
            if (r.wparam == kCmdCut) {
                InsertAt(v, r.atLine, r.atColumn, TextOf(r));
                PlaceCursor(v, r.line, r.column);
            } else if (r.wparam == kCmdPaste || r.wparam == kCmdWordCompletion) {
                DeleteAt(v, r.atLine, r.atColumn, r.inserted);
                PlaceCursor(v, r.line, r.column);
            } else if (UndoRestoresPositionOnly(r.wparam)) {
                PlaceCursor(v, r.line, r.column);
            }
            // Any other command cannot be taken back: its record just goes.
            break;
        case kUndoScroll:
        case kUndoLeftClick:
        case kUndoRightClick:
            PlaceCursor(v, r.line, r.column);
            break;
        case kUndoBlockIndent:
        case kUndoBlockUnindent: {
            ReverseIndent(v, r.atLine, r.atColumn, r.message == kUndoBlockUnindent,
                          std::string(TextOf(r)));
            PlaceCursor(v, r.anchorLine, r.anchorColumn);
            Line* anchor = v.cursor;
            PlaceCursor(v, r.line, r.column);
            if (anchor != v.document->head) {
                v.block = anchor;
                v.blockColumn = static_cast<std::int16_t>(
                    std::clamp(r.anchorColumn, 0, static_cast<int>(anchor->length)));
                keepBlock = true;
            }
            break;
        }
        default:
            break;
    }
    Remove(i);
    // A typed character, Backspace or Enter takes the characters its typing overwrote (or
    // its indentation change removed) back with it.
    if (r.message == kUndoChar) {
        while (i > 0 && gLog[i - 1].message == kUndoOverwritten && Belongs(gLog[i - 1], &v)) {
            --i;
            UndoRecordOf(v, i);
        }
        PlaceCursor(v, r.line, r.column);
    }
    if (!keepBlock) Unmark(v);
}

// A run of replacements ending at record i, back to a series start (1028 with wparam 0) when
// `series`; false (nothing done) when the start is not in the log.
bool UndoReplacements(EditView& v, int i, bool series) {
    int j = i - (series ? 1 : 0);
    while (j >= 0 && IsReplacement(gLog[j]) && Belongs(gLog[j], &v)) --j;
    if (series) {
        if (j < 0 || gLog[j].message != kUndoSeries || gLog[j].wparam != 0 ||
            !Belongs(gLog[j], &v)) {
            ShowMessage("Undo: internal error");
            return false;
        }
    }
    // The last replacement first: the positions of the earlier ones on a line stay right.
    const int last = series ? i - 1 : i;
    for (int k = last; k > j; --k) ReverseReplacement(v, gLog[k]);
    // The cursor goes back to where the first of them (or the series) began.
    const int earliest = series ? j : j + 1;
    const TextPosition back{gLog[earliest].line, gLog[earliest].column};
    for (int k = i; k >= earliest; --k) Remove(k);
    PlaceCursor(v, back.line, back.column);
    Unmark(v);
    return true;
}

}  // namespace

UndoRecord* RecordEventAt(EditView& view, int line, int column, std::uint32_t message,
                          std::uint32_t wparam, std::uint32_t lparam) {
    if (!view.document) return nullptr;
    UndoRecord& r = gLog[gCount];
    // A text still owned by the slot is released before the slot is used again.
    ReleaseText(r);
    r = UndoRecord{};
    r.window = &view;
    r.windowSerial = view.serial;
    r.document = view.document;
    r.message = message;
    r.wparam = wparam;
    r.lparam = lparam;
    r.extra = Extra(line, column);
    r.line = line;
    r.column = column;
    r.atLine = line;
    r.atColumn = column;
    ++gCount;
    // Full: the history is lost, not rotated.
    if (gCount >= kUndoLogSize) {
        ClearLog();
        return nullptr;
    }
    return &r;
}

UndoRecord* RecordEvent(std::uint32_t message, std::uint32_t wparam, std::uint32_t lparam) {
    EditView* v = EditingView();
    if (!v) return nullptr;
    const TextPosition at = CursorPosition(*v);
    const std::size_t count = std::max<std::uint32_t>(1, lparam);
    std::uint32_t extra = Extra(at.line, at.column);
    TextPosition textAt = at;
    std::string text;
    bool hasText = false;
    if (message == kUndoChar && wparam == kVkBack) {
        // The characters Backspace will remove, the nearest in the lowest byte.
        text = TextBeforeCursor(*v, count, &textAt);
        extra = 0;
        for (std::size_t i = 0; i < 4 && i < text.size(); ++i)
            extra |=
                static_cast<std::uint32_t>(static_cast<unsigned char>(text[text.size() - 1 - i]))
                << (8 * i);
        hasText = true;
    } else if (message == kUndoKeyDown && wparam == kVkDelete) {
        const Line* l = v->cursor;
        const bool atEnd = l == v->document->head || v->cursorColumn >= l->length;
        extra = atEnd ? '\n' : static_cast<unsigned char>(l->text()[v->cursorColumn]);
    } else if (message == kUndoCommand && wparam == kCmdCut) {
        BlockRange range;
        if (OrderedBlock(*v, range)) {
            std::size_t n = 0;
            if (char* block = BlockText(*v, &n)) {
                text.assign(block, n);
                MemFree(block);
                hasText = true;
            }
            textAt = {range.startNumber, range.startColumn};
        }
    }
    UndoRecord* r = RecordEventAt(*v, at.line, at.column, message, wparam, lparam);
    if (!r) return nullptr;
    r->extra = extra;
    r->atLine = textAt.line;
    r->atColumn = textAt.column;
    if (hasText) SetRecordText(*r, text);
    return r;
}

bool SetRecordText(UndoRecord& record, std::string_view text) {
    ReleaseText(record);
    if (text.empty()) return true;
    if (text.size() + 1 > 0xFFFFFFF0u) return false;
    auto* p = static_cast<char*>(MemAlloc(static_cast<std::uint32_t>(text.size() + 1)));
    if (!p) return false;
    std::memcpy(p, text.data(), text.size());
    record.text = p;
    record.textLength = text.size();
    return true;
}

UndoRecord* LastRecord() {
    return gCount > 0 ? &gLog[gCount - 1] : nullptr;
}

void DropLastRecord() {
    if (gCount > 0) Remove(gCount - 1);
}

void ResetUndo() {
    ClearLog();
}

int UndoCount() {
    return gCount;
}

const UndoRecord* UndoRecordAt(int i) {
    return i >= 0 && i < gCount ? &gLog[i] : nullptr;
}

void Undo() {
    EditView* current = EditingView();
    if (current) Unmark(*current);
    if (gCount == 0) return;
    int i = gCount - 1;
    if (!Belongs(gLog[i], current)) {
        const UndoRecord& r = gLog[i];
        const bool jump = r.message == kUndoRightClick ||
                          (r.message == kUndoCommand && r.wparam == kCmdSearchDefinition);
        if (jump && EditorViewAlive(r.window, r.windowSerial) && r.window->document == r.document) {
            // A jump to another window is taken back by going there again.
            EditView* v = r.window;
            ActivateEditorView(v);
            PlaceCursor(*v, r.line, r.column);
            Remove(i);
            UpdatePositionText();
            RepaintView(*v);
            return;
        }
        for (i = gCount - 2; i >= 0 && !Belongs(gLog[i], current); --i) {
        }
        if (i < 0) return;
    }
    EditView& v = *current;
    Document& doc = *v.document;
    if (ChangesText(gLog[i]) && IsReadOnly(doc)) {
        ReadOnlyNotice();
        return;
    }
    NumberViewsOf(doc);
    const std::uint32_t kind = gLog[i].message;
    if (kind == kUndoReplacement || kind == kUndoKeptDeletion) {
        UndoReplacements(v, i, false);
    } else if (kind == kUndoSeries && gLog[i].wparam != 0) {
        if (!UndoReplacements(v, i, true)) return;
    } else {
        UndoRecordOf(v, i);
    }
    KeepCursorVisible(v);
    UpdatePositionText();
    RepaintDocument(doc);
}

// ---- Replacement series

void BeginReplacementSeries(EditView& view) {
    const TextPosition at = CursorPosition(view);
    RecordEventAt(view, at.line, at.column, kUndoSeries, 0, 0);
}

void RecordReplacement(EditView& view, int line, int column, std::string_view oldText,
                       std::string_view newText) {
    UndoRecord* r = RecordEventAt(view, line, column, kUndoReplacement, 0, 0);
    if (!r) return;
    std::string both(oldText);
    both.push_back('\0');
    both.append(newText);
    r->oldLength = oldText.size();
    SetRecordText(*r, both);
}

void RecordKeptDeletion(EditView& view, int line, int column, std::string_view text) {
    if (UndoRecord* r = RecordEventAt(view, line, column, kUndoKeptDeletion, 0, 0))
        SetRecordText(*r, text);
}

void EndReplacementSeries(EditView& view, int count) {
    if (count <= 0) {
        // Nothing was replaced: the opening marker goes again.
        if (gCount > 0 && gLog[gCount - 1].message == kUndoSeries && gLog[gCount - 1].wparam == 0)
            DropLastRecord();
        return;
    }
    const TextPosition at = CursorPosition(view);
    RecordEventAt(view, at.line, at.column, kUndoSeries, static_cast<std::uint32_t>(count), 0);
}

bool UndoRestoresPositionOnly(unsigned command) {
    switch (command) {
        case kCmdGotoTop:
        case kCmdGotoEnd:
        case kCmdGotoLine:
        case kCmdGotoBookmark:
        case kCmdGotoNextBookmark:
        case kCmdSearchDefinition:
        case kCmdMarkBlock:
        case kCmdSelectDown:
        case kCmdSelectUp:
        case kCmdSelectRight:
        case kCmdSelectLeft:
        case kCmdWordRight:
        case kCmdWordLeft:
        case kCmdSelectWordRight:
        case kCmdSelectDownRepeat:
        case kCmdSelectToTop:
        case kCmdSelectToEnd:
        case kCmdSelectToLineEnd:
        case kCmdSelectToLineStart:
        case kCmdWordRightRepeat:
        case kCmdWordLeftRepeat:
        case kCmdSelectPageUp:
        case kCmdSelectPageDown:
        case kCmdSelectWordLeft:
            return true;
        default:
            return false;
    }
}

}  // namespace velt
