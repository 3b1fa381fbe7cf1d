// The kinds of ".lib" file the linker accepts. Besides ar archives of objects there are two
// small text forms of our own:
//   - a host-library marker: "!<nimra-host-lib>" followed by the names of host libraries it
//     stands for ("m" links the host's math library); an empty file stands for a system
//     library whose functions the host's C library, linked by default, provides;
//   - an import library, written beside a DLL by the linker: "!<nimra-import>" and, on the
//     next line, the DLL's file name relative to the import library's directory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nimra {

constexpr std::string_view kHostLibMarker = "!<nimra-host-lib>";
constexpr std::string_view kImportMarker = "!<nimra-import>";

enum class LibraryKind { Archive, SharedObject, HostMarker, Import, Unknown };

struct LibraryInfo {
    LibraryKind kind = LibraryKind::Unknown;
    std::vector<std::string> hostLibs;  // HostMarker: names for -l
    std::string dll;                    // Import: the DLL's name, relative to the library
};

LibraryInfo ClassifyLibrary(std::string_view data);

}  // namespace nimra
