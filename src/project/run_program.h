// Starting other programs: the console test through the compiler system's imgdump, the
// start itself (console programs through conrun, which keeps their window open), and the
// "Execute a program" command with its dialog record.
#pragma once

#include <functional>
#include <string>

namespace velt {

// The compiler root the programs under "<root>/bin" are found in. The string is not owned
// and is read at every use, so a root changed in the configuration counts at once; null
// (the default) stands for an empty root.
void SetProgramRoot(const std::string* root);
const std::string& ProgramRoot();

// "<root>/bin/<name>" as spelt on disk.
std::string RootProgram(const std::string& name);

// A name as one argument of a command line: in double quotes when it holds a blank or tab
// (and is not quoted already), as it is otherwise.
std::string CommandLineWord(const std::string& name);

// The command line that asks imgdump whether `fullPath` is a console program.
std::string ConsoleTestCommand(const std::string& fullPath);
// Whether `program` is a console program: it is searched like the system searches programs
// (".exe" tried when it has no extension), then "<root>/bin/imgdump.exe /isdos <full path>"
// runs hidden and its exit code answers (non-zero: console). A program that is not found,
// or an imgdump that cannot run, counts as not a console program.
bool IsConsoleProgram(const std::string& program);

// The command line that starts `program` with `arguments`: "<root>/bin/conrun.exe %s %s"
// for a console program, "%s %s" otherwise.
std::string StartCommand(const std::string& program, const std::string& arguments, bool console);
// Starts `program` (tested for a console program) and does not wait for it. A program that
// cannot be started beeps; false then.
bool StartProgram(const std::string& program, const std::string& arguments);

// Makes `dir` the current directory for the life of the object and puts the previous one
// back afterwards. An empty `dir` changes nothing. A directory that cannot be entered shows
// "Directory %s doesn't exist"; entered() is false then.
class StartDirectory {
  public:
    explicit StartDirectory(const std::string& dir);
    ~StartDirectory();
    StartDirectory(const StartDirectory&) = delete;
    StartDirectory& operator=(const StartDirectory&) = delete;
    bool entered() const { return entered_; }

  private:
    std::string previous_;
    bool changed_ = false;
    bool entered_ = true;
};

// ---- "Execute a program" (1124)

inline constexpr char kExecuteDialogTitle[] = "Execute a program";
inline constexpr std::size_t kExecuteFieldLength = 511;

struct ExecuteProgramRecord {
    std::string name;       // "Name:"
    std::string arguments;  // "Arguments:"
    std::string startDir;   // "Start directory"

    // The previous name and arguments; the current directory, lower-cased.
    void Load();
    // An empty name shows "No name of the program?": false keeps the dialog open.
    bool Validate() const;
    // Remembers name and arguments for the next time and starts the program, with the start
    // directory current while it starts. False when nothing was started.
    bool Run() const;
};

// Shows the dialog on a loaded record; true when it was confirmed (after Validate passed).
// Filled by the front end; unset, the dialog counts as cancelled.
extern std::function<bool(ExecuteProgramRecord&)> gExecuteProgramDialog;

// The command: loads the record, shows the dialog, runs what was confirmed.
bool ExecuteProgramCommand();
// Forgets the remembered name and arguments (tests).
void ResetExecuteProgram();

}  // namespace velt
