// The C function scanner over a 1,000,000-line C document built in memory: functions with
// bodies (ANSI and old-style), prototypes, structures, comments, strings and character
// constants holding braces and parentheses, conditional directives. Only ScanFunctionsC is
// timed (best of five); the goal is under 0.3 s.
//   scanner_bench [LINES]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "analysis/c_scanner.h"
#include "analysis/function_list.h"
#include "bench_support.h"
#include "editor/document.h"
#include "editor/document_io.h"

namespace {

using velt::bench::Clock;
using velt::bench::Seconds;

constexpr double kGoalSeconds = 0.3;

// One group: two definitions (an ANSI one and an old-style one), a prototype and a structure.
const char* const kGroup[] = {
    "/* %d: sums the weights of the entries whose name matches the key (see table.h). */",
    "struct entry_%d {",
    "    const char *name;           /* never null */",
    "    int weight, flags;",
    "    int (*compare)(const void *, const void *);",
    "};",
    "",
    "int weight_sum_%d(const struct entry_%d *table, int count, const char *key);",
    "",
    "static int",
    "weight_sum_%d(const struct entry_%d *table, int count, const char *key)",
    "{",
    "    int i, sum = 0;                     /* running total */",
    "    const char *sep = \"{(;\\\"\";          // braces (and a quote) in a string",
    "    char quote = '\\'', open = '{';",
    "    if (count <= 0 || table == NULL) {",
    "        return -1;",
    "    }",
    "    for (i = 0; i < count; i++) {",
    "        if (strcmp(table[i].name, key) == 0 && (table[i].flags & (F_A | F_B))) {",
    "            sum += table[i].weight * (i + 1);",
    "        } else {",
    "            log_msg(\"skip %%s (%%d) {\\n\", table[i].name, i);",
    "        }",
    "    }",
    "#ifdef DEBUG",
    "    fprintf(stderr, \"sum=%%d\\n\", sum);",
    "#endif",
    "    return sum;",
    "}",
    "",
    "int",
    "old_style_%d(a, b)",
    "    int a;",
    "    char *b;",
    "{",
    "    return a + (b ? *b : 0);",
    "}",
    "",
};
constexpr int kGroupLines = sizeof kGroup / sizeof kGroup[0];
constexpr int kFunctionsPerGroup = 2;

std::string MakeSource(int lines, int& functions) {
    std::string out;
    out.reserve(static_cast<std::size_t>(lines) * 40);
    char buf[256];
    functions = 0;
    int i = 0;
    for (; i + kGroupLines <= lines; i += kGroupLines) {
        const int g = i / kGroupLines;
        for (const char* row : kGroup) {
            std::snprintf(buf, sizeof buf, row, g, g);
            out += buf;
            out += '\n';
        }
        functions += kFunctionsPerGroup;
    }
    for (; i < lines; ++i) out += "/* filler */\n";
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    if (lines < 1) return 2;
    int expected = 0;
    const std::string source = MakeSource(lines, expected);
    velt::Document* doc = velt::NewDocument("/bench/big.c");
    if (velt::LoadDocumentFromText(doc->name, source, *doc) != velt::kLoadOk) {
        std::fprintf(stderr, "scanner_bench: cannot build the document\n");
        return 1;
    }
    std::printf("document: %d lines, %.1f MB, %d definitions\n", velt::CountLines(*doc),
                static_cast<double>(source.size()) / 1e6, expected);

    double best = 1e9;
    int found = 0;
    for (int run = 0; run < 5; ++run) {
        velt::ReleaseFunctionList(*doc);
        const auto t0 = Clock::now();
        velt::ScanFunctionsC(*doc);
        best = std::min(best, Seconds(t0));
        found = 0;
        for (const velt::FunctionEntry* e = velt::FunctionListOf(*doc); e; e = e->next) ++found;
    }
    std::printf("ScanFunctionsC: %.4f s (best of 5), %d functions (goal < %.1f s)\n", best, found,
                kGoalSeconds);
    velt::ReleaseFunctionList(*doc);
    velt::ReleaseDocument(doc);
    if (found != expected) {
        std::printf("EXPECTED %d FUNCTIONS\n", expected);
        return 1;
    }
    return best < kGoalSeconds ? 0 : 1;
}
