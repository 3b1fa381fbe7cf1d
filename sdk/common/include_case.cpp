#include "common/include_case.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "common/names.h"
#include "platform/files.h"

namespace nimra {

namespace fs = std::filesystem;

IncludeCaseShadow::~IncludeCaseShadow() {
    if (dir_.empty()) return;
    std::error_code ec;
    fs::remove_all(dir_, ec);  // removes the links, never what they point to
}

bool IncludeCaseShadow::Link(const std::string& at, const std::string& target) {
    for (const std::string& done : linked_)
        if (done == at) return false;
    std::error_code ec;
    fs::create_directories(fs::path(at).parent_path(), ec);
    if (ec) return false;
    fs::create_symlink(target, at, ec);
    if (ec) return false;
    linked_.push_back(at);
    return true;
}

bool IncludeCaseShadow::LinkMissing(std::string_view hostMessages,
                                    const std::vector<std::string>& includeDirs) {
    static const std::regex missing(
        R"((?:^|\n)(.+?):[0-9]+:(?:[0-9]+:)? fatal error: (.+): No such file or directory)");
    if (linked_.size() >= kMostLinks) return false;
    if (dir_.empty()) {
        std::string templ = velt::platform::TempDirectory() + "/nimra-inc-XXXXXX";
        if (!::mkdtemp(templ.data())) return false;
        dir_ = AbsoluteNormal(templ);
    }
    bool linkedAny = false;
    const std::string text(hostMessages);
    for (std::sregex_iterator it(text.begin(), text.end(), missing), end; it != end; ++it) {
        const std::string includer = AbsoluteNormal((*it)[1]);
        const std::string spelling = (*it)[2];
        if (spelling.empty() || spelling[0] == '/') continue;
        // Where the host will look next time: beside an includer that is itself one of our
        // links (the host takes the link's directory as the includer's), else in our
        // directory, which is searched last.
        const bool linkedIncluder = includer.starts_with(dir_ + "/");
        const std::string at = AbsoluteNormal(
            (linkedIncluder ? fs::path(includer).parent_path().string() : dir_) + "/" + spelling);
        if (!at.starts_with(dir_ + "/")) continue;

        std::vector<std::string> bases;
        std::error_code ec;
        const fs::path realIncluder = fs::canonical(includer, ec);
        if (!ec) bases.push_back(realIncluder.parent_path().string());
        bases.insert(bases.end(), includeDirs.begin(), includeDirs.end());
        for (const std::string& base : bases) {
            const std::string found = velt::platform::ResolveName(base + "/" + spelling);
            if (velt::platform::IsRegularFile(found)) {
                if (Link(at, AbsoluteNormal(found))) linkedAny = true;
                break;
            }
        }
    }
    return linkedAny;
}

std::string IncludeCaseShadow::RealName(const std::string& name) const {
    if (dir_.empty()) return name;
    const std::string abs = AbsoluteNormal(name);
    if (!abs.starts_with(dir_ + "/")) return name;
    std::error_code ec;
    const fs::path real = fs::canonical(abs, ec);
    return ec ? name : real.string();
}

std::string IncludeCaseShadow::RealNamesIn(std::string_view hostMessages) const {
    std::string text(hostMessages);
    if (dir_.empty()) return text;
    // Names inside the directory run from its path up to the next ':' (the host's
    // separator before a line number).
    size_t pos = 0;
    while ((pos = text.find(dir_ + "/", pos)) != std::string::npos) {
        size_t end = text.find(':', pos);
        if (end == std::string::npos) end = text.size();
        const std::string real = RealName(text.substr(pos, end - pos));
        text.replace(pos, end - pos, real);
        pos += real.size();
    }
    return text;
}

}  // namespace nimra
