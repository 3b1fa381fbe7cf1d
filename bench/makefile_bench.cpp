// Generates the makefile of a project of 500 C files (each including three headers) against
// running the same 500 dependency scans of the root's nimra.exe alone in a shell loop. The
// generation waits for one scan per source, so everything it adds is its own cost.
// Arguments: ROOT (holding bin/nimra.exe), then optionally the number of files and rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "platform/files.h"
#include "platform/process.h"
#include "project/makefile.h"
#include "project/project.h"

namespace {

using velt::bench::Clock;
using velt::bench::Seconds;
using velt::bench::WriteFile;

namespace vp = velt::platform;
namespace fs = std::filesystem;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: makefile_bench ROOT [FILES] [ROUNDS]\n");
        return 2;
    }
    const std::string root = vp::MakeAbsolute(argv[1]);
    const int files = argc > 2 ? std::atoi(argv[2]) : 500;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    const std::string nimra = root + "/bin/nimra.exe";
    if (!vp::IsRegularFile(nimra)) {
        std::fprintf(stderr, "makefile_bench: no %s\n", nimra.c_str());
        return 1;
    }
    const std::string work = vp::TempDirectory() + "/velt-makefile-bench";
    fs::remove_all(work);
    fs::create_directories(work + "/src");
    fs::create_directories(work + "/out");
    vp::SetCurrentDirectory(work);

    velt::Project& p = velt::CurrentProject();
    p.name = "bench";
    p.sourcesDir = work + "/src";
    p.includes = root + "/include;" + work + "/src";
    p.compilerFlags = velt::kCompileDebug2 | velt::kTargetConsole;
    p.errorFile = "bench.err";
    p.make = std::make_unique<velt::MakeSettings>();
    p.make->makeDir = work + "/out";
    std::string loop = "#!/bin/sh\n";
    for (int h = 0; h < 3; ++h) WriteFile(work + "/src/h" + std::to_string(h) + ".h", "int h;\n");
    for (int i = 0; i < files; ++i) {
        const std::string name = "f" + std::to_string(i) + ".c";
        WriteFile(work + "/src/" + name,
                  "#include \"h0.h\"\n#include \"h1.h\"\n#include \"h2.h\"\nint f" +
                      std::to_string(i) + "(void) { return 0; }\n");
        p.files.push_back("F" + std::to_string(i) + ".C");
        loop += "\"" + nimra + "\" -M -Fodeps.tmp -I" + root + "/include -I" + work + "/src " +
                work + "/src/" + name + " || exit 1\n";
    }
    WriteFile(work + "/scans.sh", loop);

    double best_gen = 1e9;
    double best_scan = 1e9;
    for (int r = 0; r < rounds; ++r) {
        Clock::time_point t = Clock::now();
        if (!velt::GenerateMakefile(p, root)) {
            std::fprintf(stderr, "makefile_bench: generation failed\n");
            return 1;
        }
        best_gen = std::min(best_gen, Seconds(t));
        t = Clock::now();
        if (vp::RunAndWait("sh " + work + "/scans.sh") != 0) {
            std::fprintf(stderr, "makefile_bench: the scans failed\n");
            return 1;
        }
        best_scan = std::min(best_scan, Seconds(t));
    }
    std::string makefile;
    vp::ReadWholeFile(work + "/out/Makefile", makefile);
    const auto lines = std::count(makefile.begin(), makefile.end(), '\n');
    std::printf("makefile of %d files (%ld lines), best of %d rounds\n", files,
                static_cast<long>(lines), rounds);
    std::printf("  generation      %8.3f s\n", best_gen);
    std::printf("  scans alone     %8.3f s\n", best_scan);
    std::printf("  ratio           %8.3f (goal: at most 1.10)\n", best_gen / best_scan);
    fs::remove_all(work);
    return 0;
}
