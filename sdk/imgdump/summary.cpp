#include "summary.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "library_kind.h"
#include "object_file.h"

namespace nimra {

namespace {

constexpr size_t kNameColumnLimit = 40;

std::string Hex(uint64_t v, bool is64) {
    char buf[24];
    std::snprintf(buf, sizeof buf, is64 ? "0x%016" PRIx64 : "0x%08" PRIx64, v);
    return buf;
}

std::string Padded(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string KindOf(const ElfImage& image) {
    switch (image.type) {
        case kElfRel:
            return "object file";
        case kElfExec:
            return "executable";
        case kElfDyn:
            return image.hasInterpreter ? "executable" : "shared library (DLL)";
        case kElfCore:
            return "core dump";
        default:
            return "ELF file of type " + std::to_string(image.type);
    }
}

std::string SectionKind(const ElfSection& s) {
    const uint64_t write = 1, alloc = 2, exec = 4;
    if (s.name.compare(0, 6, ".debug") == 0) return "debug information";
    switch (s.type) {
        case 2:
        case 11:
            return "symbols";
        case 3:
            return "strings";
        case 4:
        case 9:
            return "relocations";
        case 6:
            return "dynamic linking";
        case kShtNote:
            return "notes";
        case 17:
            return "group";
        case kShtNobits:
            return "uninitialised data";
        default:
            break;
    }
    if (s.flags & alloc) {
        if (s.flags & exec) return "code";
        if (s.flags & write) return "data";
        return "read-only data";
    }
    return "other";
}

std::string SymbolKind(const ElfSymbol& s) {
    std::string kind = s.type == 2    ? "function"
                       : s.type == 1  ? "data"
                       : s.type == 10 ? "ifunc"
                                      : "";
    if (s.bind == 2) kind += kind.empty() ? "weak" : ", weak";
    return kind;
}

void SummarizeElf(const ElfImage& image, const std::string& indent, std::string& out) {
    const bool w = image.is64;
    out += indent + "Kind: " + KindOf(image) + "\n";
    out += indent + "Format: " + std::string(w ? "ELF64" : "ELF32") +
           (image.bigEndian ? ", big-endian" : ", little-endian") + "\n";
    out += indent + "Machine: " + MachineName(image.machine) + "\n";
    if (image.type == kElfExec || image.type == kElfDyn) {
        out += indent + "Entry point: " + Hex(image.entry, w) + "\n";
    }
    if (image.subsystem == kSubsystemConsole) out += indent + "Subsystem: console\n";
    if (image.subsystem == kSubsystemWindows) out += indent + "Subsystem: windows\n";
    if (image.hasInterpreter) out += indent + "Interpreter: " + image.interpreter + "\n";
    for (const std::string& lib : image.needed) out += indent + "Needs: " + lib + "\n";

    size_t width = 4;
    for (size_t i = 1; i < image.sections.size(); ++i) {
        width = std::max(width, std::min(image.sections[i].name.size(), kNameColumnLimit));
    }
    size_t count = image.sections.empty() ? 0 : image.sections.size() - 1;
    out += indent + "Sections: " + std::to_string(count) + "\n";
    for (size_t i = 1; i < image.sections.size(); ++i) {
        const ElfSection& s = image.sections[i];
        char size[32];
        std::snprintf(size, sizeof size, "%10" PRIu64, s.size);
        out += indent + "  " + Padded(s.name.empty() ? "(no name)" : s.name, width) + " " + size +
               " bytes  " + SectionKind(s) + "\n";
    }

    std::vector<const ElfSymbol*> defined, undefined;
    for (const ElfSymbol& s : image.symbols) {
        if (s.name.empty() || s.type == 3 || s.type == 4) continue;  // section and file names
        if (s.bind != 1 && s.bind != 2) continue;                    // locals stay private
        (s.shndx == kShnUndef ? undefined : defined).push_back(&s);
    }
    auto byName = [](const ElfSymbol* a, const ElfSymbol* b) { return a->name < b->name; };
    std::sort(defined.begin(), defined.end(), byName);
    std::sort(undefined.begin(), undefined.end(), byName);
    if (image.dynamicSymbols) out += indent + "(symbols of the dynamic table)\n";

    width = 4;
    for (const ElfSymbol* s : defined)
        width = std::max(width, std::min(s->name.size(), kNameColumnLimit));
    size_t secWidth = 4;
    for (const ElfSymbol* s : defined)
        secWidth = std::max(secWidth, std::min(s->section.size(), kNameColumnLimit));
    out += indent + "Defined symbols: " + std::to_string(defined.size()) + "\n";
    for (const ElfSymbol* s : defined) {
        std::string where = s->shndx == kShnAbs      ? "(absolute)"
                            : s->shndx == kShnCommon ? "(common)"
                                                     : s->section;
        std::string line = indent + "  " + Padded(s->name, width) + " " + Padded(where, secWidth) +
                           " " + Hex(s->value, w);
        std::string kind = SymbolKind(*s);
        if (!kind.empty()) line += "  " + kind;
        out += line + "\n";
    }
    out += indent + "Undefined symbols: " + std::to_string(undefined.size()) + "\n";
    for (const ElfSymbol* s : undefined) {
        out += indent + "  " + s->name + (s->bind == 2 ? "  (weak)" : "") + "\n";
    }
}

bool SummarizeArchive(std::string_view data, std::string& out, std::string& error) {
    std::vector<ArMember> members;
    if (!ParseArchive(data, members, error)) return false;
    out += "Kind: static library\n";
    size_t width = 4;
    for (const ArMember& m : members)
        width = std::max(width, std::min(m.name.size(), kNameColumnLimit));
    out += "Members: " + std::to_string(members.size()) + "\n";
    for (const ArMember& m : members) {
        char size[32];
        std::snprintf(size, sizeof size, "%10zu", m.data.size());
        out += "  " + Padded(m.name, width) + " " + size + " bytes\n";
    }
    for (const ArMember& m : members) {
        out += "\nMember " + m.name + "\n";
        ElfImage image;
        std::string memberError;
        if (LooksLikeElf(m.data) && ParseElf(m.data, image, memberError)) {
            SummarizeElf(image, "  ", out);
        } else {
            out += "  Kind: " +
                   (memberError.empty() ? std::string("not an object file")
                                        : "damaged object file: " + memberError) +
                   "\n";
        }
    }
    return true;
}

}  // namespace

bool Summarize(const std::string& name, std::string_view data, std::string& out,
               std::string& error) {
    std::string text = "File: " + name + "\n";
    if (LooksLikeElf(data)) {
        ElfImage image;
        if (!ParseElf(data, image, error)) return false;
        SummarizeElf(image, "", text);
    } else if (LooksLikeArchive(data)) {
        if (!SummarizeArchive(data, text, error)) return false;
    } else {
        LibraryInfo lib = ClassifyLibrary(data);
        if (lib.kind == LibraryKind::Import) {
            text += "Kind: import library\nImports from: " + lib.dll + "\n";
        } else if (lib.kind == LibraryKind::HostMarker && lib.hostLibs.empty()) {
            text += "Kind: system library (provided by the host's C library)\n";
        } else if (lib.kind == LibraryKind::HostMarker) {
            text += "Kind: system library\nHost libraries:";
            for (const std::string& l : lib.hostLibs) text += " lib" + l;
            text += "\n";
        } else {
            error = "not an object file, library or program";
            return false;
        }
    }
    out += text;
    return true;
}

bool IsConsoleProgram(std::string_view data) {
    if (data.substr(0, 2) == "#!") return true;
    ElfImage image;
    std::string error;
    if (!LooksLikeElf(data) || !ParseElf(data, image, error)) return false;
    bool program = image.type == kElfExec || (image.type == kElfDyn && image.hasInterpreter);
    return program && image.subsystem != kSubsystemWindows;
}

}  // namespace nimra
