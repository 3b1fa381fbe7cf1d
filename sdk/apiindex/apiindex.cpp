#include "apiindex.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr const char* kHeader = "nimra api index 1";
constexpr size_t kBuffer = 256;

struct Entry {
    std::string symbol;
    unsigned library;  // into Index::libraries
};

struct Index {
    std::vector<Entry> entries;                                  // sorted by symbol
    std::vector<std::pair<std::string, std::string>> libraries;  // name, description
};

std::mutex gMutex;
Index gIndex;

bool Load(const std::string& path, Index& index) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line != kHeader) return false;
    std::map<std::pair<std::string, std::string>, unsigned> known;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t tab1 = line.find('\t');
        size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos || tab1 == 0) continue;  // not an entry
        std::string lib = line.substr(tab1 + 1, tab2 - tab1 - 1);
        std::string text = line.substr(tab2 + 1);
        if (lib.empty() || lib.size() >= kBuffer || text.size() >= kBuffer) continue;
        auto [it, added] = known.try_emplace({lib, text}, unsigned(index.libraries.size()));
        if (added) index.libraries.emplace_back(lib, text);
        index.entries.push_back({line.substr(0, tab1), it->second});
    }
    // Searching needs the order; a hand-edited file may have lost it. The first of equal
    // symbols wins.
    std::stable_sort(index.entries.begin(), index.entries.end(),
                     [](const Entry& a, const Entry& b) { return a.symbol < b.symbol; });
    index.entries.erase(
        std::unique(index.entries.begin(), index.entries.end(),
                    [](const Entry& a, const Entry& b) { return a.symbol == b.symbol; }),
        index.entries.end());
    return !index.entries.empty();
}

void CopyOut(const std::string& from, char* to) {
    size_t n = std::min(from.size(), kBuffer - 1);
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

}  // namespace

extern "C" int OpenApiIndexFile(const char* path) {
    Index index;
    bool ok = path && Load(path, index);
    std::lock_guard<std::mutex> lock(gMutex);
    gIndex = ok ? std::move(index) : Index();
    return ok ? 1 : 0;
}

extern "C" int OpenApiIndex(const char* rootDir) {
    if (!rootDir) return OpenApiIndexFile(nullptr);
    std::string path = rootDir;
    if (!path.empty() && path.back() != '/') path += '/';
    return OpenApiIndexFile((path + "bin/apiindex.idx").c_str());
}

extern "C" void CloseApiIndex(void) {
    std::lock_guard<std::mutex> lock(gMutex);
    gIndex = Index();
}

extern "C" int FindApi(const char* symbol, char libName[256], char text[256]) {
    if (!symbol || !libName || !text) return -1;
    std::lock_guard<std::mutex> lock(gMutex);
    auto it = std::lower_bound(gIndex.entries.begin(), gIndex.entries.end(), symbol,
                               [](const Entry& e, const char* s) { return e.symbol < s; });
    if (it == gIndex.entries.end() || it->symbol != symbol) return -1;
    const auto& lib = gIndex.libraries[it->library];
    CopyOut(lib.first, libName);
    CopyOut(lib.second, text);
    return static_cast<int>(it - gIndex.entries.begin());
}
