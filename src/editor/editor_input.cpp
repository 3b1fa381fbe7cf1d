// The editor window's input: keys, typed characters, the mouse, and the editing commands of
// the dispatcher.
#include <algorithm>
#include <cctype>
#include <climits>
#include <string>

#include "editor/block.h"
#include "editor/bookmarks.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/editing_internal.h"
#include "editor/language.h"
#include "editor/undo.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/settings.h"
#include "shell/shortcuts.h"
#include "shell/ui.h"

namespace velt {

namespace {

constexpr unsigned kVkShiftKey = 0x10;
constexpr unsigned kVkControlKey = 0x11;
constexpr unsigned kVkMenuKey = 0x12;

const char kOwnerTag = 0;
const void* const kOwner = &kOwnerTag;

std::span<const ShortcutRow> gDebuggerRows;

std::int16_t Col(int c) {
    return static_cast<std::int16_t>(c);
}

// After every event: the cursor in the window, the position text, the window painted.
void Finish(EditView& v, bool changed) {
    KeepCursorVisible(v);
    UpdatePositionText();
    if (changed)
        RepaintDocument(*v.document);
    else
        RepaintView(v);
}

// Records a move, makes it, and takes the record out again when the move failed.
template <class Move>
bool RecordedMove(std::uint32_t message, std::uint32_t wparam, std::uint32_t lparam, Move move) {
    UndoRecord* r = RecordEvent(message, wparam, lparam);
    const bool moved = move();
    if (!moved && r && LastRecord() == r) DropLastRecord();
    return moved;
}

// ---- Words

bool WordChar(char c) {
    return IsIdentifierChar(c);
}

bool WordRight(EditView& v) {
    Document& doc = *v.document;
    Line* l = v.cursor;
    if (l == doc.head) return false;
    int c = v.cursorColumn;
    if (c >= l->length) return MoveRight(1);
    const char* t = l->text();
    if (WordChar(t[c]))
        while (c < l->length && WordChar(t[c])) ++c;
    else if (t[c] != ' ' && t[c] != '\t')
        ++c;
    while (c < l->length && (t[c] == ' ' || t[c] == '\t')) ++c;
    v.cursorColumn = Col(c);
    return true;
}

bool WordLeft(EditView& v) {
    Document& doc = *v.document;
    Line* l = v.cursor;
    if (l == doc.head) return false;
    int c = v.cursorColumn;
    if (c == 0) return MoveLeft(1);
    const char* t = l->text();
    while (c > 0 && (t[c - 1] == ' ' || t[c - 1] == '\t')) --c;
    if (c > 0 && WordChar(t[c - 1]))
        while (c > 0 && WordChar(t[c - 1])) --c;
    else if (c > 0)
        --c;
    v.cursorColumn = Col(c);
    return true;
}

// ---- Selection-extending commands: the anchor stays where the block began (or where the
// cursor stood), the cursor moves.

template <class Move>
bool Extend(unsigned command, Move move) {
    EditView* v = EditingView();
    if (!v || v->cursor == v->document->head) return false;
    const bool hadBlock = v->block != nullptr;
    if (!hadBlock) {
        v->block = v->cursor;
        v->blockColumn = v->cursorColumn;
    }
    const bool moved = RecordedMove(kUndoCommand, command, 0, [&] { return move(*v); });
    if (!moved && !hadBlock) Unmark(*v);
    v->flags |= kViewRepaintAll;
    Finish(*v, false);
    return moved;
}

// A plain move command: the block goes.
template <class Move>
bool Plain(unsigned command, Move move) {
    EditView* v = EditingView();
    if (!v || v->cursor == v->document->head) return false;
    Unmark(*v);
    const bool moved = RecordedMove(kUndoCommand, command, 0, [&] { return move(*v); });
    Finish(*v, false);
    return moved;
}

bool ToLineEnd(EditView& v) {
    if (v.cursorColumn >= v.cursor->length) return false;
    v.cursorColumn = v.cursor->length;
    return true;
}

bool ToLineStart(EditView& v) {
    if (v.cursorColumn == 0) return false;
    v.cursorColumn = 0;
    return true;
}

bool ToTop(EditView& v) {
    const TextPosition before = CursorPosition(v);
    PlaceCursor(v, 1, 0);
    return before.line != 1 || before.column != 0;
}

bool ToEnd(EditView& v) {
    const TextPosition before = CursorPosition(v);
    SetCursorToLine(v, v.document->Last(), INT_MAX);
    const TextPosition after = CursorPosition(v);
    return before.line != after.line || before.column != after.column;
}

// ---- Commands

bool GotoLineCommand() {
    EditView* v = EditingView();
    if (!v) return false;
    std::string value = std::to_string(CursorLineNumber(*v));
    if (!CurrentUi().AskText("Goto line", "Goto line", value)) return false;
    long n = 0;
    bool digits = false;
    for (char c : value) {
        if (c == ' ' || c == '\t') continue;
        if (c < '0' || c > '9') return false;
        digits = true;
        n = std::min<long>(n * 10 + (c - '0'), INT_MAX);
    }
    if (!digits || n < 1) return false;
    Unmark(*v);
    const bool moved =
        RecordedMove(kUndoCommand, kCmdGotoLine, 0, [&] { return GotoLine(static_cast<int>(n)); });
    Finish(*v, false);
    return moved;
}

bool ConvertIndentation(bool toTabs) {
    EditView* v = EditingView();
    if (!v) return false;
    Document& doc = *v->document;
    if (IsReadOnly(doc)) {
        ReadOnlyNotice();
        return false;
    }
    if (toTabs)
        SpacesToTabs(doc, EditingTabSize());
    else
        TabsToSpaces(doc, EditingTabSize());
    // The change dropped the function list: the document is scanned again.
    if (doc.language && doc.language->ops.scanFunctions && !(doc.flags & kDocFunctionListValid))
        doc.language->ops.scanFunctions(doc);
    Finish(*v, true);
    return true;
}

// Commands that record their own undo event, so dispatching them from a key records nothing
// more.
bool RecordsItself(unsigned command) {
    switch (command) {
        case kCmdUndo:
        case kCmdCut:
        case kCmdPaste:
        case kCmdWordCompletion:
            return true;
        case kCmdSearchDefinition:
            return false;
        default:
            return UndoRestoresPositionOnly(command);
    }
}

// ---- Text macros

const TextMacro* MacroFor(unsigned ch) {
    const char letter = static_cast<char>('a' + ch - 1);
    for (const TextMacro& m : EditorSettings().macros)
        if (std::tolower(static_cast<unsigned char>(m.code)) == letter) return &m;
    return nullptr;
}

// The macro's text as typing it gives it: LF makes a new line (which takes the indentation
// of the line above when auto-indent is on), tab a tab, other control characters nothing.
// `offset` comes in as the macro's cursor offset and goes out as the same place in the
// text inserted.
std::string ExpandMacro(EditView& v, const std::string& macro, long& offset) {
    std::string out;
    std::string indent;
    bool leading = true;
    const Document& doc = *v.document;
    if (v.cursor != doc.head) {
        for (int i = 0; i < v.cursorColumn; ++i) {
            const char c = v.cursor->text()[i];
            if (c != ' ' && c != '\t') {
                leading = false;
                break;
            }
        }
        if (leading)
            indent.assign(v.cursor->text(), static_cast<std::size_t>(v.cursorColumn));
        else {
            int n = 0;
            while (n < v.cursor->length &&
                   (v.cursor->text()[n] == ' ' || v.cursor->text()[n] == '\t'))
                ++n;
            indent.assign(v.cursor->text(), static_cast<std::size_t>(n));
        }
    }
    const bool autoIndent = AutoIndentOn();
    long mapped = -1;
    for (std::size_t i = 0; i < macro.size(); ++i) {
        if (static_cast<long>(i) == offset) mapped = static_cast<long>(out.size());
        const unsigned char c = static_cast<unsigned char>(macro[i]);
        if (c == '\n') {
            out.push_back('\n');
            if (autoIndent) {
                out += indent;
            } else {
                indent.clear();
            }
            leading = true;
        } else if (c == '\t' || c >= 32) {
            out.push_back(static_cast<char>(c));
            if (leading && (c == ' ' || c == '\t'))
                indent.push_back(static_cast<char>(c));
            else
                leading = false;
        }
    }
    offset = mapped >= 0 ? mapped : static_cast<long>(out.size());
    return out;
}

bool InsertMacro(EditView& v, unsigned ch) {
    const TextMacro* m = MacroFor(ch);
    if (!m) return false;
    if (IsReadOnly(*v.document)) {
        ReadOnlyNotice();
        return false;
    }
    long offset = std::max(0L, m->position);
    const std::string text = ExpandMacro(v, m->text, offset);
    const TextPosition start = CursorPosition(v);
    const std::size_t n = InsertTextAt(v, text.data(), text.size());
    if (n == 0) return false;
    EditEffect& e = CurrentEffect();
    e.set = true;
    e.line = start.line;
    e.column = start.column;
    e.inserted = n;
    // Back to where the insertion began, then right by the cursor offset.
    PlaceCursor(v, start.line, start.column);
    if (offset > 0) MoveRight(static_cast<int>(std::min<long>(offset, INT_MAX)));
    return true;
}

}  // namespace

// ---- Shared

void ActivateEditorView(EditView* view) {
    CurrentUi().ActivateDocumentWindow(view);
    DocumentWindowActivated(view);
    if (CurrentView() != view) SetCurrentView(view);
}

bool EditorViewAlive(const EditView* view, unsigned long long serial) {
    for (EditView* v = FirstView(); v; v = v->next)
        if (v == view) return v->serial == serial && v->document;
    return false;
}

bool OverwriteMode(const EditView& view) {
    return (view.flags & kViewOverwrite) != 0;
}

int CaretWidth(const EditView& view, int averageCharWidth) {
    const int w = OverwriteMode(view) ? averageCharWidth : averageCharWidth / 3;
    return std::max(1, w);
}

void SetViewRows(EditView& view, int rows) {
    view.rows = std::max(0, rows);
}

void SetDebuggerShortcuts(std::span<const ShortcutRow> rows) {
    gDebuggerRows = rows;
}

// ---- Keys

bool EditorKeyDown(unsigned vk, bool shift, bool ctrl, bool alt, int repeat) {
    // A modifier by itself does nothing.
    if (vk == kVkControlKey || vk == kVkShiftKey || vk == kVkMenuKey) return false;
    const int count = std::max(1, repeat);
    const bool debugging = FrameCommands().State().debugSession;
    const unsigned command = MatchShortcut(
        vk, ctrl, shift, alt, debugging ? gDebuggerRows : std::span<const ShortcutRow>{});
    if (command) {
        if (!RecordsItself(command)) RecordEvent(kUndoCommand, command, 0);
        DispatchCommand(command);
        return true;
    }
    EditView* v = EditingView();
    if (!v) return false;
    Document& doc = *v->document;
    bool changed = false;
    switch (vk) {
        case kVkEscape:
            // Word completion; the character that follows unmarks a block.
            DispatchCommand(kCmdWordCompletion);
            return false;
        case kVkPrior:
        case kVkNext:
            Unmark(*v);
            RecordedMove(kUndoKeyDown, vk, static_cast<std::uint32_t>(count),
                         [&] { return vk == kVkPrior ? PageUp() : PageDown(); });
            break;
        case kVkEnd:
            RecordedMove(kUndoKeyDown, vk, static_cast<std::uint32_t>(count),
                         [&] { return v->cursor != doc.head && ToLineEnd(*v); });
            break;
        case kVkHome:
            if (v->cursorColumn > 0) {
                RecordEvent(kUndoKeyDown, vk, static_cast<std::uint32_t>(count));
                Unmark(*v);
                v->cursorColumn = 0;
            }
            break;
        case kVkLeft:
            RecordedMove(kUndoKeyDown, vk, static_cast<std::uint32_t>(count), [&] {
                if (v->block) {
                    // The cursor goes back to where the block began.
                    Line* anchor = v->block;
                    const int column = v->blockColumn;
                    Unmark(*v);
                    SetCursorToLine(*v, anchor, column);
                    return true;
                }
                return MoveLeft(count);
            });
            break;
        case kVkRight:
            RecordedMove(kUndoKeyDown, vk, static_cast<std::uint32_t>(count),
                         [&] { return MoveRight(count); });
            break;
        case kVkUp:
        case kVkDown: {
            Unmark(*v);
            const int direction = vk == kVkUp ? -1 : 1;
            RecordedMove(kUndoKeyDown, vk, static_cast<std::uint32_t>(count), [&] {
                if (ctrl) return ScrollLine(direction);
                return direction < 0 ? LineUp(count) : LineDown(count);
            });
            break;
        }
        case kVkInsert:
            v->flags ^= kViewOverwrite;
            break;
        case kVkDelete:
            if (IsReadOnly(doc)) return true;
            if (v->block) {
                CutBlock();
                return true;
            } else if (UndoRecord* r = RecordEvent(kUndoKeyDown, kVkDelete,
                                                   static_cast<std::uint32_t>(count))) {
                std::string removed;
                const bool done = DeleteTextAt(*v, static_cast<std::size_t>(count), &removed) > 0;
                if (LastRecord() == r) {
                    if (done)
                        SetRecordText(*r, removed);
                    else
                        DropLastRecord();
                }
                changed = done;
            } else {
                changed = DeleteTextAt(*v, static_cast<std::size_t>(count), nullptr) > 0;
            }
            break;
        default:
            return false;
    }
    Finish(*v, changed);
    return true;
}

// ---- Characters

void EditorChar(unsigned ch, bool ctrl, bool shift, int repeat) {
    EditView* v = EditingView();
    if (!v) return;
    Document& doc = *v->document;
    const int count = std::max(1, repeat);
    const bool readOnly = IsReadOnly(doc);
    ResetEffect();

    if (v->block) {
        if (ch == '\x1b') {
            Unmark(*v);
            Finish(*v, false);
            return;
        }
        if (ch == '\t') {
            if (readOnly)
                ReadOnlyNotice();
            else
                IndentBlock(*v, shift);
            Finish(*v, !readOnly);
            return;
        }
        if (!ctrl && !readOnly) {
            // The character replaces the block.
            CutBlock();
            if (ch == '\b') return;
        }
    }

    const TextPosition before = CursorPosition(*v);
    bool record = true;
    bool changed = false;
    if (ctrl && ch >= 1 && ch <= 26) {
        record = changed = InsertMacro(*v, ch);
    } else if (ch == '\r') {
        if (readOnly) {
            record = LineDown(count);
        } else {
            // Overwrite mode notes that Enter only moved (its undo takes nothing out).
            if (v->flags & kViewOverwrite)
                RecordEventAt(*v, before.line, before.column, kUndoOverwritten, '\r', 1);
            changed = NewLine(count);
        }
    } else if (ch == '\t') {
        if (readOnly)
            record = MoveRight(count);
        else
            changed = InsertRun(count, '\t');
    } else if (ch == '\b') {
        if (readOnly) {
            record = MoveLeft(count);
        } else {
            record = false;
            UndoRecord* r = RecordEvent(kUndoChar, '\b', static_cast<std::uint32_t>(count));
            std::string removed;
            changed = DeleteBeforeCursor(*v, static_cast<std::size_t>(count), &removed) > 0;
            if (r && LastRecord() == r) {
                if (changed) {
                    // What really went, and where: a refused join removes less.
                    const TextPosition at = CursorPosition(*v);
                    r->atLine = at.line;
                    r->atColumn = at.column;
                    SetRecordText(*r, removed);
                } else {
                    DropLastRecord();
                }
            }
        }
    } else if (ch == ' ' && readOnly) {
        record = MoveRight(count);
    } else if (ch < 32 || ch > 255) {
        record = false;  // nothing to type
    } else {
        InsertChars(ch, count);
        changed = CurrentEffect().inserted > 0;
        if (readOnly) record = false;
    }

    if (record) {
        const EditEffect e = CurrentEffect();
        if (UndoRecord* r = RecordEventAt(*v, before.line, before.column, kUndoChar, ch,
                                          static_cast<std::uint32_t>(count))) {
            if (e.set) {
                r->atLine = e.line;
                r->atColumn = e.column;
            }
            r->inserted = e.inserted;
        }
    }
    ResetEffect();
    Finish(*v, changed);
}

// ---- The mouse

void EditorMousePress(EditView& view, Line* line, int column) {
    if (!view.document) return;
    if (CurrentView() != &view) DocumentWindowActivated(&view);
    if (CurrentView() != &view) SetCurrentView(&view);
    EditView* v = EditingView();
    if (!v) return;
    RecordEvent(kUndoLeftClick, 0, 0);
    SetCursorToLine(*v, line, column);
    // The anchor where the button went down: a drag marks from here.
    v->block = v->cursor;
    v->blockColumn = v->cursorColumn;
    v->flags |= kViewRepaintAll;
    Finish(*v, false);
}

void EditorMouseDrag(EditView& view, Line* line, int column) {
    if (CurrentView() != &view) return;
    EditView* v = EditingView();
    if (!v) return;
    if (!v->block) {
        v->block = v->cursor;
        v->blockColumn = v->cursorColumn;
    }
    SetCursorToLine(*v, line, column);
    v->flags |= kViewRepaintAll;
    Finish(*v, false);
}

void EditorMouseRelease(EditView& view) {
    if (CurrentView() != &view) return;
    EditView* v = EditingView();
    if (!v) return;
    if (v->block == v->cursor && v->blockColumn == v->cursorColumn) Unmark(*v);
    Finish(*v, false);
}

void EditorAutoScroll(EditView& view, int direction) {
    if (CurrentView() != &view || direction == 0) return;
    EditView* v = EditingView();
    if (!v) return;
    const int step = direction < 0 ? -1 : 1;
    // The window and the cursor go one line; the anchor stays.
    const int before = CursorLineNumber(*v);
    ScrollLine(step);
    if (CursorLineNumber(*v) == before) MoveCursorLines(*v, step);
    v->flags |= kViewRepaintAll;
    Finish(*v, false);
}

void ClipboardActivated(bool active) {
    if (active)
        ReadClipboardIntoBlockBuffer();
    else
        WriteBlockBufferToClipboard();
}

// ---- Registration

void InstallEditingCommands() {
    InstallBookmarkHooks();
    CommandDispatcher& d = FrameCommands();
    d.Unregister(kOwner);
    auto add = [&d](unsigned id, std::function<bool()> fn) {
        d.Register(
            id, [fn = std::move(fn)](const CommandCall&) { return std::intptr_t{fn() ? 1 : 0}; },
            kOwner, CommandPhase::Table);
    };
    auto onView = [](auto fn) {
        return [fn] {
            EditView* v = EditingView();
            if (!v) return false;
            const bool r = fn(*v);
            Finish(*v, false);
            return r;
        };
    };
    add(kCmdUndo, [] {
        Undo();
        return true;
    });
    add(kCmdCut, CutBlock);
    add(kCmdCopy, CopyBlock);
    add(kCmdPaste, PasteBlock);
    add(kCmdClearClipboard, [] {
        ClearBlockBuffer();
        return true;
    });
    add(kCmdCopyToFile, CopyBlockBufferToFile);
    add(kCmdGotoTop, [] { return Plain(kCmdGotoTop, ToTop); });
    add(kCmdGotoEnd, [] { return Plain(kCmdGotoEnd, ToEnd); });
    add(kCmdGotoLine, GotoLineCommand);
    add(kCmdSetBookmark, onView([](EditView&) { return SetBookmarkCommand(); }));
    add(kCmdGotoBookmark, [] {
        UndoRecord* r = RecordEvent(kUndoCommand, kCmdGotoBookmark, 0);
        const bool moved = GotoBookmarkCommand();
        if (!moved && r && LastRecord() == r) DropLastRecord();
        return moved;
    });
    add(kCmdGotoNextBookmark, [] {
        UndoRecord* r = RecordEvent(kUndoCommand, kCmdGotoNextBookmark, 0);
        const bool moved = GotoNextBookmarkCommand();
        if (!moved && r && LastRecord() == r) DropLastRecord();
        return moved;
    });
    add(kCmdDeleteBookmark, DeleteBookmarkCommand);
    add(kCmdMarkBlock, [] {
        EditView* v = EditingView();
        if (!v) return false;
        const bool marked =
            RecordedMove(kUndoCommand, kCmdMarkBlock, 0, [&] { return MarkBraceBlock(*v); });
        if (!marked) CurrentUi().Beep();
        Finish(*v, false);
        return marked;
    });
    add(kCmdSpacesToTabs, [] { return ConvertIndentation(true); });
    add(kCmdTabsToSpaces, [] { return ConvertIndentation(false); });
    add(kCmdRecenter, onView([](EditView&) {
            Recenter();
            return true;
        }));

    // Shift (and Ctrl+Shift) with the arrows, Home, End, PgUp and PgDn extend the block.
    add(kCmdSelectDown,
        [] { return Extend(kCmdSelectDown, [](EditView& v) { return MoveCursorLines(v, 1); }); });
    add(kCmdSelectDownRepeat, [] {
        return Extend(kCmdSelectDownRepeat, [](EditView& v) { return MoveCursorLines(v, 1); });
    });
    add(kCmdSelectUp,
        [] { return Extend(kCmdSelectUp, [](EditView& v) { return MoveCursorLines(v, -1); }); });
    add(kCmdSelectRight,
        [] { return Extend(kCmdSelectRight, [](EditView&) { return MoveRight(1); }); });
    add(kCmdSelectLeft,
        [] { return Extend(kCmdSelectLeft, [](EditView&) { return MoveLeft(1); }); });
    add(kCmdSelectWordRight, [] { return Extend(kCmdSelectWordRight, WordRight); });
    add(kCmdSelectWordLeft, [] { return Extend(kCmdSelectWordLeft, WordLeft); });
    add(kCmdSelectToTop, [] { return Extend(kCmdSelectToTop, ToTop); });
    add(kCmdSelectToEnd, [] { return Extend(kCmdSelectToEnd, ToEnd); });
    add(kCmdSelectToLineEnd, [] { return Extend(kCmdSelectToLineEnd, ToLineEnd); });
    add(kCmdSelectToLineStart, [] { return Extend(kCmdSelectToLineStart, ToLineStart); });
    add(kCmdSelectPageUp,
        [] { return Extend(kCmdSelectPageUp, [](EditView&) { return PageUp(); }); });
    add(kCmdSelectPageDown,
        [] { return Extend(kCmdSelectPageDown, [](EditView&) { return PageDown(); }); });
    // Ctrl with the arrows moves by words without marking.
    add(kCmdWordRight, [] { return Plain(kCmdWordRight, WordRight); });
    add(kCmdWordRightRepeat, [] { return Plain(kCmdWordRightRepeat, WordRight); });
    add(kCmdWordLeft, [] { return Plain(kCmdWordLeft, WordLeft); });
    add(kCmdWordLeftRepeat, [] { return Plain(kCmdWordLeftRepeat, WordLeft); });
}

void UninstallEditingCommands() {
    FrameCommands().Unregister(kOwner);
}

}  // namespace velt
