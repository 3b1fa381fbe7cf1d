// Search in a 1,000,000-line C file against GNU grep:
//   (a) a plain Find Next whose only match is on the last line, against grep -n -m1 -F;
//   (b) a regular expression over the whole file, counting the matching lines, against
//       grep -c -E with the same pattern.
// Velt is timed in process on a loaded document: only the search. grep is timed as a
// process on the file held in the page cache (warmed first): its start, its reading of the
// cached file and its search. Best of three each, LC_ALL=C for grep (byte semantics, as the
// editor's).
//   search_bench [LINES]
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

#include "bench_support.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/editing.h"
#include "editor/regex.h"
#include "editor/search.h"
#include "platform/files.h"

extern char** environ;

namespace {

using velt::bench::Clock;
using velt::bench::Seconds;

constexpr char kNeedle[] = "velt_bench_needle";

// Old-style C definitions with comments and indented bodies; one line in twelve is a
// "name (args)" line the regular expression of (b) matches.
std::string MakeSource(int lines) {
    static const char* const kBody[] = {
        "/* Checksum of record %d: every byte rotated into the sum. */",
        "int",
        "checksum (data, length)",
        "    const unsigned char *data;",
        "    int length;",
        "{",
        "    int sum = %d, i;               /* seeded per record */",
        "    for (i = 0; i < length; i++)",
        "        sum = (sum << 1) ^ data[i];   /* rotate and mix */",
        "    return sum & 0xffff;",
        "}",
        "",
    };
    const int n = sizeof kBody / sizeof kBody[0];
    std::string out;
    out.reserve(static_cast<std::size_t>(lines) * 36);
    char buf[256];
    for (int i = 0; i < lines - 1; ++i) {
        std::snprintf(buf, sizeof buf, kBody[i % n], i / n);
        out += buf;
        out += '\n';
    }
    out += std::string("/* ") + kNeedle + " */\n";
    return out;
}

// Runs a program with its output to the file `out`; its wall time. Never /dev/null: GNU grep
// sees it and stops at the first match.
double Run(const std::vector<std::string>& argv, const char* out) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const auto t0 = Clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        std::fprintf(stderr, "search_bench: cannot start %s\n", args[0]);
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double t = Seconds(t0);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        std::fprintf(stderr, "search_bench: %s failed (status %d)\n", args[0], status);
        std::exit(1);
    }
    return t;
}

double Best(const std::vector<std::string>& argv, int runs, const char* out) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) best = std::min(best, Run(argv, out));
    return best;
}

std::string ReadFile(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    if (lines < 2) return 2;
    setenv("LC_ALL", "C", 1);
    const std::string dir =
        velt::platform::TempDirectory() + "/velt-search-" + std::to_string(getpid());
    velt::platform::CreateDirectory(dir);
    const std::string file = dir + "/big.c";
    const std::string source = MakeSource(lines);
    {
        std::ofstream f(file, std::ios::binary);
        f << source;
    }
    std::printf("file: %d lines, %.1f MB\n", lines, static_cast<double>(source.size()) / 1e6);

    velt::Document* doc = velt::NewDocument(file);
    if (velt::LoadDocument(file, *doc) != velt::kLoadOk) {
        std::fprintf(stderr, "search_bench: cannot load %s\n", file.c_str());
        return 1;
    }
    velt::EditView* view = velt::NewView(doc, 0);
    velt::SetCurrentView(view);

    // (a) plain Find Next from the first line.
    velt::SetSearchText(kNeedle);
    velt::FindFlags() = velt::kFindCurrentWindow | velt::kFindPlain | velt::kFindForwards;
    double veltPlain = 1e9;
    for (int i = 0; i < 3; ++i) {
        velt::ResetView(*view);
        const auto t0 = Clock::now();
        const bool found = velt::FindNext();
        veltPlain = std::min(veltPlain, Seconds(t0));
        if (!found || velt::CursorLineNumber(*view) != lines) {
            std::fprintf(stderr, "search_bench: Find Next did not stop on the last line\n");
            return 1;
        }
    }
    const std::string outFile = dir + "/grep-out.txt";
    const std::vector<std::string> grepPlain = {"grep", "-n", "-m1", "-F", kNeedle, file};
    Run(grepPlain, outFile.c_str());  // the file into the page cache
    const double grepPlainTime = Best(grepPlain, 3, outFile.c_str());
    if (std::atol(ReadFile(outFile).c_str()) != lines) {
        std::fprintf(stderr, "search_bench: grep found the needle elsewhere\n");
        return 1;
    }

    // (b) the regular expression over every line (the tabs are real tab characters).
    const std::string pattern = "^[a-z_]+[ \t]*\\(.*\\)[ \t]*$";
    double veltRegex = 1e9;
    long veltCount = 0;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = Clock::now();
        velt::RegCompile(pattern.c_str());
        long count = 0;
        for (velt::Line* l : velt::Lines(*doc))
            if (velt::RegExec(l->text(), l->length)) ++count;
        veltRegex = std::min(veltRegex, Seconds(t0));
        veltCount = count;
    }
    const std::vector<std::string> grepRegex = {"grep", "-c", "-E", pattern, file};
    const double grepRegexTime = Best(grepRegex, 3, outFile.c_str());
    const long grepCount = std::atol(ReadFile(outFile).c_str());
    const double grepStart = Best({"grep", "-c", "-F", "x", "/dev/null"}, 3, outFile.c_str());

    std::printf("(a) plain, only match on the last line\n");
    std::printf("    velt Find Next (in memory):        %.4f s\n", veltPlain);
    std::printf("    grep -n -m1 -F (process, cached):  %.4f s\n", grepPlainTime);
    std::printf("    ratio velt/grep: %.2fx (goal <= 1.5x)\n", veltPlain / grepPlainTime);
    std::printf("(b) %s, counting lines\n", "^[a-z_]+[ <tab>]*\\(.*\\)[ <tab>]*$");
    std::printf("    velt RegExec per line (in memory): %.4f s, %ld lines\n", veltRegex, veltCount);
    std::printf("    grep -c -E (process, cached):      %.4f s, %ld lines\n", grepRegexTime,
                grepCount);
    std::printf("    ratio velt/grep: %.2fx (goal <= 2x)\n", veltRegex / grepRegexTime);
    std::printf("grep's own start on an empty file: %.4f s (inside both grep times)\n", grepStart);
    if (veltCount != grepCount) std::printf("COUNTS DIFFER\n");

    std::remove(file.c_str());
    std::remove(outFile.c_str());
    rmdir(dir.c_str());
    return veltCount == grepCount ? 0 : 1;
}
