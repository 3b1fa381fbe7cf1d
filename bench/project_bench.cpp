// Opens a project of 5,000 files with 20 dependencies each (its file list included) and
// closes it again with its file list saved, against copying the same project file with cp.
// Optional arguments: the number of files, the number of rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/profile_store.h"
#include "project/project.h"
#include "project/project_commands.h"
#include "project/project_file.h"
#include "project/projects_table.h"
#include "shell/messages.h"

namespace {

using velt::bench::Clock;
using velt::bench::Median;
using velt::bench::Seconds;

namespace vp = velt::platform;

constexpr int kDependencies = 20;

std::string ProjectText(int files) {
    std::string t = "; Velt project file. Syntax: Name = value\n[bench]\n";
    t += "Frame=0 0 1024 768\nName=bench\nOpenFiles=0\nMakeName=make\nMakeDir=/tmp\n";
    t += "CompilerFlags=136\nProjectFlags=0\n";
    t += "PrjFiles=" + std::to_string(files) + "\n";
    for (int k = 1; k <= files; ++k) t += velt::FormatText("File%d=src/module%05d.c\n", k, k);
    for (int k = 1; k <= files; ++k) {
        t += velt::FormatText("File%dDependencies=%d\n", k, kDependencies);
        for (int j = 1; j <= kDependencies; ++j)
            t += velt::FormatText("File%dDependencies%d=include/header%03d_%02d.h\n", k, j,
                                  (k + j) % 500, j);
    }
    t += "CmsDirectory=/tmp/CMS\nProjectFlags=0\n";
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    if (files < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: project_bench [FILES [ROUNDS]]\n");
        return 2;
    }
    std::string dir = vp::CreateTempFile(vp::TempDirectory(), "velt-project-bench-");
    vp::DeleteFile(dir);
    if (!vp::CreateDirectory(dir) || !vp::CreateDirectory(dir + "/lib")) {
        std::fprintf(stderr, "project_bench: cannot create %s\n", dir.c_str());
        return 1;
    }
    const std::string prj = dir + "/bench.prj";
    const std::string copy = dir + "/copy.prj";
    const std::string text = ProjectText(files);
    vp::ReplaceFileAtomically(dir + "/lib/projects.ini", "[Projects]\nbench=" + prj + "\n", true);
    velt::SetProjectsRoot(dir);
    velt::ReadProjectsTable(false);

    std::vector<double> open, close, cp;
    for (int r = 0; r < rounds; ++r) {
        vp::ReplaceFileAtomically(prj, text, true);
        vp::ProfileForgetCache();

        Clock::time_point t = Clock::now();
        if (!velt::OpenProjectByName("bench")) {
            std::fprintf(stderr, "project_bench: the project did not open\n");
            return 1;
        }
        open.push_back(Seconds(t));
        const velt::Project& p = velt::CurrentProject();
        if (p.files.size() != static_cast<std::size_t>(files) ||
            p.dependencies.size() != static_cast<std::size_t>(files) ||
            p.dependencies.front().includes.size() != kDependencies) {
            std::fprintf(stderr, "project_bench: the file list did not load whole\n");
            return 1;
        }

        t = Clock::now();
        const int saved = velt::SaveProjectFiles(velt::kSaveFileList);
        if (saved != 1 || !velt::CloseCurrentProject()) {
            std::fprintf(stderr, "project_bench: the project did not save and close\n");
            return 1;
        }
        close.push_back(Seconds(t));

        vp::DeleteFile(copy);
        t = Clock::now();
        if (vp::RunAndWait("cp " + prj + " " + copy) != 0) {
            std::fprintf(stderr, "project_bench: cp failed\n");
            return 1;
        }
        cp.push_back(Seconds(t));
    }

    std::string bytes;
    vp::ReadWholeFile(prj, bytes);
    const double openS = Median(open), closeS = Median(close), cpS = Median(cp);
    std::printf("project of %d files x %d dependencies (%.1f MB), median of %d rounds\n", files,
                kDependencies, bytes.size() / 1e6, rounds);
    std::printf("  open (load + file list)    %8.1f ms\n", openS * 1e3);
    std::printf("  close (file list saved)    %8.1f ms\n", closeS * 1e3);
    std::printf("  open + close               %8.1f ms   (limit 1000 ms)\n",
                (openS + closeS) * 1e3);
    std::printf("  cp of the .prj (a process) %8.1f ms   ratio %.1f\n", cpS * 1e3,
                (openS + closeS) / cpS);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return openS + closeS < 1.0 ? 0 : 1;
}
