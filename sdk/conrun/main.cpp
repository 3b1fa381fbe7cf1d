// conrun.exe <program> <arguments...>: runs a console program and keeps its console open after
// it ends until a key is pressed. Started without a terminal of its own (as the IDE starts it)
// and with an X display, it opens a terminal window (xterm, else x-terminal-emulator) and runs
// itself inside it; otherwise the program uses the current standard streams, and the key is
// awaited only when standard input is a terminal. The exit code is the program's.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "host.h"

extern char** environ;

namespace {

// Passed to the copy of conrun that runs inside the terminal window: where to leave the code.
constexpr const char* kStatusOption = "--conrun-status=";
constexpr int kCannotRun = 127;

bool IsExecutable(const std::string& path) {
    return nimra::FileExists(path) && ::access(path.c_str(), X_OK) == 0;
}

bool SearchPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "/usr/bin:/bin";
    size_t pos = 0;
    for (;;) {
        size_t end = list.find(':', pos);
        std::string dir =
            list.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (IsExecutable(nimra::JoinPath(dir.empty() ? "." : dir, name))) return true;
        if (end == std::string::npos) return false;
        pos = end + 1;
    }
}

// The file to run: as named (letter case ignored), from the current directory before the PATH,
// and with ".exe" added when a name without an extension is not found, as Windows does.
std::string ResolveProgram(std::string name) {
    if (!nimra::FileExists(name) && name.find('\\') != std::string::npos) {
        name = nimra::ToSlashes(name);
    }
    std::vector<std::string> tries = {name};
    if (nimra::Extension(name).empty()) tries.push_back(name + ".exe");
    for (const std::string& t : tries) {
        std::string found = nimra::FindNoCase(nimra::DirName(t), nimra::BaseName(t));
        if (!found.empty()) return found.find('/') == std::string::npos ? "./" + found : found;
    }
    if (name.find('/') == std::string::npos) {
        for (const std::string& t : tries) {
            if (SearchPath(t)) return t;
        }
    }
    return name;
}

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 1;
}

// Runs the program on this process's standard streams. Interrupt keys stop the program, not
// this process, which still has to wait for the key.
int RunProgram(const std::vector<std::string>& args) {
    std::string program = ResolveProgram(args[0]);
    std::vector<std::string> argv = args;
    std::vector<char*> argp;
    for (std::string& a : argv) argp.push_back(a.data());
    argp.push_back(nullptr);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    struct sigaction ignore {
    }, oldInt{}, oldQuit{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGINT, &ignore, &oldInt);
    ::sigaction(SIGQUIT, &ignore, &oldQuit);
    pid_t pid;
    int rc = posix_spawnp(&pid, program.c_str(), nullptr, &attr, argp.data(), environ);
    posix_spawnattr_destroy(&attr);
    int code = kCannotRun;
    if (rc != 0) {
        std::fprintf(stderr, "conrun: cannot run %s: %s\n", args[0].c_str(), std::strerror(rc));
    } else {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        code = ExitCodeOf(status);
    }
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGQUIT, &oldQuit, nullptr);
    return code;
}

// "Press any key to continue" on the terminal, then one key without echo.
void WaitForKey() {
    int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return;
    const char prompt[] = "\nPress any key to continue";
    if (::write(tty, prompt, sizeof prompt - 1) < 0) {
        ::close(tty);
        return;
    }
    termios saved;
    bool raw = ::tcgetattr(tty, &saved) == 0;
    if (raw) {
        termios t = saved;
        t.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        ::tcsetattr(tty, TCSANOW, &t);
    }
    ::tcflush(tty, TCIFLUSH);  // keys typed while the program ran do not count
    char c;
    while (::read(tty, &c, 1) < 0 && errno == EINTR) {
    }
    if (raw) ::tcsetattr(tty, TCSANOW, &saved);
    if (::write(tty, "\n", 1) < 0) {
    }
    ::close(tty);
}

// Inside the terminal window: the status file is made under another name, locked, and then
// renamed into place, so the waiting conrun sees it only while it is locked and reads the code
// once the lock is released.
int RunInTerminal(const std::string& statusFile, const std::vector<std::string>& args) {
    std::string part = statusFile + ".part";
    int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::flock(fd, LOCK_EX);
        ::rename(part.c_str(), statusFile.c_str());
    }
    int code = RunProgram(args);
    WaitForKey();
    if (fd >= 0) {
        std::string text = std::to_string(code) + "\n";
        if (::write(fd, text.data(), text.size()) < 0) {
        }
        ::close(fd);
    }
    return code;
}

std::string FindTerminal() {
    for (const char* t : {"xterm", "x-terminal-emulator"}) {
        if (SearchPath(t)) return t;
    }
    return "";
}

int RunInNewTerminal(const std::string& terminal, const std::vector<std::string>& args) {
    nimra::TempDir temp;
    if (!temp.ok()) return RunProgram(args);
    std::string status = nimra::JoinPath(temp.path(), "status");
    std::vector<std::string> cmd = {
        terminal,
        "-T",
        args[0],
        "-e",
        nimra::JoinPath(nimra::JoinPath(nimra::RootDir(), "bin"), "conrun.exe"),
        kStatusOption + status};
    cmd.insert(cmd.end(), args.begin(), args.end());
    int rc = nimra::Run(cmd);
    if (rc < 0) return RunProgram(args);  // no window after all: run here

    // Some terminals hand the window to a server and return at once; give the copy inside a
    // moment to appear, then wait for it to finish.
    int fd = -1;
    for (int i = 0; i < 200 && fd < 0; ++i) {
        fd = ::open(status.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (fd < 0) {
        std::fprintf(stderr, "conrun: the terminal %s did not run %s\n", terminal.c_str(),
                     args[0].c_str());
        return kCannotRun;
    }
    ::flock(fd, LOCK_SH);
    char buf[32] = {};
    ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) {
        std::fprintf(stderr, "conrun: %s ended without an exit code\n", args[0].c_str());
        return 1;
    }
    return std::atoi(buf);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string statusFile;
    if (!args.empty() && args[0].compare(0, std::strlen(kStatusOption), kStatusOption) == 0) {
        statusFile = args[0].substr(std::strlen(kStatusOption));
        args.erase(args.begin());
    }
    if (args.empty()) {
        std::fprintf(stderr, "usage: conrun.exe <program> <arguments...>\n");
        return 2;
    }
    if (!statusFile.empty()) return RunInTerminal(statusFile, args);

    const char* display = std::getenv("DISPLAY");
    if (!::isatty(0) && display && *display) {
        std::string terminal = FindTerminal();
        if (!terminal.empty()) return RunInNewTerminal(terminal, args);
    }
    int code = RunProgram(args);
    if (::isatty(0)) WaitForKey();
    return code;
}
