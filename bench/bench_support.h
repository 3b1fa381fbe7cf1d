// Small pieces every benchmark program uses: timing, the median of repeated runs, writing a
// prepared input file.
#pragma once

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

namespace velt::bench {

using Clock = std::chrono::steady_clock;

// Seconds since `since`.
inline double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The middle of the values (the upper one of the two middles for an even count).
inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace velt::bench
