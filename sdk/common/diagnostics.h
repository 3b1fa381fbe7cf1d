// Messages in the form the IDE reads from the diagnostics file: "Error file.c: 12  text",
// "Warning file.c: 12  text". The host compiler's own messages are rewritten into it.
#pragma once

#include <string>
#include <string_view>

namespace nimra {

enum class Severity { Error, Warning, Note };

// One line, newline included. A line number below 1 is left out ("Error file: text"), which
// the IDE shows without a place to jump to. A name with a blank or ':' is put in quotes.
std::string NimraLine(Severity severity, const std::string& file, long line, std::string_view text);

struct RewriteResult {
    std::string text;  // the rewritten lines
    int errors = 0;
    int warnings = 0;
};

// Rewrites the host compiler's (or assembler's) standard error. Context lines ("In function",
// "In file included from", ...) are dropped, since each message names its own place; notes
// keep their place but not a severity the IDE counts; lines of any other shape pass through.
RewriteResult RewriteHostDiagnostics(std::string_view hostText);

}  // namespace nimra
