// The lines of the build page: wrapping long lines into " + " continuations, reading the
// diagnostics formats of the compiler system's tools, and the jump to the line a diagnostic
// names.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

struct Document;
struct Line;

// The prefix of a wrapped line's continuation.
inline constexpr char kContinuation[] = " + ";

// Whether `text` fits the width of the output list when drawn. Unset: every line fits (no
// window measures them).
using OutputLineFits = std::function<bool(std::string_view text)>;
extern OutputLineFits gOutputLineFits;

// Splits `text` into the lines the list shows: a line that fits stays whole; otherwise the
// first part is cut at the longest length above 30 characters that fits, moved back to a
// blank or '(' less than 15 characters before that cut, and the rest follows as " + rest",
// wrapped the same way. A line that does not fit even at 30 characters stays whole.
std::vector<std::string> WrapOutputLine(const std::string& text, const OutputLineFits& fits);

// Adds `text` to the build page, wrapped with gOutputLineFits.
void AddBuildLine(const std::string& text);

// The whole message that line `index` of `lines` belongs to: from the first line of the
// message (going up past continuations) with the text after " + " of every continuation
// that follows it appended.
std::string WrappedMessageAt(const std::vector<std::string>& lines, std::size_t index);

// One parsed diagnostics line.
struct DiagnosticEntry {
    int line = 0;      // from 1
    std::string file;  // as the format gives it (a quoted name keeps its quotes)
    std::string text;
    // When the file is open in the editor: its document and the line of it that `line`
    // numbered when the entry was made.
    Document* document = nullptr;
    Line* documentLine = nullptr;
};

// "Warning"/"Error" (exact case) or "CPP" (any case) lines; the file made absolute against
// `currentDir` unless it is absolute already.
std::optional<DiagnosticEntry> ParseNimraDiagnostic(std::string_view text,
                                                    const std::string& currentDir);
// "name(line) : error ..." and "name(line) : warning ...".
std::optional<DiagnosticEntry> ParseParenthesisDiagnostic(std::string_view text);
// The Eiffel tool chain's "Line <n> ... (file)".
std::optional<DiagnosticEntry> ParseLineDiagnostic(std::string_view text,
                                                   const std::string& currentDir);
// The format of the project: "Line" for an Eiffel project, else nimra falling back to the
// parenthesis format. The document fields are filled when the file is open.
std::optional<DiagnosticEntry> ParseDiagnostic(std::string_view text, bool eiffel,
                                               const std::string& currentDir);

// Opens the entry's file and puts the cursor at the start of its line, scrolled into view
// and marked. False when the file could not be opened.
bool JumpToDiagnostic(const DiagnosticEntry& entry);
// The double-click on line `index` of the build page.
bool JumpToBuildLine(std::size_t index);

}  // namespace velt
