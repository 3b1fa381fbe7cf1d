#include "makefile_text.h"

namespace nimra {

std::string TranslateMakefile(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    bool continued = false;  // this line continues the previous one
    bool recipe = false;     // the logical line is a recipe line
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        bool hasNewline = nl != std::string_view::npos;
        std::string_view line = text.substr(pos, hasNewline ? nl - pos : std::string_view::npos);
        pos = hasNewline ? nl + 1 : text.size();
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (!continued) recipe = !line.empty() && line[0] == '\t';
        size_t trailing = 0;
        while (trailing < line.size() && line[line.size() - 1 - trailing] == '\\') ++trailing;
        bool continues = trailing % 2 == 1;

        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            char c = line[i];
            if (c == '\\') {
                if (i + 1 == line.size() && continues) {
                    out += c;
                } else if (i + 1 < line.size() &&
                           (line[i + 1] == '"' || line[i + 1] == ' ' || line[i + 1] == '\t' ||
                            line[i + 1] == '#' || line[i + 1] == '%')) {
                    out += c;
                    out += line[++i];
                } else {
                    out += '/';
                }
            } else if (c == '"' && !recipe) {
                quoted = !quoted;
            } else if ((c == ' ' || c == '\t') && quoted) {
                out += '\\';
                out += c;
            } else {
                out += c;
            }
        }
        if (hasNewline) out += '\n';
        continued = continues;
    }
    return out;
}

}  // namespace nimra
