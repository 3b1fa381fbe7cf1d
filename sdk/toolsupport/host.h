// What the linker, librarian, make, dumper and console runner share: where the compiler system
// is installed, running host programs, temporary directories and file-name helpers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nimra {

// The root of the installed compiler system: the parent of the directory holding this program.
std::string RootDir();

struct RunOptions {
    std::string* output = nullptr;      // when set, stdout and stderr are collected here
    std::vector<std::string> extraEnv;  // NAME=VALUE entries replacing or adding variables
};

// Runs argv (argv[0] searched in PATH) and waits. Returns the exit code, 128 + the signal
// number when the program died of a signal, -1 when it could not be started.
int Run(const std::vector<std::string>& argv, const RunOptions& options = {});

// A private directory under $TMPDIR (or /tmp), removed with everything in it on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

bool ReadWholeFile(const std::string& path, std::string& data);
bool WriteWholeFile(const std::string& path, std::string_view data);
bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);

std::string Lower(std::string text);
// The extension of the last path component, lower-cased, without the dot; empty when none.
std::string Extension(const std::string& path);
std::string BaseName(const std::string& path);
// The directory part of a path, "." when there is none.
std::string DirName(const std::string& path);
std::string JoinPath(const std::string& dir, const std::string& name);
// Windows-style names from makefiles and project settings use '\' between path parts.
std::string ToSlashes(std::string path);

// The entry of `dir` named `name` without regard to letter case (an exact match wins), as a
// path joined to `dir`; empty when there is none.
std::string FindNoCase(const std::string& dir, const std::string& name);

// Text for messages: a name with a blank is shown in double quotes.
std::string Quoted(const std::string& name);

}  // namespace nimra
