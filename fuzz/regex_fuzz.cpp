// Patterns and texts come from the user: any pattern must compile or be refused with one of
// the known errors, and any compiled program must run on any text within its bounds. The
// input's first line is the pattern, the other lines are the texts.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "editor/regex.h"
#include "shell/memory.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool KnownError(unsigned e) {
    return e == velt::kRegexNothingToRepeat ||
           (e >= velt::kRegexBad && e <= velt::kRegexTrailingBackslash);
}

// A match reported for text[0, length) lies inside it, its groups too.
void CheckMatch(const velt::CompiledRegex& rx, int length, int start, int matchLength, int from) {
    Check(start >= from && start < length && matchLength >= 0 && start + matchLength <= length);
    Check(rx.GroupStart(0) == start && rx.GroupEnd(0) == start + matchLength);
    for (int g = 1; g < velt::kRegexGroups; ++g) {
        const int s = rx.GroupStart(g);
        const int e = rx.GroupEnd(g);
        if (s < 0) continue;
        Check(s >= from && s <= length && (e < 0 || (e >= s && e <= length)));
    }
}

// Compiles the first line and runs it on the others.
void RunOne(std::string_view input) {
    const std::size_t nl = input.find('\n');
    const std::string_view pattern = input.substr(0, nl);
    std::string_view rest =
        nl == std::string_view::npos ? std::string_view() : input.substr(nl + 1);

    velt::CompiledRegex rx;
    rx.SetWorkLimit(200'000);  // the same bound, smaller, for more runs a second
    const unsigned e = rx.Compile(pattern);
    if (e != velt::kRegexOk) {
        Check(KnownError(e) && !rx.Compiled() && !velt::RegexErrorText(e).empty());
        return;
    }
    Check(rx.Compiled() && rx.Program()[0] == velt::kRegexCheckByte);
    Check(rx.ProgramSize() > 0 && rx.ProgramSize() <= velt::kRegexMaxProgram);

    for (;;) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        const int length = static_cast<int>(line.size());
        int start = 0;
        int matchLength = 0;
        const auto t0 = std::chrono::steady_clock::now();
        if (rx.Find(line.data(), length, 0, start, matchLength))
            CheckMatch(rx, length, start, matchLength, 0);
        const int from = length / 2;
        if (rx.Find(line.data(), length, from, start, matchLength)) {
            Check(start >= from);
            CheckMatch(rx, length, start, matchLength, 0);
        }
        if (rx.FindAfter(line.data(), length, from, start, matchLength))
            CheckMatch(rx, length, start, matchLength, from);
        // The work bound keeps every line short, whatever the pattern.
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        Check(seconds < 2.0);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint32_t before = velt::MemoryInUse();
    RunOne(std::string_view(reinterpret_cast<const char*>(data), size));
    Check(velt::MemoryInUse() == before);  // every program released again
    return 0;
}
