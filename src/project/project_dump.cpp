#include "project/project_dump.h"

#include <iostream>

#include "platform/files.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/projects_table.h"
#include "shell/messages.h"

namespace velt {

namespace {

void Print(std::ostream& out, const ProjectKeyValues& keys) {
    for (const ProjectKeyValue& kv : keys)
        if (!kv.onlyIfPresent) out << kv.key << '=' << kv.value << '\n';
}

}  // namespace

std::optional<std::string> LoadProjectForTool(const std::string& root, const std::string& name) {
    const std::string dir = platform::ResolveName(platform::MakeAbsolute(root));
    if (!platform::IsDirectory(dir)) {
        std::cerr << FormatText("Directory %s doesn't exist", root.c_str()) << '\n';
        return std::nullopt;
    }
    SetProjectsRoot(dir);
    if (!ReadProjectsTable(false)) {
        std::cerr << "velt-cli: cannot read " << ProjectsTableFile() << '\n';
        return std::nullopt;
    }
    SetCurrentProjectName(name);
    if (!LoadProject()) {
        std::cerr << "velt-cli: no project " << name << " in " << ProjectsTableFile() << '\n';
        return std::nullopt;
    }
    LoadProjectFileList();
    return dir;
}

int RunProjectCommand(const std::string& root, const std::string& name, bool resave,
                      std::ostream& out) {
    if (!LoadProjectForTool(root, name)) return 1;

    const Project& p = CurrentProject();
    const GlobalSettings& settings = ProjectSettings();
    ProjectSaveExtras extras;
    extras.filesToolbar = ProjectFilesToolbar();
    extras.debuggerArguments = settings.debuggerArguments;
    extras.debuggerExeName = settings.debuggerExeName;
    extras.debuggerDir = settings.debuggerDir;
    extras.userName = ProjectUserName();
    Print(out, ProjectSaveKeys(p, extras));
    Print(out, FileListSaveKeys(p));

    if (!resave) return 0;
    const std::string file = ProjectFileOf(name).value_or(name);
    if (!SaveProject() || SaveProjectFiles(kSaveFileList) != 1) {
        std::cerr << "velt-cli: cannot write " << file << '\n';
        return 1;
    }
    return 0;
}

}  // namespace velt
