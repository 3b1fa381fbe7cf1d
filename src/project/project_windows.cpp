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
    const std::vector<DocumentSummary> docs = CurrentDocuments().Documents();
    if (!docs.empty()) c.currentFile = docs.front().name;
    for (const DocumentSummary& d : docs) {
        OpenDocumentState s;
        s.name = d.name;
        s.line = d.line;
        s.temporary = d.internalBuffer;
        // No rectangle without windows, but the state marks survive.
        if (d.minimised) s.rect.left = -1;
        if (d.maximised) s.rect.right = -1;
        c.documents.push_back(std::move(s));
    }
    return c;
}

}  // namespace velt
