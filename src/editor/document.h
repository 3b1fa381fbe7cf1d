// The text document: a ring of lines with a sentinel, each line one checked memory block
// with its text inline; the registries of open documents and editor views; the current
// document and view that the editor's commands act on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velt {

struct Language;  // the language record (editor/language.h)
struct Document;

// Line flags.
enum : std::uint8_t {
    kLineBreakpointRemoved = 0x01,
    kLineMarked = 0x04,
    kLineInactive = 0x08,  // inactive conditional code
    kLineBreakpoint = 0x40,
    kLineDebuggerCurrent = 0x80,
};

// One text line. Allocated as a single MemAlloc block: the fields below, then the text at
// kLineHeadSize with room for `capacity` characters and 3 more (a NUL when needed). The
// text never holds CR or LF. Never create one on the stack or with new.
struct Line {
    Line* next;
    Line* prev;
    std::int16_t capacity;
    std::int16_t length;
    std::uint8_t flags;

    char* text();
    const char* text() const;
};

// The text starts right after the flags byte, not at sizeof(Line): the tail padding would
// cost 3 bytes on every line.
inline constexpr std::size_t kLineHeadSize = offsetof(Line, flags) + 1;
inline char* Line::text() {
    return reinterpret_cast<char*>(this) + kLineHeadSize;
}
inline const char* Line::text() const {
    return reinterpret_cast<const char*>(this) + kLineHeadSize;
}

// The longest text a line can hold: its capacity must fit the 16-bit field.
inline constexpr int kMaxLineLength = 32752;

// Room for n characters: n rounded up to a multiple of 16, at least 16.
constexpr int LineCapacityFor(int n) {
    return n <= 0 ? 16 : (n + 15) & ~15;
}

// An unlinked line (next and prev null, flags 0) holding the n characters at `text` (which
// may be null when n is 0), NUL-terminated. When memory runs out shows the out-of-memory
// box and returns null; null also for n beyond kMaxLineLength (callers break longer text).
Line* NewLine(const char* text, int n);
// Releases a line that is no longer linked anywhere. Null is ignored.
void FreeLine(Line* line);

// Document flags.
enum : std::uint16_t {
    kDocModified = 0x0002,
    kDocIncomplete = 0x0004,
    kDocInternalBuffer = 0x0008,
    kDocFunctionListValid = 0x0080,
    kDocCommentRangesCurrent = 0x0100,
    kDocTimeStampLine = 0x0200,
    kDocCLanguage = 0x0400,
    kDocAutosaveCurrent = 0x2000,
    kDocReadOnly = 0x4000,
};

struct Document {
    Document* next = nullptr;  // registry order: by name, case-insensitive
    Line* head = nullptr;      // the sentinel, length 0; head->next is the first text line
    // Where the cursor and block anchor stood when the document was last left.
    Line* savedCursor = nullptr;
    Line* savedBlock = nullptr;
    std::int16_t savedCursorColumn = 0;
    std::int16_t savedBlockColumn = 0;
    std::uint16_t flags = 0;
    std::string name;            // full path; "untitled" for a nameless scratch text
    std::int32_t lineCount = 0;  // lines read at load (file insertions add to it)
    const Language* language = nullptr;
    std::uint32_t fileTime = 0;  // seconds; 0 when the file does not exist
    // The same time to the nanosecond, so a change within the second is still seen.
    std::int64_t fileTimeNs = 0;
    // The time-stamp line installed by the time-stamp command, refreshed at each save.
    Line* timeStampLine = nullptr;
    // Grows whenever a line is linked into or unlinked from the ring: line numbers kept by
    // the views are recounted when it moved behind their back.
    std::uint32_t structureVersion = 0;
    // Lines in the ring now, kept by the functions that link and unlink lines, so that
    // scroll bars and percentages never count the document.
    int liveLines = 0;

    Line* First() const { return head->next; }
    Line* Last() const { return head->prev; }
    bool Empty() const { return head->next == head; }
};

// View flags.
enum : std::uint8_t {
    kViewRepaintAll = 0x08,
    kViewOverwrite = 0x20,
};

// A number no other view has had (records that outlive a view must not match a later view
// made at the same address).
std::uint64_t NewViewSerial();

struct EditView {
    EditView* next = nullptr;
    std::uint64_t serial = NewViewSerial();
    std::uintptr_t window = 0;  // the front end's id of the document window
    Document* document = nullptr;
    Line* top = nullptr;
    Line* cursor = nullptr;
    Line* block = nullptr;  // block anchor; null when no block is marked
    std::int16_t cursorColumn = 0;
    std::int16_t blockColumn = 0;
    std::uint8_t flags = 0;
    int leftColumn = 0;  // first column shown (horizontal scrolling)
    int rows = 0;        // rows the window shows entirely (paging); 0 until the window says
    // The 1-based numbers of the cursor and top lines, so that no keystroke walks the
    // document. They hold while the cursor and top are the `numbered` lines and the
    // document's structure version is `numberedVersion`; CursorLineNumber and TopLineNumber
    // (editor/editing.h) recount them otherwise.
    int cursorLineNumber = 0;
    int topLineNumber = 0;
    const Line* numberedCursor = nullptr;
    const Line* numberedTop = nullptr;
    std::uint32_t numberedVersion = 0;
};

// ---- Hooks other parts of the editor fill in. All may stay null.

// Called by MarkChanged for the changed line: the language decides whether the comment
// ranges became stale (clears kDocCommentRangesCurrent).
extern void (*gLineChangedHook)(Document& doc, Line* line);
// Called before a line is released (bookmarks and other references to it go).
extern void (*gLineDeletedHook)(Document& doc, Line* line);
// Called when a line moved to a new block (GrowLine): references held outside the views
// and saved positions are redirected from `from` to `to`.
extern void (*gLineMovedHook)(Document& doc, Line* from, Line* to);

// ---- Lines of a document

// Every change of the text: sets modified, drops the function list and the autosave copy's
// currency, and lets the language look at the changed line (may be null).
void MarkChanged(Document& doc, Line* line = nullptr);

// Links `line` into the ring after `at` (the sentinel for the first place). A line inserted
// into an empty document takes over the sentinel's inactive bit.
void InsertLineAfter(Document& doc, Line* at, Line* line);
void AppendLine(Document& doc, Line* line);

// Makes room for at least `length` characters. Returns the line to use from now on: the
// same one when it already fits, else a copy in a bigger block, linked in its place, with
// every view, saved position and the time-stamp line moved to it; the old block is freed.
// Null (nothing changed) when memory runs out or the length is beyond kMaxLineLength.
Line* GrowLine(Document& doc, Line* line, int length);
// Replaces the text of `line` with n characters at `text`, growing it when needed (as
// GrowLine). Returns the line to use from now on, or null when it did not fit.
Line* SetLineText(Document& doc, Line* line, const char* text, int n);

// Unlinks and releases `line` (never the sentinel). Views showing it at their top, cursor
// or block line, and saved positions on it, move to the next line with column 0; when it
// was the last line they move to the line before it instead, so they stay on text.
void DeleteLine(Document& doc, Line* line);
// Releases every line but the sentinel; views and saved positions go to the sentinel.
void EmptyDocument(Document& doc);

// Number of text lines (walks the ring).
int CountLines(const Document& doc);
// The line at 1-based number n, or null when there is none.
Line* LineAt(const Document& doc, int n);
// 1-based number of `line`, or 0 when it is not in the document (the sentinel is 0).
int LineNumber(const Document& doc, const Line* line);
inline std::string LineString(const Line* line) {
    return std::string(line->text(), static_cast<std::size_t>(line->length));
}

// Iteration over the text lines: for (Line* l : Lines(doc)).
class LineRange {
  public:
    class Iterator {
      public:
        explicit Iterator(Line* l) : line_(l) {}
        Line* operator*() const { return line_; }
        Iterator& operator++() {
            line_ = line_->next;
            return *this;
        }
        bool operator!=(const Iterator& o) const { return line_ != o.line_; }

      private:
        Line* line_;
    };
    explicit LineRange(const Document& doc) : head_(doc.head) {}
    Iterator begin() const { return Iterator(head_->next); }
    Iterator end() const { return Iterator(head_); }

  private:
    Line* head_;
};
inline LineRange Lines(const Document& doc) {
    return LineRange(doc);
}

// ---- The document registry

// The first document of the registry (sorted by name, case-insensitive).
Document* FirstDocument();
// Strips one pair of double quotes, then looks the name up without regard to letter case;
// two names that resolve to the same existing file are the same document too. When absent
// and `create` is set, makes an empty document of that name and inserts it in order.
Document* FindDocument(const std::string& name, bool create);
// An empty document, inserted in the registry by name.
Document* NewDocument(const std::string& name);
// Takes the document out of the registry and frees it with all its lines. Views still
// showing it lose it (document null); the current document is cleared when it was this.
void ReleaseDocument(Document* doc);
// Renames the document and keeps the registry sorted (Save as).
void RenameDocument(Document& doc, const std::string& name);
// Number of open documents.
int DocumentCount();

// ---- The view registry

EditView* FirstView();
// A view of `doc` placed on its first line, added to the registry.
EditView* NewView(Document* doc, std::uintptr_t window);
// Takes the view out of the registry and frees it; clears the current view when it was this.
void ReleaseView(EditView* view);
// Puts the view on the first line: top and cursor at head->next, columns 0, no block,
// repaint all.
void ResetView(EditView& view);

Document* CurrentDocument();
void SetCurrentDocument(Document* doc);
EditView* CurrentView();
// Also makes the view's document current.
void SetCurrentView(EditView* view);

// Releases every view and document (end of the program; tests).
void ReleaseAllDocuments();

}  // namespace velt
