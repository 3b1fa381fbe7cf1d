#include "link_map.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace nimra {

namespace {

std::string Hex(uint64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%08" PRIx64, v);
    return buf;
}

}  // namespace

std::string MakeLinkMap(const std::string& outputName, const ElfImage& image) {
    std::string out = "Map of " + outputName + "\n\nEntry point: " + Hex(image.entry) + "\n";

    out += "\nSections\n  Address   Size      Name\n";
    for (const ElfSection& s : image.sections) {
        if (s.name.empty() || !(s.flags & 2)) continue;  // only what is loaded
        out += "  " + Hex(s.addr) + "  " + Hex(s.size) + "  " + s.name + "\n";
    }

    std::vector<const ElfSymbol*> symbols;
    for (const ElfSymbol& s : image.symbols) {
        if (s.name.empty() || s.shndx == kShnUndef || s.section.empty()) continue;
        if (s.type != 0 && s.type != 1 && s.type != 2 && s.type != 10) continue;
        symbols.push_back(&s);
    }
    std::stable_sort(symbols.begin(), symbols.end(), [](const ElfSymbol* a, const ElfSymbol* b) {
        return a->value != b->value ? a->value < b->value : a->name < b->name;
    });
    size_t width = 7;
    for (const ElfSymbol* s : symbols)
        width = std::max(width, std::min<size_t>(s->section.size(), 24));
    out += "\nSymbols by address\n  Address   " + std::string("Section") +
           std::string(width - 7, ' ') + "  Name\n";
    for (const ElfSymbol* s : symbols) {
        std::string section = s->section;
        if (section.size() < width) section += std::string(width - section.size(), ' ');
        out += "  " + Hex(s->value) + "  " + section + "  " + s->name +
               (s->bind == 0 ? "  (static)" : "") + "\n";
    }
    return out;
}

}  // namespace nimra
