#include "project/project_file.h"

#include <climits>
#include <unordered_map>
#include <unordered_set>

#include "platform/files.h"
#include "platform/profile_store.h"
#include "project/project_windows.h"
#include "project/projects_table.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/strutil.h"

namespace velt {

namespace pf = velt::platform;

namespace {

// No stored value holds a line break, so this default marks a missing key.
constexpr std::string_view kMissing = "\n";
// The profile calls of the system returned at most this many characters.
constexpr std::size_t kMaxValue = 511;

constexpr char kBadFileProcessor[] = "Incorrect format in key 'FileProcessor' stored in registry";

struct FileState {
    GlobalSettings* settings = nullptr;
    GlobalSettings privateSettings;
    std::string userName;
    ScreenRect filesToolbar;
    bool eiffel = false;
    ProjectPartWriter releasesWriter;
    MakeDefaultsProvider makeDefaults;
};

FileState& State() {
    static FileState state;
    return state;
}

// Numbers were 32-bit: a stored value beyond that range reads as its nearest limit.
int ClampInt(long v) {
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

// Key access to one section of one file.
class SectionReader {
  public:
    SectionReader(std::string file, std::string section)
        : file_(std::move(file)), section_(std::move(section)), reading_(file_) {}

    std::optional<std::string> Text(std::string_view key) const {
        std::string v = pf::ProfileGetString(file_, section_, key, kMissing);
        if (v == kMissing) return std::nullopt;
        if (v.size() > kMaxValue) v.resize(kMaxValue);
        return v;
    }
    std::string TextOr(std::string_view key) const { return Text(key).value_or(std::string()); }
    long Number(std::string_view key, long def) const {
        return ClampInt(pf::ProfileGetNumber(file_, section_, key, def));
    }

  private:
    std::string file_;
    std::string section_;
    pf::ProfileReading reading_;  // one look at the disk for all the keys
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// atoi: blanks, a sign, digits.
int AtoI(std::string_view s) {
    int v = 0;
    int* fields[] = {&v};
    ScanNumbers(s, ' ', fields, 1);
    return v;
}

std::string Dec(long v) {
    return std::to_string(v);
}

// Flags are 32-bit words, written as the signed number "%ld" made of them.
std::string Flags(std::uint32_t v) {
    return std::to_string(static_cast<std::int32_t>(v));
}

void SetToolChain(bool eiffel) {
    const bool changed = State().eiffel != eiffel;
    State().eiffel = eiffel;
    if (changed && ProjectWindows().toolChainChanged) ProjectWindows().toolChainChanged();
}

}  // namespace

void SetProjectSettings(GlobalSettings* settings) {
    State().settings = settings;
}

GlobalSettings& ProjectSettings() {
    FileState& s = State();
    return s.settings ? *s.settings : s.privateSettings;
}

const std::string& ProjectUserName() {
    return State().userName;
}

void SetProjectUserName(const std::string& name) {
    State().userName = name;
}

const ScreenRect& ProjectFilesToolbar() {
    return State().filesToolbar;
}

bool EiffelToolChainActive() {
    return State().eiffel;
}

std::string CompileMenuText() {
    if (!State().eiffel) return "Make\tF9";
    return FormatText("compile %s", CurrentProject().eiffelRootClass.c_str());
}

void SetReleasesWriter(ProjectPartWriter writer) {
    State().releasesWriter = std::move(writer);
}

void SetMakeDefaultsProvider(MakeDefaultsProvider provider) {
    State().makeDefaults = std::move(provider);
}

bool EnsureMakeSettings(Project& project) {
    if (!project.make && State().makeDefaults) State().makeDefaults(project);
    return project.make != nullptr;
}

void ReleaseCurrentProject() {
    ClearProject(CurrentProject());
    GlobalSettings& settings = ProjectSettings();
    settings.debuggerExeName.clear();
    settings.debuggerDir.clear();
    settings.debuggerArguments.clear();
    State().filesToolbar = ScreenRect{};
    SetToolChain(false);
}

// ---- Values

int ScanNumbers(std::string_view text, char separator, int* const fields[], int count) {
    std::size_t i = 0;
    int stored = 0;
    for (int f = 0; f < count; ++f) {
        if (f > 0) {
            if (separator == ' ') {
                while (i < text.size() && IsBlank(text[i])) ++i;
            } else {
                if (i >= text.size() || text[i] != separator) break;
                ++i;
            }
        }
        while (i < text.size() && IsBlank(text[i])) ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
        if (i >= text.size() || text[i] < '0' || text[i] > '9') break;
        long long v = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            if (v <= INT_MAX) v = v * 10 + (text[i] - '0');
        if (negative) v = -v;
        *fields[f] = v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
        ++stored;
    }
    return stored;
}

OpenFileRecord ParseOpenFileValue(std::string_view value) {
    OpenFileRecord r;
    std::size_t end;
    if (!value.empty() && value.front() == '"') {
        const std::size_t close = value.find('"', 1);
        end = close == std::string_view::npos ? value.size() : close + 1;
    } else {
        end = value.find(' ');
        if (end == std::string_view::npos) end = value.size();
    }
    r.name.assign(value.substr(0, end));
    int* fields[] = {&r.line, &r.left, &r.top, &r.right, &r.bottom};
    ScanNumbers(value.substr(end), ' ', fields, 5);
    return r;
}

std::string OpenFileValue(const OpenFileRecord& r) {
    // A name read back from a file keeps its quotes; it gets no second pair.
    const bool quoted = r.name.size() >= 2 && r.name.front() == '"' && r.name.back() == '"';
    return FormatText(quoted ? "%s %d %d %d %d %d" : "\"%s\" %d %d %d %d %d", r.name.c_str(),
                      r.line, r.left, r.top, r.right, r.bottom);
}

// ---- Loading

bool LoadProject() {
    // 1. The section of the current name.
    const std::string name = CurrentProjectName();
    const std::optional<std::string> file = ProjectFileOf(name);
    if (!file) return false;
    const SectionReader r(*file, name);
    Project& p = CurrentProject();
    ClearProject(p);
    p.name = name;
    GlobalSettings& settings = ProjectSettings();

    // 2. The main window.
    if (const std::string frame = r.TextOr("Frame"); !frame.empty()) {
        int* fields[] = {&p.frameX, &p.frameY, &p.frameCX, &p.frameCY};
        ScanNumbers(frame, ' ', fields, 4);
    }

    // 3, 4. The windows to reopen. A count beyond the keys present ends at the first missing
    // one: reading on would only make empty records.
    settings.reopenFiles.clear();
    const long openFiles = r.Number("OpenFiles", 0);
    p.currentFile = r.TextOr("CurrentFile");
    for (long k = 1; k <= openFiles; ++k) {
        std::optional<std::string> v = r.Text(FormatText("OpenFile%ld", k));
        if (!v) break;
        p.openFiles.push_front(ParseOpenFileValue(*v));
        settings.reopenFiles.push_back(std::move(*v));
    }

    // 5 - 7. Directories, options and flags.
    p.projectPath = CutField(r.TextOr("ProjectPath"));
    p.libraries = r.TextOr("Libraries");
    p.linkerArgs = r.TextOr("LinkerArgs");
    p.sourcesDir = CutField(r.TextOr("SourcesDir"));
    p.defines = r.TextOr("Defines");
    p.includes = r.TextOr("Includes");
    p.compilerFlags = static_cast<std::uint32_t>(r.Number("CompilerFlags", 8));
    p.projectFlags = static_cast<std::uint32_t>(r.Number("ProjectFlags", 8));
    p.eiffelRootClass = r.TextOr("EiffelRootClass");
    if (!p.eiffelRootClass.empty()) p.eiffelRootProcedure = r.TextOr("EiffelRootProcedure");
    p.errorFile = CutField(r.TextOr("ErrorFile"));

    // 8. Breakpoints, up to the first missing or empty key. A value without '@' names no
    // line and is passed over.
    const long breakpoints = r.Number("NumberOfBreakpoints", 0);
    for (long k = 1; k <= breakpoints; ++k) {
        const std::string v = r.TextOr(FormatText("BreakPoint%ld", k));
        if (v.empty()) break;
        const std::size_t at = v.find('@');
        if (at == std::string::npos) continue;
        p.breakpoints.push_back({v.substr(0, at), AtoI(std::string_view(v).substr(at + 1))});
    }

    // 9. Make settings: a project has them once any of their keys was written.
    std::optional<std::string> makeName = r.Text("MakeName");
    std::optional<std::string> makeArgs = r.Text("MakeArgs");
    p.exeMajorVersion = static_cast<std::uint16_t>(r.Number("ExeMajorVersion", 1));
    p.exeMinorVersion = static_cast<std::uint16_t>(r.Number("ExeMinorVersion", 0));
    std::optional<std::string> makeDir = r.Text("MakeDir");
    if (makeName || makeArgs || makeDir) {
        p.make = std::make_unique<MakeSettings>();
        p.make->makeName = CutField(makeName.value_or(""));
        p.make->makeArgs = makeArgs.value_or("");
        p.make->makeDir = CutField(makeDir.value_or(""));
    }
    p.exe = CutField(r.TextOr("Exe"));

    // 10. The debugger's settings.
    settings.debuggerArguments = r.TextOr("DebuggerArguments");
    settings.debuggerExeName = r.TextOr("DbgExeName");
    settings.debuggerDir = r.TextOr("DbgDir");

    // 11. The files toolbar.
    ScreenRect bar;
    int* barFields[] = {&bar.left, &bar.top, &bar.right, &bar.bottom};
    ScanNumbers(r.TextOr("StatusBar"), ',', barFields, 4);
    State().filesToolbar = bar;
    if (bar.right > bar.left && bar.bottom > bar.top && ProjectWindows().showFilesToolbar)
        ProjectWindows().showFilesToolbar(bar);

    // 12. File processors; a malformed one ends the list, those before it stay.
    const long processors = r.Number("NrOfFileProcessors", 0);
    for (long k = 1; k <= processors; ++k) {
        const std::string v = r.TextOr(FormatText("FileProcessor%ld", k));
        const std::size_t first = v.find('#');
        const std::size_t second = first == std::string::npos ? first : v.find('#', first + 1);
        if (second == std::string::npos) {
            ShowMessage(kBadFileProcessor);
            break;
        }
        FileProcessor fp;
        fp.file = CutField(std::string_view(v).substr(0, first));
        fp.command = CutField(std::string_view(v).substr(first + 1, second - first - 1));
        fp.output = CutField(std::string_view(v).substr(second + 1));
        p.fileProcessors.push_front(std::move(fp));
    }

    if (State().userName.empty()) State().userName = r.TextOr("UserName");

    // 13. The tool chain.
    SetToolChain((p.projectFlags & kProjectEiffel) != 0);
    return true;
}

bool LoadProjectFileList() {
    Project& p = CurrentProject();
    if (p.name.empty()) return false;
    const std::optional<std::string> file = ProjectFileOf(p.name);
    if (!file) return false;
    const SectionReader r(*file, p.name);
    p.files.clear();
    p.dependencies.clear();

    // The names of the File%d keys in key order, for finding each file's dependencies; the
    // list itself holds them upper-cased, newest first, each once.
    std::vector<std::string> keyNames;
    std::unordered_set<std::string> present;
    const long count = r.Number("PrjFiles", 0);
    for (long k = 1; k <= count; ++k) {
        std::optional<std::string> v = r.Text("File" + std::to_string(k));
        if (!v) break;
        std::string upper = AsciiUpper(*v);
        keyNames.push_back(upper);
        if (!upper.empty() && present.insert(upper).second) p.files.push_front(std::move(upper));
    }
    for (std::size_t k = 1; k <= keyNames.size(); ++k) {
        const std::string key = "File" + std::to_string(k) + "Dependencies";
        const long deps = r.Number(key, 0);
        if (deps <= 0 || keyNames[k - 1].empty()) continue;
        DependencyEntry entry;
        entry.file = keyNames[k - 1];
        std::unordered_set<std::string> seen;
        for (long j = 1; j <= deps; ++j) {
            std::optional<std::string> v = r.Text(key + std::to_string(j));
            if (!v) break;
            if (!v->empty() && seen.insert(*v).second) entry.includes.push_front(std::move(*v));
        }
        if (!entry.includes.empty()) p.dependencies.push_front(std::move(entry));
    }

    // The versioning keys; without a CMS directory the reading ends here.
    const std::string cmsDirectory = r.TextOr("CmsDirectory");
    if (cmsDirectory.empty()) return true;
    p.cmsDirectory = cmsDirectory;
    p.cms.users.clear();
    const long users = r.Number("UserCount", 0);
    for (long k = 1; k <= users; ++k) {
        std::optional<std::string> v = r.Text(FormatText("User%ld", k));
        if (!v) break;
        p.cms.users.push_front(std::move(*v));
    }
    p.cms.putOptions = static_cast<std::uint32_t>(r.Number("PutOptions", 4));
    p.cms.getOptions = static_cast<std::uint32_t>(r.Number("GetOptions", 0));
    p.cms.fileOptions = static_cast<std::uint32_t>(r.Number("FileOptions", 0));
    p.cms.lockOptions = static_cast<std::uint32_t>(r.Number("LockOptions", 1));
    p.cms.usersOptions = static_cast<std::uint32_t>(r.Number("UsersOptions", 1));
    p.projectFlags = static_cast<std::uint32_t>(r.Number("ProjectFlags", 0));
    if (p.projectFlags & kProjectEiffel)
        p.eiffelFlags = static_cast<std::uint32_t>(r.Number("EiffelFlags", 0));
    if (p.projectFlags & kProjectFortran)
        p.fortranFlags = static_cast<std::uint32_t>(r.Number("FortranFlags", 0));
    return true;
}

// ---- Saving

ProjectKeyValues ProjectSaveKeys(const Project& p, const ProjectSaveExtras& x) {
    ProjectKeyValues out;
    auto put = [&out](std::string key, std::string value) {
        out.push_back({std::move(key), std::move(value)});
    };
    put("Frame", FormatText("%d %d %d %d", p.frameX, p.frameY, p.frameCX, p.frameCY));
    put("StatusBar", FormatText("%d,%d,%d,%d", x.filesToolbar.left, x.filesToolbar.top,
                                x.filesToolbar.right, x.filesToolbar.bottom));
    put("Name", p.name);
    put("CurrentFile", p.currentFile);
    if (x.withOpenFiles) {
        put("OpenFiles", Dec(static_cast<long>(p.openFiles.size())));
        std::size_t k = 0;
        for (const OpenFileRecord& r : p.openFiles)
            put(FormatText("OpenFile%zu", ++k), OpenFileValue(r));
    } else {
        put("OpenFiles", "0");
    }
    put("ProjectPath", p.projectPath);
    put("SourcesDir", p.sourcesDir);
    put("Defines", p.defines);
    put("Includes", p.includes);
    put("Libraries", p.libraries);
    put("LinkerArgs", p.linkerArgs);
    if (p.make) {
        put("MakeName", p.make->makeName);
        put("MakeArgs", p.make->makeArgs);
        put("MakeDir", p.make->makeDir);
        put("Exe", p.exe);
        put("DebuggerArguments", x.debuggerArguments);
        put("DbgExeName", x.debuggerExeName);
        put("DbgDir", x.debuggerDir.empty() ? p.make->makeDir : x.debuggerDir);
    }
    put("CompilerFlags", Flags(p.compilerFlags));
    put("ProjectFlags", Flags(p.projectFlags));
    put("FortranFlags", Flags(p.fortranFlags));
    put("EiffelFlags", Flags(p.eiffelFlags));
    put("NumberOfBreakpoints", Dec(static_cast<long>(p.breakpoints.size())));
    std::size_t k = 0;
    for (const BreakpointEntry& b : p.breakpoints)
        put(FormatText("BreakPoint%zu", ++k), FormatText("%s@%d", b.file.c_str(), b.line));
    put("ErrorFile", p.errorFile);
    put("NrOfFileProcessors", Dec(static_cast<long>(p.fileProcessors.size())));
    k = 0;
    for (const FileProcessor& f : p.fileProcessors)
        put(FormatText("FileProcessor%zu", ++k),
            FormatText("%s#%s#%s", f.file.c_str(), f.command.c_str(), f.output.c_str()));
    if (!x.userName.empty()) put("UserName", x.userName);
    return out;
}

ProjectKeyValues FileListSaveKeys(const Project& p) {
    ProjectKeyValues out;
    out.reserve(p.files.size() * 2 + 16);
    auto put = [&out](std::string key, std::string value) {
        out.push_back({std::move(key), std::move(value)});
    };
    put("PrjFiles", Dec(static_cast<long>(p.files.size())));
    std::size_t k = 0;
    for (const std::string& f : p.files) put(FormatText("File%zu", ++k), f);

    // Each file's entry, found without regard to case; the first in the list wins.
    std::unordered_map<std::string, const DependencyEntry*> entries;
    for (const DependencyEntry& e : p.dependencies) entries.emplace(AsciiUpper(e.file), &e);
    k = 0;
    for (const std::string& f : p.files) {
        ++k;
        auto it = entries.find(AsciiUpper(f));
        if (it == entries.end() || it->second->includes.empty()) {
            out.push_back({FormatText("File%zuDependencies", k), "0", true});
            continue;
        }
        const DependencyEntry& e = *it->second;
        put(FormatText("File%zuDependencies", k), Dec(static_cast<long>(e.includes.size())));
        std::size_t j = 0;
        for (const std::string& inc : e.includes)
            put(FormatText("File%zuDependencies%zu", k, ++j), inc);
    }

    put("UserCount", Dec(static_cast<long>(p.cms.users.size())));
    k = 0;
    for (const std::string& u : p.cms.users) put(FormatText("User%zu", ++k), u);
    put("CmsDirectory", p.cmsDirectory);
    put("PutOptions", Flags(p.cms.putOptions));
    put("GetOptions", Flags(p.cms.getOptions));
    put("FileOptions", Flags(p.cms.fileOptions));
    put("LockOptions", Flags(p.cms.lockOptions));
    put("UsersOptions", Flags(p.cms.usersOptions));
    put("ProjectFlags", Flags(p.projectFlags));
    if (p.projectFlags & kProjectEiffel) {
        put("EiffelFlags", Flags(p.eiffelFlags));
        if (!p.eiffelRootClass.empty()) put("EiffelRootClass", p.eiffelRootClass);
        if (!p.eiffelRootProcedure.empty()) put("EiffelRootProcedure", p.eiffelRootProcedure);
    }
    if (p.projectFlags & kProjectFortran) put("FortranFlags", Flags(p.fortranFlags));
    return out;
}

bool SaveProject() {
    return SaveProjectWith(GatherWindowState());
}

bool SaveProjectWith(const SaveContext& windows) {
    Project& p = CurrentProject();
    if (ProjectsTableEntries() < 1 || p.name.empty()) return false;
    const GlobalSettings& settings = ProjectSettings();
    ProjectSaveExtras extras;
    // The editor state is taken only while a document is current; otherwise no window is
    // recorded.
    extras.withOpenFiles = !windows.documents.empty();
    if (extras.withOpenFiles) {
        p.openFiles.clear();
        for (const OpenDocumentState& d : windows.documents) {
            if (d.temporary) continue;
            p.openFiles.push_front(
                {d.name, d.line, d.rect.left, d.rect.top, d.rect.right, d.rect.bottom});
        }
        p.currentFile = windows.currentFile;
        p.projectPath = CutField(pf::CurrentDirectory());
        p.frameX = windows.frameX;
        p.frameY = windows.frameY;
        p.frameCX = windows.frameCX;
        p.frameCY = windows.frameCY;
        EnsureMakeSettings(p);
    }
    extras.filesToolbar = windows.filesToolbar.value_or(ScreenRect{});
    extras.debuggerArguments = settings.debuggerArguments;
    extras.debuggerExeName = settings.debuggerExeName;
    extras.debuggerDir = settings.debuggerDir;
    extras.userName = State().userName;

    const std::optional<std::string> file = ProjectFileOf(p.name);
    if (!file) return false;
    pf::ProfileBatch batch(*file);
    // A key that cannot be written is passed over: the others still carry the project.
    for (const ProjectKeyValue& kv : ProjectSaveKeys(p, extras))
        pf::ProfileWriteString(*file, p.name, kv.key, &kv.value);
    return batch.Commit() && batch.writable();
}

int SaveProjectFiles(unsigned parts) {
    const Project& p = CurrentProject();
    if (!ProjectSettings().saveEnabled || p.name.empty()) return 0;
    const std::optional<std::string> file = ProjectFileOf(p.name);
    if (!file) return 0;
    int written = 0;
    if (parts & kSaveFileList) {
        pf::ProfileBatch batch(*file);
        bool ok = batch.writable();
        for (const ProjectKeyValue& kv : FileListSaveKeys(p)) {
            if (!ok) break;
            if (kv.onlyIfPresent &&
                pf::ProfileGetString(*file, p.name, kv.key, kMissing) == kMissing)
                continue;
            ok = pf::ProfileWriteString(*file, p.name, kv.key, &kv.value);
        }
        if (batch.Commit() && ok) ++written;
    }
    if ((parts & kSaveReleases) && State().releasesWriter && State().releasesWriter(*file, p.name))
        ++written;
    return written;
}

}  // namespace velt
