// The command line of a start: options, the project to open, the files to open and the
// program to debug. The line is lower-cased before it is read (file names still find their
// files: every scan goes through the case-insensitive resolver).
//
// Options are tokens that begin with '-' or with '/' followed only by letters and digits
// ("/w", "/p123", "-f"); a token such as "/home/me/a.c" is a file name, since on this host
// absolute names begin with '/'. The letter after the sign selects the option:
//   "/prj:NAME"  (at the start of any token) the rest of the line names the project to open;
//                nothing else of the line is read after it, and no files are opened
//   e N          attach event N (the number may follow after a blank)
//   p N, d N     attach to process N: no session restore or save, counts as another instance
//   f            no session restore or save
//   w, ww        no session restore or save, and no splash box
//   n            do not save the session
//   others       ignored
// Every other token is a file pattern, opened relative to the start directory. A name ending
// in ".exe" starts a debug session on that program: the tokens after it are its arguments
// and are not read as options or files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

struct StartupOptions {
    bool lineGiven = false;  // the line holds more than blanks
    std::string project;     // the text after "/prj:", lower-cased; empty when none
    bool splash = true;
    bool restoreSession = true;
    bool saveSession = true;
    bool anotherInstance = false;
    std::uint32_t attachPid = 0;  // 0: no attach
    std::uint64_t attachEvent = 0;
    std::vector<std::string> filePatterns;  // lower-cased, in line order

    // Debug start: the program token (lower-cased) as read; OpenCommandLineFiles replaces
    // it with the program found on disk and fills the directory.
    bool debugStart = false;
    std::string debuggerExeName;
    std::string debuggerArguments;  // the tokens after the program, in their own spelling
    std::string debuggerDir;

    // Filled by OpenCommandLineFiles.
    std::vector<std::string> filesOpened;
    bool openedAnything = false;
};

// The process entry rule for a raw command line: drops the program name (a quoted name up to
// its closing quote, else up to the first blank) and the blanks after it.
std::string_view SkipProgramName(std::string_view rawLine);

// The line for a start from an argument vector (without the program name): arguments joined
// by blanks, those holding a blank (or empty) in double quotes, so that splitting the line
// gives them back.
std::string CommandLineFromArguments(const std::vector<std::string>& args);

// Reads the line; no side effects. `anotherInstance` is what the start found (an instance
// already running); "/p" sets it and "/prj:" clears it.
StartupOptions ParseCommandLine(std::string_view line, bool anotherInstance);

// The text shown when a debug start is asked for, until the debugger exists.
std::string DebuggingUnavailableText(const std::string& program);
// The text shown when a project is to be opened, until projects exist.
std::string ProjectsUnavailableText(const std::string& project);

// Opens the files of the parsed line through CurrentDocuments(): each pattern relative to
// `startDirectory`, every matching file opened; a pattern matching no file shows
// "[%s]: incorrect file name". Then the debug start, if any. Afterwards the current
// directory is that of the last file opened (of the program, for a debug start), or is
// left as it was when nothing was opened.
void OpenCommandLineFiles(StartupOptions& options, const std::string& startDirectory);

}  // namespace velt
