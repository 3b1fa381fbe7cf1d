// What the editing files (editing, editor_input, block, undo, bookmarks) share among
// themselves and nobody else needs.
#pragma once

#include <cstddef>
#include <string>

namespace velt {

struct Document;
struct EditView;
struct Line;

struct TextPosition {
    int line = 1;  // 1-based
    int column = 0;
};

// The current view when it shows a document, its kept numbers current and its column within
// its line; else null.
EditView* EditingView();
int EditingTabSize();
bool AutoIndentOn();
bool IsReadOnly(const Document& doc);
// "File is read only" in the status pane.
void ReadOnlyNotice();
int LineLength(const Document& doc, const Line* line);
void RepaintView(EditView& v);
void RepaintDocument(Document& doc);
// Makes the kept numbers of every view of `doc` current (before lines are linked or
// unlinked, so that they can be adjusted afterwards instead of recounted).
void NumberViewsOf(Document& doc);
// Scrolls the view so that its cursor line lies in the window.
void KeepCursorVisible(EditView& v);
TextPosition CursorPosition(EditView& v);

// Inserts at the cursor of `v` (not checking read-only); the cursor goes after the text.
// Returns the characters put in (LF one each, breaks of over-long lines included).
std::size_t InsertTextAt(EditView& v, const char* text, std::size_t n);
// Removes up to n characters at the cursor of `v`; returns how many went.
std::size_t DeleteTextAt(EditView& v, std::size_t n, std::string* removed);

// The text of the `count` characters before the cursor (fewer at the start of the document),
// and where it begins.
std::string TextBeforeCursor(EditView& v, std::size_t count, TextPosition* start);
// Removes up to `count` characters before the cursor; the cursor goes to where they began.
std::size_t DeleteBeforeCursor(EditView& v, std::size_t count, std::string* removed);
// Removes the block's text (the cursor goes to its start, the block is unmarked); `removed`
// receives it. False when there is no block or nothing could be removed.
bool DeleteBlockText(EditView& v, std::string* removed);
// Puts the cursor of `v` on `line` (a line of its document; null: the last line).
void SetCursorToLine(EditView& v, Line* line, int column);
// Moves the cursor `delta` lines keeping its display column; false when it could not move.
bool MoveCursorLines(EditView& v, int delta);

// Where the event being handled inserted its text, and how much (for its undo record).
struct EditEffect {
    bool set = false;
    int line = 0;
    int column = 0;
    std::size_t inserted = 0;
};
EditEffect& CurrentEffect();
void ResetEffect();

// The marked block in document order.
struct BlockRange {
    Line* startLine = nullptr;
    int startNumber = 0;
    int startColumn = 0;
    Line* endLine = nullptr;
    int endNumber = 0;
    int endColumn = 0;
    bool anchorFirst = true;  // the anchor is the start
};
// False when no block is marked (or its anchor is not in the document).
bool OrderedBlock(EditView& v, BlockRange& range);
// Characters of the block, LF counting one.
std::size_t BlockLength(const BlockRange& range);

// Block indent (Tab) and unindent (Shift+Tab) of every line of the block, recorded as 6474
// or 6475. The block stays marked.
bool IndentBlock(EditView& v, bool unindent);
// Takes an indent or unindent back on the lines `first` ... `last`: `prefixes` holds per
// line (LF between) what was inserted (a tab) or removed, empty for a line left alone.
void ReverseIndent(EditView& v, int first, int last, bool unindent, const std::string& prefixes);

// Undo needs to put a window in front and make its view current.
void ActivateEditorView(EditView* view);
bool EditorViewAlive(const EditView* view, unsigned long long serial);

}  // namespace velt
