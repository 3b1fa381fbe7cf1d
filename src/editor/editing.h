// Editing the current document through its view: the key-pressed and character-typed
// handlers of the editor window, the primitive line operations they use, the moves, the
// marked block and the mouse selection, tab conversion, text macros and the editing commands
// of the dispatcher. The block buffer, the bookmarks and the undo log have headers of their
// own (block.h, bookmarks.h, undo.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "shell/shortcuts.h"

namespace velt {

struct Document;
struct EditView;
struct Line;

// ---- The editor window's events (all act on the current view)

// A key went down (Windows virtual-key code, the modifier state, the repeat count). The
// shortcut rows come first (the debugger's while a debug session runs), then the editor's
// own keys. True when the key was used up: the front end then delivers no character for it.
// False for every other key, and for Esc, which posts word completion (1280) and still
// delivers its character (27), which unmarks a block.
bool EditorKeyDown(unsigned vk, bool shift, bool ctrl, bool alt, int repeat);
// The debugger's shortcut rows, searched first while a debug session runs (the debugger
// sets them; empty by default).
void SetDebuggerShortcuts(std::span<const ShortcutRow> rows);
// A character was typed, as the window system delivers it: 8 Backspace, 9 Tab (Shift+Tab is
// 9 with `shift`), 13 Enter, 27 Esc, 1-26 Ctrl+letter, else the character (32-255).
void EditorChar(unsigned ch, bool ctrl, bool shift, int repeat);

// The left button went down on `column` of `line` of `view`: cursor and block anchor there
// (the view becomes current). A null line means below the text: the last line.
void EditorMousePress(EditView& view, Line* line, int column);
// The pointer moved with the button held: the cursor follows, the anchor stays.
void EditorMouseDrag(EditView& view, Line* line, int column);
// The button was released: a block whose anchor and cursor coincide is unmarked.
void EditorMouseRelease(EditView& view);
// The pointer is outside the window while selecting: scroll one line up (-1) or down (+1),
// the cursor following. The front end repeats this every kAutoScrollMs.
void EditorAutoScroll(EditView& view, int direction);
inline constexpr int kAutoScrollMs = 25;

// The application became active (the system clipboard is read into the block buffer, CR
// dropped) or inactive (the block buffer is written to it, LF as CR LF).
void ClipboardActivated(bool active);

// Registers the editing commands with the frame's dispatcher (InstallEditor calls it).
void InstallEditingCommands();
void UninstallEditingCommands();

// ---- What the editor window asks

bool OverwriteMode(const EditView& view);
// The caret's width: one average character in overwrite mode, a third of one in insert mode
// (at least one pixel).
int CaretWidth(const EditView& view, int averageCharWidth);
// Rows the window shows entirely (paging, Recenter); the front end sets it on every resize.
void SetViewRows(EditView& view, int rows);
// 1-based numbers of the cursor and top lines (the sentinel of an empty document is 1). Kept
// up to date by every move and edit; recounted only after changes made elsewhere.
int CursorLineNumber(EditView& view);
int TopLineNumber(EditView& view);

// ---- Primitives on the current view. A read-only document is never changed.

// Types `count` copies of ch (32-255): overwrite mode, the "}" outdent, the long-line split.
void InsertChars(unsigned ch, int count);
// Inserts count copies of ch at the cursor; the cursor goes after them.
bool InsertRun(int count, char ch);
// Splits the cursor line count times (auto-indent with count 1); in overwrite mode only
// moves to the start of the next line.
bool NewLine(int count);
// Remove characters before (Backspace) or at (Delete) the cursor, joining lines at their
// ends; DeleteRight and DeleteChars are the same removal at the cursor.
bool DeleteLeft(int count);
bool DeleteRight(int count);
bool DeleteChars(int count);

// Moves; false when the cursor could not move at all.
bool MoveLeft(int n);
bool MoveRight(int n);
bool LineUp(int n);
bool LineDown(int n);
// Line n (1-based, clamped to the document), column 0.
bool GotoLine(int n);
bool GotoColumn(int column);
bool PageUp();
bool PageDown();
// Scrolls the window one line (direction -1 up, +1 down); the cursor stays in the window.
bool ScrollLine(int direction);
void Recenter();

// Inserts `text` (LF between lines) at the cursor of the current view; the cursor goes after
// it. A line that would grow past kMaxLineLength is broken there. Returns the characters put
// into the document (LF counting one, the breaks included): 0 for read-only, memory.
std::size_t InsertText(const char* text, std::size_t n);
// Removes up to `n` characters at the cursor, a line end counting as one, and returns how
// many went (the end of the document, or a join that would make a line too long, stops it);
// `removed` receives their text when given.
std::size_t DeleteText(std::size_t n, std::string* removed = nullptr);
// Puts the cursor of `view` on line `line` (1-based, clamped to the document) at `column`
// (clamped to the line) and scrolls it into the window.
void PlaceCursor(EditView& view, int line, int column);

// ---- The marked block

bool BlockMarked(const EditView& view);
void Unmark(EditView& view);
// The block as one MemAlloc text with LF between its lines (the caller frees it), and its
// length; null for no block.
char* BlockText(const EditView& view, std::size_t* length = nullptr);
// Deletes the block's text; the cursor goes to its start.
bool DeleteBlock(EditView& view);
// Mark block (1170): the innermost brace pair around the cursor, both braces included.
bool MarkBraceBlock(EditView& view);

// ---- Tabs and spaces (1189, 1190) on the leading white space of every line.

void SpacesToTabs(Document& doc, int tabSize);
void TabsToSpaces(Document& doc, int tabSize);

// ---- Debug check

// Walks the document's ring and its views: next/prev agree, the sentinel closes the ring,
// lengths fit their capacities, no CR or LF in any text, every view's lines lie in the ring
// and its kept line numbers are right. Empty when sound, else what is wrong.
std::string CheckDocument(const Document& doc);

}  // namespace velt
