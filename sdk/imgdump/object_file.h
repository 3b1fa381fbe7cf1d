// Reading ELF objects, programs and shared libraries (32 and 64 bits, either byte order) and ar
// archives. Every offset read from the file is checked against its size, so a damaged or
// hostile file gives an error, never a read outside the data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nimra {

// The subsystem recorded by nimralnk in a note named "nimra" (the PE values).
constexpr uint32_t kNoteSubsystem = 1;
constexpr uint32_t kSubsystemWindows = 2;
constexpr uint32_t kSubsystemConsole = 3;

enum : uint16_t { kElfRel = 1, kElfExec = 2, kElfDyn = 3, kElfCore = 4 };
enum : uint32_t { kShtSymtab = 2, kShtNote = 7, kShtNobits = 8, kShtDynsym = 11 };
enum : uint16_t { kShnUndef = 0, kShnAbs = 0xfff1, kShnCommon = 0xfff2 };

struct ElfSection {
    std::string name;
    uint32_t type = 0;
    uint64_t flags = 0;
    uint64_t addr = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
};

struct ElfSymbol {
    std::string name;
    uint64_t value = 0;
    uint64_t size = 0;
    uint8_t bind = 0;  // 0 local, 1 global, 2 weak
    uint8_t type = 0;  // 0 none, 1 object, 2 function, 3 section, 4 file
    uint16_t shndx = 0;
    std::string section;  // the defining section's name, when it has one
};

struct ElfImage {
    bool is64 = false;
    bool bigEndian = false;
    uint16_t type = 0;
    uint16_t machine = 0;
    uint64_t entry = 0;
    std::vector<ElfSection> sections;
    std::vector<ElfSymbol> symbols;  // of .symtab, or of .dynsym when there is no .symtab
    bool dynamicSymbols = false;
    bool hasInterpreter = false;
    std::string interpreter;
    std::vector<std::string> needed;  // DT_NEEDED
    uint32_t subsystem = 0;           // 0: no nimra note
};

bool LooksLikeElf(std::string_view data);
bool ParseElf(std::string_view data, ElfImage& image, std::string& error);

struct ArMember {
    std::string name;
    std::string_view data;
};

bool LooksLikeArchive(std::string_view data);
// The members in file order, without the symbol index and the long-name table.
bool ParseArchive(std::string_view data, std::vector<ArMember>& members, std::string& error);

std::string MachineName(uint16_t machine);

}  // namespace nimra
