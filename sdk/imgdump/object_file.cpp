#include "object_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace nimra {

namespace {

class Reader {
  public:
    Reader(std::string_view data, bool big) : data_(data), big_(big) {}

    bool Has(uint64_t offset, uint64_t size) const {
        return offset <= data_.size() && size <= data_.size() - offset;
    }

    template <typename T>
    bool Get(uint64_t offset, T& value) const {
        if (!Has(offset, sizeof(T))) return false;
        uint64_t v = 0;
        for (size_t i = 0; i < sizeof(T); ++i) {
            uint64_t byte = static_cast<unsigned char>(data_[offset + i]);
            v |= big_ ? byte << (8 * (sizeof(T) - 1 - i)) : byte << (8 * i);
        }
        value = static_cast<T>(v);
        return true;
    }

    // A word of the file's class: 4 bytes in ELF32, 8 in ELF64.
    bool Word(uint64_t offset, bool is64, uint64_t& value) const {
        if (is64) return Get(offset, value);
        uint32_t v;
        if (!Get(offset, v)) return false;
        value = v;
        return true;
    }

    std::string_view Slice(uint64_t offset, uint64_t size) const {
        return Has(offset, size) ? data_.substr(offset, size) : std::string_view();
    }

  private:
    std::string_view data_;
    bool big_;
};

// A zero-terminated name inside a string table; a name running past the table is cut there.
std::string StringAt(std::string_view table, uint64_t offset) {
    if (offset >= table.size()) return "";
    std::string_view rest = table.substr(offset);
    return std::string(rest.substr(0, rest.find('\0')));
}

uint64_t Align(uint64_t v, uint64_t a) {
    return (v + a - 1) / a * a;
}

void ReadNotes(std::string_view notes, bool big, ElfImage& image) {
    const uint64_t align = 4;
    Reader r(notes, big);
    uint64_t pos = 0;
    while (r.Has(pos, 12)) {
        uint32_t namesz, descsz, type;
        r.Get(pos, namesz);
        r.Get(pos + 4, descsz);
        r.Get(pos + 8, type);
        uint64_t name = pos + 12;
        uint64_t desc = name + Align(namesz, align);
        uint64_t next = desc + Align(descsz, align);
        if (!r.Has(name, namesz) || !r.Has(desc, descsz) || next <= pos) return;
        std::string_view owner = notes.substr(name, namesz);
        if (owner == std::string_view("nimra\0", 6) && type == kNoteSubsystem && descsz >= 4) {
            uint32_t value;
            r.Get(desc, value);
            image.subsystem = value;
        }
        pos = next;
    }
}

}  // namespace

bool LooksLikeElf(std::string_view data) {
    return data.size() >= 4 && data.substr(0, 4) ==
                                   "\x7f"
                                   "ELF";
}

bool ParseElf(std::string_view data, ElfImage& image, std::string& error) {
    image = ElfImage();
    if (!LooksLikeElf(data) || data.size() < 16) {
        error = "not an ELF file";
        return false;
    }
    unsigned char cls = static_cast<unsigned char>(data[4]);
    unsigned char order = static_cast<unsigned char>(data[5]);
    if ((cls != 1 && cls != 2) || (order != 1 && order != 2)) {
        error = "unknown ELF class or byte order";
        return false;
    }
    image.is64 = cls == 2;
    image.bigEndian = order == 2;
    const bool w = image.is64;
    Reader r(data, image.bigEndian);
    if (!r.Has(0, w ? 64 : 52)) {
        error = "truncated ELF header";
        return false;
    }
    uint64_t phoff, shoff;
    uint16_t phentsize, phnum, shentsize, shnum16, shstrndx16;
    r.Get(16, image.type);
    r.Get(18, image.machine);
    r.Word(24, w, image.entry);
    r.Word(w ? 32 : 28, w, phoff);
    r.Word(w ? 40 : 32, w, shoff);
    r.Get(w ? 54 : 42, phentsize);
    r.Get(w ? 56 : 44, phnum);
    r.Get(w ? 58 : 46, shentsize);
    r.Get(w ? 60 : 48, shnum16);
    r.Get(w ? 62 : 50, shstrndx16);

    // Program headers: the interpreter and, for files without sections, the notes.
    std::vector<std::pair<uint64_t, uint64_t>> noteSegments;
    if (phoff && phnum && phentsize >= (w ? 56 : 32)) {
        for (uint32_t i = 0; i < phnum; ++i) {
            uint64_t ph = phoff + uint64_t(i) * phentsize;
            if (!r.Has(ph, phentsize)) break;
            uint32_t ptype;
            uint64_t off, filesz;
            r.Get(ph, ptype);
            r.Word(ph + (w ? 8 : 4), w, off);
            r.Word(ph + (w ? 32 : 16), w, filesz);
            if (ptype == 3) {  // PT_INTERP
                image.hasInterpreter = true;
                image.interpreter = StringAt(r.Slice(off, filesz), 0);
            } else if (ptype == 4) {  // PT_NOTE
                noteSegments.emplace_back(off, filesz);
            }
        }
    }

    // Section headers; counts above 0xff00 live in the first header.
    uint64_t shnum = shnum16;
    uint64_t shstrndx = shstrndx16;
    const uint64_t shdrSize = w ? 64 : 40;
    if (shoff && shentsize >= shdrSize) {
        if (shnum == 0 || shstrndx == 0xffff) {
            uint64_t size0;
            uint32_t link0;
            if (r.Word(shoff + (w ? 32 : 20), w, size0) && shnum == 0) shnum = size0;
            if (r.Get(shoff + (w ? 40 : 24), link0) && shstrndx == 0xffff) shstrndx = link0;
        }
        if (shnum > data.size() / shentsize || !r.Has(shoff, shnum * shentsize)) {
            error = "section headers lie outside the file";
            return false;
        }
    } else {
        shnum = 0;
    }
    struct Raw {
        uint32_t name, link;
        uint64_t entsize;
    };
    std::vector<Raw> raw(shnum);
    image.sections.resize(shnum);
    for (uint64_t i = 0; i < shnum; ++i) {
        uint64_t sh = shoff + i * shentsize;
        ElfSection& s = image.sections[i];
        r.Get(sh, raw[i].name);
        r.Get(sh + 4, s.type);
        r.Word(sh + 8, w, s.flags);
        r.Word(sh + (w ? 16 : 12), w, s.addr);
        r.Word(sh + (w ? 24 : 16), w, s.offset);
        r.Word(sh + (w ? 32 : 20), w, s.size);
        r.Get(sh + (w ? 40 : 24), raw[i].link);
        r.Word(sh + (w ? 56 : 36), w, raw[i].entsize);
    }
    auto contents = [&](uint64_t i) -> std::string_view {
        if (i >= shnum || image.sections[i].type == kShtNobits) return {};
        return r.Slice(image.sections[i].offset, image.sections[i].size);
    };
    std::string_view names = contents(shstrndx);
    for (uint64_t i = 0; i < shnum; ++i) image.sections[i].name = StringAt(names, raw[i].name);

    // Symbols: the full table when present, else the dynamic one.
    uint64_t symtab = shnum;
    for (uint64_t i = 0; i < shnum; ++i) {
        if (image.sections[i].type == kShtSymtab) {
            symtab = i;
            break;
        }
    }
    if (symtab == shnum) {
        for (uint64_t i = 0; i < shnum; ++i) {
            if (image.sections[i].type == kShtDynsym) {
                symtab = i;
                image.dynamicSymbols = true;
                break;
            }
        }
    }
    if (symtab < shnum) {
        const uint64_t symSize = w ? 24 : 16;
        std::string_view table = contents(symtab);
        std::string_view strings = contents(raw[symtab].link);
        Reader t(table, image.bigEndian);
        for (uint64_t pos = symSize; t.Has(pos, symSize); pos += symSize) {  // 0 is null
            ElfSymbol s;
            uint32_t name;
            uint8_t info;
            t.Get(pos, name);
            if (w) {
                t.Get(pos + 4, info);
                t.Get(pos + 6, s.shndx);
                t.Get(pos + 8, s.value);
                t.Get(pos + 16, s.size);
            } else {
                uint32_t v, sz;
                t.Get(pos + 4, v);
                t.Get(pos + 8, sz);
                t.Get(pos + 12, info);
                t.Get(pos + 14, s.shndx);
                s.value = v;
                s.size = sz;
            }
            s.bind = info >> 4;
            s.type = info & 0xf;
            s.name = StringAt(strings, name);
            if (s.shndx != kShnUndef && s.shndx < shnum) s.section = image.sections[s.shndx].name;
            image.symbols.push_back(std::move(s));
        }
    }

    // Needed libraries from the dynamic section.
    for (uint64_t i = 0; i < shnum; ++i) {
        if (image.sections[i].type != 6) continue;  // SHT_DYNAMIC
        std::string_view dyn = contents(i);
        std::string_view strings = contents(raw[i].link);
        Reader d(dyn, image.bigEndian);
        const uint64_t entSize = w ? 16 : 8;
        for (uint64_t pos = 0; d.Has(pos, entSize); pos += entSize) {
            uint64_t tag, value;
            d.Word(pos, w, tag);
            d.Word(pos + (w ? 8 : 4), w, value);
            if (tag == 0) break;
            if (tag == 1) image.needed.push_back(StringAt(strings, value));
        }
    }

    bool noteSections = false;
    for (uint64_t i = 0; i < shnum; ++i) {
        if (image.sections[i].type != kShtNote) continue;
        noteSections = true;
        ReadNotes(contents(i), image.bigEndian, image);
    }
    if (!noteSections) {
        for (auto [off, size] : noteSegments) ReadNotes(r.Slice(off, size), image.bigEndian, image);
    }
    return true;
}

bool LooksLikeArchive(std::string_view data) {
    return data.substr(0, 8) == "!<arch>\n";
}

bool ParseArchive(std::string_view data, std::vector<ArMember>& members, std::string& error) {
    members.clear();
    if (!LooksLikeArchive(data)) {
        error = "not an archive";
        return false;
    }
    std::string_view longNames;
    size_t pos = 8;
    while (pos < data.size()) {
        if (data.size() - pos < 60) {
            error = "truncated member header";
            return false;
        }
        std::string_view header = data.substr(pos, 60);
        if (header.substr(58, 2) != "`\n") {
            error = "damaged member header";
            return false;
        }
        std::string sizeText(header.substr(48, 10));
        uint64_t size = 0;
        bool digits = false;
        for (char c : sizeText) {
            if (c == ' ') break;
            if (c < '0' || c > '9') {
                error = "damaged member size";
                return false;
            }
            size = size * 10 + static_cast<uint64_t>(c - '0');
            digits = true;
        }
        pos += 60;
        if (!digits || size > data.size() - pos) {
            error = "member runs past the end of the archive";
            return false;
        }
        std::string_view body = data.substr(pos, size);
        std::string name(header.substr(0, 16));
        name.erase(name.find_last_not_of(' ') + 1);
        pos += size + (size & 1);
        if (name == "/" || name == "/SYM64/" || name == "__.SYMDEF" || name == "__.SYMDEF SORTED") {
            continue;  // symbol index
        }
        if (name == "//") {
            longNames = body;
            continue;
        }
        if (name.size() > 1 && name[0] == '/' && name[1] >= '0' && name[1] <= '9') {
            uint64_t offset = std::strtoull(name.c_str() + 1, nullptr, 10);
            std::string_view rest = offset < longNames.size() ? longNames.substr(offset) : "";
            name = std::string(rest.substr(0, rest.find_first_of("\n")));
            if (!name.empty() && name.back() == '/') name.pop_back();
        } else if (name.compare(0, 3, "#1/") == 0) {  // BSD: the name starts the body
            uint64_t length = std::strtoull(name.c_str() + 3, nullptr, 10);
            if (length > body.size()) {
                error = "member name runs past its member";
                return false;
            }
            name = std::string(body.substr(0, length));
            name = name.substr(0, name.find('\0'));
            body = body.substr(length);
        } else if (!name.empty() && name.back() == '/') {
            name.pop_back();
        }
        members.push_back({name, body});
        if (pos > data.size()) break;
    }
    return true;
}

std::string MachineName(uint16_t machine) {
    switch (machine) {
        case 3:
            return "Intel 386";
        case 62:
            return "x86-64";
        case 40:
            return "ARM";
        case 183:
            return "AArch64";
        case 8:
            return "MIPS";
        case 20:
            return "PowerPC";
        case 21:
            return "PowerPC 64";
        case 243:
            return "RISC-V";
        case 0:
            return "none";
        default:
            return "machine " + std::to_string(machine);
    }
}

}  // namespace nimra
