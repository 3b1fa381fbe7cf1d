#include "editor/search.h"

#include <string.h>

#include <algorithm>
#include <cstring>

#include "editor/bookmarks.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/editing_internal.h"
#include "editor/language.h"
#include "editor/regex.h"
#include "editor/undo.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/frame_messages.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/settings.h"
#include "shell/ui.h"

namespace velt {

std::function<bool(FindDialogRecord&)> gFindDialog;
std::function<bool(ReplaceDialogRecord&)> gReplaceDialog;
std::function<ReplaceAnswer(const std::string&)> gReplaceConfirm;
std::function<bool(const EditView*)> gWindowMinimised;

namespace {

enum : unsigned {
    kMsgEmptySearch = 1214,
    kMsgNoDirection = 1215,
    kMsgSubstitutions = 4003,
    kMsgNotFound = 4066,
};

GlobalSettings* gSettings = nullptr;
std::uint16_t gOwnFlags = 0;
const char kOwnerTag = 0;
const void* const kOwner = &kOwnerTag;

// ---- Plain text on one line

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

struct Needle {
    const std::string& text;
    const std::string& reversed;
    bool ignoreCase;
    bool wholeWords;
    int size() const { return static_cast<int>(text.size()); }
};

Needle CurrentNeedle() {
    const SearchSettings& st = Search();
    const std::uint16_t flags = FindFlags();
    return {st.text, st.reversed, (flags & kFindIgnoreCase) != 0, (flags & kFindWholeWords) != 0};
}

// Line starts and ends count as the "\n" between lines: never an identifier character.
bool WholeWord(const char* s, int length, int from, int to) {
    return (from == 0 || !IsIdentifierChar(s[from - 1])) &&
           (to >= length || !IsIdentifierChar(s[to]));
}

bool SameAt(const char* s, const Needle& n, int at) {
    const char* t = n.text.data();
    const int m = n.size();
    if (!n.ignoreCase) return std::memcmp(s + at, t, static_cast<std::size_t>(m)) == 0;
    for (int i = 0; i < m; ++i)
        if (Upper(s[at + i]) != Upper(t[i])) return false;
    return true;
}

// Walking backwards from `end`, against the reversed text.
bool SameBefore(const char* s, const Needle& n, int end) {
    const char* r = n.reversed.data();
    const int m = n.size();
    for (int i = 0; i < m; ++i) {
        const char a = s[end - 1 - i];
        if (n.ignoreCase ? Upper(a) != Upper(r[i]) : a != r[i]) return false;
    }
    return true;
}

// The first match starting at `from` or later; -1 for none.
int PlainForward(const char* s, int length, int from, const Needle& n) {
    const int m = n.size();
    if (m == 0) return -1;
    if (!n.ignoreCase) {
        for (int at = from; at + m <= length;) {
            const void* p = ::memmem(s + at, static_cast<std::size_t>(length - at), n.text.data(),
                                     static_cast<std::size_t>(m));
            if (!p) return -1;
            const int c = static_cast<int>(static_cast<const char*>(p) - s);
            if (!n.wholeWords || WholeWord(s, length, c, c + m)) return c;
            at = c + 1;
        }
        return -1;
    }
    const char first = Upper(n.text[0]);
    for (int c = from; c + m <= length; ++c)
        if (Upper(s[c]) == first && SameAt(s, n, c) &&
            (!n.wholeWords || WholeWord(s, length, c, c + m)))
            return c;
    return -1;
}

// The last match ending at `end` or before; -1 for none.
int PlainBackward(const char* s, int length, int end, const Needle& n) {
    const int m = n.size();
    if (m == 0) return -1;
    for (int e = std::min(end, length); e >= m; --e)
        if (SameBefore(s, n, e) && (!n.wholeWords || WholeWord(s, length, e - m, e))) return e - m;
    return -1;
}

// ---- Walking a document

struct Place {
    Line* line = nullptr;
    int number = 0;  // 1-based
    int column = 0;
};

struct Match {
    Line* line = nullptr;
    int number = 0;
    int start = 0;
    int length = 0;
};

// A position a search must not pass: matches must start before it (forwards) or at it or
// after it (backwards).
struct Limit {
    bool set = false;
    int number = 0;
    int column = 0;
};

// Finder(line, from, firstLine, start, length): the first match on the line from `from`.
template <class Finder>
bool ForwardPass(Document& doc, Place p, const Limit& limit, Finder&& find, Match& out) {
    bool first = true;
    for (Line* l = p.line; l != doc.head; l = l->next, ++p.number, p.column = 0, first = false) {
        if (limit.set && p.number > limit.number) return false;
        int start = 0;
        int length = 0;
        if (!find(l, p.column, first, start, length)) continue;
        if (limit.set && p.number == limit.number && start >= limit.column) return false;
        out = {l, p.number, start, length};
        return true;
    }
    return false;
}

bool BackwardPass(Document& doc, Place p, const Limit& limit, const Needle& n, Match& out) {
    bool first = true;
    for (Line* l = p.line; l != doc.head; l = l->prev, --p.number, first = false) {
        if (limit.set && p.number < limit.number) return false;
        const int end = first ? p.column : l->length;
        const int start = PlainBackward(l->text(), l->length, end, n);
        if (start < 0) continue;
        if (limit.set && p.number == limit.number && start < limit.column) return false;
        out = {l, p.number, start, n.size()};
        return true;
    }
    return false;
}

// The line finders of the two kinds of search.
auto PlainFinder(const Needle& n) {
    return [&n](const Line* l, int from, bool, int& start, int& length) {
        start = PlainForward(l->text(), l->length, from, n);
        length = n.size();
        return start >= 0;
    };
}

// "^" matches where the search starts; an empty match right where the last search left an
// empty match is passed over, so that Find Next moves on.
auto RegexFinder(const Place& origin, bool skipEmptyAtOrigin) {
    return [origin, skipEmptyAtOrigin](const Line* l, int from, bool, int& start, int& length) {
        if (!RegFindInLine(l->text(), l->length, from, start, length)) return false;
        if (length == 0 && skipEmptyAtOrigin && l == origin.line && start == origin.column)
            return RegFindAfter(l->text(), l->length, start + 1, start, length);
        return true;
    };
}

// ---- The view

// Where a search from the cursor starts. A block on the cursor line that is an occurrence of
// the search text (the last match) is passed over, so that turning round does not find the
// same text again.
bool CursorPlace(EditView& v, bool backwards, Place& p) {
    if (!v.document || v.document->Empty() || v.cursor == v.document->head) return false;
    const TextPosition at = CursorPosition(v);
    int column = v.cursorColumn;
    if (v.block == v.cursor && !(FindFlags() & kFindRegex)) {
        const Needle n = CurrentNeedle();
        const int from = std::min<int>(column, v.blockColumn);
        const int to = std::max<int>(column, v.blockColumn);
        if (to - from == n.size() && to <= v.cursor->length && SameAt(v.cursor->text(), n, from))
            column = backwards ? from : to;
    }
    p = {v.cursor, at.line, column};
    return true;
}

void PutCursor(EditView& v, Line* line, int number, int column) {
    CursorPosition(v);  // the kept numbers are current before they are set by hand
    v.cursor = line;
    v.cursorLineNumber = number;
    v.numberedCursor = line;
    v.cursorColumn = static_cast<std::int16_t>(column);
}

// The match becomes the block, the cursor at its far end in the search direction.
void MarkMatch(EditView& v, const Match& m, bool backwards) {
    const int end = m.start + m.length;
    PutCursor(v, m.line, m.number, backwards ? m.start : end);
    v.block = m.line;
    v.blockColumn = static_cast<std::int16_t>(backwards ? end : m.start);
    v.flags |= kViewRepaintAll;
    KeepCursorVisible(v);
}

void ShowMatch(EditView& v) {
    UpdatePositionText();
    RepaintView(v);
}

void NotFound() {
    ShowInfo(GetMessageText(kMsgNotFound));
}

void Notice(const std::string& text) {
    SendFrameMessage(FrameMessage::Notice, 0, TextParam(text.c_str()));
}

bool ViewAlive(const EditView* view, std::uint64_t serial) {
    for (EditView* v = FirstView(); v; v = v->next)
        if (v == view) return v->serial == serial && v->document;
    return false;
}

bool MarkAlive(const Bookmark* mark) {
    for (Bookmark* m = FirstBookmark(); m; m = m->next)
        if (m == mark) return true;
    return false;
}

void RemoveSearchMark() {
    SearchSettings& st = Search();
    if (st.startMark && MarkAlive(st.startMark) && st.startMark->flags == kBookmarkSearchStart)
        RemoveBookmark(st.startMark);
    st.startMark = nullptr;
}

// The search starts at the cursor of `v`. A bookmark of the user on that line serves as the
// mark as it is: setting ours there would turn it into a search mark.
void SetStart(EditView& v) {
    SearchSettings& st = Search();
    RemoveSearchMark();
    Line* line = v.cursor;
    if (v.document && line && line != v.document->head) {
        Bookmark* own = FindBookmark(line);
        st.startMark = own ? own : SetBookmark(v, line, kBookmarkSearchStart);
    }
    st.startColumn = v.cursorColumn;
    st.startWindow = &v;
    st.startWindowSerial = v.serial;
    st.returned = false;
}

// A failed compilation forgets the search.
void ForgetSearch() {
    SearchSettings& st = Search();
    st.text.clear();
    st.reversed.clear();
    RemoveSearchMark();
}

// The start position in its window, as a limit; unset when the mark is gone.
Limit StartLimit(EditView& v) {
    const SearchSettings& st = Search();
    Limit limit;
    if (!st.startMark || !MarkAlive(st.startMark) || st.startMark->document != v.document)
        return limit;
    const int number = LineNumber(*v.document, st.startMark->line);
    if (number <= 0) return limit;
    limit = {true, number, std::min<int>(st.startColumn, st.startMark->line->length)};
    return limit;
}

enum class Mode { Forwards, Backwards, Wrap };

Mode ModeOf(std::uint16_t flags) {
    if (flags & kFindRegex) return (flags & kFindWrap) ? Mode::Wrap : Mode::Forwards;
    if (flags & kFindWrap) return Mode::Wrap;
    if (flags & kFindBackwards) return Mode::Backwards;
    return Mode::Forwards;
}

// Searches `v` from `p` (not past `limit`), wrapping round to `p` again in Wrap mode. The
// regular expression must be compiled.
bool SearchView(EditView& v, const Place& p, Mode mode, const Limit& limit, Match& m) {
    Document& doc = *v.document;
    const Needle needle = CurrentNeedle();
    const bool regex = (FindFlags() & kFindRegex) != 0;
    if (mode == Mode::Backwards) return BackwardPass(doc, p, limit, needle, m);
    const bool emptyBlockHere = v.block == v.cursor && v.blockColumn == v.cursorColumn &&
                                p.line == v.cursor && p.column == v.cursorColumn;
    auto pass = [&](const Place& from, const Limit& l) {
        return regex ? ForwardPass(doc, from, l, RegexFinder(p, emptyBlockHere), m)
                     : ForwardPass(doc, from, l, PlainFinder(needle), m);
    };
    if (pass(p, limit)) return true;
    if (mode != Mode::Wrap || limit.set) return false;
    // Round from the first line to where the search began.
    return pass(Place{doc.First(), 1, 0}, Limit{true, p.number, p.column});
}

bool SearchFromCursor(EditView& v, Mode mode, const Limit& limit) {
    Place p;
    Match m;
    if (!CursorPlace(v, mode == Mode::Backwards, p) || !SearchView(v, p, mode, limit, m))
        return false;
    MarkMatch(v, m, mode == Mode::Backwards);
    return true;
}

// The window after `w` in a fixed cycle (the view registry), skipping minimised windows
// when asked.
EditView* NextWindow(EditView* w) {
    const bool skipMinimised = (FindFlags() & kFindSkipMinimised) != 0;
    EditView* x = w;
    for (;;) {
        x = x->next ? x->next : FirstView();
        if (!x || x == w) return w;
        if (!x->document) continue;
        if (skipMinimised && gWindowMinimised && gWindowMinimised(x)) continue;
        return x;
    }
}

int ViewCount() {
    int n = 0;
    for (EditView* v = FirstView(); v; v = v->next) ++n;
    return n;
}

bool CompileIfRegex() {
    SearchSettings& st = Search();
    if (!(FindFlags() & kFindRegex)) return true;
    if (RegCompile(st.text.c_str())) return true;
    ForgetSearch();
    return false;
}

// ---- Dialog helpers

void AddToHistory(const std::string& text) {
    auto& h = Search().history;
    if (std::find(h.begin(), h.end(), text) == h.end()) h.insert(h.begin(), text);
}

std::string Cut(std::string text) {
    if (const std::size_t eol = text.find_first_of("\r\n"); eol != std::string::npos)
        text.resize(eol);
    if (text.size() > kSearchTextMax) text.resize(kSearchTextMax);
    return text;
}

// The block when it lies within one line and holds no blank or tab, else the identifier at
// the cursor, else the last search text.
std::string Proposal() {
    if (EditView* v = EditingView()) {
        BlockRange r;
        if (OrderedBlock(*v, r) && r.startLine == r.endLine && r.endColumn > r.startColumn) {
            const std::string s(r.startLine->text() + r.startColumn,
                                static_cast<std::size_t>(r.endColumn - r.startColumn));
            if (s.find_first_of(" \t") == std::string::npos) return Cut(s);
        }
        const Line* l = v->cursor;
        if (l && l != v->document->head) {
            const char* s = l->text();
            int from = std::min<int>(v->cursorColumn, l->length);
            int to = from;
            while (from > 0 && IsIdentifierChar(s[from - 1])) --from;
            while (to < l->length && IsIdentifierChar(s[to])) ++to;
            if (to > from) return Cut(std::string(s + from, static_cast<std::size_t>(to - from)));
        }
    }
    return Search().text;
}

SearchDirection DirectionOf(std::uint16_t flags) {
    if (flags & kFindWrap) return SearchDirection::Wrap;
    if (flags & kFindBackwards) return SearchDirection::Backwards;
    if (flags & kFindForwards) return SearchDirection::Forwards;
    return SearchDirection::None;
}

std::uint16_t DirectionBits(SearchDirection d) {
    switch (d) {
        case SearchDirection::Forwards:
            return kFindForwards;
        case SearchDirection::Backwards:
            return kFindBackwards;
        case SearchDirection::Wrap:
            return kFindWrap;
        case SearchDirection::None:
            break;
    }
    return 0;
}

// ---- Replacing

class Replacer {
  public:
    Replacer(bool ask, bool regex) : ask_(ask), regex_(regex) {}

    // Replaces in `v` from `from` (Wrap: round to it again), then puts the cursor back where
    // it stood.
    void InView(EditView& v, Place from, Mode mode) {
        Document& doc = *v.document;
        if (doc.Empty()) return;
        const int topNumber = TopLineNumber(v);
        const TextPosition home = CursorPosition(v);
        homeLine_ = home.line;
        homeColumn_ = home.column;
        Unmark(v);
        BeginReplacementSeries(v);
        inSeries_ = 0;
        const Needle needle = CurrentNeedle();
        const std::string& with = Search().replacement;

        if (mode == Mode::Backwards) {
            Match m;
            while (!cancelled_ && BackwardPass(doc, from, Limit{}, needle, m)) {
                found_ = true;
                if (Decide(v, m) && Replace(v, m, with))
                    from = {v.cursor, m.number, m.start};
                else
                    from = {m.line, m.number, m.start + m.length - 1};
            }
        } else {
            Forward(v, from, Limit{}, needle, with);
            if (mode == Mode::Wrap && !cancelled_)
                Forward(v, Place{doc.First(), 1, 0}, Limit{true, homeLine_, homeColumn_}, needle,
                        with);
        }

        EndReplacementSeries(v, inSeries_);
        Unmark(v);
        PlaceCursor(v, homeLine_, homeColumn_);
        if (Line* top = LineAt(doc, topNumber)) {
            v.top = top;
            v.topLineNumber = topNumber;
            v.numberedTop = top;
            KeepCursorVisible(v);
        }
        v.flags |= kViewRepaintAll;
        RepaintDocument(doc);
    }

    int count() const { return count_; }
    bool found() const { return found_; }
    bool cancelled() const { return cancelled_; }

  private:
    void Forward(EditView& v, Place from, Limit limit, const Needle& needle,
                 const std::string& with) {
        Document& doc = *v.document;
        bool fresh = true;  // the first search starts at the cursor ("^" matches there)
        Match m;
        for (;;) {
            if (cancelled_) return;
            // The home column moves with replacements before it on its line.
            if (limit.set) limit.column = homeColumn_;
            bool hit;
            if (regex_) {
                auto find = [fresh](const Line* l, int col, bool first, int& start, int& length) {
                    return fresh || !first ? RegFindInLine(l->text(), l->length, col, start, length)
                                           : RegFindAfter(l->text(), l->length, col, start, length);
                };
                hit = ForwardPass(doc, from, limit, find, m);
            } else {
                hit = ForwardPass(doc, from, limit, PlainFinder(needle), m);
            }
            if (!hit) return;
            fresh = false;
            found_ = true;
            if (Decide(v, m) && Replace(v, m, with)) {
                // Past an empty match, or it would be found again and again.
                const int past = static_cast<int>(with.size()) + (m.length == 0 ? 1 : 0);
                from = {v.cursor, m.number, m.start + past};
            } else {
                from = {m.line, m.number, m.start + std::max(m.length, 1)};
            }
        }
    }

    // Whether to replace this match (asking when still asked to).
    bool Decide(EditView& v, const Match& m) {
        if (!ask_) return true;
        MarkMatch(v, m, false);
        ShowMatch(v);
        const std::string text(m.line->text() + m.start, static_cast<std::size_t>(m.length));
        const ReplaceAnswer answer =
            gReplaceConfirm ? gReplaceConfirm(text) : ReplaceAnswer::Cancel;
        Unmark(v);
        switch (answer) {
            case ReplaceAnswer::Yes:
                return true;
            case ReplaceAnswer::All:
                ask_ = false;
                return true;
            case ReplaceAnswer::No:
                return false;
            case ReplaceAnswer::Cancel:
                break;
        }
        cancelled_ = true;
        return false;
    }

    // Replaces the match; the cursor stays after the new text. False (nothing done) when
    // the line would grow past the longest a line can be.
    bool Replace(EditView& v, const Match& m, const std::string& with) {
        const int delta = static_cast<int>(with.size()) - m.length;
        if (m.line->length + delta > kMaxLineLength) return false;
        PutCursor(v, m.line, m.number, m.start);
        std::string old;
        DeleteTextAt(v, static_cast<std::size_t>(m.length), &old);
        InsertTextAt(v, with.data(), with.size());
        Record(v, m, old, with);
        ++count_;
        if (m.number == homeLine_ && m.start < homeColumn_) {
            if (homeColumn_ >= m.start + m.length)
                homeColumn_ += delta;
            else
                homeColumn_ = m.start + static_cast<int>(with.size());
        }
        return true;
    }

    void Record(EditView& v, const Match& m, const std::string& old, const std::string& with) {
        auto one = [&] {
            if (regex_ && with.empty())
                RecordKeptDeletion(v, m.number, m.start, old);
            else
                RecordReplacement(v, m.number, m.start, old, with);
        };
        one();
        if (UndoCount() == 0) {
            // The log filled up and was cleared, this record with it: a new series holds the
            // rest, so that Undo still takes back what the log can hold.
            BeginReplacementSeries(v);
            one();
            inSeries_ = 0;
        }
        ++inSeries_;
    }

    bool ask_;
    bool regex_;
    bool cancelled_ = false;
    bool found_ = false;
    int count_ = 0;
    int inSeries_ = 0;
    int homeLine_ = 1;
    int homeColumn_ = 0;
};

}  // namespace

// ---- The record

SearchSettings& Search() {
    static SearchSettings settings;
    return settings;
}

std::uint16_t& FindFlags() {
    return gSettings ? gSettings->findFlags : gOwnFlags;
}

void SetSearchText(const std::string& text) {
    SearchSettings& st = Search();
    st.text = Cut(text);
    st.reversed.assign(st.text.rbegin(), st.text.rend());
}

// ---- Dialogs

void FindDialogRecord::Load() {
    const std::uint16_t flags = FindFlags();
    text = Proposal();
    history = Search().history;
    regex = (flags & kFindRegex) != 0;
    matchCase = !(flags & kFindIgnoreCase);
    wholeWords = (flags & kFindWholeWords) != 0;
    allWindows = (flags & kFindAllWindows) != 0;
    searchMinimised = !(flags & kFindSkipMinimised);
    direction = DirectionOf(flags);
}

bool FindDialogRecord::Validate() const {
    if (direction == SearchDirection::None) {
        ShowMessageId(kMsgNoDirection);
        return false;
    }
    if (text.empty()) {
        ShowMessageId(kMsgEmptySearch);
        return false;
    }
    return true;
}

void FindDialogRecord::Apply() {
    SetSearchText(text);
    AddToHistory(Search().text);
    std::uint16_t& flags = FindFlags();
    flags &= ~(kFindCurrentWindow | kFindAllWindows | kFindRegex | kFindPlain | kFindIgnoreCase |
               kFindForwards | kFindBackwards | kFindWrap | kFindWholeWords | kFindSkipMinimised);
    flags |= regex ? kFindRegex : kFindPlain;
    if (!matchCase) flags |= kFindIgnoreCase;
    if (wholeWords) flags |= kFindWholeWords;
    if (!searchMinimised) flags |= kFindSkipMinimised;
    SearchDirection d = direction;
    bool all = allWindows;
    if (d == SearchDirection::Wrap && all)
        d = SearchDirection::Forwards;
    else if (d == SearchDirection::Wrap)
        all = false;
    flags |= DirectionBits(d) | (all ? kFindAllWindows : kFindCurrentWindow);
    if (EditView* v = EditingView()) SetStart(*v);
}

void ReplaceDialogRecord::Load() {
    const std::uint16_t flags = FindFlags();
    text = Proposal();
    history = Search().history;
    replacement = Search().replacement;
    allWindows = (flags & kFindAllWindows) != 0;
    wholeWords = (flags & kFindWholeWords) != 0;
    regex = (flags & kFindRegex) != 0;
    matchCase = !(flags & kFindIgnoreCase);
    direction = DirectionOf(flags);
    confirm = true;
}

bool ReplaceDialogRecord::Validate() const {
    if (text.empty()) {
        ShowMessageId(kMsgEmptySearch);
        return false;
    }
    if (direction == SearchDirection::None) {
        ShowMessageId(kMsgNoDirection);
        return false;
    }
    return true;
}

void ReplaceDialogRecord::Apply() {
    SetSearchText(text);
    AddToHistory(Search().text);
    Search().replacement = Cut(replacement);
    std::uint16_t& flags = FindFlags();
    flags &= ~(kFindCurrentWindow | kFindAllWindows | kFindRegex | kFindPlain | kFindIgnoreCase |
               kFindForwards | kFindBackwards | kFindWrap | kFindWholeWords | kFindConfirm);
    flags |= regex ? kFindRegex : kFindPlain;
    if (!matchCase) flags |= kFindIgnoreCase;
    if (wholeWords) flags |= kFindWholeWords;
    if (confirm) flags |= kFindConfirm;
    flags |= DirectionBits(direction) | (allWindows ? kFindAllWindows : kFindCurrentWindow);
}

// ---- Searching

bool FindPlain(EditView& view) {
    if (Search().text.empty()) return false;
    const std::uint16_t flags = FindFlags() & ~kFindRegex;
    Mode mode = Mode::Forwards;
    if (flags & kFindWrap)
        mode = Mode::Wrap;
    else if (flags & kFindBackwards)
        mode = Mode::Backwards;
    const std::uint16_t saved = FindFlags();
    FindFlags() = flags;
    const bool found = SearchFromCursor(view, mode, Limit{});
    FindFlags() = saved;
    return found;
}

bool FindRegex(EditView& view) {
    if (!GlobalRegex().Compiled()) return false;
    const std::uint16_t saved = FindFlags();
    FindFlags() = saved | kFindRegex;
    const bool found =
        SearchFromCursor(view, (saved & kFindWrap) ? Mode::Wrap : Mode::Forwards, Limit{});
    FindFlags() = saved;
    return found;
}

bool RunSearch() {
    SearchSettings& st = Search();
    EditView* v = EditingView();
    if (st.text.empty() || !v) return false;
    if (!CompileIfRegex()) return false;
    const std::uint16_t flags = FindFlags();
    const Mode mode = ModeOf(flags);

    if (!(flags & kFindAllWindows) || mode == Mode::Wrap) {
        if (SearchFromCursor(*v, mode, Limit{})) {
            ShowMatch(*v);
            return true;
        }
        NotFound();
        return false;
    }

    // All windows: on through the windows until the one the search started in is reached
    // again and searched up to the start.
    if (!ViewAlive(st.startWindow, st.startWindowSerial)) SetStart(*v);
    EditView* w = v;
    for (int visited = 0, most = ViewCount() + 1; visited <= most; ++visited) {
        const bool back = w == st.startWindow && st.returned;
        const Limit limit = back ? StartLimit(*w) : Limit{};
        Match m;
        bool hit = false;
        if (visited == 0) {
            Place p;
            hit = CursorPlace(*w, mode == Mode::Backwards, p) && SearchView(*w, p, mode, limit, m);
        } else if (!w->document->Empty()) {
            Document& doc = *w->document;
            const Place p = mode == Mode::Backwards
                                ? Place{doc.Last(), CountLines(doc), doc.Last()->length}
                                : Place{doc.First(), 1, 0};
            hit = SearchView(*w, p, mode, limit, m);
        }
        if (hit) {
            if (CurrentView() != w) ActivateEditorView(w);
            MarkMatch(*w, m, mode == Mode::Backwards);
            ShowMatch(*w);
            return true;
        }
        if (back) break;
        EditView* next = NextWindow(w);
        if (next == st.startWindow) st.returned = true;
        if (next == w && w != st.startWindow) break;
        w = next;
    }
    st.returned = false;
    NotFound();
    return false;
}

bool FindNext() {
    std::uint16_t& flags = FindFlags();
    if (flags & kFindWrap)
        flags = static_cast<std::uint16_t>((flags & ~kFindAllWindows) | kFindCurrentWindow);
    else
        flags = static_cast<std::uint16_t>((flags & ~kFindBackwards) | kFindForwards);
    return RunSearch();
}

bool FindPrevious() {
    std::uint16_t& flags = FindFlags();
    flags = static_cast<std::uint16_t>((flags & ~(kFindForwards | kFindWrap)) | kFindBackwards);
    return RunSearch();
}

bool FindFromDialog() {
    FindDialogRecord r;
    r.Load();
    if (!gFindDialog || !gFindDialog(r) || !r.Validate()) return false;
    r.Apply();
    return RunSearch();
}

bool ReplaceFromDialog() {
    ReplaceDialogRecord r;
    r.Load();
    if (!gReplaceDialog || !gReplaceDialog(r) || !r.Validate()) return false;
    r.Apply();
    ReplaceAll();
    return true;
}

int ReplaceAll() {
    SearchSettings& st = Search();
    EditView* v = EditingView();
    if (st.text.empty() || !v) return 0;
    const std::uint16_t flags = FindFlags();
    const bool all = (flags & kFindAllWindows) != 0;
    if (!all && IsReadOnly(*v->document)) {
        ReadOnlyNotice();
        return 0;
    }
    if (!CompileIfRegex()) return 0;
    const bool regex = (flags & kFindRegex) != 0;
    Replacer r((flags & kFindConfirm) != 0, regex);

    if (!all) {
        Mode mode = ModeOf(flags);
        Place p;
        if (CursorPlace(*v, mode == Mode::Backwards, p)) {
            p.column = v->cursorColumn;  // the cursor itself, whatever block is marked
            r.InView(*v, p, mode);
        }
    } else {
        // Every document once, the current one first, each from its first line.
        EditView* start = v;
        const TextPosition home = CursorPosition(*v);
        std::vector<EditView*> windows;
        EditView* w = v;
        do {
            if (w->document && std::none_of(windows.begin(), windows.end(), [w](EditView* x) {
                    return x->document == w->document;
                }))
                windows.push_back(w);
            w = w->next ? w->next : FirstView();
        } while (w && w != v);
        for (EditView* x : windows) {
            if (r.cancelled()) break;
            if (IsReadOnly(*x->document) || x->document->Empty()) continue;
            if (CurrentView() != x) ActivateEditorView(x);
            r.InView(*x, Place{x->document->First(), 1, 0}, Mode::Forwards);
        }
        if (CurrentView() != start) ActivateEditorView(start);
        PlaceCursor(*start, home.line, home.column);
    }
    UpdatePositionText();
    if (r.count() > 0 || r.found())
        Notice(FormatText(GetMessageText(kMsgSubstitutions), r.count()));
    else
        NotFound();
    return r.count();
}

// ---- Commands

void InstallSearchCommands(GlobalSettings& settings) {
    gSettings = &settings;
    CommandDispatcher& d = FrameCommands();
    d.Unregister(kOwner);
    auto add = [&d](unsigned id, bool (*fn)()) {
        d.Register(
            id, [fn](const CommandCall&) { return std::intptr_t{fn() ? 1 : 0}; }, kOwner);
    };
    add(kCmdFind, FindFromDialog);
    add(kCmdFindNext, FindNext);
    add(kCmdFindPrevious, FindPrevious);
    add(kCmdReplace, ReplaceFromDialog);
    auto hasText = [] { return !Search().text.empty(); };
    d.SetEnabledCheck(kCmdFindNext, hasText, kOwner);
    d.SetEnabledCheck(kCmdFindPrevious, hasText, kOwner);
}

void UninstallSearchCommands() {
    FrameCommands().Unregister(kOwner);
    if (gSettings) gOwnFlags = gSettings->findFlags;
    gSettings = nullptr;
}

}  // namespace velt
