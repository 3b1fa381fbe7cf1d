#include "platform/user_store.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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

std::string HomeDirectory() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const struct passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
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
