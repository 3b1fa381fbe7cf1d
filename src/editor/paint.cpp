#include "editor/paint.h"

#include <algorithm>
#include <array>

#include "editor/comment_scan.h"
#include "editor/document.h"
#include "editor/language.h"
#include "shell/msgbox.h"
#include "shell/settings.h"

namespace velt {

namespace {

// Internal errors of a comment-range list that cannot be drawn.
constexpr int kRangesOutOfOrder = 4201;
constexpr int kRangeBeyondLine = 4202;
// Longest word the keyword drawer looks up in the middle of a run.
constexpr int kMinLookedUpWord = 2;
constexpr int kMaxLookedUpWord = 14;

constexpr std::array<std::string_view, 13> kDirectives = {
    "assert", "define",  "elif", "else",   "endif", "if",    "ifdef",
    "ifndef", "include", "line", "pragma", "undef", "error",
};

bool IsDirective(std::string_view w) {
    return std::find(kDirectives.begin(), kDirectives.end(), w) != kDirectives.end();
}

std::size_t SkipQuoted(std::string_view t, std::size_t i) {
    const char q = t[i];
    std::size_t j = i + 1;
    while (j < t.size()) {
        if (t[j] == '\\') {
            j += 2;
            continue;
        }
        if (t[j] == q) return j + 1;
        ++j;
    }
    return t.size();
}

void Fill(PaintColour* out, std::size_t from, std::size_t to, PaintColour c) {
    for (std::size_t i = from; i < to; ++i) out[i] = c;
}

// Where a line that is not in the window lies.
enum class Side { Unknown, Above, Below };

// Walks out of the window, up from its first line and down from its last one in turn,
// until every target is placed; a side that reaches the document's end leaves the rest to
// the other side.
void Locate(const Document& doc, const std::vector<const Line*>& lines, const Line* targets[2],
            Side sides[2], int count) {
    const Line* up = lines.front()->prev;
    const Line* down = lines.back()->next;
    auto unplaced = [&] {
        int n = 0;
        for (int k = 0; k < count; ++k)
            if (sides[k] == Side::Unknown) ++n;
        return n;
    };
    while (unplaced() > 0) {
        if (up == doc.head && down == doc.head) break;
        if (up == doc.head) {
            for (int k = 0; k < count; ++k)
                if (sides[k] == Side::Unknown) sides[k] = Side::Below;
            break;
        }
        if (down == doc.head) {
            for (int k = 0; k < count; ++k)
                if (sides[k] == Side::Unknown) sides[k] = Side::Above;
            break;
        }
        for (int k = 0; k < count; ++k) {
            if (sides[k] != Side::Unknown) continue;
            if (targets[k] == up) sides[k] = Side::Above;
            if (targets[k] == down) sides[k] = Side::Below;
        }
        up = up->prev;
        down = down->next;
    }
}

int IndexOf(const std::vector<const Line*>& lines, const Line* l) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == l) return static_cast<int>(i);
    return -1;
}

}  // namespace

const char* PaintColourName(PaintColour c) {
    switch (c) {
        case PaintColour::Text:
            return "text";
        case PaintColour::Keyword:
            return "keyword";
        case PaintColour::Comment:
            return "comment";
        case PaintColour::Inactive:
            return "inactive";
        case PaintColour::Breakpoint:
            return "breakpoint";
        case PaintColour::Continuation:
            return "continuation";
    }
    return "text";
}

PaintColours PaintColoursFrom(const GlobalSettings& s) {
    return PaintColours{s.textColor, s.keywordColor, s.commentColor, s.backgroundColor};
}

std::uint32_t ColourRefOf(PaintColour c, const PaintColours& colours) {
    switch (c) {
        case PaintColour::Text:
            return colours.text;
        case PaintColour::Keyword:
            return colours.keyword;
        case PaintColour::Comment:
            return colours.comment;
        case PaintColour::Inactive:
            return kInactiveColor;
        case PaintColour::Breakpoint:
            return kBreakpointTextColor;
        case PaintColour::Continuation:
            return kContinuationColor;
    }
    return colours.text;
}

// ---- Keyword drawer

void DrawKeywords(const Document& doc, std::string_view text, bool atLineStart, PaintColour* out) {
    const std::size_t n = text.size();
    Fill(out, 0, n, PaintColour::Text);
    const Language* lang = doc.language;
    if (!lang || lang->keywords.empty()) return;

    std::size_t i = 0;
    const bool fortran = lang->name.rfind("Fo", 0) == 0;
    if (fortran) {
        // Five blanks and a character in the sixth column continue the previous line.
        if (atLineStart && n >= 6 && text.substr(0, 5) == "     " && text[5] != ' ') {
            out[5] = PaintColour::Continuation;
            i = 6;
        }
    } else {
        std::size_t k = 0;
        while (k < n && (text[k] == ' ' || text[k] == '\t')) ++k;
        if (k < n && text[k] == '#') {
            std::size_t p = k + 1;
            while (p < n && (text[p] == ' ' || text[p] == '\t')) ++p;
            std::size_t q = p;
            while (q < n && IsIdentifierChar(text[q])) ++q;
            // "#if" counts: the length is that of the whole directive text.
            if (IsDirective(text.substr(p, q - p)) && q - k > 2) {
                Fill(out, k, q, PaintColour::Keyword);
                return;
            }
        }
    }

    const std::string_view quotes =
        lang->stringChars.empty() ? std::string_view("'\"") : std::string_view(lang->stringChars);
    while (i < n) {
        const char c = text[i];
        if (quotes.find(c) != std::string_view::npos) {
            i = SkipQuoted(text, i);
            continue;
        }
        if (!lang->IsWordChar(c)) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < n && lang->IsWordChar(text[j])) ++j;
        const std::size_t len = j - i;
        const bool lookedUp = j == n || (len >= kMinLookedUpWord && len <= kMaxLookedUpWord &&
                                         !IsIdentifierChar(text[j]));
        // The tail of an identifier ("x1int") is not a word of its own either.
        const bool startsWord = i == 0 || !IsIdentifierChar(text[i - 1]);
        if (lookedUp && startsWord && IsKeyword(lang, text.substr(i, len)))
            Fill(out, i, j, PaintColour::Keyword);
        i = j;
    }
}

// ---- Rows

PaintedRow PaintRow(Document& doc, const Line* line, const std::optional<BlockPart>& block,
                    const PaintOptions& o) {
    PaintedRow row;
    const int tab = std::max(1, o.tabSize);
    const int columns = std::max(0, o.columns);
    const int left = std::max(0, o.leftColumn);

    // Marks do not depend on what part of the text is visible.
    const std::uint8_t flags = line->flags;
    if ((flags & kLineMarked) || ((flags & kLineBreakpoint) && o.debugging)) {
        if (o.debugging)
            row.marks.push_back({kBreakpointBitmap, std::nullopt});
        else
            row.marks.push_back({nullptr, kMarkedLineColor});
    }
    if ((flags & kLineDebuggerCurrent) && o.debugging)
        row.marks.push_back({kDebuggerLineBitmap, kDebuggerLineColor});

    // The row's text with tabs expanded, and the character each display column shows.
    std::string disp;
    std::vector<std::int16_t> src;
    disp.reserve(kRowTextMax);
    src.reserve(kRowTextMax);
    bool truncated = false;
    const char* t = line->text();
    for (int i = 0; i < line->length && !truncated; ++i) {
        const int width = t[i] == '\t' ? tab - static_cast<int>(disp.size()) % tab : 1;
        for (int k = 0; k < width; ++k) {
            if (static_cast<int>(disp.size()) == kRowTextMax) {
                truncated = true;
                break;
            }
            disp.push_back(t[i] == '\t' ? ' ' : t[i]);
            src.push_back(static_cast<std::int16_t>(i));
        }
    }
    const int n = static_cast<int>(disp.size());
    row.displayLength = n;

    std::vector<PaintColour> colour(static_cast<std::size_t>(n), PaintColour::Text);
    if (flags & kLineInactive) {
        Fill(colour.data(), 0, colour.size(), PaintColour::Inactive);
    } else if ((flags & kLineBreakpoint) && !o.debugging) {
        Fill(colour.data(), 0, colour.size(), PaintColour::Breakpoint);
    } else {
        std::vector<ColumnSpan> spans;
        if (const CommentRanges* cr = EnsureCommentRanges(doc)) {
            if (cr->SpansOf(line, spans) == CommentRanges::Lookup::Stale) {
                // The line changed without telling the language: scan again.
                spans.clear();
                MarkCommentRangesStale(doc);
                cr = EnsureCommentRanges(doc);
                if (cr->SpansOf(line, spans) == CommentRanges::Lookup::Stale) spans.clear();
            }
        }
        int prevEnd = 0;
        for (ColumnSpan& s : spans) {
            if (s.end == kToLineEnd) s.end = line->length;
            if (s.start < prevEnd || s.end < s.start) {
                ShowInternalError(kRangesOutOfOrder);
                spans.clear();
                break;
            }
            if (s.start > line->length || s.end > line->length) {
                ShowInternalError(kRangeBeyondLine);
                spans.clear();
                break;
            }
            prevEnd = s.end;
        }
        std::vector<bool> inComment(static_cast<std::size_t>(n), false);
        std::size_t s = 0;
        for (int d = 0; d < n; ++d) {
            while (s < spans.size() && src[d] >= spans[s].end) ++s;
            inComment[d] = s < spans.size() && src[d] >= spans[s].start;
        }
        int a = 0;
        while (a < n) {
            int b = a;
            while (b < n && inComment[b] == inComment[a]) ++b;
            if (inComment[a])
                Fill(colour.data(), a, b, PaintColour::Comment);
            else
                DrawKeywords(doc, std::string_view(disp).substr(a, b - a), a == 0,
                             colour.data() + a);
            a = b;
        }
    }

    // The block part, in visible columns.
    if (block) {
        const int ds = DisplayColumn(line, block->start, tab);
        int de =
            block->toLineEnd ? DisplayWidth(line, tab) + 1 : DisplayColumn(line, block->end, tab);
        if (truncated) de = std::min(de, n);
        const int vs = std::clamp(ds - left, 0, columns);
        const int ve = std::clamp(de - left, 0, columns);
        if (vs < ve) {
            row.blockStart = vs;
            row.blockEnd = ve;
        }
    }

    const int shownEnd = std::min(n, left + columns);
    row.textColumns = std::max(0, shownEnd - left);
    if (n > left + columns) {
        row.cutOff = true;
        row.cutMarkColumn = std::max(0, columns - kCutMarkColumns);
    } else if (truncated && n >= left) {
        row.cutOff = true;
        row.cutMarkColumn = n - left;
    }

    for (int d = left; d < shownEnd; ++d) {
        const int v = d - left;
        const bool inv = v >= row.blockStart && v < row.blockEnd;
        if (row.runs.empty() || row.runs.back().colour != colour[d] ||
            row.runs.back().inverted != inv)
            row.runs.push_back({v, std::string(), colour[d], inv});
        row.runs.back().text.push_back(disp[d]);
    }
    return row;
}

std::vector<const Line*> VisibleLines(const Document& doc, const EditView& view, int rows) {
    std::vector<const Line*> lines;
    const Line* l = view.top && view.top != doc.head ? view.top : doc.head->next;
    while (l != doc.head && static_cast<int>(lines.size()) < rows) {
        lines.push_back(l);
        l = l->next;
    }
    return lines;
}

std::vector<std::optional<BlockPart>> BlockParts(const Document& doc, const EditView& view,
                                                 const std::vector<const Line*>& lines) {
    std::vector<std::optional<BlockPart>> parts(lines.size());
    if (lines.empty() || !view.block || !view.cursor || view.block == doc.head ||
        view.cursor == doc.head)
        return parts;

    if (view.block == view.cursor) {
        if (view.blockColumn == view.cursorColumn) return parts;
        const int i = IndexOf(lines, view.cursor);
        if (i >= 0)
            parts[i] = BlockPart{std::min(view.blockColumn, view.cursorColumn),
                                 std::max(view.blockColumn, view.cursorColumn), false};
        return parts;
    }

    const Line* ends[2] = {view.block, view.cursor};
    const int columns[2] = {view.blockColumn, view.cursorColumn};
    const int index[2] = {IndexOf(lines, ends[0]), IndexOf(lines, ends[1])};
    Side sides[2] = {Side::Unknown, Side::Unknown};
    const Line* outside[2];
    int outsideEnd[2];
    int count = 0;
    for (int k = 0; k < 2; ++k) {
        if (index[k] >= 0) continue;
        outside[count] = ends[k];
        outsideEnd[count] = k;
        ++count;
    }
    Side found[2] = {Side::Unknown, Side::Unknown};
    if (count > 0) Locate(doc, lines, outside, found, count);
    for (int m = 0; m < count; ++m) sides[outsideEnd[m]] = found[m];

    // The position of an end in window rows: -1 above, size() below.
    auto rowOf = [&](int k) -> int {
        if (index[k] >= 0) return index[k];
        if (sides[k] == Side::Above) return -1;
        if (sides[k] == Side::Below) return static_cast<int>(lines.size());
        return -2;  // not in the document
    };
    const int r0 = rowOf(0);
    const int r1 = rowOf(1);
    if (r0 == -2 || r1 == -2) return parts;
    // Two ends on the same side outside the window: their order does not matter.
    if (r0 == r1) return parts;
    const int first = r0 < r1 ? 0 : 1;
    const int last = 1 - first;
    const int rf = rowOf(first);
    const int rl = rowOf(last);
    for (int i = std::max(rf, 0); i <= std::min(rl, static_cast<int>(lines.size()) - 1); ++i) {
        if (i == rf)
            parts[i] = BlockPart{columns[first], 0, true};
        else if (i == rl)
            parts[i] = BlockPart{0, columns[last], false};
        else
            parts[i] = BlockPart{0, 0, true};
    }
    return parts;
}

std::vector<PaintedRow> PaintView(Document& doc, const EditView& view, int rows,
                                  PaintOptions options) {
    options.leftColumn = view.leftColumn;
    const std::vector<const Line*> lines = VisibleLines(doc, view, rows);
    const std::vector<std::optional<BlockPart>> parts = BlockParts(doc, view, lines);
    std::vector<PaintedRow> painted;
    painted.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        painted.push_back(PaintRow(doc, lines[i], parts[i], options));
    return painted;
}

// ---- Metrics

int DisplayColumn(const Line* line, int column, int tabSize) {
    const int tab = std::max(1, tabSize);
    const char* t = line->text();
    const int upto = std::min<int>(std::max(0, column), line->length);
    int d = 0;
    for (int i = 0; i < upto; ++i) d += t[i] == '\t' ? tab - d % tab : 1;
    if (column > line->length) d += column - line->length;
    return d;
}

int DisplayWidth(const Line* line, int tabSize) {
    return DisplayColumn(line, line->length, tabSize);
}

int CharColumnAt(const Line* line, int displayColumn, int tabSize) {
    const int tab = std::max(1, tabSize);
    const char* t = line->text();
    int d = 0;
    for (int i = 0; i < line->length; ++i) {
        const int w = t[i] == '\t' ? tab - d % tab : 1;
        if (displayColumn < d + w) return i;
        d += w;
    }
    return line->length;
}

int MarginWidth(bool debugging, bool braceLevels) {
    return debugging || braceLevels ? kMarginPixels : 0;
}

int FullRowsVisible(int heightPixels, int lineHeight) {
    return lineHeight > 0 ? std::max(0, heightPixels) / lineHeight : 0;
}

int RowsToPaint(int heightPixels, int lineHeight) {
    return lineHeight > 0 ? (std::max(0, heightPixels) + lineHeight - 1) / lineHeight : 0;
}

int ColumnsToPaint(int widthPixels, int marginPixels, int charWidth) {
    if (charWidth <= 0) return 0;
    return (std::max(0, widthPixels - marginPixels) + charWidth - 1) / charWidth;
}

int DisplayColumnAtX(int x, int marginPixels, int charWidth, int leftColumn) {
    if (charWidth <= 0) return leftColumn;
    return leftColumn + std::max(0, x - marginPixels) / charWidth;
}

}  // namespace velt
