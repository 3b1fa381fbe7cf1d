// make.exe: GNU make over a rewritten copy of the makefile (see makefile_text.h), with the
// compiler system's bin directory first in PATH. "-q" answers 199 when a target is out of date
// and 0 when everything is up to date; errors give GNU make's own codes (2). Messages naming
// the temporary copy name the real makefile instead.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host.h"
#include "makefile_text.h"

extern char** environ;

namespace {

constexpr int kOutOfDate = 199;

volatile sig_atomic_t gChild = 0;

void Forward(int sig) {
    if (gChild > 0) ::kill(gChild, sig);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "make.exe: %s\n", message.c_str());
    return 2;
}

struct Makefile {
    std::string name;  // as the user named it, for messages
    std::string copy;  // the rewritten copy that GNU make reads
};

// GNU make's short options that take a value, attached or as the next argument.
bool TakesValue(char c) {
    return c == 'f' || c == 'C' || c == 'I' || c == 'o' || c == 'W' || c == 'E';
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string ReplaceAll(std::string text, const std::vector<Makefile>& files) {
    for (const Makefile& f : files) {
        for (size_t at = text.find(f.copy); at != std::string::npos;
             at = text.find(f.copy, at + f.name.size())) {
            text.replace(at, f.copy.size(), f.name);
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<std::string> pass;  // arguments for GNU make, except the makefiles
    std::vector<std::string> named;
    bool question = false;

    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        auto next = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        std::string value;
        if (arg == "--question") {
            question = true;
            pass.push_back(arg);
        } else if (arg.compare(0, 7, "--file=") == 0 || arg.compare(0, 11, "--makefile=") == 0) {
            named.push_back(nimra::ToSlashes(arg.substr(arg.find('=') + 1)));
        } else if (arg == "--file" || arg == "--makefile") {
            if (!next(value)) return Fail("option " + arg + " needs a file name");
            named.push_back(nimra::ToSlashes(value));
        } else if (arg.compare(0, 12, "--directory=") == 0 || arg == "--directory") {
            if (arg != "--directory") {
                value = arg.substr(12);
            } else if (!next(value)) {
                return Fail("option --directory needs a directory");
            }
            if (::chdir(nimra::ToSlashes(value).c_str()) != 0) {
                return Fail("cannot change to " + value + ": " + std::strerror(errno));
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] != '-') {
            // A cluster of short options; -f and -C are handled here, the rest passed on.
            std::string flags = "-";
            for (size_t k = 1; k < arg.size(); ++k) {
                char c = arg[k];
                if (c == 'q') question = true;
                if (!TakesValue(c)) {
                    flags += c;
                    if (c == 'j' || c == 'l' || c == 'O') {  // optional attached value
                        flags += arg.substr(k + 1);
                        break;
                    }
                    continue;
                }
                if (k + 1 < arg.size()) {
                    value = arg.substr(k + 1);
                } else if (!next(value)) {
                    return Fail(std::string("option -") + c + " needs a value");
                }
                if (c == 'f') {
                    named.push_back(nimra::ToSlashes(value));
                } else if (c == 'C') {
                    if (::chdir(nimra::ToSlashes(value).c_str()) != 0) {
                        return Fail("cannot change to " + value + ": " + std::strerror(errno));
                    }
                } else {
                    if (flags.size() > 1) pass.push_back(flags);
                    flags = "-";
                    pass.push_back(std::string("-") + c);
                    pass.push_back(nimra::ToSlashes(value));
                }
                break;
            }
            if (flags.size() > 1) pass.push_back(flags);
        } else if (arg.compare(0, 2, "--") == 0) {
            pass.push_back(arg);
        } else {
            pass.push_back(nimra::ToSlashes(arg));  // a target or VAR=value
        }
    }

    if (named.empty()) {
        for (const char* name : {"GNUmakefile", "makefile", "Makefile"}) {
            if (nimra::FileExists(name)) {
                named.push_back(name);
                break;
            }
        }
        if (named.empty()) {
            std::string found = nimra::FindNoCase(".", "makefile");
            if (!found.empty()) named.push_back(found);
        }
    }

    nimra::TempDir temp;
    if (!temp.ok())
        return Fail(std::string("cannot make a temporary directory: ") + std::strerror(errno));
    std::vector<Makefile> files;
    for (const std::string& name : named) {
        std::string path =
            name == "-" ? name : nimra::FindNoCase(nimra::DirName(name), nimra::BaseName(name));
        if (path == "-") return Fail("a makefile on standard input is not supported");
        std::string text;
        if (path.empty() || !nimra::ReadWholeFile(path, text)) {
            return Fail(name + ": " +
                        (path.empty() ? std::strerror(ENOENT) : std::strerror(errno)));
        }
        Makefile f;
        f.name = name;
        f.copy = nimra::JoinPath(temp.path(),
                                 std::to_string(files.size()) + "-" + nimra::BaseName(name));
        if (!nimra::WriteWholeFile(f.copy, nimra::TranslateMakefile(text))) {
            return Fail("cannot write " + f.copy + ": " + std::strerror(errno));
        }
        files.push_back(f);
    }

    std::string root = nimra::RootDir();
    std::string bin = nimra::JoinPath(root, "bin");
    const char* oldPath = std::getenv("PATH");
    std::string path = bin + (oldPath && *oldPath ? ":" + std::string(oldPath) : "");
    ::setenv("PATH", path.c_str(), 1);

    // argv[0] names this program, so that $(MAKE) in a recipe comes back here and GNU make's
    // messages read "make.exe: ...".
    std::vector<std::string> cmd = {nimra::JoinPath(bin, "make.exe")};
    for (const Makefile& f : files) {
        cmd.push_back("-f");
        cmd.push_back(f.copy);
    }
    cmd.insert(cmd.end(), pass.begin(), pass.end());
    std::vector<char*> argp;
    for (std::string& s : cmd) argp.push_back(s.data());
    argp.push_back(nullptr);

    int errPipe[2];
    if (::pipe2(errPipe, O_CLOEXEC) != 0) return Fail(std::string("pipe: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);

    // Ctrl+C reaches GNU make through the terminal's process group; this program stays to
    // remove its copies and to pass the result on.
    ::signal(SIGINT, SIG_IGN);
    ::signal(SIGQUIT, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGTERM, Forward);
    ::signal(SIGHUP, Forward);
    pid_t pid;
    int rc = posix_spawnp(&pid, "make", &actions, &attr, argp.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(errPipe[1]);
    if (rc != 0) {
        ::close(errPipe[0]);
        return Fail(std::string("cannot run GNU make: ") + std::strerror(rc));
    }
    gChild = pid;

    std::string pending;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(errPipe[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buf, static_cast<size_t>(n));
        size_t end = pending.rfind('\n');
        if (end != std::string::npos) {
            WriteAll(2, ReplaceAll(pending.substr(0, end + 1), files));
            pending.erase(0, end + 1);
        }
    }
    if (!pending.empty()) WriteAll(2, ReplaceAll(pending, files));
    ::close(errPipe[0]);

    int status;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return Fail(std::string("waitpid: ") + std::strerror(errno));
    }
    gChild = 0;
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    int code = WEXITSTATUS(status);
    if (question && code == 1) return kOutOfDate;
    return code;
}
