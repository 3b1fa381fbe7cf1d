#include "analysis/keyword_scanners.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/function_list.h"
#include "editor/document.h"
#include "editor/language.h"

namespace velt {

namespace {

bool Ident(char c) {
    return IsIdentifierChar(c);
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The n characters at `t` spell `upper` (an upper-case keyword) without regard to case.
bool SameWord(const char* t, int n, std::string_view upper) {
    if (n != static_cast<int>(upper.size())) return false;
    for (int i = 0; i < n; ++i)
        if (Upper(t[i]) != upper[static_cast<std::size_t>(i)]) return false;
    return true;
}

// The end of the identifier starting at i.
int WordEnd(const char* t, int n, int i) {
    while (i < n && Ident(t[i])) ++i;
    return i;
}

// Appends a new entry for the name t[from, to) on `line` (1-based `number`).
FunctionEntry* Append(FunctionEntry*& first, FunctionEntry*& last, Line* line, int number,
                      const char* t, int from, int to, int column) {
    auto* e = new FunctionEntry;
    e->name.assign(t + from, t + to);
    e->hash = static_cast<std::uint16_t>(NameBucket(e->name));
    e->declarationLine = e->bodyLine = line;
    e->declarationColumn = static_cast<std::int16_t>(column);
    e->braceLineNumber = static_cast<std::int16_t>(number - 1);
    e->startLine = number;
    (last ? last->next : first) = e;
    last = e;
    return e;
}

void End(FunctionEntry* e, Line* line, int number) {
    e->endNode = line;
    e->endLine = number;
}

bool Finish(Document& doc, FunctionEntry* first) {
    SetFunctionList(doc, first);
    doc.flags |= kDocFunctionListValid;
    return first != nullptr;
}

// ---- Fortran

// The part of a Fortran line that holds statements: up to a "!" outside quotes.
int FortranStatementEnd(const char* t, int n) {
    for (int i = 0; i < n; ++i) {
        if (t[i] == '!') return i;
        if (t[i] == '\'') {
            ++i;
            while (i < n && t[i] != '\'') ++i;
        }
    }
    return n;
}

// The words of t[0, n), quoted text left out: calls `word(from, to)` until it returns true.
template <class F>
bool ForEachFortranWord(const char* t, int n, F word) {
    for (int i = 0; i < n;) {
        const char c = t[i];
        if (c == '\'') {
            ++i;
            while (i < n && t[i] != '\'') ++i;
            ++i;
        } else if (Ident(c)) {
            const int end = WordEnd(t, n, i);
            if (word(i, end)) return true;
            i = end;
        } else {
            ++i;
        }
    }
    return false;
}

// ---- Pascal

constexpr int kPascalLevels = 50;

// The word `upper` occurs in the line, whole, in any letter case.
bool LineHasWord(const Line* l, std::string_view upper) {
    const char* t = l->text();
    const int n = l->length;
    for (int i = 0; i < n;) {
        if (!Ident(t[i])) {
            ++i;
            continue;
        }
        const int end = WordEnd(t, n, i);
        if (SameWord(t + i, end - i, upper)) return true;
        i = end;
    }
    return false;
}

class PascalScanner {
  public:
    explicit PascalScanner(Document& doc) : doc_(doc) {
        for (unsigned char c : std::string_view("'{}(*PpFfIiBbEe")) delim_[c] = true;
    }

    bool Run() {
        Line* const head = doc_.head;
        for (Line* l = head->next; l != head; l = l->next) {
            ++number_;
            Scan(l);
        }
        for (int level = 0; level < kPascalLevels && level < depth_; ++level)
            for (FunctionEntry* e : open_[static_cast<std::size_t>(level)])
                End(e, doc_.Last(), number_);
        return Finish(doc_, first_);
    }

  private:
    enum class Comment : std::uint8_t { None, Brace, ParenStar };

    void Scan(Line* l) {
        const char* t = l->text();
        const int n = l->length;
        int i = 0;
        while (i < n) {
            if (comment_ != Comment::None) {
                i = EndComment(t, n, i);
                continue;
            }
            while (i < n && !delim_[static_cast<unsigned char>(t[i])]) ++i;
            if (i >= n) return;
            const char c = t[i];
            switch (c) {
                case '\'':
                    ++i;
                    while (i < n && t[i] != '\'') ++i;
                    ++i;
                    break;
                case '{':
                    comment_ = Comment::Brace;
                    ++i;
                    break;
                case '(':
                    if (i + 1 < n && t[i + 1] == '*') {
                        comment_ = Comment::ParenStar;
                        i += 2;
                    } else {
                        ++i;
                    }
                    break;
                case '}':
                case '*':
                    ++i;
                    break;
                default:
                    i = Word(l, t, n, i);
            }
        }
    }

    int EndComment(const char* t, int n, int i) {
        if (comment_ == Comment::Brace) {
            while (i < n && t[i] != '}') ++i;
            if (i < n) {
                comment_ = Comment::None;
                return i + 1;
            }
            return n;
        }
        for (; i + 1 < n; ++i)
            if (t[i] == '*' && t[i + 1] == ')') {
                comment_ = Comment::None;
                return i + 2;
            }
        return n;
    }

    // At a letter of the delimiter set: reads the word there; returns where scanning goes on.
    int Word(Line* l, const char* t, int n, int i) {
        const int end = WordEnd(t, n, i);
        if (i > 0 && Ident(t[i - 1])) return end;  // inside a longer word
        const char* w = t + i;
        const int len = end - i;
        if (SameWord(w, len, "BEGIN")) {
            ++depth_;
        } else if (SameWord(w, len, "END")) {
            CloseLevel(l);
        } else if (SameWord(w, len, "IMPLEMENTATION") || SameWord(w, len, "PROGRAM")) {
            recording_ = true;
        } else if (recording_ && (SameWord(w, len, "PROCEDURE") || SameWord(w, len, "FUNCTION"))) {
            return Routine(l, t, n, i, end);
        }
        return end;
    }

    int Routine(Line* l, const char* t, int n, int keyword, int i) {
        while (i < n && (t[i] == ' ' || t[i] == '\t')) ++i;
        const int from = i;
        if (i < n && Ident(t[i]) && !(t[i] >= '0' && t[i] <= '9'))
            while (i < n && (Ident(t[i]) || t[i] == '.')) ++i;
        if (i == from || depth_ >= kPascalLevels || LineHasWord(l, "EXTERNAL") ||
            LineHasWord(l, "FORWARD"))
            return i;
        FunctionEntry* e = Append(first_, last_, l, number_, t, from, i, keyword);
        open_[static_cast<std::size_t>(depth_)].push_back(e);
        return i;
    }

    void CloseLevel(Line* l) {
        if (depth_ == 0) return;
        --depth_;
        if (depth_ >= kPascalLevels) return;
        std::vector<FunctionEntry*>& level = open_[static_cast<std::size_t>(depth_)];
        if (level.empty()) return;
        FunctionEntry* e = level.back();
        level.pop_back();
        End(e, l, number_);
        e->nesting = static_cast<std::int16_t>(depth_);
    }

    Document& doc_;
    std::array<bool, 256> delim_{};
    Comment comment_ = Comment::None;
    bool recording_ = false;
    int depth_ = 0;
    int number_ = 0;
    // The routines still open, by the number of blocks open when their keyword was read.
    std::array<std::vector<FunctionEntry*>, kPascalLevels> open_;
    FunctionEntry* first_ = nullptr;
    FunctionEntry* last_ = nullptr;
};

}  // namespace

bool ScanFunctionsFortran(Document& doc) {
    FunctionEntry* first = nullptr;
    FunctionEntry* last = nullptr;
    FunctionEntry* open = nullptr;
    int number = 0;
    for (Line* l : Lines(doc)) {
        ++number;
        const char* t = l->text();
        if (l->length == 0 || (t[0] != ' ' && t[0] != '\t')) continue;
        const int n = FortranStatementEnd(t, l->length);
        if (open) {
            const bool closes = ForEachFortranWord(t, n, [&](int from, int to) {
                return SameWord(t + from, to - from, "END") &&
                       (to == n || t[to] == ' ' || t[to] == '\t');
            });
            if (closes) {
                End(open, l, number);
                open = nullptr;
            }
            continue;
        }
        int after = -1;
        for (std::string_view keyword : {"PROGRAM", "SUBROUTINE"}) {
            ForEachFortranWord(t, n, [&](int from, int to) {
                if (!SameWord(t + from, to - from, keyword)) return false;
                after = to;
                return true;
            });
            if (after >= 0) break;
        }
        if (after < 0) continue;
        int from = after;
        while (from < n && (t[from] == ' ' || t[from] == '\t')) ++from;
        int to = from;
        while (to < n && t[to] != ' ' && t[to] != '\t' && t[to] != '(') ++to;
        if (to > from) open = Append(first, last, l, number, t, from, to, from);
    }
    if (open) End(open, doc.Last(), number);
    return Finish(doc, first);
}

bool ScanFunctionsPascal(Document& doc) {
    return PascalScanner(doc).Run();
}

}  // namespace velt
