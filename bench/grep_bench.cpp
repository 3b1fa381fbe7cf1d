// Find in files over a tree of C sources against GNU grep (and ripgrep when installed):
//   (a) a plain text, case-sensitive, with sub-directories, over "*.c *.h",
//       against grep -rn -F --include='*.c' --include='*.h';
//   (b) a regular expression that holds a literal, against grep -rn -E with the same pattern;
//   (c) a regular expression without one (every line goes through the matcher), for the
//       record.
// Velt is timed in process: the search job from start to its outcome taken over, plus the
// pane's lines made from every hit. The others are timed as processes writing their output
// to a file, the tree held in the page cache (warmed first). Best of three each, LC_ALL=C
// (byte semantics, as the editor's). The hit counts must agree: the tree holds no line
// longer than the loader's break, so lines are numbered alike.
//   grep_bench TREE
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

#include "analysis/grep.h"
#include "bench_support.h"
#include "platform/files.h"

extern char** environ;

namespace {

using velt::bench::Clock;
using velt::bench::Seconds;

// Runs a program with its output to the file `out`: its wall time, or a negative number
// when it cannot be started.
double Run(const std::vector<std::string>& argv, const std::string& out) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const auto t0 = Clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double t = Seconds(t0);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        std::fprintf(stderr, "grep_bench: %s failed (status %d)\n", args[0], status);
        std::exit(1);
    }
    return t;
}

long CountLines(const std::string& file) {
    std::ifstream f(file, std::ios::binary);
    long n = 0;
    std::string line;
    while (std::getline(f, line)) ++n;
    return n;
}

struct Timing {
    double seconds = -1;
    long hits = 0;
};

Timing Program(const std::vector<std::string>& argv, const std::string& out) {
    Timing t;
    if (Run(argv, out) < 0) return t;  // warms the cache; not installed: no timing
    t.seconds = 1e9;
    for (int i = 0; i < 3; ++i) t.seconds = std::min(t.seconds, Run(argv, out));
    t.hits = CountLines(out);
    return t;
}

Timing Velt(const std::string& tree, const std::string& expression, std::uint16_t flags) {
    Timing t;
    t.seconds = 1e9;
    for (int i = 0; i < 4; ++i) {  // the first run warms the cache
        const auto t0 = Clock::now();
        velt::GrepJob job;
        if (job.Start({tree, "*.c *.h", flags, expression}) != velt::kRegexOk) {
            std::fprintf(stderr, "grep_bench: %s does not compile\n", expression.c_str());
            std::exit(1);
        }
        velt::GrepOutcome out = job.Take();
        std::size_t bytes = 0;
        for (const velt::GrepHit& hit : out.hits) bytes += velt::GrepHitLine(hit, tree, "").size();
        const double s = Seconds(t0);
        if (bytes == 0 && !out.hits.empty()) std::exit(1);
        if (i > 0) t.seconds = std::min(t.seconds, s);
        t.hits = static_cast<long>(out.hits.size());
    }
    return t;
}

bool Report(const char* what, const Timing& velt, const Timing& grep, const Timing& rg,
            double goal) {
    std::printf("%s\n", what);
    std::printf("  velt      %8.3f s  %7ld hits\n", velt.seconds, velt.hits);
    std::printf("  grep      %8.3f s  %7ld hits   velt/grep %.2f", grep.seconds, grep.hits,
                velt.seconds / grep.seconds);
    if (goal > 0) std::printf("  (goal %.1f)", goal);
    std::printf("\n");
    if (rg.seconds >= 0)
        std::printf("  rg -j1    %8.3f s  %7ld hits   velt/rg   %.2f\n", rg.seconds, rg.hits,
                    velt.seconds / rg.seconds);
    bool agree = velt.hits == grep.hits && (rg.seconds < 0 || rg.hits == velt.hits);
    if (!agree) std::printf("  HIT COUNTS DIFFER\n");
    return agree;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: grep_bench TREE\n");
        return 2;
    }
    setenv("LC_ALL", "C", 1);
    const std::string tree = velt::platform::MakeAbsolute(argv[1]);
    const std::string out =
        velt::platform::TempDirectory() + "/velt-grep-bench-" + std::to_string(getpid());

    struct Case {
        const char* what;
        const char* expression;
        bool regex;
        double goal;
    };
    const Case cases[] = {
        {"(a) plain text", "malloc", false, 1.2},
        {"(b) regular expression with a literal", "static inline [a-z_]+ \\*?[a-z_]+\\(", true,
         2.0},
        {"(c) regular expression without a literal", "[A-Z][A-Z_]+[0-9]+[a-z]", true, 0},
    };
    bool agree = true;
    for (const Case& c : cases) {
        const std::uint16_t flags =
            velt::kGrepCaseSensitive | velt::kGrepSubdirectories | (c.regex ? velt::kGrepRegex : 0);
        const Timing v = Velt(tree, c.expression, flags);
        const Timing g = Program({"grep", "-rn", "-a", c.regex ? "-E" : "-F", "--include=*.c",
                                  "--include=*.h", "-e", c.expression, tree},
                                 out);
        const Timing r =
            Program({"rg", "-n", "-j1", "-uu", "-a", "--no-heading", c.regex ? "-e" : "-F",
                     c.expression, "-g", "*.c", "-g", "*.h", tree},
                    out);
        agree = Report(c.what, v, g, r, c.goal) && agree;
    }
    std::remove(out.c_str());
    return agree ? 0 : 1;
}
