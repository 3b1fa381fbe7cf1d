#include "shell/strutil.h"

namespace velt {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

char StrUpper(char* s) {
    if (!s) return 0;
    for (;; ++s) {
        *s = Upper(*s);
        if (*s == 0) return 0;
    }
}

char StrUpper(std::string& s) {
    for (char& c : s) c = Upper(c);
    return s.empty() ? 0 : s.back();
}

int WildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t i = 0, j = 0;
    while (i < pattern.size()) {
        char p = pattern[i];
        if (p == '?') {
            if (j >= name.size()) return 0;
            ++i;
            ++j;
        } else if (p == '*') {
            std::size_t dot = pattern.find('.', i);
            i = dot == std::string_view::npos ? pattern.size() : dot;
            std::size_t last = name.rfind('.');
            if (last == std::string_view::npos || last < j) return 0;
            j = last;
        } else {
            if (j >= name.size() || Upper(p) != Upper(name[j])) return 0;
            ++i;
            ++j;
        }
    }
    return j == name.size() ? 1 : 0;
}

std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Upper(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (Lower(a[k]) != Lower(b[k])) return false;
    return true;
}

}  // namespace velt
