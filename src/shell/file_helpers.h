// File helpers over the platform layer, with the system's own results and messages.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace velt {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// 0 when the file can be opened for reading, -1 when not.
int FileExists(const std::string& name);
bool IsDirectory(const std::string& name);
// 0 on success, -1 when the move (or, across file systems, the copy) fails.
int MoveFileAnyDrive(const std::string& from, const std::string& to);
// True on success.
bool MakeReadOnly(const std::string& name);
// 1 on success; on failure shows "Impossible to open %s for writing!" and returns 0.
int MakeWritable(const std::string& name);
// Opens a file for writing, asking "%s exists already. Erase it?" first when it exists.
// Null when refused or when it cannot be opened (then the cannot-open box is shown).
FilePtr CreateOutputFile(const std::string& name);
// The local time as "%d.%d.%d.%d.%d.%d": year, month, day, hour, minute, second.
std::string TimeStampText();

}  // namespace velt
