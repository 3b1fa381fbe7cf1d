// The files of a new application's skeleton.
#pragma once

#include <string>
#include <vector>

namespace skelgen {

enum class Kind { Windows, Console, Dll };

struct SkeletonFile {
    std::string name;  // inside the project directory
    std::string contents;
    bool listed = false;  // named in the answer file (a project file)
};

// The skeleton of project `name`: console, <name>.c with main; Windows, <name>.c with
// WinMain, its resource script <name>.rc and their shared <name>res.h; DLL, <name>.c with
// LibMain and an exported function, declared in <name>.h. At most two files are listed.
std::vector<SkeletonFile> MakeSkeleton(const std::string& name, Kind kind);

// Whether a project name can name the files and stand in C and resource strings as it is.
bool UsableProjectName(const std::string& name);

}  // namespace skelgen
