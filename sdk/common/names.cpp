#include "common/names.h"

#include <algorithm>
#include <filesystem>

#include "platform/files.h"

namespace nimra {

std::string HostPath(std::string_view name) {
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    return velt::platform::ResolveName(path);
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + extension;
    return path.substr(0, dot) + extension;
}

std::string LowerExtension(const std::string& path) {
    const std::string base = BaseName(path);
    const size_t dot = base.rfind('.');
    return dot == std::string::npos ? "" : ToLowerAscii(base.substr(dot + 1));
}

std::string ToUpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string ToLowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string AbsoluteNormal(const std::string& path) {
    std::filesystem::path p(velt::platform::MakeAbsolute(path));
    return p.lexically_normal().string();
}

std::string Unquote(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

bool SwitchValue(const std::vector<std::string>& args, std::size_t& i, std::size_t prefix,
                 std::string& value, std::string& error) {
    const std::string& a = args[i];
    value = a.substr(prefix);
    if (value.empty() && i + 1 < args.size()) value = args[++i];
    value = Unquote(value);
    if (value.empty()) error = "missing value after " + a;
    return !value.empty();
}

}  // namespace nimra
