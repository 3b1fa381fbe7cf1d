// Loads and saves a 1,000,000-line C file: `velt-cli resave` against vim writing the same
// file, best of three runs each, and the memory the loaded document takes.
//   docio_bench VELT_CLI [LINES]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "editor/document.h"
#include "editor/document_io.h"
#include "platform/files.h"
#include "shell/memory.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A C file of `lines` lines in the shape of real sources: functions of a dozen lines with
// comments, declarations, indented statements and blank lines between them.
std::string MakeSource(int lines) {
    static const char* const kBody[] = {
        "/* Computes the checksum of one record of the table, %d. */",
        "static int checksum_%d(const unsigned char *data, int length, int seed)",
        "{",
        "    int sum = seed, i;          /* running sum */",
        "",
        "    for (i = 0; i < length; i++) {  /* every byte once */",
        "        sum = (sum << 1) ^ data[i];   /* rotate and mix the byte */",
        "        if (sum & 0x10000) sum ^= 0x1021;  /* fold the carry */",
        "    }",
        "    printf(\"record %%d: checksum %%08x\\n\", length, sum);",
        "    return sum + %d;   /* distinct per function */",
        "}",
        "",
    };
    const int n = sizeof kBody / sizeof kBody[0];
    std::string out;
    out.reserve(static_cast<std::size_t>(lines) * 42);
    char buf[256];
    for (int i = 0; i < lines; ++i) {
        std::snprintf(buf, sizeof buf, kBody[i % n], i / n);  // lines without %d ignore it
        out += buf;
        out += '\n';
    }
    return out;
}

double Run(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    auto start = Clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        std::fprintf(stderr, "docio_bench: cannot start %s\n", args[0]);
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    double t = std::chrono::duration<double>(Clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "docio_bench: %s failed (status %d)\n", args[0], status);
        std::exit(1);
    }
    return t;
}

double Best(const std::vector<std::string>& argv, int runs) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        double t = Run(argv);
        if (t < best) best = t;
    }
    return best;
}

long ResidentKiB() {
    std::ifstream f("/proc/self/status");
    std::string key;
    while (f >> key) {
        if (key == "VmRSS:") {
            long v = 0;
            f >> v;
            return v;
        }
        std::string rest;
        std::getline(f, rest);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: docio_bench VELT_CLI [LINES]\n");
        return 2;
    }
    std::string cli = argv[1];
    int lines = argc > 2 ? std::atoi(argv[2]) : 1000000;
    std::string dir = velt::platform::TempDirectory() + "/velt-docio-" + std::to_string(getpid());
    velt::platform::CreateDirectory(dir);
    std::string in = dir + "/big.c";
    std::string source = MakeSource(lines);
    {
        std::ofstream f(in, std::ios::binary);
        f << source;
    }
    std::printf("file: %d lines, %.1f MB\n", lines, static_cast<double>(source.size()) / 1e6);

    // Memory of the loaded document, in this process.
    {
        std::uint32_t before = velt::MemoryInUse();
        long rssBefore = ResidentKiB();
        velt::Document* doc = velt::NewDocument(in);
        auto t0 = Clock::now();
        velt::LoadDocument(in, *doc);
        double loadTime = std::chrono::duration<double>(Clock::now() - t0).count();
        std::uint32_t used = velt::MemoryInUse() - before;
        long rss = ResidentKiB() - rssBefore;
        double budget = static_cast<double>(source.size()) + 48.0 * lines;
        std::printf("load in process: %.3f s\n", loadTime);
        std::printf(
            "memory after load (checked blocks): %u bytes = file + %.1f bytes/line "
            "(budget file + 48/line: %s)\n",
            used, (static_cast<double>(used) - static_cast<double>(source.size())) / lines,
            used <= budget ? "met" : "NOT met");
        std::printf("resident growth: %ld KiB = file + %.1f bytes/line\n", rss,
                    (rss * 1024.0 - static_cast<double>(source.size())) / lines);
        velt::ReleaseDocument(doc);
    }

    std::string outVelt = dir + "/out-velt.c";
    std::string outVim = dir + "/out-vim.c";
    double velt = Best({cli, "resave", in, outVelt}, 3);
    double vim = Best({"vim", "-u", "NONE", "-N", "-es", "-c", "w! " + outVim, "-c", "q", in}, 3);
    std::printf("velt-cli resave: %.3f s\n", velt);
    std::printf("vim -es w!:      %.3f s\n", vim);
    std::printf("ratio vim/velt:  %.2fx (goal >= 2x)\n", vim / velt);

    std::remove(in.c_str());
    std::remove(outVelt.c_str());
    std::remove(outVim.c_str());
    rmdir(dir.c_str());
    return 0;
}
