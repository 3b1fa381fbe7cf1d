// The resource compiler's reader of preprocessed scripts and its .res writer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "nimrarc/resources.h"
#include "nimrarc/script.h"
#include "nimrarc/tokens.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const nimrarc::TokenizedScript tokens = nimrarc::Tokenize(text);
    const nimrarc::ScriptResult result = nimrarc::CompileScript(tokens, {});
    if (result.ok) nimrarc::ResFileImage(result.resources);
    return 0;
}
