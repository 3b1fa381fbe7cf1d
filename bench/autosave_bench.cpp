// One autosave tick over 20 modified documents of 1 MB each: how long the program cannot
// answer the user while the copies are written (goal: under 0.1 s), next to cp copying the
// same bytes as files.
//   autosave_bench [DIRECTORY]   (the root the copies go under; default: the temp directory)
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "editor/autosave.h"
#include "editor/document.h"
#include "platform/files.h"
#include "shell/settings.h"

extern char** environ;

namespace {

using velt::bench::Clock;
using velt::bench::Median;
using velt::bench::Seconds;

namespace fs = std::filesystem;

constexpr int kDocuments = 20;
constexpr std::size_t kDocumentBytes = 1000000;
constexpr int kRounds = 7;

// C-like lines of about 40 characters, CR LF counted, up to `bytes`.
void Fill(velt::Document& doc, int n, std::size_t bytes) {
    std::size_t size = 0;
    for (int i = 0; size < bytes; ++i) {
        char line[96];
        const int len =
            std::snprintf(line, sizeof line, "    total_%d += values[%d] * %d;", n, i, i % 97);
        velt::AppendLine(doc, velt::NewLine(line, len));
        size += static_cast<std::size_t>(len) + 2;
    }
}

// cp of the copies' bytes from one directory to another: the plain cost of writing them.
double CopyWithCp(const std::string& from, const std::string& to) {
    fs::create_directories(to);
    std::vector<std::string> args{"cp", "-r", "-T", from, to};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Seconds(start) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string base = argc > 1 ? argv[1] : velt::platform::TempDirectory();
    const std::string root = base + "/velt-autosave-bench";
    fs::remove_all(root);
    fs::create_directories(root);

    velt::GlobalSettings settings;
    settings.editorFlags |= velt::kEditorAutoSave;
    velt::InstallAutosave(settings);
    velt::SetAutosaveRoot(root);

    std::vector<velt::Document*> docs;
    for (int i = 0; i < kDocuments; ++i) {
        velt::Document* doc = velt::NewDocument(root + "/src/unit" + std::to_string(i) + ".c");
        Fill(*doc, i, kDocumentBytes);
        docs.push_back(doc);
    }

    std::vector<double> ticks;
    for (int round = 0; round < kRounds; ++round) {
        for (velt::Document* d : docs) velt::MarkChanged(*d);
        const auto start = Clock::now();
        const int written = velt::AutosaveTick();
        ticks.push_back(Seconds(start));
        if (written != kDocuments) {
            std::fprintf(stderr, "autosave_bench: the tick wrote %d of %d\n", written, kDocuments);
            return 1;
        }
    }
    std::uintmax_t bytes = 0;
    for (const auto& e : fs::directory_iterator(velt::AutosaveDirectory())) bytes += e.file_size();

    std::vector<double> cps;
    for (int round = 0; round < 3; ++round)
        cps.push_back(CopyWithCp(velt::AutosaveDirectory(), root + "/cp" + std::to_string(round)));

    const double tick = Median(ticks);
    const double cp = Median(cps);
    std::printf("autosave tick: %d documents, %.1f MB in %s\n", kDocuments, bytes / 1e6,
                velt::AutosaveDirectory().c_str());
    std::printf("  tick: median %.4f s, worst %.4f s over %d rounds (goal < 0.1 s): %s\n", tick,
                *std::max_element(ticks.begin(), ticks.end()), kRounds,
                tick < 0.1 ? "met" : "MISSED");
    if (cp > 0) std::printf("  cp -r of the same files: %.4f s, ratio %.2f\n", cp, tick / cp);

    velt::AutosaveStop();
    velt::ReleaseAllDocuments();
    fs::remove_all(root);
    return tick < 0.1 ? 0 : 2;
}
