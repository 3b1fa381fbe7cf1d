// The comment ranges of a document: built by its language's scanner, kept until an edit can
// have changed them (document flag kDocCommentRangesCurrent), and looked up per line by the
// painter without walking the document.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace velt {

struct Document;
struct Line;

// An end column meaning "through the end of the line", whatever its length is now.
inline constexpr int kToLineEnd = 0x7FFF;

// One comment, in document order: lines numbered from 1 as they were when scanned, columns
// as character indices, the end column one past the comment's last character.
struct CommentRange {
    std::int32_t startLine = 0;
    std::int32_t endLine = 0;
    std::int32_t startColumn = 0;
    std::int32_t endColumn = 0;
    bool operator==(const CommentRange&) const = default;
};

// The part of one line inside a comment: [start, end), end possibly kToLineEnd.
struct ColumnSpan {
    int start = 0;
    int end = 0;
    bool operator==(const ColumnSpan&) const = default;
};

class CommentRanges {
  public:
    enum class Lookup {
        None,   // the line holds no comment
        Spans,  // spans filled in
        Stale,  // the line changed since the scan: the ranges must be rebuilt
    };

    // Starts a scan: forgets everything.
    void Clear();
    // The scanner reached `line`, number n (from 1). Every line of the document, in order.
    void NextLine(const Line* line, std::int32_t n);
    // A comment opens on the current line at `column`.
    void Open(int column);
    // The open comment closes on the current line; `column` is one past its last character.
    void Close(int column);
    // A comment from `column` to the end of the current line.
    void LineComment(int column);
    // The scan is over: a comment still open runs to the end of the last line.
    void Finish();
    bool open() const { return open_; }

    const std::vector<CommentRange>& ranges() const { return ranges_; }
    // The spans of `line`, appended to `out` in column order. Cost independent of where the
    // line is in the document.
    Lookup SpansOf(const Line* line, std::vector<ColumnSpan>& out) const;
    // Whether `line` was inside or held part of a comment when scanned.
    bool Touches(const Line* line) const { return index_.count(line) != 0; }
    // Whether a comment that covers `line` goes on past its end.
    bool ContinuesAfter(const Line* line) const;
    // A line moved to another block: it keeps its comments.
    void Rekey(const Line* from, const Line* to);

  private:
    struct LineEntry {
        std::int32_t line;    // number at scan time
        std::uint32_t first;  // first range touching the line
        std::uint32_t textHash;
        std::int16_t length;
    };
    void Touch();

    std::vector<CommentRange> ranges_;
    std::unordered_map<const Line*, LineEntry> index_;
    const Line* current_ = nullptr;
    std::int32_t currentNumber_ = 0;
    bool currentTouched_ = false;
    bool open_ = false;
};

// The ranges kept for `doc` (empty until scanned).
CommentRanges& CommentRangesOf(const Document& doc);
// Drops what is kept for a document that is released.
void ForgetCommentRanges(const Document* doc);

// Makes the ranges current: runs the language's scanner unless kDocCommentRangesCurrent is
// set. Null when the document is not coloured (no language or no scanner).
const CommentRanges* EnsureCommentRanges(Document& doc);
// Clears kDocCommentRangesCurrent.
void MarkCommentRangesStale(Document& doc);

// Scanners (the languages' scanComments slots).
// Generic (Assembly, user languages): outside strings of the language's string characters
// ("'" when it has none), the first comment character starts a comment to the line's end.
void ScanCommentsGeneric(Document& doc);
// C: "/*" ... "*/" across lines and "//" to the line's end, outside '...' and "..." (with
// backslash escapes).
void ScanCommentsC(Document& doc);
// Fortran: the comment characters as the generic scanner, "!" outside strings, and the
// fixed-form comment lines with "C", "c", "*" or "!" in column 1.
void ScanCommentsFortran(Document& doc);
// Pascal: "{" ... "}" and "(*" ... "*)" across lines, outside '...' strings.
void ScanCommentsPascal(Document& doc);
// eiffel: the comment character doubled ("--") to the line's end, outside '...' and "..."
// (with "%" escapes).
void ScanCommentsEiffel(Document& doc);

// Line-changed hooks (the languages' lineChanged slots). Each marks the ranges stale when
// the edit can have changed them: the line held a comment, now holds a character that can
// open or close one or a string, or lies inside a comment that spans lines; a null line
// (lines inserted or removed) always.
void LineChangedGeneric(Document& doc, Line* line);
void LineChangedC(Document& doc, Line* line);
void LineChangedFortran(Document& doc, Line* line);
void LineChangedPascal(Document& doc, Line* line);
void LineChangedEiffel(Document& doc, Line* line);

// Sets the document's line hooks: edits go to the language's lineChanged; a released line
// that held a comment marks the ranges stale; a moved line keeps its comments. Hooks set
// before are still called.
void InstallCommentHooks();

}  // namespace velt
