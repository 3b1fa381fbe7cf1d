// The compiler's readers of the host compiler's output: its messages and its make rules.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/diagnostics.h"
#include "nimra/dependencies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    nimra::RewriteHostDiagnostics(text);
    nimra::PrerequisitesOfRule(text);
    return 0;
}
