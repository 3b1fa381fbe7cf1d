#include "shell/compiler_root.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/files.h"
#include "platform/user_store.h"
#include "shell/file_helpers.h"
#include "shell/messages.h"
#include "shell/msgbox.h"

namespace velt {

namespace pf = velt::platform;

namespace {

// The registry buffer of the system held 512 bytes.
constexpr std::size_t kMaxRegistryValue = 511;

// Drops trailing separators, keeping a lone root separator.
std::string WithoutTrailingSeparators(std::string s) {
    while (s.size() > 1 && s.back() == pf::kPathSeparator) s.pop_back();
    return s;
}

std::vector<std::string> SplitParts(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(';', start);
        std::string part = text.substr(start, end == std::string::npos ? end : end - start);
        // An empty part (a list ending in ';') names nothing to check.
        if (!part.empty()) parts.push_back(std::move(part));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (parts.empty()) parts.push_back(text);
    return parts;
}

bool CanEnterDirectory(const std::string& dir) {
    const std::string saved = pf::CurrentDirectory();
    if (!pf::SetCurrentDirectory(pf::ResolveName(dir))) return false;
    pf::SetCurrentDirectory(saved);
    return true;
}

bool ReadIncludePath(std::string& value) {
    if (!pf::UserStoreRead(kCompilerKeyPath, kIncludePathValue, value)) return false;
    if (value.size() > kMaxRegistryValue) value.resize(kMaxRegistryValue);
    return true;
}

}  // namespace

std::string UnderRoot(const std::string& root, std::string_view rest) {
    if (root.empty()) return std::string(rest);
    std::string path = root;
    if (path.back() != pf::kPathSeparator) path += pf::kPathSeparator;
    path += rest;
    return path;
}

bool RootFromIncludePath(const std::string& includePath, std::string& root) {
    const std::string value = WithoutTrailingSeparators(includePath);
    const std::size_t sep = value.rfind(pf::kPathSeparator);
    if (sep == std::string::npos) return false;
    root = value.substr(0, sep);
    return true;
}

std::optional<std::string> ReadCompilerLocation(std::string& root) {
    std::string value;
    if (!ReadIncludePath(value)) return std::nullopt;
    if (!RootFromIncludePath(value, root)) {
        ShowMessage("Incorrect path for compiler in registry");
        return std::nullopt;
    }
    return value;
}

bool LoadCompilerRootAtStartup(std::string& root) {
    std::string value;
    ReadIncludePath(value);  // a missing value is checked as the empty text
    if (!RootFromIncludePath(value, root)) {
        ShowMessage("Incorrect value for Include path in the registry\nKey: includePath");
        return false;
    }
    return true;
}

bool ValidateRoot(const std::string& text) {
    // No drive letters on this host, so there is no drive name to check.
    if (!CheckDirectory(text, false)) return false;
    bool ok = true;
    if (FileExists(UnderRoot(text, "bin/nimra.exe")) != 0) {
        ShowMessage(FormatText("Can't find %s/bin/nimra.exe", text.c_str()));
        ok = false;
    }
    if (FileExists(UnderRoot(text, "lib/kernel32.lib")) != 0) {
        ShowMessage(FormatText("Can't find %s/lib/kernel32.lib", text.c_str()));
        ok = false;
    }
    return ok;
}

bool ChangeCompilerRoot(const std::string& text, std::string& root) {
    if (text == root) return true;
    if (!ValidateRoot(text)) return false;
    const std::string newRoot = WithoutTrailingSeparators(text);
    int error = 0;
    if (!pf::UserStoreWrite(kCompilerKeyPath, kIncludePathValue, UnderRoot(newRoot, "include"),
                            &error) ||
        !pf::UserStoreWrite(kLinkerKeyPath, kLibPathValue, UnderRoot(newRoot, "lib"), &error)) {
        ShowMessage(FormatText("Error %d writing to the registry", error));
        return false;
    }
    root = newRoot;
    return true;
}

bool RegisterDefaultRoot(const std::string& root) {
    std::string existing;
    if (pf::UserStoreRead(kCompilerKeyPath, kIncludePathValue, existing)) return true;
    const std::string r = WithoutTrailingSeparators(root);
    return pf::UserStoreWrite(kCompilerKeyPath, kIncludePathValue, UnderRoot(r, "include")) &&
           pf::UserStoreWrite(kLinkerKeyPath, kLibPathValue, UnderRoot(r, "lib"));
}

bool CheckDirectory(const std::string& text, bool offerCreation) {
    for (const std::string& part : SplitParts(text)) {
        if (CanEnterDirectory(part)) continue;
        if (!offerCreation) {
            ShowMessage(FormatText("Directory %s doesn't exist", part.c_str()));
            return false;
        }
        if (!AskYesNo(FormatText("Directory %s does not exist. Create it?", part.c_str())))
            return false;
        if (!pf::CreateDirectory(pf::ResolveName(part))) {
            ShowMessage(FormatText("Impossible to create %s", part.c_str()));
            return false;
        }
    }
    return true;
}

bool ParseNumberEntry(const std::string& text, int& out) {
    bool valid = false;
    std::size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    if (i < text.size()) {
        valid = true;
        for (std::size_t k = i; k < text.size(); ++k)
            if (text[k] < '0' || text[k] > '9') valid = false;
    }
    if (valid) {
        // A bare sign has no digits, and a number beyond int would not convert to itself.
        errno = 0;
        const long long n = std::strtoll(text.c_str(), nullptr, 10);
        if (errno == 0 && n >= INT_MIN && n <= INT_MAX) {
            out = static_cast<int>(n);
            return true;
        }
    }
    ShowMessage(FormatText("Incorrect number '%s'", text.c_str()));
    return false;
}

}  // namespace velt
