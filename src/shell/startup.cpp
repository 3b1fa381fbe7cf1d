#include "shell/startup.h"

#include <charconv>

#include "platform/environment.h"
#include "platform/files.h"
#include "shell/compiler_root.h"
#include "shell/document_host.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/strutil.h"

namespace velt {

namespace pf = velt::platform;

namespace {

constexpr unsigned kDirectoryMissing = 4380;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Removes one trailing blank-separated integer from `s`; false when there is none.
bool DropTrailingNumber(std::string_view& s) {
    std::size_t end = s.size();
    while (end > 0 && IsBlank(s[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && !IsBlank(s[start - 1])) --start;
    if (start == end || start == 0) return false;
    std::string_view field = s.substr(start, end - start);
    if (field.front() == '-' || field.front() == '+') field.remove_prefix(1);
    long value = 0;
    auto [p, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || ec != std::errc() || p != field.data() + field.size()) return false;
    s = s.substr(0, start);
    return true;
}

std::string WithoutTrailingSeparator(std::string s) {
    while (s.size() > 1 && s.back() == pf::kPathSeparator) s.pop_back();
    return s;
}

std::vector<std::function<void()>>& BeforeSettingsSteps() {
    static std::vector<std::function<void()>> steps;
    return steps;
}

}  // namespace

void AddBeforeSettingsStep(std::function<void()> step) {
    if (step) BeforeSettingsSteps().push_back(std::move(step));
}

void ClearStartupSteps() {
    BeforeSettingsSteps().clear();
}

FramePlacement ComputeFramePlacement(const GlobalSettings& s, bool anotherInstance) {
    FramePlacement p;
    p.maximised = s.frameZoomed != 0 && !anotherInstance;
    // A height below zero is as unusable as none at all.
    if (anotherInstance || s.frameX < 0 || s.frameY < 0 || s.frameCX <= 0 || s.frameCY <= 0)
        return p;
    p.useDefault = false;
    p.x = s.frameX;
    p.y = s.frameY;
    p.cx = s.frameCX;
    p.cy = s.frameCY;
    return p;
}

bool RestoreWorkingDirectory(const std::string& currentDir, const std::string& startDirectory) {
    if (!currentDir.empty() && pf::SetCurrentDirectory(pf::ResolveName(currentDir))) return true;
    if (!currentDir.empty())
        ShowMessage(FormatText(GetMessageText(kDirectoryMissing), currentDir.c_str()));
    pf::SetCurrentDirectory(startDirectory);
    return false;
}

std::string SessionEntryName(std::string_view value) {
    std::string_view rest = value;
    int dropped = 0;
    while (dropped < 5 && DropTrailingNumber(rest)) ++dropped;
    if (dropped < 5) rest = value;  // not the saved form: the value is the name
    while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    return std::string(rest);
}

int ReopenSession(const std::vector<std::string>& values) {
    int opened = 0;
    for (const std::string& value : values) {
        const std::string name = SessionEntryName(value);
        if (name.empty() || EqualsNoCase(name, "untitled")) continue;
        if (CurrentDocuments().OpenDocument(pf::ResolveName(name))) ++opened;
    }
    return opened;
}

bool PrependCompilerPath(const std::string& root) {
    // Without a root there is no bin directory; "/bin" would be the system's own.
    if (root.empty()) return false;
    const std::string r = WithoutTrailingSeparator(root);
    const std::string old = pf::GetEnvironment("PATH").value_or("");
    // PATH is a ':'-separated list here (';' where the settings come from). Each entry is
    // compared whole, so "/opt/n" is not taken for "/opt/nimra".
    std::size_t start = 0;
    while (start <= old.size()) {
        std::size_t end = old.find(pf::kPathListSeparator, start);
        if (end == std::string::npos) end = old.size();
        const std::string entry = WithoutTrailingSeparator(old.substr(start, end - start));
        if (entry == r || (entry.size() > r.size() && entry.compare(0, r.size(), r) == 0 &&
                           (r == "/" || entry[r.size()] == pf::kPathSeparator)))
            return false;
        start = end + 1;
    }
    std::string bin = UnderRoot(r, "bin");
    // An empty old PATH gets no trailing separator: an empty entry would mean the current
    // directory.
    std::string value = old.empty() ? bin : bin + pf::kPathListSeparator + old;
    return pf::SetEnvironment("PATH", value);
}

StartupOutcome RunStartup(StartupState& st, StartupHooks& hooks, std::string_view commandLine) {
    // Another instance; the shared block.
    const bool another = st.instance.Start();

    // The command line's options (the files come later, once the frame exists).
    st.commandLine = std::string(commandLine);
    st.options = ParseCommandLine(st.commandLine, another);

    st.startDirectory = pf::CurrentDirectory();
    st.startDirectoryUpper = AsciiUpper(st.startDirectory);

    // The settings. Without a recorded root the root stays empty and the defaults apply.
    hooks.BeforeSettings(st.settings);
    for (const std::function<void()>& step : BeforeSettingsSteps()) step();
    LoadCompilerRootAtStartup(st.root);
    st.settingsFound = LoadGlobalSettings(st.root, st.settings);

    st.frame = ComputeFramePlacement(st.settings, st.options.anotherInstance);
    if (!hooks.CreateFrame(st.frame)) return StartupOutcome::Exit;
    if (st.options.splash) hooks.ShowSplash();

    RestoreWorkingDirectory(st.settings.currentDir, st.startDirectory);

    StartupOptions& o = st.options;
    if (o.lineGiven) {
        if (!o.project.empty()) hooks.OpenProject(o.project);
        OpenCommandLineFiles(o, st.startDirectory);
        if (o.debugStart) {
            st.settings.debuggerExeName = o.debuggerExeName;
            st.settings.debuggerArguments = o.debuggerArguments;
            st.settings.debuggerDir = o.debuggerDir;
        }
    }
    if (o.openedAnything || o.lineGiven) {
        o.restoreSession = o.saveSession = false;
        CurrentDocuments().MaximiseActive();
    } else if (!o.anotherInstance) {
        if (o.restoreSession) ReopenSession(st.settings.reopenFiles);
        hooks.OpenLastProject();
    }

    hooks.ShowFrame();
    PrependCompilerPath(st.root);

    if (o.splash) hooks.CloseSplash();
    if (o.attachPid != 0) {
        hooks.AttachDebugger(o.attachPid, o.attachEvent);
        o.restoreSession = o.saveSession = false;
    }
    // A start that does not keep its session does not write the settings back either.
    if (!o.saveSession) st.settings.saveEnabled = false;

    if ((st.settings.editorFlags & kEditorAutoSave) && !o.anotherInstance && o.attachPid == 0) {
        hooks.StartAutosave();
        st.autosaveStarted = true;
    }
    return StartupOutcome::Run;
}

bool SaveSettingsAtClose(StartupState& st, const SaveContext& context) {
    if (!st.settings.saveEnabled) return true;
    // Without a compiler root there is no settings file: "lib/velt.prj" under whatever
    // directory happens to be current would scatter settings and fail where there is no lib.
    if (st.root.empty()) return true;
    st.settings.currentDir = pf::CurrentDirectory();
    return SaveGlobalSettings(st.root, st.settings, context);
}

void RunShutdown(StartupState& st, StartupHooks& hooks) {
    // The configuration may have switched the autosave on during the session.
    if (st.autosaveStarted || (st.settings.editorFlags & kEditorAutoSave)) {
        hooks.StopAutosave();
        st.autosaveStarted = false;
    }
    st.instance.Close();
}

}  // namespace velt
