#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/files.h"

extern char** environ;

namespace velt::platform {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsExecutableFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string SearchPath(const std::string& name) {
    std::string path;
    if (const char* p = std::getenv("PATH")) {
        path = p;
    } else {
        size_t n = ::confstr(_CS_PATH, nullptr, 0);
        if (n > 0) {
            path.resize(n);
            ::confstr(_CS_PATH, path.data(), n);
            path.resize(n - 1);
        }
    }
    size_t pos = 0;
    for (;;) {
        size_t end = path.find(':', pos);
        if (end == std::string::npos) end = path.size();
        // An empty entry stands for the current directory.
        std::string dir = path.substr(pos, end - pos);
        std::string candidate = dir.empty() ? "./" + name : JoinPath(dir, name);
        if (IsExecutableFile(candidate)) return candidate;
        if (end == path.size()) return "";
        pos = end + 1;
    }
}

std::string FindExact(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        std::string resolved = ResolveName(name);
        return IsRegularFile(resolved) ? resolved : "";
    }
    return SearchPath(name);
}

// Owns the spawn attributes and file actions so every exit path releases them.
class SpawnSetup {
  public:
    SpawnSetup() {
        ::posix_spawnattr_init(&attr_);
        ::posix_spawn_file_actions_init(&actions_);
    }
    ~SpawnSetup() {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attr_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawnattr_t attr_;
    posix_spawn_file_actions_t actions_;
};

// Starts the command; the child's pid, or -1 with errno set when it could not start.
pid_t Spawn(const std::string& commandLine, const RunOptions& options, bool detached) {
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty() || args[0].empty()) {
        errno = ENOENT;
        return -1;
    }
    std::string program = FindProgram(args[0]);
    if (program.empty()) {
        errno = ENOENT;
        return -1;
    }
    // The working directory is entered before the program is executed, so a relative
    // program name must not be read against it.
    program = MakeAbsolute(program);

    SpawnSetup s;
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (detached)
        flags |= POSIX_SPAWN_SETSID;
    else if (options.newProcessGroup)
        flags |= POSIX_SPAWN_SETPGROUP;
    ::posix_spawnattr_setflags(&s.attr_, flags);
    ::posix_spawnattr_setpgroup(&s.attr_, 0);
    // The child starts clean: no blocked signals, and nothing we ignore (SIGPIPE, say)
    // stays ignored in it.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    ::posix_spawnattr_setsigmask(&s.attr_, &none);
    ::posix_spawnattr_setsigdefault(&s.attr_, &all);

    // Redirections are opened before the directory change: like handles the caller opens,
    // their names are taken relative to the caller's directory.
    if (options.hidden)
        ::posix_spawn_file_actions_addopen(&s.actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::string out = options.stdoutFile.empty() ? "" : ResolveName(options.stdoutFile);
    std::string err = options.stderrFile.empty() ? "" : ResolveName(options.stderrFile);
    if (!out.empty())
        ::posix_spawn_file_actions_addopen(&s.actions_, STDOUT_FILENO, out.c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (!err.empty()) {
        // One file for both streams must be opened once, or each would overwrite the other.
        if (err == out)
            ::posix_spawn_file_actions_adddup2(&s.actions_, STDOUT_FILENO, STDERR_FILENO);
        else
            ::posix_spawn_file_actions_addopen(&s.actions_, STDERR_FILENO, err.c_str(),
                                               O_WRONLY | O_CREAT | O_TRUNC, 0666);
    }
    std::string dir = options.directory.empty() ? "" : ResolveName(options.directory);
    if (!dir.empty()) {
        if (!IsDirectory(dir)) {
            errno = ENOENT;
            return -1;
        }
        ::posix_spawn_file_actions_addchdir_np(&s.actions_, dir.c_str());
    }

    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    // glibc reports a failed exec (and failed file actions) as the result of posix_spawn,
    // so "could not start" never looks like a program that exited with 127.
    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, program.c_str(), &s.actions_, &s.attr_, argv.data(), environ);
    if (rc != 0) {
        errno = rc;
        return -1;
    }
    return pid;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    for (;;) {
        pid_t r = ::waitpid(pid, &status, 0);
        if (r == pid) break;
        if (r < 0 && errno == EINTR) continue;
        return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false;  // a quote alone starts an argument, so "" is an empty one
    bool quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && IsBlank(c)) {
            if (inArgument) {
                args.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    // An unterminated quote runs to the end of the line.
    if (inArgument) args.push_back(std::move(current));
    return args;
}

int RunAndWait(const std::string& commandLine, const RunOptions& options) {
    pid_t pid = Spawn(commandLine, options, false);
    if (pid < 0) return -1;
    return WaitForExit(pid);
}

bool StartDetached(const std::string& commandLine, const RunOptions& options) {
    pid_t pid = Spawn(commandLine, options, true);
    if (pid < 0) return false;
    // Nobody waits for the program, so a thread of our own collects its exit status;
    // otherwise it would stay a zombie as long as we run.
    std::thread([pid] { WaitForExit(pid); }).detach();
    return true;
}

ChildProcess::~ChildProcess() {
    if (pidfd_ >= 0) ::close(pidfd_);
}

bool ChildProcess::Start(const std::string& commandLine, const RunOptions& options) {
    if (pid_ > 0) return false;
    const pid_t pid = Spawn(commandLine, options, false);
    if (pid < 0) return false;
    pid_ = pid;
    groupEnded_ = false;
#ifdef SYS_pidfd_open
    // Without it (older kernels) Wait polls.
    pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#endif
    return true;
}

bool ChildProcess::Wait(int timeoutMs, int& exitCode) {
    if (pid_ <= 0) {
        exitCode = -1;
        return true;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        siginfo_t info{};
        // WNOWAIT leaves the ended program unreaped: its pid, and so its group's id, cannot
        // be given to another process while what is left of the group is killed below.
        const int r = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            exitCode = -1;
            pid_ = -1;
            return true;
        }
        if (info.si_pid == pid_) break;
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - Clock::now()).count();
            if (left <= 0) return false;
            wait = static_cast<int>(left);
        }
        if (pidfd_ >= 0) {
            pollfd p{pidfd_, POLLIN, 0};
            ::poll(&p, 1, wait);
        } else {
            std::this_thread::sleep_for(
                std::chrono::milliseconds(wait < 0 ? 10 : std::min(wait, 10)));
        }
    }
    if (groupEnded_) ::kill(-pid_, SIGKILL);
    exitCode = WaitForExit(pid_);
    pid_ = -1;
    if (pidfd_ >= 0) ::close(pidfd_);
    pidfd_ = -1;
    return true;
}

void ChildProcess::EndGroup(bool force) {
    if (pid_ <= 0) return;
    ::kill(-pid_, force ? SIGKILL : SIGTERM);
    groupEnded_ = true;
}

std::string FindProgram(const std::string& name) {
    if (name.empty()) return "";
    std::string found = FindExact(name);
    if (!found.empty()) return found;
    if (NamePart(name).find('.') == std::string::npos) return FindExact(name + ".exe");
    return "";
}

std::string CurrentExecutablePath() {
    // The link names the file the process was started from, wherever it was started.
    std::string target(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return "";
    target.resize(static_cast<std::size_t>(n));
    return target;
}

}  // namespace velt::platform
