// The undo log: every editing event is recorded with the cursor position before it, in a
// global log of 255 records shared by all editor windows, and Undo replays the last one of
// the current window backwards. The log is not a ring: when it fills, it is cleared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velt {

struct Document;
struct EditView;

inline constexpr int kUndoLogSize = 255;

// Event kinds (the message field).
enum : std::uint32_t {
    kUndoOverwritten = 129,  // one character removed by overwrite typing or an indentation change
    kUndoCompound = 130,     // a change made on the way: the split of a line too long to type in
    kUndoKeyDown = 256,      // wparam: virtual key, lparam: repeat count
    kUndoChar = 258,         // wparam: character, lparam: repeat count
    kUndoCommand = 273,      // wparam: command id
    kUndoScroll = 277,       // vertical scroll
    kUndoLeftClick = 513,
    kUndoRightClick = 516,
    kUndoReplacement = 1026,   // one replacement; the text is the old text, NUL, the new text
    kUndoKeptDeletion = 1027,  // a deletion whose text is kept
    kUndoSeries = 1028,        // a replacement series marker: wparam 0 opens, the count closes
    kUndoBlockIndent = 6474,   // wparam: (block column << 16) + block line number
    kUndoBlockUnindent = 6475,
};

struct UndoRecord {
    EditView* window = nullptr;
    std::uint64_t windowSerial = 0;  // the view's serial: a later view at the same address differs
    Document* document = nullptr;
    std::uint32_t message = 0;
    std::uint32_t wparam = 0;
    std::uint32_t lparam = 0;  // the repeat count (a text is held in `text`)
    // The cursor position before the event, (line << 8) + (column & 0xFF); Backspace keeps the
    // characters it removes here (up to four, the nearest lowest, LF for a join), Delete the
    // character under the cursor (LF at a line end).
    std::uint32_t extra = 0;
    // The same position whole: `extra` loses columns past 255 and lines past 2^24.
    int line = 0;  // 1-based
    int column = 0;
    // Where the change itself happened (a Backspace removes before the cursor, a typed
    // character may follow a split) and how many characters it inserted there (LF counts one).
    // 6474 / 6475: the first and last line indented.
    int atLine = 0;
    int atColumn = 0;
    std::size_t inserted = 0;
    // Text owned by the record (MemAlloc): what a deletion removed, a replacement's old text,
    // NUL and new text, or per line what a block indent inserted or an unindent removed.
    char* text = nullptr;
    std::size_t textLength = 0;
    std::size_t oldLength = 0;  // 1026: the old text's length (texts may hold NUL bytes)
    // 6474 / 6475: the block anchor, whole.
    int anchorLine = 0;
    int anchorColumn = 0;
};

// Records an event of the current view at its cursor (the position before the event) and
// returns its record, or null when there is no view or the record filled the log, which is
// then cleared. Backspace (258/8) and Delete (256/46) store the characters they will remove;
// Cut (273/1111) stores the block's text.
UndoRecord* RecordEvent(std::uint32_t message, std::uint32_t wparam, std::uint32_t lparam);
// The same at a given position (1-based line, column) of `view`.
UndoRecord* RecordEventAt(EditView& view, int line, int column, std::uint32_t message,
                          std::uint32_t wparam, std::uint32_t lparam);
// Gives a record a copy of `text` (the previous one released). False when memory ran out.
bool SetRecordText(UndoRecord& record, std::string_view text);
// The last record, or null.
UndoRecord* LastRecord();
// Takes the last record out again (a move that failed); its text is released.
void DropLastRecord();
// Clears the log (start-up, reload).
void ResetUndo();
// Command 1110.
void Undo();

int UndoCount();
const UndoRecord* UndoRecordAt(int i);

// ---- For search and replace: a replacement series that one Undo takes back whole.

// Opens a series (a 1028 marker).
void BeginReplacementSeries(EditView& view);
// One replacement at `line` (1-based), `column` of `view`: `oldText` became `newText`.
void RecordReplacement(EditView& view, int line, int column, std::string_view oldText,
                       std::string_view newText);
// A deletion of `text` at `line`, `column` whose text is kept (1027).
void RecordKeptDeletion(EditView& view, int line, int column, std::string_view text);
// Closes the series opened last with the number of replacements made; a series without
// any replacement leaves no record.
void EndReplacementSeries(EditView& view, int count);

// Commands whose undo only puts the cursor back where it was (the moves, the jumps).
bool UndoRestoresPositionOnly(unsigned command);

}  // namespace velt
