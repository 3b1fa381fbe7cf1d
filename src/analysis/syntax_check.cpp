#include "analysis/syntax_check.h"

#include <algorithm>
#include <array>

#include "editor/document.h"
#include "editor/language.h"
#include "shell/messages.h"

namespace velt {
namespace {

// Walks the document character by character; the end of every line reads as '\n'.
class Reader {
  public:
    explicit Reader(const Document& doc) : head_(doc.head), line_(doc.head->next) {}

    bool AtEnd() const { return line_ == head_; }
    int LineNo() const { return number_; }
    // The character `ahead` places from here on the current line: '\n' just past its end,
    // '\0' beyond that or before its start.
    char Peek(int ahead = 0) const {
        if (AtEnd()) return '\0';
        const int at = column_ + ahead;
        if (at < 0 || at > line_->length) return '\0';
        return at == line_->length ? '\n' : line_->text()[at];
    }
    void Advance(int n = 1) {
        while (n-- > 0 && !AtEnd()) {
            if (column_ < line_->length) {
                ++column_;
            } else {
                NextLine();
            }
        }
    }
    void NextLine() {
        if (AtEnd()) return;
        line_ = line_->next;
        column_ = 0;
        ++number_;
    }
    void SkipBlanks() {
        while (Peek() == ' ' || Peek() == '\t') Advance();
    }
    // Only blanks from here to the end of the line.
    bool RestIsBlank() const {
        for (int i = 0;; ++i) {
            const char c = Peek(i);
            if (c == '\n') return true;
            if (c != ' ' && c != '\t') return false;
        }
    }

  private:
    const Line* head_;
    const Line* line_;
    int column_ = 0;
    int number_ = 1;
};

bool IsIdentChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Open levels of one kind, with the lines of the first kN of them.
template <int kN>
struct Levels {
    int depth = 0;
    std::array<int, kN> lines{};

    void Open(int line) {
        if (depth < kN) lines[static_cast<std::size_t>(depth)] = line;
        ++depth;
    }
    void Close() {
        --depth;
        if (depth < kN) lines[static_cast<std::size_t>(depth)] = 0;
    }
    // The line of the innermost kept level.
    int Innermost() const { return lines[static_cast<std::size_t>(std::min(depth, kN) - 1)]; }
};

// At "/*": skips the comment, across lines; an unclosed one runs to the end of the text.
void SkipBlockComment(Reader& r) {
    r.Advance(2);
    while (!r.AtEnd()) {
        if (r.Peek() == '*' && r.Peek(1) == '/') {
            r.Advance(2);
            return;
        }
        r.Advance();
    }
}

// At "//": skips to the end of the line, and on over lines continued with a backslash (the
// compiler joins them before it sees the comment). Stops on the '\n'.
void SkipLineComment(Reader& r) {
    while (!r.AtEnd()) {
        const char c = r.Peek();
        if (c == '\n') return;
        if (c == '\\' && r.Peek(1) == '\n') {
            r.NextLine();
            continue;
        }
        r.Advance();
    }
}

// At a double quote: skips the C string. False when it does not end on its line (or on the
// lines it continues onto with a trailing backslash); `line` is then where it was left open.
bool SkipCString(Reader& r, int& line) {
    r.Advance();
    while (!r.AtEnd()) {
        const char c = r.Peek();
        line = r.LineNo();
        if (c == '"') {
            r.Advance();
            return true;
        }
        if (c == '\n') return false;
        if (c == '\\' && r.Peek(1) == '\n') {
            r.NextLine();
            if (r.AtEnd()) return false;
            continue;
        }
        r.Advance(c == '\\' ? 2 : 1);
    }
    return false;
}

// At a single quote: skips the character constant. False when it is empty, not closed on its
// line, or longer than any escape sequence or multi-character constant.
bool SkipCharConstant(Reader& r) {
    constexpr int kLongest = 8;  // '\x7fffff', 'abcd'
    r.Advance();
    for (int count = 0;;) {
        const char c = r.Peek();
        if (c == '\n' || c == '\0') return false;
        if (c == '\'') {
            r.Advance();
            return count > 0;
        }
        if (c == '\\') {
            if (r.Peek(1) == '\n') return false;
            r.Advance();
        }
        r.Advance();
        if (++count > kLongest) return false;
    }
}

// Skips the rest of a preprocessor line with its continuation lines; comments in it may run
// on over further lines. Quoted text is passed over so that "/*" in an #include is no comment.
void SkipDirective(Reader& r) {
    while (!r.AtEnd()) {
        const char c = r.Peek();
        if (c == '\n') {
            r.NextLine();
            return;
        }
        if (c == '\\' && r.Peek(1) == '\n') {
            r.NextLine();
        } else if (c == '/' && r.Peek(1) == '*') {
            SkipBlockComment(r);
        } else if (c == '/' && r.Peek(1) == '/') {
            SkipLineComment(r);
        } else if (c == '"' || c == '\'') {
            r.Advance();
            while (r.Peek() != c && r.Peek() != '\n' && r.Peek() != '\0')
                r.Advance(r.Peek() == '\\' && r.Peek(1) != '\n' ? 2 : 1);
            if (r.Peek() == c) r.Advance();
        } else {
            r.Advance();
        }
    }
}

const char* Name(const Document& doc) {
    return doc.name.c_str();
}

bool Fail(std::string& message, std::string text) {
    message = std::move(text);
    return false;
}

// The parentheses and square brackets, which both checks count alike.
struct Nesting {
    Levels<kCheckKeptParens> parens;
    int brackets = 0;

    // At '(', ')', '[' or ']': false, with the problem in `message`, for a closing one that
    // has no opening one.
    bool Take(char c, int line, const Document& doc, std::string& message) {
        switch (c) {
            case '(':
                parens.Open(line);
                return true;
            case ')':
                if (parens.depth == 0)
                    return Fail(message,
                                FormatText("%s: too many ')' at line %d", Name(doc), line));
                parens.Close();
                return true;
            case '[':
                ++brackets;
                return true;
            default:
                if (brackets == 0)
                    return Fail(message,
                                FormatText("%s: too many ']' at line %d", Name(doc), line));
                --brackets;
                return true;
        }
    }
    // False, with the problem in `message`, while a parenthesis is open.
    bool ParensClosed(const Document& doc, std::string& message) const {
        if (parens.depth == 0) return true;
        return Fail(message,
                    FormatText("%s: Mismatched () after line %d", Name(doc), parens.Innermost()));
    }
};

// "for" as a whole word, followed by a blank, a tab, '(' or the end of the line.
bool AtForKeyword(const Reader& r) {
    if (IsIdentChar(r.Peek(-1)) || r.Peek(1) != 'o' || r.Peek(2) != 'r') return false;
    const char after = r.Peek(3);
    return after == ' ' || after == '\t' || after == '(' || after == '\n';
}

// At an eiffel double quote. Verbatim strings ("[ or "{ ending their line) run to the line
// whose text starts with ]" or }"; ordinary ones must end on their line, unless continued
// with a final '%' (the next line then resumes after blanks and a '%'). '%' escapes.
bool SkipEiffelString(Reader& r, int& line) {
    line = r.LineNo();
    const char open = r.Peek(1);
    if (open == '[' || open == '{') {
        r.Advance(2);
        if (r.RestIsBlank()) {
            const char close = open == '[' ? ']' : '}';
            for (r.NextLine(); !r.AtEnd(); r.NextLine()) {
                r.SkipBlanks();
                if (r.Peek() == close && r.Peek(1) == '"') {
                    r.Advance(2);
                    return true;
                }
            }
            return false;
        }
    } else {
        r.Advance();
    }
    while (!r.AtEnd()) {
        const char c = r.Peek();
        line = r.LineNo();
        if (c == '"') {
            r.Advance();
            return true;
        }
        if (c == '\n') return false;
        if (c == '%' && r.Peek(1) == '\n') {
            r.NextLine();
            if (r.AtEnd()) return false;
            r.SkipBlanks();
            if (r.Peek() == '%') r.Advance();
            continue;
        }
        r.Advance(c == '%' ? 2 : 1);
    }
    return false;
}

// At an eiffel single quote: passes over the character constant ('(' must not count).
void SkipEiffelChar(Reader& r) {
    r.Advance();
    while (r.Peek() != '\'' && r.Peek() != '\n' && r.Peek() != '\0')
        r.Advance(r.Peek() == '%' && r.Peek(1) != '\n' ? 2 : 1);
    if (r.Peek() == '\'') r.Advance();
}

bool CProblem(Document& doc, std::string& message) {
    return !CheckC(doc, message);
}
bool EiffelProblem(Document& doc, std::string& message) {
    return !CheckEiffel(doc, message);
}

}  // namespace

bool CheckC(const Document& doc, std::string& message) {
    Reader r(doc);
    Nesting n;
    Levels<kCheckKeptBraces> braces;
    Levels<kCheckKeptConditionals> conditionals;
    bool forHeader = false;

    while (!r.AtEnd()) {
        const char c = r.Peek();
        const int line = r.LineNo();
        switch (c) {
            case '/':
                if (r.Peek(1) == '*') {
                    SkipBlockComment(r);
                } else if (r.Peek(1) == '/') {
                    SkipLineComment(r);
                } else {
                    r.Advance();
                }
                break;
            case '"': {
                int at = line;
                if (!SkipCString(r, at))
                    return Fail(message,
                                FormatText("%s: unfinished string line %d", Name(doc), at));
                break;
            }
            case '\'':
                if (!SkipCharConstant(r))
                    return Fail(message, FormatText(GetMessageText(277), Name(doc), line));
                break;
            case '#': {
                r.Advance();
                r.SkipBlanks();
                if (r.Peek() == 'i' && r.Peek(1) == 'f') {
                    conditionals.Open(line);
                } else if (r.Peek() == 'e' && r.Peek(1) == 'n' && r.Peek(2) == 'd' &&
                           r.Peek(3) == 'i' && r.Peek(4) == 'f') {
                    if (conditionals.depth == 0)
                        return Fail(message,
                                    FormatText("#endif without matching #if line %d", line));
                    conditionals.Close();
                }
                SkipDirective(r);
                break;
            }
            case 'f':
                if (AtForKeyword(r)) {
                    forHeader = true;
                    r.Advance(3);
                } else {
                    r.Advance();
                }
                break;
            case '(':
            case ')':
            case '[':
            case ']':
                if (!n.Take(c, line, doc, message)) return false;
                if (c == ')' && n.parens.depth == 0) forHeader = false;
                r.Advance();
                break;
            case ';':
                if (n.parens.depth > 1 || (n.parens.depth > 0 && !forHeader))
                    return Fail(message, FormatText("%s: Syntax error line %d", Name(doc), line));
                r.Advance();
                break;
            case '{':
            case '}':
                // Any brace inside parentheses is reported, also where C++ or GNU C allows
                // one (a compound literal or lambda as an argument, "({ ... })"): that is
                // how a ')' missing before a body is caught.
                if (!n.ParensClosed(doc, message)) return false;
                if (c == '{') {
                    braces.Open(line);
                } else {
                    if (braces.depth == 0)
                        return Fail(message,
                                    FormatText("%s: too many } at line %d", Name(doc), line));
                    braces.Close();
                }
                r.Advance();
                break;
            default:
                r.Advance();
        }
    }
    if (braces.depth > 0)
        return Fail(message,
                    FormatText("%s: mismatched { } after line %d", Name(doc), braces.Innermost()));
    if (!n.ParensClosed(doc, message)) return false;
    if (conditionals.depth > 0)
        return Fail(message,
                    FormatText("#if without matching #endif line %d", conditionals.Innermost()));
    return true;
}

bool CheckEiffel(const Document& doc, std::string& message) {
    Reader r(doc);
    Nesting n;

    while (!r.AtEnd()) {
        const char c = r.Peek();
        const int line = r.LineNo();
        switch (c) {
            case '-':
                if (r.Peek(1) == '-') {
                    r.NextLine();
                } else {
                    r.Advance();
                }
                break;
            case '"': {
                int at = line;
                if (!SkipEiffelString(r, at))
                    return Fail(message,
                                FormatText("%s: unfinished string line %d", Name(doc), at));
                break;
            }
            case '\'':
                SkipEiffelChar(r);
                break;
            case '(':
            case ')':
            case '[':
            case ']':
                if (!n.Take(c, line, doc, message)) return false;
                r.Advance();
                break;
            default:
                r.Advance();
        }
    }
    return n.ParensClosed(doc, message);
}

void InstallSyntaxCheckers() {
    if (Language* c = FindLanguage(kCLanguageName)) c->ops.checkSyntax = CProblem;
    if (Language* e = FindLanguage("eiffel")) e->ops.checkSyntax = EiffelProblem;
}

}  // namespace velt
