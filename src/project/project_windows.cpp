#include "project/project_windows.h"

#include "project/project.h"
#include "shell/document_host.h"

namespace velt {

namespace {

ProjectWindowHooks& Hooks() {
    static ProjectWindowHooks hooks;
    return hooks;
}

}  // namespace

void SetProjectWindowHooks(ProjectWindowHooks hooks) {
    Hooks() = std::move(hooks);
}

const ProjectWindowHooks& ProjectWindows() {
    return Hooks();
}

SaveContext GatherWindowState() {
    if (Hooks().windowState) return Hooks().windowState();
    SaveContext c;
    const Project& p = CurrentProject();
    c.frameX = p.frameX;
    c.frameY = p.frameY;
    c.frameCX = p.frameCX;
    c.frameCY = p.frameCY;
    c.projectOpen = ProjectIsOpen();
    AddOpenDocuments(c);
    return c;
}

}  // namespace velt
