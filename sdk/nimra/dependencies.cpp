#include "nimra/dependencies.h"

namespace nimra {

std::vector<std::string> PrerequisitesOfRule(const std::string& rule) {
    std::vector<std::string> names;
    std::string current;
    bool inTarget = true;  // the rule starts with "target:"
    bool any = false;
    auto finish = [&] {
        if (!any) return;
        if (inTarget) {
            // The target ends at its ':' (we name the target ourselves, without one inside).
            if (!current.empty() && current.back() == ':') inTarget = false;
        } else {
            names.push_back(current);
        }
        current.clear();
        any = false;
    };
    for (size_t i = 0; i < rule.size(); ++i) {
        const char c = rule[i];
        if (c == '\\' && i + 1 < rule.size() && (rule[i + 1] == '\n' || rule[i + 1] == '\r')) {
            finish();
            ++i;
            if (rule[i] == '\r' && i + 1 < rule.size() && rule[i + 1] == '\n') ++i;
        } else if (c == '\\' && i + 1 < rule.size() && (rule[i + 1] == ' ' || rule[i + 1] == '#')) {
            current += rule[++i];
            any = true;
        } else if (c == '$' && i + 1 < rule.size() && rule[i + 1] == '$') {
            current += '$';
            ++i;
            any = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            finish();
        } else {
            current += c;
            any = true;
            if (inTarget && c == ':') finish();
        }
    }
    finish();
    if (!names.empty()) names.erase(names.begin());  // the source
    return names;
}

}  // namespace nimra
