// nimralib: makes a static library from objects with the host's ar, as the generated makefiles
// call it: nimralib /OUT:<library> <objects>. The library is made anew under a temporary name and
// replaces the old one only when complete, so members of objects no longer listed do not linger
// and a failure leaves the old library as it was.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host.h"
#include "object_file.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "Error nimralib: %s\n", message.c_str());
    return 1;
}

bool IsOutOption(const std::string& arg) {
    return arg.size() > 5 && (arg[0] == '/' || arg[0] == '-') &&
           nimra::Lower(arg.substr(1, 4)) == "out:";
}

}  // namespace

int main(int argc, char** argv) {
    std::string out;
    std::vector<std::string> objects;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (IsOutOption(arg)) {
            out = nimra::ToSlashes(arg.substr(5));
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail("unknown option " + arg);
        } else {
            objects.push_back(nimra::ToSlashes(arg));
        }
    }
    if (objects.empty()) return Fail("no object files");
    if (out.empty()) {
        std::string first = nimra::BaseName(objects.front());
        out = first.substr(0, first.find_last_of('.')) + ".lib";
    }

    std::vector<std::string> found;
    for (const std::string& obj : objects) {
        std::string path = nimra::FindNoCase(nimra::DirName(obj), nimra::BaseName(obj));
        std::string data;
        if (path.empty() || !nimra::ReadWholeFile(path, data)) return Fail("cannot open " + obj);
        nimra::ElfImage image;
        std::string error;
        if (!nimra::LooksLikeElf(data) || !nimra::ParseElf(data, image, error) ||
            image.type != nimra::kElfRel) {
            return Fail(obj + " is not an object file");
        }
        found.push_back(path);
    }

    std::string outDir = nimra::DirName(out);
    std::string partial = nimra::JoinPath(outDir, "." + nimra::BaseName(out) + ".nimralib-XXXXXX");
    int fd = ::mkstemp(partial.data());
    if (fd < 0) return Fail("cannot write in " + outDir + ": " + std::strerror(errno));
    ::close(fd);
    ::unlink(partial.c_str());  // ar makes the archive itself

    std::vector<std::string> cmd = {"ar", "rcs", partial};
    cmd.insert(cmd.end(), found.begin(), found.end());
    std::string output;
    nimra::RunOptions run;
    run.output = &output;
    run.extraEnv = {"LC_ALL=C"};
    int rc = nimra::Run(cmd, run);
    if (rc != 0) {
        ::unlink(partial.c_str());
        if (rc < 0) return Fail(std::string("cannot run ar: ") + std::strerror(errno));
        std::string text = output.substr(0, output.find('\n'));
        return Fail("ar failed" + (text.empty() ? std::string() : ": " + text));
    }
    if (::rename(partial.c_str(), out.c_str()) != 0) {
        ::unlink(partial.c_str());
        return Fail("cannot write " + out + ": " + std::strerror(errno));
    }
    return 0;
}
