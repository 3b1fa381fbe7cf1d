#include "project/project.h"

#include "platform/files.h"

namespace velt {

namespace pf = velt::platform;

Project& CurrentProject() {
    static Project project;
    return project;
}

bool ProjectIsOpen() {
    return !CurrentProject().name.empty();
}

void ClearProject(Project& project) {
    project = Project{};
}

std::string CutField(std::string_view text) {
    return std::string(text.substr(0, kProjectFieldMax));
}

bool AddProjectFile(Project& project, const std::string& name) {
    for (const std::string& f : project.files)
        if (f == name) return false;
    project.files.push_front(name);
    return true;
}

std::string TargetKindText(std::uint32_t flags) {
    if (flags & kTargetLibrary) return "Library";
    if (flags & kTargetDll) return "Dll";
    if (flags & kTargetConsole) return "Console application";
    return "Windows application";
}

std::string DefaultOutputExtension(std::uint32_t flags) {
    if (flags & kTargetLibrary) return ".lib";
    if (flags & kTargetDll) return ".dll";
    return ".exe";
}

std::string DefaultErrorFile(const Project& project) {
    const std::string dir =
        project.make && !project.make->makeDir.empty() ? project.make->makeDir : std::string(".");
    return CutField(pf::JoinPath(dir, pf::NamePart(project.name) + ".err"));
}

}  // namespace velt
