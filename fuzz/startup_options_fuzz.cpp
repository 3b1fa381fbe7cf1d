// The IDE's own command line comes from whoever starts it: any bytes at all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shell/command_line.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool HasUpper(std::string_view s) {
    for (char c : s)
        if (c >= 'A' && c <= 'Z') return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    std::string_view rest = velt::SkipProgramName(line);
    Check(rest.size() <= line.size());
    Check(line.substr(line.size() - rest.size()) == rest);

    for (bool another : {false, true}) {
        velt::StartupOptions o = velt::ParseCommandLine(line, another);
        // Names are read lower-cased; the program's arguments keep their spelling.
        Check(!HasUpper(o.project) && !HasUpper(o.debuggerExeName));
        for (const std::string& p : o.filePatterns) Check(!p.empty() && !HasUpper(p));
        if (!o.project.empty()) {
            Check(o.filePatterns.empty() && !o.debugStart && o.attachPid == 0);
            Check(!o.anotherInstance);
        }
        if (o.attachPid != 0) Check(o.anotherInstance && !o.restoreSession && !o.saveSession);
        if (!o.splash) Check(!o.restoreSession && !o.saveSession);
        if (!o.lineGiven) Check(o.filePatterns.empty() && o.project.empty() && !o.debugStart);
        Check(o.debugStart == !o.debuggerExeName.empty());
        Check(o.filesOpened.empty() && !o.openedAnything);
    }
    return 0;
}
