// The build: F9 on an up-to-date project of 200 C files through the program's build path
// ("velt-cli build ROOT PROJECT": the project opened, Make's checks, the worker running the
// make command with its error stream in the diagnostics file, the results read) against the
// same make command run directly in the make directory. Both are timed as whole processes,
// alternately, in one run; best and median of the rounds.
//
// Then the build page's side in process: 10,000 tool messages (the compiler's command echoes,
// some long enough to be cut in pieces) taken in and wrapped at a list width measured per
// character, each message timed as the step the user interface makes for it; and the
// results of a full diagnostics file (65,535 characters in lines of 1,400) in one step.
//
// The project is made here: a temporary root with a copy of the stand-in tools, the project
// registered in its projects table, its makefile written by "velt-cli makefile", and a first
// build so that it is up to date.
//   build_bench SDK_ROOT VELT_CLI [FILES] [ROUNDS]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "build/build.h"
#include "build/diagnostics.h"
#include "platform/files.h"
#include "platform/process.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/projects_table.h"
#include "project/run_program.h"
#include "shell/output_pane.h"

namespace {

using velt::bench::Clock;
using velt::bench::Median;
using velt::bench::Seconds;
using velt::bench::WriteFile;

namespace vp = velt::platform;
namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "build_bench: %s\n", what.c_str());
    std::exit(1);
}

// A list of about 700 pixels in a proportional font: every character its own width.
bool FitsList(std::string_view text) {
    int width = 0;
    for (char c : text) width += 5 + static_cast<unsigned char>(c) % 4;
    return width <= 700;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: build_bench SDK_ROOT VELT_CLI [FILES] [ROUNDS]\n");
        return 2;
    }
    const std::string sdk = vp::MakeAbsolute(argv[1]);
    const std::string cli = vp::MakeAbsolute(argv[2]);
    const int files = argc > 3 ? std::atoi(argv[3]) : 200;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 41;
    for (const char* tool : {"make.exe", "nimra.exe", "nimralnk.exe"})
        if (!vp::IsRegularFile(sdk + "/bin/" + tool)) Fail("no " + sdk + "/bin/" + tool);

    const std::string work = vp::TempDirectory() + "/velt-build-bench";
    const std::string root = work + "/root";
    const std::string proj = work + "/proj";
    const std::string out = proj + "/out";
    fs::remove_all(work);
    fs::create_directories(proj + "/src");
    fs::create_directories(out);
    std::error_code ec;
    fs::copy(sdk, root, fs::copy_options::recursive, ec);
    if (ec) Fail("cannot copy " + sdk + ": " + ec.message());

    WriteFile(root + "/lib/projects.ini", "[Projects]\nbench=" + proj + "/bench.prj\n");
    std::string list;
    WriteFile(proj + "/src/bench.h", "int shared(int);\n");
    for (int i = 0; i < files; ++i) {
        const std::string n = std::to_string(i);
        WriteFile(proj + "/src/f" + n + ".c",
                  "#include <string.h>\n#include \"bench.h\"\nint f" + n +
                      "(const char* s) { return shared((int)strlen(s) + " + n + "); }\n");
        list += "File" + std::to_string(i + 1) + "=F" + n + ".C\n";
    }
    WriteFile(
        proj + "/src/main.c",
        "#include \"bench.h\"\nint shared(int x) { return x; }\nint main(void) { return 0; }\n");
    list += "File" + std::to_string(files + 1) + "=MAIN.C\n";
    const std::string prj = "; Velt project file. Syntax: Name = value\n[bench]\nMakeName=" + root +
                            "/bin/make.exe\nMakeDir=" + out + "\nSourcesDir=" + proj +
                            "/src\nExe=bench.exe\nCompilerFlags=136\nIncludes=" + root +
                            "/include;" + proj + "/src\nPrjFiles=" + std::to_string(files + 1) +
                            "\n" + list;
    WriteFile(proj + "/bench.prj", prj);

    vp::RunOptions quiet;
    quiet.directory = proj;
    quiet.hidden = true;
    quiet.stdoutFile = "/dev/null";
    quiet.stderrFile = work + "/setup.err";
    const std::string velt = "\"" + cli + "\" build \"" + root + "\" bench";
    if (vp::RunAndWait("\"" + cli + "\" makefile \"" + root + "\" bench", quiet) != 0)
        Fail("velt-cli makefile failed, see " + work + "/setup.err");
    const Clock::time_point first = Clock::now();
    quiet.stdoutFile = work + "/first.out";
    if (vp::RunAndWait(velt, quiet) != 0)
        Fail("the first build failed, see " + work + "/first.out and " + out + "/bench.err");
    const double firstSeconds = Seconds(first);

    // The direct run: the same command, directory and error-stream redirection.
    const std::string make = "\"" + root + "/bin/make.exe\"";
    vp::RunOptions direct;
    direct.directory = out;
    direct.hidden = true;
    direct.stdoutFile = "/dev/null";
    direct.stderrFile = out + "/direct.err";
    vp::RunOptions asked = direct;
    asked.stdoutFile = "";
    if (vp::RunAndWait(make + " -q", asked) != 0) Fail("the project is not up to date");
    quiet.stdoutFile = "/dev/null";

    std::vector<double> throughVelt, byMake;
    for (int r = 0; r < rounds; ++r) {
        Clock::time_point t = Clock::now();
        if (vp::RunAndWait(velt, quiet) != 0) Fail("velt-cli build failed");
        throughVelt.push_back(Seconds(t));
        t = Clock::now();
        if (vp::RunAndWait(make, direct) != 0) Fail("make failed");
        byMake.push_back(Seconds(t));
    }
    const double bestVelt = *std::min_element(throughVelt.begin(), throughVelt.end());
    const double bestMake = *std::min_element(byMake.begin(), byMake.end());
    std::printf("F9 on an up-to-date project of %d C files (first build %.1f s), %d rounds\n",
                files + 1, firstSeconds, rounds);
    std::printf("  velt-cli build   best %8.4f s  median %8.4f s\n", bestVelt, Median(throughVelt));
    std::printf("  make directly    best %8.4f s  median %8.4f s\n", bestMake, Median(byMake));
    // Each round's two runs sit side by side in time, so their ratio is the least touched by
    // the machine's load drifting over the run.
    std::vector<double> paired;
    for (int r = 0; r < rounds; ++r) paired.push_back(throughVelt[r] / byMake[r]);
    std::printf(
        "  ratio            best %8.3f    median %8.3f   round by round, median %6.3f"
        "   (goal: at most 1.20)\n",
        bestVelt / bestMake, Median(throughVelt) / Median(byMake), Median(paired));

    // ---- F9 in this process, as the IDE makes it: the project open, Make and its worker.
    static std::string programRoot = root;
    velt::SetProjectsRoot(root);
    velt::SetProgramRoot(&programRoot);
    velt::SetCurrentProjectName("bench");
    if (!velt::ReadProjectsTable(false) || !velt::LoadProject()) Fail("cannot open the project");
    velt::LoadProjectFileList();
    velt::InstallBuild();
    // The make command's own output goes where ours would: away while it runs.
    std::fflush(stdout);
    const int savedOut = ::dup(1);
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, 1);
    ::close(devNull);
    std::vector<double> inProcess, byMakeAgain;
    for (int r = 0; r < rounds; ++r) {
        Clock::time_point t = Clock::now();
        velt::MakeCommand();
        velt::WaitForBuild();
        inProcess.push_back(Seconds(t));
        if (velt::LastBuildReturnCode() != 0) Fail("Make failed");
        t = Clock::now();
        if (vp::RunAndWait(make, direct) != 0) Fail("make failed");
        byMakeAgain.push_back(Seconds(t));
    }
    ::dup2(savedOut, 1);
    ::close(savedOut);
    const double bestIn = *std::min_element(inProcess.begin(), inProcess.end());
    const double bestAgain = *std::min_element(byMakeAgain.begin(), byMakeAgain.end());
    std::printf("  F9 in process    best %8.4f s  median %8.4f s\n", bestIn, Median(inProcess));
    std::printf("  make directly    best %8.4f s  median %8.4f s\n", bestAgain,
                Median(byMakeAgain));
    std::printf("  ratio            best %8.3f    median %8.3f\n", bestIn / bestAgain,
                Median(inProcess) / Median(byMakeAgain));
    velt::UninstallBuild();

    // ---- The build page: 10,000 tool messages.
    velt::gOutputLineFits = FitsList;
    velt::FrameOutputPane().Clear(velt::kBuildPage);
    velt::SetBuildState(velt::kBuildRunning);
    const int messages = 10000;
    double worst = 0;
    double total = 0;
    const std::string echo =
        root + "/bin/nimra.exe -c -g2 -I" + root + "/include -I" + proj + "/src " + proj + "/src/";
    for (int i = 0; i < messages; ++i) {
        std::string text;
        if (i % 10 == 9) {
            // A long line without its end yet, then its end: 420 characters, cut in pieces.
            text = (i % 20 == 19) ? std::string(120, 'w') + " done\n" : std::string(300, 'v');
        } else {
            text = echo + "f" + std::to_string(i % files) + ".c\n";
        }
        const Clock::time_point t = Clock::now();
        velt::HandleToolMessage(text);
        const double s = Seconds(t);
        worst = std::max(worst, s);
        total += s;
    }
    velt::SetBuildState(velt::kBuildIdle);
    const std::size_t lines = velt::FrameOutputPane().Lines(velt::kBuildPage).size();
    std::printf("%d tool messages on the build page (%zu lines after wrapping)\n", messages, lines);
    std::printf(
        "  total %8.3f ms  mean %8.4f ms  worst step %8.3f ms   (goal: no step over 50 ms)\n",
        total * 1e3, total * 1e3 / messages, worst * 1e3);

    // ---- The results of a full diagnostics file, one step of the user interface.
    velt::Project& p = velt::CurrentProject();
    p.errorFile = out + "/full.err";
    std::string full;
    while (full.size() + 1401 <= 65535) {
        std::string line = "Error " + proj + "/src/f1.c: 12  ";
        while (line.size() < 1400) line += "token(" + std::to_string(line.size()) + ") ";
        line.resize(1400);
        full += line + "\n";
    }
    WriteFile(p.errorFile, full);
    const Clock::time_point shown = Clock::now();
    velt::ShowBuildResults();
    const double showSeconds = Seconds(shown);
    std::printf("results of a diagnostics file of %zu characters in lines of 1400: %zu lines\n",
                full.size(), velt::FrameOutputPane().Lines(velt::kBuildPage).size());
    std::printf("  one step %8.3f ms   (goal: under 50 ms)\n", showSeconds * 1e3);
    velt::gOutputLineFits = nullptr;
    velt::SetProgramRoot(nullptr);

    fs::remove_all(work);
    return 0;
}
