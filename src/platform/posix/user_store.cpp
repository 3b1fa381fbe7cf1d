#include "platform/user_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/profile_store.h"

namespace velt::platform {

namespace {

bool EqualFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The home directory of the user's entry in /etc/passwd ("name:x:uid:gid:gecos:home:shell"),
// read directly: the name-service library would tie statically linked tools to the shared
// libraries of the system they were built on.
std::string PasswdHome(unsigned uid) {
    std::string text;
    if (!ReadWholeFile("/etc/passwd", text)) return {};
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        std::string_view fields[7];
        std::size_t n = 0, from = 0;
        while (n < 7) {
            const std::size_t colon = line.find(':', from);
            fields[n++] = line.substr(from, colon == std::string_view::npos ? colon : colon - from);
            if (colon == std::string_view::npos) break;
            from = colon + 1;
        }
        if (n < 6 || fields[2] != std::to_string(uid)) continue;
        if (!fields[5].empty()) return std::string(fields[5]);
    }
    return {};
}

std::string HomeDirectory() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (std::string home = PasswdHome(::getuid()); !home.empty()) return home;
    return "/";
}

// Creates every missing directory of `dir`.
bool MakeDirectories(const std::string& dir) {
    if (dir.empty() || IsDirectory(dir)) return true;
    std::string parent = DirectoryPart(dir);
    if (parent != dir && !MakeDirectories(parent)) return false;
    if (::mkdir(dir.c_str(), 0700) == 0) return true;
    if (errno != EEXIST) return false;
    if (IsDirectory(dir)) return true;  // made by somebody else meanwhile
    errno = ENOTDIR;
    return false;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != s.npos;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string UserStorePath() {
    std::string base;
    // Relative values are to be ignored, as other programs reading the variable do.
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && x[0] == '/')
        base = x;
    else
        base = JoinPath(HomeDirectory(), ".config");
    return JoinPath(JoinPath(base, "nimra"), "registry.ini");
}

bool UserStoreRead(const std::string& keyPath, const std::string& valueName, std::string& out) {
    std::string path = UserStorePath();
    if (!IsRegularFile(path)) return false;
    // An empty value and a missing one read alike through the profile calls; the key list
    // tells them apart.
    bool found = false;
    for (const std::string& key : ProfileKeys(path, keyPath)) {
        if (EqualFolded(key, valueName)) {
            found = true;
            break;
        }
    }
    if (!found) return false;
    out = ProfileGetString(path, keyPath, valueName, "");
    return true;
}

bool UserStoreWrite(const std::string& keyPath, const std::string& valueName,
                    const std::string& value, int* error) {
    auto fail = [error](int code) {
        if (error) *error = code;
        return false;
    };
    // A line break would end the line early and let the rest be read as keys or sections of
    // its own; names that the file format cannot hold are refused rather than mangled.
    if (keyPath.empty() || valueName.empty() || HasLineBreak(keyPath) || HasLineBreak(valueName) ||
        HasLineBreak(value) || keyPath.find(']') != keyPath.npos ||
        valueName.find('=') != valueName.npos || valueName.front() == '[' ||
        valueName.front() == ';' || IsBlank(valueName.front()) || IsBlank(valueName.back()))
        return fail(EINVAL);

    std::string path = UserStorePath();
    errno = 0;
    if (!MakeDirectories(DirectoryPart(path))) return fail(errno ? errno : EACCES);

    errno = 0;
    if (!ProfileWriteString(path, keyPath, valueName, std::string_view(value)))
        return fail(errno ? errno : EIO);
    if (error) *error = 0;
    return true;
}

}  // namespace velt::platform
