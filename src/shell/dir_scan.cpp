#include "shell/dir_scan.h"

#include "platform/files.h"

namespace velt {
namespace {

namespace pf = velt::platform;

DirScanState gScan;

bool Start(const std::string& pattern, bool onlyDirectories, std::string& path) {
    DirScanClose();
    std::string dir = pf::DirectoryPart(pattern);
    gScan.directory = pf::ResolveName(pf::MakeAbsolute(dir.empty() ? "." : dir));
    gScan.pattern = pf::NamePart(pattern);
    gScan.onlyDirectories = onlyDirectories;
    gScan.open = true;
    std::vector<pf::DirEntry> entries;
    if (pf::ListDirectory(gScan.directory, entries)) {
        for (const auto& e : entries) {
            if (onlyDirectories && !e.isDirectory) continue;
            if (pf::FilePatternMatch(gScan.pattern, e.name)) gScan.names.push_back(e.name);
        }
    }
    return DirScanNext(path);
}

}  // namespace

bool DirScanFirst(const std::string& pattern, std::string& path) {
    return Start(pattern, false, path);
}

bool DirScanFirstDirectory(const std::string& pattern, std::string& path) {
    return Start(pattern, true, path);
}

bool DirScanNext(std::string& path) {
    if (!gScan.open || gScan.next >= gScan.names.size()) return false;
    path = pf::JoinPath(gScan.directory, gScan.names[gScan.next++]);
    return true;
}

void DirScanClose() { gScan = DirScanState{}; }

DirScanState DirScanSave() { return gScan; }

void DirScanRestore(DirScanState state) { gScan = std::move(state); }

}  // namespace velt
