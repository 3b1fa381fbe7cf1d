// Compiled resources and the 32-bit .res file that holds them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nimrarc {

// A resource type or name: a number, or a text (kept upper-cased, as resource names are
// compared without regard to case).
struct ResId {
    bool isOrdinal = true;
    std::uint16_t ordinal = 0;
    std::u16string name;

    static ResId Number(std::uint16_t n) { return ResId{true, n, {}}; }
    static ResId Name(std::u16string text);
    bool operator==(const ResId&) const = default;
};

enum : std::uint16_t {
    kRtCursor = 1,
    kRtBitmap = 2,
    kRtIcon = 3,
    kRtMenu = 4,
    kRtDialog = 5,
    kRtString = 6,
    kRtAccelerator = 9,
    kRtRcdata = 10,
    kRtMessageTable = 11,
    kRtGroupCursor = 12,
    kRtGroupIcon = 14,
    kRtVersion = 16,
    kRtDlgInclude = 17,
    kRtAniCursor = 21,
    kRtAniIcon = 22,
    kRtHtml = 23,
    kRtManifest = 24,
};

// Memory flags of the resource header.
enum : std::uint16_t {
    kMoveable = 0x10,
    kPure = 0x20,
    kPreload = 0x40,
    kDiscardable = 0x1000,
};

struct Resource {
    ResId type;
    ResId name;
    std::uint16_t memoryFlags = kMoveable | kPure;
    std::uint16_t language = 0;
    std::uint32_t version = 0;
    std::uint32_t characteristics = 0;
    std::string data;
};

// The file: the empty entry that marks a 32-bit .res, then one entry per resource, each
// header and each data block padded to four bytes.
std::string ResFileImage(const std::vector<Resource>& resources);

}  // namespace nimrarc
