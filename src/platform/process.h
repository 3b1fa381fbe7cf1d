// Child processes. Command lines stay strings in the system's own format and are split here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velt::platform {

// Splits a command line the way the system's programs expect: blanks (space, tab) separate
// arguments outside double quotes, a double quote toggles quoting and is dropped, and
// backslashes are ordinary characters. A quoted empty text ("") is an empty argument.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

struct RunOptions {
    std::string directory;       // working directory; empty: the current one
    bool newProcessGroup = true; // the child leads a process group of its own
    bool hidden = false;         // no terminal input: stdin from /dev/null
    std::string stdoutFile;      // when set, standard output goes (truncated) to this file
    std::string stderrFile;      // when set, standard error goes (truncated) to this file
};

// Starts the program and waits without limit. Returns its exit code (128 + the signal number
// when it died of a signal), or -1 when it could not start.
int RunAndWait(const std::string& commandLine, const RunOptions& options = {});

// Starts the program in a session of its own and does not wait for it. False when it could
// not start.
bool StartDetached(const std::string& commandLine, const RunOptions& options = {});

// A started program that its starter waits for and may end, with everything it started in
// its process group. Start it with newProcessGroup, or ending it reaches its starter's group.
// Waited for from one thread; it must be waited for until it ended before it is destroyed.
class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False when the program could not start.
    bool Start(const std::string& commandLine, const RunOptions& options);
    // Waits up to `timeoutMs` milliseconds (negative: without limit). True when the program
    // has ended, with its exit code in `exitCode` (128 + the signal number when it died of a
    // signal). After EndGroup, what is left of its group when it ends is killed.
    bool Wait(int timeoutMs, int& exitCode);
    // Asks the program's process group to end (SIGTERM), or makes it (SIGKILL) with `force`.
    void EndGroup(bool force);

  private:
    int pid_ = -1;
    int pidfd_ = -1;  // readable when the program ended; -1 where the system has none
    bool groupEnded_ = false;
};

// Finds the program the first argument names: a name with a separator is resolved as a path
// (letter case ignored), otherwise the PATH is searched; a name without an extension that is
// not found is tried again with ".exe" appended. Empty when not found.
std::string FindProgram(const std::string& name);

// The full name of this process's own program file, so that a second copy of the program can
// be started; empty when the system does not tell.
std::string CurrentExecutablePath();

}  // namespace velt::platform
