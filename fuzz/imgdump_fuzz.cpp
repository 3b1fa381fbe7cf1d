// The image dumper's reader of objects, archives, programs and library markers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "summary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string out, error;
    nimra::Summarize("input", bytes, out, error);
    nimra::IsConsoleProgram(bytes);
    return 0;
}
