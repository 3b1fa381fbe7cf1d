#include "build/build.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "apiindex.h"
#include "build/diagnostics.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "platform/files.h"
#include "platform/process.h"
#include "project/file_processors.h"
#include "project/makefile.h"
#include "project/project.h"
#include "project/project_commands.h"
#include "project/project_file.h"
#include "project/project_menu.h"
#include "project/projects_table.h"
#include "project/run_program.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/document_host.h"
#include "shell/exit_questions.h"
#include "shell/frame_messages.h"
#include "shell/instance.h"
#include "shell/menu_model.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/output_pane.h"
#include "shell/settings.h"
#include "shell/status_pane.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

std::function<bool()> gGenerateMakefileHook;
std::function<bool()> gDefaultProjectHook;
std::function<bool()> gEiffelPrepareHook;
std::function<bool()> gEiffelRebuildHook;
std::function<void()> gBuildWakeUi;
std::function<void()> gKeepUiRunningHook;
std::function<CompileFileChoice(const CompileFileRecord&)> gCompileFileDialog;
std::function<bool(const MissingLibrariesRecord&)> gMissingLibrariesDialog;

namespace {

const int kOwnerTag = 0;
const void* const kOwner = &kOwnerTag;

constexpr std::size_t kMaxDiagnostics = 65535;
constexpr std::size_t kMaxDiagnosticsLine = 1400;
constexpr char kUndefinedReference[] = "undefined reference to";
constexpr std::size_t kToolLineLimit = 300;
constexpr std::size_t kToolPiece = 150;
// A stop request reaches the tools only as the reply to their next message, and a tool busy
// compiling, or one that never reports, would not hear it: a build still running this long
// after the request has its process group asked to end, and ended soon after that.
constexpr std::int64_t kStopGraceMs = 250;
constexpr std::int64_t kStopForceMs = 600;
constexpr int kStopPollMs = 25;

struct Build {
    std::atomic<int> state{kBuildIdle};
    std::atomic<bool> stop{false};
    // When the running build was asked to stop (steady clock, ms); 0: it was not. Unlike
    // `stop` it is not cleared by the reply to a tool.
    std::atomic<std::int64_t> stopAskedAt{0};
    std::atomic<int> returnCode{0};
    std::atomic<unsigned> started{0};
    std::atomic<std::int64_t> milliseconds{0};
    std::thread worker;
    std::mutex mutex;  // guards the fields below
    std::deque<std::function<void()>> events;
    std::string menuText;
    // Relink's command for one build, in place of the project's own.
    std::string commandOverride;
    // The directory relative names of the last build were meant against.
    std::string startDirectory;
    ToolMessageBuffer toolText;
    std::function<bool(std::string&)> readBlock;
};

Build& B() {
    static Build build;
    return build;
}

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Post(std::function<void()> event) {
    {
        std::lock_guard<std::mutex> lock(B().mutex);
        B().events.push_back(std::move(event));
    }
    if (gBuildWakeUi) gBuildWakeUi();
}

void SetMenuText(const std::string& text) {
    std::lock_guard<std::mutex> lock(B().mutex);
    B().menuText = text;
}

bool IsEiffelProject(Project& p) {
    bool all = !p.files.empty();
    for (const std::string& f : p.files) {
        const std::string ext = AsciiLower(pf::NamePart(f));
        if (ext.size() < 2 || ext.compare(ext.size() - 2, 2, ".e") != 0) all = false;
    }
    if (all)
        p.projectFlags |= kProjectEiffel;
    else
        p.projectFlags &= ~static_cast<std::uint32_t>(kProjectEiffel);
    return all;
}

std::string MakeDirOf(const Project& p) {
    return p.make ? p.make->makeDir : std::string();
}

// A name relative to `base` joined to it; an absolute one as it is.
std::string Against(const std::string& base, const std::string& name) {
    if (name.empty() || name[0] == pf::kPathSeparator || base.empty()) return name;
    return pf::JoinPath(base, name);
}

std::string RootDirectory() {
    return ProgramRoot();
}

bool EditorFlag(std::uint32_t bit) {
    return (EditorSettings().editorFlags & bit) != 0;
}

bool IsCSource(const Document* doc) {
    if (!doc) return false;
    const std::string name = AsciiLower(doc->name);
    return name.size() > 2 && name.compare(name.size() - 2, 2, ".c") == 0;
}

// ---- The worker

struct WorkOrder {
    std::string command;
    std::string directory;  // where the command runs
    std::string makeDir;
    std::string errorFile;     // absolute
    bool checkMakeDir = true;  // not for Eiffel
    std::string menuTextAfter;
};

void RunWorker(WorkOrder order) {
    Build& b = B();
    Project& p = CurrentProject();
    b.state = kBuildRunning;
    std::error_code ec;
    std::filesystem::remove(order.errorFile, ec);

    auto finish = [&b, &order] {
        {
            std::lock_guard<std::mutex> lock(b.mutex);
            b.commandOverride.clear();
            b.menuText = order.menuTextAfter;
        }
        b.state = kBuildIdle;
        b.stop = false;
        b.stopAskedAt = 0;
    };

    if (order.checkMakeDir && !pf::IsDirectory(pf::ResolveName(order.makeDir))) {
        const std::string text =
            FormatText("The make directory %s\ndoes not exist.\nImpossible to run make\n",
                       order.makeDir.c_str());
        finish();
        Post([text] { ShowMessage(text); });
        return;
    }

    std::FILE* f = std::fopen(order.errorFile.c_str(), "wb");
    if (!f) {
        const std::string fallback = pf::JoinPath(order.makeDir, "errout.err");
        const std::string text = AsciiLower(
            FormatText("Unable to open messages file %s for writing", order.errorFile.c_str()) +
            FormatText("\nDefaulting to %s/errout.err", order.makeDir.c_str()));
        Post([text] { ShowMessage(text); });
        p.errorFile = CutField(fallback);
        order.errorFile = Against(b.startDirectory, fallback);
        f = std::fopen(order.errorFile.c_str(), "wb");
        if (!f) {
            finish();
            Post([] {
                ShowMessage(
                    "Impossible to open that too...\nThe environment is screwed up. I quit");
            });
            return;
        }
    }
    std::fclose(f);

    b.milliseconds = 0;
    b.stop = false;
    Post([] {
        FrameOutputPane().Clear(kBuildPage);
        FrameOutputPane().SetActivePage(kBuildPage);
        CurrentUi().OutputPaneChanged(kBuildPage);
    });

    pf::RunOptions options;
    options.directory = order.directory;
    options.newProcessGroup = true;
    options.hidden = true;
    options.stderrFile = order.errorFile;
    const auto start = std::chrono::steady_clock::now();
    pf::ChildProcess child;
    const bool ran = child.Start(order.command, options);
    int rc = -1;
    int ending = 0;  // 1: the group was asked to end, 2: made to
    while (ran && !child.Wait(kStopPollMs, rc)) {
        const std::int64_t at = b.stopAskedAt;
        if (at == 0) continue;
        const std::int64_t waited = NowMs() - at;
        if (waited >= kStopForceMs && ending < 2) {
            child.EndGroup(true);
            ending = 2;
        } else if (waited >= kStopGraceMs && ending < 1) {
            child.EndGroup(false);
            ending = 1;
        }
    }
    if (ran) {
        b.milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
        b.returnCode = rc;
    }
    finish();
    if (!ran) {
        const std::string text = FormatText("Impossible to execute '%s'", order.command.c_str());
        Post([text] { ShowMessage(text); });
        return;
    }
    Post([] { ShowBuildResults(); });
}

void JoinFinishedWorker() {
    if (B().worker.joinable() && B().state != kBuildRunning) B().worker.join();
}

bool EndsWithNoCase(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() &&
           EqualsNoCase(std::string_view(s).substr(s.size() - suffix.size()), suffix);
}

// "<dir>/<name without directory>" with the extension replaced by `ext`; empty when the name
// has no '.'.
std::string ObjectName(const std::string& makeDir, const std::string& file, const char* ext) {
    std::string name = pf::NamePart(file);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    name = name.substr(0, dot) + ext;
    return pf::JoinPath(makeDir, name);
}

// The open project's makefile, by the hook when one is set, else by the generator.
bool GenerateProjectMakefile() {
    if (gGenerateMakefileHook) return gGenerateMakefileHook();
    return ProjectIsOpen() && GenerateMakefile(CurrentProject(), ProjectsRoot());
}

void ShowTooBig(const std::string& name) {
    ShowMessage(FormatText("Message file %s too big", name.c_str()));
}

}  // namespace

// ---- State

int BuildState() {
    if (B().state == kBuildIdle && MakefileGenerationInProgress()) return kBuildGeneratingMakefile;
    return B().state;
}

void SetBuildState(int state) {
    B().state = state;
}

bool BuildStopRequested() {
    return B().stop;
}

int LastBuildReturnCode() {
    return B().returnCode;
}

unsigned BuildsStarted() {
    return B().started;
}

std::int64_t LastBuildMilliseconds() {
    return B().milliseconds;
}

std::string MakeMenuText() {
    {
        std::lock_guard<std::mutex> lock(B().mutex);
        if (!B().menuText.empty()) return B().menuText;
    }
    return CompileMenuText();
}

// ---- The commands

void MakeCommand() {
    if (DebugSessionRunning()) return;
    if (EditorFlag(kEditorSaveBeforeBuild)) SaveAllDocuments();
    if (!ProjectIsOpen()) {
        if (IsCSource(CurrentDocument()) &&
            AskYesNo("No project defined.\nBuild a default project?"))
            CompileCurrentFile();
        return;
    }
    if (BuildState() == kBuildGeneratingMakefile) {
        ShowMessage("Makefile is being generated. Wait till that finishes.");
        return;
    }
    if (B().state == kBuildRunning) {
        StopBuild();
        return;
    }
    if (!OfferModifiedDocuments()) return;

    Project& p = CurrentProject();
    const std::string previous = pf::CurrentDirectory();
    const bool eiffel = IsEiffelProject(p);
    if (!eiffel && p.make && !p.make->makeDir.empty()) {
        pf::SetCurrentDirectory(pf::ResolveName(p.make->makeDir));
        const std::string makefile = pf::JoinPath(p.make->makeDir, "makefile");
        if (!pf::IsRegularFile(pf::ResolveName(makefile))) {
            if (!AskYesNo("Makefile doesn't exist. Generate it?")) {
                pf::SetCurrentDirectory(previous);
                return;
            }
            const bool made = GenerateProjectMakefile();
            if (!made) {
                pf::SetCurrentDirectory(previous);
                return;
            }
            SaveProjectFiles(kSaveFileList);
        }
    }
    B().returnCode = -1;
    SetMenuText("Stop build");
    if (!StartBuild()) SetMenuText("");
    pf::SetCurrentDirectory(previous);
}

bool StartBuild() {
    if (!ProjectIsOpen()) {
        ShowMessage("No project defined");
        return false;
    }
    if (B().state != kBuildIdle) return false;
    JoinFinishedWorker();
    if (B().worker.joinable()) return false;
    Project& p = CurrentProject();
    const bool eiffel = IsEiffelProject(p);
    if (eiffel && !(gEiffelPrepareHook && gEiffelPrepareHook())) return false;

    if (p.errorFile.empty()) p.errorFile = DefaultErrorFile(p);
    WorkOrder order;
    {
        std::lock_guard<std::mutex> lock(B().mutex);
        order.command = B().commandOverride;
        B().startDirectory = pf::CurrentDirectory();
    }
    if (order.command.empty())
        order.command = p.make && !p.make->makeName.empty() ? p.make->makeName : "make";
    order.makeDir = MakeDirOf(p);
    order.directory = pf::ResolveName(eiffel ? p.sourcesDir : order.makeDir);
    order.errorFile = Against(B().startDirectory, p.errorFile);
    order.checkMakeDir = !eiffel;
    order.menuTextAfter = "";  // back to CompileMenuText()
    // The worker owns the state from here on; set now so that a second Make sees it at once.
    B().stopAskedAt = 0;
    B().state = kBuildRunning;
    try {
        B().worker = std::thread(RunWorker, std::move(order));
        ++B().started;
    } catch (const std::system_error&) {
        B().state = kBuildIdle;
        return false;
    }
    return true;
}

bool CompileCurrentFile() {
    Document* doc = CurrentDocument();
    if (!doc) return false;
    const std::string file = doc->name;
    if (!ProjectIsOpen()) {
        if (EditorFlag(kEditorSaveBeforeBuild)) SaveAllDocuments();
        if (!(gDefaultProjectHook && gDefaultProjectHook())) return false;
        if (!(GenerateProjectMakefile())) {
            ShowMessage("Error generating the make file");
            return false;
        }
    } else if (!IsProjectFile(CurrentProject(), file)) {
        CompileFileRecord record;
        record.file = file;
        const CompileFileChoice choice =
            gCompileFileDialog ? gCompileFileDialog(record) : CompileFileChoice::Cancel;
        if (choice == CompileFileChoice::Cancel) return false;
        if (choice == CompileFileChoice::Add) {
            AddProjectFile(CurrentProject(), CutField(AsciiUpper(file)));
            if (!(GenerateProjectMakefile())) return false;
        } else {
            if (!CloseCurrentProject()) return false;
            if (!OpenFile(file)) return false;
            if (!(gDefaultProjectHook && gDefaultProjectHook())) return false;
            if (!(GenerateProjectMakefile())) {
                ShowMessage("Error generating the make file");
                return false;
            }
        }
    }
    if (!ProjectIsOpen()) return false;
    Project& p = CurrentProject();
    if (!p.make) EnsureMakeSettings(p);
    const std::string object = ObjectName(MakeDirOf(p), file, ".obj");
    if (object.empty()) {
        ShowMessage(FormatText("Error in object file name %s", file.c_str()));
        return false;
    }
    std::error_code ec;
    std::filesystem::remove(pf::ResolveName(object), ec);
    return StartBuild();
}

bool RebuildAll() {
    if (!ProjectIsOpen()) {
        ShowMessage("No project defined");
        return false;
    }
    Project& p = CurrentProject();
    if (IsEiffelProject(p)) return gEiffelRebuildHook && gEiffelRebuildHook();
    if (!p.make) {
        ShowMessage("Make parameters not defined");
        return false;
    }
    if (p.files.empty()) {
        ShowMessage("No object files defined in this project");
        return false;
    }
    int deleted = 0;
    bool refusalShown = false;
    for (const std::string& f : p.files) {
        std::string object;
        if (EndsWithNoCase(f, ".c"))
            object = ObjectName(p.make->makeDir, f, ".obj");
        else if (EndsWithNoCase(f, ".rc"))
            object = ObjectName(p.make->makeDir, f, ".res");
        if (object.empty()) continue;
        object = AsciiLower(object);
        if (object.find(".obj") == std::string::npos && object.find(".res") == std::string::npos)
            continue;
        const std::string onDisk = pf::ResolveName(object);
        std::error_code ec;
        if (std::filesystem::remove(onDisk, ec)) {
            ++deleted;
        } else if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted) {
            if (!refusalShown) ShowMessage(FormatText("Impossible to delete %s", object.c_str()));
            refusalShown = true;
        }
    }
    if (deleted > 0) FrameStatusPane().ShowNotice(FormatText("%d object files deleted", deleted));
    SendFrameMessage(FrameMessage::Command, kCmdMake);
    return true;
}

bool Relink() {
    if (!ProjectIsOpen()) {
        ShowMessage("No project defined");
        return false;
    }
    if (B().state != kBuildIdle) return false;
    {
        std::lock_guard<std::mutex> lock(B().mutex);
        B().commandOverride =
            CommandLineWord(pf::JoinPath(pf::JoinPath(RootDirectory(), "bin"), "make.exe")) +
            " link";
    }
    if (StartBuild()) return true;
    std::lock_guard<std::mutex> lock(B().mutex);
    B().commandOverride.clear();
    return false;
}

bool TargetUpToDateCheck() {
    if (!EditorFlag(kEditorTestTargetUpToDate) || !ProjectIsOpen()) return true;
    Project& p = CurrentProject();
    if (!p.make || IsEiffelProject(p)) return true;
    pf::RunOptions options;
    options.directory = pf::ResolveName(p.make->makeDir);
    options.hidden = true;
    const std::string make = RootProgram("make.exe");
    if (pf::RunAndWait(CommandLineWord(make) + " -q", options) != 199) return true;
    const std::string exe = ProjectSettings().debuggerExeName;
    if (!AskYesNo(FormatText("%s is not up-to-date.\nRebuild?", exe.c_str()))) return true;
    MakeCommand();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    while (B().state != kBuildIdle) {
        if (gKeepUiRunningHook) {
            gKeepUiRunningHook();
        } else {
            PumpBuildEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    PumpBuildEvents();
    return B().returnCode == 0;
}

void PumpBuildEvents() {
    for (;;) {
        std::function<void()> event;
        {
            std::lock_guard<std::mutex> lock(B().mutex);
            if (B().events.empty()) break;
            event = std::move(B().events.front());
            B().events.pop_front();
        }
        event();
    }
    JoinFinishedWorker();
}

void StopBuild() {
    if (B().state != kBuildRunning) return;
    B().stop = true;
    std::int64_t none = 0;
    B().stopAskedAt.compare_exchange_strong(none, NowMs());
}

void WaitForBuild() {
    if (B().worker.joinable()) B().worker.join();
    PumpBuildEvents();
}

// ---- Results

DiagnosticsReading ReadDiagnostics(const std::string& bytes) {
    DiagnosticsReading r;
    std::string line;
    auto add = [&r](std::string text) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const std::size_t at = text.find(kUndefinedReference);
        if (at == std::string::npos) {
            r.lines.push_back(std::move(text));
            return;
        }
        std::size_t i = at + sizeof kUndefinedReference - 1;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::string symbol = text.substr(i);
        if (std::find(r.symbols.begin(), r.symbols.end(), symbol) == r.symbols.end())
            r.symbols.push_back(std::move(symbol));
        if (std::find(r.heldBack.begin(), r.heldBack.end(), text) == r.heldBack.end())
            r.heldBack.push_back(std::move(text));
    };
    std::size_t read = 0;
    for (char c : bytes) {
        if (++read > kMaxDiagnostics) {
            r.tooBig = true;
            return r;
        }
        if (c == '\n') {
            add(std::move(line));
            line.clear();
            continue;
        }
        line += c;
        if (line.size() > kMaxDiagnosticsLine) {
            r.tooBig = true;
            return r;
        }
    }
    if (!line.empty()) add(std::move(line));
    return r;
}

void ShowBuildResults() {
    OutputPane& pane = FrameOutputPane();
    pane.Clear(kBuildPage);
    pane.SetDoubleClickAction(
        kBuildPage, [](std::size_t index, const std::string&) { JumpToBuildLine(index); });
    Project& p = CurrentProject();
    std::string bytes;
    // Reading stops after kMaxDiagnostics characters, so one more tells a file too big; a
    // file of any size is never read whole on this thread.
    std::string name = Against(B().startDirectory, p.errorFile);
    bool opened = pf::ReadFileHead(pf::ResolveName(name), kMaxDiagnostics + 1, bytes);
    if (!opened) {
        name = pf::JoinPath(MakeDirOf(p), p.errorFile);
        opened = pf::ReadFileHead(pf::ResolveName(name), kMaxDiagnostics + 1, bytes);
    }
    const double seconds = static_cast<double>(B().milliseconds.load()) / 1000.0;
    if (!opened) {
        AddBuildLine(FormatText("Diagnostics file %s doesn't exist", p.errorFile.c_str()));
    } else if (bytes.empty()) {
        AddBuildLine(FormatText("%s built successfully. (%3.1f sec).", pf::NamePart(p.exe).c_str(),
                                seconds));
    } else {
        const DiagnosticsReading r = ReadDiagnostics(bytes);
        for (const std::string& line : r.lines) AddBuildLine(line);
        if (r.tooBig) ShowTooBig(p.errorFile);
        if (!r.symbols.empty()) {
            if (!SearchMissingLibraries(r.symbols, p)) {
                for (auto it = r.heldBack.rbegin(); it != r.heldBack.rend(); ++it)
                    AddBuildLine(*it);
            } else if (RewriteMakefileLibs(MakeDirOf(p), p.libraries) > 0) {
                ShowInfo("The missing libraries habe been added. Restart Make");
            } else {
                ShowInfo("Libraries have been added. Generate makefile and rebuild");
            }
        }
        AddBuildLine(FormatText("Compilation + link time:%3.1f sec, Return code: %d", seconds,
                                B().returnCode.load()));
    }
    const std::size_t count = pane.Lines(kBuildPage).size();
    if (count > 0) pane.SelectLine(kBuildPage, count - 1);
    pane.SetActivePage(kBuildPage);
    CurrentUi().OutputPaneChanged(kBuildPage);
}

bool SearchMissingLibraries(const std::vector<std::string>& symbols, Project& project) {
    const std::string root = RootDirectory();
    if (!OpenApiIndex(root.c_str())) return false;
    MissingLibrariesRecord record;
    for (const std::string& symbol : symbols) {
        char lib[256] = {};
        char text[256] = {};
        if (FindApi(symbol.c_str(), lib, text) < 0) continue;
        std::string library = lib;
        const std::size_t dot = library.rfind('.');
        library = (dot == std::string::npos ? library + "." : library.substr(0, dot + 1)) + "lib";
        record.lines.push_back(
            FormatText("%s (%s) %s", symbol.c_str(), text, AsciiLower(lib).c_str()));
        const std::string path = pf::JoinPath(pf::JoinPath(root, "lib"), library);
        if (pf::IsRegularFile(pf::ResolveName(path)) &&
            std::find(record.libraries.begin(), record.libraries.end(), library) ==
                record.libraries.end())
            record.libraries.push_back(library);
    }
    CloseApiIndex();
    if (record.libraries.empty()) return false;
    if (!gMissingLibrariesDialog || !gMissingLibrariesDialog(record)) return false;
    std::string libs = project.libraries;
    for (const std::string& l : record.libraries) libs += ' ' + l;
    project.libraries = libs;
    return true;
}

int RewriteMakefileLibs(const std::string& makeDir, const std::string& libraries) {
    const std::string makefile = pf::ResolveName(pf::JoinPath(makeDir, "makefile"));
    std::ifstream in(makefile, std::ios::binary);
    if (!in) return 0;
    const std::string copy = pf::JoinPath(pf::ResolveName(makeDir), "tt88$$$.tmp");
    std::ofstream out(copy, std::ios::binary | std::ios::trunc);
    if (!out) return 0;
    int replaced = 0;
    std::string line;
    while (std::getline(in, line)) {
        const bool ended = !in.eof();
        if (line.compare(0, 5, "LIBS=") == 0) {
            out << "LIBS=" << libraries << '\n';
            ++replaced;
        } else {
            out << line;
            if (ended) out << '\n';
        }
    }
    out.close();
    in.close();
    if (!out || replaced == 0) {
        pf::DeleteFile(copy);
        return 0;
    }
    pf::DeleteFile(makefile);
    if (!pf::MoveFile(copy, makefile)) return 0;
    return replaced;
}

bool JumpToBuildLine(std::size_t index) {
    const std::string text = WrappedMessageAt(FrameOutputPane().Lines(kBuildPage), index);
    if (text.empty()) return false;
    const bool eiffel = ProjectIsOpen() && (CurrentProject().projectFlags & kProjectEiffel);
    std::optional<DiagnosticEntry> entry = ParseDiagnostic(text, eiffel, pf::CurrentDirectory());
    if (!entry) return false;
    return JumpToDiagnostic(*entry);
}

// ---- Tool messages

std::vector<std::string> ToolMessageBuffer::Add(const std::string& text, bool& overflow) {
    overflow = false;
    std::vector<std::string> out;
    if (text_.size() + text.size() >= kCapacity) {
        overflow = true;
        text_.clear();
        return out;
    }
    text_ += text;
    const std::size_t blank = text_.find(' ');
    if (blank != std::string::npos && blank >= 9 &&
        EqualsNoCase(std::string_view(text_).substr(blank - 9, 9), "nimra.exe")) {
        text_.erase(0, blank + 1);
        if (text_.compare(0, 3, "-c ") == 0) text_.erase(0, 3);
    }
    const std::size_t newline = text_.find('\n');
    if (newline == std::string::npos && text_.size() <= kToolLineLimit) return out;
    std::string line = newline == std::string::npos ? text_ : text_.substr(0, newline);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    for (std::size_t i = 0; i < line.size(); i += kToolPiece)
        out.push_back(line.substr(i, kToolPiece));
    if (line.empty()) out.push_back(std::string());
    text_.clear();
    return out;
}

std::int64_t HandleToolMessage(const std::string& text) {
    if (B().state == kBuildIdle) return 0;
    const std::int64_t reply = B().stop.exchange(false) ? 1 : 0;
    bool overflow = false;
    const std::vector<std::string> lines = B().toolText.Add(text, overflow);
    if (overflow) ShowMessage("Overflow reading error message");
    if (!lines.empty()) {
        OutputPane& pane = FrameOutputPane();
        // Wrapped like every line of the list.
        for (const std::string& l : lines) AddBuildLine(l);
        const std::size_t count = pane.Lines(kBuildPage).size();
        if (count > 0) pane.SelectLine(kBuildPage, count - 1);
        CurrentUi().OutputPaneChanged(kBuildPage);
    }
    return reply;
}

// ---- Wiring

void InstallBuild(std::function<bool(std::string&)> readBlock) {
    B().readBlock = std::move(readBlock);
    CommandDispatcher& d = FrameCommands();
    d.Unregister(kOwner);
    d.Register(
        kCmdMake,
        [](const CommandCall&) {
            MakeCommand();
            return std::intptr_t{0};
        },
        kOwner);
    d.Register(
        kCmdRebuildAll, [](const CommandCall&) { return std::intptr_t{RebuildAll() ? 1 : 0}; },
        kOwner);
    d.Register(
        kCmdLink, [](const CommandCall&) { return std::intptr_t{Relink() ? 1 : 0}; }, kOwner);
    gProjectUpToDateCheck = TargetUpToDateCheck;
    gMenuItemTextHook = [](unsigned command) -> std::optional<std::string> {
        if (command != kCmdMake) return std::nullopt;
        return MakeMenuText();
    };
    FrameOutputPane().SetDoubleClickAction(
        kBuildPage, [](std::size_t index, const std::string&) { JumpToBuildLine(index); });
    auto progress = [](std::uint64_t, std::uint64_t) -> std::int64_t {
        if (B().state == kBuildIdle) return 0;
        std::string text;
        if (!B().readBlock || !B().readBlock(text)) return 0;
        return HandleToolMessage(text);
    };
    auto running = [](std::uint64_t, std::uint64_t) -> std::int64_t { return B().state; };
    SetBuildRequestHandlers(progress, running);
    SetFrameMessageHandler(FrameMessage::BuildProgress, [](std::uintptr_t, std::intptr_t lparam) {
        if (B().state == kBuildIdle) return std::intptr_t{0};
        const char* text = reinterpret_cast<const char*>(lparam);
        return static_cast<std::intptr_t>(HandleToolMessage(text ? text : ""));
    });
    SetFrameMessageHandler(FrameMessage::BuildQuery, [](std::uintptr_t, std::intptr_t) {
        return static_cast<std::intptr_t>(B().state.load());
    });
}

void UninstallBuild() {
    FrameCommands().Unregister(kOwner);
    if (gProjectUpToDateCheck) gProjectUpToDateCheck = nullptr;
    gMenuItemTextHook = nullptr;
    SetBuildRequestHandlers({}, {});
    SetFrameMessageHandler(FrameMessage::BuildProgress, {});
    SetFrameMessageHandler(FrameMessage::BuildQuery, {});
    B().readBlock = nullptr;
}

void ResetBuild() {
    if (B().worker.joinable()) B().worker.join();
    {
        std::lock_guard<std::mutex> lock(B().mutex);
        B().events.clear();
        B().menuText.clear();
        B().commandOverride.clear();
        B().toolText.Clear();
    }
    B().state = kBuildIdle;
    B().stop = false;
    B().stopAskedAt = 0;
    B().returnCode = 0;
    B().milliseconds = 0;
}

}  // namespace velt
