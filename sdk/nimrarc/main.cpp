// nimrarc: the resource compiler of the stand-in compiler system. It checks a resource
// script and writes the compiled resources as a 32-bit .res file, by default named after the
// script in lower case and put in the current directory, as the IDE's makefile rule expects:
//
//   nimrarc [-I<dir>]... [-D<name>[=<value>]]... [-U<name>]... [-fo<file>] [-r] script.rc
//
// The script goes through the host's C preprocessor first (#include, #define, #if), with
// RC_INVOKED defined. Errors are reported as "Error file.rc: 12  text".
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/diagnostics.h"
#include "common/host_run.h"
#include "common/include_case.h"
#include "common/names.h"
#include "nimrarc/resources.h"
#include "nimrarc/script.h"
#include "nimrarc/tokens.h"
#include "platform/files.h"

namespace {

using namespace nimra;

constexpr const char* kSelf = "nimrarc";

void SayError(const std::string& file, int line, const std::string& text) {
    std::fputs(NimraLine(Severity::Error, file, line, text).c_str(), stderr);
}

struct RcOptions {
    std::vector<std::string> includeDirs;
    std::vector<std::string> defines;  // -D and -U switches for the preprocessor
    std::string output;
    std::string given;   // the script as named
    std::string script;  // the script on disk
};

bool ParseArguments(const std::vector<std::string>& args, RcOptions& o, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        if (a.empty()) continue;
        if (a[0] != '-') {
            if (!o.given.empty()) {
                error = "more than one script given";
                return false;
            }
            o.given = Unquote(a);
            for (char& c : o.given)
                if (c == '\\') c = '/';
            o.script = HostPath(o.given);
        } else if (a.starts_with("-I")) {
            if (!SwitchValue(args, i, 2, value, error)) return false;
            o.includeDirs.push_back(HostPath(value));
        } else if (a.starts_with("-D") || a.starts_with("-U")) {
            if (!SwitchValue(args, i, 2, value, error)) return false;
            o.defines.push_back(a.substr(0, 2) + value);
        } else if (a.starts_with("-fo") || a.starts_with("-Fo")) {
            if (!SwitchValue(args, i, 3, value, error)) return false;
            o.output = HostPath(value);
        } else if (a == "-r") {
            // "compile only": the only thing we do
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    if (o.given.empty()) {
        error = "no resource script given";
        return false;
    }
    // The makefile's rule names the .res after the script, in lower case.
    if (o.output.empty()) o.output = ToLowerAscii(ReplaceExtension(BaseName(o.given), ".res"));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    RcOptions o;
    std::string error;
    if (!ParseArguments({argv + 1, argv + argc}, o, error)) {
        SayError(kSelf, 0, error);
        return 1;
    }
    std::string head;
    if (!velt::platform::IsRegularFile(o.script) ||
        !velt::platform::ReadWholeFile(o.script, head)) {
        SayError(o.script, 0, "cannot open the resource script");
        return 1;
    }
    if (head.size() >= 2 &&
        ((head[0] == '\xFF' && head[1] == '\xFE') || (head[0] == '\xFE' && head[1] == '\xFF'))) {
        SayError(o.script, 0, "the script is in UTF-16; save it as UTF-8 or in a code page");
        return 1;
    }

    // The preprocessor. -std=c11 keeps words such as "linux" from being macros.
    IncludeCaseShadow shadow;
    HostResult pre;
    for (;;) {
        std::vector<std::string> argv2 = {HostCompiler(),
                                          "-E",
                                          "-x",
                                          "c",
                                          "-std=c11",
                                          "-DRC_INVOKED",
                                          "-D_WIN32",
                                          "-fno-show-column",
                                          "-fno-diagnostics-show-caret",
                                          "-fdiagnostics-color=never",
                                          "-fno-diagnostics-show-option"};
        for (const std::string& d : o.includeDirs) argv2.push_back("-I" + d);
        if (!shadow.SearchFlag().empty()) argv2.push_back(shadow.SearchFlag());
        argv2.insert(argv2.end(), o.defines.begin(), o.defines.end());
        argv2.push_back(o.script);
        pre = RunHost(argv2, true);
        if (pre.started && pre.exitCode != 0 && shadow.LinkMissing(pre.err, o.includeDirs))
            continue;
        break;
    }
    if (!pre.started) {
        SayError(kSelf, 0,
                 "cannot run the host preprocessor " + HostCompiler() + ": " +
                     std::strerror(pre.startError));
        return 1;
    }
    std::fputs(RewriteHostDiagnostics(shadow.RealNamesIn(pre.err)).text.c_str(), stderr);
    if (pre.exitCode != 0) return 1;

    const nimrarc::TokenizedScript tokens = nimrarc::Tokenize(pre.out);
    nimrarc::ScriptContext context;
    context.searchDirs.push_back(AbsoluteNormal(velt::platform::DirectoryPart(o.script).empty()
                                                    ? "."
                                                    : velt::platform::DirectoryPart(o.script)));
    context.searchDirs.insert(context.searchDirs.end(), o.includeDirs.begin(), o.includeDirs.end());
    const nimrarc::ScriptResult result = nimrarc::CompileScript(tokens, context);
    if (!result.ok) {
        std::string file = result.file >= 0 && result.file < static_cast<int>(tokens.files.size())
                               ? shadow.RealName(tokens.files[result.file])
                               : o.script;
        if (file.empty()) file = o.script;
        SayError(file, result.line, result.message);
        return 1;
    }
    if (!velt::platform::ReplaceFileAtomically(o.output, nimrarc::ResFileImage(result.resources),
                                               false)) {
        SayError(kSelf, 0, "cannot write " + o.output);
        return 1;
    }
    return 0;
}
