#include "nimrarc/tokens.h"

#include <algorithm>
#include <cctype>

#include "common/names.h"

namespace nimrarc {

namespace {

bool IsIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The host preprocessor's line marker: # <line> "<file>" [flags].
bool ReadMarker(const std::string& line, int& number, std::string& file) {
    size_t i = 1;
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size() || !std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    // Kept far from overflow, also when counting on from it.
    long long n = 0;
    while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])))
        n = std::min(n * 10 + (line[i++] - '0'), 1000000000LL);
    number = static_cast<int>(n);
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size() || line[i] != '"') return false;
    file.clear();
    for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        file += line[i];
    }
    return true;
}

// Escapes of a script's strings: \n \t \r \a \b \f \v \\ \" \', octal and \x hex; a
// doubled quote stands for one quote.
std::string Unescape(const std::string& raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '"' && i + 1 < raw.size() && raw[i + 1] == '"') {
            out += '"';
            ++i;
            continue;
        }
        if (c != '\\' || i + 1 >= raw.size()) {
            out += c;
            continue;
        }
        c = raw[++i];
        switch (c) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'a':
                out += '\a';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'v':
                out += '\v';
                break;
            case 'x': {
                unsigned v = 0;
                int digits = 0;
                while (digits < 2 && i + 1 < raw.size() &&
                       std::isxdigit(static_cast<unsigned char>(raw[i + 1]))) {
                    const char h = raw[++i];
                    v = v * 16 + (std::isdigit(static_cast<unsigned char>(h))
                                      ? h - '0'
                                      : std::tolower(static_cast<unsigned char>(h)) - 'a' + 10);
                    ++digits;
                }
                out += static_cast<char>(digits ? v : 'x');
                break;
            }
            default:
                if (c >= '0' && c <= '7') {
                    unsigned v = static_cast<unsigned>(c - '0');
                    for (int k = 0;
                         k < 2 && i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '7'; ++k)
                        v = v * 8 + static_cast<unsigned>(raw[++i] - '0');
                    out += static_cast<char>(v & 0xFF);
                } else {
                    out += c;  // \\ \" \' and unknown escapes stand for the character
                }
        }
    }
    return out;
}

}  // namespace

TokenizedScript Tokenize(const std::string& preprocessed) {
    TokenizedScript script;
    script.files.push_back("");
    int file = 0;
    int lineNumber = 1;
    bool skipping = false;

    size_t pos = 0;
    while (pos < preprocessed.size()) {
        size_t end = preprocessed.find('\n', pos);
        if (end == std::string::npos) end = preprocessed.size();
        const std::string line = preprocessed.substr(pos, end - pos);
        pos = end + 1;
        const int thisLine = lineNumber++;

        size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos && line[first] == '#') {
            int number = 0;
            std::string name;
            if (first == 0 && ReadMarker(line, number, name)) {
                lineNumber = number;
                file = -1;
                for (size_t k = 0; k < script.files.size(); ++k)
                    if (script.files[k] == name) file = static_cast<int>(k);
                if (file < 0) {
                    file = static_cast<int>(script.files.size());
                    script.files.push_back(name);
                }
                const std::string ext = nimra::LowerExtension(name);
                skipping = name.empty() || name[0] == '<' || ext == "h" || ext == "c";
            }
            continue;  // markers, and #pragma lines the preprocessor passes on
        }
        if (skipping || !script.error.empty()) continue;

        bool space = true;
        for (size_t i = 0; i < line.size();) {
            const char c = line[i];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                space = true;
                ++i;
                continue;
            }
            Token t;
            t.file = file;
            t.line = thisLine;
            t.spaceBefore = space;
            space = false;
            const bool wideString =
                (c == 'L' || c == 'l') && i + 1 < line.size() && line[i + 1] == '"';
            if (c == '"' || wideString) {
                size_t j = i + (wideString ? 2 : 1);
                std::string raw;
                bool closed = false;
                while (j < line.size()) {
                    if (line[j] == '"') {
                        if (j + 1 < line.size() && line[j + 1] == '"') {
                            raw += "\"\"";
                            j += 2;
                            continue;
                        }
                        closed = true;
                        ++j;
                        break;
                    }
                    if (line[j] == '\\' && j + 1 < line.size()) raw += line[j++];
                    raw += line[j++];
                }
                if (!closed) {
                    script.error = "string without its closing quote";
                    script.errorFile = file;
                    script.errorLine = thisLine;
                    break;
                }
                t.kind = TokenKind::String;
                t.wide = wideString;
                t.text = raw;
                t.value = Unescape(raw);
                i = j;
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                size_t j = i;
                std::uint64_t v = 0;
                if (c == '0' && j + 1 < line.size() && (line[j + 1] == 'x' || line[j + 1] == 'X')) {
                    j += 2;
                    while (j < line.size() && std::isxdigit(static_cast<unsigned char>(line[j]))) {
                        const char h =
                            static_cast<char>(std::tolower(static_cast<unsigned char>(line[j++])));
                        v = ((v << 4) |
                             static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(h))
                                                       ? h - '0'
                                                       : h - 'a' + 10)) &
                            0xFFFFFFFFu;
                    }
                } else {
                    while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j])))
                        v = (v * 10 + static_cast<unsigned>(line[j++] - '0')) & 0xFFFFFFFFu;
                }
                while (j < line.size() &&
                       (line[j] == 'L' || line[j] == 'l' || line[j] == 'U' || line[j] == 'u')) {
                    if (line[j] == 'L' || line[j] == 'l') t.isLong = true;
                    ++j;
                }
                t.kind = TokenKind::Number;
                t.number = static_cast<std::uint32_t>(v);
                t.text = line.substr(i, j - i);
                i = j;
            } else if (IsIdentStart(c)) {
                size_t j = i;
                while (j < line.size() && IsIdentChar(line[j])) ++j;
                t.kind = TokenKind::Identifier;
                t.text = line.substr(i, j - i);
                i = j;
            } else {
                t.kind = TokenKind::Punct;
                t.text = std::string(1, c);
                ++i;
            }
            script.tokens.push_back(std::move(t));
        }
    }
    return script;
}

}  // namespace nimrarc
