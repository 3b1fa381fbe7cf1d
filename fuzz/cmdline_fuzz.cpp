// Command lines come from project files, the utilities table and the user: any bytes at all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args = velt::platform::SplitCommandLine(line);

    // Every argument costs at least one byte of input (a character or a quote).
    Check(args.size() <= size);
    bool hasQuote = line.find('"') != std::string_view::npos;
    size_t kept = 0;
    for (const std::string& a : args) {
        // Quotes only group; they never reach an argument.
        Check(a.find('"') == std::string::npos);
        // Without quotes, blanks only separate and nothing is empty.
        if (!hasQuote) {
            Check(!a.empty());
            for (char c : a) Check(!IsBlank(c));
        }
        kept += a.size();
    }
    // Nothing but quotes and separating blanks is dropped.
    size_t quotes = 0, blanks = 0;
    for (char c : line) {
        quotes += c == '"';
        blanks += IsBlank(c);
    }
    Check(kept + quotes + blanks >= size);
    Check(kept <= size - quotes);

    // Quoting every argument and joining with one blank gives the same arguments back.
    std::string joined;
    for (const std::string& a : args) {
        if (!joined.empty()) joined += ' ';
        joined += '"' + a + '"';
    }
    Check(velt::platform::SplitCommandLine(joined) == args);
    return 0;
}
