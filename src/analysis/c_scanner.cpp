#include "analysis/c_scanner.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "analysis/function_list.h"
#include "editor/document.h"
#include "editor/language.h"

namespace velt {

namespace {

constexpr int kMaxNameLength = 32759;

struct Classes {
    std::array<bool, 256> ident{};
    std::array<bool, 256> stop{};
    Classes() {
        for (int c = 0; c < 256; ++c) {
            bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            ident[c] = alnum || c == '_';
            stop[c] = !(alnum || std::strchr(";\t ,*_][)(", c));
        }
        stop[0] = true;
    }
};
const Classes& Cls() {
    static const Classes c;
    return c;
}
bool IsIdent(int c) {
    return c >= 0 && Cls().ident[static_cast<unsigned char>(c)];
}
bool IsStop(int c) {
    return c < 0 || Cls().stop[static_cast<unsigned char>(c)];
}

// A line the backward walks must not enter: its text is not C code.
bool OpaqueLine(const Line* l) {
    const char* t = l->text();
    int i = 0;
    while (i < l->length && (t[i] == ' ' || t[i] == '\t')) ++i;
    if (i < l->length && t[i] == '#') return true;
    for (int j = i; j + 1 < l->length; ++j)
        if (t[j] == '/' && t[j + 1] == '/') return true;
    return false;
}

struct Pos {
    Line* line;
    int col;
};

class CScanner {
  public:
    explicit CScanner(Document& doc) : doc_(doc), head_(doc.head), line_(doc.head->next) {
        for (unsigned char c : std::string("/\"#'{}()_")) delim_[c] = true;
    }

    bool Run() {
        for (;;) {
            if (!Settle()) break;
            const char* t = line_->text();
            const int n = line_->length;
            while (col_ < n && !delim_[static_cast<unsigned char>(t[col_])]) ++col_;
            if (col_ >= n) continue;
            const char c = t[col_++];
            switch (c) {
                case '/':
                    if (col_ < n && t[col_] == '*') {
                        ++col_;
                        SkipBlockComment();
                    } else if (col_ < n && t[col_] == '/') {
                        col_ = n;
                    }
                    break;
                case '"':
                case '\'':
                    SkipQuoted(c);
                    break;
                case '#':
                    SkipPreprocessor();
                    break;
                case '_':
                    if (n - col_ >= 9 && std::memcmp(t + col_, "_declspec", 9) == 0) {
                        col_ += 9;
                        SkipDeclspecArgument();
                    }
                    break;
                case '(':
                    if (++parens_ == 1) {
                        open_ = {line_, col_ - 1};
                        openNumber_ = number_ + 1;
                        remembered_ = true;
                    }
                    break;
                case ')':
                    if (parens_ > 0) --parens_;
                    if (parens_ <= 0 && remembered_) LookAhead();
                    break;
                case '{':
                    OpenBrace();
                    break;
                case '}':
                    CloseBrace();
                    break;
                default:
                    break;
            }
        }
        if (braces_ != 0 && last_ && !last_->endNode) {
            last_->endNode = head_->prev;
            last_->endLine = number_;
        }
        SetFunctionList(doc_, first_);
        doc_.flags |= kDocFunctionListValid;
        return first_ != nullptr;
    }

  private:
    // Moves past the ends of lines; false at the end of the text.
    bool Settle() {
        while (line_ != head_ && col_ >= line_->length) NextLine();
        return line_ != head_;
    }
    void NextLine() {
        line_ = line_->next;
        col_ = 0;
        ++number_;
    }
    int Cur() { return Settle() ? static_cast<unsigned char>(line_->text()[col_]) : -1; }

    void SkipBlockComment() {
        for (; line_ != head_; NextLine()) {
            const char* t = line_->text();
            for (; col_ + 1 < line_->length; ++col_)
                if (t[col_] == '*' && t[col_ + 1] == '/') {
                    col_ += 2;
                    return;
                }
        }
    }

    // An unterminated literal ends with its line unless the line ends in a backslash.
    void SkipQuoted(char quote) {
        while (line_ != head_) {
            const char* t = line_->text();
            const int n = line_->length;
            bool continued = false;
            while (col_ < n) {
                const char c = t[col_++];
                if (c == quote) return;
                if (c == '\\') {
                    if (col_ >= n) {
                        continued = true;
                        break;
                    }
                    ++col_;
                }
            }
            if (!continued) return;
            NextLine();
        }
    }

    void SkipPreprocessor() {
        while (line_ != head_) {
            const char* t = line_->text();
            const int n = line_->length;
            const void* slash = col_ < n ? std::memchr(t + col_, '/', n - col_) : nullptr;
            if (slash) {
                const int s = static_cast<int>(static_cast<const char*>(slash) - t);
                if (s + 1 < n && t[s + 1] == '*') {
                    col_ = s + 2;
                    SkipBlockComment();
                    continue;  // then the rest of the line the comment ends on
                }
            }
            const bool continued = n > 0 && t[n - 1] == '\\';
            NextLine();
            if (!continued) return;
        }
    }

    void SkipBlanksAndComments() {
        for (;;) {
            const int c = Cur();
            if (c == ' ' || c == '\t') {
                ++col_;
            } else if (c == '/' && col_ + 1 < line_->length && line_->text()[col_ + 1] == '*') {
                col_ += 2;
                SkipBlockComment();
            } else if (c == '/' && col_ + 1 < line_->length && line_->text()[col_ + 1] == '/') {
                col_ = line_->length;
            } else {
                return;
            }
        }
    }

    void SkipDeclspecArgument() {
        SkipBlanksAndComments();
        if (Cur() != '(') return;
        int depth = 0;
        for (int c = Cur(); c >= 0; c = Cur()) {
            ++col_;
            if (c == '(') {
                ++depth;
            } else if (c == ')' && --depth == 0) {
                return;
            }
        }
    }

    void LookAhead() {
        SkipBlanksAndComments();
        int c = Cur();
        if (c == '{') {
            ++col_;
            Define();
            return;
        }
        if (c < 0 || c == ';' || !IsIdent(c)) return;
        // Old-style definition: the header line up to "(" holds declaration characters only.
        // For C++ members with trailing qualifiers ("int A::f() const {") "::", "~", "&" and
        // the symbols of an operator's name are let through.
        const char* ht = open_.line->text();
        for (int i = OperatorNameStart(ht, open_.col); i >= 0; --i) {
            const char h = ht[i];
            if (!IsStop(static_cast<unsigned char>(h)) || h == '~' || h == '&') continue;
            if (h == ':' && ((i > 0 && ht[i - 1] == ':') || ht[i + 1] == ':')) continue;
            return;
        }
        // The parameter declarations. A "(" there is the next header, where scanning resumes
        // (so a macro call before a function cannot swallow it), unless it belongs to a
        // declarator or an exception specification: "int (*cmp)();", "throw()".
        std::string_view word;  // the identifier read last, blanks and comments aside
        int prev = 0;           // the character read last, blanks and comments aside
        for (;;) {
            SkipBlanksAndComments();
            c = Cur();
            if (c < 0) return;
            if (c == '{') {
                ++col_;
                Define();
                return;
            }
            if (IsStop(c)) return;
            if (c == '(' && !DeclaratorParenthesis(word, prev)) return;
            const char* t = line_->text();
            if (IsIdent(c)) {
                const int from = col_;
                while (col_ < line_->length && IsIdent(static_cast<unsigned char>(t[col_])))
                    ++col_;
                word = std::string_view(t + from, static_cast<std::size_t>(col_ - from));
                prev = 'a';
            } else {
                word = {};
                prev = c;
                ++col_;
            }
        }
    }

    // Where the header test starts looking back from the "(" at `col`: before the word
    // "operator" when the symbols of an operator's name stand between them, else at the "(".
    static int OperatorNameStart(const char* t, int col) {
        int j = col - 1;
        while (j >= 0 && (IsOperatorChar(static_cast<unsigned char>(t[j])) || t[j] == ' ' ||
                          t[j] == '\t'))
            --j;
        if (j < 7 || std::memcmp(t + j - 7, "operator", 8) != 0) return col;
        if (j >= 8 && IsIdent(static_cast<unsigned char>(t[j - 8]))) return col;
        return j - 8;
    }

    // At a "(" among old-style parameter declarations: whether it continues them.
    bool DeclaratorParenthesis(std::string_view word, int prev) const {
        if (word == "throw" || word == "noexcept" || prev == ')') return true;
        const char* t = line_->text();
        int i = col_ + 1;
        while (i < line_->length && (t[i] == ' ' || t[i] == '\t')) ++i;
        return i < line_->length && t[i] == '*';
    }

    void SetParens(bool on) {
        delim_['('] = on;
        delim_[')'] = on;
    }

    void OpenBrace() {
        if (braces_++ == 0) {
            SetParens(false);
            parens_ = 0;
        }
    }

    void CloseBrace() {
        if (braces_ <= 0) return;
        if (--braces_ == 0) {
            if (last_ && !last_->endNode) {
                last_->endNode = line_;
                last_->endLine = number_ + 1;
            }
            remembered_ = false;
            SetParens(true);
        }
    }

    // Stepping back one character; false at the start of the text or, across a line end,
    // before a line that is not code.
    bool Back(Pos& p) const {
        if (p.col > 0) {
            --p.col;
            return true;
        }
        Line* l = p.line->prev;
        while (l != head_ && l->length == 0) l = l->prev;
        if (l == head_ || OpaqueLine(l)) return false;
        p = {l, l->length - 1};
        return true;
    }
    static int At(const Pos& p) { return static_cast<unsigned char>(p.line->text()[p.col]); }

    static bool IsOperatorChar(int c) { return c > 0 && std::strchr("!%*+-/[]^=|~<>&()", c); }

    void Define() {
        braces_ = 1;
        SetParens(false);
        parens_ = 0;
        std::string name;
        Pos start{};
        if (!ExtractName(name, start)) return;
        auto* e = new FunctionEntry;
        e->name = std::move(name);
        e->hash = static_cast<std::uint16_t>(NameBucket(e->name));
        // The declaration starts at the first character after the walk's stopping point.
        Pos d = start;
        while (d.line != head_ && (d.col >= d.line->length || At(d) == ' ' || At(d) == '\t')) {
            if (d.col >= d.line->length) {
                d = {d.line->next, 0};
            } else {
                ++d.col;
            }
        }
        if (d.line == head_) d = {open_.line, 0};
        e->declarationLine = d.line;
        e->declarationColumn = static_cast<std::int16_t>(d.col);
        e->braceLineNumber = static_cast<std::int16_t>(number_);
        e->startLine = openNumber_;
        e->bodyLine = line_;
        if (last_)
            last_->next = e;
        else
            first_ = e;
        last_ = e;
    }

    // Collects the qualifier (identifiers and "::") ending just before p; returns it and
    // moves p before it.
    std::string Qualifier(Pos& p, bool& atStart) const {
        std::string rev;
        for (;;) {
            const int c = At(p);
            if (!(IsIdent(c) || c == ':' || c == '~') || rev.size() >= kMaxNameLength) break;
            rev += static_cast<char>(c);
            if (p.col == 0) {
                atStart = true;
                break;
            }
            --p.col;
        }
        return {rev.rbegin(), rev.rend()};
    }

    bool ExtractName(std::string& name, Pos& declStart) const {
        Pos p = open_;
        bool more;
        do {
            more = Back(p);
        } while (more && (At(p) == ' ' || At(p) == '\t' || At(p) == '('));
        if (!more) return false;
        bool atStart = false;
        if (IsIdent(At(p))) {
            name = Qualifier(p, atStart);
            // Conversion operators and operator new/delete: "operator" before the word.
            Pos q = p;
            const bool blank = !atStart && (At(q) == ' ' || At(q) == '\t');
            while (blank && (At(q) == ' ' || At(q) == '\t') && q.col > 0) --q.col;
            if (blank && q.col >= 7 && q.line == p.line &&
                std::memcmp(q.line->text() + q.col - 7, "operator", 8) == 0 &&
                (q.col == 7 || !IsIdent(static_cast<unsigned char>(q.line->text()[q.col - 8])))) {
                p = {q.line, q.col - 7};
                name = "operator " + name;
                if (p.col == 0) {
                    atStart = true;
                } else {
                    --p.col;
                    name = Qualifier(p, atStart) + name;
                }
            }
        } else {
            Pos q = p;
            while (q.line == open_.line && IsOperatorChar(At(q)) && q.col > 0) --q.col;
            while (q.line == open_.line && (At(q) == ' ' || At(q) == '\t') && q.col > 0) --q.col;
            if (q.line != open_.line || At(q) != 'r' || q.col < 7 ||
                std::memcmp(q.line->text() + q.col - 7, "operator", 8) != 0)
                return false;
            const char* t = q.line->text();
            int end = open_.col;
            // The "(" of the list follows the operator's own "()" when there is one.
            while (end > q.col + 1 && (t[end - 1] == ' ' || t[end - 1] == '\t')) --end;
            name.assign(t + q.col - 7, t + end);
            p = {q.line, q.col - 7};
            if (p.col == 0) {
                atStart = true;
            } else {
                --p.col;
                name = Qualifier(p, atStart) + name;
            }
        }
        if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
        if (atStart) {
            // The name opens its line: the return type may end the line before.
            Pos prev{p.line, 0};
            if (!Back(prev)) {
                declStart = {p.line, 0};
                return true;
            }
            p = prev;
        }
        // The return type and its qualifiers.
        for (;;) {
            const int c = At(p);
            if (!(IsIdent(c) || c == '*' || c == '&' || c == ':' || c == ' ' || c == '\t')) break;
            Pos before = p;
            if (!Back(p)) {
                declStart = before;
                return true;
            }
        }
        declStart = {p.line, p.col + 1};
        return true;
    }

    Document& doc_;
    Line* head_;
    Line* line_;
    int col_ = 0;
    int number_ = 0;  // 0-based counter of line_
    int braces_ = 0;
    int parens_ = 0;
    bool remembered_ = false;
    Pos open_{};
    int openNumber_ = 0;
    std::array<bool, 256> delim_{};
    FunctionEntry* first_ = nullptr;
    FunctionEntry* last_ = nullptr;
};

}  // namespace

bool ScanFunctionsC(Document& doc) {
    return CScanner(doc).Run();
}

}  // namespace velt
