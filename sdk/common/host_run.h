// Running the host's C compiler for the tools of the compiler system.
#pragma once

#include <string>
#include <vector>

namespace nimra {

struct HostResult {
    bool started = false;
    int startError = 0;  // errno when it could not start
    int exitCode = -1;   // 128 + signal when it died of a signal
    std::string out;     // standard output, when captured
    std::string err;     // standard error
};

// The host compiler: $NIMRA_CC when set, else "gcc".
std::string HostCompiler();

// Runs argv[0] (searched on PATH) with the messages in the C locale, so that their wording
// and quotes are always the same. Standard error is captured; standard output is captured
// with `captureOut`, otherwise passed through. `input` feeds standard input when not null.
HostResult RunHost(const std::vector<std::string>& argv, bool captureOut,
                   const std::string* input = nullptr);

// Whether the host compiler can build a 32-bit object that uses the C library's headers
// (gcc needs its multilib files for that).
bool ThirtyTwoBitCompileWorks();

}  // namespace nimra
