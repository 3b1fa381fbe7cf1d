#include "common/diagnostics.h"

#include <regex>

namespace nimra {

namespace {

const char* Word(Severity s) {
    switch (s) {
        case Severity::Error:
            return "Error";
        case Severity::Warning:
            return "Warning";
        case Severity::Note:
            break;
    }
    return "Note";
}

Severity SeverityOf(const std::string& kind) {
    if (kind == "warning" || kind == "Warning") return Severity::Warning;
    if (kind == "note" || kind == "Info") return Severity::Note;
    return Severity::Error;
}

// Places the host invents ("<command-line>", "<built-in>") and program names ("cc1", "as")
// name no source; the message is then the compiler's own.
std::string PlaceName(const std::string& name) {
    if (name.empty() || name[0] == '<') return "nimra.exe";
    if (name == "gcc" || name == "cc" || name == "cc1" || name == "as" || name == "cpp" ||
        name == "collect2" || name.find("gcc") != std::string::npos)
        return "nimra.exe";
    return name;
}

}  // namespace

std::string NimraLine(Severity severity, const std::string& file, long line,
                      std::string_view text) {
    std::string out = Word(severity);
    out += ' ';
    if (file.find_first_of(" :") != std::string::npos)
        out += '"' + file + '"';
    else
        out += file;
    out += ": ";
    if (line > 0) out += std::to_string(line) + "  ";
    out += text;
    out += '\n';
    return out;
}

RewriteResult RewriteHostDiagnostics(std::string_view hostText) {
    static const std::regex located(
        R"(^(.+?):([0-9]+):(?:[0-9]+:)? (fatal error|error|warning|note|sorry, unimplemented|Error|Warning|Fatal error|Info): ?(.*)$)");
    static const std::regex unlocated(
        R"(^([^ :][^:]*): (fatal error|error|warning|note|Error|Warning|Fatal error): ?(.*)$)");
    static const std::regex context(
        R"(^(In file included from |\s+from |compilation terminated\.)|: (In|At) [^:]*:$|: Assembler messages:$)");

    RewriteResult result;
    size_t pos = 0;
    while (pos < hostText.size()) {
        size_t end = hostText.find('\n', pos);
        if (end == std::string_view::npos) end = hostText.size();
        std::string line(hostText.substr(pos, end - pos));
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || std::regex_search(line, context)) continue;

        std::smatch m;
        if (std::regex_match(line, m, located)) {
            const Severity s = SeverityOf(m[3]);
            std::string file = m[1];
            long number = std::stol(m[2].str().substr(0, 9));
            if (PlaceName(file) != file) number = 0;
            result.text += NimraLine(s, PlaceName(file), number, m[4].str());
            if (s == Severity::Error) ++result.errors;
            if (s == Severity::Warning) ++result.warnings;
        } else if (std::regex_match(line, m, unlocated)) {
            const Severity s = SeverityOf(m[2]);
            result.text += NimraLine(s, PlaceName(m[1]), 0, m[3].str());
            if (s == Severity::Error) ++result.errors;
            if (s == Severity::Warning) ++result.warnings;
        } else {
            result.text += line + '\n';
        }
    }
    return result;
}

}  // namespace nimra
