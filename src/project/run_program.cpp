#include "project/run_program.h"

#include "platform/files.h"
#include "platform/process.h"
#include "shell/compiler_root.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

namespace {

// Message 4380.
constexpr unsigned kDirectoryMissing = 4380;

const std::string* gRoot = nullptr;

struct ExecuteState {
    std::string name;
    std::string arguments;
    std::string startDir;
};

ExecuteState& Remembered() {
    static ExecuteState state;
    return state;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Expanded macros leave a blank behind them, and the system ignores trailing blanks of a
// file name; this host does not.
std::string TrimmedName(const std::string& name) {
    std::size_t end = name.size();
    while (end > 0 && IsBlank(name[end - 1])) --end;
    std::size_t begin = 0;
    while (begin < end && IsBlank(name[begin])) ++begin;
    std::string s = name.substr(begin, end - begin);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

// The program as the first word of a command line. A name with blanks is quoted only when it
// names a program: otherwise the blanks may separate arguments the user wrote into it.
std::string ProgramWord(const std::string& program) {
    const std::string name = TrimmedName(program);
    if (name.find_first_of(" \t") != std::string::npos && !pf::FindProgram(name).empty())
        return '"' + name + '"';
    return program;
}

std::string Cut(std::string s, std::size_t n) {
    if (s.size() > n) s.resize(n);
    return s;
}

}  // namespace

void SetProgramRoot(const std::string* root) {
    gRoot = root;
}

const std::string& ProgramRoot() {
    static const std::string none;
    return gRoot ? *gRoot : none;
}

std::string RootProgram(const std::string& name) {
    return pf::ResolveName(UnderRoot(ProgramRoot(), "bin/" + name));
}

std::string CommandLineWord(const std::string& name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') return name;
    if (name.find_first_of(" \t") == std::string::npos) return name;
    return '"' + name + '"';
}

std::string ConsoleTestCommand(const std::string& fullPath) {
    return FormatText("%s /isdos %s", CommandLineWord(RootProgram("imgdump.exe")).c_str(),
                      CommandLineWord(fullPath).c_str());
}

bool IsConsoleProgram(const std::string& program) {
    const std::string name = TrimmedName(program);
    if (name.empty()) return false;
    const std::string found = pf::FindProgram(name);
    if (found.empty()) return false;
    pf::RunOptions hidden;
    hidden.hidden = true;
    // -1: imgdump itself could not run, which says nothing about the program.
    const int rc = pf::RunAndWait(ConsoleTestCommand(pf::MakeAbsolute(found)), hidden);
    return rc != 0 && rc != -1;
}

std::string StartCommand(const std::string& program, const std::string& arguments, bool console) {
    const std::string word = ProgramWord(program);
    if (console)
        return FormatText("%s %s %s", CommandLineWord(RootProgram("conrun.exe")).c_str(),
                          word.c_str(), arguments.c_str());
    return FormatText("%s %s", word.c_str(), arguments.c_str());
}

bool StartProgram(const std::string& program, const std::string& arguments) {
    const std::string command = StartCommand(program, arguments, IsConsoleProgram(program));
    if (!pf::StartDetached(command)) {
        CurrentUi().Beep();
        return false;
    }
    return true;
}

StartDirectory::StartDirectory(const std::string& dir) {
    const std::string name = TrimmedName(dir);
    if (name.empty()) return;
    previous_ = pf::CurrentDirectory();
    // The dialogs show directories lower-cased; the disk keeps its own spelling.
    if (!pf::SetCurrentDirectory(pf::ResolveName(name))) {
        ShowMessage(FormatText(GetMessageText(kDirectoryMissing), name.c_str()));
        entered_ = false;
        return;
    }
    changed_ = true;
}

StartDirectory::~StartDirectory() {
    if (changed_) pf::SetCurrentDirectory(previous_);
}

// ---- "Execute a program"

std::function<bool(ExecuteProgramRecord&)> gExecuteProgramDialog;

void ExecuteProgramRecord::Load() {
    name = Remembered().name;
    arguments = Remembered().arguments;
    startDir = AsciiLower(pf::CurrentDirectory());
}

bool ExecuteProgramRecord::Validate() const {
    if (TrimmedName(name).empty()) {
        ShowMessage("No name of the program?");
        return false;
    }
    return true;
}

bool ExecuteProgramRecord::Run() const {
    if (!Validate()) return false;
    ExecuteState& state = Remembered();
    state.name = Cut(name, kExecuteFieldLength);
    state.arguments = Cut(arguments, kExecuteFieldLength);
    state.startDir = Cut(startDir, kExecuteFieldLength);
    const StartDirectory dir(state.startDir);
    // Started in the wrong directory, a program may work on the wrong files.
    if (!dir.entered()) return false;
    return StartProgram(state.name, state.arguments);
}

bool ExecuteProgramCommand() {
    ExecuteProgramRecord record;
    record.Load();
    if (!gExecuteProgramDialog || !gExecuteProgramDialog(record)) return false;
    return record.Run();
}

void ResetExecuteProgram() {
    Remembered() = ExecuteState{};
}

}  // namespace velt
