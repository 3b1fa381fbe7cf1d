#include "nimra/options.h"

#include <algorithm>

#include "common/names.h"

namespace nimra {

// Switch         host compiler
// -I<dir>        -I<dir> (also "-I dir"; '\' becomes '/', letter case resolved)
// -D<n>[=v]      -D<n>[=v]            -U<n>   -U<n>
// -O             -O2 (frame pointers stay: the debugger walks them)
// -g, -g2..-g4   -g (the stack-trace levels need no more on this host)
// -S             the object, and the assembly beside it as <object>.asm
// -A             -Wall
// -Zp1..-Zp16    -fpack-struct=<n>
// -ansic         -std=c99 -pedantic
// -p6            -march=pentiumpro
// -x, -z, -unused  accepted: browse information comes from xrefgen, there is no
//                intermediate language file, and dead assignments go with -O
// -c             accepted: the compiler always stops at the object
// -Fo<file>      the object (or with -M the dependency list) is written there
// -M             the dependency list instead of an object
bool ParseCompileOptions(const std::vector<std::string>& args, CompileOptions& options,
                         std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        if (a.empty()) continue;
        if (a[0] != '-') {
            std::string given = Unquote(a);
            std::replace(given.begin(), given.end(), '\\', '/');
            options.sources.push_back({given, HostPath(given)});
        } else if (a.starts_with("-I")) {
            if (!SwitchValue(args, i, 2, value, error)) return false;
            options.includeDirs.push_back(HostPath(value));
            options.hostFlags.push_back("-I" + options.includeDirs.back());
        } else if (a.starts_with("-D") || a.starts_with("-U")) {
            if (!SwitchValue(args, i, 2, value, error)) return false;
            options.hostFlags.push_back(a.substr(0, 2) + value);
        } else if (a.starts_with("-Fo")) {
            if (!SwitchValue(args, i, 3, value, error)) return false;
            options.output = HostPath(value);
        } else if (a == "-O") {
            options.hostFlags.push_back("-O2");
        } else if (a == "-g" || a == "-g2" || a == "-g3" || a == "-g4") {
            options.hostFlags.push_back("-g");
        } else if (a == "-S") {
            options.assemblyListing = true;
        } else if (a == "-A") {
            options.hostFlags.push_back("-Wall");
        } else if (a == "-Zp1" || a == "-Zp2" || a == "-Zp4" || a == "-Zp8" || a == "-Zp16") {
            options.hostFlags.push_back("-fpack-struct=" + a.substr(3));
        } else if (a == "-ansic") {
            options.hostFlags.push_back("-std=c99");
            options.hostFlags.push_back("-pedantic");
        } else if (a == "-p6") {
            options.hostFlags.push_back("-march=pentiumpro");
        } else if (a == "-x" || a == "-z" || a == "-unused" || a == "-c") {
            // accepted, see above
        } else if (a == "-M") {
            options.dependencies = true;
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    if (options.sources.empty()) {
        error = "no source file given";
        return false;
    }
    if (options.sources.size() > 1 && !options.output.empty()) {
        error = "-Fo names one output, but more than one source was given";
        return false;
    }
    return true;
}

}  // namespace nimra
