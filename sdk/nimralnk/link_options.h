// The linker's command line as the generated makefiles write it:
//   nimralnk.exe [-s] [-dll] [-subsystem console|windows] [-map <file>] [-entry <name>]
//                [-nounderscores] [-L <dir>] -o <output> <objects> <libraries> <resources>
#pragma once

#include <string>
#include <vector>

namespace nimra {

struct LinkOptions {
    std::string output;
    bool strip = false;
    bool dll = false;
    bool noUnderscores = false;
    std::string subsystem;  // "console", "windows" or empty (console)
    std::string map;
    std::string entry;
    std::vector<std::string> objects;    // .obj, .o
    std::vector<std::string> libraries;  // .lib, .a, and DLLs named directly
    std::vector<std::string> resources;  // .res
    std::vector<std::string> libDirs;    // -L
};

// False with `error` set for an unknown option, a missing value or an input of unknown kind.
// Names keep their spelling; '\' between path parts becomes '/'.
bool ParseLinkOptions(const std::vector<std::string>& args, LinkOptions& options,
                      std::string& error);

}  // namespace nimra
