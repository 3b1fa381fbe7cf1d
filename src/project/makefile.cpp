#include "project/makefile.h"

#include <cstdio>
#include <memory>
#include <string_view>
#include <utility>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "platform/files.h"
#include "platform/process.h"
#include "project/build_pages.h"
#include "project/file_processors.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/projects_table.h"
#include "shell/commands.h"
#include "shell/compiler_root.h"
#include "shell/dispatch.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/status_pane.h"
#include "shell/strutil.h"

namespace velt {

namespace pf = platform;

std::function<bool(FileProcessorRecord&)> gFileProcessorDialog;
std::function<void(const std::string& path)> gCloseMakefileWindow;

namespace {

constexpr char kSep = pf::kPathSeparator;
const int kOwnerTag = 0;
const void* const kOwner = &kOwnerTag;

MakefileProgress& Progress() {
    static MakefileProgress progress;
    return progress;
}

bool& InProgress() {
    static bool running = false;
    return running;
}

bool HasBlank(std::string_view s) {
    return s.find(' ') != std::string_view::npos;
}

std::string Quoted(const std::string& s) {
    return HasBlank(s) ? "\"" + s + "\"" : s;
}

std::string NameOnly(const std::string& path) {
    const std::size_t slash = path.rfind(kSep);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HasDirectory(const std::string& name) {
    return name.find(kSep) != std::string::npos;
}

// The extension as the object list sees it: from the last '.', lower-cased, without the dot.
// Nothing when the name has no '.'.
bool LastExtension(const std::string& name, std::string& ext) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    ext = AsciiLower(name.substr(dot + 1));
    return true;
}

// `name` with the text from its last '.' replaced by `ext` (appended when there is none).
std::string WithExtension(const std::string& name, const char* ext) {
    const std::size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ext;
}

// The name as the file system spells it, so make and the compiler find files whose stored
// names differ in letter case.
std::string OnDisk(const std::string& path) {
    return pf::ResolveName(path);
}

// Splits at the delimiter the remaining text holds: ';' first, else ',', else a blank. Like
// the C library's tokenizer, runs of the delimiter produce no empty symbols.
std::vector<std::string> DefineSymbols(const std::string& defines) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < defines.size()) {
        const std::string_view rest(defines.data() + pos, defines.size() - pos);
        const char delim = rest.find(';') != std::string_view::npos   ? ';'
                           : rest.find(',') != std::string_view::npos ? ','
                                                                      : ' ';
        while (pos < defines.size() && defines[pos] == delim) ++pos;
        if (pos >= defines.size()) break;
        std::size_t end = defines.find(delim, pos);
        if (end == std::string::npos) end = defines.size();
        out.push_back(defines.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

class Generation {
  public:
    Generation(Project& p, const std::string& root) : p_(p), root_(root) {}
    ~Generation() {
        if (out_) std::fclose(out_);
        if (progressShown_ && Progress().end) Progress().end();
        InProgress() = false;
    }
    bool Run();

  private:
    void Put(std::string_view s) { std::fwrite(s.data(), 1, s.size(), out_); }
    void Put(char c) { std::fputc(c, out_); }

    bool Complete();
    bool ReplaceForeignMakefile();
    bool WriteObjects();
    void WriteOutputFile();
    void WriteLinkCommand();
    bool WriteRules();
    void WriteRule(const std::string& file);
    std::string SourcePath(const std::string& file) const;
    void Scan(const std::string& sourcePath);
    // The list of the last scan, while no scan of this generation has failed.
    void WriteDependencies();

    Project& p_;
    std::string root_;
    std::FILE* out_ = nullptr;
    std::string makefile_;
    std::string sourceDir_;  // lower-cased, then as the disk spells it
    bool rootHasBlank_ = false;
    bool hasResource_ = false;
    bool resListed_ = false;
    bool fortran_ = false;
    std::string includeSwitches_;
    int failedScans_ = 0;
    bool progressShown_ = false;
};

bool Generation::Complete() {
    if (p_.includes.empty()) p_.includes = UnderRoot(root_, "include");
    if (p_.sourcesDir.empty()) p_.sourcesDir = p_.projectPath;
    if (p_.errorFile.empty()) p_.errorFile = DefaultErrorFile(p_);
    if (!root_.empty() && EqualsNoCase(p_.sourcesDir, UnderRoot(root_, "bin")))
        ShowInfo(FormatText("Warning:\nPlease do not use %s to put your sources",
                            p_.sourcesDir.c_str()));
    InProgress() = true;
    EnsureMakeSettings(p_);
    if (!p_.make) p_.make = std::make_unique<MakeSettings>();
    if (p_.make->makeDir.empty() && !MakeDefaultOutputDirectory(p_)) return false;
    return CheckDirectory(p_.make->makeDir, true);
}

bool Generation::ReplaceForeignMakefile() {
    std::string head;
    if (!pf::IsRegularFile(makefile_)) return true;
    {
        std::FILE* f = std::fopen(makefile_.c_str(), "rb");
        if (!f) return true;
        char buf[sizeof kMakefileMarker - 1];
        const std::size_t n = std::fread(buf, 1, sizeof buf, f);
        std::fclose(f);
        head.assign(buf, n);
    }
    if (head == std::string_view(kMakefileMarker)) return true;
    const std::string old = OnDisk(p_.make->makeDir + kSep + "Makefile.old");
    if (pf::PathExists(old)) pf::DeleteFile(old);
    if (!pf::MoveFile(makefile_, old)) {
        // Writing over it would lose the user's makefile.
        ShowMessage(FormatText("Impossible to rename %s to %s", makefile_.c_str(), old.c_str()));
        return false;
    }
    ShowMessage(FormatText("%s was not written by Velt.\nIt has been renamed to %s",
                           makefile_.c_str(), old.c_str()));
    return true;
}

bool Generation::WriteObjects() {
    Put("OBJS=\\\n");
    bool resourceTaken = false;
    for (std::size_t i = 0; i < p_.files.size(); ++i) {
        const std::string& file = p_.files[i];
        const std::string name = AsciiLower(NameOnly(file));
        std::string ext;
        std::string entry;
        if (LastExtension(name, ext)) {
            if (ext == "c" || ext == "e" || ext == "asm" || ext == "f") {
                entry = WithExtension(name, ".obj");
            } else if (ext == "obj") {
                entry = name;
            } else if (ext == "rc" || ext == "res") {
                if (resourceTaken) {
                    ShowMessage(FormatText(
                        "You have already defined resources for this project.\n%s will be ignored",
                        file.c_str()));
                } else if (ext == "rc") {
                    entry = WithExtension(name, ".res");
                } else {
                    entry = HasDirectory(file) ? OnDisk(AsciiLower(file))
                                               : OnDisk(sourceDir_ + kSep + name);
                }
                resourceTaken = true;
            } else if (ext != "def" && ext != "h" && ext != "lib") {
                if (!FindFileProcessor(p_, file)) {
                    ShowInfo(
                        FormatText("I do not know how to handle %s\nPlease define how it "
                                   "should be handled in the makefile",
                                   file.c_str()));
                    if (!AskFileProcessor(p_, file)) {
                        ShowMessage("Cannot generate the makefile");
                        return false;
                    }
                }
            }
        }
        if (entry.empty()) continue;
        Put('\t');
        Put(Quoted(entry));
        if (i + 1 < p_.files.size()) Put(" \\");
        Put('\n');
    }
    return true;
}

void Generation::WriteOutputFile() {
    const std::string ext = DefaultOutputExtension(p_.compilerFlags);
    if (p_.exe.empty()) p_.exe = NameOnly(p_.name);
    if (NameOnly(p_.exe).find('.') == std::string::npos) p_.exe += ext;
    // The librarian writes a .lib whatever the name said; the target must name that file.
    if (p_.compilerFlags & kTargetLibrary) p_.exe = WithExtension(p_.exe, ".lib");
    p_.exe = CutField(p_.exe);
    Put("\n");
    Put(Quoted(p_.exe));
    Put(":\t$(OBJS) Makefile\n");
}

void Generation::WriteLinkCommand() {
    if (p_.compilerFlags & kTargetLibrary) {
        const std::string lib = UnderRoot(root_, "bin/nimralib");
        Put("\t" + (rootHasBlank_ ? "\"" + lib + "\"" : lib));
        Put(" /OUT:" + Quoted(p_.exe) + " $(OBJS)\n");
        return;
    }
    if (LinkNeedsResourceWarning(p_, hasResource_))
        ShowMessage("Windows program but no resources defined?");
    Put("\t$(LINKER) " + LinkOptionsText(p_) + " -o " + Quoted(p_.exe) + " $(OBJS) $(LIBS)\n");
}

std::string Generation::SourcePath(const std::string& file) const {
    return OnDisk(HasDirectory(file) ? AsciiLower(file) : sourceDir_ + kSep + AsciiLower(file));
}

void Generation::Scan(const std::string& sourcePath) {
    const std::string nimra = UnderRoot(root_, "bin/nimra.exe");
    const std::string command = (rootHasBlank_ ? "\"" + nimra + "\"" : nimra) + " -M -Fo" +
                                kDependencyTempFile + " " + includeSwitches_ + " " +
                                Quoted(sourcePath);
    // A list left by an earlier scan (or an earlier run) must never stand for this source.
    pf::DeleteFile(kDependencyTempFile);
    if (!pf::IsRegularFile(sourcePath)) return;
    pf::RunOptions options;
    options.hidden = true;
    const int code = pf::RunAndWait(command, options);
    if (code != 0) {
        if (failedScans_++ == 0)
            ShowMessage(FormatText(
                "Impossible to execute\n%s\nto find out the dependencies.\nError code %d",
                command.c_str(), code));
        return;
    }
}

void Generation::WriteDependencies() {
    if (failedScans_ != 0) return;
    std::FILE* f = std::fopen(kDependencyTempFile, "rb");
    if (!f) return;
    char line[400];
    while (std::fgets(line, sizeof line, f)) {
        std::string dep(line);
        if (!dep.empty() && dep.back() == '\n') dep.pop_back();
        if (!dep.empty() && dep.back() == '\r') dep.pop_back();
        Put("\t" + Quoted(dep) + "\\\n");
    }
    std::fclose(f);
}

void Generation::WriteRule(const std::string& file) {
    if (const FileProcessor* fp = FindFileProcessor(p_, file)) {
        Put(AsciiLower(fp->output) + ":\t" + AsciiLower(file) + "\n\t" + AsciiLower(fp->command) +
            "\n");
        return;
    }
    const std::string ext = AsciiLower(file.substr(file.find('.') + 1));
    // A library is linked as it stands; compiling it as a source would break the build.
    if (ext == "h" || ext == "obj" || ext == "res" || ext == "def" || ext == "lib") return;
    const std::string name = NameOnly(file);
    const std::string var = DependencyVariable(file);
    const std::string source = SourcePath(file);
    if (ext == "rc") {
        if (resListed_) return;
        const std::string res = AsciiLower(WithExtension(name, ".res"));
        Put("\n# Build '" + res + "'\n");
        Put(var + "=\\\n");
        Scan(source);
        WriteDependencies();
        Put("\n");
        Put(Quoted(res) + ":\t$(" + var + ") " + Quoted(source) + "\n");
        Put("\tnimrarc -I" + Quoted(sourceDir_) + " " + includeSwitches_ + " " + Quoted(source) +
            "\n");
        pf::DeleteFile(kDependencyTempFile);
        return;
    }
    const bool c = ext != "asm" && ext != "f";
    if (c) {
        Put("\n# Build " + name + "\n");
        Scan(source);
        Put(var + "=\\\n");
        WriteDependencies();
    }
    Put("\n");
    // The object named as in OBJS (from the last '.'), so that make finds its rule.
    const std::string object = Quoted(AsciiLower(WithExtension(name, ".obj")));
    const std::string src = Quoted(source);
    if (c)
        Put(object + ": $(" + var + ") " + src + "\n");
    else
        Put(object + ": " + src + "\n");
    if (ext == "f")
        Put("\t$(F2C) $(FFLAGS) " + src + "\n");
    else
        Put("\t$(CC) -c $(CFLAGS) " + src + "\n");
    pf::DeleteFile(kDependencyTempFile);
}

bool Generation::WriteRules() {
    MakefileProgress& progress = Progress();
    if (progress.begin)
        progress.begin(FormatText("Building makefile for %s", p_.name.c_str()),
                       static_cast<int>(p_.files.size()));
    progressShown_ = true;
    int position = 0;
    // A processor asked for meanwhile is found by name; copy the list so that the question
    // cannot invalidate the entry being handled.
    const std::deque<std::string> files = p_.files;
    for (const std::string& file : files) {
        if (file.find('.') == std::string::npos) continue;
        ++position;
        if (progress.step)
            progress.step(FormatText("Processing %s", AsciiLower(file).c_str()), position);
        WriteRule(file);
    }
    return true;
}

bool Generation::Run() {
    if (!Complete()) return false;
    fortran_ = false;
    for (const std::string& f : p_.files) {
        std::string ext;
        if (LastExtension(f, ext) && ext == "f") fortran_ = true;
    }
    for (const std::string& f : p_.files) {
        std::string ext;
        if (!LastExtension(f, ext)) continue;
        if ((ext == "rc" || ext == "res") && !hasResource_) hasResource_ = true;
        if (ext == "res") resListed_ = true;
    }
    sourceDir_ = OnDisk(AsciiLower(p_.sourcesDir));
    rootHasBlank_ = HasBlank(root_);
    includeSwitches_ = IncludeSwitches(p_.includes);
    makefile_ = OnDisk(p_.make->makeDir + kSep + "Makefile");
    if (gCloseMakefileWindow) gCloseMakefileWindow(makefile_);
    if (!ReplaceForeignMakefile()) return false;
    makefile_ = OnDisk(p_.make->makeDir + kSep + "Makefile");
    out_ = std::fopen(makefile_.c_str(), "wb");
    if (!out_) {
        ShowCannotOpen(makefile_);
        return false;
    }
    Put(FormatText("# Velt Makefile for project %s\n", p_.name.c_str()));
    Put("CFLAGS=" + CompilerFlagsText(p_.includes, p_.defines, p_.compilerFlags, root_) + "\n");
    const std::string cc = UnderRoot(root_, "bin/nimra.exe");
    const std::string linker = UnderRoot(root_, "bin/nimralnk.exe");
    if (rootHasBlank_)
        Put("CC=\"" + cc + "\"\nLINKER=\"" + linker + "\"\n");
    else
        Put("CC=" + cc + "\nLINKER=" + linker + "\n");
    if (!WriteObjects()) return false;
    if (fortran_) {
        AddLibrary(p_, root_, "libf77.lib");
        Put("\nFFLAGS=" + FortranFlagsText(p_.fortranFlags) + "\n");
    }
    Put("\nLIBS=" + p_.libraries + "\n");
    WriteOutputFile();
    WriteLinkCommand();
    if (!WriteRules()) return false;
    Put("\nlink:\n");
    WriteLinkCommand();
    Put("\n");
    const bool ok = std::fclose(out_) == 0;
    out_ = nullptr;
    if (!ok) ShowCannotOpen(makefile_);
    return ok;
}

}  // namespace

// ---- The pieces

std::string IncludeSwitches(const std::string& includes) {
    std::string out;
    std::size_t pos = 0;
    while (pos <= includes.size()) {
        std::size_t end = includes.find(';', pos);
        if (end == std::string::npos) end = includes.size();
        if (end > pos) out += "-I" + Quoted(includes.substr(pos, end - pos)) + " ";
        pos = end + 1;
    }
    return out;
}

std::string CompilerFlagsText(const std::string& includes, const std::string& defines,
                              std::uint32_t flags, const std::string& root) {
    std::string out = IncludeSwitches(includes.empty() ? UnderRoot(root, "include") : includes);
    for (const std::string& symbol : DefineSymbols(defines)) out += "-D" + symbol + " ";
    if (flags & kCompileOptimise) out += " -O ";
    if (flags & kCompileBrowse) out += " -x ";
    if (flags & kCompileDebug4)
        out += " -g4 ";
    else if (flags & kCompileDebug3)
        out += " -g3 ";
    else if (flags & kCompileDebug2)
        out += " -g2 ";
    if (flags & kCompileAsmListing) out += " -S ";
    if (flags & kCompileAllWarnings) out += " -A ";
    if (flags & kPack1) out += " -Zp1 ";
    if (flags & kPack2) out += " -Zp2 ";
    if (flags & kPack4) out += " -Zp4 ";
    if (flags & kPack8) out += " -Zp8 ";
    if (flags & kPack16) out += " -Zp16 ";
    if (flags & kCompileIntermediate) out += " -z ";
    if (flags & kCompilePentiumPro) out += " -p6";
    if (flags & kCompileUnusedAssignments) out += " -unused";
    if (flags & kCompileAnsiC) out += " -ansic";
    return out;
}

std::string FortranFlagsText(std::uint32_t flags) {
    static constexpr char kLetters[] = "uURracgC";
    std::string out;
    for (int bit = 0; bit < 8; ++bit)
        if (flags & (1u << bit)) {
            out += " -";
            out += kLetters[bit];
        }
    return out;
}

std::string LinkOptionsText(const Project& p) {
    std::string out;
    const std::uint32_t flags = p.compilerFlags;
    if (flags & kCompileNoDebugLink) out += " -s";
    if (flags & kTargetDll) {
        out += " -dll";
        if (!p.dllEntry.empty() && p.dllEntry != "LibMain") out += " -entry " + p.dllEntry;
    } else if (flags & kTargetConsole) {
        out += " -subsystem console";
    } else {
        out += " -subsystem windows";
    }
    if (flags & kLinkMap) {
        const std::size_t dot = p.exe.rfind('.');
        if (dot != std::string::npos && NameOnly(p.exe).find('.') != std::string::npos)
            out += " -map " + Quoted(p.exe.substr(0, dot) + ".map");
    }
    if (!p.linkerArgs.empty()) out += " " + p.linkerArgs;
    if (flags & kLinkNoUnderscores) out += " -nounderscores";
    return out;
}

bool LinkNeedsResourceWarning(const Project& p, bool hasResource) {
    return !(p.compilerFlags & (kTargetDll | kTargetConsole | kTargetLibrary)) && !hasResource;
}

std::string DependencyVariable(const std::string& file) {
    std::string var = AsciiUpper(NameOnly(file));
    for (char& c : var)
        if (c == '.' || c == ' ') c = '_';
    return var;
}

void AddLibrary(Project& p, const std::string& root, std::string name) {
    name = AsciiLower(name);
    if (p.libraries.empty()) {
        p.libraries = name;
        return;
    }
    const std::string libDir = AsciiLower(UnderRoot(root, "lib/"));
    if (!root.empty() && name.compare(0, libDir.size(), libDir) == 0) name.erase(0, libDir.size());
    if (AsciiLower(p.libraries).find(name) != std::string::npos) return;
    p.libraries += " " + name;
}

bool MakeDefaultOutputDirectory(Project& p) {
    const std::string base =
        (p.sourcesDir.empty() ? pf::CurrentDirectory() : p.sourcesDir) + kSep + "nimra";
    for (int i = 0; i <= 8; ++i) {
        const std::string dir = i == 0 ? base : base + std::to_string(i);
        if (pf::PathExists(OnDisk(dir))) continue;
        if (!pf::CreateDirectory(dir)) break;
        if (!p.make) p.make = std::make_unique<MakeSettings>();
        p.make->makeDir = CutField(dir);
        if (i != 0) ShowInfo(FormatText("Project directory is:\n%s", dir.c_str()));
        return true;
    }
    ShowMessage(FormatText("Impossible to create a project subdir in\n%s", p.sourcesDir.c_str()));
    return false;
}

// ---- The question

bool FileProcessorRecord::Accept() const {
    if (command.empty() || output.empty()) {
        ShowMessage("You must fill both fields");
        return false;
    }
    return true;
}

bool AskFileProcessor(Project& p, const std::string& file) {
    FileProcessorRecord record;
    record.file = file;
    if (FileProcessor* fp = FindFileProcessor(p, file)) {
        record.command = fp->command;
        record.output = fp->output;
    }
    if (!gFileProcessorDialog || !gFileProcessorDialog(record)) return false;
    FileProcessor* fp = FindFileProcessor(p, file);
    if (!fp) {
        p.fileProcessors.push_front(FileProcessor{CutField(file), {}, {}});
        fp = &p.fileProcessors.front();
    }
    fp->command = CutField(record.command);
    fp->output = CutField(record.output);
    return true;
}

void SetMakefileProgress(MakefileProgress progress) {
    Progress() = std::move(progress);
}

// ---- Generation

bool GenerateMakefile(Project& project, const std::string& root) {
    if (project.name.empty()) {
        ShowMessage("No project defined");
        return false;
    }
    if (InProgress()) return false;
    Generation generation(project, root);
    return generation.Run();
}

bool MakefileGenerationInProgress() {
    return InProgress();
}

bool IsEiffelProjectFiles(const Project& p) {
    if (p.files.empty()) return false;
    for (const std::string& f : p.files) {
        std::string ext;
        if (!LastExtension(f, ext) || ext != "e") return false;
    }
    return true;
}

bool GenerateMakefileCommand() {
    if (MakefileGenerationInProgress()) return false;
    if (!ProjectIsOpen()) {
        ShowMessage("No project defined");
        return false;
    }
    Project& p = CurrentProject();
    if (IsEiffelProjectFiles(p)) return false;
    if (!GenerateMakefile(p, ProjectsRoot())) return false;
    SaveProjectFiles(kSaveFileList);
    FrameStatusPane().ShowNotice(kMakefileSuccess);
    return true;
}

void InstallMakefileCommands() {
    CommandDispatcher& d = FrameCommands();
    d.Unregister(kOwner);
    d.Register(
        kCmdGenerateMakefile,
        [](const CommandCall&) { return std::intptr_t{GenerateMakefileCommand() ? 1 : 0}; }, kOwner,
        CommandPhase::Table);
    d.SetEnabledCheck(
        kCmdGenerateMakefile, [] { return ProjectIsOpen() && !MakefileGenerationInProgress(); },
        kOwner);
    InstallRebuildMakefileQuestion();
    gCloseMakefileWindow = [](const std::string& path) {
        Document* doc = FindDocument(path, false);
        if (!doc) return;
        for (EditView* v = FirstView(); v;) {
            EditView* next = v->next;
            if (v->document == doc) CloseDocumentView(v);
            v = next;
        }
    };
}

void UninstallMakefileCommands() {
    FrameCommands().Unregister(kOwner);
    gCloseMakefileWindow = nullptr;
}

}  // namespace velt
