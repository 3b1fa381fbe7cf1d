// Directory scans over a file pattern ("dir/*.c"). The scan state is one global record, as
// the callers expect; a recursive scan saves it before descending and restores it after.
#pragma once

#include <string>
#include <vector>

namespace velt {

struct DirScanState {
    std::string directory;  // the pattern's directory, absolute
    std::string pattern;    // the name part of the pattern
    std::vector<std::string> names;
    std::size_t next = 0;
    bool onlyDirectories = false;
    bool open = false;
};

// First entry matching the pattern, as a full path; false when there is none. "." and ".."
// are never returned.
bool DirScanFirst(const std::string& pattern, std::string& path);
// Same, returning only sub-directories.
bool DirScanFirstDirectory(const std::string& pattern, std::string& path);
bool DirScanNext(std::string& path);
// Ends the scan.
void DirScanClose();

// A copy of the current scan, and putting one back (for nested scans).
DirScanState DirScanSave();
void DirScanRestore(DirScanState state);

}  // namespace velt
