#include "ld_messages.h"

#include "host.h"

namespace nimra {

namespace {

bool StartsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}

bool EndsWith(std::string_view s, std::string_view p) {
    return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// The program-name prefix of a line ("/usr/bin/ld: ", "collect2: ", "gcc: "), or 0.
size_t ToolPrefixLength(std::string_view line) {
    size_t colon = line.find(": ");
    if (colon == std::string_view::npos) return 0;
    std::string_view token = line.substr(0, colon);
    if (token.find(' ') != std::string_view::npos) return 0;
    std::string base = BaseName(std::string(token));
    bool ld = base == "ld" || EndsWith(base, "-ld") || StartsWith(base, "ld.") ||
              base.find("-ld.") != std::string::npos;
    bool driver = base == "collect2" || base == "gcc" || base == "cc" || StartsWith(base, "gcc-") ||
                  EndsWith(base, "-gcc") || base.find("-gcc-") != std::string::npos;
    return ld || driver ? colon + 2 : 0;
}

// "file:line" gives the line; "file:(.text+0x1b)" only the file.
void SplitLocation(std::string_view loc, std::string& file, long& line) {
    line = 0;
    size_t paren = loc.find(":(");
    if (paren != std::string_view::npos) {
        file = std::string(loc.substr(0, paren));
        return;
    }
    size_t colon = loc.find_last_of(':');
    if (colon != std::string_view::npos && colon > 0 && AllDigits(loc.substr(colon + 1)) &&
        loc.size() - colon - 1 <= 6) {
        file = std::string(loc.substr(0, colon));
        line = std::stol(std::string(loc.substr(colon + 1)));
        return;
    }
    file = std::string(loc);
}

std::string Located(const char* kind, const std::string& file, long line, std::string_view text) {
    std::string out = std::string(kind) + " " + Quoted(file) + ": ";
    if (line > 0) out += std::to_string(line) + "  ";
    return out + std::string(text);
}

}  // namespace

std::vector<std::string> TranslateLinkerMessages(std::string_view output) {
    std::vector<std::string> result;
    std::string context;  // the object named by the last "in function" line
    size_t pos = 0;
    while (pos < output.size()) {
        size_t nl = output.find('\n', pos);
        std::string_view line =
            output.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? output.size() : nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (StartsWith(line, "collect2: error: ld returned")) continue;
        line.remove_prefix(ToolPrefixLength(line));

        constexpr std::string_view kInFunction = ": in function `";
        constexpr std::string_view kUndefined = ": undefined reference to `";
        size_t at;
        if ((at = line.find(kInFunction)) != std::string_view::npos && EndsWith(line, "':")) {
            context = std::string(line.substr(0, at));
            continue;
        }
        if (line.find(": more undefined references to `") != std::string_view::npos) continue;
        if ((at = line.find(kUndefined)) != std::string_view::npos) {
            std::string_view symbol = line.substr(at + kUndefined.size());
            if (!symbol.empty() && symbol.back() == '\'') symbol.remove_suffix(1);
            std::string file;
            long number;
            SplitLocation(line.substr(0, at), file, number);
            if (number == 0 && !context.empty()) file = context;
            result.push_back(
                Located("Error", file, number, "undefined reference to " + std::string(symbol)));
            continue;
        }
        if (StartsWith(line, "warning: ")) {
            result.push_back("Warning nimralnk: " + std::string(line.substr(9)));
            continue;
        }
        if (StartsWith(line, "error: ")) line.remove_prefix(7);
        if (StartsWith(line, "fatal error: ")) line.remove_prefix(13);
        // "file:12: text" from an object with line information.
        size_t sep = line.find(": ");
        if (sep != std::string_view::npos) {
            std::string file;
            long number;
            SplitLocation(line.substr(0, sep), file, number);
            if (number > 0) {
                std::string_view text = line.substr(sep + 2);
                bool warning = StartsWith(text, "warning: ");
                if (warning) text.remove_prefix(9);
                result.push_back(Located(warning ? "Warning" : "Error", file, number, text));
                continue;
            }
        }
        result.push_back("Error nimralnk: " + std::string(line));
    }
    return result;
}

}  // namespace nimra
