#include "shell/messages.h"

#include <cstdarg>
#include <cstdio>

#include "shell/memory.h"

namespace velt {
namespace {

struct CatalogueRow {
    std::uint16_t id;
    const char* text;
};

const CatalogueRow kCatalogue[] = {
#include "shell/message_table.inc"
    {0, nullptr},
};

}  // namespace

const char* GetMessageText(unsigned id) {
    // A plain scan from the start: the first row of an id wins, and the table is small
    // enough that an index would buy nothing measurable.
    for (const CatalogueRow* row = kCatalogue; row->id != 0; ++row)
        if (row->id == id) return row->text;
    return "";
}

char* MsgDup(char** out, unsigned id) {
    char* copy = StrDup(GetMessageText(id));
    if (out) *out = copy;
    return copy;
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), format, again);
        out.resize(static_cast<std::size_t>(n));
    }
    va_end(again);
    return out;
}

std::size_t MessageCatalogueSize() { return sizeof(kCatalogue) / sizeof(kCatalogue[0]) - 1; }

}  // namespace velt
