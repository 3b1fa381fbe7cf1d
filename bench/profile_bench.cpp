// Writes 5,000 keys into one section of one file, one write call at a time, then reads
// them all back: through the profile store, and through the command-line tool a user would
// script instead (git config, or crudini where git is missing).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/files.h"
#include "platform/profile_store.h"

extern char** environ;

namespace {

using velt::bench::Clock;
using velt::bench::Seconds;

namespace vp = velt::platform;

constexpr int kKeys = 5000;

std::string Key(int i) {
    return "Key" + std::to_string(i);
}
std::string Value(int i) {
    return "value " + std::to_string(i);
}

// Runs a program and returns its exit status; its standard output is kept in `out` when
// given, otherwise dropped.
int Run(const std::vector<std::string>& args, std::string* out = nullptr) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out) {
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    pid_t pid;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc == 0 && out) {
        out->clear();
        char buf[4096];
        ssize_t n;
        while ((n = read(fds[0], buf, sizeof buf)) > 0) out->append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (rc != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) < 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Timing {
    double write = 0;
    double read = 0;
    double total() const { return write + read; }
};

bool Fail(const char* what, int i) {
    std::fprintf(stderr, "profile_bench: %s failed at key %d\n", what, i);
    return false;
}

bool Ours(const std::string& file, bool batched, Timing& t) {
    vp::ProfileForgetCache();
    auto start = Clock::now();
    {
        std::unique_ptr<vp::ProfileBatch> batch;
        if (batched) batch = std::make_unique<vp::ProfileBatch>(file);
        for (int i = 0; i < kKeys; ++i)
            if (!vp::ProfileWriteString(file, "section", Key(i), Value(i))) return Fail("write", i);
        if (batch && !batch->Commit()) return Fail("commit", kKeys);
    }
    t.write = Seconds(start);
    // Reading starts from the file, not from what the writes left in memory.
    vp::ProfileForgetCache();
    start = Clock::now();
    for (int i = 0; i < kKeys; ++i)
        if (vp::ProfileGetString(file, "section", Key(i), "") != Value(i)) return Fail("read", i);
    t.read = Seconds(start);
    return true;
}

bool Peer(const std::string& tool, const std::string& file, Timing& t) {
    auto start = Clock::now();
    for (int i = 0; i < kKeys; ++i) {
        int rc = tool == "git" ? Run({"git", "config", "-f", file, "section." + Key(i), Value(i)})
                               : Run({"crudini", "--set", file, "section", Key(i), Value(i)});
        if (rc != 0) return Fail("peer write", i);
    }
    t.write = Seconds(start);
    start = Clock::now();
    std::string out;
    for (int i = 0; i < kKeys; ++i) {
        int rc = tool == "git"
                     ? Run({"git", "config", "-f", file, "--get", "section." + Key(i)}, &out)
                     : Run({"crudini", "--get", file, "section", Key(i)}, &out);
        if (rc != 0 || out != Value(i) + "\n") return Fail("peer read", i);
    }
    t.read = Seconds(start);
    return true;
}

}  // namespace

int main() {
    // mkdtemp fills in the six trailing characters.
    std::string dir = vp::TempDirectory() + "/velt-bench-" + std::string(6, 'X');
    if (!mkdtemp(dir.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string tool;
    std::string version;
    if (Run({"git", "--version"}, &version) == 0)
        tool = "git";
    else if (Run({"crudini", "--version"}, &version) == 0)
        tool = "crudini";
    if (tool.empty()) {
        std::fprintf(stderr, "profile_bench: neither git nor crudini is installed\n");
        return 1;
    }
    while (!version.empty() && version.back() == '\n') version.pop_back();

    Timing single, batched, peer;
    bool ok = Ours(dir + "/single.ini", false, single) && Ours(dir + "/batch.ini", true, batched) &&
              Peer(tool, dir + "/peer.ini", peer);
    std::filesystem::remove_all(dir);
    if (!ok) return 1;

    std::printf("%d keys in one section, one write call per key, then every key read back\n",
                kKeys);
    std::printf("  %-28s write %8.3f s  read %8.3f s  total %8.3f s\n", "velt (single writes)",
                single.write, single.read, single.total());
    std::printf("  %-28s write %8.3f s  read %8.3f s  total %8.3f s\n", "velt (one ProfileBatch)",
                batched.write, batched.read, batched.total());
    std::printf("  %-28s write %8.3f s  read %8.3f s  total %8.3f s\n", version.c_str(), peer.write,
                peer.read, peer.total());
    std::printf("ratio %s / velt single writes: %.1fx (write %.1fx, read %.1fx)\n", tool.c_str(),
                peer.total() / single.total(), peer.write / single.write, peer.read / single.read);
    std::printf("ratio %s / velt batched: %.1fx\n", tool.c_str(), peer.total() / batched.total());
    return 0;
}
