#include "common/host_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace nimra {

namespace {

// The environment of the child: ours, with the messages forced into the C locale.
std::vector<std::string> ChildEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        std::string_view v(*e);
        if (v.starts_with("LC_ALL=") || v.starts_with("LC_MESSAGES=") ||
            v.starts_with("LANGUAGE=") || v.starts_with("GCC_COLORS="))
            continue;
        env.emplace_back(v);
    }
    env.emplace_back("LC_ALL=C");
    return env;
}

void CloseBoth(int p[2]) {
    if (p[0] >= 0) ::close(p[0]);
    if (p[1] >= 0) ::close(p[1]);
    p[0] = p[1] = -1;
}

}  // namespace

std::string HostCompiler() {
    const char* cc = std::getenv("NIMRA_CC");
    return cc && *cc ? cc : "gcc";
}

HostResult RunHost(const std::vector<std::string>& argv, bool captureOut,
                   const std::string* input) {
    HostResult result;
    if (argv.empty()) return result;
    int errPipe[2] = {-1, -1}, outPipe[2] = {-1, -1}, inPipe[2] = {-1, -1};
    if (::pipe2(errPipe, O_CLOEXEC) != 0 || (captureOut && ::pipe2(outPipe, O_CLOEXEC) != 0) ||
        (input && ::pipe2(inPipe, O_CLOEXEC) != 0)) {
        result.startError = errno;
        CloseBoth(errPipe);
        CloseBoth(outPipe);
        CloseBoth(inPipe);
        return result;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    if (captureOut) posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    if (input) posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);

    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> env = ChildEnvironment();
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(errPipe[1]);
    if (captureOut) ::close(outPipe[1]);
    if (input) ::close(inPipe[0]);
    if (rc != 0) {
        result.startError = rc;
        ::close(errPipe[0]);
        if (captureOut) ::close(outPipe[0]);
        if (input) ::close(inPipe[1]);
        return result;
    }
    result.started = true;

    // Feed and drain together: a child that writes much before reading its input must not
    // block us both.
    const bool hadSigpipe = input != nullptr;
    struct sigaction ignore {
    }, old{};
    if (hadSigpipe) {
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &old);
    }
    size_t fed = 0;
    int inFd = input ? inPipe[1] : -1;
    if (inFd >= 0 && input->empty()) {
        ::close(inFd);
        inFd = -1;
    }
    int errFd = errPipe[0], outFd = captureOut ? outPipe[0] : -1;
    while (errFd >= 0 || outFd >= 0 || inFd >= 0) {
        struct pollfd fds[3];
        int n = 0;
        int errAt = -1, outAt = -1, inAt = -1;
        if (errFd >= 0) errAt = n, fds[n++] = {errFd, POLLIN, 0};
        if (outFd >= 0) outAt = n, fds[n++] = {outFd, POLLIN, 0};
        if (inFd >= 0) inAt = n, fds[n++] = {inFd, POLLOUT, 0};
        if (::poll(fds, n, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        char buf[8192];
        auto drain = [&](int at, int& fd, std::string& into) {
            if (at < 0 || !(fds[at].revents & (POLLIN | POLLHUP | POLLERR))) return;
            ssize_t got = ::read(fd, buf, sizeof buf);
            if (got > 0) {
                into.append(buf, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(fd);
                fd = -1;
            }
        };
        drain(errAt, errFd, result.err);
        drain(outAt, outFd, result.out);
        if (inAt >= 0 && (fds[inAt].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t put = ::write(inFd, input->data() + fed, input->size() - fed);
            if (put > 0) fed += static_cast<size_t>(put);
            if ((put < 0 && errno != EINTR) || fed == input->size()) {
                ::close(inFd);
                inFd = -1;
            }
        }
    }
    if (hadSigpipe) ::sigaction(SIGPIPE, &old, nullptr);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.exitCode = 128 + WTERMSIG(status);
    return result;
}

bool ThirtyTwoBitCompileWorks() {
    static const std::string probe =
        "#include <stdio.h>\n#include <stdlib.h>\nint main(void) { puts(\"\"); return 0; }\n";
    HostResult r =
        RunHost({HostCompiler(), "-m32", "-c", "-x", "c", "-", "-o", "/dev/null"}, true, &probe);
    return r.started && r.exitCode == 0;
}

}  // namespace nimra
