// What an editor window shows, computed row by row: the runs of text of a row with their
// colours and inversion, the block part, the cut-off mark and the margin marks, plus the
// column and row arithmetic of the window. The front end only draws the result.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

struct Document;
struct Line;
struct EditView;
struct GlobalSettings;

// The most display characters a row shows; text beyond is not drawn.
inline constexpr int kRowTextMax = 498;
// Width of the left margin while the debugger runs or the brace levels are shown.
inline constexpr int kMarginPixels = 20;
// Height of the margin bitmaps.
inline constexpr int kMarginBitmapHeight = 16;
// The cut-off mark is two characters wide.
inline constexpr int kCutMarkColumns = 2;

// Fixed colours (0x00BBGGRR).
inline constexpr std::uint32_t kInactiveColor = 0x808080;
inline constexpr std::uint32_t kBreakpointTextColor = 0x0000C0;
inline constexpr std::uint32_t kContinuationColor = 0xFF00FF;
inline constexpr std::uint32_t kMarkedLineColor = 0xFFFF80;
inline constexpr std::uint32_t kDebuggerLineColor = 0x800000;

inline constexpr char kBreakpointBitmap[] = "bkpt";
inline constexpr char kDebuggerLineBitmap[] = "DbgCur";

enum class PaintColour : std::uint8_t {
    Text,          // TextColor
    Keyword,       // KeywordColor: keywords and preprocessor directives
    Comment,       // CommentColor
    Inactive,      // grey: inactive conditional code
    Breakpoint,    // red: a line with a breakpoint while no debug session runs
    Continuation,  // magenta: the Fortran continuation column
};

// "text", "keyword", "comment", "inactive", "breakpoint", "continuation".
const char* PaintColourName(PaintColour c);

// The colours from the settings.
struct PaintColours {
    std::uint32_t text = 0x000000;
    std::uint32_t keyword = 0x0000C0;
    std::uint32_t comment = 0x808080;
    std::uint32_t background = 0xFFFFFF;
};
PaintColours PaintColoursFrom(const GlobalSettings& settings);
std::uint32_t ColourRefOf(PaintColour c, const PaintColours& colours);

struct PaintRun {
    int column = 0;  // first column of the run, counted from the first visible column
    std::string text;
    PaintColour colour = PaintColour::Text;
    bool inverted = false;  // inside the marked block
    bool operator==(const PaintRun&) const = default;
};

// A mark of the margin: a bitmap drawn at the left of the row (kMarginBitmapHeight high),
// and/or the whole row pattern-inverted with a colour.
struct MarginMark {
    const char* bitmap = nullptr;  // kBreakpointBitmap, kDebuggerLineBitmap or none
    std::optional<std::uint32_t> invertRow;
};

struct PaintedRow {
    // The visible text left to right, split where colour or inversion changes. Empty when
    // the line's text ends left of the first visible column.
    std::vector<PaintRun> runs;
    int textColumns = 0;    // visible columns the runs fill; the rest is background
    int displayLength = 0;  // the row's whole display length, at most kRowTextMax
    // The text goes on right of what is shown (past the window's edge or past
    // kRowTextMax): the mark, kCutMarkColumns wide, is drawn from cutMarkColumn.
    bool cutOff = false;
    int cutMarkColumn = 0;
    // The block part, visible columns [blockStart, blockEnd); it reaches one column past the
    // text when the block goes on past the line's end. Both -1 when there is none.
    int blockStart = -1;
    int blockEnd = -1;
    std::vector<MarginMark> marks;  // in drawing order
};

// The block part of one line, in character columns: [start, end), or from start through
// the line's end when `toLineEnd`.
struct BlockPart {
    int start = 0;
    int end = 0;
    bool toLineEnd = false;
    bool operator==(const BlockPart&) const = default;
};

struct PaintOptions {
    int tabSize = 4;
    int leftColumn = 0;      // first display column shown
    int columns = 80;        // display columns the row has room for
    bool debugging = false;  // a debug session runs
};

// Paints one row: `line`'s text with tabs expanded (at most kRowTextMax characters) from
// options.leftColumn on. Inactive lines are grey, breakpoint lines red outside a debug
// session, otherwise comments come from the document's comment ranges (rebuilt here when
// stale) and the rest goes through the keyword drawer. Costs the same wherever the line is.
PaintedRow PaintRow(Document& doc, const Line* line, const std::optional<BlockPart>& block,
                    const PaintOptions& options);

// Up to `rows` lines from the view's top line.
std::vector<const Line*> VisibleLines(const Document& doc, const EditView& view, int rows);
// The block part of each of `lines` (consecutive lines from the view's top): the block runs
// from its anchor to the cursor, whichever comes first. Only the window's lines are
// walked, and when the block's ends lie outside it, the lines between the window and them.
std::vector<std::optional<BlockPart>> BlockParts(const Document& doc, const EditView& view,
                                                 const std::vector<const Line*>& lines);
// Paints `rows` rows of the view (fewer at the end of the document), with options.leftColumn
// taken from the view.
std::vector<PaintedRow> PaintView(Document& doc, const EditView& view, int rows,
                                  PaintOptions options);

// ---- The keyword drawer, on its own (display text of one run)

// Colours `text` (the display text of one run, `atLineStart` when it begins the row) into
// `out` (one entry per character).
void DrawKeywords(const Document& doc, std::string_view text, bool atLineStart, PaintColour* out);

// ---- Metrics

// The display column of character column `column` of `line`: tabs advance to the next
// multiple of the tab size; columns past the end count one each.
int DisplayColumn(const Line* line, int column, int tabSize);
// The whole display width of `line`.
int DisplayWidth(const Line* line, int tabSize);
// The character under display column `displayColumn` (the tab that covers it, for a tab);
// the line's length when it lies past the end.
int CharColumnAt(const Line* line, int displayColumn, int tabSize);
// Width of the left margin.
int MarginWidth(bool debugging, bool braceLevels);
// Rows the window shows entirely, and rows it must paint (a partly visible last one too).
int FullRowsVisible(int heightPixels, int lineHeight);
int RowsToPaint(int heightPixels, int lineHeight);
// Display columns the window must paint right of the margin (a partly visible one too).
int ColumnsToPaint(int widthPixels, int marginPixels, int charWidth);
// The display column under pixel x of the window.
int DisplayColumnAtX(int x, int marginPixels, int charWidth, int leftColumn);

}  // namespace velt
