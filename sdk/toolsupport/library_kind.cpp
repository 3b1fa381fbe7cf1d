#include "library_kind.h"

namespace nimra {

namespace {

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() &&
               (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
            ++i;
        }
        size_t start = i;
        while (i < text.size() &&
               !(text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
            ++i;
        }
        if (i > start) words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

bool SafeLibName(const std::string& name) {
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '-' || c == '+' || c == '.';
        if (!ok) return false;
    }
    return !name.empty();
}

}  // namespace

LibraryInfo ClassifyLibrary(std::string_view data) {
    LibraryInfo info;
    if (data.substr(0, 8) == "!<arch>\n") {
        info.kind = LibraryKind::Archive;
    } else if (data.size() >= 18 && data.substr(0, 4) ==
                                        "\x7f"
                                        "ELF") {
        // e_type 3 (shared object) in either byte order.
        bool big = data[5] == 2;
        unsigned type =
            big ? static_cast<unsigned char>(data[17]) : static_cast<unsigned char>(data[16]);
        if (type == 3) info.kind = LibraryKind::SharedObject;
    } else if (data.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        info.kind = LibraryKind::HostMarker;
    } else if (data.substr(0, kHostLibMarker.size()) == kHostLibMarker) {
        info.hostLibs = Words(data.substr(kHostLibMarker.size()));
        info.kind = LibraryKind::HostMarker;
        // The names go to the host linker as -l options: nothing that could pass for another
        // option or a path.
        for (const std::string& lib : info.hostLibs) {
            if (!SafeLibName(lib) || lib[0] == '-') info.kind = LibraryKind::Unknown;
        }
    } else if (data.substr(0, kImportMarker.size()) == kImportMarker) {
        std::string_view rest = data.substr(kImportMarker.size());
        size_t nl = rest.find('\n');
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        rest = rest.substr(0, rest.find('\n'));
        if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
        if (!rest.empty()) {
            info.kind = LibraryKind::Import;
            info.dll = std::string(rest);
        }
    }
    return info;
}

}  // namespace nimra
