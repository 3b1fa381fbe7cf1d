// skelgen.exe: writes the skeleton of a new application into the project directory and
// tells the IDE what it wrote:
//
//   skelgen.exe /velt:<window> /prjname:<name> /prjpath:<dir> /out:<answer file> [/dll|/console]
//
// The answer file has one "key:value" line per item: the project's name, then the files to
// add to the project. The IDE takes a non-zero exit code for success, so the code is 1 when
// the skeleton was written and 2 when it was not (bad arguments, a file that exists already,
// a write that failed); then nothing is left behind.
#include <cstdio>
#include <string>
#include <vector>

#include "common/names.h"
#include "platform/files.h"
#include "skelgen/skeletons.h"

namespace {

constexpr int kWritten = 1;
constexpr int kFailed = 2;

int Fail(const std::string& text) {
    std::fprintf(stderr, "skelgen: %s\n", text.c_str());
    return kFailed;
}

struct Arguments {
    bool haveWindow = false, haveName = false, havePath = false, haveOut = false;
    std::string name, path, out;
    skelgen::Kind kind = skelgen::Kind::Windows;
    bool kindGiven = false;
};

// The switch an argument starts, with its value; nullptr for none of ours.
const char* SwitchOf(const std::string& arg, std::string& value) {
    static const char* const keys[] = {
        "/velt:", "/prjname:", "/prjpath:", "/out:", "/dll", "/console"};
    for (const char* key : keys) {
        const std::string k = key;
        if (arg.size() < k.size() || nimra::ToLowerAscii(arg.substr(0, k.size())) != k) continue;
        if (k.back() != ':' && arg.size() != k.size()) continue;
        value = arg.substr(k.size());
        return key;
    }
    return nullptr;
}

bool ParseArguments(const std::vector<std::string>& args, Arguments& a, std::string& error) {
    std::string* last = nullptr;  // the value an unquoted blank may have split
    for (const std::string& arg : args) {
        std::string value;
        const char* key = SwitchOf(arg, value);
        if (!key) {
            // The IDE does not quote the values, so a path with a blank arrives in pieces.
            if (!last) {
                error = "unknown argument " + arg;
                return false;
            }
            *last += " " + arg;
            continue;
        }
        const std::string k = key;
        last = nullptr;
        auto once = [&](bool& seen) {
            if (seen) error = k + " given twice";
            seen = true;
            return error.empty();
        };
        if (k == "/velt:") {
            if (!once(a.haveWindow)) return false;
            if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) {
                error = "/velt: needs the window number";
                return false;
            }
        } else if (k == "/prjname:") {
            if (!once(a.haveName)) return false;
            a.name = value;
            last = &a.name;
        } else if (k == "/prjpath:") {
            if (!once(a.havePath)) return false;
            a.path = value;
            last = &a.path;
        } else if (k == "/out:") {
            if (!once(a.haveOut)) return false;
            a.out = value;
            last = &a.out;
        } else {
            if (a.kindGiven) {
                error = "give at most one of /dll and /console";
                return false;
            }
            a.kindGiven = true;
            a.kind = k == "/dll" ? skelgen::Kind::Dll : skelgen::Kind::Console;
        }
    }
    if (!a.haveName || !a.havePath || !a.haveOut) {
        error = "/prjname:, /prjpath: and /out: are needed";
        return false;
    }
    if (!skelgen::UsableProjectName(a.name)) {
        error = "the project name '" + a.name + "' cannot name the skeleton's files";
        return false;
    }
    if (a.path.empty() || a.out.empty()) {
        error = "/prjpath: and /out: need a value";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments a;
    std::string error;
    if (!ParseArguments({argv + 1, argv + argc}, a, error))
        return Fail(error +
                    "\nusage: skelgen.exe /velt:<window> /prjname:<name> /prjpath:<dir> "
                    "/out:<file> [/dll|/console]");

    const std::string dir = nimra::HostPath(a.path);
    if (!velt::platform::IsDirectory(dir))
        return Fail("the project directory " + a.path + " does not exist");
    const std::string out = nimra::HostPath(a.out);

    // The answer names the files under the project path as the IDE gave it, so that the IDE
    // recognises the path and keeps only the names.
    std::string given = a.path;
    while (given.size() > 1 && (given.back() == '/' || given.back() == '\\')) given.pop_back();
    const std::string sep = given.back() == '/' || given.back() == '\\' ? "" : "/";

    const std::vector<skelgen::SkeletonFile> files = skelgen::MakeSkeleton(a.name, a.kind);
    // Never overwrite: the directory may already hold the user's work.
    for (const skelgen::SkeletonFile& f : files) {
        const std::string path = velt::platform::ResolveName(dir + "/" + f.name);
        if (velt::platform::PathExists(path))
            return Fail(path + " exists already; nothing was written");
    }

    std::string answer = "project:" + a.name + "\n";
    const char* keys[] = {"source:", "file:"};
    int listed = 0;
    std::vector<std::string> written;
    auto rollBack = [&] {
        for (const std::string& w : written) velt::platform::DeleteFile(w);
    };
    for (const skelgen::SkeletonFile& f : files) {
        const std::string path = dir + "/" + f.name;
        if (!velt::platform::ReplaceFileAtomically(path, f.contents, false)) {
            rollBack();
            return Fail("cannot write " + path);
        }
        written.push_back(path);
        if (f.listed && listed < 2) answer += keys[listed++] + given + sep + f.name + "\n";
    }
    if (!velt::platform::ReplaceFileAtomically(out, answer, false)) {
        rollBack();
        return Fail("cannot write the answer file " + a.out);
    }
    return kWritten;
}
