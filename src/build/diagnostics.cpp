#include "build/diagnostics.h"

#include <cctype>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "platform/files.h"
#include "shell/output_pane.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

OutputLineFits gOutputLineFits;

namespace {

constexpr std::size_t kShortestCut = 30;
constexpr std::size_t kBackOff = 15;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

void SkipBlanks(std::string_view s, std::size_t& i) {
    while (i < s.size() && IsBlank(s[i])) ++i;
}

// A relative name joined to the current directory; a quoted name inside its quotes.
std::string Absolute(const std::string& name, const std::string& currentDir) {
    const bool quoted = name.size() >= 2 && name.front() == '"' && name.back() == '"';
    std::string bare = quoted ? name.substr(1, name.size() - 2) : name;
    const bool drive = bare.size() >= 3 && IsAlpha(bare[0]) && bare[1] == ':' && bare[2] == '\\';
    if (!bare.empty() && bare[0] != pf::kPathSeparator && !drive && !currentDir.empty())
        bare = pf::JoinPath(currentDir, bare);
    return quoted ? '"' + bare + '"' : bare;
}

// The file name of the nimra format at `i`: a quoted name (quotes kept), or the characters up
// to a blank or a ':' not followed by '\' (that ':' is consumed).
std::string ReadNimraFile(std::string_view s, std::size_t& i) {
    std::string name;
    if (i < s.size() && s[i] == '"') {
        const std::size_t end = s.find('"', i + 1);
        const std::size_t stop = end == std::string_view::npos ? s.size() : end + 1;
        name = std::string(s.substr(i, stop - i));
        i = stop;
        if (i < s.size() && s[i] == ':') ++i;
        return name;
    }
    while (i < s.size() && !IsBlank(s[i])) {
        if (s[i] == ':' && !(i + 1 < s.size() && s[i + 1] == '\\')) {
            ++i;
            break;
        }
        name += s[i++];
    }
    return name;
}

// The entry's document and line when its file is open.
void AttachDocument(DiagnosticEntry& entry) {
    std::string name = entry.file;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    if (name.empty()) return;
    Document* doc = FindDocument(pf::ResolveName(pf::MakeAbsolute(name)), false);
    if (!doc) return;
    entry.document = doc;
    entry.documentLine = LineAt(*doc, entry.line);
}

}  // namespace

std::vector<std::string> WrapOutputLine(const std::string& text, const OutputLineFits& fits) {
    std::vector<std::string> out;
    std::string rest = text;
    for (;;) {
        if (!fits || fits(rest) || rest.size() <= kShortestCut + 1) {
            out.push_back(rest);
            return out;
        }
        // A longer start never draws narrower, so the longest one that fits is found by
        // halving: a line of 1400 characters costs a dozen measurements, not a thousand.
        std::size_t cut = 0;
        std::size_t lo = kShortestCut + 1;
        std::size_t hi = rest.size() - 1;
        while (lo <= hi) {
            const std::size_t n = lo + (hi - lo) / 2;
            if (fits(std::string_view(rest).substr(0, n))) {
                cut = n;
                lo = n + 1;
            } else {
                hi = n - 1;
            }
        }
        if (cut == 0) {
            out.push_back(rest);
            return out;
        }
        for (std::size_t p = cut; p > 0 && cut - (p - 1) < kBackOff; --p)
            if (rest[p - 1] == ' ' || rest[p - 1] == '(') {
                // The cut must leave the continuation shorter than the line, or it never ends.
                if (p - 1 > 0) cut = p - 1;
                break;
            }
        out.push_back(rest.substr(0, cut));
        rest = kContinuation + rest.substr(cut);
    }
}

void AddBuildLine(const std::string& text) {
    OutputPane& pane = FrameOutputPane();
    for (const std::string& part : WrapOutputLine(text, gOutputLineFits)) {
        // The pane splits appended text at line ends; a wrapped part holds none.
        pane.Append(kBuildPage, part.empty() ? std::string("\n") : part);
    }
}

std::string WrappedMessageAt(const std::vector<std::string>& lines, std::size_t index) {
    if (index >= lines.size()) return {};
    while (index > 0 && StartsWith(lines[index], kContinuation)) --index;
    std::string text = lines[index];
    for (std::size_t i = index + 1; i < lines.size() && StartsWith(lines[i], kContinuation); ++i)
        text += lines[i].substr(sizeof kContinuation - 1);
    return text;
}

std::optional<DiagnosticEntry> ParseNimraDiagnostic(std::string_view s,
                                                    const std::string& currentDir) {
    const bool located = StartsWith(s, "Warning") || StartsWith(s, "Error");
    if (!located && !StartsWithNoCase(s, "CPP")) return std::nullopt;
    std::size_t i = 0;
    while (i < s.size() && !IsBlank(s[i])) ++i;
    SkipBlanks(s, i);
    DiagnosticEntry e;
    e.file = ReadNimraFile(s, i);
    if (e.file.empty()) return std::nullopt;
    SkipBlanks(s, i);
    int line = 0;
    for (int digits = 0; digits < 6 && i < s.size() && IsDigit(s[i]); ++digits, ++i)
        line = line * 10 + (s[i] - '0');
    if (line < 1) return std::nullopt;
    e.line = line;
    // Up to the next ':' or other character that is not a digit.
    while (i < s.size() && IsDigit(s[i])) ++i;
    if (i < s.size() && s[i] == ':') ++i;
    SkipBlanks(s, i);
    e.text = "[" + std::to_string(line) + "]:" + std::string(s.substr(i));
    e.file = Absolute(e.file, currentDir);
    return e;
}

std::optional<DiagnosticEntry> ParseParenthesisDiagnostic(std::string_view s) {
    auto nameChar = [](char c) {
        return IsAlpha(c) || IsDigit(c) || c == ':' || c == '\\' || c == '.' || c == '_' ||
               c == '-' || c == pf::kPathSeparator;
    };
    std::size_t i = 0;
    while (i < s.size() && nameChar(s[i])) ++i;
    if (i == 0) return std::nullopt;
    DiagnosticEntry e;
    e.file = AsciiUpper(s.substr(0, i));
    SkipBlanks(s, i);
    if (i >= s.size() || s[i] != '(') return std::nullopt;
    ++i;
    const std::size_t digitsAt = i;
    long line = 0;
    while (i < s.size() && IsDigit(s[i]) && line < 100000000) line = line * 10 + (s[i++] - '0');
    if (i == digitsAt || i >= s.size() || s[i] != ')') return std::nullopt;
    ++i;
    while (i < s.size() && (IsBlank(s[i]) || s[i] == ':')) ++i;
    const std::string_view word = s.substr(i);
    if (!StartsWithNoCase(word, "warning") && !StartsWith(word, "error")) return std::nullopt;
    if (line < 1) return std::nullopt;
    e.line = static_cast<int>(line);
    const std::size_t wordStart = i;
    while (i < s.size() && !IsBlank(s[i])) ++i;
    e.text = std::string(s.substr(wordStart, i - wordStart)) + ' ';
    // The word after it (the message number) is left out.
    SkipBlanks(s, i);
    while (i < s.size() && !IsBlank(s[i])) ++i;
    SkipBlanks(s, i);
    e.text += s.substr(i);
    return e;
}

std::optional<DiagnosticEntry> ParseLineDiagnostic(std::string_view s,
                                                   const std::string& currentDir) {
    if (!StartsWithNoCase(s, "Line")) return std::nullopt;
    std::size_t i = 4;
    SkipBlanks(s, i);
    const std::size_t digitsAt = i;
    long line = 0;
    while (i < s.size() && IsDigit(s[i]) && line < 100000000) line = line * 10 + (s[i++] - '0');
    if (i == digitsAt || line < 1) return std::nullopt;
    const std::size_t open = s.find('(', i);
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t close = s.find(')', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    std::string file(s.substr(open + 1, close - open - 1));
    if (StartsWith(file, ".\\") || StartsWith(file, "./"))
        file = currentDir + pf::kPathSeparator + file.substr(2);
    DiagnosticEntry e;
    e.file = AsciiUpper(file);
    e.line = static_cast<int>(line);
    e.text = std::string(s);
    return e;
}

std::optional<DiagnosticEntry> ParseDiagnostic(std::string_view text, bool eiffel,
                                               const std::string& currentDir) {
    std::optional<DiagnosticEntry> e;
    if (eiffel) {
        e = ParseLineDiagnostic(text, currentDir);
    } else {
        e = ParseNimraDiagnostic(text, currentDir);
        if (!e) e = ParseParenthesisDiagnostic(text);
    }
    if (e) AttachDocument(*e);
    return e;
}

bool JumpToDiagnostic(const DiagnosticEntry& entry) {
    std::string name = entry.file;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    CurrentUi().RestoreFrameIfMinimised();
    if (!OpenFile(pf::ResolveName(pf::MakeAbsolute(name)))) return false;
    EditView* v = CurrentView();
    if (!v || !v->document) return false;
    Document& doc = *v->document;
    int number = entry.line;
    // A line remembered from when the entry was made moves with edits above it.
    if (entry.document == &doc && entry.documentLine) {
        const int now = LineNumber(doc, entry.documentLine);
        if (now > 0) number = now;
    }
    PlaceCursor(*v, number, 0);
    for (Line* l : Lines(doc)) l->flags &= static_cast<std::uint8_t>(~kLineMarked);
    if (v->cursor && v->cursor != doc.head) v->cursor->flags |= kLineMarked;
    v->flags |= kViewRepaintAll;
    CurrentUi().RepaintDocumentWindow(v);
    UpdatePositionText();
    return true;
}

}  // namespace velt
