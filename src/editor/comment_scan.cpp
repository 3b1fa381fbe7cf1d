#include "editor/comment_scan.h"

#include <string_view>

#include "editor/document.h"
#include "editor/language.h"

namespace velt {

namespace {

std::uint32_t TextHash(const Line* line) {
    std::uint32_t h = 2166136261u;
    const char* t = line->text();
    for (int i = 0; i < line->length; ++i) {
        h ^= static_cast<unsigned char>(t[i]);
        h *= 16777619u;
    }
    return h;
}

std::string_view TextOf(const Line* line) {
    return std::string_view(line->text(), static_cast<std::size_t>(line->length));
}

// The quotes of a language's strings; "'" when it names none.
std::string_view Quotes(const Document& doc) {
    if (doc.language && !doc.language->stringChars.empty()) return doc.language->stringChars;
    return "'";
}

// Index after a string opened at `i`, closed by the same quote on the line; `escape` (when
// not NUL) takes the next character with it.
std::size_t SkipString(std::string_view t, std::size_t i, char escape) {
    const char q = t[i];
    std::size_t j = i + 1;
    while (j < t.size()) {
        if (escape && t[j] == escape) {
            j += 2;
            continue;
        }
        if (t[j] == q) return j + 1;
        ++j;
    }
    return t.size();
}

// Runs `perLine` over every line in order with the ranges being built, then marks them
// current.
template <class PerLine>
void Scan(Document& doc, PerLine perLine) {
    CommentRanges& cr = CommentRangesOf(doc);
    cr.Clear();
    std::int32_t n = 0;
    for (Line* l : Lines(doc)) {
        cr.NextLine(l, ++n);
        perLine(cr, TextOf(l));
    }
    cr.Finish();
    doc.flags |= kDocCommentRangesCurrent;
}

// Outside strings, the first of `starters` begins a comment to the end of the line.
void ScanLineComments(CommentRanges& cr, std::string_view t, std::string_view quotes,
                      std::string_view starters, std::size_t from) {
    std::size_t i = from;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
    while (i < t.size()) {
        const char c = t[i];
        if (quotes.find(c) != std::string_view::npos) {
            i = SkipString(t, i, '\0');
        } else if (starters.find(c) != std::string_view::npos) {
            cr.LineComment(static_cast<int>(i));
            return;
        } else {
            ++i;
        }
    }
}

bool IsFortranCommentLine(std::string_view t) {
    return !t.empty() && (t[0] == 'C' || t[0] == 'c' || t[0] == '*' || t[0] == '!');
}

std::string FortranStarters(const Document& doc) {
    std::string s = doc.language ? doc.language->commentChars : std::string();
    s += '!';
    return s;
}

bool PascalBraces(const Document& doc) {
    return doc.language && doc.language->commentChars.find('{') != std::string::npos;
}
bool PascalParens(const Document& doc) {
    return doc.language && doc.language->commentChars.find("(*") != std::string::npos;
}

char EiffelDash(const Document& doc) {
    return doc.language && !doc.language->commentChars.empty() ? doc.language->commentChars[0]
                                                               : '-';
}

// The comment ranges became stale when the changed line held a comment, lies inside one
// that spans lines, or can now open one (`opens` says whether its text can).
template <class Opens>
void CheckLineChanged(Document& doc, Line* line, Opens opens) {
    if (!(doc.flags & kDocCommentRangesCurrent)) return;
    const CommentRanges& cr = CommentRangesOf(doc);
    if (!line || cr.Touches(line) || (line->prev != doc.head && cr.ContinuesAfter(line->prev)) ||
        opens(TextOf(line)))
        MarkCommentRangesStale(doc);
}

bool Holds(std::string_view t, std::string_view what) {
    return t.find(what) != std::string_view::npos;
}

bool HoldsAnyOf(std::string_view t, std::string_view chars) {
    return !chars.empty() && t.find_first_of(chars) != std::string_view::npos;
}

void (*gPreviousChanged)(Document&, Line*) = nullptr;
void (*gPreviousDeleted)(Document&, Line*) = nullptr;
void (*gPreviousMoved)(Document&, Line*, Line*) = nullptr;

void OnLineChanged(Document& doc, Line* line) {
    if (gPreviousChanged) gPreviousChanged(doc, line);
    if (doc.language && doc.language->ops.lineChanged) doc.language->ops.lineChanged(doc, line);
}

std::unordered_map<const Document*, CommentRanges>& AllRanges() {
    static std::unordered_map<const Document*, CommentRanges> all;
    return all;
}

CommentRanges* KeptRanges(const Document& doc) {
    auto it = AllRanges().find(&doc);
    return it == AllRanges().end() ? nullptr : &it->second;
}

void OnLineDeleted(Document& doc, Line* line) {
    if (gPreviousDeleted) gPreviousDeleted(doc, line);
    // The block may come back as another line, which must not inherit these comments.
    const CommentRanges* cr = KeptRanges(doc);
    if (cr && (doc.flags & kDocCommentRangesCurrent) && cr->Touches(line))
        MarkCommentRangesStale(doc);
}

void OnLineMoved(Document& doc, Line* from, Line* to) {
    if (gPreviousMoved) gPreviousMoved(doc, from, to);
    if (CommentRanges* cr = KeptRanges(doc)) cr->Rekey(from, to);
}

}  // namespace

// ---- CommentRanges

void CommentRanges::Clear() {
    ranges_.clear();
    index_.clear();
    current_ = nullptr;
    currentNumber_ = 0;
    currentTouched_ = false;
    open_ = false;
}

void CommentRanges::NextLine(const Line* line, std::int32_t n) {
    current_ = line;
    currentNumber_ = n;
    currentTouched_ = false;
    if (open_) Touch();
}

void CommentRanges::Touch() {
    if (currentTouched_ || !current_) return;
    index_[current_] = LineEntry{currentNumber_, static_cast<std::uint32_t>(ranges_.size() - 1),
                                 TextHash(current_), current_->length};
    currentTouched_ = true;
}

void CommentRanges::Open(int column) {
    ranges_.push_back({currentNumber_, currentNumber_, column, kToLineEnd});
    open_ = true;
    Touch();
}

void CommentRanges::Close(int column) {
    if (!open_) return;
    ranges_.back().endLine = currentNumber_;
    ranges_.back().endColumn = column;
    open_ = false;
}

void CommentRanges::LineComment(int column) {
    ranges_.push_back({currentNumber_, currentNumber_, column, kToLineEnd});
    Touch();
}

void CommentRanges::Finish() {
    if (!open_) return;
    ranges_.back().endLine = currentNumber_;
    ranges_.back().endColumn = kToLineEnd;
    open_ = false;
}

CommentRanges::Lookup CommentRanges::SpansOf(const Line* line, std::vector<ColumnSpan>& out) const {
    auto it = index_.find(line);
    if (it == index_.end()) return Lookup::None;
    const LineEntry& e = it->second;
    if (line->length != e.length || TextHash(line) != e.textHash) return Lookup::Stale;
    bool any = false;
    for (std::size_t r = e.first; r < ranges_.size() && ranges_[r].startLine <= e.line; ++r) {
        const CommentRange& c = ranges_[r];
        if (c.endLine < e.line) continue;
        out.push_back({c.startLine == e.line ? c.startColumn : 0,
                       c.endLine == e.line ? c.endColumn : kToLineEnd});
        any = true;
    }
    return any ? Lookup::Spans : Lookup::None;
}

bool CommentRanges::ContinuesAfter(const Line* line) const {
    auto it = index_.find(line);
    if (it == index_.end()) return false;
    const LineEntry& e = it->second;
    for (std::size_t r = e.first; r < ranges_.size() && ranges_[r].startLine <= e.line; ++r)
        if (ranges_[r].endLine > e.line) return true;
    return false;
}

void CommentRanges::Rekey(const Line* from, const Line* to) {
    auto node = index_.extract(from);
    if (node.empty()) return;
    node.key() = to;
    index_.insert(std::move(node));
}

CommentRanges& CommentRangesOf(const Document& doc) {
    return AllRanges()[&doc];
}

void ForgetCommentRanges(const Document* doc) {
    AllRanges().erase(doc);
}

const CommentRanges* EnsureCommentRanges(Document& doc) {
    if (!doc.language || !doc.language->ops.scanComments) return nullptr;
    if (!(doc.flags & kDocCommentRangesCurrent)) doc.language->ops.scanComments(doc);
    return &CommentRangesOf(doc);
}

void MarkCommentRangesStale(Document& doc) {
    doc.flags &= static_cast<std::uint16_t>(~kDocCommentRangesCurrent);
}

// ---- Scanners

void ScanCommentsGeneric(Document& doc) {
    const std::string_view quotes = Quotes(doc);
    const std::string starter = doc.language && !doc.language->commentChars.empty()
                                    ? std::string(1, doc.language->commentChars[0])
                                    : std::string();
    Scan(doc, [&](CommentRanges& cr, std::string_view t) {
        if (!starter.empty()) ScanLineComments(cr, t, quotes, starter, 0);
    });
}

void ScanCommentsFortran(Document& doc) {
    const std::string_view quotes = Quotes(doc);
    const std::string starters = FortranStarters(doc);
    Scan(doc, [&](CommentRanges& cr, std::string_view t) {
        if (IsFortranCommentLine(t))
            cr.LineComment(0);
        else
            ScanLineComments(cr, t, quotes, starters, 0);
    });
}

void ScanCommentsC(Document& doc) {
    const std::string_view quotes = Quotes(doc);
    Scan(doc, [&](CommentRanges& cr, std::string_view t) {
        std::size_t i = 0;
        while (i < t.size()) {
            if (cr.open()) {
                const std::size_t p = t.find("*/", i);
                if (p == std::string_view::npos) return;
                cr.Close(static_cast<int>(p + 2));
                i = p + 2;
                continue;
            }
            const char c = t[i];
            if (quotes.find(c) != std::string_view::npos) {
                i = SkipString(t, i, '\\');
            } else if (c == '/' && i + 1 < t.size() && t[i + 1] == '*') {
                cr.Open(static_cast<int>(i));
                i += 2;
            } else if (c == '/' && i + 1 < t.size() && t[i + 1] == '/') {
                cr.LineComment(static_cast<int>(i));
                return;
            } else {
                ++i;
            }
        }
    });
}

void ScanCommentsPascal(Document& doc) {
    const std::string_view quotes = Quotes(doc);
    const bool braces = PascalBraces(doc);
    const bool parens = PascalParens(doc);
    bool inBrace = false;  // which kind of comment is open
    Scan(doc, [&](CommentRanges& cr, std::string_view t) {
        std::size_t i = 0;
        while (i < t.size()) {
            if (cr.open()) {
                const std::string_view closer = inBrace ? "}" : "*)";
                const std::size_t p = t.find(closer, i);
                if (p == std::string_view::npos) return;
                cr.Close(static_cast<int>(p + closer.size()));
                i = p + closer.size();
                continue;
            }
            const char c = t[i];
            if (quotes.find(c) != std::string_view::npos) {
                i = SkipString(t, i, '\0');
            } else if (braces && c == '{') {
                cr.Open(static_cast<int>(i));
                inBrace = true;
                ++i;
            } else if (parens && c == '(' && i + 1 < t.size() && t[i + 1] == '*') {
                cr.Open(static_cast<int>(i));
                inBrace = false;
                i += 2;
            } else {
                ++i;
            }
        }
    });
}

void ScanCommentsEiffel(Document& doc) {
    const std::string_view quotes = Quotes(doc);
    const char dash = EiffelDash(doc);
    Scan(doc, [&](CommentRanges& cr, std::string_view t) {
        std::size_t i = 0;
        while (i < t.size()) {
            const char c = t[i];
            if (quotes.find(c) != std::string_view::npos) {
                i = SkipString(t, i, '%');
            } else if (c == dash && i + 1 < t.size() && t[i + 1] == dash) {
                cr.LineComment(static_cast<int>(i));
                return;
            } else {
                ++i;
            }
        }
    });
}

// ---- Line-changed hooks

void LineChangedGeneric(Document& doc, Line* line) {
    const std::string starter = doc.language && !doc.language->commentChars.empty()
                                    ? std::string(1, doc.language->commentChars[0])
                                    : std::string();
    CheckLineChanged(doc, line, [&](std::string_view t) { return HoldsAnyOf(t, starter); });
}

void LineChangedC(Document& doc, Line* line) {
    CheckLineChanged(doc, line,
                     [](std::string_view t) { return Holds(t, "/*") || Holds(t, "//"); });
}

void LineChangedFortran(Document& doc, Line* line) {
    const std::string starters = FortranStarters(doc);
    CheckLineChanged(doc, line, [&](std::string_view t) {
        return IsFortranCommentLine(t) || HoldsAnyOf(t, starters);
    });
}

void LineChangedPascal(Document& doc, Line* line) {
    const bool braces = PascalBraces(doc);
    const bool parens = PascalParens(doc);
    CheckLineChanged(doc, line, [&](std::string_view t) {
        return (braces && Holds(t, "{")) || (parens && Holds(t, "(*"));
    });
}

void LineChangedEiffel(Document& doc, Line* line) {
    const char dash = EiffelDash(doc);
    const std::string opener(2, dash);
    CheckLineChanged(doc, line, [&](std::string_view t) { return Holds(t, opener); });
}

void InstallCommentHooks() {
    if (gLineChangedHook != OnLineChanged) {
        gPreviousChanged = gLineChangedHook;
        gLineChangedHook = OnLineChanged;
    }
    if (gLineDeletedHook != OnLineDeleted) {
        gPreviousDeleted = gLineDeletedHook;
        gLineDeletedHook = OnLineDeleted;
    }
    if (gLineMovedHook != OnLineMoved) {
        gPreviousMoved = gLineMovedHook;
        gLineMovedHook = OnLineMoved;
    }
}

}  // namespace velt
