#include "object_file.h"

#include <gtest/gtest.h>

#include "library_kind.h"
#include "summary.h"

namespace nimra {
namespace {

// Builds small ELF files of either class and byte order: a header, the sections' contents,
// the section-name table and the section headers, and program headers over chosen sections.
class ElfBuilder {
  public:
    ElfBuilder(bool is64, bool big, uint16_t type) : is64_(is64), big_(big), type_(type) {}

    struct Section {
        std::string name;
        uint32_t type;
        uint64_t flags;
        std::string data;
        uint32_t link = 0;
    };
    // Returns the section's index (the null section is 0).
    size_t Add(Section s) {
        sections_.push_back(std::move(s));
        return sections_.size();
    }
    void Segment(uint32_t type, size_t section) { segments_.emplace_back(type, section); }

    // One symbol table entry in this file's format.
    std::string Symbol(uint32_t name, uint64_t value, uint8_t info, uint16_t shndx) const {
        std::string s;
        Put(s, name, 4);
        if (is64_) {
            Put(s, info, 1);
            Put(s, 0, 1);
            Put(s, shndx, 2);
            Put(s, value, 8);
            Put(s, 0, 8);
        } else {
            Put(s, value, 4);
            Put(s, 0, 4);
            Put(s, info, 1);
            Put(s, 0, 1);
            Put(s, shndx, 2);
        }
        return s;
    }

    std::string Note(const std::string& owner, uint32_t type, uint32_t value) const {
        std::string s;
        Put(s, owner.size() + 1, 4);
        Put(s, 4, 4);
        Put(s, type, 4);
        s += owner + '\0';
        while (s.size() % 4) s += '\0';
        Put(s, value, 4);
        return s;
    }

    std::string Build() const {
        const size_t ehsize = is64_ ? 64 : 52, phentsize = is64_ ? 56 : 32;
        const size_t shentsize = is64_ ? 64 : 40;
        std::string names(1, '\0');
        std::vector<uint32_t> nameOffsets;
        for (const Section& s : sections_) {
            nameOffsets.push_back(static_cast<uint32_t>(names.size()));
            names += s.name + '\0';
        }
        uint32_t shstrName = static_cast<uint32_t>(names.size());
        names += std::string(".shstrtab") + '\0';

        std::string body;
        std::vector<uint64_t> offsets;
        uint64_t base = ehsize + segments_.size() * phentsize;
        for (const Section& s : sections_) {
            offsets.push_back(base + body.size());
            body += s.data;
            while (body.size() % 8) body += '\0';
        }
        uint64_t namesOffset = base + body.size();
        body += names;
        while (body.size() % 8) body += '\0';
        uint64_t shoff = base + body.size();

        std::string out = std::string(
            "\x7f"
            "ELF",
            4);
        out += static_cast<char>(is64_ ? 2 : 1);
        out += static_cast<char>(big_ ? 2 : 1);
        out += '\x01';
        out += std::string(9, '\0');
        Put(out, type_, 2);
        Put(out, is64_ ? 62 : 3, 2);
        Put(out, 1, 4);
        Put(out, 0x8049000, is64_ ? 8 : 4);
        Put(out, segments_.empty() ? 0 : ehsize, is64_ ? 8 : 4);
        Put(out, shoff, is64_ ? 8 : 4);
        Put(out, 0, 4);
        Put(out, ehsize, 2);
        Put(out, phentsize, 2);
        Put(out, segments_.size(), 2);
        Put(out, shentsize, 2);
        Put(out, sections_.size() + 2, 2);
        Put(out, sections_.size() + 1, 2);
        for (auto [type, index] : segments_) {
            const Section& s = sections_[index - 1];
            Put(out, type, 4);
            if (is64_) Put(out, 4, 4);
            Put(out, offsets[index - 1], is64_ ? 8 : 4);
            Put(out, 0, is64_ ? 8 : 4);
            Put(out, 0, is64_ ? 8 : 4);
            Put(out, s.data.size(), is64_ ? 8 : 4);
            Put(out, s.data.size(), is64_ ? 8 : 4);
            if (!is64_) Put(out, 4, 4);
            Put(out, 4, is64_ ? 8 : 4);
        }
        out += body;
        out += std::string(shentsize, '\0');
        for (size_t i = 0; i <= sections_.size(); ++i) {
            bool strtab = i == sections_.size();
            const uint32_t type = strtab ? 3 : sections_[i].type;
            Put(out, strtab ? shstrName : nameOffsets[i], 4);
            Put(out, type, 4);
            Put(out, strtab ? 0 : sections_[i].flags, is64_ ? 8 : 4);
            Put(out, 0, is64_ ? 8 : 4);
            Put(out, strtab ? namesOffset : offsets[i], is64_ ? 8 : 4);
            Put(out, strtab ? names.size() : sections_[i].data.size(), is64_ ? 8 : 4);
            Put(out, strtab ? 0 : sections_[i].link, 4);
            Put(out, 0, 4);
            Put(out, 1, is64_ ? 8 : 4);
            Put(out, type == 2 ? (is64_ ? 24 : 16) : 0, is64_ ? 8 : 4);
        }
        return out;
    }

  private:
    void Put(std::string& s, uint64_t v, int n) const {
        for (int i = 0; i < n; ++i) {
            int shift = big_ ? 8 * (n - 1 - i) : 8 * i;
            s += static_cast<char>((v >> shift) & 0xff);
        }
    }

    bool is64_, big_;
    uint16_t type_;
    std::vector<Section> sections_;
    std::vector<std::pair<uint32_t, size_t>> segments_;
};

// An object with code, a note, and symbols: a defined function, an undefined one, a local.
std::string SampleObject(bool is64, bool big, uint16_t type, uint32_t subsystem) {
    ElfBuilder b(is64, big, type);
    size_t text = b.Add({".text", 1, 6, std::string(20, '\x90')});
    size_t strtab = b.Add({".strtab", 3, 0, std::string("\0main\0printf\0helper\0", 20)});
    std::string symbols = b.Symbol(0, 0, 0, 0) + b.Symbol(1, 0x10, 0x12, uint16_t(text)) +
                          b.Symbol(6, 0, 0x10, 0) + b.Symbol(13, 4, 0x02, uint16_t(text)) +
                          b.Symbol(999, 0, 0x10, 0);  // name past the string table
    b.Add({".symtab", 2, 0, symbols, uint32_t(strtab)});
    if (subsystem) {
        size_t note = b.Add({".note.nimra", 7, 2, b.Note("nimra", 1, subsystem)});
        if (type != kElfRel) b.Segment(4, note);
    }
    return b.Build();
}

TEST(ObjectFile, ReadsBothClassesAndByteOrders) {
    for (bool is64 : {false, true}) {
        for (bool big : {false, true}) {
            SCOPED_TRACE(std::to_string(is64) + std::to_string(big));
            ElfImage image;
            std::string error;
            ASSERT_TRUE(ParseElf(SampleObject(is64, big, kElfRel, 0), image, error)) << error;
            EXPECT_EQ(is64, image.is64);
            EXPECT_EQ(big, image.bigEndian);
            EXPECT_EQ(is64 ? 62 : 3, image.machine);
            ASSERT_EQ(5u, image.sections.size());
            EXPECT_EQ(".text", image.sections[1].name);
            EXPECT_EQ(20u, image.sections[1].size);
            EXPECT_EQ(".shstrtab", image.sections[4].name);
            ASSERT_EQ(4u, image.symbols.size());
            EXPECT_EQ("main", image.symbols[0].name);
            EXPECT_EQ(0x10u, image.symbols[0].value);
            EXPECT_EQ(2, image.symbols[0].type);
            EXPECT_EQ(1, image.symbols[0].bind);
            EXPECT_EQ(".text", image.symbols[0].section);
            EXPECT_EQ("printf", image.symbols[1].name);
            EXPECT_EQ(kShnUndef, image.symbols[1].shndx);
            EXPECT_EQ("", image.symbols[3].name);
        }
    }
}

TEST(ObjectFile, SummaryListsExportsImportsAndTheSubsystem) {
    std::string out, error;
    ASSERT_TRUE(Summarize("x.obj", SampleObject(false, false, kElfRel, 0), out, error));
    EXPECT_NE(std::string::npos, out.find("Kind: object file\n"));
    EXPECT_NE(std::string::npos, out.find("Machine: Intel 386\n"));
    EXPECT_NE(std::string::npos,
              out.find("Defined symbols: 1\n  main .text 0x00000010  function\n"));
    EXPECT_NE(std::string::npos, out.find("Undefined symbols: 1\n  printf\n"));
    EXPECT_EQ(std::string::npos, out.find("helper"));  // locals stay out

    out.clear();
    ASSERT_TRUE(
        Summarize("w.exe", SampleObject(true, false, kElfExec, kSubsystemWindows), out, error));
    EXPECT_NE(std::string::npos, out.find("Kind: executable\nFormat: ELF64, little-endian\n"));
    EXPECT_NE(std::string::npos, out.find("Entry point: 0x0000000008049000\n"));
    EXPECT_NE(std::string::npos, out.find("Subsystem: windows\n"));
}

TEST(ObjectFile, ConsoleProgramsAreProgramsWithoutTheWindowsMark) {
    EXPECT_TRUE(IsConsoleProgram(SampleObject(false, false, kElfExec, kSubsystemConsole)));
    EXPECT_TRUE(IsConsoleProgram(SampleObject(false, false, kElfExec, 0)));
    EXPECT_FALSE(IsConsoleProgram(SampleObject(false, false, kElfExec, kSubsystemWindows)));
    // The mark is found through the program headers when the section headers are gone.
    std::string stripped = SampleObject(false, true, kElfExec, kSubsystemWindows);
    stripped[32] = stripped[33] = stripped[34] = stripped[35] = '\0';  // e_shoff
    ElfImage image;
    std::string error;
    ASSERT_TRUE(ParseElf(stripped, image, error));
    EXPECT_TRUE(image.sections.empty());
    EXPECT_EQ(kSubsystemWindows, image.subsystem);
    EXPECT_FALSE(IsConsoleProgram(stripped));
    // A shared library without an interpreter and an object are not programs.
    EXPECT_FALSE(IsConsoleProgram(SampleObject(false, false, kElfDyn, 0)));
    EXPECT_FALSE(IsConsoleProgram(SampleObject(false, false, kElfRel, 0)));
    EXPECT_TRUE(IsConsoleProgram("#!/bin/sh\necho hi\n"));
    EXPECT_FALSE(IsConsoleProgram("MZ\x90"));
}

TEST(ObjectFile, DamagedFilesGiveErrorsNotReadsOutsideTheData) {
    std::string good = SampleObject(false, false, kElfRel, 0);
    ElfImage image;
    std::string error;
    // The section headers sit at the end: any cut into them is refused.
    for (size_t cut : {good.size() - 1, good.size() - 40, size_t(100), size_t(51), size_t(5)}) {
        EXPECT_FALSE(ParseElf(good.substr(0, cut), image, error)) << cut;
    }
    // A section whose contents lie outside the file reads as empty.
    std::string bad = good;
    size_t shoff = static_cast<unsigned char>(bad[32]) | static_cast<unsigned char>(bad[33]) << 8;
    size_t strtabHeader = shoff + 2 * 40;
    bad[strtabHeader + 16] = '\xff';  // sh_offset of .strtab far away
    bad[strtabHeader + 19] = '\x7f';
    ASSERT_TRUE(ParseElf(bad, image, error));
    ASSERT_EQ(4u, image.symbols.size());
    EXPECT_EQ("", image.symbols[0].name);
}

std::string MemberBytes(const std::string& name, const std::string& body) {
    char header[61];
    std::snprintf(header, sizeof header, "%-16s%-12s%-6s%-6s%-8s%-10zu`\n", name.c_str(), "0", "0",
                  "0", "644", body.size());
    std::string m = std::string(header, 60) + body;
    if (m.size() % 2) m += '\n';
    return m;
}

TEST(ObjectFile, ArchiveMembersWithShortLongAndBsdNames) {
    std::string longNames = "a_rather_long_member_name.obj/\nsecond_long_member_name.o/\n";
    std::string ar = "!<arch>\n" + MemberBytes("/", "index") + MemberBytes("//", longNames) +
                     MemberBytes("a.obj/", "odd") + MemberBytes("/31", "xy") +
                     MemberBytes("/0", "z") + MemberBytes("#1/12", "bsd_name.objBODY");
    std::vector<ArMember> members;
    std::string error;
    ASSERT_TRUE(ParseArchive(ar, members, error)) << error;
    ASSERT_EQ(4u, members.size());
    EXPECT_EQ("a.obj", members[0].name);
    EXPECT_EQ("odd", members[0].data);  // padding byte not part of it
    EXPECT_EQ("second_long_member_name.o", members[1].name);
    EXPECT_EQ("a_rather_long_member_name.obj", members[2].name);
    EXPECT_EQ("bsd_name.obj", members[3].name);
    EXPECT_EQ("BODY", members[3].data);

    std::string tooLong = "!<arch>\n" + MemberBytes("a.obj/", "abc");
    tooLong.resize(tooLong.size() - 2);
    EXPECT_FALSE(ParseArchive(tooLong, members, error));
    std::string badSize = "!<arch>\n" + MemberBytes("a.obj/", "abc");
    badSize[8 + 48] = 'x';
    EXPECT_FALSE(ParseArchive(badSize, members, error));
    EXPECT_FALSE(ParseArchive("!<arch>\n" + MemberBytes("#1/99", "short"), members, error));
}

TEST(LibraryKind, MarkersAndImportLibraries) {
    EXPECT_EQ(LibraryKind::HostMarker, ClassifyLibrary("").kind);
    EXPECT_TRUE(ClassifyLibrary(" \r\n").hostLibs.empty());
    LibraryInfo m = ClassifyLibrary("!<nimra-host-lib> m pthread\n");
    EXPECT_EQ(LibraryKind::HostMarker, m.kind);
    EXPECT_EQ((std::vector<std::string>{"m", "pthread"}), m.hostLibs);
    // Names that would reach the host linker as options or paths are refused.
    EXPECT_EQ(LibraryKind::Unknown, ClassifyLibrary("!<nimra-host-lib> -Wl,-x\n").kind);
    EXPECT_EQ(LibraryKind::Unknown, ClassifyLibrary("!<nimra-host-lib> ../evil\n").kind);
    LibraryInfo imp = ClassifyLibrary("!<nimra-import>\r\nmy dll.dll\r\n");
    EXPECT_EQ(LibraryKind::Import, imp.kind);
    EXPECT_EQ("my dll.dll", imp.dll);
    EXPECT_EQ(LibraryKind::Unknown, ClassifyLibrary("!<nimra-import>\n").kind);
    EXPECT_EQ(LibraryKind::Archive, ClassifyLibrary("!<arch>\n").kind);
    EXPECT_EQ(LibraryKind::Unknown, ClassifyLibrary("just text").kind);
    EXPECT_EQ(LibraryKind::Unknown, ClassifyLibrary(SampleObject(false, false, kElfRel, 0)).kind);
    EXPECT_EQ(LibraryKind::SharedObject,
              ClassifyLibrary(SampleObject(false, true, kElfDyn, 0)).kind);
}

}  // namespace
}  // namespace nimra
