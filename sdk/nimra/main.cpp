// nimra.exe: the compiler of the stand-in compiler system. It accepts the command lines the
// IDE's makefiles hold and compiles C for 32-bit x86 with the host's gcc; its messages are
// in the form the IDE reads. See options.cpp for the switches.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/build_progress.h"
#include "common/diagnostics.h"
#include "common/host_run.h"
#include "common/include_case.h"
#include "common/names.h"
#include "nimra/dependencies.h"
#include "nimra/options.h"
#include "platform/files.h"

namespace {

using namespace nimra;

constexpr const char* kSelf = "nimra.exe";

void Say(const std::string& text) {
    std::fputs(text.c_str(), stderr);
}

void SayError(const std::string& text) {
    Say(NimraLine(Severity::Error, kSelf, 0, text));
}

// The host command for one source: `mode` is "-c", "-S" or "-MM"; `caseFlag` adds the
// directory of letter-case links when there is one.
std::vector<std::string> HostCommand(const CompileOptions& options, const std::string& mode,
                                     const std::string& source, const std::string& caseFlag) {
    std::vector<std::string> argv = {HostCompiler(), "-m32", "-fno-omit-frame-pointer",
                                     // one line per message, in a fixed form
                                     "-fno-show-column", "-fno-diagnostics-show-caret",
                                     "-fdiagnostics-color=never", "-fno-diagnostics-show-option"};
    argv.insert(argv.end(), options.hostFlags.begin(), options.hostFlags.end());
    if (!caseFlag.empty()) argv.push_back(caseFlag);
    argv.push_back(mode);
    // Sources are C whatever the letter case of ".c" ("HELLO.C" is not C++ here); ".asm"
    // and ".s" are assembly.
    const std::string ext = LowerExtension(source);
    argv.push_back("-x");
    argv.push_back(ext == "asm" || ext == "s" ? "assembler" : "c");
    argv.push_back(source);
    return argv;
}

// Runs the host; headers it misses only for their letter case are linked and the run is
// repeated (each round links at least one more header, so this ends).
HostResult RunResolvingCase(
    const std::function<std::vector<std::string>(const std::string&)>& command, bool captureOut,
    const CompileOptions& options, IncludeCaseShadow& shadow) {
    for (;;) {
        HostResult r = RunHost(command(shadow.SearchFlag()), captureOut);
        if (r.started && r.exitCode != 0 && shadow.LinkMissing(r.err, options.includeDirs))
            continue;
        r.err = shadow.RealNamesIn(r.err);
        return r;
    }
}

bool SourceReadable(const std::string& source) {
    if (velt::platform::IsRegularFile(source)) return true;
    Say(NimraLine(Severity::Error, source, 0, "cannot open the source file"));
    return false;
}

// Reports the host's messages; when the host could not compile at all for 32 bits, says so
// first, since its own messages (a missing bits/ header) do not tell the user what to do.
void ReportFailure(const HostResult& r) {
    if (!r.started) {
        SayError("cannot run the host compiler " + HostCompiler() + ": " +
                 std::strerror(r.startError));
        return;
    }
    if (!ThirtyTwoBitCompileWorks())
        SayError("cannot compile for 32-bit x86 with " + HostCompiler() +
                 " -m32 on this machine; install the package gcc-multilib");
    Say(RewriteHostDiagnostics(r.err).text);
}

int WriteDependencies(const CompileOptions& options) {
    std::string list;
    std::vector<std::string> seen;
    for (const SourceName& name : options.sources) {
        const std::string& source = name.path;
        if (!SourceReadable(source)) return 1;
        IncludeCaseShadow shadow;
        HostResult r = RunResolvingCase(
            [&](const std::string& caseFlag) {
                std::vector<std::string> argv = HostCommand(options, "-MM", source, caseFlag);
                argv.insert(argv.end(), {"-MT", "nimra-target"});
                return argv;
            },
            true, options, shadow);
        if (!r.started || r.exitCode != 0) {
            ReportFailure(r);
            return 1;
        }
        Say(RewriteHostDiagnostics(r.err).text);
        for (const std::string& name : PrerequisitesOfRule(r.out)) {
            // Absolute, so that the list holds wherever make later runs.
            const std::string full = AbsoluteNormal(shadow.RealName(name));
            bool dup = false;
            for (const std::string& s : seen) dup = dup || s == full;
            if (dup) continue;
            seen.push_back(full);
            list += full + '\n';
        }
    }
    if (options.output.empty()) {
        std::fputs(list.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!velt::platform::ReplaceFileAtomically(options.output, list, false)) {
        SayError("cannot write " + options.output);
        return 1;
    }
    return 0;
}

int Compile(const CompileOptions& options) {
    int status = 0;
    for (const SourceName& name : options.sources) {
        const std::string& source = name.path;
        if (!SourceReadable(source)) {
            status = 1;
            continue;
        }
        // Named in lower case after the name as written, as the makefile's rules name
        // objects, whatever the case on disk.
        const std::string object =
            options.output.empty() ? ToLowerAscii(ReplaceExtension(BaseName(name.given), ".obj"))
                                   : options.output;
        IncludeCaseShadow shadow;
        auto command = [&](const std::string& mode, const std::string& output) {
            return [&options, &source, mode, output](const std::string& caseFlag) {
                std::vector<std::string> argv = HostCommand(options, mode, source, caseFlag);
                argv.insert(argv.end(), {"-o", output});
                if (mode == "-S") argv.push_back("-w");  // the compile gave the messages
                return argv;
            };
        };
        HostResult r = RunResolvingCase(command("-c", object), false, options, shadow);
        if (!r.started || r.exitCode != 0) {
            ReportFailure(r);
            status = 1;
            continue;
        }
        Say(RewriteHostDiagnostics(r.err).text);
        if (options.assemblyListing) {
            const std::string listing = ReplaceExtension(object, ".asm");
            HostResult l = RunResolvingCase(command("-S", listing), false, options, shadow);
            if (!l.started || l.exitCode != 0) {
                SayError("cannot write the assembly listing " + listing);
                status = 1;
            }
        }
    }
    return status;
}

// The command line as the IDE shows it: our name, then the arguments as given.
std::string EchoLine(const std::vector<std::string>& args) {
    std::string line = kSelf;
    for (const std::string& a : args) {
        line += ' ';
        line += a.find(' ') == std::string::npos ? a : '"' + a + '"';
    }
    return line + '\n';
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    CompileOptions options;
    std::string error;
    if (!ParseCompileOptions(args, options, error)) {
        SayError(error);
        return 1;
    }
    if (options.dependencies) return WriteDependencies(options);
    if (ReportBuildProgress(EchoLine(args)) == ProgressReply::Stop) {
        SayError("stopped at the user's request");
        return 1;
    }
    return Compile(options);
}
